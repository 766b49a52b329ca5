#include "platform/qt/QtDialogHost.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QEventLoop>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QThread>
#include <QTimer>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

namespace platform {
namespace {

// Room a push button keeps between its wrapped caption and its edges.
constexpr int ButtonTextMargin = 8;

// Layout and program texts hold one byte per character.
QString toQt(std::string_view s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }
std::string fromQt(const QString& s) { return s.toLatin1().toStdString(); }

// Breaks a caption into lines no wider than width, between words ("&" markers take no room).
QString wrapped(const QString& text, const QFontMetrics& metrics, int width)
{
    QStringList lines;
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        QString line;
        for (const QString& word : paragraph.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QString candidate = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
            if (!line.isEmpty() && metrics.horizontalAdvance(QString(candidate).remove(QLatin1Char('&'))) > width) {
                lines << line;
                line = word;
            } else {
                line = candidate;
            }
        }
        lines << line;
    }
    return lines.join(QLatin1Char('\n'));
}

// A button whose check state changes only when the host sets it.
template <class Base> class DialogButton final : public Base {
public:
    using Base::Base;

protected:
    void nextCheckState() override {}
};

// A scroll bar that reports what the user asks and moves only when the program sets it.
class DialogScrollBar final : public QScrollBar {
public:
    using QScrollBar::QScrollBar;
    std::function<void(ScrollRequest, int)> report;
    int lastTrack = 0; // where the thumb was last dragged to

protected:
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        QScrollBar::mouseReleaseEvent(event);
        if (report && event->button() == Qt::LeftButton)
            report(ScrollRequest::EndScroll, 0);
    }
    void keyReleaseEvent(QKeyEvent* event) override
    {
        const int k = event->key();
        const bool scrollKey = (k >= Qt::Key_Left && k <= Qt::Key_Down) || k == Qt::Key_PageUp || k == Qt::Key_PageDown
            || k == Qt::Key_Home || k == Qt::Key_End;
        if (report && scrollKey && !event->isAutoRepeat())
            report(ScrollRequest::EndScroll, 0);
        QScrollBar::keyReleaseEvent(event);
    }
    void wheelEvent(QWheelEvent* event) override
    {
        const int delta = event->angleDelta().y() != 0 ? event->angleDelta().y() : event->angleDelta().x();
        if (report && delta != 0) {
            report(delta > 0 ? ScrollRequest::LineUp : ScrollRequest::LineDown, 0);
            report(ScrollRequest::EndScroll, 0);
        }
        event->accept();
    }
    void contextMenuEvent(QContextMenuEvent*) override {} // its entries would move the bar by themselves
};

// The box: keys the dialog handles and the close box go to the host; only the host (or the
// application as it quits) closes it.
class DialogBox final : public QDialog {
public:
    using QDialog::QDialog;
    std::function<std::optional<DialogKeyPress>(QKeyEvent*)> dialogKey; // the key as the dialog's, if it is
    std::function<void(DialogKeyPress)> reportKey;
    std::function<void()> closeBox;
    std::function<bool()> mayClose;

    void reject() override {}
    void accept() override {}
    void done(int) override {}

    // Installed on the box and every widget in it: a key the dialog handles never reaches the
    // focused widget (an edit box would type an Alt+letter) nor Qt's own shortcuts.
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        const bool press = e->type() == QEvent::KeyPress;
        if ((press || e->type() == QEvent::ShortcutOverride) && dialogKey) {
            if (const auto k = dialogKey(static_cast<QKeyEvent*>(e))) {
                e->accept();
                if (press && reportKey)
                    reportKey(*k);
                return true;
            }
        }
        return QDialog::eventFilter(watched, e);
    }

protected:
    // A dialog box has no minimise box; a window manager that minimises it anyway (and its
    // owner with it) is undone at once, so that the program never disappears from the screen.
    void changeEvent(QEvent* e) override
    {
        QDialog::changeEvent(e);
        if (e->type() != QEvent::WindowStateChange || !isMinimized())
            return;
        QTimer::singleShot(0, this, [this] {
            for (QWidget* w = this; w != nullptr; w = w->parentWidget() ? w->parentWidget()->window() : nullptr)
                if (w->isMinimized())
                    w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
            raise();
            activateWindow();
        });
    }
    // The close box is a request to the program; only while the application quits may the
    // box close (a box that refused would cancel the quit).
    void closeEvent(QCloseEvent* e) override
    {
        if (mayClose && mayClose()) {
            e->accept();
            return;
        }
        e->ignore();
        if (closeBox)
            closeBox();
    }
};

// Sees the application's quit request before the application closes its windows for it.
class QuitWatcher final : public QObject {
public:
    std::function<void()> quitRequested;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() == QEvent::Quit && watched == QCoreApplication::instance() && quitRequested)
            quitRequested();
        return false;
    }
};

} // namespace

// --- Shared state ----------------------------------------------------------------------------

struct QtDialogHost::Impl : std::enable_shared_from_this<QtDialogHost::Impl> {
    struct Control {
        ControlLayout layout;
        QPointer<QWidget> widget;
        QString text; // the caption of kinds whose widget shows something else (or nothing)
    };

