#pragma once
// What the dialog runtime needs of the system to show a dialog box: build the box from a
// layout, show and close it, set and read its controls, move the focus and an edit box's
// selection, and report what the user does. The host decides nothing: what a key, click or
// edit means (Enter, Escape, the default button, radio groups, tab order, accelerator letters,
// notifications) is the dialog manager's, above this interface.
//
// Threads. runModal blocks the thread that calls it until the dialog ends, and every
// DialogInput call is made on that thread, from inside runModal. A host whose widgets live on
// another thread (a GUI toolkit's own thread) queues the user's input there and drains the
// queue on the calling thread. runModal may also be called on the toolkit's own thread (a menu
// routine); the host then runs a nested event loop there.
//
// Control operations are made on the calling thread while runModal is active (from inside an
// input call, or from a nested runModal). A host that keeps its widgets elsewhere forwards each
// one with a blocking cross-thread call. They address a live dialog by the window passed to
// onCreated and a control by its id (the first control with that id); unknown dialogs or
// controls are ignored by the setters and read as empty, false or 0 by the getters.
// Programmatic changes report nothing. endDialog does not close the box at once: runModal
// returns after the input call that called it has returned, and no input is reported after it.

#include "platform/Rect.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// A host's name for one live dialog box; 0 names none (as an owner: the frame window, or no
// owner when the program has no frame).
struct DialogWindow {
    std::uint64_t value = 0;
    constexpr bool isValid() const { return value != 0; }
    constexpr bool operator==(const DialogWindow&) const = default;
};

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

// Check states of check boxes and radio buttons (2: indeterminate, three-state boxes only).
inline constexpr int Unchecked = 0;
inline constexpr int Checked = 1;

// How a control shows.
enum class ControlType {
    Static,
    Icon,
    GroupBox,
    PushButton,
    CheckBox,
    RadioButton,
    Edit,
    ScrollBar,
    ListBox,
    ComboBox,
    Other
};
enum class TextAlign {
    Left,
    Centre,
    Right
};
enum class ListSelection {
    Single,
    Multiple,
    Extended
};

// One control of a box, in pixels relative to the box's client area.
struct ControlLayout {
    int id = 0;
    ControlType type = ControlType::Other;
    std::string caption; // "&" marks the accelerator letter, "&&" is an ampersand
    Rect rect;
    bool visible = true;
    bool enabled = true;
    bool tabStop = false;
    bool isDefault = false;                          // push button: the default button
    bool multiLine = false;                          // push button: the caption wraps to the width
    bool triState = false;                           // check box: has an indeterminate state
    TextAlign align = TextAlign::Left;               // static text, edit box
    bool wordWrap = false;                           // static text
    bool noPrefix = false;                           // static text: "&" shows as it is and marks no accelerator
    bool border = false;                             // edit box
    bool readOnly = false;                           // edit box
    bool password = false;                           // edit box
    bool vertical = false;                           // scroll bar
    bool sorted = false;                             // list box, combo box: items are inserted in order
    bool editable = false;                           // combo box: has an edit field
    ListSelection selection = ListSelection::Single; // list box
    // Keys the control keeps for itself when it has the focus; every other key the host
    // reports to the dialog instead of giving it to the control (see DialogInput::onKey).
    bool keepsArrows = false;
    bool keepsCharacters = false;
    bool operator==(const ControlLayout&) const = default;
};

// A box: its client area in pixels, relative to the owner's client area (or to the screen),
// and its controls in template order (the tab order among those with a tab stop).
struct DialogLayout {
    std::string caption;
    Rect rect;
    bool titleBar = true;
    bool closeBox = false;
    bool centred = false;        // centred on the owner (or the screen), rect's position unused
    bool screenRelative = false; // rect's position is relative to the screen
    std::vector<ControlLayout> controls;
    bool operator==(const DialogLayout&) const = default;
};

// A key the host reports. Enter, Escape and Tab (Shift+Tab: shift) are always reported; a letter
// or digit with Alt always; an arrow when the focused control does not keep arrows; a letter or
// digit without modifiers when it does not keep characters. Other keys stay with the control.
enum class DialogKey {
    Enter,
    Escape,
    Tab,
    Up,
    Down,
    Left,
    Right,
    Character
};
struct DialogKeyPress {
    DialogKey key = DialogKey::Character;
    char character = 0; // DialogKey::Character: the letter (upper case) or digit
    bool alt = false;
    bool shift = false;
    constexpr bool operator==(const DialogKeyPress&) const = default;
};

