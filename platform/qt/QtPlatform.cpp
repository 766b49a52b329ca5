#include "platform/qt/QtPlatform.h"

#include "platform/qt/QtPlatformImpl.h"

// The platform's roles are implemented beside this file: QtDisplay.cpp, QtChildWindows.cpp,
// QtFrameWindow.cpp, QtSystemDialogs.cpp and QtClipboard.cpp.

namespace platform {

QtPlatform::Impl::Impl() : context(std::make_unique<QObject>()), invoker(context.get())
{
    buildFrame();
    display = measureDisplay();
}

QtPlatform::Impl::~Impl()
{
    invoker.stop();
    events = nullptr;
    closed = true;
    abortCancel = nullptr;
    delete abortBox.data();
    delete fullScreen.data();
    delete frame;
    delete menuHolder;
    delete menuHelpFilter;
}

QtPlatform::QtPlatform() : d(std::make_unique<Impl>()) {}

QtPlatform::~QtPlatform() = default;

QMainWindow* QtPlatform::frameWindow() const { return d->frame; }
QMdiArea* QtPlatform::mdiArea() const { return d->mdi; }

QMdiSubWindow* QtPlatform::subWindow(WindowId window) const
{
    const Impl::Child* child = d->find(window);
    return child ? child->sub : nullptr;
}

QWidget* QtPlatform::pictureWidget(WindowId window) const
{
    const Impl::Child* child = d->find(window);
    return child ? child->view->m_picture : nullptr;
}

QScrollBar* QtPlatform::scrollBar(WindowId window, ScrollAxis axis) const
{
    const Impl::Child* child = d->find(window);
    return child ? child->view->m_bars[axis == ScrollAxis::Horizontal ? 0 : 1] : nullptr;
}

QLabel* QtPlatform::statusPane(int pane) const { return pane == 0 || pane == 1 ? d->panes[pane] : nullptr; }

QWidget* QtPlatform::fullScreenWidget() const { return d->fullScreen.data(); }
QTextBrowser* QtPlatform::helpWindow() const { return d->help.data(); }

void QtPlatform::setCloseHook(std::function<void(bool)> hook) { d->closeHook = std::move(hook); }

void QtPlatform::stopServing() { d->invoker.stop(); }

} // namespace platform
