#include "platform/qt/QtDialogHost.h"

#include "dialogs/DialogTemplate.h"

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

#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <mutex>

namespace platform {
namespace {

namespace st = dialogs::style;
namespace cls = dialogs::control_class;

// Styles the dialog manager reads beyond those the template reader names.
constexpr std::uint32_t AbsoluteAlign = 0x01; // the box's position is relative to the screen
constexpr std::uint32_t CentreBox = 0x0800;   // the box is centred
constexpr std::uint32_t StaticTypeMask = 0x1F;
constexpr std::uint32_t StaticRight = 2;
constexpr std::uint32_t StaticSimple = 0xB;
constexpr std::uint32_t StaticLeftNoWordWrap = 0xC;
constexpr std::uint32_t StaticNoPrefix = 0x80;
constexpr std::uint32_t EditCentre = 0x1;
constexpr std::uint32_t EditRight = 0x2;
constexpr std::uint32_t EditPassword = 0x20;
constexpr std::uint32_t EditReadOnly = 0x800;
constexpr std::uint32_t ListSort = 0x2;
constexpr std::uint32_t ComboSort = 0x100;

// A static icon control takes the size of the icon, whatever the template says.
constexpr int IconSize = 32;
// Room a push button keeps between its wrapped caption and its edges.
constexpr int ButtonTextMargin = 8;

enum class Kind { Static, Icon, GroupBox, PushButton, CheckBox, RadioButton, Edit, ScrollBar, ListBox, ComboBox, Other };

// One thing the user did, as the program thread receives it.
struct Notification {
    bool scroll = false;
    int id = 0;
    int code = 0;
    ScrollRequest request = ScrollRequest::EndScroll;
    int thumb = 0;
};

// Template and program texts hold one byte per character.
QString toQt(std::string_view s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }
std::string fromQt(const QString& s) { return s.toLatin1().toStdString(); }

// v * base / divisor, rounded half away from zero.
int scaled(int v, int base, int divisor)
{
    const int magnitude = (std::abs(v) * base + divisor / 2) / divisor;
    return v < 0 ? -magnitude : magnitude;
}

// The class of an item: by ordinal, or by the name of a predefined class.
std::optional<std::uint16_t> classOf(const dialogs::NameOrOrdinal& name)
{
    if (name.ordinal)
        return name.ordinal;
    static const std::pair<const char*, std::uint16_t> names[] = {
        {"button", cls::Button},       {"edit", cls::Edit},         {"static", cls::Static},
        {"listbox", cls::ListBox},     {"scrollbar", cls::ScrollBar}, {"combobox", cls::ComboBox},
    };
    const QString lower = toQt(name.name).toLower();
    for (const auto& [text, ordinal] : names)
        if (lower == QLatin1String(text))
            return ordinal;
    return std::nullopt;
}

// The letter after the first single "&" of a caption, upper case; null when there is none.
QChar mnemonicOf(const QString& text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != QLatin1Char('&'))
            continue;
        if (text[i + 1] == QLatin1Char('&')) {
            ++i;
            continue;
        }
        return text[i + 1].toUpper();
    }
    return {};
}

// A caption as it shows, without its mnemonic markers.
QString visibleText(QString text)
{
    text.replace(QLatin1String("&&"), QString(QChar(1)));
    text.remove(QLatin1Char('&'));
    text.replace(QChar(1), QLatin1Char('&'));
    return text;
}