    struct Live {
        DialogWindow window;
        DialogInput* input = nullptr;
        bool guiMode = false; // runModal runs on the GUI thread

        // Guarded by Impl::mutex.
        std::deque<std::function<void(DialogInput&)>> queue;
        bool ended = false;
        int result = 0;
        bool aborted = false;    // the box went away or the application quit
        bool delivering = false; // an input taken from the queue is being handled

        // GUI thread only.
        QPointer<DialogBox> box;
        std::vector<Control> controls;
        int quiet = 0;              // > 0 while the host itself changes controls
        QEventLoop* loop = nullptr; // the nested loop of a run on the GUI thread
        bool woken = false;         // the nested loop was left on purpose
        bool closing = false;       // the host is taking the box down
        bool quitting = false;      // the application is closing its windows to quit
    };

    struct Call {
        bool running = false;
        bool done = false;
        bool cancelled = false;
    };

    std::function<QWidget*()> frame;
    QObject* context = nullptr; // lives on the GUI thread; queued calls are delivered to it

    mutable std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::shared_ptr<Live>> open; // outermost first
    bool gone = false;                       // the application quit or the host is going
    std::uint64_t nextWindow = 1;            // guarded by mutex

    bool onGuiThread() const { return QThread::currentThread() == context->thread(); }

    std::shared_ptr<Live> find(DialogWindow window) const
    {
        std::lock_guard lock(mutex);
        for (const auto& live : open)
            if (live->window == window)
                return live;
        return nullptr;
    }

