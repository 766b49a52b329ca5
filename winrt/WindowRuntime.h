#pragma once
// The window table: up to 40 child windows named by handles 1024 + slot, which window each
// thread draws on, the configuration record that sizes a window's canvas and font, the size
// call for the frame and the default units' window, and text output to a window.

#include "platform/ChildWindows.h"
#include "platform/Display.h"
#include "platform/FrameWindow.h"
#include "platform/SystemDialogs.h"
#include "winrt/WindowCanvas.h"

#include <array>
#include <atomic>
#include <concepts>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace winrt {

inline constexpr int MaxWindows = 40;
inline constexpr int32_t FirstWindowHandle = 1024;
// Names the frame window in set_window_size.
inline constexpr int32_t FrameHandle = std::numeric_limits<int32_t>::min();
// font_attributes value meaning plain (weight 400, upright, not underlined).
inline constexpr int32_t PlainFontAttributes = std::numeric_limits<int32_t>::min();

// The record that configures the calling thread's current window. -1 in a size field asks
// for the default; the runtime writes the values it used back into the record.
struct WindowConfig {
    int16_t pixel_width = -1;  // canvas width, pixels
    int16_t pixel_height = -1; // canvas height, pixels
    int16_t text_columns = -1; // columns of the character grid
    int16_t text_rows = -1;    // rows of the character grid
    int16_t colour_count = -1; // palette size; -1 the display's colours (at most 256)
    // -1 the default font; -2 the extended fields below; else the cell: width in the high
    // 16 bits, height in the low 16 bits, pixels.
    int32_t font_size = -1;
    // The caption: characters up to the first NUL; a first character NUL keeps the caption.
    std::array<char, 80> title{};
    int16_t bits_per_pixel = 0;          // written back: the display's bits per pixel
    int16_t reserved_a = 0;              // written back as 0
    int16_t reserved_b = 0;              // written back as -1
    std::array<int16_t, 4> reserved_c{}; // written back as 0
    std::array<char, 32> font_name{};    // face of the extended font, ended by a NUL
    int32_t font_size_ext = 0;           // extended font cell, as font_size
    // Bit 0 bold, bit 1 underline, bit 2 italic; PlainFontAttributes for plain.
    int32_t font_attributes = 0;

    // Stores text in the title, blank-padded to 80 characters (longer text is cut).
    void setTitle(std::string_view text);
    bool operator==(const WindowConfig&) const = default;
};

// The cell of a font_size value: width in the high 16 bits, height in the low 16 bits.
constexpr int32_t fontCell(int width, int height) { return int32_t(uint32_t(width) << 16 | uint32_t(height & 0xFFFF)); }

// The unit-level size call: for the frame in pixels, for a child window in character cells.
struct WindowSizeRecord {
    int16_t kind = 0; // 1 minimise, 2 maximise, 3 restore, 4 set position and size
    int16_t x = 0;
    int16_t y = 0;
    int16_t height = 0;
    int16_t width = 0;
    bool operator==(const WindowSizeRecord&) const = default;
};

// Whether a new window takes the calling thread's current-window place for good.
enum class OpenFocus {
    Keep,
    Take
};
// What closing a window does: keep it on screen marked closed, or destroy it and free its slot.
enum class CloseMode {
    KeepOnScreen,
    Destroy
};

// The platform roles the window table uses: fonts and display facts, the child windows, the
// frame's size and state, and message boxes. Built from the roles one by one, or from any one
// object that plays all four.
struct WindowRoles {
    platform::Display& display;
    platform::ChildWindows& children;
    platform::FrameWindow& frame;
    platform::SystemDialogs& dialogs;

    WindowRoles(platform::Display& display, platform::ChildWindows& children, platform::FrameWindow& frame,
                platform::SystemDialogs& dialogs)
        : display(display), children(children), frame(frame), dialogs(dialogs)
    {
    }
    template <class P>
    requires std::derived_from<P, platform::Display> && std::derived_from<P, platform::ChildWindows> && std::
        derived_from<P, platform::FrameWindow> && std::derived_from<P, platform::SystemDialogs>
        WindowRoles(P& platform) : WindowRoles(platform, platform, platform, platform)
    {
    }
};

