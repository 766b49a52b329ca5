// The frame window role of the Qt platform: the main window, its menu bar with the list of
// child windows, the status bar, the full-screen view, help, and closing.

#include "platform/qt/QtConvert.h"
#include "platform/qt/QtPlatformImpl.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QUrl>

#include <algorithm>

namespace platform {

namespace {

class FullScreenView final : public PictureWidget {
public:
    FullScreenView(QtPlatform::Impl& impl, std::uint64_t id, QWidget* owner)
        : PictureWidget(impl, id, owner, Qt::Window | Qt::FramelessWindowHint)
    {
        m_mode = ViewMode::SizeToFit;
        m_background = Qt::black;
        m_reportsResize = false;
        m_reportsMouse = false;
        setAttribute(Qt::WA_DeleteOnClose);
        QPalette pal = palette();
        pal.setColor(QPalette::Window, Qt::black);
        setPalette(pal);
        setAutoFillBackground(true);
        setWindowTitle(QStringLiteral("Full Screen"));
    }
};

class MainFrame final : public QMainWindow {
public:
    explicit MainFrame(QtPlatform::Impl& impl) : m_impl(impl) {}

protected:
    void closeEvent(QCloseEvent* event) override
    {
        m_impl.frameClosing();
        event->accept();
        // Closing the frame ends the message loop, whatever other top-level windows (a dialog
        // of the program thread, the help window) are still open.
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    }

private:
    QtPlatform::Impl& m_impl;
};

// F1 on a highlighted menu item asks for help on that item instead of the key going nowhere.
class MenuHelpFilter final : public QObject {
public:
    explicit MenuHelpFilter(QtPlatform::Impl& impl) : m_impl(impl) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(event)->key() != Qt::Key_F1)
            return false;
        auto* menu = qobject_cast<QMenu*>(watched);
        QAction* action = menu ? menu->activeAction() : nullptr;
        if (!action || !action->data().isValid())
            return false;
        int id = action->data().toInt();
        // Close the open menus first, as choosing an item would.
        while (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        m_impl.helpOnMenuItem(id);
        return true;
    }

private:
    QtPlatform::Impl& m_impl;
};

} // namespace

void QtPlatform::Impl::buildFrame()
{
    frame = new MainFrame(*this);
    mdi = new QMdiArea(frame);
    mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    frame->setCentralWidget(mdi);
    QStatusBar* status = frame->statusBar();
    int charWidth = status->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    for (int pane = 0; pane < 2; ++pane) {
        panes[pane] = new QLabel(status);
        panes[pane]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panes[pane]->setTextFormat(Qt::PlainText);
    }
    panes[0]->setFixedWidth(charWidth * 10);
    status->addWidget(panes[0]);
    status->addWidget(panes[1], 1);
    menuHelpFilter = new MenuHelpFilter(*this);
}

void QtPlatform::Impl::command(int id)
{
    if (events && !closed)
        events->command(id);
}

void QtPlatform::Impl::helpOnMenuItem(int id)
{
    if (events && !closed)
        events->helpOnMenuItem(id);
}

void QtPlatform::Impl::frameClosing()
{
    if (closed)
        return;
    if (closeHook)
        closeHook(frame->isMaximized());
    if (events)
        events->frameClosing();
    closed = true;
    if (fullScreen)
        fullScreen->close();
    if (help)
        help->close();
    // Does nothing when no event loop runs (tests); ends QApplication::exec otherwise.
    QCoreApplication::quit();
}

void QtPlatform::Impl::buildMenuBar(const MenuBar& bar)
{
    QMenuBar* menuBar = frame->menuBar();
    menuBar->clear();
    // The old menus may be the ones whose command is running now: delete them later.
    if (menuHolder)
        menuHolder->deleteLater();
    menuHolder = new QWidget;
    windowMenu = nullptr;
    for (const Menu& menu : bar) {
        if (menu.items.empty() && menu.id != 0) {
            auto* action = new QAction(toQString(menu.text), menuHolder);
            action->setData(menu.id);
            int id = menu.id;
            QObject::connect(action, &QAction::triggered, context.get(), [this, id] { command(id); });
            menuBar->addAction(action);
            continue;
        }
        auto* qmenu = new QMenu(toQString(menu.text), menuHolder);
        qmenu->installEventFilter(menuHelpFilter);
        for (const MenuItem& item : menu.items) {
            if (item.separator) {
                qmenu->addSeparator();
                continue;
            }
            // Text after a tab shows as the item's shortcut text; it is not a Qt shortcut:
            // the window runtime handles the keys it names.
            QAction* action = qmenu->addAction(toQString(item.text));
            action->setData(item.id);
            action->setEnabled(!item.grayed);
            if (item.checked) {
                action->setCheckable(true);
                action->setChecked(true);
            }
            int id = item.id;
            bool checked = item.checked;
            QObject::connect(action, &QAction::triggered, context.get(), [this, action, id, checked] {
                if (checked)
                    action->setChecked(true); // the window runtime owns the check mark
                command(id);
            });
            if (item.windowList)
                windowMenu = qmenu;
        }
        menuBar->addMenu(qmenu);
    }
    if (windowMenu)
        QObject::connect(windowMenu, &QMenu::aboutToShow, context.get(), [this] { fillWindowList(); });
}