    // Runs fn on the GUI thread and waits for it; directly when already there. False when the
    // GUI thread no longer serves calls (fn then has not run and never will).
    bool callOnGui(const std::function<void()>& fn)
    {
        if (onGuiThread()) {
            fn();
            return true;
        }
        auto call = std::make_shared<Call>();
        {
            std::lock_guard lock(mutex);
            if (gone)
                return false;
        }
        std::weak_ptr<Impl> weak = weak_from_this();
        const std::function<void()>* work = &fn;
        QMetaObject::invokeMethod(
            context,
            [weak, call, work] {
                const auto self = weak.lock();
                if (!self)
                    return;
                {
                    std::lock_guard lock(self->mutex);
                    if (call->cancelled)
                        return;
                    call->running = true;
                }
                (*work)();
                {
                    std::lock_guard lock(self->mutex);
                    call->done = true;
                }
                self->changed.notify_all();
            },
            Qt::QueuedConnection);
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return call->done || (gone && !call->running); });
        if (!call->done)
            call->cancelled = true;
        return call->done;
    }

    Control* controlById(Live& live, int id)
    {
        for (Control& c : live.controls)
            if (c.layout.id == id)
                return &c;
        return nullptr;
    }

    // The control a widget belongs to (a combo box's edit field belongs to the combo box).
    Control* controlOf(Live& live, const QWidget* widget)
    {
        for (; widget != nullptr && widget != live.box; widget = widget->parentWidget())
            for (Control& c : live.controls)
                if (c.widget == widget)
                    return &c;
        return nullptr;
    }

    // Runs fn with a control of a live dialog on the GUI thread, marked as the host's own change.
    void withControl(DialogWindow window, int id, const std::function<void(Live&, Control&)>& fn)
    {
        const std::shared_ptr<Live> live = find(window);
        if (!live)
            return;
        callOnGui([&] {
            Control* c = live->box ? controlById(*live, id) : nullptr;
            if (c == nullptr || !c->widget)
                return;
            ++live->quiet;
            fn(*live, *c);
            --live->quiet;
        });
    }

    template <class T> T run(DialogWindow window, int id, T value, const std::function<void(Live&, Control&, T&)>& fn)
    {
        withControl(window, id, [&](Live& live, Control& c) { fn(live, c, value); });
        return value;
    }

    // --- GUI thread: input ----------------------------------------------------------------------

    void wake(Live& live)
    {
        if (live.loop) {
            live.woken = true;
            live.loop->quit();
        }
    }

    void post(Live& live, std::function<void(DialogInput&)> input)
    {
        if (live.quiet > 0 || live.closing)
            return;
        {
            std::lock_guard lock(mutex);
            if (live.ended || live.aborted)
                return;
            live.queue.push_back(std::move(input));
        }
        changed.notify_all();
        wake(live);
    }

    void abort(Live& live)
    {
        {
            std::lock_guard lock(mutex);
            live.aborted = true;
        }
        changed.notify_all();
        wake(live);
    }

    // The application is quitting: every run returns -1 and no call is served any more.
    void shutDown()
    {
        std::vector<std::shared_ptr<Live>> lives;
        {
            std::lock_guard lock(mutex);
            gone = true;
            lives = open;
        }
        changed.notify_all();
        for (const auto& live : lives) {
            abort(*live);
            live->closing = true;
            if (live->box)
                delete live->box.data();
        }
    }

    // The application was asked to quit: the runs end with -1 and their boxes let the
    // application close them.
    void quitRequested()
    {
        std::vector<std::shared_ptr<Live>> lives;
        {
            std::lock_guard lock(mutex);
            lives = open;
        }
        for (const auto& live : lives) {
            live->quitting = true;
            abort(*live);
        }
    }

    // The key as the dialog's: Enter, Escape, Tab always; Alt with a letter or digit always;
    // arrows and plain letters or digits unless the focused control keeps them.
    std::optional<DialogKeyPress> dialogKey(Live& live, const QKeyEvent* e)
    {
        const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
        const int k = e->key();
        const Control* f = controlOf(live, live.box->focusWidget());
        const bool keepsArrows = f && f->layout.keepsArrows;
        const bool keepsCharacters = f && f->layout.keepsCharacters;
        if ((k == Qt::Key_Return || k == Qt::Key_Enter) && mods == Qt::NoModifier)
            return DialogKeyPress{DialogKey::Enter};
        if (k == Qt::Key_Escape && mods == Qt::NoModifier)
            return DialogKeyPress{DialogKey::Escape};
        if (k == Qt::Key_Tab && mods == Qt::NoModifier)
            return DialogKeyPress{DialogKey::Tab};
        if (k == Qt::Key_Backtab || (k == Qt::Key_Tab && mods == Qt::ShiftModifier))
            return DialogKeyPress{DialogKey::Tab, 0, false, true};
        if (k >= Qt::Key_Left && k <= Qt::Key_Down && mods == Qt::NoModifier && !keepsArrows) {
            static constexpr DialogKey arrows[] = {DialogKey::Left, DialogKey::Up, DialogKey::Right, DialogKey::Down};
            return DialogKeyPress{arrows[k - Qt::Key_Left]};
        }
        const bool alnum = (k >= Qt::Key_A && k <= Qt::Key_Z) || (k >= Qt::Key_0 && k <= Qt::Key_9);
        if (alnum && (mods == Qt::AltModifier || (mods == Qt::NoModifier && !keepsCharacters)))
            return DialogKeyPress{DialogKey::Character, static_cast<char>(k), mods == Qt::AltModifier};
        return std::nullopt;
    }

    // --- GUI thread: building ----------------------------------------------------------------

    QString caption(const Control& c) const
    {
        switch (c.layout.type) {
        case ControlType::Static: return static_cast<QLabel*>(c.widget.data())->text();
        case ControlType::GroupBox: return static_cast<QGroupBox*>(c.widget.data())->title();
        case ControlType::CheckBox:
        case ControlType::RadioButton: return static_cast<QAbstractButton*>(c.widget.data())->text();
        case ControlType::Edit: return static_cast<QLineEdit*>(c.widget.data())->text();
        case ControlType::ComboBox: return static_cast<QComboBox*>(c.widget.data())->currentText();
        default: return c.text;
        }
    }

    void setButtonCaption(Control& c, const QString& text)
    {
        auto* button = static_cast<QPushButton*>(c.widget.data());
        c.text = text;
        button->setText(c.layout.multiLine
                            ? wrapped(text, QFontMetrics(button->font()), button->width() - ButtonTextMargin)
                            : text);
    }

    QWidget* createControl(const std::shared_ptr<Live>& livePtr, Control& c)
    {
        DialogBox* box = livePtr->box;
        const ControlLayout& l = c.layout;
        const QString text = toQt(l.caption);
        const int id = l.id;
        auto report = [this, livePtr](std::function<void(DialogInput&)> fn) { post(*livePtr, std::move(fn)); };
        auto edited = [report, id] { report([id](DialogInput& in) { in.onTextEdited(id); }); };
        QWidget* w = nullptr;
        switch (l.type) {
        case ControlType::GroupBox:
            w = new QGroupBox(text, box);
            w->setAttribute(Qt::WA_TransparentForMouseEvents);
            break;
        case ControlType::CheckBox: {
            auto* check = new DialogButton<QCheckBox>(text, box);
            check->setTristate(l.triState);
            w = check;
            break;
        }
        case ControlType::RadioButton: {
            auto* radio = new DialogButton<QRadioButton>(text, box);
            radio->setAutoExclusive(false);
            w = radio;
            break;
        }
        case ControlType::PushButton: {
            auto* push = new DialogButton<QPushButton>(box);
            push->setAutoDefault(false);
            push->setDefault(l.isDefault);
            w = push;
            break;
        }
        case ControlType::Edit: {
            auto* edit = new QLineEdit(text, box);
            edit->setFrame(l.border);
            edit->setReadOnly(l.readOnly);
            if (l.password)
                edit->setEchoMode(QLineEdit::Password);
            edit->setAlignment((l.align == TextAlign::Right        ? Qt::AlignRight
                                    : l.align == TextAlign::Centre ? Qt::AlignHCenter
                                                                   : Qt::AlignLeft)
                               | Qt::AlignVCenter);
            // textEdited comes from the user only: a text the program sets reports nothing.
            QObject::connect(edit, &QLineEdit::textEdited, context, edited);
            w = edit;
            break;
        }
        case ControlType::Static:
        case ControlType::Icon: {
            auto* label = new QLabel(box);
            if (l.type == ControlType::Icon) {
                label->setPixmap(QApplication::windowIcon().pixmap(l.rect.width, l.rect.height));
                c.text = text;
            } else {
                label->setTextFormat(Qt::PlainText);
                label->setText(text);
                label->setAlignment((l.align == TextAlign::Centre      ? Qt::AlignHCenter
                                         : l.align == TextAlign::Right ? Qt::AlignRight
                                                                       : Qt::AlignLeft)
                                    | Qt::AlignTop);
                label->setWordWrap(l.wordWrap);
            }
            w = label;
            break;
        }
        case ControlType::ScrollBar: {
            auto* bar = new DialogScrollBar(l.vertical ? Qt::Vertical : Qt::Horizontal, box);
            // A new scroll bar control spans 0..100 with the thumb at 0.
            bar->setRange(0, 100);
            bar->setValue(0);
            bar->setPageStep(0);
            bar->report = [report, id](ScrollRequest r, int thumb) {
                report([=](DialogInput& in) { in.onScroll(id, r, thumb); });
            };
            QObject::connect(bar, &QAbstractSlider::sliderPressed, context, [bar] { bar->lastTrack = bar->value(); });
            QObject::connect(bar, &QAbstractSlider::sliderReleased, context,
                             [bar] { bar->report(ScrollRequest::ThumbPosition, bar->lastTrack); });
            QObject::connect(bar, &QAbstractSlider::actionTriggered, context, [bar](int action) {
                // Qt has already moved the thumb: report the request and put the thumb back
                // where the program left it.
                const int thumb = bar->sliderPosition();
                bar->setSliderPosition(bar->value());
                using A = QAbstractSlider::SliderAction;
                switch (action) {
                case A::SliderSingleStepAdd: bar->report(ScrollRequest::LineDown, 0); break;
                case A::SliderSingleStepSub: bar->report(ScrollRequest::LineUp, 0); break;
                case A::SliderPageStepAdd: bar->report(ScrollRequest::PageDown, 0); break;
                case A::SliderPageStepSub: bar->report(ScrollRequest::PageUp, 0); break;
                case A::SliderToMinimum: bar->report(ScrollRequest::Top, 0); break;
                case A::SliderToMaximum: bar->report(ScrollRequest::Bottom, 0); break;
                case A::SliderMove:
                    if (bar->isSliderDown())
                        bar->lastTrack = thumb;
                    bar->report(bar->isSliderDown() ? ScrollRequest::ThumbTrack : ScrollRequest::ThumbPosition, thumb);
                    break;
                default: break;
                }
            });
            w = bar;
            break;
        }
        case ControlType::ListBox: {
            auto* list = new QListWidget(box);
            list->setSelectionMode(l.selection == ListSelection::Multiple       ? QAbstractItemView::MultiSelection
                                       : l.selection == ListSelection::Extended ? QAbstractItemView::ExtendedSelection
                                                                                : QAbstractItemView::SingleSelection);
            QObject::connect(list, &QListWidget::itemSelectionChanged, context,
                             [report, id] { report([id](DialogInput& in) { in.onListSelection(id); }); });
            QObject::connect(list, &QListWidget::itemDoubleClicked, context,
                             [report, id] { report([id](DialogInput& in) { in.onListDoubleClick(id); }); });
            c.text = text;
            w = list;
            break;
        }
        case ControlType::ComboBox: {
            auto* combo = new QComboBox(box);
            combo->setEditable(l.editable);
            combo->setInsertPolicy(QComboBox::NoInsert);
            if (l.editable) {
                combo->setCompleter(nullptr); // the system's combo box completes nothing
                combo->setEditText(text);
                QObject::connect(combo->lineEdit(), &QLineEdit::textEdited, context, edited);
            }
            QObject::connect(combo, &QComboBox::currentIndexChanged, context,
                             [report, id] { report([id](DialogInput& in) { in.onListSelection(id); }); });
            w = combo;
            break;
        }
        case ControlType::Other:
            w = new QWidget(box); // a class the host does not know: an empty placeholder
            c.text = text;
            break;
        }
        c.widget = w;
        if (auto* button = qobject_cast<QAbstractButton*>(w))
            QObject::connect(button, &QAbstractButton::clicked, context,
                             [report, id] { report([id](DialogInput& in) { in.onClick(id); }); });
        QRect r(l.rect.x, l.rect.y, l.rect.width, l.rect.height);
        if (l.type == ControlType::ComboBox)
            r.setHeight(w->sizeHint().height()); // the layout's height includes the dropped list
        w->setGeometry(r);
        if (l.type == ControlType::PushButton)
            setButtonCaption(c, text); // after the geometry: a multi-line caption wraps to the width
        const bool focusable = l.type != ControlType::Static && l.type != ControlType::Icon
            && l.type != ControlType::GroupBox && l.type != ControlType::Other;
        w->setFocusPolicy(!focusable                             ? Qt::NoFocus
                              : l.tabStop                        ? Qt::StrongFocus
                              : l.type == ControlType::ScrollBar ? Qt::NoFocus
                                                                 : Qt::ClickFocus);
        w->setEnabled(l.enabled);
        if (!l.visible)
            w->hide();
        return w;
    }

    void build(const std::shared_ptr<Live>& livePtr, const DialogLayout& layout, DialogWindow owner)
    {
        Live& live = *livePtr;
        QWidget* ownerWidget = nullptr;
        if (owner.isValid())
            if (const auto outer = find(owner))
                ownerWidget = outer->box;
        if (ownerWidget == nullptr && frame)
            ownerWidget = frame();

        auto* box = new DialogBox(ownerWidget);
        live.box = box;
        // A title bar and, when the layout asks, a close box: never minimise or maximise.
        Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint;
        flags |= layout.titleBar ? Qt::WindowTitleHint : Qt::FramelessWindowHint;
        if (layout.closeBox)
            flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        box->setWindowFlags(flags);
        // A dialog of the program thread holds the program in its own loop; the frame stays
        // usable beside it (its menus, About, Pause, Save), as the picture it shows is meant to
        // be worked with while the dialog waits. A dialog nested in another blocks that one; a
        // dialog run from a menu on the message thread blocks the frame.
        if (owner.isValid() && ownerWidget != nullptr)
            box->setWindowModality(Qt::WindowModal);
        else if (live.guiMode)
            box->setWindowModality(ownerWidget ? Qt::WindowModal : Qt::ApplicationModal);
        else
            box->setWindowModality(Qt::NonModal);
        box->setWindowTitle(toQt(layout.caption));
        QFont font(QStringLiteral("Liberation Sans"));
        font.setPixelSize(11);
        box->setFont(font);

        // The layout gives the client area, relative to the owner's client area.
        const QSize size(layout.rect.width, layout.rect.height);
        box->setFixedSize(size);
        QPoint origin;
        if (layout.centred) {
            QRect area =
                ownerWidget ? ownerWidget->window()->geometry() : QGuiApplication::primaryScreen()->availableGeometry();
            origin = area.center() - QPoint(size.width() / 2, size.height() / 2);
        } else {
            if (ownerWidget && !layout.screenRelative) {
                QWidget* client = ownerWidget;
                if (auto* main = qobject_cast<QMainWindow*>(ownerWidget); main && main->centralWidget())
                    client = main->centralWidget();
                origin = client->mapToGlobal(QPoint(0, 0));
            }
            origin += QPoint(layout.rect.x, layout.rect.y);
        }
        box->setGeometry(QRect(origin, size));

        live.controls.resize(layout.controls.size());
        for (std::size_t i = 0; i < layout.controls.size(); ++i) {
            live.controls[i].layout = layout.controls[i];
            createControl(livePtr, live.controls[i]);
        }
        // Group boxes lie beneath the controls they frame. A label with an accelerator shows it
        // underlined, as the caption of the control after it (the dialog, not Qt, handles the key).
        for (std::size_t i = 0; i < live.controls.size(); ++i) {
            Control& c = live.controls[i];
            if (c.layout.type == ControlType::GroupBox)
                c.widget->lower();
            if (c.layout.type == ControlType::Static && !c.layout.noPrefix
                && c.layout.caption.find('&') != std::string::npos && i + 1 < live.controls.size())
                static_cast<QLabel*>(c.widget.data())->setBuddy(live.controls[i + 1].widget);
        }

        box->installEventFilter(box);
        for (QWidget* w : box->findChildren<QWidget*>())
            w->installEventFilter(box);
        box->dialogKey = [this, livePtr](QKeyEvent* e) { return dialogKey(*livePtr, e); };
        box->reportKey = [this, livePtr](DialogKeyPress k) {
            const Control* f = controlOf(*livePtr, livePtr->box->focusWidget());
            const int focusId = f ? f->layout.id : 0;
            post(*livePtr, [focusId, k](DialogInput& in) { in.onKey(focusId, k); });
        };
        box->closeBox = [this, livePtr] { post(*livePtr, [](DialogInput& in) { in.onCloseBox(); }); };
        box->mayClose = [livePtr] { return livePtr->quitting; };
        QObject::connect(box, &QObject::destroyed, context, [this, livePtr] {
            if (!livePtr->closing)
                abort(*livePtr);
        });
    }

    void show(Live& live)
    {
        if (!live.box)
            return;
        live.box->show();
        live.box->activateWindow();
        if (live.box->focusWidget() == nullptr)
            live.box->setFocus(Qt::OtherFocusReason);
    }

    void destroy(Live& live)
    {
        live.closing = true;
        live.loop = nullptr;
        if (live.box) {
            live.box->hide();
            // Later: a menu of one of its controls may still be on the stack.
            live.box->deleteLater();
        }
    }

    // --- The modal loops -----------------------------------------------------------------------

    // The next input for the loop, or the end (set in result); empty: wait.
    std::optional<std::function<void(DialogInput&)>> next(Live& live, bool& ended, int& result)
    {
        ended = live.ended || live.aborted;
        result = live.ended ? live.result : -1;
        if (ended || live.queue.empty())
            return std::nullopt;
        auto input = std::move(live.queue.front());
        live.queue.pop_front();
        live.delivering = true;
        return input;
    }

    // A run on another thread: sleep until the GUI thread queues something.
    int threadLoop(Live& live)
    {
        std::unique_lock lock(mutex);
        for (;;) {
            bool ended = false;
            int result = 0;
            auto input = next(live, ended, result);
            if (ended)
                return result;
            if (!input) {
                changed.wait(lock);
                continue;
            }
            lock.unlock();
            (*input)(*live.input);
            lock.lock();
            live.delivering = false;
        }
    }

    // A run on the GUI thread: a nested event loop, left whenever something is queued; the
    // input is delivered from here, outside any widget's event handler.
    int guiLoop(Live& live)
    {
        QEventLoop loop;
        live.loop = &loop;
        int result = 0;
        for (;;) {
            bool ended = false;
            std::optional<std::function<void(DialogInput&)>> input;
            {
                std::lock_guard lock(mutex);
                input = next(live, ended, result);
            }
            if (ended)
                break;
            if (input) {
                (*input)(*live.input);
                std::lock_guard lock(mutex);
                live.delivering = false;
                continue;
            }
            live.woken = false;
            loop.exec();
            if (!live.woken) {
                // Left without a reason of ours: the application is quitting.
                std::lock_guard lock(mutex);
                if (!live.ended)
                    live.aborted = true;
            }
        }
        live.loop = nullptr;
        return result;
    }
};