// What the runtime knows of one window (for the frame's menus, repaints and tests).
struct WindowInfo {
    platform::WindowId platformWindow;
    std::string title;
    bool configured = false;
    bool shown = false;
    bool closed = false;
    bool sticky = false;
    bool hidden = false; // closed by the user, to be shown again
    int scrollX = 0;
    int scrollY = 0;
};

// One per process in the program (tests make their own). Thread-safe: the window table has a
// lock, each thread keeps its own current window, and no runtime lock is held while the
// platform is called, so a platform that marshals calls to its message thread cannot deadlock
// against a repaint that looks a window up. The platform must outlive the runtime and every
// canvas handed out (a canvas asks the platform to repaint what it draws).
class WindowRuntime {
public:
    explicit WindowRuntime(WindowRoles platform);
    ~WindowRuntime();
    WindowRuntime(const WindowRuntime&) = delete;
    WindowRuntime& operator=(const WindowRuntime&) = delete;

    // Opens a hidden, unconfigured window in the lowest empty slot, titled title or
    // "Graphic<slot + 1>". With OpenFocus::Take it becomes the calling thread's current window
    // and stays so across write_window_text. Returns its handle, or -1 (graphics status -1)
    // when the table is full or the platform cannot create the window.
    int32_t open_unit_window(std::optional<std::string_view> title = std::nullopt, OpenFocus focus = OpenFocus::Keep);

    // Makes the window the calling thread's current window and the process's last window.
    // False (graphics status -1) for an invalid or closed handle.
    bool set_current_window(int32_t handle);

    // The calling thread's current window, or -1. A thread's first call to the runtime starts
    // it at the focus window, opening a new focus window when there is none or it is closed.
    int32_t currentWindow();
    // The window of the default units; -1 before any thread has used the runtime.
    int32_t focusWindow() const;
    // The window most recently made current by any thread, or -1.
    int32_t lastWindow() const;
    // The window a unit writes to: units 0, 5 and 6 use the focus window; -1 for others.
    int32_t unitWindow(int unit);

    // Configures the calling thread's current window. Returns true when the record was applied
    // (new canvas, font, caption, the window shown and fitted); false when a value had to be
    // changed (the record then holds values a second call accepts) or on failure.
    bool set_window_config(WindowConfig& config);

    // Sizes the frame (unit FrameHandle, pixels) or the window of a unit (character cells).
    // Returns 0, or -1 with graphics status -1 (no such window) or -4 (unknown kind).
    int set_window_size(int32_t unit, const WindowSizeRecord& record);

    // Writes text to a window as out_text does (a record's CR LF included), leaving the
    // calling thread's current window and the graphics status as they were. An empty text
    // writes one blank. Returns the byte count, or -1 for an invalid or closed window.
    int32_t write_window_text(int32_t handle, std::string_view text);

    // Reads a line typed (or pasted) into the window: makes it the calling thread's current
    // window and blocks until the user ends a line with Enter (or a pasted CR or LF). Typed
    // characters are echoed at the text position as out_text writes them; Backspace takes
    // the last character back; characters past the buffer's length are not taken. Returns the
    // characters read (without the line end), or -1 for an invalid or closed window or when
    // the reads are cancelled. One read waits at a time; a second waits for its turn.
    int32_t read_window_line(int32_t handle, std::span<char> buffer);
    // The window a read waits in, or -1.
    int32_t readingWindow() const;
    // A key typed in a window (message thread): queued for the read waiting there. False when
    // no read waits in that window.
    bool typeKey(int32_t handle, char ch);
    // Pasted text: read before typed keys by the current or next read, a CR LF pair as one
    // line end. clearPaste discards what has not been read.
    void pasteInput(std::string_view text);
    void clearPaste();
    bool pastePending() const;
    // Ends every waiting read with -1 and makes later reads fail at once (the frame closes).
    void cancelReads();
    // Called, on whichever thread changed it, when a read starts or ends or pasted input
    // comes or goes; no runtime lock is held during the call.
    void setInputListener(std::function<void()> listener);

