#pragma once
// The child windows role: the windows inside the frame's client area (the area that holds the
// child windows), their size, state and scroll bars, how they are arranged, and which thread
// owns them. Positions are client pixels of that area.

#include "platform/Rect.h"

#include <cstdint>
#include <string_view>

namespace platform {

// An implementation's name for one of its child windows; 0 names none.
struct WindowId {
    std::uint64_t value = 0;
    constexpr bool isValid() const { return value != 0; }
    constexpr bool operator==(const WindowId&) const = default;
};

enum class ShowState {
    Normal,
    Minimised,
    Maximised
};
enum class ScrollAxis {
    Horizontal,
    Vertical
};

// How a child window shows its picture: unscaled with scroll bars, or stretched to its client
// area without them.
enum class ViewMode {
    Normal,
    SizeToFit
};

class ChildWindows {
public:
    virtual ~ChildWindows() = default;

    // True on the thread that owns the windows and serves their messages.
    virtual bool isMessageThread() const = 0;

    // Creates a hidden child window with a caption, a sizing border and minimise and maximise
    // boxes, which the user cannot close. Returns an invalid id on failure.
    virtual WindowId createChildWindow(std::string_view title) = 0;
    // Destroys the window; unknown ids are ignored here and by every call below.
    virtual void destroyWindow(WindowId window) = 0;
    virtual void setWindowTitle(WindowId window, std::string_view title) = 0;
    virtual void showWindow(WindowId window) = 0;
    // Hides the window (another becomes active when it was); showWindow shows it again.
    virtual void hideWindow(WindowId window) = 0;
    // Makes the window the active child window.
    virtual void activateWindow(WindowId window) = 0;
    // Gives the window the keyboard focus.
    virtual void focusWindow(WindowId window) = 0;
    // The active child window, or an invalid id when none is active.
    virtual WindowId activeChild() const = 0;
    virtual void setWindowState(WindowId window, ShowState state) = 0;
    virtual ShowState windowState(WindowId window) const = 0;
    // Moves the window and sets its outer size.
    virtual void moveWindow(WindowId window, Rect outer) = 0;
    virtual Rect windowRect(WindowId window) const = 0;
    // The size of the area inside the caption, borders and scroll bars.
    virtual Size clientSize(WindowId window) const = 0;
    // Scroll bar from 0 to maximum; a maximum of 0 removes the bar.
    virtual void setScrollRange(WindowId window, ScrollAxis axis, int maximum) = 0;
    virtual void setScrollPosition(WindowId window, ScrollAxis axis, int position) = 0;
    virtual void setViewMode(WindowId window, ViewMode mode) = 0;
    // Asks for a repaint of part of the client area (client pixels).
    virtual void invalidate(WindowId window, Rect area) = 0;
    // Brings the frame's list of child windows up to date with titles and visibility.
    virtual void refreshWindowMenu() = 0;
    // Gives the window a close box and a Close item (Ctrl+F4); the user's close then reaches the
    // frame's events as closeRequested, which decides.
    virtual void allowClose(WindowId window) = 0;
    // The size of the visible part of the frame's client area; child windows inside it lie
    // between (0, 0) and this size.
    virtual Size clientAreaSize() const = 0;

    // Cascades the child windows inside the frame.
    virtual void cascadeChildren() = 0;
    // Lays the child windows side by side.
    virtual void tileChildren() = 0;
    // Lines up the minimised child windows along the bottom of the frame's client area.
    virtual void arrangeIcons() = 0;
};

} // namespace platform