// --- The host ---------------------------------------------------------------------------------

QtDialogHost::QtDialogHost(std::function<QWidget*()> frame) : m_impl(std::make_shared<Impl>())
{
    m_impl->frame = std::move(frame);
    auto* watcher = new QuitWatcher;
    watcher->quitRequested = [impl = m_impl.get()] { impl->quitRequested(); };
    m_impl->context = watcher;
    if (QCoreApplication* app = QCoreApplication::instance()) {
        m_impl->context->moveToThread(app->thread());
        app->installEventFilter(watcher);
        QObject::connect(app, &QCoreApplication::aboutToQuit, m_impl->context,
                         [impl = m_impl.get()] { impl->shutDown(); });
    }
}

QtDialogHost::~QtDialogHost()
{
    {
        std::lock_guard lock(m_impl->mutex);
        m_impl->gone = true;
    }
    m_impl->changed.notify_all();
    delete m_impl->context; // drops the calls still queued for it
}

std::vector<DialogWindow> QtDialogHost::openDialogs() const
{
    std::lock_guard lock(m_impl->mutex);
    std::vector<DialogWindow> windows;
    for (const auto& live : m_impl->open)
        windows.push_back(live->window);
    return windows;
}

QDialog* QtDialogHost::dialogWidget(DialogWindow dialog) const
{
    const auto live = m_impl->find(dialog);
    return live ? live->box.data() : nullptr;
}

