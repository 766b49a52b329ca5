#include "platform/qt/QtDialogHost.h"

#include "platform/qt/GuiInvoker.h"
#include "platform/qt/QtDialogControls.h"
#include "platform/qt/QtDialogInputQueue.h"

#include <QCoreApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>

#include <mutex>
#include <optional>

namespace platform {
namespace {

// The key as the dialog's keys name it, if it is one of them (whoever it then goes to).
std::optional<DialogKeyPress> dialogKeyOf(const QKeyEvent* e)
{
    const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
    const int k = e->key();
    if (k == Qt::Key_Backtab || (k == Qt::Key_Tab && mods == Qt::ShiftModifier))
        return DialogKeyPress{DialogKey::Tab, 0, false, true};
    if (mods == Qt::NoModifier) {
        if (k == Qt::Key_Return || k == Qt::Key_Enter)
            return DialogKeyPress{DialogKey::Enter};
        if (k == Qt::Key_Escape)
            return DialogKeyPress{DialogKey::Escape};
        if (k == Qt::Key_Tab)
            return DialogKeyPress{DialogKey::Tab};
        static constexpr DialogKey arrows[] = {DialogKey::Left, DialogKey::Up, DialogKey::Right, DialogKey::Down};
        if (k >= Qt::Key_Left && k <= Qt::Key_Down)
            return DialogKeyPress{arrows[k - Qt::Key_Left]};
    }
    const bool alnum = (k >= Qt::Key_A && k <= Qt::Key_Z) || (k >= Qt::Key_0 && k <= Qt::Key_9);
    if (alnum && (mods == Qt::AltModifier || mods == Qt::NoModifier))
        return DialogKeyPress{DialogKey::Character, static_cast<char>(k), mods == Qt::AltModifier};
    return std::nullopt;
}

// The box: keys the dialog handles and the close box go to the host; only the host (or the
// application as it quits) closes it.
class DialogBox final : public QDialog {
public:
    using QDialog::QDialog;
    // Whether the key is the dialog's; report: the host reports it too (a key press).
    std::function<bool(const QKeyEvent*, bool report)> dialogKey;
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
        if ((press || e->type() == QEvent::ShortcutOverride) && dialogKey
            && dialogKey(static_cast<QKeyEvent*>(e), press)) {
            e->accept();
            return true;
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

struct QtDialogHost::Impl {
    struct Live {
        Live(DialogInput& input, bool guiThread) : inputs(input, guiThread) {}
        DialogWindow window;
        QtDialogInputQueue inputs;

        // GUI thread only.
        QPointer<DialogBox> box;
        std::vector<QtControl> controls;
        int quiet = 0;         // > 0 while the host itself changes controls
        bool closing = false;  // the host is taking the box down
        bool quitting = false; // the application is closing its windows to quit
    };

    std::function<QWidget*()> frame;
    QObject* context = nullptr; // lives on the GUI thread; queued calls are delivered to it
    std::optional<GuiInvoker> gui;

    mutable std::mutex mutex;
    std::vector<std::shared_ptr<Live>> open; // outermost first
    bool gone = false;                       // the application quit or the host is going
    std::uint64_t nextWindow = 1;            // guarded by mutex

    std::shared_ptr<Live> find(DialogWindow window) const
    {
        std::lock_guard lock(mutex);
        for (const auto& live : open)
            if (live->window == window)
                return live;
        return nullptr;
    }

    static QtControl* controlById(Live& live, int id)
    {
        for (QtControl& c : live.controls)
            if (c.layout.id == id)
                return &c;
        return nullptr;
    }

    // The control a widget belongs to (a combo box's edit field belongs to the combo box).
    static QtControl* controlOf(Live& live, const QWidget* widget)
    {
        for (; widget != nullptr && widget != live.box; widget = widget->parentWidget())
            for (QtControl& c : live.controls)
                if (c.widget == widget)
                    return &c;
        return nullptr;
    }

    // Runs fn with a control of a live dialog on the GUI thread, as the host's own change, and
    // returns its result; fallback when there is no such control.
    template <class R, class F> R onControl(DialogWindow window, int id, R fallback, F&& fn)
    {
        const std::shared_ptr<Live> live = find(window);
        if (!live)
            return fallback;
        return gui->runOr(fallback, [&]() -> R {
            QtControl* c = live->box ? controlById(*live, id) : nullptr;
            if (c == nullptr || !c->widget)
                return fallback;
            ++live->quiet;
            if constexpr (std::is_void_v<decltype(fn(*c))>) {
                fn(*c);
                --live->quiet;
                return fallback;
            } else {
                R result = fn(*c);
                --live->quiet;
                return result;
            }
        });
    }
    template <class F> void change(DialogWindow window, int id, F&& fn) { onControl(window, id, 0, fn); }

    // --- GUI thread: input ----------------------------------------------------------------------

    // What the user does, unless it is the host's own change.
    static void post(Live& live, QtDialogInputQueue::Input input)
    {
        if (live.quiet == 0 && !live.closing)
            live.inputs.post(std::move(input));
    }

    // The host or the application is going: no call is served any more, no dialog starts.
    // Returns the dialogs open now, taken before a waiting run is released and forgets its own.
    std::vector<std::shared_ptr<Live>> stop()
    {
        std::vector<std::shared_ptr<Live>> lives;
        {
            std::lock_guard lock(mutex);
            gone = true;
            lives = open;
        }
        gui->stop();
        return lives;
    }

    // The application is quitting: every run returns -1.
    void shutDown()
    {
        for (const auto& live : stop()) {
            live->inputs.abort();
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
            live->inputs.abort();
        }
    }

    // --- GUI thread: the box ----------------------------------------------------------------------

    QWidget* ownerWidget(DialogWindow owner) const
    {
        if (owner.isValid())
            if (const auto outer = find(owner); outer && outer->box)
                return outer->box;
        return frame ? frame() : nullptr;
    }

    // The box's place on the screen: the layout gives its client area relative to the owner's
    // client area, or to the screen, or centred.
    static QRect placement(const DialogLayout& layout, QWidget* owner)
    {
        const QSize size(layout.rect.width, layout.rect.height);
        if (layout.centred) {
            const QRect area =
                owner ? owner->window()->geometry() : QGuiApplication::primaryScreen()->availableGeometry();
            return QRect(area.center() - QPoint(size.width() / 2, size.height() / 2), size);
        }
        QPoint origin;
        if (owner && !layout.screenRelative) {
            QWidget* client = owner;
            if (auto* main = qobject_cast<QMainWindow*>(owner); main && main->centralWidget())
                client = main->centralWidget();
            origin = client->mapToGlobal(QPoint(0, 0));
        }
        return QRect(origin + QPoint(layout.rect.x, layout.rect.y), size);
    }

    void build(const std::shared_ptr<Live>& livePtr, const DialogLayout& layout, DialogWindow owner, bool guiThread)
    {
        Live& live = *livePtr;
        QWidget* ownerBox = ownerWidget(owner);
        auto* box = new DialogBox(ownerBox);
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
        if (owner.isValid() && ownerBox != nullptr)
            box->setWindowModality(Qt::WindowModal);
        else if (guiThread)
            box->setWindowModality(ownerBox ? Qt::WindowModal : Qt::ApplicationModal);
        else
            box->setWindowModality(Qt::NonModal);
        box->setWindowTitle(toQt(layout.caption));
        QFont font(QStringLiteral("Liberation Sans"));
        font.setPixelSize(11);
        box->setFont(font);
        box->setFixedSize(layout.rect.width, layout.rect.height);
        box->setGeometry(placement(layout, ownerBox));

        const QtInputReport report = [this, livePtr](std::function<void(DialogInput&)> in) {
            post(*livePtr, std::move(in));
        };
        live.controls.resize(layout.controls.size());
        for (std::size_t i = 0; i < layout.controls.size(); ++i) {
            live.controls[i].layout = layout.controls[i];
            createControlWidget(live.controls[i], box, context, report);
        }
        // Group boxes lie beneath the controls they frame. A label with an accelerator shows it
        // underlined, as the caption of the control after it (the dialog, not Qt, handles the key).
        for (std::size_t i = 0; i < live.controls.size(); ++i) {
            const QtControl& c = live.controls[i];
            if (c.layout.type == ControlType::GroupBox)
                c.widget->lower();
            if (c.layout.type == ControlType::Static && !c.layout.noPrefix
                && c.layout.caption.find('&') != std::string::npos && i + 1 < live.controls.size())
                static_cast<QLabel*>(c.widget.data())->setBuddy(live.controls[i + 1].widget);
        }

        box->installEventFilter(box);
        for (QWidget* w : box->findChildren<QWidget*>())
            w->installEventFilter(box);
        box->dialogKey = [this, livePtr](const QKeyEvent* e, bool reportIt) {
            const QtControl* f = controlOf(*livePtr, livePtr->box->focusWidget());
            const std::optional<DialogKeyPress> k = dialogKeyOf(e);
            if (!k || !reachesDialog(*k, f ? &f->layout : nullptr))
                return false;
            if (reportIt)
                post(*livePtr, [focusId = f ? f->layout.id : 0, key = *k](DialogInput& in) { in.onKey(focusId, key); });
            return true;
        };
        box->closeBox = [this, livePtr] { post(*livePtr, [](DialogInput& in) { in.onCloseBox(); }); };
        box->mayClose = [livePtr] { return livePtr->quitting; };
        QObject::connect(box, &QObject::destroyed, context, [this, livePtr] {
            if (!livePtr->closing)
                livePtr->inputs.abort();
        });
    }

    static void show(Live& live)
    {
        if (!live.box)
            return;
        live.box->show();
        live.box->activateWindow();
        if (live.box->focusWidget() == nullptr)
            live.box->setFocus(Qt::OtherFocusReason);
    }

    static void destroy(Live& live)
    {
        live.closing = true;
        if (live.box) {
            live.box->hide();
            // Later: a menu of one of its controls may still be on the stack.
            live.box->deleteLater();
        }
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
    m_impl->gui.emplace(m_impl->context);
}

QtDialogHost::~QtDialogHost()
{
    m_impl->stop();
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
    const QtControl* c = live && live->box ? Impl::controlById(*live, controlId) : nullptr;
    return c ? c->widget.data() : nullptr;
}

bool QtDialogHost::settled() const
{
    std::lock_guard lock(m_impl->mutex);
    for (const auto& live : m_impl->open)
        if (!live->inputs.settled())
            return false;
    return true;
}

int QtDialogHost::runModal(const DialogLayout& layout, DialogWindow owner, DialogInput& input)
{
    Impl& d = *m_impl;
    const bool guiThread = d.gui->onGuiThread();
    auto live = std::make_shared<Impl::Live>(input, guiThread);
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
    if (!d.gui->call([&] { d.build(live, layout, owner, guiThread); })) {
        forget();
        return -1;
    }

    input.onCreated(live->window);
    if (!live->inputs.over())
        d.gui->run([&] { Impl::show(*live); });
    const int result = live->inputs.run();
    d.gui->run([&] { Impl::destroy(*live); });
    forget();
    return result;
}

void QtDialogHost::endDialog(DialogWindow dialog, int result)
{
    const auto live = m_impl->find(dialog);
    if (!live || !live->inputs.end(result))
        return;
    // The box disappears at once, as the user expects: the routine that ended it may go on to
    // end the whole program and never return to the modal loop that would remove it.
    m_impl->gui->run([&] {
        if (live->box)
            live->box->hide();
        live->inputs.wake();
    });
}

// --- Control operations: each on the GUI thread, as the host's own change ------------------------

std::string QtDialogHost::text(DialogWindow dialog, int controlId)
{
    return m_impl->onControl(dialog, controlId, std::string(), [](QtControl& c) { return fromQt(controlText(c)); });
}

void QtDialogHost::setText(DialogWindow dialog, int controlId, std::string_view text)
{
    m_impl->change(dialog, controlId, [t = toQt(text)](QtControl& c) { setControlText(c, t); });
}

bool QtDialogHost::isEnabled(DialogWindow dialog, int controlId)
{
    return m_impl->onControl(dialog, controlId, false,
                             [](QtControl& c) { return c.widget->isEnabledTo(c.widget->parentWidget()); });
}

void QtDialogHost::setEnabled(DialogWindow dialog, int controlId, bool enabled)
{
    m_impl->change(dialog, controlId, [&](QtControl& c) { c.widget->setEnabled(enabled); });
}

int QtDialogHost::focus(DialogWindow dialog)
{
    const auto live = m_impl->find(dialog);
    if (!live)
        return 0;
    return m_impl->gui->run([&] {
        const QtControl* c = live->box ? Impl::controlOf(*live, live->box->focusWidget()) : nullptr;
        return c ? c->layout.id : 0;
    });
}

void QtDialogHost::setFocus(DialogWindow dialog, int controlId)
{
    m_impl->change(dialog, controlId, [](QtControl& c) { c.widget->setFocus(Qt::OtherFocusReason); });
}

void QtDialogHost::selectText(DialogWindow dialog, int controlId, int start, int end)
{
    m_impl->change(dialog, controlId, [&](QtControl& c) { selectControlText(c, start, end); });
}

int QtDialogHost::checkState(DialogWindow dialog, int controlId)
{
    return m_impl->onControl(dialog, controlId, Unchecked, [](QtControl& c) { return controlCheck(c); });
}

void QtDialogHost::setCheckState(DialogWindow dialog, int controlId, int state)
{
    m_impl->change(dialog, controlId, [&](QtControl& c) { setControlCheck(c, state); });
}

void QtDialogHost::setScrollRange(DialogWindow dialog, int controlId, int minimum, int maximum)
{
    m_impl->change(dialog, controlId, [&](QtControl& c) {
        if (QScrollBar* bar = scrollBarOf(c))
            bar->setRange(minimum, maximum);
    });
}

int QtDialogHost::scrollRangeMax(DialogWindow dialog, int controlId)
{
    return m_impl->onControl(dialog, controlId, 0,
                             [](QtControl& c) { return scrollBarOf(c) ? scrollBarOf(c)->maximum() : 0; });
}

int QtDialogHost::scrollPosition(DialogWindow dialog, int controlId)
{
    return m_impl->onControl(dialog, controlId, 0,
                             [](QtControl& c) { return scrollBarOf(c) ? scrollBarOf(c)->value() : 0; });
}

void QtDialogHost::setScrollPosition(DialogWindow dialog, int controlId, int position)
{
    m_impl->change(dialog, controlId, [&](QtControl& c) {
        if (QScrollBar* bar = scrollBarOf(c))
            bar->setValue(position); // kept within the range
    });
}

void QtDialogHost::clearItems(DialogWindow dialog, int controlId)
{
    m_impl->change(dialog, controlId, [](QtControl& c) { platform::clearItems(c); });
}

void QtDialogHost::addItem(DialogWindow dialog, int controlId, std::string_view text)
{
    m_impl->change(dialog, controlId, [t = toQt(text)](QtControl& c) { platform::addItem(c, t); });
}

int QtDialogHost::itemCount(DialogWindow dialog, int controlId)
{
    return m_impl->onControl(dialog, controlId, 0, [](QtControl& c) { return platform::itemCount(c); });
}

std::string QtDialogHost::itemText(DialogWindow dialog, int controlId, int index)
{
    return m_impl->onControl(dialog, controlId, std::string(),
                             [&](QtControl& c) { return fromQt(platform::itemText(c, index)); });
}

int QtDialogHost::currentSelection(DialogWindow dialog, int controlId)
{
    return m_impl->onControl(dialog, controlId, -1, [](QtControl& c) { return currentItem(c); });
}

bool QtDialogHost::isItemSelected(DialogWindow dialog, int controlId, int index)
{
    return m_impl->onControl(dialog, controlId, false,
                             [&](QtControl& c) { return platform::isItemSelected(c, index); });
}

void QtDialogHost::selectItem(DialogWindow dialog, int controlId, int index)
{
    m_impl->change(dialog, controlId, [&](QtControl& c) { platform::selectItem(c, index); });
}

} // namespace platform
