#pragma once
// The user of the headless dialog host, with the screen's own handling of its input: plays the
// steps of a script on one box as a screen would deliver them and reports the raw input to the
// dialog. A click focuses the button; typing replaces an edit box's selection, and the space
// bar clicks a focused button; a key the focused control keeps stays with it (the rule of
// reachesDialog), any other goes to the dialog. Each input is noted in the host's log.

#include "platform/headless/HeadlessDialogHost.h"

namespace platform {

class HeadlessUser {
public:
    // box is the innermost open box of host, input its dialog; notes receives the log lines.
    HeadlessUser(HeadlessDialogHost& host, HeadlessDialogHost::DialogRecord& box, DialogInput& input,
                 std::vector<std::string>& notes);

    void play(const HeadlessDialogHost::Step& step);
    // One key pressed with the box in front.
    void press(DialogKeyPress key);
    // Adds a line for the box to the log.
    void note(const std::string& line);

private:
    using Control = HeadlessDialogHost::Control;
    void type(char ch);
    Control* reachable(int id, const char* what);
    void focusOn(const Control& c);
    Control* focused();

    HeadlessDialogHost& m_host;
    HeadlessDialogHost::DialogRecord& m_box;
    DialogInput& m_input;
    std::vector<std::string>& m_notes;
};

} // namespace platform
