// Layouts from templates, and the dialog manager's rules that the conformance table does not
// reach, checked against a recorder of what the manager tells the dialog procedure.

#include "dialogs/DialogLayout.h"
#include "dialogs/DialogManager.h"
#include "tests/dialogs/DialogTestSupport.h"

namespace dialogs::test {
namespace {

using Host = platform::HeadlessDialogHost;
using platform::ControlType;
using platform::DialogWindow;
using Strings = std::vector<std::string>;

TEST(DialogLayout, DialogUnitsRoundHalfAwayFromZero)
{
    // x * 6 / 4 and y * 13 / 8.
    const std::pair<int, int> xs[] = {{69, 104}, {50, 75}, {1, 2}, {-1, -2}, {0, 0}};
    const std::pair<int, int> ys[] = {{95, 154}, {14, 23}, {4, 7}, {3, 5}, {-4, -7}};
    for (auto [units, pixels] : xs)
        EXPECT_EQ(unitsToPixelsX(units), pixels) << units;
    for (auto [units, pixels] : ys)
        EXPECT_EQ(unitsToPixelsY(units), pixels) << units;
}

TEST(DialogLayout, TheApplicationsDialogs)
{
    const platform::DialogLayout surface = buildDialogLayout(parseDialogTemplate(app::SurfaceTemplate).value());
    EXPECT_EQ(surface.caption, "What Surface Do You Want To Draw?");
    EXPECT_EQ(surface.rect, (platform::Rect{150, 163, 279, 154}));
    EXPECT_TRUE(surface.titleBar && surface.closeBox);
    ASSERT_EQ(surface.controls.size(), 12u);
    const platform::ControlLayout& fcc = surface.controls[0];
    EXPECT_EQ(fcc.type, ControlType::RadioButton);
    EXPECT_EQ(fcc.caption, "&FCC");
    EXPECT_FALSE(fcc.tabStop);
    EXPECT_FALSE(fcc.keepsArrows || fcc.keepsCharacters);
    const platform::ControlLayout& h = surface.controls[4];
    EXPECT_EQ(h.type, ControlType::Edit);
    EXPECT_EQ(h.rect, (platform::Rect{84, 80, 33, 18}));
    EXPECT_TRUE(h.tabStop && h.border && h.keepsArrows && h.keepsCharacters);
    EXPECT_TRUE(surface.controls[8].isDefault);
    EXPECT_EQ(surface.controls[9].type, ControlType::GroupBox);
    EXPECT_FALSE(surface.controls[9].tabStop);
    EXPECT_FALSE(surface.controls[10].visible); // the invisible Cancel

    const platform::DialogLayout view = buildDialogLayout(parseDialogTemplate(app::ViewTemplate).value());
    EXPECT_FALSE(view.closeBox);
    EXPECT_TRUE(view.controls[4].multiLine && view.controls[4].isDefault);
    EXPECT_TRUE(view.controls[11].vertical && view.controls[11].keepsArrows);
    EXPECT_EQ(view.controls[11].type, ControlType::ScrollBar);
    const platform::DialogLayout about = buildDialogLayout(parseDialogTemplate(app::AboutTemplate).value());
    EXPECT_EQ(about.controls[1].type, ControlType::Icon);
    EXPECT_EQ(about.controls[1].rect.width, IconSize);
    EXPECT_EQ(about.controls[2].align, platform::TextAlign::Centre);
}

// Records what the manager tells the procedure; a command from endId ends the dialog.
class Recorder final : public DialogEvents {
public:
    Recorder(Host& host, int endId) : m_host(host), m_endId(endId) {}
    Strings seen;

