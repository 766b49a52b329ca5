#pragma once
// The dialog manager: what the user's input to a running box means. It turns a host's raw
// input (clicks, edits, keys, scroll requests, the close box) into the command and scroll
// notifications of the dialog procedure, and keeps the rules the system's dialog manager has:
//
// - Enter: a click from the focused push button, else from the default push button (nothing
//   while it is disabled), else from id 1. Escape, and the close box when the box has one and
//   its control 2 (if any) is enabled: a click from id 2.
// - A click on an automatic check box toggles it (three states: unchecked, checked,
//   indeterminate); on an automatic radio button checks it and unchecks the other automatic
//   radio buttons of its group. Other check boxes and radio buttons are left to the program.
// - The arrow keys move the focus within the focused control's group (the controls from one
//   with the group style to the next), clicking an automatic radio button reached so.
// - Tab and Shift+Tab move over the visible, enabled controls with a tab stop, wrapping; Tab
//   into a group of radio buttons lands on its checked button.
// - Accelerator letters: the letter after "&" in a button's, static text's or group box's
//   caption, with Alt from any control, without Alt from a control that does not keep
//   characters; searched from the control after the focus, wrapping. A push button is clicked,
//   a check box or radio button focused and clicked, a static text or group box gives the
//   focus to the next control that can take it.
// - When the box opens, the first visible, enabled control with a tab stop gets the focus; an
//   edit box that gets the focus from the keyboard (opening, Tab, an accelerator) has its whole
//   text selected.
// - User edits only raise edit notifications (update, then change); list boxes notify only
//   with the notify style, combo boxes always.

#include "dialogs/DialogTemplate.h"
#include "platform/DialogHost.h"

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace dialogs {

// Notification codes of command notifications, by control class.
namespace notify {
inline constexpr int ButtonClicked = 0;       // push button, check box, radio button
inline constexpr int ListSelectionChange = 1; // list box, combo box
inline constexpr int ListDoubleClick = 2;     // list box, combo box
inline constexpr int ComboEditChange = 5;     // the edit field of a combo box changed
inline constexpr int ComboEditUpdate = 6;     // the edit field is about to show changed text
inline constexpr int EditChange = 0x300;      // an edit box's text changed
inline constexpr int EditUpdate = 0x400;      // an edit box is about to show changed text
} // namespace notify

// The dialog procedure: what the manager tells the program, on the thread that runs the box.
class DialogEvents {
public:
    virtual ~DialogEvents() = default;
    // The box and its controls exist, not yet shown; the focus is given after this returns.
    virtual void onInit(platform::DialogWindow dialog) = 0;
    // A control sent a command notification. Returns whether the dialog handled it.
    virtual bool onCommand(int controlId, int notificationCode) = 0;
    // A scroll bar control was used. Returns whether the dialog handled it.
    virtual bool onScroll(int controlId, platform::ScrollRequest request, int thumbPosition) = 0;
    // The procedure has ended the dialog: nothing more is delivered.
    virtual bool hasEnded() const { return false; }
};

class DialogManager final : public platform::DialogInput {
public:
    // The template and layout must outlive the manager; layout is built from dialogTemplate.
    DialogManager(platform::DialogHost& host, const DialogTemplate& dialogTemplate,
                  const platform::DialogLayout& layout, DialogEvents& procedure);

    void onCreated(platform::DialogWindow dialog) override;
    void onClick(int controlId) override;
    void onTextEdited(int controlId) override;
    void onKey(int focusId, platform::DialogKeyPress key) override;
    void onScroll(int controlId, platform::ScrollRequest request, int thumbPosition) override;
    void onListSelection(int controlId) override;
    void onListDoubleClick(int controlId) override;
    void onCloseBox() override;

private:
    int indexOf(int id) const;
    std::uint32_t styleOf(std::size_t i) const { return m_template.items[i].style; }
    bool usable(std::size_t i) const;
    bool canFocus(std::size_t i) const;
    std::pair<std::size_t, std::size_t> groupOf(std::size_t i) const;
    void command(int id, int code);
    void giveFocus(std::size_t i);
    void click(std::size_t i);
    void enter(int focusId);
    void moveTab(int focusId, bool forward);
    void moveInGroup(int focusId, bool forward);
    void accelerator(int focusId, char letter);

    platform::DialogHost& m_host;
    const DialogTemplate& m_template;
    const platform::DialogLayout& m_layout;
    DialogEvents& m_procedure;
    platform::DialogWindow m_window;
    std::vector<bool> m_repeated; // the control's id occurs more than once
};

// The letter after the first single "&" of a caption, upper case; 0 when there is none.
char acceleratorOf(std::string_view caption);

} // namespace dialogs
