// The child windows role of the Qt platform: sub-windows of the multiple-document area that
// paint the window runtime's indexed pictures, with their own scroll bars, keys and mouse.

#include "platform/qt/QtConvert.h"
#include "platform/qt/QtPlatformImpl.h"

#include <QApplication>
#include <QTimer>

#include <algorithm>
#include <optional>
#include <vector>

namespace platform {

namespace {

std::optional<KeyPress> translateKey(const QKeyEvent& event)
{
    KeyPress press;
    Qt::KeyboardModifiers mods = event.modifiers();
    press.ctrl = mods.testFlag(Qt::ControlModifier);
    press.shift = mods.testFlag(Qt::ShiftModifier);
    press.alt = mods.testFlag(Qt::AltModifier);
    int key = event.key();
    switch (key) {
    case Qt::Key_Escape: press.key = Key::Escape; return press;
    case Qt::Key_Return:
    case Qt::Key_Enter: press.key = Key::Enter; return press;
    case Qt::Key_Left: press.key = Key::Left; return press;
    case Qt::Key_Right: press.key = Key::Right; return press;
    case Qt::Key_Up: press.key = Key::Up; return press;
    case Qt::Key_Down: press.key = Key::Down; return press;
    case Qt::Key_PageUp: press.key = Key::PageUp; return press;
    case Qt::Key_PageDown: press.key = Key::PageDown; return press;
    case Qt::Key_Home: press.key = Key::Home; return press;
    case Qt::Key_End: press.key = Key::End; return press;
    case Qt::Key_Insert: press.key = Key::Insert; return press;
    case Qt::Key_F1: press.key = Key::F1; return press;
    case Qt::Key_Backspace: press.character = U'\b'; return press;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: press.character = U'\t'; return press;
    default: break;
    }
    // With Ctrl or Alt the text is a control code or empty: report the letter itself, in
    // lower case unless Shift is held.
    if (key >= Qt::Key_A && key <= Qt::Key_Z && (press.ctrl || press.alt)) {
        press.character = char32_t((press.shift ? 'A' : 'a') + (key - Qt::Key_A));
        return press;
    }
    QString text = event.text();
    if (!text.isEmpty()) {
        char32_t c = text.toUcs4().value(0);
        if (c >= 0x20 && c != 0x7F) {
            press.character = c;
            return press;
        }
    }
    if (key >= 0x20 && key < 0x7F) {
        press.character = char32_t(key);
        return press;
    }
    return std::nullopt; // modifiers alone and keys the window runtime has no name for
}

// What a paint shows, copied out of the picture while the window runtime holds its lock, so
// that converting and drawing happen after the lock is released.
struct PaintCopy {
    QImage image; // indexed, with the palette as its colour table
    QPoint at;    // where the image's top left corner goes (unscaled view)
    QSize pictureSize;
    std::optional<QRect> caret; // in client pixels of the unscaled view, else picture pixels
    std::vector<QRect> marked;  // the same
};

bool capture(const PictureView& view, ViewMode mode, QSize client, PaintCopy& out)
{
    if (view.width <= 0 || view.height <= 0 || view.pixels.size() < std::size_t(view.width) * std::size_t(view.height))
        return false;
    QImage whole(view.pixels.data(), view.width, view.height, view.width, QImage::Format_Indexed8);
    QRect source = whole.rect();
    QPoint scroll(view.scrollX, view.scrollY);
    if (mode == ViewMode::Normal)
        source = QRect(scroll, client) & whole.rect();
    out.pictureSize = whole.size();
    out.at = mode == ViewMode::Normal ? source.topLeft() - scroll : QPoint();
    if (!source.isEmpty()) {
        out.image = whole.copy(source);
        out.image.setColorTable(colourTable(view.palette));
    }
    if (view.caret) {
        QRect caret(view.caret->x, view.caret->y, view.caret->width, view.caret->height);
        out.caret = mode == ViewMode::Normal ? caret.translated(-scroll) : caret;
    }
    for (const Rect& r : view.marked) {
        QRect area = QRect(r.x, r.y, r.width, r.height) & whole.rect();
        if (!area.isEmpty())
            out.marked.push_back(mode == ViewMode::Normal ? area.translated(-scroll) : area);
    }
    return true;
}

// Draws a captured picture: unscaled at its offset, or stretched over the whole client area.
void render(QPainter& painter, const PaintCopy& copy, ViewMode mode, QSize client, const QRegion& exposed,
            const QColor& background)
{
    QRect target;
    if (mode == ViewMode::Normal)
        target = QRect(copy.at, copy.image.size());
    else
        target = QRect(QPoint(), client);
    QRegion uncovered = exposed - (copy.image.isNull() ? QRect() : target);
    for (const QRect& r : uncovered)
        painter.fillRect(r, background);
    if (!copy.image.isNull())
        painter.drawImage(target, copy.image); // nearest-neighbour: no smooth transform hint
    // A picture rectangle in client pixels: as it is unscaled, else stretched with the picture.
    auto toClient = [&](QRect r) {
        if (mode == ViewMode::Normal || copy.pictureSize.width() <= 0 || copy.pictureSize.height() <= 0)
            return r;
        double sx = double(client.width()) / copy.pictureSize.width();
        double sy = double(client.height()) / copy.pictureSize.height();
        QPoint from(int(r.left() * sx), int(r.top() * sy));
        QPoint to(int((r.right() + 1) * sx), int((r.bottom() + 1) * sy));
        return QRect(from, QSize(std::max(1, to.x() - from.x()), std::max(1, to.y() - from.y())));
    };
    if (!copy.marked.empty()) {
        // Inverted: white xor each pixel; the picture itself is not touched.
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        for (const QRect& r : copy.marked)
            painter.fillRect(toClient(r), Qt::white);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    if (copy.caret) {
        QRect bar = *copy.caret;
        bar.setWidth(std::min(2, std::max(1, bar.width())));
        if (mode != ViewMode::Normal && copy.pictureSize.width() > 0 && copy.pictureSize.height() > 0) {
            double sx = double(client.width()) / copy.pictureSize.width();
            double sy = double(client.height()) / copy.pictureSize.height();
            bar = QRect(int(bar.x() * sx), int(bar.y() * sy), std::max(1, int(bar.width() * sx)),
                        std::max(1, int(bar.height() * sy)));
        }
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.fillRect(bar, Qt::white);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
}

} // namespace

QtPlatform::Impl::Child* QtPlatform::Impl::find(WindowId window)
{
    auto it = children.find(window.value);
    return it == children.end() ? nullptr : &it->second;
}

const QtPlatform::Impl::Child* QtPlatform::Impl::find(WindowId window) const
{
    auto it = children.find(window.value);
    return it == children.end() ? nullptr : &it->second;
}

QtPlatform::Impl::Child* QtPlatform::Impl::findByView(const ChildView* view)
{
    Child* child = find(WindowId{view->m_id});
    return child && child->view == view ? child : nullptr;
}

void QtPlatform::Impl::paint(std::uint64_t id, QPainter& painter, ViewMode mode, QSize client, const QRegion& exposed,
                             const QColor& background)
{
    PaintCopy copy;
    bool captured = false;
    if (events && !closed)
        events->paint(WindowId{id}, [&](const PictureView& view) { captured = capture(view, mode, client, copy); });
    if (!captured) {
        for (const QRect& r : exposed)
            painter.fillRect(r, background);
        return;
    }
    render(painter, copy, mode, client, exposed, background);
}

void QtPlatform::Impl::key(std::uint64_t id, const QKeyEvent& event)
{
    std::optional<KeyPress> press = translateKey(event);
    if (press && events)
        events->key(WindowId{id}, *press);
}

void QtPlatform::Impl::mouse(std::uint64_t id, MouseAction action, QPoint at)
{
    if (events && !closed)
        events->mouse(WindowId{id}, MouseEvent{action, at.x(), at.y()});
}

void QtPlatform::Impl::scrolled(std::uint64_t id, ScrollAxis axis, QScrollBar* bar, int action)
{
    WindowScroll request;
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd: request = WindowScroll::LineForward; break;
    case QAbstractSlider::SliderSingleStepSub: request = WindowScroll::LineBack; break;
    case QAbstractSlider::SliderPageStepAdd: request = WindowScroll::PageForward; break;
    case QAbstractSlider::SliderPageStepSub: request = WindowScroll::PageBack; break;
    case QAbstractSlider::SliderToMinimum: request = WindowScroll::ToStart; break;
    case QAbstractSlider::SliderToMaximum: request = WindowScroll::ToEnd; break;
    case QAbstractSlider::SliderMove: request = WindowScroll::ToPosition; break;
    default: return;
    }
    int proposed = bar->sliderPosition();
    // The bar shows only what the window runtime sets: undo the bar's own step, then report.
    bar->setSliderPosition(bar->value());
    if (events)
        events->scroll(WindowId{id}, axis, request, request == WindowScroll::ToPosition ? proposed : bar->value());
}

void QtPlatform::Impl::resized(std::uint64_t id)
{
    Child* child = find(WindowId{id});
    if (!child || child->resizePending)
        return;
    // Reported from the event loop, not from inside the layout change that caused it, so that
    // the window runtime's handler never runs inside one of its own calls.
    child->resizePending = true;
    QTimer::singleShot(0, context.get(), [this, id] {
        Child* c = find(WindowId{id});
        if (!c)
            return;
        c->resizePending = false;
        if (events && !closed)
            events->resized(WindowId{id});
    });
}

void QtPlatform::Impl::flushInvalid()
{
    std::map<std::uint64_t, QRect> areas;
    {
        std::lock_guard lock(dirtyMutex);
        areas.swap(dirty);
        flushPosted = false;
    }
    for (const auto& [id, area] : areas) {
        if (fullScreen && fullScreenId == id)
            fullScreen->update();
        Child* child = find(WindowId{id});
        if (!child || area.isEmpty())
            continue;
        PictureWidget* picture = child->view->m_picture;
        if (child->mode == ViewMode::Normal)
            picture->update(area);
        else
            picture->update();
    }
}

bool QtPlatform::isMessageThread() const { return d->invoker.onGuiThread(); }

WindowId QtPlatform::createChildWindow(std::string_view title)
{
    return d->invoker.run([&]() -> WindowId {
        if (d->closed)
            return {};
        std::uint64_t id = d->nextId++;
        auto* view = new ChildView(*d, id);
        auto* sub = new ChildSubWindow;
        sub->setWidget(view);
        sub->setWindowTitle(toQString(title));
        sub->setWindowIcon(d->frame->windowIcon());
        sub->hide();
        // The area sets a sub-window's flags as it adds it: the child's own go in with it.
        d->mdi->addSubWindow(sub, ChildSubWindow::Flags);
        sub->dropCloseButton();
        sub->hide();
        sub->resize(InitialChildSize);
        Impl::Child& child = d->children[id];
        child.id = id;
        child.sub = sub;
        child.view = view;
        view->m_id = id;
        view->m_impl = d.get();
        return WindowId{id};
    });
}

void QtPlatform::destroyWindow(WindowId window)
{
    d->invoker.run([&] {
        auto it = d->children.find(window.value);
        if (it == d->children.end())
            return;
        ChildSubWindow* sub = it->second.sub;
        it->second.view->m_impl = nullptr;
        d->children.erase(it);
        if (d->fullScreenId == window.value)
            d->setFullScreen({});
        sub->m_mayClose = true;
        sub->hide();
        d->mdi->removeSubWindow(sub);
        // Later: the call may come from one of the window's own event handlers.
        sub->deleteLater();
    });
}

void QtPlatform::setWindowTitle(WindowId window, std::string_view title)
{
    d->invoker.run([&] {
        if (Impl::Child* child = d->find(window))
            child->sub->setWindowTitle(toQString(title));
    });
}

void QtPlatform::showWindow(WindowId window)
{
    d->invoker.run([&] {
        Impl::Child* child = d->find(window);
        if (!child)
            return;
        child->sub->show();
        child->view->relayout(*child);
        if (child->activateOnShow)
            d->mdi->setActiveSubWindow(child->sub);
        if (child->focusOnShow)
            child->view->m_picture->setFocus(Qt::OtherFocusReason);
        child->activateOnShow = child->focusOnShow = false;
    });
}

void QtPlatform::hideWindow(WindowId window)
{
    d->invoker.run([&] {
        Impl::Child* child = d->find(window);
        if (!child)
            return;
        const bool active = d->mdi->activeSubWindow() == child->sub;
        child->sub->hide();
        if (active)
            d->mdi->activatePreviousSubWindow();
    });
}

void QtPlatform::activateWindow(WindowId window)
{
    d->invoker.run([&] {
        Impl::Child* child = d->find(window);
        if (!child)
            return;
        if (child->sub->isHidden())
            child->activateOnShow = true; // a hidden sub-window cannot be active yet
        else
            d->mdi->setActiveSubWindow(child->sub);
    });
}

void QtPlatform::focusWindow(WindowId window)
{
    d->invoker.run([&] {
        Impl::Child* child = d->find(window);
        if (!child)
            return;
        if (child->sub->isHidden())
            child->focusOnShow = true;
        else
            child->view->m_picture->setFocus(Qt::OtherFocusReason);
    });
}

WindowId QtPlatform::activeChild() const
{
    return d->invoker.run([&]() -> WindowId {
        // The current sub-window stays current while the frame itself is inactive.
        QMdiSubWindow* current = d->mdi->currentSubWindow();
        for (const auto& [id, child] : d->children)
            if (child.sub == current)
                return WindowId{id};
        return {};
    });
}

void QtPlatform::setWindowState(WindowId window, ShowState state)
{
    d->invoker.run([&] {
        Impl::Child* child = d->find(window);
        if (!child)
            return;
        switch (state) {
        case ShowState::Minimised: child->sub->showMinimized(); break;
        case ShowState::Maximised: child->sub->showMaximized(); break;
        case ShowState::Normal: child->sub->showNormal(); break;
        }
    });
}

ShowState QtPlatform::windowState(WindowId window) const
{
    return d->invoker.run([&] {
        const Impl::Child* child = d->find(window);
        if (!child)
            return ShowState::Normal;
        if (child->sub->isMinimized())
            return ShowState::Minimised;
        if (child->sub->isMaximized())
            return ShowState::Maximised;
        return ShowState::Normal;
    });
}

void QtPlatform::moveWindow(WindowId window, Rect outer)
{
    d->invoker.run([&] {
        if (Impl::Child* child = d->find(window))
            child->sub->setGeometry(outer.x, outer.y, std::max(outer.width, 0), std::max(outer.height, 0));
    });
}

Rect QtPlatform::windowRect(WindowId window) const
{
    return d->invoker.run([&] {
        const Impl::Child* child = d->find(window);
        if (!child)
            return Rect{};
        QRect r = child->sub->geometry();
        return Rect{r.x(), r.y(), r.width(), r.height()};
    });
}

Size QtPlatform::clientSize(WindowId window) const
{
    return d->invoker.run([&] {
        const Impl::Child* child = d->find(window);
        if (!child || child->sub->isMinimized())
            return Size{};
        // From the sub-window's own geometry, which is up to date even while it is hidden
        // and its contents are not laid out yet.
        QSize inner = child->sub->contentsRect().size();
        int extent = child->view->barExtent();
        int width = inner.width() - (ChildView::shows(*child, 1) ? extent : 0);
        int height = inner.height() - (ChildView::shows(*child, 0) ? extent : 0);
        return Size{std::max(width, 0), std::max(height, 0)};
    });
}

void QtPlatform::setScrollRange(WindowId window, ScrollAxis axis, int maximum)
{
    d->invoker.run([&] {
        Impl::Child* child = d->find(window);
        if (!child)
            return;
        int index = axis == ScrollAxis::Horizontal ? 0 : 1;
        child->range[index] = std::max(maximum, 0);
        child->view->m_bars[index]->setRange(0, child->range[index]);
        child->view->relayout(*child);
    });
}

void QtPlatform::setScrollPosition(WindowId window, ScrollAxis axis, int position)
{
    d->invoker.run([&] {
        if (Impl::Child* child = d->find(window)) {
            QScrollBar* bar = child->view->m_bars[axis == ScrollAxis::Horizontal ? 0 : 1];
            QSignalBlocker block(bar);
            bar->setValue(position);
        }
    });
}

void QtPlatform::invalidate(WindowId window, Rect area)
{
    // Never waits: the GUI thread may itself be waiting, in a paint, for the drawing lock that
    // the caller holds.
    QRect rect(area.x, area.y, std::max(area.width, 0), std::max(area.height, 0));
    bool post = false;
    {
        std::lock_guard lock(d->dirtyMutex);
        auto [it, inserted] = d->dirty.try_emplace(window.value, rect);
        if (!inserted)
            it->second = it->second.united(rect);
        if (!d->flushPosted) {
            d->flushPosted = true;
            post = true;
        }
    }
    if (post) {
        Impl* impl = d.get();
        if (!d->invoker.post([impl] { impl->flushInvalid(); })) {
            std::lock_guard lock(d->dirtyMutex);
            d->flushPosted = false;
        }
    }
}

void QtPlatform::refreshWindowMenu()
{
    // The Window menu lists the child windows afresh each time it opens.
}

void QtPlatform::allowClose(WindowId window)
{
    d->invoker.run([&] {
        Impl::Child* child = d->find(window);
        if (!child)
            return;
        Impl* impl = d.get();
        // Reported from the event loop, outside the close event that asked.
        child->sub->allowClose([impl, id = window.value] {
            QTimer::singleShot(0, impl->context.get(), [impl, id] {
                if (impl->events && !impl->closed && impl->find(WindowId{id}))
                    impl->events->closeRequested(WindowId{id});
            });
        });
    });
}

Size QtPlatform::clientAreaSize() const
{
    return d->invoker.run([&] {
        const QSize size = d->mdi->viewport()->size();
        return Size{size.width(), size.height()};
    });
}

void QtPlatform::cascadeChildren()
{
    d->invoker.run([&] {
        // Each window keeps its size and steps down and right by the height of a title bar;
        // the area's own cascade sizes the windows from their size hints and would shrink a
        // picture to a bare title strip.
        int step = 0;
        for (QMdiSubWindow* sub : d->mdi->subWindowList(QMdiArea::StackingOrder)) {
            if (!sub->isVisible() || sub->isMinimized())
                continue;
            if (sub->isMaximized())
                sub->showNormal();
            const int offset = sub->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, sub) + 4;
            sub->move(step * offset, step * offset);
            sub->raise();
            ++step;
        }
        if (QMdiSubWindow* active = d->mdi->activeSubWindow())
            active->raise();
    });
}

void QtPlatform::tileChildren()
{
    d->invoker.run([&] { d->mdi->tileSubWindows(); });
}

void QtPlatform::arrangeIcons()
{
    d->invoker.run([&] {
        // Minimised windows in a row along the bottom edge, left to right.
        int x = 0;
        const int bottom = d->mdi->viewport()->height();
        for (QMdiSubWindow* sub : d->mdi->subWindowList(QMdiArea::CreationOrder)) {
            if (!sub->isMinimized())
                continue;
            const QSize size = sub->size();
            sub->move(x, bottom - size.height());
            x += size.width();
        }
    });
}

void QtPlatform::setViewMode(WindowId window, ViewMode mode)
{
    d->invoker.run([&] {
        if (Impl::Child* child = d->find(window)) {
            child->mode = mode;
            child->view->relayout(*child);
        }
    });
}

} // namespace platform