    void onInit(DialogWindow w) override
    {
        m_window = w;
        seen.push_back("init");
    }
    bool onCommand(int id, int code) override
    {
        seen.push_back("command " + std::to_string(id) + " " + std::to_string(code));
        if (id == m_endId) {
            m_ended = true;
            m_host.endDialog(m_window, id);
        }
        return true;
    }
    bool onScroll(int id, platform::ScrollRequest request, int thumb) override
    {
        seen.push_back("scroll " + std::to_string(id) + " " + std::to_string(static_cast<int>(request)) + " "
                       + std::to_string(thumb));
        return true;
    }
    bool hasEnded() const override { return m_ended; }

private:
    Host& m_host;
    int m_endId;
    DialogWindow m_window;
    bool m_ended = false;
};

// Runs the manager over a template of controls on host; the recorder ends on a command from 2.
Strings managed(Host& host, std::vector<dialogs::ControlSpec> controls)
{
    const DialogTemplate t = parseDialogTemplate(templateOf(std::move(controls))).value();
    const platform::DialogLayout layout = buildDialogLayout(t);
    Recorder events(host, 2);
    DialogManager manager(host, t, layout, events);
    host.runModal(layout, DialogWindow{7}, manager);
    return events.seen;
}

TEST(DialogManager, EnterFollowsFocusThenDefaultButtonThenIdOne)
{
    struct Case {
        const char* what;
        std::vector<dialogs::ControlSpec> controls;
        std::vector<Host::Step> before;
        Strings expected;
    };
    const dialogs::ControlSpec edit{10, k::Edit, ChildVisible | s::TabStop, 0, 0, 9, 9, ""};
    const dialogs::ControlSpec push{20, k::Button, ChildVisible | s::TabStop | s::PushButton, 0, 0, 9, 9, ""};
    const dialogs::ControlSpec def{30, k::Button, ChildVisible | s::TabStop | s::DefaultPushButton, 0, 0, 9, 9, ""};
    dialogs::ControlSpec disabledDef = def;
    disabledDef.style |= s::Disabled;
    const Case cases[] = {
        {"focus on the edit box: the default button", {edit, push, def}, {}, {"command 30 0"}},
        {"focus on a push button: that button", {edit, push, def}, {Host::Focus{20}}, {"command 20 0"}},
        {"a clicked push button keeps the focus",
         {edit, push, def},
         {Host::Click{20}},
         {"command 20 0", "command 20 0"}},
        {"disabled default button: nothing", {edit, push, disabledDef}, {}, {}},
        {"no default button: id 1", {edit, push}, {}, {"command 1 0"}},
        {"the default button as the first tab stop", {def, edit}, {}, {"command 30 0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Host host;
        host.addSteps(c.before);
        host.addStep(Host::Enter{});
        Strings expected = {"init"};
        expected.insert(expected.end(), c.expected.begin(), c.expected.end());
        expected.push_back("command 2 0"); // the Escape at the end of the script ends it
        EXPECT_EQ(managed(host, c.controls), expected);
    }
}

TEST(DialogManager, ListsNotifyOnlyWhenAskedSetTextsRaiseNothingScrollRequestsPassThrough)
{
    Host host;
    host.addSteps({[](Host& h, DialogWindow w) {
                       h.setText(w, 10, "pushed"); // a program's text: nothing
                       for (const char* item : {"a", "b"}) {
                           h.addItem(w, 20, item);
                           h.addItem(w, 21, item);
                       }
                   },
                   Host::Select{20, 1}, Host::Select{21, 1}, Host::DoubleClick{21, 1}, Host::DoubleClick{20, 1},
                   Host::Select{21, 5}, Host::Scroll{30, platform::ScrollRequest::PageDown}, Host::Type{10, "typed"},
                   Host::Escape{}});
    const Strings seen = managed(host,
                                 {{10, k::Edit, ChildVisible, 0, 0, 9, 9, ""},
                                  {20, k::ListBox, ChildVisible, 0, 0, 9, 9, ""},
                                  {21, k::ListBox, ChildVisible | s::ListNotify, 0, 0, 9, 9, ""},
                                  {30, k::ScrollBar, ChildVisible, 0, 0, 9, 9, ""},
                                  {2, k::Button, s::Child, 0, 0, 9, 9, ""}});
    EXPECT_EQ(seen,
              (Strings{"init", "command 21 1", "command 21 2", "scroll 30 3 0", "command 10 1024", "command 10 768",
                       "command 2 0"}));
    EXPECT_EQ(host.finishedDialogs().at(0).controls[1].current, 1); // selected without a notification

    host.setCreationFails(true);
    EXPECT_EQ(managed(host, {}), Strings{});
    EXPECT_EQ(host.notifications().back(), "0 creation failed");
}

} // namespace
} // namespace dialogs::test
