#pragma once
// Inside the Qt platform: the state its roles share and the widgets of a child window. For the
// files that implement the platform, not for its users.

#include "platform/qt/GuiInvoker.h"
#include "platform/qt/QtPlatform.h"

#include <QCloseEvent>
#include <QColor>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QPrinter>
#include <QRect>
#include <QScrollBar>
#include <QStyle>
#include <QTextBrowser>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <mutex>

namespace platform {

// Outer size of a child window when it is created.
inline constexpr QSize InitialChildSize{400, 300};

class ChildSubWindow;
class ChildView;

struct QtPlatform::Impl {
    struct Child {
        std::uint64_t id = 0;
        ChildSubWindow* sub = nullptr;
        ChildView* view = nullptr;
        ViewMode mode = ViewMode::Normal;
        int range[2] = {0, 0};
        bool activateOnShow = false;
        bool focusOnShow = false;
        bool resizePending = false;
    };

    Impl();
    ~Impl();

    // Builds the frame window: the multiple-document area, the status bar's panes, the F1
    // filter of the menus.
    void buildFrame();

    Child* find(WindowId window);
    const Child* find(WindowId window) const;
    Child* findByView(const ChildView* view);
    void paint(std::uint64_t id, QPainter& painter, ViewMode mode, QSize client, const QRegion& exposed,
               const QColor& background);
    void key(std::uint64_t id, const QKeyEvent& event);
    void mouse(std::uint64_t id, MouseAction action, QPoint at);
    PrintDialogResult printDialog();
    bool showAbortBox(std::function<void()> onCancel);
    void closeAbortBox();
    void scrolled(std::uint64_t id, ScrollAxis axis, QScrollBar* bar, int action);
    void resized(std::uint64_t id);
    void command(int id);
    void helpOnMenuItem(int id);
    void frameClosing();
    void buildMenuBar(const MenuBar& bar);
    void fillWindowList();
    void flushInvalid();
    MessageAnswer messageBox(const MessageBoxRequest& request);
    void openHelp(const std::string& file, std::optional<int> topic);
    void setFullScreen(WindowId window);
    DisplayInfo measureDisplay();

    std::unique_ptr<QObject> context;
    GuiInvoker invoker;
    QMainWindow* frame = nullptr;
    QMdiArea* mdi = nullptr;
    QLabel* panes[2] = {nullptr, nullptr};
    std::map<std::uint64_t, Child> children;
    std::uint64_t nextId = 1;
    FrameEvents* events = nullptr;
    QWidget* menuHolder = nullptr;
    QPointer<QMenu> windowMenu;
    QPointer<QWidget> fullScreen;
    std::uint64_t fullScreenId = 0;
    QPointer<QTextBrowser> help;
    QObject* menuHelpFilter = nullptr;
    DisplayInfo display;
    std::function<void(bool)> closeHook;
    bool closed = false;
    // The printer and its settings, kept from one print dialog to the next.
    std::unique_ptr<QPrinter> printer;
    std::function<bool(QPrinter&)> printDialogHook;
    QPointer<QDialog> abortBox;
    std::function<void()> abortCancel;

    // Repaint requests from any thread, merged per window until the GUI thread takes them.
    std::mutex dirtyMutex;
    std::map<std::uint64_t, QRect> dirty;
    bool flushPosted = false;
};

// A child window's sub-window: the user cannot close it (it has no close button, and its
// system menu no Close item); only destroyWindow removes it.
class ChildSubWindow final : public QMdiSubWindow {
public:
    static constexpr Qt::WindowFlags Flags{Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                                           | Qt::WindowMinMaxButtonsHint};

    // The title bar's styles draw a close button wherever the system-menu hint is set, and a
    // sub-window adds that hint to any flags it is given: it is taken out again afterwards.
    void dropCloseButton() { setWindowFlag(Qt::WindowSystemMenuHint, false); }

    ChildSubWindow()
    {
        setWindowFlags(Flags);
        dropCloseButton();
        setAttribute(Qt::WA_DeleteOnClose, false);
        if (QMenu* menu = systemMenu()) {
            QList<QAction*> actions = menu->actions();
            for (QAction* action : actions)
                if (action->shortcuts().contains(QKeySequence(QKeySequence::Close))
                    || action->shortcut() == QKeySequence(Qt::CTRL | Qt::Key_F4))
                    menu->removeAction(action);
            actions = menu->actions();
            if (!actions.isEmpty() && actions.back()->isSeparator())
                menu->removeAction(actions.back());
        }
    }
    // Gives the window a close box and a Close item; the user's close then calls request, which
    // decides (the sub-window itself stays until destroyWindow).
    void allowClose(std::function<void()> request)
    {
        m_requestClose = std::move(request);
        const bool visible = isVisible();
        setWindowFlag(Qt::WindowSystemMenuHint, true); // hides a shown window: shown again below
        if (QMenu* menu = systemMenu()) {
            menu->addSeparator();
            QAction* item = menu->addAction(QStringLiteral("&Close"), this, [this] { close(); });
            item->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F4));
            // The key works while the window has the focus, not only from the open menu.
            item->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            addAction(item);
        }
        if (visible)
            show();
    }

    bool m_mayClose = false;

