#pragma once
// A dialog host without a screen, for tests and the batch front end. Boxes are built in memory
// from the layout; a script of user actions is played once a box has been created, turned into
// raw input as a screen would report it (HeadlessUser), and every control operation and input
// is logged.
//
// The script is one queue shared by nested dialogs: each step acts on the innermost open
// dialog, so a step that opens a nested dialog lets the following steps drive it. When the
// queue runs dry while a dialog is open, the host presses Escape for it; when that does not end
// it either, the host ends it with -1 and counts a forced end, so a test never hangs.
// Everything runs on the thread that calls runModal.

#include "platform/DialogHost.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace platform {

class HeadlessDialogHost final : public DialogHost {
public:
    // --- Script steps ---------------------------------------------------------------------

    struct Click {
        int id;
    }; // mouse click on a button
    struct Type {
        int id;
        std::string text;
    }; // replace an edit box's (or combo edit's) text
    struct Keys {
        std::string text;
    }; // type at the focused control's caret
    struct Key {
        DialogKeyPress key;
    }; // one key (Tab, an arrow, Alt+letter...)
    struct Focus {
        int id;
    }; // put the focus in a control with the mouse
    struct Enter {};
    struct Escape {};
    struct Close {}; // the close box of the title bar
    struct Scroll {
        int id;
        ScrollRequest request;
        int thumb = 0;
    };
    struct Select {
        int id;
        int index;
    }; // click a list or combo item (0-based)
    struct DoubleClick {
        int id;
        int index;
    };
    // Runs between two steps with the innermost open dialog, e.g. to inspect its controls.
    using Inspect = std::function<void(HeadlessDialogHost& host, DialogWindow dialog)>;
    using Step =
        std::variant<Click, Type, Keys, Key, Focus, Enter, Escape, Close, Scroll, Select, DoubleClick, Inspect>;

    // --- What the host keeps of a control -------------------------------------------------

    struct Control {
        ControlLayout layout;
        std::string text;
        std::size_t selectionStart = 0; // an edit box's selection; the caret is at its end
        std::size_t selectionEnd = 0;
        bool enabled = true;
        int check = Unchecked;
        int scrollMin = 0;
        int scrollMax = 100;
        int scrollPosition = 0;
        std::vector<std::string> items;
        std::vector<bool> selected;
        int current = -1; // the selected item (single selection), or the caret item

        bool hasEditField() const
        {
            return layout.type == ControlType::Edit || (layout.type == ControlType::ComboBox && layout.editable);
        }
        bool multipleSelection() const
        {
            return layout.type == ControlType::ListBox && layout.selection != ListSelection::Single;
        }
    };

    struct DialogRecord {
        DialogWindow window;
        DialogWindow owner;
        std::string caption;
        bool closeBox = false;
        std::vector<Control> controls;
        int focus = -1; // index into controls, -1 none
        bool ended = false;
        int result = 0;
    };

    // Makes runModal fail (return -1 without creating a dialog) until set back.
    void setCreationFails(bool fails) { m_creationFails = fails; }

    void addStep(Step step) { m_script.push_back(std::move(step)); }
    void addSteps(std::vector<Step> steps);
    std::size_t pendingSteps() const { return m_script.size(); }

    // The innermost open dialog, null when none is open.
    DialogRecord* activeDialog();
    // An open dialog's control by id (the first with that id), null when unknown.
    const Control* control(DialogWindow dialog, int id) const;
    // The id of the control with the focus, 0 when none.
    int focusedId(DialogWindow dialog) const;
    // The selected text of an edit box.
    std::string selectedText(DialogWindow dialog, int id) const;

    // Every dialog that has ended, in the order they ended, as it was at its end.
    const std::vector<DialogRecord>& finishedDialogs() const { return m_finished; }
    // Forgets the ended dialogs, so that a long scripted session holds only its recent ones.
    void clearFinishedDialogs() { m_finished.clear(); }
    // One line per control operation, "<dialog> <operation> <id> <arguments>", e.g.
    // "1 setText 1003 \"0\"".
    const std::vector<std::string>& operations() const { return m_operations; }
    // One line per input reported ("1 click 1005", "1 key 1001 Alt+B", "1 edited 1002") and per
    // script event ("1 created owner 0", "1 escape at end of script", "1 forced end").
    const std::vector<std::string>& notifications() const { return m_notifications; }
    void clearLogs();
    // Dialogs that the host had to end with -1 because the script left them open.
    int forcedEnds() const { return m_forcedEnds; }

    // --- DialogHost -----------------------------------------------------------------------

    int runModal(const DialogLayout& layout, DialogWindow owner, DialogInput& input) override;
    void endDialog(DialogWindow dialog, int result) override;

    std::string text(DialogWindow dialog, int controlId) override;
    void setText(DialogWindow dialog, int controlId, std::string_view text) override;
    bool isEnabled(DialogWindow dialog, int controlId) override;
    void setEnabled(DialogWindow dialog, int controlId, bool enabled) override;
    int focus(DialogWindow dialog) override;
    void setFocus(DialogWindow dialog, int controlId) override;
    void selectText(DialogWindow dialog, int controlId, int start, int end) override;
    int checkState(DialogWindow dialog, int controlId) override;
    void setCheckState(DialogWindow dialog, int controlId, int state) override;
    void setScrollRange(DialogWindow dialog, int controlId, int minimum, int maximum) override;
    int scrollRangeMax(DialogWindow dialog, int controlId) override;
    int scrollPosition(DialogWindow dialog, int controlId) override;
    void setScrollPosition(DialogWindow dialog, int controlId, int position) override;
    void clearItems(DialogWindow dialog, int controlId) override;
    void addItem(DialogWindow dialog, int controlId, std::string_view text) override;
    int itemCount(DialogWindow dialog, int controlId) override;
    std::string itemText(DialogWindow dialog, int controlId, int index) override;
    int currentSelection(DialogWindow dialog, int controlId) override;
    bool isItemSelected(DialogWindow dialog, int controlId, int index) override;
    void selectItem(DialogWindow dialog, int controlId, int index) override;

private:
    struct Live {
        DialogRecord record;
        DialogInput* input = nullptr;
    };

    Live* find(DialogWindow dialog) const;
    Control* findControl(DialogWindow dialog, int id) const;
    // Logs "<dialog> <operation's first word> <id> <its arguments>" and finds the control.
    Control* logged(DialogWindow dialog, int id, const std::string& operation);
    void log(DialogWindow dialog, const std::string& line);

    std::deque<Step> m_script;
    std::vector<std::unique_ptr<Live>> m_open; // innermost last
    std::vector<DialogRecord> m_finished;
    std::vector<std::string> m_operations;
    std::vector<std::string> m_notifications;
    std::uint64_t m_nextWindow = 1;
    int m_forcedEnds = 0;
    bool m_creationFails = false;
};

// A key's name in logs: "Enter", "Shift+Tab", "Alt+B", "B".
std::string keyName(DialogKeyPress key);

} // namespace platform
