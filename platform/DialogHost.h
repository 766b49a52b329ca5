#pragma once
// The system's dialog manager as the dialog runtime needs it: create a modal dialog box from a
// binary dialog template, report what the user does to its controls, and let the runtime read
// and write the controls while the box is open.
//
// Threads. runModal blocks the thread that calls it (the caller's thread) until the dialog
// ends, and every DialogEvents callback is made on that thread, from inside runModal. A host
// whose widgets live on another thread (a GUI toolkit's own thread) turns user actions there
// into notifications (command id + notification code, scroll request + thumb position), puts
// them on a queue, and drains the queue in the modal loop that runModal runs on the caller's
// thread. runModal may also be called on the toolkit's own thread (a menu routine); the host
// then runs a nested event loop there instead of marshalling.
//
// Control operations (text, enabled, check, scroll bar, list and combo calls, endDialog) are
// made by the runtime on the caller's thread while runModal is active: from inside a callback,
// or from a nested runModal. A host that keeps its widgets elsewhere forwards each one with a
// blocking cross-thread call and returns its result. They address a live dialog by the id
// passed to onInit and a control by its template id (the first control with that id when a
// template repeats one); unknown dialogs or controls are ignored by the setters and read as
// empty, false or 0 by the getters.
//
// Notifications. Programmatic changes (setText, setCheckState, selectItem...) need not raise
// notifications; a host that does raise one (the system raises edit-change for a set text)
// must deliver it on the caller's thread, either at once from inside the control operation or
// later through the queue: the runtime ignores commands that arrive while it writes values.
// endDialog does not close the box at once: runModal returns after the callback that called it
// has returned, and no notification is delivered after that.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace platform {

// A host's name for one live dialog box; 0 names none (as an owner: the frame window, or no
// owner when the program has no frame).
struct DialogWindow {
    std::uint64_t value = 0;
    constexpr bool isValid() const { return value != 0; }
    constexpr bool operator==(const DialogWindow&) const = default;
};

// Notification codes of command notifications, by control class.
namespace notify {
inline constexpr int ButtonClicked = 0;      // push button, check box, radio button
inline constexpr int ListSelectionChange = 1; // list box, combo box
inline constexpr int ListDoubleClick = 2;     // list box, combo box
inline constexpr int ComboEditChange = 5;     // the edit field of a combo box changed
inline constexpr int ComboEditUpdate = 6;     // the edit field is about to show changed text
inline constexpr int EditChange = 0x300;      // an edit box's text changed
inline constexpr int EditUpdate = 0x400;      // an edit box is about to show changed text
} // namespace notify

// What the user asked a scroll bar to do (horizontal bars: up = left, down = right).
enum class ScrollRequest : int {
    LineUp = 0,
    LineDown = 1,
    PageUp = 2,
    PageDown = 3,
    ThumbPosition = 4, // the thumb was released at the position carried along
    ThumbTrack = 5,    // the thumb is being dragged through the position carried along
    Top = 6,
    Bottom = 7,
    EndScroll = 8,
};

// Check states of check boxes and radio buttons.
inline constexpr int Unchecked = 0;
inline constexpr int Checked = 1;

// The callbacks of one running dialog, made on the thread that called runModal.
class DialogEvents {
public:
    virtual ~DialogEvents() = default;
    // The dialog box and its controls exist, not yet shown; dialog names it from now on. After
    // this returns the host gives the focus to the first visible, enabled control with a tab stop.
    virtual void onInit(DialogWindow dialog) = 0;
    // A control sent a command notification. Returns whether the dialog handled it.
    virtual bool onCommand(int controlId, int notificationCode) = 0;
    // A scroll bar control was used. Returns whether the dialog handled it.
    virtual bool onScroll(int controlId, ScrollRequest request, int thumbPosition) = 0;
};

// The dialog manager.
class DialogHost {
public:
    virtual ~DialogHost() = default;

    // Creates a modal dialog box from a binary dialog template (the bytes need to live only for
    // the call), owned by owner, and runs it until endDialog. Returns the result given to
    // endDialog, or -1 when the box could not be created (the template included).
    virtual int runModal(std::span<const std::uint8_t> templateBytes, DialogWindow owner,
                         DialogEvents& events) = 0;
    // Ends the dialog: runModal returns result once the current callback has returned.
    virtual void endDialog(DialogWindow dialog, int result) = 0;

    // --- Every control --------------------------------------------------------------------

    // The control's text (caption; an edit box's text; a combo box's edit field).
    virtual std::string text(DialogWindow dialog, int controlId) = 0;
    virtual void setText(DialogWindow dialog, int controlId, std::string_view text) = 0;
    virtual bool isEnabled(DialogWindow dialog, int controlId) = 0;
    virtual void setEnabled(DialogWindow dialog, int controlId, bool enabled) = 0;

    // --- Check boxes and radio buttons ----------------------------------------------------

    virtual int checkState(DialogWindow dialog, int controlId) = 0;
    virtual void setCheckState(DialogWindow dialog, int controlId, int state) = 0;

    // --- Scroll bar controls --------------------------------------------------------------

    virtual void setScrollRange(DialogWindow dialog, int controlId, int minimum, int maximum) = 0;
    virtual int scrollRangeMax(DialogWindow dialog, int controlId) = 0;
    virtual int scrollPosition(DialogWindow dialog, int controlId) = 0;
    // Moves the thumb, kept within the range, and redraws.
    virtual void setScrollPosition(DialogWindow dialog, int controlId, int position) = 0;

    // --- List boxes and combo boxes (items numbered from 0) --------------------------------

    virtual void clearItems(DialogWindow dialog, int controlId) = 0;
    virtual void addItem(DialogWindow dialog, int controlId, std::string_view text) = 0;
    virtual int itemCount(DialogWindow dialog, int controlId) = 0;
    // The item's text; empty for an item number out of range.
    virtual std::string itemText(DialogWindow dialog, int controlId, int index) = 0;
    // The selected item (of a multiple-selection list box: the item with the caret), -1 for none.
    virtual int currentSelection(DialogWindow dialog, int controlId) = 0;
    virtual bool isItemSelected(DialogWindow dialog, int controlId, int index) = 0;
    // Single selection: makes index the selection (-1 none). Multiple selection: adds index to
    // the selection (-1 clears it).
    virtual void selectItem(DialogWindow dialog, int controlId, int index) = 0;
};

} // namespace platform