QWidget* QtDialogHost::controlWidget(DialogWindow dialog, int controlId) const
{
    const auto live = m_impl->find(dialog);
    const Impl::Control* c = live && live->box ? m_impl->controlById(*live, controlId) : nullptr;
    return c ? c->widget.data() : nullptr;
}

bool QtDialogHost::settled() const
{
    std::lock_guard lock(m_impl->mutex);
    for (const auto& live : m_impl->open)
        if (!live->queue.empty() || live->delivering)
            return false;
    return true;
}

int QtDialogHost::runModal(const DialogLayout& layout, DialogWindow owner, DialogInput& input)
{
    Impl& d = *m_impl;
    auto live = std::make_shared<Impl::Live>();
    live->input = &input;
    live->guiMode = d.onGuiThread();
    {
        std::lock_guard lock(d.mutex);
        if (d.gone)
            return -1;
        live->window = DialogWindow{d.nextWindow++};
        d.open.push_back(live);
    }
    auto forget = [&] {
        std::lock_guard lock(d.mutex);
        std::erase(d.open, live);
    };
    if (!d.callOnGui([&] { d.build(live, layout, owner); })) {
        forget();
        return -1;
    }

    input.onCreated(live->window);
    bool finished;
    {
        std::lock_guard lock(d.mutex);
        finished = live->ended || live->aborted;
    }
    if (!finished)
        d.callOnGui([&] { d.show(*live); });

    const int result = live->guiMode ? d.guiLoop(*live) : d.threadLoop(*live);
    d.callOnGui([&] { d.destroy(*live); });
    forget();
    return result;
}