// Breaks a caption into lines no wider than width, between words.
QString wrapped(const QString& text, const QFontMetrics& metrics, int width)
{
    QStringList lines;
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        QString line;
        for (const QString& word : paragraph.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QString candidate = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
            if (!line.isEmpty() && metrics.horizontalAdvance(visibleText(candidate)) > width) {
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

bool isArrow(int key)
{
    return key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Left || key == Qt::Key_Right;
}

// A button whose check state changes only as the host says, and which leaves the arrow keys
// to the dialog (they move the focus within a group).
template <class Base>
class DialogButton final : public Base {
public:
    using Base::Base;
    std::function<void()> nextState; // what a click does to the check state; empty: nothing

protected:
    void nextCheckState() override
    {
        if (nextState)
            nextState();
    }
    void keyPressEvent(QKeyEvent* event) override
    {
        if (isArrow(event->key()))
            event->ignore();
        else
            Base::keyPressEvent(event);
    }
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
        const bool scrollKey = isArrow(k) || k == Qt::Key_PageUp || k == Qt::Key_PageDown || k == Qt::Key_Home ||
                               k == Qt::Key_End;
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

// The box: keys, the close box and the dialog's own accept and reject go to the host; only
// the host (or the application as it quits) closes it.
class DialogBox final : public QDialog {
public:
    using QDialog::QDialog;
    std::function<bool(QKeyEvent*)> key;             // true when the key was used
    std::function<bool(QKeyEvent*)> claimsShortcut;  // true for a mnemonic the host handles
    std::function<void()> closeBox;
    std::function<bool()> mayClose;
    std::function<void()> escape;

    void reject() override
    {
        if (escape)
            escape();
    }
    void accept() override {}
    void done(int) override {}

    // Installed on every control widget: a mnemonic key the host handles never reaches the
    // focused control (an accepted ShortcutOverride would send it to an edit box, which types
    // the letter).
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() == QEvent::KeyPress && claimsShortcut && claimsShortcut(static_cast<QKeyEvent*>(e))) {
            if (key)
                key(static_cast<QKeyEvent*>(e));
            return true;
        }
        return QDialog::eventFilter(watched, e);
    }

protected:
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::ShortcutOverride && claimsShortcut && claimsShortcut(static_cast<QKeyEvent*>(e))) {
            e->accept();
            return true;
        }
        return QDialog::event(e);
    }
    void keyPressEvent(QKeyEvent* e) override
    {
        if (key && key(e))
            e->accept();
        else
            e->ignore();
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
        int id = 0;
        Kind kind = Kind::Other;
        std::uint32_t style = 0;
        QPointer<QWidget> widget;
        QString text; // the caption of kinds whose widget shows something else (or nothing)
    };

    struct Live {
        DialogWindow window;
        std::uint32_t style = 0;
        DialogEvents* events = nullptr;
        bool guiMode = false; // runModal runs on the GUI thread

        // Guarded by Impl::mutex.
        std::deque<Notification> queue;
        bool ended = false;
        int result = 0;
        bool aborted = false; // the box went away or the application quit

        // GUI thread only.
        QPointer<DialogBox> box;
        std::vector<Control> controls;
        int quiet = 0;               // > 0 while the host itself changes controls
        QEventLoop* loop = nullptr;  // the nested loop of a run on the GUI thread
        bool woken = false;          // the nested loop was left on purpose
        bool closing = false;        // the host is taking the box down
        bool quitting = false;       // the application is closing its windows to quit
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
    std::atomic<std::uint64_t> nextWindow{1};

    bool onGuiThread() const { return QThread::currentThread() == context->thread(); }

    std::shared_ptr<Live> find(DialogWindow window) const
    {
        std::lock_guard lock(mutex);
        for (const auto& live : open)
            if (live->window == window)
                return live;
        return nullptr;
    }

    void forget(const std::shared_ptr<Live>& live)
    {
        std::lock_guard lock(mutex);
        std::erase(open, live);
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

    // Runs fn with a control of a live dialog on the GUI thread, marked as the host's own change.
    void withControl(DialogWindow window, int id, const std::function<void(Live&, Control&)>& fn)
    {
        const std::shared_ptr<Live> live = find(window);
        if (!live)
            return;
        callOnGui([&] {
            if (!live->box)
                return;
            for (Control& c : live->controls) {
                if (c.id != id)
                    continue;
                if (c.widget) {
                    ++live->quiet;
                    fn(*live, c);
                    --live->quiet;
                }
                return;
            }
        });
    }

    // --- GUI thread: notifications -----------------------------------------------------------

    void wake(Live& live)
    {
        if (live.loop) {
            live.woken = true;
            live.loop->quit();
        }
    }

    void post(Live& live, Notification n)
    {
        if (live.quiet > 0 || live.closing)
            return;
        {
            std::lock_guard lock(mutex);
            if (live.ended || live.aborted)
                return;
            live.queue.push_back(n);
        }
        changed.notify_all();
        wake(live);
    }

    void command(Live& live, int id, int code) { post(live, Notification{false, id, code}); }

    void scroll(Live& live, int id, ScrollRequest request, int thumb)
    {
        post(live, Notification{true, id, 0, request, thumb});
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

    // --- GUI thread: building ----------------------------------------------------------------

    static int px(int x) { return scaled(x, 6, 4); }
    static int py(int y) { return scaled(y, 13, 8); }

    Control* controlOf(Live& live, const QWidget* widget)
    {
        if (widget == nullptr)
            return nullptr;
        for (Control& c : live.controls)
            if (c.widget == widget)
                return &c;
        return nullptr;
    }

    Control* controlById(Live& live, int id)
    {
        for (Control& c : live.controls)
            if (c.id == id)
                return &c;
        return nullptr;
    }

    // Indices of the first and last control of the group that control i belongs to.
    static std::pair<std::size_t, std::size_t> groupOf(const Live& live, std::size_t i)
    {
        std::size_t first = i;
        while (first > 0 && !(live.controls[first].style & st::Group))
            --first;
        std::size_t last = i;
        while (last + 1 < live.controls.size() && !(live.controls[last + 1].style & st::Group))
            ++last;
        return {first, last};
    }

    static bool isAutoRadio(const Control& c)
    {
        return c.kind == Kind::RadioButton && (c.style & st::ButtonTypeMask) == st::AutoRadioButton;
    }

    // A click on an automatic radio button: it becomes checked and the other automatic radio
    // buttons of its group unchecked.
    void checkAutoRadio(Live& live, std::size_t i)
    {
        const auto [first, last] = groupOf(live, i);
        for (std::size_t k = first; k <= last; ++k) {
            Control& c = live.controls[k];
            if (auto* button = qobject_cast<QAbstractButton*>(c.widget.data()); button && isAutoRadio(c))
                button->setChecked(k == i);
        }
    }

    bool usable(const Live& live, const Control& c) const
    {
        return c.widget && c.widget->isVisibleTo(live.box) && c.widget->isEnabledTo(live.box);
    }

    static bool focusable(const Control& c)
    {
        return c.kind != Kind::Static && c.kind != Kind::Icon && c.kind != Kind::GroupBox && c.kind != Kind::Other;
    }

    QString caption(const Control& c) const
    {
        switch (c.kind) {
        case Kind::Static: return static_cast<QLabel*>(c.widget.data())->text();
        case Kind::GroupBox: return static_cast<QGroupBox*>(c.widget.data())->title();
        case Kind::CheckBox:
        case Kind::RadioButton: return static_cast<QAbstractButton*>(c.widget.data())->text();
        case Kind::Edit: return static_cast<QLineEdit*>(c.widget.data())->text();
        case Kind::ComboBox: return static_cast<QComboBox*>(c.widget.data())->currentText();
        default: return c.text;
        }
    }

    void setButtonCaption(Control& c, const QString& text)
    {
        auto* button = static_cast<QPushButton*>(c.widget.data());
        c.text = text;
        if (c.style & st::ButtonMultiLine)
            button->setText(wrapped(text, QFontMetrics(button->font()), button->width() - ButtonTextMargin));
        else
            button->setText(text);
    }

    QWidget* createControl(const std::shared_ptr<Live>& livePtr, std::size_t index, const dialogs::TemplateItem& item)
    {
        Live& live = *livePtr;
        Control& c = live.controls[index];
        DialogBox* box = live.box;
        const QString text = item.title.ordinal ? QString() : toQt(item.title.name);
        const int id = item.id;
        const std::optional<std::uint16_t> klass = classOf(item.windowClass);
        const std::uint32_t type = item.style & st::ButtonTypeMask;
        QWidget* w = nullptr;

        if (klass == cls::Button && type == st::GroupBox) {
            auto* group = new QGroupBox(text, box);
            group->setAttribute(Qt::WA_TransparentForMouseEvents);
            c.kind = Kind::GroupBox;
            w = group;
        } else if (klass == cls::Button && (type == st::CheckBox || type == st::AutoCheckBox ||
                                            type == st::ThreeState || type == st::AutoThreeState)) {
            auto* check = new DialogButton<QCheckBox>(text, box);
            check->setTristate(type == st::ThreeState || type == st::AutoThreeState);
            if (type == st::AutoCheckBox) {
                check->nextState = [check] { check->setChecked(!check->isChecked()); };
            } else if (type == st::AutoThreeState) {
                // The system's order: unchecked, checked, indeterminate.
                check->nextState = [check] {
                    const Qt::CheckState s = check->checkState();
                    check->setCheckState(s == Qt::Unchecked ? Qt::Checked
                                         : s == Qt::Checked ? Qt::PartiallyChecked
                                                            : Qt::Unchecked);
                };
            }
            c.kind = Kind::CheckBox;
            w = check;
        } else if (klass == cls::Button && (type == st::RadioButton || type == st::AutoRadioButton)) {
            auto* radio = new DialogButton<QRadioButton>(text, box);
            radio->setAutoExclusive(false);
            if (type == st::AutoRadioButton)
                radio->nextState = [this, livePtr, index] { checkAutoRadio(*livePtr, index); };
            c.kind = Kind::RadioButton;
            w = radio;
        } else if (klass == cls::Button) {
            auto* push = new DialogButton<QPushButton>(box);
            push->setAutoDefault(true);
            push->setDefault(type == st::DefaultPushButton);
            c.kind = Kind::PushButton;
            w = push;
        } else if (klass == cls::Edit) {
            auto* edit = new QLineEdit(text, box);
            edit->setFrame((item.style & st::Border) != 0);
            edit->setReadOnly((item.style & EditReadOnly) != 0);
            if (item.style & EditPassword)
                edit->setEchoMode(QLineEdit::Password);
            if (item.style & EditRight)
                edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            else if (item.style & EditCentre)
                edit->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
            // textEdited comes from the user only: a text the program sets raises nothing.
            QObject::connect(edit, &QLineEdit::textEdited, context, [this, livePtr, id] {
                command(*livePtr, id, notify::EditUpdate);
                command(*livePtr, id, notify::EditChange);
            });
            c.kind = Kind::Edit;
            w = edit;
        } else if (klass == cls::Static) {
            const std::uint32_t staticType = item.style & StaticTypeMask;
            auto* label = new QLabel(box);
            if (staticType == st::StaticIcon) {
                label->setPixmap(QApplication::windowIcon().pixmap(IconSize, IconSize));
                c.kind = Kind::Icon;
                c.text = text;
            } else {
                label->setTextFormat(Qt::PlainText);
                label->setText(text);
                const Qt::Alignment horizontal = staticType == st::StaticCentre ? Qt::AlignHCenter
                                                 : staticType == StaticRight  ? Qt::AlignRight
                                                                              : Qt::AlignLeft;
                label->setAlignment(horizontal | Qt::AlignTop);
                label->setWordWrap(staticType <= StaticRight);
                if (staticType == StaticSimple || staticType == StaticLeftNoWordWrap)
                    label->setWordWrap(false);
                c.kind = Kind::Static;
            }
            w = label;
        } else if (klass == cls::ScrollBar) {
            auto* bar = new DialogScrollBar((item.style & st::ScrollVertical) ? Qt::Vertical : Qt::Horizontal, box);
            // A new scroll bar control spans 0..100 with the thumb at 0.
            bar->setRange(0, 100);
            bar->setValue(0);
            bar->setPageStep(0);
            bar->setTracking(true);
            bar->report = [this, livePtr, id](ScrollRequest r, int thumb) { scroll(*livePtr, id, r, thumb); };
            QObject::connect(bar, &QAbstractSlider::sliderPressed, context, [bar] { bar->lastTrack = bar->value(); });
            QObject::connect(bar, &QAbstractSlider::sliderReleased, context, [this, livePtr, id, bar] {
                scroll(*livePtr, id, ScrollRequest::ThumbPosition, bar->lastTrack);
            });
            QObject::connect(bar, &QAbstractSlider::actionTriggered, context, [this, livePtr, id, bar](int action) {
                // Qt has already moved the thumb: report the request and put the thumb back
                // where the program left it.
                const int thumb = bar->sliderPosition();
                bar->setSliderPosition(bar->value());
                using A = QAbstractSlider::SliderAction;
                ScrollRequest r;
                switch (action) {
                case A::SliderSingleStepAdd: r = ScrollRequest::LineDown; break;
                case A::SliderSingleStepSub: r = ScrollRequest::LineUp; break;
                case A::SliderPageStepAdd: r = ScrollRequest::PageDown; break;
                case A::SliderPageStepSub: r = ScrollRequest::PageUp; break;
                case A::SliderToMinimum: r = ScrollRequest::Top; break;
                case A::SliderToMaximum: r = ScrollRequest::Bottom; break;
                case A::SliderMove:
                    if (bar->isSliderDown()) {
                        bar->lastTrack = thumb;
                        r = ScrollRequest::ThumbTrack;
                    } else {
                        r = ScrollRequest::ThumbPosition;
                    }
                    scroll(*livePtr, id, r, thumb);
                    return;
                default: return;
                }
                scroll(*livePtr, id, r, 0);
            });
            c.kind = Kind::ScrollBar;
            w = bar;
        } else if (klass == cls::ListBox) {
            auto* list = new QListWidget(box);
            if (item.style & st::ListMultipleSelection)
                list->setSelectionMode(QAbstractItemView::MultiSelection);
            else if (item.style & st::ListExtendedSelection)
                list->setSelectionMode(QAbstractItemView::ExtendedSelection);
            else
                list->setSelectionMode(QAbstractItemView::SingleSelection);
            // A list box tells its dialog only when its style asks for notifications.
            if (item.style & st::ListNotify) {
                QObject::connect(list, &QListWidget::itemSelectionChanged, context,
                                 [this, livePtr, id] { command(*livePtr, id, notify::ListSelectionChange); });
                QObject::connect(list, &QListWidget::itemDoubleClicked, context,
                                 [this, livePtr, id] { command(*livePtr, id, notify::ListDoubleClick); });
            }
            c.kind = Kind::ListBox;
            c.text = text;
            w = list;
        } else if (klass == cls::ComboBox) {
            auto* combo = new QComboBox(box);
            const bool editable = (item.style & st::ComboTypeMask) != st::ComboDropDownList;
            combo->setEditable(editable);
            combo->setInsertPolicy(QComboBox::NoInsert);
            if (editable) {
                combo->setCompleter(nullptr); // the system's combo box completes nothing
                combo->setEditText(text);
                QObject::connect(combo->lineEdit(), &QLineEdit::textEdited, context, [this, livePtr, id] {
                    command(*livePtr, id, notify::ComboEditUpdate);
                    command(*livePtr, id, notify::ComboEditChange);
                });
            }
            QObject::connect(combo, &QComboBox::currentIndexChanged, context,
                             [this, livePtr, id] { command(*livePtr, id, notify::ListSelectionChange); });
            c.kind = Kind::ComboBox;
            w = combo;
        } else {
            // A class the host does not know: an empty placeholder.
            w = new QWidget(box);
            c.kind = Kind::Other;
            c.text = text;
        }

        c.widget = w;
        if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            QObject::connect(button, &QAbstractButton::clicked, context,
                             [this, livePtr, id] { command(*livePtr, id, notify::ButtonClicked); });
        }

        QRect r(px(item.x), py(item.y), px(item.width), py(item.height));
        if (c.kind == Kind::Icon)
            r.setSize(QSize(IconSize, IconSize));
        if (c.kind == Kind::ComboBox)
            r.setHeight(w->sizeHint().height()); // the template height includes the dropped list
        w->setGeometry(r);

        if (c.kind == Kind::PushButton)
            setButtonCaption(c, text); // after the geometry: a multi-line caption wraps to the width

        const bool tabStop = (item.style & st::TabStop) != 0;
        if (!focusable(c))
            w->setFocusPolicy(Qt::NoFocus);
        else if (tabStop)
            w->setFocusPolicy(Qt::StrongFocus);
        else
            w->setFocusPolicy(c.kind == Kind::ScrollBar ? Qt::NoFocus : Qt::ClickFocus);
        w->setEnabled(!(item.style & st::Disabled));
        if (!(item.style & st::Visible))
            w->hide();
        return w;
    }

    void build(const std::shared_ptr<Live>& livePtr, const dialogs::DialogTemplate& t, DialogWindow owner)
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
        Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint;
        if ((t.style & st::Caption) == st::Caption)
            flags |= Qt::WindowTitleHint;
        else
            flags |= Qt::FramelessWindowHint;
        if (t.style & st::SystemMenu)
            flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        box->setWindowFlags(flags);
        // A dialog of the program thread holds the program in its own loop; the frame stays
        // usable beside it (its menus, About, Pause, Save), as the picture it shows is meant to
        // be worked with while the dialog waits. A dialog nested in another blocks that one; a
        // dialog run from a menu on the message thread blocks the frame.
        const bool nested = owner.isValid() && ownerWidget != nullptr;
        if (nested)
            box->setWindowModality(Qt::WindowModal);
        else if (live.guiMode)
            box->setWindowModality(ownerWidget ? Qt::WindowModal : Qt::ApplicationModal);
        else
            box->setWindowModality(Qt::NonModal);
        box->setWindowTitle(toQt(t.title.name));
        QFont font(QStringLiteral("Liberation Sans"));
        font.setPixelSize(11);
        box->setFont(font);

        // The template gives the client area, relative to the owner's client area.
        const QSize size(px(t.width), py(t.height));
        box->setFixedSize(size);
        QPoint origin;
        if (t.style & CentreBox) {
            QRect area = ownerWidget ? ownerWidget->window()->geometry()
                                     : QGuiApplication::primaryScreen()->availableGeometry();
            origin = area.center() - QPoint(size.width() / 2, size.height() / 2);
        } else {
            if (ownerWidget && !(t.style & AbsoluteAlign)) {
                QWidget* client = ownerWidget;
                if (auto* main = qobject_cast<QMainWindow*>(ownerWidget); main && main->centralWidget())
                    client = main->centralWidget();
                origin = client->mapToGlobal(QPoint(0, 0));
            }
            origin += QPoint(px(t.x), py(t.y));
        }
        box->setGeometry(QRect(origin, size));

        live.controls.resize(t.items.size());
        for (std::size_t i = 0; i < t.items.size(); ++i) {
            const dialogs::TemplateItem& item = t.items[i];
            live.controls[i].id = item.id;
            live.controls[i].style = item.style;
            createControl(livePtr, i, item);
        }

        // Tab order is template order among the controls with a tab stop. Group boxes lie
        // beneath the controls they frame.
        QWidget* previous = nullptr;
        for (Control& c : live.controls) {
            if (c.kind == Kind::GroupBox)
                c.widget->lower();
            if (!(c.style & st::TabStop) || !focusable(c))
                continue;
            if (previous)
                QWidget::setTabOrder(previous, c.widget);
            previous = c.widget;
        }
        // A label's mnemonic moves the focus to the control after it.
        for (std::size_t i = 0; i + 1 < live.controls.size(); ++i) {
            Control& c = live.controls[i];
            if (c.kind == Kind::Static && !(c.style & StaticNoPrefix) && !mnemonicOf(caption(c)).isNull())
                static_cast<QLabel*>(c.widget.data())->setBuddy(live.controls[i + 1].widget);
        }

        for (QWidget* w : box->findChildren<QWidget*>())
            w->installEventFilter(box);
        box->key = [this, livePtr](QKeyEvent* e) { return key(*livePtr, e); };
        box->claimsShortcut = [this, livePtr](QKeyEvent* e) {
            return (e->modifiers() & ~Qt::KeypadModifier) == Qt::AltModifier && findMnemonic(*livePtr, e) >= 0;
        };
        box->escape = [this, livePtr] { command(*livePtr, 2, notify::ButtonClicked); };
        box->closeBox = [this, livePtr] { closeBox(*livePtr); };
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
        // The first visible, enabled control with a tab stop gets the focus, its text selected.
        for (Control& c : live.controls) {
            if ((c.style & st::TabStop) && focusable(c) && usable(live, c)) {
                c.widget->setFocus(Qt::TabFocusReason);
                // The box is not active yet: the focus arrives later for another reason, and
                // the edit box would not select its text by itself.
                if (auto* edit = qobject_cast<QLineEdit*>(c.widget.data()))
                    edit->selectAll();
                return;
            }
        }
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

    // --- GUI thread: keys --------------------------------------------------------------------

    void enter(Live& live)
    {
        if (const Control* f = controlOf(live, live.box->focusWidget()); f && f->kind == Kind::PushButton) {
            command(live, f->id, notify::ButtonClicked);
            return;
        }
        for (const Control& c : live.controls) {
            if (c.kind == Kind::PushButton && (c.style & st::ButtonTypeMask) == st::DefaultPushButton) {
                if (c.widget && c.widget->isEnabledTo(live.box))
                    command(live, c.id, notify::ButtonClicked);
                return;
            }
        }
        command(live, 1, notify::ButtonClicked);
    }

    void closeBox(Live& live)
    {
        if (!(live.style & st::SystemMenu))
            return;
        if (const Control* cancel = controlById(live, 2); cancel && cancel->widget && !cancel->widget->isEnabledTo(live.box))
            return;
        command(live, 2, notify::ButtonClicked);
    }

    // The control whose mnemonic is the key's letter, searched from the control after the
    // focus; -1 when there is none.
    int findMnemonic(Live& live, const QKeyEvent* e)
    {
        const int k = e->key();
        if (!((k >= Qt::Key_A && k <= Qt::Key_Z) || (k >= Qt::Key_0 && k <= Qt::Key_9)))
            return -1;
        const QChar letter(k);
        const int n = static_cast<int>(live.controls.size());
        int start = -1;
        if (const Control* f = controlOf(live, live.box->focusWidget()))
            start = static_cast<int>(f - live.controls.data());
        for (int step = 1; step <= n; ++step) {
            const int i = (start + step + n) % n;
            const Control& c = live.controls[static_cast<std::size_t>(i)];
            if (c.kind == Kind::Edit || c.kind == Kind::ComboBox || c.kind == Kind::ListBox ||
                c.kind == Kind::ScrollBar || c.kind == Kind::Icon || !usable(live, c))
                continue;
            if (c.kind == Kind::Static && (c.style & StaticNoPrefix))
                continue;
            if (mnemonicOf(caption(c)) == letter)
                return i;
        }
        return -1;
    }

    bool mnemonic(Live& live, const QKeyEvent* e)
    {
        const int i = findMnemonic(live, e);
        if (i < 0)
            return false;
        Control& c = live.controls[static_cast<std::size_t>(i)];
        auto* button = qobject_cast<QAbstractButton*>(c.widget.data());
        if (c.kind == Kind::PushButton) {
            button->click();
        } else if (c.kind == Kind::CheckBox || c.kind == Kind::RadioButton) {
            button->setFocus(Qt::ShortcutFocusReason);
            button->click();
        } else {
            // A label or group box: the next control that takes the focus.
            for (std::size_t k = static_cast<std::size_t>(i) + 1; k < live.controls.size(); ++k) {
                Control& next = live.controls[k];
                if (focusable(next) && usable(live, next) && next.widget->focusPolicy() != Qt::NoFocus) {
                    next.widget->setFocus(Qt::ShortcutFocusReason);
                    break;
                }
            }
        }
        return true;
    }

    // The arrow keys move the focus within the focused control's group; an automatic radio
    // button reached so is clicked unless already checked.
    bool moveInGroup(Live& live, bool forward)
    {
        const Control* f = controlOf(live, live.box->focusWidget());
        if (f == nullptr)
            return false;
        const std::size_t self = static_cast<std::size_t>(f - live.controls.data());
        const auto [first, last] = groupOf(live, self);
        const std::size_t size = last - first + 1;
        for (std::size_t step = 1; step < size; ++step) {
            const std::size_t offset = forward ? (self - first + step) % size : (self - first + size - step) % size;
            Control& c = live.controls[first + offset];
            if (!focusable(c) || !usable(live, c) || c.widget->focusPolicy() == Qt::NoFocus)
                continue;
            c.widget->setFocus(Qt::TabFocusReason);
            if (auto* button = qobject_cast<QAbstractButton*>(c.widget.data()); button && isAutoRadio(c) && !button->isChecked())
                button->click();
            return true;
        }
        return true;
    }

    bool key(Live& live, QKeyEvent* e)
    {
        const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
        const int k = e->key();
        if ((k == Qt::Key_Return || k == Qt::Key_Enter) && mods == Qt::NoModifier) {
            enter(live);
            return true;
        }
        if (k == Qt::Key_Escape && mods == Qt::NoModifier) {
            command(live, 2, notify::ButtonClicked);
            return true;
        }
        if (isArrow(k) && mods == Qt::NoModifier)
            return moveInGroup(live, k == Qt::Key_Down || k == Qt::Key_Right);
        if (mods == Qt::NoModifier || mods == Qt::AltModifier)
            return mnemonic(live, e);
        return false;
    }

    // --- The modal loops -----------------------------------------------------------------------

    void deliver(Live& live, const Notification& n)
    {
        if (n.scroll)
            live.events->onScroll(n.id, n.request, n.thumb);
        else
            live.events->onCommand(n.id, n.code);
    }

    // The next thing for the loop: a notification, or the end (set in result).
    enum class Next { Notification, Ended, Wait };
    Next next(Live& live, Notification& n, int& result)
    {
        if (live.ended) {
            result = live.result;
            return Next::Ended;
        }
        if (live.aborted) {
            result = -1;
            return Next::Ended;
        }
        if (live.queue.empty())
            return Next::Wait;
        n = live.queue.front();
        live.queue.pop_front();
        return Next::Notification;
    }

    // A run on another thread: sleep until the GUI thread queues something.
    int threadLoop(Live& live)
    {
        std::unique_lock lock(mutex);
        for (;;) {
            Notification n;
            int result = 0;
            switch (next(live, n, result)) {
            case Next::Ended: return result;
            case Next::Wait: changed.wait(lock); break;
            case Next::Notification:
                lock.unlock();
                deliver(live, n);
                lock.lock();
                break;
            }
        }
    }

    // A run on the GUI thread: a nested event loop, left whenever something is queued; the
    // notifications are delivered from here, outside any widget's event handler.
    int guiLoop(Live& live)
    {
        QEventLoop loop;
        live.loop = &loop;
        int result = 0;
        for (;;) {
            Notification n;
            Next what;
            {
                std::lock_guard lock(mutex);
                what = next(live, n, result);
            }
            if (what == Next::Ended)
                break;
            if (what == Next::Notification) {
                deliver(live, n);
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

int QtDialogHost::unitsToPixelsX(int x) { return Impl::px(x); }
int QtDialogHost::unitsToPixelsY(int y) { return Impl::py(y); }

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
    if (!live || !live->box)
        return nullptr;
    const Impl::Control* c = m_impl->controlById(*live, controlId);
    return c ? c->widget.data() : nullptr;
}

int QtDialogHost::runModal(std::span<const std::uint8_t> templateBytes, DialogWindow owner, DialogEvents& events)
{
    Impl& d = *m_impl;
    const dialogs::ParsedTemplate parsed = dialogs::parseDialogTemplate(templateBytes);
    if (!parsed)
        return -1;

    auto live = std::make_shared<Impl::Live>();
    live->window = DialogWindow{d.nextWindow++};
    live->style = parsed.value->style;
    live->events = &events;
    live->guiMode = d.onGuiThread();
    {
        std::lock_guard lock(d.mutex);
        if (d.gone)
            return -1;
        d.open.push_back(live);
    }
    if (!d.callOnGui([&] { d.build(live, *parsed.value, owner); })) {
        d.forget(live);
        return -1;
    }

    events.onInit(live->window);
    bool finished;
    {
        std::lock_guard lock(d.mutex);
        finished = live->ended || live->aborted;
    }
    if (!finished)
        d.callOnGui([&] { d.show(*live); });

    const int result = live->guiMode ? d.guiLoop(*live) : d.threadLoop(*live);
    d.callOnGui([&] { d.destroy(*live); });
    d.forget(live);
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

std::string QtDialogHost::text(DialogWindow dialog, int controlId)
{
    std::string out;
    m_impl->withControl(dialog, controlId, [&](Live&, Control& c) { out = fromQt(m_impl->caption(c)); });
    return out;
}

void QtDialogHost::setText(DialogWindow dialog, int controlId, std::string_view text)
{
    const QString t = toQt(text);
    m_impl->withControl(dialog, controlId, [&](Live&, Control& c) {
        QWidget* w = c.widget;
        switch (c.kind) {
        case Kind::Static: static_cast<QLabel*>(w)->setText(t); break;
        case Kind::GroupBox: static_cast<QGroupBox*>(w)->setTitle(t); break;
        case Kind::PushButton: m_impl->setButtonCaption(c, t); break;
        case Kind::CheckBox:
        case Kind::RadioButton: static_cast<QAbstractButton*>(w)->setText(t); break;
        case Kind::Edit: {
            auto* edit = static_cast<QLineEdit*>(w);
            edit->setText(t);
            edit->setCursorPosition(0); // a set text leaves the caret at its start
            break;
        }
        case Kind::ComboBox:
            if (auto* combo = static_cast<QComboBox*>(w); combo->isEditable())
                combo->setEditText(t);
            break;
        default: c.text = t; break;
        }
    });
}

bool QtDialogHost::isEnabled(DialogWindow dialog, int controlId)
{
    bool enabled = false;
    m_impl->withControl(dialog, controlId, [&](Live& live, Control& c) { enabled = c.widget->isEnabledTo(live.box); });
    return enabled;
}

void QtDialogHost::setEnabled(DialogWindow dialog, int controlId, bool enabled)
{
    m_impl->withControl(dialog, controlId, [&](Live&, Control& c) { c.widget->setEnabled(enabled); });
}

int QtDialogHost::checkState(DialogWindow dialog, int controlId)
{
    int state = Unchecked;
    m_impl->withControl(dialog, controlId, [&](Live&, Control& c) {
        if (c.kind == Kind::CheckBox) {
            const Qt::CheckState s = static_cast<QCheckBox*>(c.widget.data())->checkState();
            state = s == Qt::Checked ? Checked : s == Qt::PartiallyChecked ? 2 : Unchecked;
        } else if (c.kind == Kind::RadioButton) {
            state = static_cast<QAbstractButton*>(c.widget.data())->isChecked() ? Checked : Unchecked;
        }
    });
    return state;
}

void QtDialogHost::setCheckState(DialogWindow dialog, int controlId, int state)
{
    m_impl->withControl(dialog, controlId, [&](Live&, Control& c) {
        if (c.kind == Kind::CheckBox) {
            auto* check = static_cast<QCheckBox*>(c.widget.data());
            check->setCheckState(state == Unchecked                      ? Qt::Unchecked
                                 : state == 2 && check->isTristate()     ? Qt::PartiallyChecked
                                                                         : Qt::Checked);
        } else if (c.kind == Kind::RadioButton) {
            static_cast<QAbstractButton*>(c.widget.data())->setChecked(state != Unchecked);
        }
    });
}

namespace {
QScrollBar* asScrollBar(Control& c) { return c.kind == Kind::ScrollBar ? static_cast<QScrollBar*>(c.widget.data()) : nullptr; }
QListWidget* asList(Control& c) { return c.kind == Kind::ListBox ? static_cast<QListWidget*>(c.widget.data()) : nullptr; }
QComboBox* asCombo(Control& c) { return c.kind == Kind::ComboBox ? static_cast<QComboBox*>(c.widget.data()) : nullptr; }

// Where a sorted list puts a new item: after every item that does not sort after it.
template <class CountFn, class TextFn>
int sortedPosition(const QString& text, CountFn count, TextFn textAt)
{
    int i = 0;
    while (i < count() && QString::compare(textAt(i), text, Qt::CaseInsensitive) <= 0)
        ++i;
    return i;
}
} // namespace

void QtDialogHost::setScrollRange(DialogWindow dialog, int controlId, int minimum, int maximum)
{
    m_impl->withControl(dialog, controlId, [&](Live&, Control& c) {
        if (QScrollBar* bar = asScrollBar(c))
            bar->setRange(minimum, maximum);
    });
}

int QtDialogHost::scrollRangeMax(DialogWindow dialog, int controlId)
{
    int value = 0;
    m_impl->withControl(dialog, controlId, [&](Live&, Control& c) {
        if (QScrollBar* bar = asScrollBar(c))
            value = bar->maximum();
    });
    return value;
}

int QtDialogHost::scrollPosition(DialogWindow dialog, int controlId)
{
    int value = 0;
    m_impl->withControl(dialog, controlId, [&](Live&, Control& c) {
        if (QScrollBar* bar = asScrollBar(c))
            value = bar->value();
    });
    return value;
}

void QtDialogHost::setScrollPosition(DialogWindow dialog, int controlId, int position)
{
    m_impl->withControl(dialog, controlId, [&](Live&, Control& c) {
        if (QScrollBar* bar = asScrollBar(c))
            bar->setValue(position); // kept within the range
    });
}

void QtDialogHost::clearItems(DialogWindow dialog, int controlId)
{
    m_impl->withControl(dialog, controlId, [&](Live&, Control& c) {
        if (QListWidget* list = asList(c))
            list->clear();
        else if (QComboBox* combo = asCombo(c))
            combo->clear();
    });
}

void QtDialogHost::addItem(DialogWindow dialog, int controlId, std::string_view text)
{
    const QString t = toQt(text);
    m_impl->withControl(dialog, controlId, [&](Live&, Control& c) {
        if (QListWidget* list = asList(c)) {
            if (c.style & ListSort)
                list->insertItem(sortedPosition(t, [&] { return list->count(); },
                                                [&](int i) { return list->item(i)->text(); }),
                                 t);
            else
                list->addItem(t);
        } else if (QComboBox* combo = asCombo(c)) {
            // Adding to an empty combo box selects nothing and leaves its edit field alone.
            const int before = combo->currentIndex();
            const QString editText = combo->currentText();
            if (c.style & ComboSort)
                combo->insertItem(sortedPosition(t, [&] { return combo->count(); },
                                                 [&](int i) { return combo->itemText(i); }),
                                  t);
            else
                combo->addItem(t);
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
    int n = 0;
    m_impl->withControl(dialog, controlId, [&](Live&, Control& c) {
        if (QListWidget* list = asList(c))
            n = list->count();
        else if (QComboBox* combo = asCombo(c))
            n = combo->count();
    });
    return n;
}

std::string QtDialogHost::itemText(DialogWindow dialog, int controlId, int index)
{
    std::string out;
    m_impl->withControl(dialog, controlId, [&](Live&, Control& c) {
        if (QListWidget* list = asList(c); list && index >= 0 && index < list->count())
            out = fromQt(list->item(index)->text());
        else if (QComboBox* combo = asCombo(c); combo && index >= 0 && index < combo->count())
            out = fromQt(combo->itemText(index));
    });
    return out;
}

int QtDialogHost::currentSelection(DialogWindow dialog, int controlId)
{
    int current = -1;
    m_impl->withControl(dialog, controlId, [&](Live&, Control& c) {
        if (QListWidget* list = asList(c)) {
            if (list->selectionMode() != QAbstractItemView::SingleSelection)
                current = list->currentRow(); // the caret
            else if (const QList<QListWidgetItem*> selected = list->selectedItems(); !selected.isEmpty())
                current = list->row(selected.front());
        } else if (QComboBox* combo = asCombo(c)) {
            current = combo->currentIndex();
        }
    });
    return current;
}

bool QtDialogHost::isItemSelected(DialogWindow dialog, int controlId, int index)
{
    bool selected = false;
    m_impl->withControl(dialog, controlId, [&](Live&, Control& c) {
        if (QListWidget* list = asList(c); list && index >= 0 && index < list->count())
            selected = list->item(index)->isSelected();
        else if (QComboBox* combo = asCombo(c); combo && index >= 0)
            selected = combo->currentIndex() == index;
    });
    return selected;
}

void QtDialogHost::selectItem(DialogWindow dialog, int controlId, int index)
{
    m_impl->withControl(dialog, controlId, [&](Live&, Control& c) {
        if (QListWidget* list = asList(c)) {
            const bool inRange = index >= 0 && index < list->count();
            const bool single = list->selectionMode() == QAbstractItemView::SingleSelection;
            if (single || index < 0)
                list->clearSelection();
            if (!inRange)
                return;
            if (single) {
                list->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
            } else {
                list->item(index)->setSelected(true);
                list->selectionModel()->setCurrentIndex(list->model()->index(index, 0), QItemSelectionModel::NoUpdate);
            }
        } else if (QComboBox* combo = asCombo(c)) {
            combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
        }
    });
}

} // namespace platform
