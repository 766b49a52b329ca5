#include "winrt/SelectionController.h"
#include "winrt/FrameCommands.h"

#include <algorithm>

namespace winrt {

platform::IndexedPicture pictureOf(const WindowCanvas& window, Rect area)
{
    auto lock = window.lockDrawing();
    const Canvas& canvas = window.canvas();
    return capturePicture(canvas, area.intersected(Rect{0, 0, canvas.width(), canvas.height()}));
}

SelectionController::SelectionController(std::mutex& guard, const bool& sizeToFit, MenuModel& menu,
                                         WindowRuntime& windows, platform::ChildWindows& children,
                                         platform::Clipboard& clipboard, FrameHooks hooks)
    : m_guard(guard), m_sizeToFit(sizeToFit), m_menu(menu), m_windows(windows), m_children(children),
      m_clipboard(clipboard), m_hooks(std::move(hooks))
{
}

std::optional<SelectionController::State> SelectionController::state() const
{
    std::lock_guard lock(m_guard);
    return m_state;
}

std::vector<platform::Rect> SelectionController::marked(int32_t handle, const Canvas& canvas) const
{
    std::lock_guard lock(m_guard);
    if (!m_state || m_state->window != handle || !(m_state->marking || m_state->complete))
        return {};
    return markedArea(m_state->selection, canvas.cellWidth(), canvas.cellHeight(), canvas.gridColumns());
}

void SelectionController::begin(SelectionKind kind, bool all)
{
    const int32_t handle = m_windows.activeWindow();
    auto canvas = m_windows.windowCanvas(handle);
    if (!canvas)
        return;
    {
        std::lock_guard lock(m_guard);
        if (m_state)
            return; // the selection items are grayed while one is made
    }
    m_hooks.pause();
    State state;
    state.window = handle;
    state.selection.kind = kind;
    if (all) {
        auto lock = canvas->lockDrawing();
        if (canvas->canvas().changed()) {
            state.selection = {
                SelectionKind::Graphics, {0, 0}, {canvas->canvas().width() - 1, canvas->canvas().height() - 1}};
        } else {
            state.selection = {
                SelectionKind::Text, {0, 0}, {canvas->canvas().gridColumns() - 1, canvas->canvas().gridRows() - 1}};
        }
        state.complete = true;
    }
    m_menu.update([&](MenuModel& menu) {
        m_state = state;
        for (int id : {command::SelectText, command::SelectGraphics, command::SelectAll})
            menu.setGrayed(id, true);
        menu.setGrayed(command::Copy, !state.complete);
    });
    m_hooks.refreshStatus();
    m_hooks.invalidate(handle);
}

void SelectionController::end()
{
    int32_t handle = -1;
    const bool ended = m_menu.update([&](MenuModel& menu) {
        if (!m_state)
            return false;
        handle = m_state->window;
        m_state.reset();
        for (int id : {command::SelectText, command::SelectGraphics, command::SelectAll})
            menu.setGrayed(id, false);
        menu.setGrayed(command::Copy, true);
        return true;
    });
    if (!ended)
        return;
    m_hooks.refreshStatus();
    m_hooks.invalidate(handle);
}

void SelectionController::mouse(platform::WindowId window, const platform::MouseEvent& event)
{
    const int32_t handle = m_windows.handleOf(window);
    const auto info = m_windows.windowInfo(handle);
    auto canvas = m_windows.windowCanvas(handle);
    if (!info || !canvas)
        return;
    int x = event.x, y = event.y;
    if (event.action == platform::MouseAction::Release) {
        const platform::Size client = m_children.clientSize(window);
        x = std::clamp(x, 0, std::max(client.width - 1, 0));
        y = std::clamp(y, 0, std::max(client.height - 1, 0));
    }
    x += info->scrollX;
    y += info->scrollY;
    bool handled = false;
    const bool statusChanged = m_menu.update([&](MenuModel& menu) {
        if (!m_state || m_state->window != handle || m_sizeToFit)
            return false;
        State& s = *m_state;
        SelectionPoint at;
        if (s.selection.kind == SelectionKind::Text)
            at = cellAt(x, y, canvas->canvas().cellWidth(), canvas->canvas().cellHeight(),
                        canvas->canvas().gridColumns(), canvas->canvas().gridRows());
        else
            at = {std::clamp(x, 0, canvas->canvas().width() - 1), std::clamp(y, 0, canvas->canvas().height() - 1)};
        switch (event.action) {
        case platform::MouseAction::Press:
            s.selection.start = s.selection.end = at;
            s.marking = true;
            s.complete = false;
            menu.setGrayed(command::Copy, true);
            handled = true;
            return true;
        case platform::MouseAction::Move:
            if (!s.marking)
                return false;
            s.selection.end = at;
            handled = true;
            return false;
        case platform::MouseAction::Release:
            if (!s.marking)
                return false;
            s.selection.end = at;
            s.marking = false;
            s.complete = true;
            menu.setGrayed(command::Copy, false);
            handled = true;
            return true;
        }
        return false;
    });
    if (!handled)
        return;
    if (statusChanged)
        m_hooks.refreshStatus();
    m_hooks.invalidate(handle);
}

void SelectionController::copy()
{
    std::optional<State> state;
    {
        std::lock_guard lock(m_guard);
        state = m_state;
    }
    if (!state || !state->complete)
        return;
    auto canvas = m_windows.windowCanvas(state->window);
    if (canvas) {
        const Selection& s = state->selection;
        bool ok;
        if (s.kind == SelectionKind::Text) {
            std::string text;
            {
                auto lock = canvas->lockDrawing();
                text = selectedText(canvas->canvas().textPieces(), canvas->canvas().gridColumns(), s.start, s.end);
            }
            ok = m_clipboard.setClipboardText(text);
        } else {
            ok = m_clipboard.setClipboardImage(pictureOf(*canvas, selectedRect(s.start, s.end)));
        }
        if (!ok)
            m_hooks.reportError("Internal Error - unexpected error", __LINE__);
    }
    end();
    m_hooks.resume();
}

} // namespace winrt