void QtDialogHost::endDialog(DialogWindow dialog, int result)
{
    const auto live = m_impl->find(dialog);
    if (!live)
        return;
    {
        std::lock_guard lock(m_impl->mutex);
        if (live->ended || live->aborted)
            return;
        live->ended = true;
        live->result = result;
    }
    m_impl->changed.notify_all();
    // The box disappears at once, as the user expects: the routine that ended it may go on to
    // end the whole program and never return to the modal loop that would remove it.
    m_impl->callOnGui([&] {
        if (live->box)
            live->box->hide();
    });
    if (live->guiMode && m_impl->onGuiThread())
        m_impl->wake(*live);
}

// --- Control operations -------------------------------------------------------------------------

using Control = QtDialogHost::Impl::Control;
using Live = QtDialogHost::Impl::Live;

namespace {
template <class T> T* widgetAs(Control& c, ControlType type)
{
    return c.layout.type == type ? static_cast<T*>(c.widget.data()) : nullptr;
}
QLineEdit* editField(Control& c)
{
    if (auto* combo = widgetAs<QComboBox>(c, ControlType::ComboBox))
        return combo->lineEdit();
    return widgetAs<QLineEdit>(c, ControlType::Edit);
}

// Where a sorted list puts a new item: after every item that does not sort after it.
int sortedPosition(const QString& text, int count, const std::function<QString(int)>& textAt)
{
    int i = 0;
    while (i < count && QString::compare(textAt(i), text, Qt::CaseInsensitive) <= 0)
        ++i;
    return i;
}
} // namespace

