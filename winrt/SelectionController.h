#pragma once
// The selection the user marks in a child window with Select Text, Select Graphics or Select
// All, and its copy to the clipboard. The program is paused while a selection is made; the
// state shares the frame's lock, since the selection items of the menu bar change with it.

#include "platform/ChildWindows.h"
#include "platform/Clipboard.h"
#include "winrt/MenuModel.h"
#include "winrt/Selection.h"
#include "winrt/WindowRuntime.h"

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string_view>
#include <vector>

namespace winrt {

// Part of a window's canvas as indices and palette, under the drawing lock.
platform::IndexedPicture pictureOf(const WindowCanvas& window, Rect area);

class SelectionController {
public:
    struct State {
        int32_t window = -1;
        Selection selection;
        bool marking = false;  // the mouse button is down
        bool complete = false; // both corners fixed: Copy is enabled
    };

    // What the frame does around a selection.
    struct FrameHooks {
        std::function<void()> pause;
        std::function<void()> resume;
        std::function<void()> refreshStatus;
        std::function<void(int32_t handle)> invalidate;
        std::function<void(std::string_view message, int line)> reportError;
    };

    // guard is the frame's lock, which also guards sizeToFit (no marking in a window drawn to
    // fit).
    SelectionController(std::mutex& guard, const bool& sizeToFit, MenuModel& menu, WindowRuntime& windows,
                        platform::ChildWindows& children, platform::Clipboard& clipboard, FrameHooks hooks);

    // Starts a selection in the active window, the whole of it for all (graphics once anything
    // was drawn, else text), after pausing the program. Nothing while one is being made.
    void begin(SelectionKind kind, bool all);
    // Ends the selection, if any, without copying.
    void end();
    // Copies a complete selection to the clipboard, ends it and resumes the program.
    void copy();
    // The mouse in a window: press, move and release mark the selection's corners.
    void mouse(platform::WindowId window, const platform::MouseEvent& event);

    std::optional<State> state() const;
    // The picture rectangles to show inverted in the window with this handle.
    std::vector<platform::Rect> marked(int32_t handle, const Canvas& canvas) const;

private:
    std::mutex& m_guard;
    const bool& m_sizeToFit;
    MenuModel& m_menu;
    WindowRuntime& m_windows;
    platform::ChildWindows& m_children;
    platform::Clipboard& m_clipboard;
    FrameHooks m_hooks;
    std::optional<State> m_state; // guarded by m_guard
};

} // namespace winrt