protected:
    void closeEvent(QCloseEvent* event) override
    {
        if (m_mayClose) {
            event->accept();
            return;
        }
        event->ignore();
        if (m_requestClose)
            m_requestClose();
    }

private:
    std::function<void()> m_requestClose;
};

// The painting area of a child window or the full-screen view.
class PictureWidget : public QWidget {
public:
    PictureWidget(QtPlatform::Impl& impl, std::uint64_t id, QWidget* parent, Qt::WindowFlags flags = {})
        : QWidget(parent, flags), m_impl(impl), m_id(id)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setFocusPolicy(Qt::StrongFocus);
    }
    QtPlatform::Impl& m_impl;
    std::uint64_t m_id;
    ViewMode m_mode = ViewMode::Normal;
    QColor m_background = QColor(192, 192, 192);
    bool m_reportsResize = true;
    bool m_reportsMouse = true;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(this);
        m_impl.paint(m_id, painter, m_mode, size(), event->region(), m_background);
    }
    void keyPressEvent(QKeyEvent* event) override { m_impl.key(m_id, *event); }
    void mousePressEvent(QMouseEvent* event) override
    {
        if (m_reportsMouse && event->button() == Qt::LeftButton)
            m_impl.mouse(m_id, MouseAction::Press, event->position().toPoint());
    }
    void mouseMoveEvent(QMouseEvent* event) override
    {
        if (m_reportsMouse && event->buttons().testFlag(Qt::LeftButton))
            m_impl.mouse(m_id, MouseAction::Move, event->position().toPoint());
    }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (m_reportsMouse && event->button() == Qt::LeftButton)
            m_impl.mouse(m_id, MouseAction::Release, event->position().toPoint());
    }
    void resizeEvent(QResizeEvent*) override
    {
        if (m_reportsResize)
            m_impl.resized(m_id);
    }
    // Tab is a character for the window, not a focus move.
    bool focusNextPrevChild(bool) override { return false; }
};

// A child window's contents: the painting area and the window's own scroll bars.
class ChildView final : public QWidget {
public:
    ChildView(QtPlatform::Impl& impl, std::uint64_t id)
        : m_picture(new PictureWidget(impl, id, this)), m_bars{new QScrollBar(Qt::Horizontal, this),
                                                               new QScrollBar(Qt::Vertical, this)},
          m_corner(new QWidget(this))
    {
        for (int axis = 0; axis < 2; ++axis) {
            QScrollBar* bar = m_bars[axis];
            bar->setFocusPolicy(Qt::NoFocus);
            bar->hide();
            QObject::connect(bar, &QAbstractSlider::actionTriggered, bar, [&impl, id, axis, bar](int action) {
                impl.scrolled(id, axis == 0 ? ScrollAxis::Horizontal : ScrollAxis::Vertical, bar, action);
            });
        }
        m_corner->setAutoFillBackground(true);
        m_corner->hide();
        setFocusProxy(m_picture);
    }

    int barExtent() const { return style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this); }

    // Which bars show for the given ranges and mode.
    static bool shows(const QtPlatform::Impl::Child& child, int axis)
    {
        return child.mode == ViewMode::Normal && child.range[axis] > 0;
    }

    void relayout(const QtPlatform::Impl::Child& child)
    {
        bool h = shows(child, 0);
        bool v = shows(child, 1);
        int extent = barExtent();
        int w = std::max(0, width() - (v ? extent : 0));
        int ht = std::max(0, height() - (h ? extent : 0));
        m_picture->m_mode = child.mode;
        m_picture->setGeometry(0, 0, w, ht);
        m_bars[0]->setGeometry(0, ht, w, extent);
        m_bars[1]->setGeometry(w, 0, extent, ht);
        m_corner->setGeometry(w, ht, extent, extent);
        m_bars[0]->setPageStep(std::max(1, w));
        m_bars[1]->setPageStep(std::max(1, ht));
        m_bars[0]->setVisible(h);
        m_bars[1]->setVisible(v);
        m_corner->setVisible(h && v);
        m_picture->update();
    }

    PictureWidget* m_picture;
    QScrollBar* m_bars[2];
    QWidget* m_corner;
    QtPlatform::Impl* m_impl = nullptr;
    std::uint64_t m_id = 0;

protected:
    void resizeEvent(QResizeEvent*) override
    {
        if (m_impl)
            if (QtPlatform::Impl::Child* child = m_impl->findByView(this))
                relayout(*child);
    }
};

} // namespace platform