// Appends the visible child windows to the Window menu, the current one checked.
void QtPlatform::Impl::fillWindowList()
{
    if (!windowMenu)
        return;
    for (QAction* action : windowMenu->actions())
        if (action->property("windowList").toBool()) {
            windowMenu->removeAction(action);
            action->deleteLater();
        }
    QList<QMdiSubWindow*> subs = mdi->subWindowList(QMdiArea::CreationOrder);
    QMdiSubWindow* current = mdi->currentSubWindow();
    int number = 0;
    for (QMdiSubWindow* sub : subs) {
        if (!sub->isVisible())
            continue;
        if (number == 0) {
            QAction* separator = windowMenu->addSeparator();
            separator->setProperty("windowList", true);
        }
        ++number;
        QString text = number <= 9 ? QStringLiteral("&%1 %2").arg(number).arg(sub->windowTitle()) : sub->windowTitle();
        QAction* action = windowMenu->addAction(text);
        action->setProperty("windowList", true);
        action->setCheckable(true);
        action->setChecked(sub == current);
        QPointer<QMdiSubWindow> target(sub);
        QObject::connect(action, &QAction::triggered, context.get(), [this, target] {
            if (!target)
                return;
            // A minimised window chosen from the list comes back as it was.
            if (target->isMinimized())
                target->showNormal();
            mdi->setActiveSubWindow(target);
            target->widget()->setFocus();
            // The window runtime brings it into view.
            for (const auto& [id, child] : children)
                if (child.sub == target && events) {
                    events->windowChosen(WindowId{id});
                    break;
                }
        });
    }
}

void QtPlatform::Impl::openHelp(const std::string& file, std::optional<int> topic)
{
    QFileInfo info(toQString(file));
    if (file.empty() || !info.isFile() || !info.isReadable()) {
        messageBox({frame->windowTitle().toStdString(), "The help file \"" + file + "\" was not found.",
                    MessageIcon::Warning, MessageButtons::Ok, std::nullopt});
        return;
    }
    if (!help) {
        help = new QTextBrowser(frame);
        help->setWindowFlag(Qt::Window);
        help->setAttribute(Qt::WA_DeleteOnClose);
        help->resize(640, 480);
    }
    QUrl url = QUrl::fromLocalFile(info.absoluteFilePath());
    if (topic)
        url.setFragment(QStringLiteral("topic%1").arg(*topic));
    help->setSource(url);
    help->setWindowTitle(frame->windowTitle() + QStringLiteral(" Help"));
    help->show();
    help->raise();
    help->activateWindow();
}

void QtPlatform::Impl::setFullScreen(WindowId window)
{
    if (!window.isValid()) {
        if (fullScreen)
            fullScreen->close();
        fullScreen = nullptr;
        fullScreenId = 0;
        return;
    }
    if (!find(window))
        return;
    if (!fullScreen) {
        fullScreen = new FullScreenView(*this, window.value, frame);
        if (QScreen* screen = frame->screen())
            fullScreen->setGeometry(screen->geometry());
    }
    fullScreenId = window.value;
    static_cast<PictureWidget*>(fullScreen.data())->m_id = window.value;
    fullScreen->showFullScreen();
    fullScreen->raise();
    fullScreen->activateWindow();
    fullScreen->setFocus(Qt::OtherFocusReason);
    fullScreen->update();
}

bool QtPlatform::frameExists() const
{
    return d->invoker.run([&] { return !d->closed; });
}

ShowState QtPlatform::frameState() const
{
    return d->invoker.run([&] {
        if (d->frame->isMinimized())
            return ShowState::Minimised;
        if (d->frame->isMaximized())
            return ShowState::Maximised;
        return ShowState::Normal;
    });
}

void QtPlatform::setFrameState(ShowState state)
{
    d->invoker.run([&] {
        switch (state) {
        case ShowState::Minimised: d->frame->showMinimized(); break;
        case ShowState::Maximised: d->frame->showMaximized(); break;
        case ShowState::Normal: d->frame->showNormal(); break;
        }
    });
}

void QtPlatform::placeFrame(const FramePlacement& placement)
{
    d->invoker.run([&] {
        QMainWindow* frame = d->frame;
        QRect outer = frame->frameGeometry();
        QSize decoration = outer.size() - frame->geometry().size();
        frame->move(placement.x.value_or(outer.x()), placement.y.value_or(outer.y()));
        int width = placement.width.value_or(outer.width()) - decoration.width();
        int height = placement.height.value_or(outer.height()) - decoration.height();
        frame->resize(std::max(width, 1), std::max(height, 1));
    });
}

void QtPlatform::setFrameEvents(FrameEvents* events)
{
    d->invoker.run([&] { d->events = events; });
}

void QtPlatform::setFrameTitle(std::string_view title)
{
    d->invoker.run([&] { d->frame->setWindowTitle(toQString(title)); });
}

void QtPlatform::setMenuBar(const MenuBar& bar)
{
    d->invoker.run([&] { d->buildMenuBar(bar); });
}

void QtPlatform::setStatusText(int pane, std::string_view text)
{
    d->invoker.run([&] {
        if (pane == 0 || pane == 1)
            d->panes[pane]->setText(toQString(text));
    });
}

void QtPlatform::setStatusBarVisible(bool visible)
{
    d->invoker.run([&] { d->frame->statusBar()->setVisible(visible); });
}

void QtPlatform::setFullScreen(WindowId window)
{
    d->invoker.run([&] { d->setFullScreen(window); });
}

void QtPlatform::openHelp(const std::string& file, std::optional<int> topic)
{
    d->invoker.run([&] { d->openHelp(file, topic); });
}

void QtPlatform::closeFrame()
{
    d->invoker.run([&] {
        d->frameClosing();
        d->frame->close();
    });
}

void QtPlatform::beep()
{
    d->invoker.run([] { QApplication::beep(); });
}

void QtPlatform::setFrameEnabled(bool enabled)
{
    d->invoker.run([&] {
        d->frame->setEnabled(enabled);
        // The abort box belongs to the frame but must stay usable while the frame is not.
        if (d->abortBox)
            d->abortBox->setEnabled(true);
    });
}

} // namespace platform
