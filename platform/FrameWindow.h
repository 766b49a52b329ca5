#pragma once
// The frame window role: the main window's size and state, its title, menu bar and status bar,
// the full-screen view, help, closing, and the events the frame reports. Frame positions are
// screen pixels, outer size.

#include "platform/ChildWindows.h"
#include "platform/Picture.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Where and how large the frame should be, outer size; an empty field keeps its present value.
struct FramePlacement {
    std::optional<int> x;
    std::optional<int> y;
    std::optional<int> width;
    std::optional<int> height;
    bool operator==(const FramePlacement&) const = default;
};

// One entry of a menu: a command with its id, or a separator.
struct MenuItem {
    std::string text; // with "&" before the access key and "\t" before an accelerator's name
    int id = 0;
    bool separator = false;
    bool grayed = false;
    bool checked = false;
    bool newColumn = false;  // starts a new column of the menu
    bool windowList = false; // the list of child windows follows this item's menu
    bool operator==(const MenuItem&) const = default;
};

// A menu of the menu bar; with no items and a nonzero id it is a plain command of the bar.
struct Menu {
    std::string text;
    std::vector<MenuItem> items;
    int id = 0;
    bool operator==(const Menu&) const = default;
};

using MenuBar = std::vector<Menu>;

// The left mouse button over a child window's picture: pressed, moved while held, released.
enum class MouseAction {
    Press,
    Move,
    Release
};

struct MouseEvent {
    MouseAction action = MouseAction::Press;
    // Client pixels of the window's picture area (may lie outside it while the button is held).
    int x = 0;
    int y = 0;
};

// What a child window's scroll bar or the keyboard asks of the window's view.
enum class WindowScroll {
    LineBack,
    LineForward,
    PageBack,
    PageForward,
    ToPosition,
    ToStart,
    ToEnd
};

enum class Key {
    Character,
    Escape,
    Enter,
    Left,
    Right,
    Up,
    Down,
    PageUp,
    PageDown,
    Home,
    End,
    Insert,
    F1
};

struct KeyPress {
    Key key = Key::Character;
    char32_t character = 0; // Key::Character
    bool ctrl = false;
    bool shift = false;
    bool alt = false;
};

// What the platform tells the window runtime, on the message thread.
class FrameEvents {
public:
    virtual ~FrameEvents() = default;
    // A menu command or accelerator of the frame.
    virtual void command(int id) = 0;
    // F1 while a menu item is highlighted.
    virtual void helpOnMenuItem(int id) = 0;
    // Paints a child window: calls draw with its picture while holding the picture's lock.
    virtual void paint(WindowId window, const std::function<void(const PictureView&)>& draw) = 0;
    // The user moved a scroll bar of a child window.
    virtual void scroll(WindowId window, ScrollAxis axis, WindowScroll request, int position) = 0;
    // A child window's client area changed size.
    virtual void resized(WindowId window) = 0;
    // A key pressed in a child window (or the full-screen view).
    virtual void key(WindowId window, const KeyPress& key) = 0;
    // The left mouse button in a child window's picture area.
    virtual void mouse(WindowId window, const MouseEvent& event) { (void)window, (void)event; }
    // The frame is being closed (Exit, the close box); the process ends after this returns.
    virtual void frameClosing() = 0;
    // The user chose the child window in the Window menu's list.
    virtual void windowChosen(WindowId window) { (void)window; }
    // The user asked to close a child window that allows it (its close box or Close item).
    virtual void closeRequested(WindowId window) { (void)window; }
};

class FrameWindow {
public:
    virtual ~FrameWindow() = default;

    // False until the frame window has been created.
    virtual bool frameExists() const = 0;
    virtual ShowState frameState() const = 0;
    virtual void setFrameState(ShowState state) = 0;
    virtual void placeFrame(const FramePlacement& placement) = 0;

    // Where the frame's events go (null: nowhere).
    virtual void setFrameEvents(FrameEvents* events) = 0;
    virtual void setFrameTitle(std::string_view title) = 0;
    // Replaces the whole menu bar.
    virtual void setMenuBar(const MenuBar& bar) = 0;
    // Status bar: pane 0 the run state, pane 1 the current message.
    virtual void setStatusText(int pane, std::string_view text) = 0;
    virtual void setStatusBarVisible(bool visible) = 0;
    // Shows the window's picture stretched over the whole screen; an invalid id closes it.
    virtual void setFullScreen(WindowId window) = 0;
    // Opens the help file at its contents, or at a topic.
    virtual void openHelp(const std::string& file, std::optional<int> topic) = 0;
    // Enables or disables the frame (its menus and child windows) for mouse and keyboard.
    virtual void setFrameEnabled(bool enabled) = 0;
    // Closes the frame: the message loop ends and the process with it.
    virtual void closeFrame() = 0;
    virtual void beep() = 0;
};

} // namespace platform