std::string QtDialogHost::text(DialogWindow dialog, int controlId)
{
    return m_impl->run<std::string>(dialog, controlId, {},
                                    [&](Live&, Control& c, std::string& out) { out = fromQt(m_impl->caption(c)); });
}

void QtDialogHost::setText(DialogWindow dialog, int controlId, std::string_view text)
{
    const QString t = toQt(text);
    m_impl->withControl(dialog, controlId, [&](Live&, Control& c) {
        QWidget* w = c.widget;
        switch (c.layout.type) {
        case ControlType::Static: static_cast<QLabel*>(w)->setText(t); break;
        case ControlType::GroupBox: static_cast<QGroupBox*>(w)->setTitle(t); break;
        case ControlType::PushButton: m_impl->setButtonCaption(c, t); break;
        case ControlType::CheckBox:
        case ControlType::RadioButton: static_cast<QAbstractButton*>(w)->setText(t); break;
        case ControlType::Edit:
            static_cast<QLineEdit*>(w)->setText(t);
            static_cast<QLineEdit*>(w)->setCursorPosition(0); // a set text leaves the caret at its start
            break;
        case ControlType::ComboBox:
            if (auto* combo = static_cast<QComboBox*>(w); combo->isEditable())
                combo->setEditText(t);
            break;
        default: c.text = t; break;
        }
    });
}

bool QtDialogHost::isEnabled(DialogWindow dialog, int controlId)
{
    return m_impl->run<bool>(dialog, controlId, false,
                             [](Live& live, Control& c, bool& out) { out = c.widget->isEnabledTo(live.box); });
}

void QtDialogHost::setEnabled(DialogWindow dialog, int controlId, bool enabled)
{
    m_impl->withControl(dialog, controlId, [&](Live&, Control& c) { c.widget->setEnabled(enabled); });
}

int QtDialogHost::focus(DialogWindow dialog)
{
    const auto live = m_impl->find(dialog);
    int id = 0;
    if (live)
        m_impl->callOnGui([&] {
            if (const Control* c = live->box ? m_impl->controlOf(*live, live->box->focusWidget()) : nullptr)
                id = c->layout.id;
        });
    return id;
}

void QtDialogHost::setFocus(DialogWindow dialog, int controlId)
{
    m_impl->withControl(dialog, controlId, [](Live&, Control& c) { c.widget->setFocus(Qt::OtherFocusReason); });
}

void QtDialogHost::selectText(DialogWindow dialog, int controlId, int start, int end)
{
    m_impl->withControl(dialog, controlId, [&](Live&, Control& c) {
        if (QLineEdit* edit = editField(c)) {
            const int size = static_cast<int>(edit->text().size());
            const int from = std::clamp(start, 0, size);
            edit->setSelection(from, (end < 0 ? size : std::clamp(end, from, size)) - from);
        }
    });
}

int QtDialogHost::checkState(DialogWindow dialog, int controlId)
{
    return m_impl->run<int>(dialog, controlId, Unchecked, [](Live&, Control& c, int& state) {
        if (c.layout.type == ControlType::CheckBox || c.layout.type == ControlType::RadioButton) {
            const auto* button = static_cast<QAbstractButton*>(c.widget.data());
            const auto* check = qobject_cast<const QCheckBox*>(button);
            state = check && check->checkState() == Qt::PartiallyChecked ? 2
                : button->isChecked()                                    ? Checked
                                                                         : Unchecked;
        }
    });
}

void QtDialogHost::setCheckState(DialogWindow dialog, int controlId, int state)
{
    m_impl->withControl(dialog, controlId, [&](Live&, Control& c) {
        if (auto* check = widgetAs<QCheckBox>(c, ControlType::CheckBox))
            check->setCheckState(state == Unchecked                      ? Qt::Unchecked
                                     : state == 2 && check->isTristate() ? Qt::PartiallyChecked
                                                                         : Qt::Checked);
        else if (auto* radio = widgetAs<QAbstractButton>(c, ControlType::RadioButton))
            radio->setChecked(state != Unchecked);
    });
}

void QtDialogHost::setScrollRange(DialogWindow dialog, int controlId, int minimum, int maximum)
{
    m_impl->withControl(dialog, controlId, [&](Live&, Control& c) {
        if (auto* bar = widgetAs<QScrollBar>(c, ControlType::ScrollBar))
            bar->setRange(minimum, maximum);
    });
}

int QtDialogHost::scrollRangeMax(DialogWindow dialog, int controlId)
{
    return m_impl->run<int>(dialog, controlId, 0, [](Live&, Control& c, int& out) {
        if (auto* bar = widgetAs<QScrollBar>(c, ControlType::ScrollBar))
            out = bar->maximum();
    });
}

