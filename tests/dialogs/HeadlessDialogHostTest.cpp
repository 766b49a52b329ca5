// The headless dialog manager on its own: keyboard and mouse behaviour, checked against a
// recorder of the notifications it delivers.

#include "tests/dialogs/DialogTestSupport.h"

namespace dialogs::test {
namespace {

using Host = platform::HeadlessDialogHost;
using platform::DialogWindow;

// Records notifications; ends the dialog on a command from endId.
class Recorder final : public platform::DialogEvents {
public:
    explicit Recorder(Host& host, int endId = -100) : m_host(host), m_endId(endId) {}
    std::vector<std::string> seen;
    DialogWindow window;

    void onInit(DialogWindow w) override
    {
        window = w;
        seen.push_back("init");
    }
    bool onCommand(int id, int code) override
    {
        seen.push_back("command " + std::to_string(id) + " " + std::to_string(code));
        if (id == m_endId)
            m_host.endDialog(window, id);
        return true;
    }
    bool onScroll(int id, platform::ScrollRequest request, int thumb) override
    {
        seen.push_back("scroll " + std::to_string(id) + " " + std::to_string(static_cast<int>(request)) + " " +
                       std::to_string(thumb));
        return true;
    }

private:
    Host& m_host;
    int m_endId;
};

using Strings = std::vector<std::string>;

TEST(HeadlessDialogHost, EnterFollowsFocusThenDefaultButtonThenIdOne)
{
    struct Case {
        const char* what;
        std::vector<app::ControlSpec> controls;
        std::vector<Host::Step> before;
        Strings expected;
    };
    const app::ControlSpec edit{10, k::Edit, ChildVisible | s::TabStop, 0, 0, 9, 9, ""};
    const app::ControlSpec push{20, k::Button, ChildVisible | s::TabStop | s::PushButton, 0, 0, 9, 9, ""};
    const app::ControlSpec def{30, k::Button, ChildVisible | s::TabStop | s::DefaultPushButton, 0, 0, 9, 9, ""};
    app::ControlSpec disabledDef = def;
    disabledDef.style |= s::Disabled;
    const Case cases[] = {
        {"focus on the edit box: the default button", {edit, push, def}, {}, {"command 30 0"}},
        {"focus on a push button: that button", {edit, push, def}, {Host::Focus{20}}, {"command 20 0"}},
        {"a clicked push button keeps the focus", {edit, push, def}, {Host::Click{20}}, {"command 20 0", "command 20 0"}},
        {"disabled default button: nothing", {edit, push, disabledDef}, {}, {}},
        {"no default button: id 1", {edit, push}, {}, {"command 1 0"}},
        {"the default button as the first tab stop", {def, edit}, {}, {"command 30 0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Host host;
        Recorder events(host);
        for (const Host::Step& step : c.before)
            host.addStep(step);
        host.addStep(Host::Enter{});
        const auto bytes = templateOf(c.controls);
        EXPECT_EQ(host.runModal(bytes, DialogWindow{7}, events), -1); // left open: forced end
        Strings expected = {"init"};
        expected.insert(expected.end(), c.expected.begin(), c.expected.end());
        expected.push_back("command 2 0"); // the Escape tried at the end of the script
        EXPECT_EQ(events.seen, expected);
        EXPECT_EQ(host.forcedEnds(), 1);
    }
}

TEST(HeadlessDialogHost, InitialFocusSkipsInvisibleDisabledAndUnstoppedControls)
{
    Host host;
    Recorder events(host, 2);
    host.addSteps({[](Host& h, DialogWindow w) { EXPECT_EQ(h.focusedId(w), 14); }, Host::Escape{}});
    const auto bytes = templateOf({{11, k::Edit, ChildVisible, 0, 0, 9, 9, ""},
                                   {12, k::Edit, s::Child | s::TabStop, 0, 0, 9, 9, ""},
                                   {13, k::Edit, ChildVisible | s::TabStop | s::Disabled, 0, 0, 9, 9, ""},
                                   {14, k::Edit, ChildVisible | s::TabStop, 0, 0, 9, 9, ""},
                                   {2, k::Button, s::Child, 0, 0, 9, 9, ""}});
    EXPECT_EQ(host.runModal(bytes, {}, events), 2);
    EXPECT_EQ(host.forcedEnds(), 0);
    ASSERT_EQ(host.finishedDialogs().size(), 1u);
    EXPECT_EQ(host.finishedDialogs()[0].caption, "Test");
    EXPECT_EQ(host.finishedDialogs()[0].result, 2);
}

TEST(HeadlessDialogHost, ButtonsChecksRadioGroupsAndUnreachableControls)
{
    Host host;
    Recorder events(host, 2);
    const auto bytes = templateOf({{10, k::Edit, ChildVisible, 0, 0, 9, 9, ""},
                                   {40, k::Button, ChildVisible | s::AutoCheckBox, 0, 0, 9, 9, ""},
                                   {41, k::Button, ChildVisible | s::RadioButton, 0, 0, 9, 9, ""},
                                   {51, k::Button, ChildVisible | s::Group | s::AutoRadioButton, 0, 0, 9, 9, ""},
                                   {52, k::Button, ChildVisible | s::AutoRadioButton, 0, 0, 9, 9, ""},
                                   {53, k::Button, ChildVisible | s::Group | s::AutoRadioButton, 0, 0, 9, 9, ""},
                                   {60, k::Button, s::Child, 0, 0, 9, 9, ""},
                                   {61, k::Button, ChildVisible | s::Disabled, 0, 0, 9, 9, ""},
                                   {2, k::Button, s::Child, 0, 0, 9, 9, ""}});
    host.addSteps({[](Host& h, DialogWindow w) { h.setCheckState(w, 53, platform::Checked); },
                   Host::Click{40}, // automatic check box: checked
                   Host::Click{40}, // and unchecked again
                   Host::Click{41}, // plain radio button: does not check itself
                   Host::Click{51}, Host::Click{52},
                   [](Host& h, DialogWindow w) {
                       EXPECT_EQ(h.control(w, 40)->check, platform::Unchecked);
                       EXPECT_EQ(h.control(w, 41)->check, platform::Unchecked);
                       EXPECT_EQ(h.control(w, 51)->check, platform::Unchecked);
                       EXPECT_EQ(h.control(w, 52)->check, platform::Checked);
                       EXPECT_EQ(h.control(w, 53)->check, platform::Checked); // the next group
                   },
                   Host::Click{40},
                   [](Host& h, DialogWindow w) { EXPECT_EQ(h.control(w, 40)->check, platform::Checked); },
                   // Invisible, disabled, wrong class and unknown controls: nothing is sent.
                   Host::Click{60}, Host::Click{61}, Host::Type{60, "x"},
                   Host::Scroll{10, platform::ScrollRequest::Top}, Host::Select{10, 0}, Host::Click{99},
                   Host::Escape{}});
    EXPECT_EQ(host.runModal(bytes, {}, events), 2);
    EXPECT_EQ(events.seen, (Strings{"init", "command 40 0", "command 40 0", "command 41 0", "command 51 0",
                                    "command 52 0", "command 40 0", "command 2 0"}));
}

TEST(HeadlessDialogHost, EchoesSetTextOnEditBoxesListsNotifyOnlyWhenAsked)
{
    Host host;
    Recorder events(host, 2);
    host.addSteps({[](Host& h, DialogWindow w) {
                       h.setText(w, 10, "pushed"); // edit box: update + change
                       h.setText(w, 11, "label");  // static: nothing
                       h.setEchoProgrammaticEdits(false);
                       h.setText(w, 10, "quiet");
                       for (const char* item : {"a", "b"}) {
                           h.addItem(w, 20, item);
                           h.addItem(w, 21, item);
                       }
                   },
                   Host::Select{20, 1}, Host::Select{21, 1}, Host::DoubleClick{21, 1}, Host::DoubleClick{20, 1},
                   Host::Select{21, 5}, Host::Escape{}});
    const auto bytes = templateOf({{10, k::Edit, ChildVisible, 0, 0, 9, 9, ""},
                                   {11, k::Static, ChildVisible, 0, 0, 9, 9, ""},
                                   {20, k::ListBox, ChildVisible, 0, 0, 9, 9, ""},
                                   {21, k::ListBox, ChildVisible | s::ListNotify, 0, 0, 9, 9, ""},
                                   {2, k::Button, s::Child, 0, 0, 9, 9, ""}});
    EXPECT_EQ(host.runModal(bytes, {}, events), 2);
    EXPECT_EQ(events.seen, (Strings{"init", "command 10 1024", "command 10 768", "command 21 1", "command 21 2",
                                    "command 2 0"}));
    const auto& lists = host.finishedDialogs().at(0).controls;
    EXPECT_EQ(lists[2].current, 1); // selected without a notification
    EXPECT_EQ(lists[3].selected, (std::vector<bool>{false, true}));
    EXPECT_EQ(lists[0].text, "quiet");
}

TEST(HeadlessDialogHost, RefusesBadTemplatesAndCreationFailures)
{
    Host host;
    Recorder events(host);
    const std::vector<std::uint8_t> junk = {1, 2, 3};
    EXPECT_EQ(host.runModal(junk, {}, events), -1);
    host.setCreationFails(true);
    EXPECT_EQ(host.runModal(templateOf({}), {}, events), -1);
    EXPECT_TRUE(events.seen.empty());
    EXPECT_EQ(host.notifications(), (Strings{"0 creation failed", "0 creation failed"}));
}

} // namespace
} // namespace dialogs::test
