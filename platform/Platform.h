#pragma once
// The system services the window runtime needs: facts about the display, fixed-pitch fonts,
// the child windows inside the frame, the frame's own size and state, and message boxes.
//
// The interface depends on nothing of the program: the window runtime builds on it, and each
// implementation (the Qt desktop, the headless one for tests and the batch front end) supplies
// it. Every call may come from the program thread or the message thread; an implementation
// that owns its windows on one thread marshals the calls itself. Sizes and positions are in
// pixels; child window positions are relative to the frame's client area (the area that holds
// the child windows), frame positions relative to the screen.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// An implementation's name for one of its child windows; 0 names none.
struct WindowId {
    std::uint64_t value = 0;
    constexpr bool isValid() const { return value != 0; }
    constexpr bool operator==(const WindowId&) const = default;
};

struct Size {
    int width = 0;
    int height = 0;
    constexpr bool operator==(const Size&) const = default;
};

// A rectangle: top left corner and size in pixels.
struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    constexpr bool operator==(const Rect&) const = default;
};

// Facts about the display and the system's window metrics, read once at start-up.
struct DisplayInfo {
    int screenWidth = 1024;
    int screenHeight = 768;
    int bitsPerPixel = 24;
    int planes = 1;
    // The character cell of the default font (16 x 32 where the system has an input-method editor).
    int defaultCellWidth = 8;
    int defaultCellHeight = 16;
    // The smallest outer size a window may take.
    int minWindowWidth = 112;
    int minWindowHeight = 27;
    int captionHeight = 19;
    int menuBarHeight = 19;
    // Width of a sizing border (one side).
    int frameBorder = 4;
    int verticalScrollWidth = 16;
    int horizontalScrollHeight = 16;

    // Colours the display offers: 2 to the power of bits per pixel times planes, capped at 256.
    constexpr int colourCount() const
    {
        int bits = bitsPerPixel * planes;
        return bits >= 8 ? 256 : bits <= 1 ? 2 : 1 << bits;
    }
};

// A fixed-pitch font asked for by its character cell.
struct FontRequest {
    std::string face = "Courier New";
    int cellWidth = 8;   // average character width wanted, pixels
    int cellHeight = 16; // height plus external leading wanted, pixels
    int weight = 400;    // 400 plain, 700 bold
    bool italic = false;
    bool underline = false;
};

// What a created font measures.
struct FontMetrics {
    int averageCharWidth = 0;
    int height = 0;
    int externalLeading = 0;
    constexpr bool operator==(const FontMetrics&) const = default;
};

// A created font: its measurements and the shapes of its characters.
// Where a canvas gets the shapes of characters.
class Glyphs {
public:
    virtual ~Glyphs() = default;
    // Fills mask (cellWidth x cellHeight bytes, top row first) with the coverage of character ch,
    // 0 background to 255 full ink (a canvas inks pixels of 128 and above); characters the
    // source lacks leave the mask all 0.
    virtual void renderGlyph(unsigned char ch, int cellWidth, int cellHeight, std::span<std::uint8_t> mask) const = 0;
};