// Whether key goes to the dialog rather than to the focused control (null: none has the focus),
// by the rule above. Both hosts route keys with it.
bool reachesDialog(DialogKeyPress key, const ControlLayout* focused);
// Where a sorted list or combo box puts a new item among count items (itemAt(i) gives item i):
// after every item that does not sort after it, letters compared without regard to case.
int sortedItemPosition(std::string_view text, int count, const std::function<std::string(int)>& itemAt);
// Whether the control can take the focus at all (enabled and visible aside): not a static text,
// icon, group box or unknown class; a scroll bar only with a tab stop.
bool canTakeFocus(const ControlLayout& control);

// What the user does to a running box, reported on the thread that called runModal.
class DialogInput {
public:
    virtual ~DialogInput() = default;
    // The box and its controls exist, not yet shown; dialog names it from now on.
    virtual void onCreated(DialogWindow dialog) = 0;
    // A button was clicked with the mouse (or the space bar). The host changes no check state.
    virtual void onClick(int controlId) = 0;
    // The user changed the text of an edit box or of a combo box's edit field.
    virtual void onTextEdited(int controlId) = 0;
    // A key the dialog is to handle; focusId is the control that had the focus (0 none).
    virtual void onKey(int focusId, DialogKeyPress key) = 0;
    // A scroll bar was used; it moves only when its position is set.
    virtual void onScroll(int controlId, ScrollRequest request, int thumbPosition) = 0;
    // A list or combo box item was chosen, or double-clicked.
    virtual void onListSelection(int controlId) = 0;
    virtual void onListDoubleClick(int controlId) = 0;
    // The close box of the title bar; the box stays open.
    virtual void onCloseBox() = 0;
};

class DialogHost {
public:
    virtual ~DialogHost() = default;

    // Creates a modal box from layout, owned by owner, and runs it until endDialog. Returns
    // the result given to endDialog, or -1 when the box could not be created or was destroyed
    // by someone else.
    virtual int runModal(const DialogLayout& layout, DialogWindow owner, DialogInput& input) = 0;
    // Ends the dialog: the box disappears, runModal returns result once the current input call
    // has returned.
    virtual void endDialog(DialogWindow dialog, int result) = 0;

    // The control's text (caption; an edit box's text; a combo box's edit field).
    virtual std::string text(DialogWindow dialog, int controlId) = 0;
    virtual void setText(DialogWindow dialog, int controlId, std::string_view text) = 0;
    virtual bool isEnabled(DialogWindow dialog, int controlId) = 0;
    virtual void setEnabled(DialogWindow dialog, int controlId, bool enabled) = 0;

    // The control with the focus, 0 for none; moving the focus changes no selection.
    virtual int focus(DialogWindow dialog) = 0;
    virtual void setFocus(DialogWindow dialog, int controlId) = 0;
    // Selects characters [start, end) of an edit box (end -1: to the end); the caret at end.
    virtual void selectText(DialogWindow dialog, int controlId, int start, int end) = 0;

    virtual int checkState(DialogWindow dialog, int controlId) = 0;
    virtual void setCheckState(DialogWindow dialog, int controlId, int state) = 0;

    virtual void setScrollRange(DialogWindow dialog, int controlId, int minimum, int maximum) = 0;
    virtual int scrollRangeMax(DialogWindow dialog, int controlId) = 0;
    virtual int scrollPosition(DialogWindow dialog, int controlId) = 0;
    // Moves the thumb, kept within the range.
    virtual void setScrollPosition(DialogWindow dialog, int controlId, int position) = 0;

    // List boxes and combo boxes, items numbered from 0.
    virtual void clearItems(DialogWindow dialog, int controlId) = 0;
    virtual void addItem(DialogWindow dialog, int controlId, std::string_view text) = 0;
    virtual int itemCount(DialogWindow dialog, int controlId) = 0;
    // The item's text; empty for an item number out of range.
    virtual std::string itemText(DialogWindow dialog, int controlId, int index) = 0;
    // The selected item (of a multiple-selection list box: the item with the caret), -1 none.
    virtual int currentSelection(DialogWindow dialog, int controlId) = 0;
    virtual bool isItemSelected(DialogWindow dialog, int controlId, int index) = 0;
    // Single selection: makes index the selection (-1 none). Multiple selection: adds index to
    // the selection (-1 clears it).
    virtual void selectItem(DialogWindow dialog, int controlId, int index) = 0;
};

} // namespace platform