    // Closes a window: kept on screen its title gains "-Closed", it takes no more output and the
    // user may close it; destroyed its slot becomes free. False for an invalid handle.
    bool closeWindow(int32_t handle, CloseMode mode);

    // Lets the user close the window (a close box and a Close item): closed by the user it is
    // hidden, its handle, canvas and contents kept, until bringToFront shows it again. False
    // for an invalid handle.
    bool allowUserClose(int32_t handle);
    // The user asked to close the window: hidden when it allows that (above), destroyed when it
    // was kept on screen closed, else left as it is. True when it went.
    bool userClose(int32_t handle);

    // Shows a window in front, visible and active with the keyboard focus: a hidden or minimised
    // window is
    // restored, a maximised one of the others (which would cover it) goes back to its own size,
    // and a window reaching out of the visible client area is moved into it as far as its size
    // allows. False for an invalid handle or a window not yet shown.
    bool bringToFront(int32_t handle);

    // The canvas of the calling thread's current window, configured with defaults first when
    // it was not yet configured; null (graphics status -1) with no current window or a closed
    // one. The pointer stays valid after a reconfiguration replaces the window's canvas.
    std::shared_ptr<WindowCanvas> currentCanvas();
    // A window's canvas without configuring it (repaints, save, copy); null when unconfigured.
    std::shared_ptr<WindowCanvas> windowCanvas(int32_t handle) const;

    std::optional<WindowInfo> windowInfo(int32_t handle) const;

    // Every canvas created from now on calls gate at the start of its operations (the pause).
    void setOperationGate(std::function<void()> gate);

    // The handle of the window shown as the platform's window, or -1.
    int32_t handleOf(platform::WindowId window) const;
    // The active child window's handle, or the focus window when none is active.
    int32_t activeWindow() const;

    // A frame size call made before the frame existed, for the frame's creation.
    std::optional<WindowSizeRecord> pendingFrameRequest() const;

    // Recomputes the window's scroll ranges from its canvas and client sizes (a range of two
    // pixels or less is none) and clamps the scroll offsets; called after every resize.
    void updateScrollBars(int32_t handle);
    // The window's client area changed size (message thread): its scroll bars are set again,
    // then its resize listener hears the new client size.
    void windowResized(int32_t handle);
    // Who hears that the window was resized (message thread; null: nobody). The listener may
    // configure the window again.
    void setResizeListener(int32_t handle, std::function<void(platform::Size client)> listener);
    // Moves the visible area over the canvas: a line is one character cell, a page the client
    // size. Returns the new offset on that axis, or -1 for an invalid handle.
    int scrollWindow(int32_t handle, platform::ScrollAxis axis, platform::WindowScroll request, int position = 0);

private:
    struct Window;
    struct ThreadRecord;
    struct LineInput;
    void notifyInput();

    ThreadRecord& threadRecord();
    std::shared_ptr<Window> lookup(int32_t handle) const;
    std::shared_ptr<Window> usableWindow(int32_t handle) const;
    int32_t ensureFocusWindow();
    bool configure(const std::shared_ptr<Window>& window, WindowConfig& config);
    bool configureWithDefaults(const std::shared_ptr<Window>& window);
    bool isConfigured(const Window& window) const;
    void makeCurrent(ThreadRecord& record, int32_t handle);
    int sizeFrame(const WindowSizeRecord& record);
    void updateScrollBars(const std::shared_ptr<Window>& window);
    void reportError(std::string_view message, int line);

    WindowRoles m_platform;
    const platform::DisplayInfo m_display;
    const uint64_t m_serial;

    mutable std::mutex m_table;
    std::array<std::shared_ptr<Window>, MaxWindows> m_slots;
    int32_t m_focus = -1;
    std::optional<WindowSizeRecord> m_pendingFrame;
    std::function<void()> m_gate; // guarded by the table lock
    std::atomic<int32_t> m_last{-1};
    // Held while the focus window is found or opened, so two threads open only one.
    std::mutex m_focusOpen;
    const std::unique_ptr<LineInput> m_input;
};

} // namespace winrt