// A font of the system: its glyphs and its measurements.
class Font : public Glyphs {
public:
    virtual FontMetrics metrics() const = 0;
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

// Where and how large the frame should be, outer size; an empty field keeps its present value.
struct FramePlacement {
    std::optional<int> x;
    std::optional<int> y;
    std::optional<int> width;
    std::optional<int> height;
    bool operator==(const FramePlacement&) const = default;
};

enum class MessageIcon {
    None,
    Information,
    Warning,
    Error,
    Question
};
enum class MessageButtons {
    Ok,
    OkCancel,
    YesNo,
    YesNoCancel
};
enum class MessageAnswer {
    Ok,
    Cancel,
    Yes,
    No
};

struct MessageBoxRequest {
    std::string caption;
    std::string text;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    // The button Enter presses; empty: the first button.
    std::optional<MessageAnswer> defaultAnswer;
    bool operator==(const MessageBoxRequest&) const = default;
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

// A child window's picture as the window runtime hands it out for painting: palette indices,
// rows from the top, and the palette as 0x00BBGGRR colours. Valid during the call only.
struct PictureView {
    int width = 0;
    int height = 0;
    std::span<const std::uint8_t> pixels;
    std::span<const std::uint32_t> palette;
    // Top left corner of the visible area over the picture.
    int scrollX = 0;
    int scrollY = 0;
    // The caret's cell (top left pixel and size), when the window shows one.
    std::optional<Rect> caret;
    // Parts of the picture marked for copying, shown inverted (picture pixels).
    std::span<const Rect> marked;
};

// A picture of palette indices with its palette, as handed to the clipboard and the printer.
struct IndexedPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;   // width x height indices, rows from the top
    std::vector<std::uint32_t> palette; // 0x00BBGGRR, one entry per index in use
    bool operator==(const IndexedPicture&) const = default;
};

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

// One entry of a file dialog's filter list: its text and the patterns it lets through.
struct FileFilter {
    std::string description; // "Bitmap Files(*.bmp)"
    std::string pattern;     // "*.bmp"
    bool operator==(const FileFilter&) const = default;
};

// The save-file dialog: owned by the frame, the first filter selected, an empty file name.
struct SaveFileRequest {
    std::vector<FileFilter> filters;
    std::string defaultExtension; // without the dot; added when the name has none
    bool confirmOverwrite = true; // ask before replacing an existing file
    bool operator==(const SaveFileRequest&) const = default;
};

// How the print dialog ended.
enum class PrintDialogOutcome {
    Accepted,
    Cancelled,
    DriverLoadFailed, // the printer's driver could not be loaded
    NoDefaultPrinter,
    NoPrinter, // nothing to print to at all, not even a file
    Failed,    // any other failure
};

// What the layout of a page needs of the chosen printer.
struct PrinterFacts {
    int printableWidth = 0; // printer pixels
    int printableHeight = 0;
    int dpiX = 0; // printer pixels per inch across
    int dpiY = 0; // and down
    bool operator==(const PrinterFacts&) const = default;
};

// One print job on the printer chosen in the print dialog, used on the message thread. Each
// step returns false when it fails. Destroying the job releases the printer (and abandons a
// document still open).
class PrintJob {
public:
    virtual ~PrintJob() = default;
    virtual PrinterFacts facts() const = 0;
    [[nodiscard]] virtual bool startDocument(std::string_view name, int copies) = 0;
    [[nodiscard]] virtual bool startPage() = 0;
    // Stretches the whole picture over target (printer pixels of the printable area, both
    // corners inside), a plain copy of its colours, nearest pixel.
    [[nodiscard]] virtual bool drawPicture(const IndexedPicture& picture, Rect target) = 0;
    [[nodiscard]] virtual bool endPage() = 0;
    [[nodiscard]] virtual bool endDocument() = 0;
    // Abandons the document at once; nothing of it is printed.
    virtual void abortDocument() = 0;
    // Serves the messages waiting for the program's windows (the abort box among them) while
    // the job spools, so that the user can cancel it.
    virtual void serviceMessages() = 0;
};

struct PrintDialogResult {
    PrintDialogOutcome outcome = PrintDialogOutcome::Cancelled;
    std::unique_ptr<PrintJob> job; // set when accepted
};

// How a child window shows its picture: unscaled with scroll bars, or stretched to its client
// area without them.
enum class ViewMode {
    Normal,
    SizeToFit
};

// Scroll requests of a scroll bar or the keyboard.
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
};

class Platform {
public:
    virtual ~Platform() = default;

    // --- Display and fonts ----------------------------------------------------------------

    virtual DisplayInfo display() const = 0;
    // Creates the font closest to the request; null when the system cannot create one.
    virtual std::unique_ptr<Font> createFont(const FontRequest& request) = 0;

    // --- Threads --------------------------------------------------------------------------