int QtDialogHost::scrollPosition(DialogWindow dialog, int controlId)
{
    return m_impl->run<int>(dialog, controlId, 0, [](Live&, Control& c, int& out) {
        if (auto* bar = widgetAs<QScrollBar>(c, ControlType::ScrollBar))
            out = bar->value();
    });
}

void QtDialogHost::setScrollPosition(DialogWindow dialog, int controlId, int position)
{
    m_impl->withControl(dialog, controlId, [&](Live&, Control& c) {
        if (auto* bar = widgetAs<QScrollBar>(c, ControlType::ScrollBar))
            bar->setValue(position); // kept within the range
    });
}

void QtDialogHost::clearItems(DialogWindow dialog, int controlId)
{
    m_impl->withControl(dialog, controlId, [](Live&, Control& c) {
        if (auto* list = widgetAs<QListWidget>(c, ControlType::ListBox))
            list->clear();
        else if (auto* combo = widgetAs<QComboBox>(c, ControlType::ComboBox))
            combo->clear();
    });
}

void QtDialogHost::addItem(DialogWindow dialog, int controlId, std::string_view text)
{
    const QString t = toQt(text);
    m_impl->withControl(dialog, controlId, [&](Live&, Control& c) {
        if (auto* list = widgetAs<QListWidget>(c, ControlType::ListBox)) {
            list->insertItem(c.layout.sorted
                                 ? sortedPosition(t, list->count(), [&](int i) { return list->item(i)->text(); })
                                 : list->count(),
                             t);
        } else if (auto* combo = widgetAs<QComboBox>(c, ControlType::ComboBox)) {
            // Adding to an empty combo box selects nothing and leaves its edit field alone.
            const int before = combo->currentIndex();
            const QString editText = combo->currentText();
            combo->insertItem(c.layout.sorted
                                  ? sortedPosition(t, combo->count(), [&](int i) { return combo->itemText(i); })
                                  : combo->count(),
                              t);
            if (before < 0) {
                combo->setCurrentIndex(-1);
                if (combo->isEditable())
                    combo->setEditText(editText);
            }
        }
    });
}

int QtDialogHost::itemCount(DialogWindow dialog, int controlId)
{
    return m_impl->run<int>(dialog, controlId, 0, [](Live&, Control& c, int& n) {
        if (auto* list = widgetAs<QListWidget>(c, ControlType::ListBox))
            n = list->count();
        else if (auto* combo = widgetAs<QComboBox>(c, ControlType::ComboBox))
            n = combo->count();
    });
}

std::string QtDialogHost::itemText(DialogWindow dialog, int controlId, int index)
{
    return m_impl->run<std::string>(dialog, controlId, {}, [&](Live&, Control& c, std::string& out) {
        if (auto* list = widgetAs<QListWidget>(c, ControlType::ListBox); list && index >= 0 && index < list->count())
            out = fromQt(list->item(index)->text());
        else if (auto* combo = widgetAs<QComboBox>(c, ControlType::ComboBox);
                 combo && index >= 0 && index < combo->count())
            out = fromQt(combo->itemText(index));
    });
}

int QtDialogHost::currentSelection(DialogWindow dialog, int controlId)
{
    return m_impl->run<int>(dialog, controlId, -1, [](Live&, Control& c, int& current) {
        if (auto* list = widgetAs<QListWidget>(c, ControlType::ListBox)) {
            if (list->selectionMode() != QAbstractItemView::SingleSelection)
                current = list->currentRow(); // the caret
            else if (const QList<QListWidgetItem*> selected = list->selectedItems(); !selected.isEmpty())
                current = list->row(selected.front());
        } else if (auto* combo = widgetAs<QComboBox>(c, ControlType::ComboBox)) {
            current = combo->currentIndex();
        }
    });
}

bool QtDialogHost::isItemSelected(DialogWindow dialog, int controlId, int index)
{
    return m_impl->run<bool>(dialog, controlId, false, [&](Live&, Control& c, bool& selected) {
        if (auto* list = widgetAs<QListWidget>(c, ControlType::ListBox); list && index >= 0 && index < list->count())
            selected = list->item(index)->isSelected();
        else if (auto* combo = widgetAs<QComboBox>(c, ControlType::ComboBox); combo && index >= 0)
            selected = combo->currentIndex() == index;
    });
}

void QtDialogHost::selectItem(DialogWindow dialog, int controlId, int index)
{
    m_impl->withControl(dialog, controlId, [&](Live&, Control& c) {
        if (auto* list = widgetAs<QListWidget>(c, ControlType::ListBox)) {
            const bool single = list->selectionMode() == QAbstractItemView::SingleSelection;
            if (single || index < 0)
                list->clearSelection();
            if (index < 0 || index >= list->count())
                return;
            if (single) {
                list->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
            } else {
                list->item(index)->setSelected(true);
                list->selectionModel()->setCurrentIndex(list->model()->index(index, 0), QItemSelectionModel::NoUpdate);
            }
        } else if (auto* combo = widgetAs<QComboBox>(c, ControlType::ComboBox)) {
            combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
        }
    });
}

} // namespace platform
