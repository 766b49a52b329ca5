#pragma once
// One table of dialog behaviour, run on every dialog host: each row plays user input on a
// dialog run by the dialog runtime and compares the routines called, what the user sees
// (focus, text, selection, check marks, bar positions) and the end code. A host's test supplies
// a Driver that plays the input as its screen would deliver it.

#include "app/DialogTemplates.h"
#include "dialogs/Dialog.h"

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

namespace dialogs::conformance {

using platform::DialogKey;
using platform::DialogKeyPress;
using platform::ScrollRequest;

// One step of a row: user input, or a look at the box.
struct Act {
    enum class Kind {
        Click,
        Type,
        Key,
        Close,
        Scroll,
        LookFocus,
        LookText,
        LookSelected,
        LookCheck,
        LookPosition
    };
    Kind kind = Kind::LookFocus;
    int id = 0;
    std::string text;
    DialogKeyPress key{};
    ScrollRequest request = ScrollRequest::LineDown;
};

inline Act act(Act::Kind kind, int id = 0)
{
    Act a;
    a.kind = kind;
    a.id = id;
    return a;
}
inline Act click(int id) { return act(Act::Kind::Click, id); }
inline Act type(std::string text)
{
    Act a = act(Act::Kind::Type);
    a.text = std::move(text);
    return a;
}
inline Act key(DialogKey k, bool shift = false)
{
    Act a = act(Act::Kind::Key);
    a.key = DialogKeyPress{k, 0, false, shift};
    return a;
}
inline Act alt(char letter)
{
    Act a = act(Act::Kind::Key);
    a.key = DialogKeyPress{DialogKey::Character, letter, true, false};
    return a;
}
inline Act closeBox() { return act(Act::Kind::Close); }
inline Act scroll(int id, ScrollRequest r)
{
    Act a = act(Act::Kind::Scroll, id);
    a.request = r;
    return a;
}
inline Act lookFocus() { return act(Act::Kind::LookFocus); }
inline Act lookText(int id) { return act(Act::Kind::LookText, id); }
inline Act lookSelected(int id) { return act(Act::Kind::LookSelected, id); }
inline Act lookCheck(int id) { return act(Act::Kind::LookCheck, id); }
inline Act lookPosition(int id) { return act(Act::Kind::LookPosition, id); }

// Lines from the program thread (routines) and the user's side (looks), in order.
class Log {
public:
    void add(std::string line)
    {
        std::lock_guard lock(m_lock);
        m_lines.push_back(std::move(line));
    }
    std::vector<std::string> lines() const
    {
        std::lock_guard lock(m_lock);
        return m_lines;
    }

private:
    mutable std::mutex m_lock;
    std::vector<std::string> m_lines;
};

// The look lines a driver writes.
inline std::string focusLine(int id) { return "focus " + std::to_string(id); }
inline std::string textLine(int id, const std::string& t) { return "text " + std::to_string(id) + " \"" + t + "\""; }
inline std::string selectedLine(int id, const std::string& t)
{
    return "selected " + std::to_string(id) + " \"" + t + "\"";
}
inline std::string checkLine(int id, int state) { return "check " + std::to_string(id) + " " + std::to_string(state); }
inline std::string positionLine(int id, int p) { return "position " + std::to_string(id) + " " + std::to_string(p); }

// Plays the acts on the running dialog and writes the looks to log. Runs DialogRunModal and
// returns its end code.
class Driver {
public:
    virtual ~Driver() = default;
    virtual std::int32_t run(Dialog& dialog, const std::vector<Act>& acts, Log& log) = 0;
};

enum class Form {
    Surface,
    View,
    CheckAndLabel,
    OkOnly,
    Choices
};

struct Row {
    const char* what;
    Form form;
    std::vector<Act> acts;
    std::vector<std::string> expected;
    std::int32_t endCode;
};

// A small dialog of the table's own, served as resource 401 (check box, labelled edit box and
// a group of two radio buttons with one tab stop), 402 (an OK button only, with a close box) and
// 403 (a close box, Cancel disabled, a three-state box and a caption with a literal "&").
inline constexpr std::int32_t CheckAndLabelId = 401;
inline constexpr std::int32_t OkOnlyId = 402;
inline constexpr std::int32_t ChoicesId = 403;
namespace templates {
namespace s = dialogs::style;
namespace k = dialogs::control_class;
inline constexpr std::uint32_t Shown = s::Child | s::Visible;
inline constexpr dialogs::ControlSpec CheckAndLabelControls[] = {
    {1, k::Button, Shown | s::TabStop | s::DefaultPushButton, 5, 5, 40, 14, "OK"},
    {10, k::Button, Shown | s::TabStop | s::AutoCheckBox, 5, 25, 60, 10, "&Shaded"},
    {65535, k::Static, Shown, 5, 40, 30, 9, "&Name"},
    {20, k::Edit, Shown | s::Border | s::TabStop, 40, 40, 40, 12, "abc"},
    {30, k::Button, Shown | s::Group | s::TabStop | s::AutoRadioButton, 5, 55, 40, 10, "&Left"},
    {31, k::Button, Shown | s::AutoRadioButton, 50, 55, 40, 10, "Righ&t"},
};
inline constexpr dialogs::DialogSpec CheckAndLabel{
    s::Popup | s::Caption | s::ModalFrame, 20, 20, 100, 70, "Table", 0, "", CheckAndLabelControls};
inline constexpr dialogs::ControlSpec OkOnlyControls[] = {
    {1, k::Button, Shown | s::TabStop | s::DefaultPushButton, 5, 5, 40, 14, "OK"},
};
inline constexpr dialogs::DialogSpec OkOnly{
    s::Popup | s::Caption | s::SystemMenu | s::ModalFrame, 20, 20, 60, 30, "Table", 0, "", OkOnlyControls};
inline constexpr dialogs::ControlSpec ChoicesControls[] = {
    {1, k::Button, Shown | s::TabStop | s::DefaultPushButton, 5, 5, 40, 14, "OK"},
    {2, k::Button, Shown | s::TabStop | s::Disabled, 50, 5, 40, 14, "Cancel"},
    {40, k::Button, Shown | s::TabStop | s::AutoThreeState, 5, 25, 60, 10, "&Maybe"},
    {41, k::Button, Shown | s::TabStop, 5, 40, 80, 14, "Fish && &Chips"},
};
inline constexpr dialogs::DialogSpec Choices{
    s::Popup | s::Caption | s::SystemMenu | s::ModalFrame, 20, 20, 100, 60, "Table", 0, "", ChoicesControls};
} // namespace templates

// The application's templates and the table's own.
class TableResources final : public DialogResources {
public:
    std::optional<std::span<const std::uint8_t>> dialogTemplate(std::int32_t id) const override
    {
        static constexpr auto checkAndLabel = dialogs::compiledTemplate<templates::CheckAndLabel>();
        static constexpr auto okOnly = dialogs::compiledTemplate<templates::OkOnly>();
        static constexpr auto choices = dialogs::compiledTemplate<templates::Choices>();
        if (id == CheckAndLabelId)
            return std::span<const std::uint8_t>(checkAndLabel);
        if (id == OkOnlyId)
            return std::span<const std::uint8_t>(okOnly);
        if (id == ChoicesId)
            return std::span<const std::uint8_t>(choices);
        return app::applicationDialogResources().dialogTemplate(id);
    }
};

// Loads the row's dialog with the values the program sets, and routines that log every event
// ("1004 Clicked", "1001 Changed"); buttons 1 and 2 end the dialog with their id.
inline bool prepare(Dialog& d, Form form, DialogRuntime& runtime, Log& log)
{
    const std::int32_t id = form == Form::Surface ? app::SurfaceDialogId
        : form == Form::View                      ? app::ViewDialogId
        : form == Form::CheckAndLabel             ? CheckAndLabelId
        : form == Form::OkOnly                    ? OkOnlyId
                                                  : ChoicesId;
    if (!DialogLoad(id, d, runtime))
        return false;
    if (form == Form::Surface) {
        DialogSetText(d, 1001, "1");
        DialogSetText(d, 1002, "  0");
        DialogSetText(d, 1007, "  0");
        DialogSetText(d, 1008, "A");
        DialogSetLogical(d, 1008, False, ValueIndex::Enabled);
    } else if (form == Form::View) {
        for (std::int32_t bar : {1007, 1008}) {
            DialogSetInteger(d, bar, 100, ValueIndex::RangeMax);
            DialogSetInteger(d, bar, 50);
        }
        DialogSetText(d, 1003, "0");
        DialogSetText(d, 1004, "0");
    }
    auto logger = [&log](const char* event) {
        return [&log, event](Dialog& dialog, std::int32_t control, std::int32_t) {
            log.add(std::to_string(control) + " " + event);
            if (control == 1 || control == 2) {
                DialogSetEndCode(dialog, control);
                DialogEnd(dialog);
            }
        };
    };
    for (const DialogControl& c : d.controls) {
        if (c.kind == ControlKind::EditBox) {
            DialogSetCallback(d, c.id, logger("Updated"), ValueIndex::Updated);
            DialogSetCallback(d, c.id, logger("Changed"), ValueIndex::Changed);
        } else if (c.kind == ControlKind::ScrollBar) {
            DialogSetCallback(d, c.id, logger("Changed"));
        } else if (c.kind == ControlKind::PushButton || c.kind == ControlKind::CheckBox
                   || c.kind == ControlKind::RadioButton) {
            DialogSetCallback(d, c.id, logger("Clicked"));
        }
    }
    return true;
}

// The table. The surface dialog opens with h "1" (selected), k and l "  0", the termination
// box "A" disabled and FCC checked; the view dialog with both angles "0" and both bars at 50.
inline const std::vector<Row>& rows()
{
    using K = DialogKey;
    static const std::vector<Row> table = {
        {"the first tab stop, an edit box, opens with its text selected; typing replaces it",
         Form::Surface,
         {lookFocus(), lookSelected(1001), type("2"), lookText(1001), key(K::Enter)},
         {"focus 1001", "selected 1001 \"1\"", "1001 Updated", "1001 Changed", "text 1001 \"2\"", "1 Clicked"},
         1},
        {"Alt+B from the h box clicks BCC; the box types nothing",
         Form::Surface,
         {alt('B'), lookCheck(1004), lookCheck(1003), lookText(1001), lookFocus(), key(K::Escape)},
         {"1004 Clicked", "check 1004 1", "check 1003 0", "text 1001 \"1\"", "focus 1004", "2 Clicked"},
         2},
        {"a plain letter in an edit box is typed, not an accelerator",
         Form::Surface,
         {type("b"), lookCheck(1004), lookText(1001), key(K::Enter)},
         {"1001 Updated", "1001 Changed", "check 1004 0", "text 1001 \"b\"", "1 Clicked"},
         1},
        {"Tab and Shift+Tab pass over the tab stops, skipping the disabled and the invisible; Tab selects",
         Form::Surface,
         {key(K::Tab), key(K::Tab), lookFocus(), lookSelected(1007), key(K::Tab), lookFocus(), key(K::Tab), lookFocus(),
          key(K::Tab, true), key(K::Tab, true), lookFocus(), key(K::Escape)},
         {"focus 1007", "selected 1007 \"  0\"", "focus 1", "focus 1001", "focus 1007", "2 Clicked"},
         2},
        {"a click checks an automatic radio button; the arrows move in its group and click",
         Form::Surface,
         {click(1005), key(K::Right), lookFocus(), key(K::Right), lookCheck(1006), lookCheck(1003), key(K::Up),
          lookFocus(), key(K::Escape)},
         {"1005 Clicked", "1006 Clicked", "focus 1006", "1003 Clicked", "check 1006 0", "check 1003 1", "1006 Clicked",
          "focus 1006", "2 Clicked"},
         2},
        {"the close box sends Cancel", Form::Surface, {closeBox()}, {"2 Clicked"}, 2},
        {"the view dialog opens on its first push button; Enter presses it",
         Form::View,
         {lookFocus(), key(K::Enter)},
         {"focus 1", "1 Clicked"},
         1},
        {"\"30\" then Alt+R in the rotation box presses Rotate; Enter there presses it too",
         Form::View,
         {key(K::Tab), key(K::Tab), key(K::Tab), key(K::Tab), lookFocus(), type("30"), alt('R'), lookText(1003),
          lookPosition(1007), key(K::Enter), key(K::Escape)},
         {"focus 1003", "1003 Updated", "1003 Changed", "1003 Updated", "1003 Changed", "1001 Clicked",
          "text 1003 \"30\"", "position 1007 50", "1001 Clicked", "2 Clicked"},
         2},
        {"a scroll request moves the bar by the line step and calls Changed",
         Form::View,
         {scroll(1007, ScrollRequest::LineDown), lookPosition(1007), key(K::Escape)},
         {"1007 Changed", "position 1007 51", "2 Clicked"},
         2},
        {"an automatic check box (loaded checked) toggles; an accelerator without Alt from a button; a label's leads "
         "to its edit box",
         Form::CheckAndLabel,
         {click(10), lookCheck(10), type("s"), lookCheck(10), lookFocus(), alt('N'), lookFocus(), lookSelected(20),
          key(K::Enter)},
         {"10 Clicked", "check 10 0", "10 Clicked", "check 10 1", "focus 10", "focus 20", "selected 20 \"abc\"",
          "1 Clicked"},
         1},
        {"Tab into a radio group lands on its checked button and Shift+Tab from there leaves the group; the space "
         "bar clicks the focused button",
         Form::CheckAndLabel,
         {click(31), key(K::Tab), lookFocus(), key(K::Tab), type(" "), lookCheck(10), key(K::Tab), key(K::Tab),
          lookFocus(), lookCheck(30), key(K::Tab, true), lookFocus(), key(K::Enter)},
         {"31 Clicked", "focus 1", "10 Clicked", "check 10 0", "focus 31", "check 30 0", "focus 20", "1 Clicked"},
         1},
        {"without a control 2 Escape and the close box do nothing",
         Form::OkOnly,
         {key(K::Escape), closeBox(), lookFocus(), key(K::Enter)},
         {"focus 1", "1 Clicked"},
         1},
        {"with Cancel disabled the close box does nothing",
         Form::Choices,
         {closeBox(), lookFocus(), key(K::Enter)},
         {"focus 1", "1 Clicked"},
         1},
        {"a click moves an automatic three-state box (loaded checked) on to indeterminate, unchecked, checked",
         Form::Choices,
         {lookCheck(40), click(40), lookCheck(40), click(40), lookCheck(40), click(40), lookCheck(40), key(K::Enter)},
         {"check 40 1", "40 Clicked", "check 40 2", "40 Clicked", "check 40 0", "40 Clicked", "check 40 1",
          "1 Clicked"},
         1},
        {"\"&&\" in a caption is a literal ampersand: \"Fish && &Chips\" answers Alt+C, not Alt+F",
         Form::Choices,
         {alt('F'), alt('C'), key(K::Enter)},
         {"41 Clicked", "1 Clicked"},
         1},
    };
    return table;
}

// Runs every row with driver; failures name the row.
inline void runTable(Driver& driver, DialogRuntime& runtime)
{
    for (const Row& row : rows()) {
        SCOPED_TRACE(row.what);
        Log log;
        Dialog d;
        ASSERT_TRUE(prepare(d, row.form, runtime, log));
        EXPECT_EQ(driver.run(d, row.acts, log), row.endCode);
        EXPECT_EQ(log.lines(), row.expected);
        DialogRelease(d);
    }
}

} // namespace dialogs::conformance