    // True on the thread that owns the windows and serves their messages.
    virtual bool isMessageThread() const = 0;

    // --- Child windows --------------------------------------------------------------------

    // Creates a hidden child window with a caption, a sizing border and minimise and maximise
    // boxes, which the user cannot close. Returns an invalid id on failure.
    virtual WindowId createChildWindow(std::string_view title) = 0;
    // Destroys the window; unknown ids are ignored here and by every call below.
    virtual void destroyWindow(WindowId window) = 0;
    virtual void setWindowTitle(WindowId window, std::string_view title) = 0;
    virtual void showWindow(WindowId window) = 0;
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
    // Asks for a repaint of part of the client area (client pixels).
    virtual void invalidate(WindowId window, Rect area) = 0;
    // Brings the frame's list of child windows up to date with titles and visibility.
    virtual void refreshWindowMenu() = 0;

    // --- The frame ------------------------------------------------------------------------

    // False until the frame window has been created.
    virtual bool frameExists() const = 0;
    virtual ShowState frameState() const = 0;
    virtual void setFrameState(ShowState state) = 0;
    virtual void placeFrame(const FramePlacement& placement) = 0;
    // Cascades the child windows inside the frame.
    virtual void cascadeChildren() = 0;
    // Lays the child windows side by side.
    virtual void tileChildren() = 0;
    // Lines up the minimised child windows along the bottom of the frame's client area.
    virtual void arrangeIcons() = 0;

    // Where the frame's events go (null: nowhere).
    virtual void setFrameEvents(FrameEvents* events) = 0;
    virtual void setFrameTitle(std::string_view title) = 0;
    // Replaces the whole menu bar.
    virtual void setMenuBar(const MenuBar& bar) = 0;
    // Status bar: pane 0 the run state, pane 1 the current message.
    virtual void setStatusText(int pane, std::string_view text) = 0;
    virtual void setStatusBarVisible(bool visible) = 0;
    virtual void setViewMode(WindowId window, ViewMode mode) = 0;
    // Shows the window's picture stretched over the whole screen; an invalid id closes it.
    virtual void setFullScreen(WindowId window) = 0;
    // Opens the help file at its contents, or at a topic.
    virtual void openHelp(const std::string& file, std::optional<int> topic) = 0;
    // Closes the frame: the message loop ends and the process with it.
    virtual void closeFrame() = 0;
    virtual void beep() = 0;

    // --- Message boxes --------------------------------------------------------------------

    // Shows a task-modal message box owned by the frame and returns the button chosen.
    virtual MessageAnswer messageBox(const MessageBoxRequest& request) = 0;

    // --- Files, clipboard, printing -------------------------------------------------------

    // Shows the modal save-file dialog; the chosen path, or empty when the user cancelled.
    virtual std::optional<std::string> saveFileDialog(const SaveFileRequest& request) = 0;
    // Replaces the clipboard's contents with single-byte text (lines ended by CR LF); false
    // when the clipboard cannot be had.
    virtual bool setClipboardText(std::string_view text) = 0;
    // Replaces the clipboard's contents with a picture, its colours exactly the palette's.
    virtual bool setClipboardImage(const IndexedPicture& picture) = 0;
    // The clipboard's text as single-byte characters (characters without one become '?');
    // empty when it holds no text.
    virtual std::optional<std::string> clipboardText() = 0;
    // Shows the modal print dialog with the settings kept from the last one (the first time
    // the defaults); an accepted dialog gives a job on the chosen printer.
    virtual PrintDialogResult printDialog() = 0;
    // Shows the modeless abort box of a print job ("Printing " with "Printing In Progress..."
    // and a Cancel button); onCancel runs on the message thread when Cancel is pressed. False
    // when the box cannot be created.
    virtual bool showPrintAbortBox(std::function<void()> onCancel) = 0;
    virtual void closePrintAbortBox() = 0;
    // Enables or disables the frame (its menus and child windows) for mouse and keyboard.
    virtual void setFrameEnabled(bool enabled) = 0;
};

} // namespace platform
