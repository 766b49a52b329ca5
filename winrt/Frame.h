#pragma once
// The frame window's logic: the menu bar and its commands, the user's menu items, the run
// state in the status bar, pause and resume, help, and what happens when the program ends.

#include "platform/ChildWindows.h"
#include "platform/Clipboard.h"
#include "platform/FrameWindow.h"
#include "platform/SystemDialogs.h"
#include "winrt/FrameCommands.h"
#include "winrt/MenuModel.h"
#include "winrt/PauseGate.h"
#include "winrt/SavePicture.h"
#include "winrt/SelectionController.h"
#include "winrt/WindowRuntime.h"

#include <atomic>
#include <concepts>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace winrt {

enum class RunState {
    Running = 0,
    Paused = 1,
    Finished = 2
};

// What happens when the program ends: ask whether to close the frame, close it, keep it.
enum class ExitBehaviour {
    Ask = 1,
    Close = 2,
    KeepOpen = 3
};

// append_menu_item flags.
namespace menuflag {
inline constexpr int Grayed = 1;
inline constexpr int Disabled = 2;
inline constexpr int Separator = 8;
inline constexpr int Checked = 16;
} // namespace menuflag

// A user menu item's routine: receives 1 when the item is checked, else 0; the value it leaves
// there ticks or unticks the item.
using MenuCallback = std::function<void(int32_t& checked)>;

// The menu bar a new frame gets.
platform::MenuBar defaultMenuBar();

// The help topic of a menu item for F1, if it has one.
std::optional<int> helpTopic(int commandId);

// The texts of the print messages, by number (0 to 4 and 9); empty for another number.
std::string_view printMessageText(int number);
// The print message a print dialog that gives no job ends with, by its number; empty when the
// dialog ends quietly (the user cancelled it).
std::optional<int> printDialogMessage(platform::PrintDialogOutcome outcome);

// The help file: WINRT_HELP names it (a directory means WINRT in it; a name without extension
// gets .html), else WINRT.html found beside the program, in the working directory or on the
// search path, else "WINRT.html" as it is.
std::string findHelpFile(const std::string& programDirectory);

// The platform roles the frame's logic uses: the child windows, the frame window, the system
// dialogs and the clipboard. Built from the roles one by one, or from any one object that plays
// all four.
struct FrameRoles {
    platform::ChildWindows& children;
    platform::FrameWindow& frame;
    platform::SystemDialogs& dialogs;
    platform::Clipboard& clipboard;

    FrameRoles(platform::ChildWindows& children, platform::FrameWindow& frame, platform::SystemDialogs& dialogs,
               platform::Clipboard& clipboard)
        : children(children), frame(frame), dialogs(dialogs), clipboard(clipboard)
    {
    }
    template <class P>
    requires std::derived_from<P, platform::ChildWindows> && std::derived_from<P, platform::FrameWindow> && std::
        derived_from<P, platform::SystemDialogs> && std::derived_from<P, platform::Clipboard>
        FrameRoles(P& platform) : FrameRoles(platform, platform, platform, platform)
    {
    }
};

// One per process. Commands arrive on the message thread; programEnded comes from the
// program thread.
class FrameRuntime final : public platform::FrameEvents {
public:
    FrameRuntime(FrameRoles platform, WindowRuntime& windows, std::string programName,
                 std::string programDirectory = {});
    ~FrameRuntime() override;
    FrameRuntime(const FrameRuntime&) = delete;
    FrameRuntime& operator=(const FrameRuntime&) = delete;

    // Takes the frame's events, builds the menu bar, shows "Running", and sets the pause gate
    // on the windows' canvases.
    void start();

    // Adds an item to menu number menu (1-based; one past the last menu adds a command to the
    // bar itself). An item text without "&" gets one before its first letter. False for a menu
    // number out of range or while the calling program thread has no usable window.
    bool append_menu_item(int menu, int flags, std::string_view text, MenuCallback callback);
    // Deletes item number item (1-based) of menu number menu, or the whole menu for item 0.
    bool delete_menu_item(int menu, int item);
    // Grays or enables item number item (1-based) of menu number menu, or every item of the
    // menu for item 0; only the user's items. While the program is paused or finished they stay
    // gray and take this state when it runs again. False for numbers out of range.
    bool setMenuItemGrayed(int menu, int item, bool grayed);
    // 1 ask, 2 close, 3 keep open; returns 0, or -1 for another value.
    int set_exit_behaviour(int behaviour);

    RunState runState() const;
    std::string statusMessage() const;
    void setStatusMessage(std::string_view text);

    // The program has ended with code: run state "Finished", user items grayed, then by the
    // exit behaviour ask whether to close the frame, close it, or keep it.
    void programEnded(int code);

    void pause();
    void resume();
    PauseGate& gate() { return m_gate; }

    // The menu bar as it is now (for tests and the platform).
    platform::MenuBar menuBar() const;
    // The program name shown in captions.
    const std::string& programName() const { return m_programName; }
    // The runtime's banner for the About command.
    static std::string banner();

    // Frame events (message thread).
    void command(int id) override;
    void helpOnMenuItem(int id) override;
    void paint(platform::WindowId window, const std::function<void(const platform::PictureView&)>& draw) override;
    void scroll(platform::WindowId window, platform::ScrollAxis axis, platform::WindowScroll request,
                int position) override;
    void resized(platform::WindowId window) override;
    void key(platform::WindowId window, const platform::KeyPress& key) override;
    void frameClosing() override;
    void windowChosen(platform::WindowId window) override;
    void closeRequested(platform::WindowId window) override;

    void mouse(platform::WindowId window, const platform::MouseEvent& event) override;

    // Whether the frame has been closed (Exit, the close box, Yes at the end).
    bool frameClosed() const { return m_closed.load(); }

    // The selection being marked or made, if any (for tests and the platform).
    using SelectionState = SelectionController::State;
    std::optional<SelectionState> selection() const { return m_selection.state(); }

    // Where Save writes files (the real file system unless a test says otherwise).
    void setFileSystem(platform::FileSystem& files) { m_files = &files; }

private:
    struct UserItem {
        MenuCallback callback;
        bool grayed = false; // the item's own state, whatever the run state
    };
    void setRunState(RunState state);
    void setUserItemsGrayed(bool grayed);
    void toggleSizeToFit();
    void toggleFullScreen();
    void closeFrame();
    void reportError(std::string_view message, int line);
    void refreshStatus();
    void inputChanged();
    void invalidateWindow(int32_t handle);
    void save();
    void print();
    void paste();
    void activateReader();

    FrameRoles m_platform;
    WindowRuntime& m_windows;
    const std::string m_programName;
    const std::string m_programDirectory;
    PauseGate m_gate;

    mutable std::mutex m_mutex;        // guards everything below
    MenuModel m_menu;                  // guarded by m_mutex
    std::vector<UserItem> m_userItems; // index: id - FirstUser
    RunState m_state = RunState::Running;
    int m_nestedPauses = 0;
    bool m_finished = false;
    ExitBehaviour m_exitBehaviour = ExitBehaviour::Ask;
    std::string m_message;
    bool m_statusBarShown = true;
    bool m_sizeToFit = false;
    int32_t m_fullScreen = -1;
    std::optional<std::string> m_helpFile;
    std::atomic<bool> m_closed{false};
    platform::FileSystem* m_files = &platform::systemFileSystem();
    bool m_printing = false;
    SelectionController m_selection; // shares m_mutex
};

} // namespace winrt
