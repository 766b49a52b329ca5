#include "tests/dialogs/DialogTestSupport.h"

#include <thread>

namespace dialogs::test {
namespace {

using Host = platform::HeadlessDialogHost;
using platform::DialogWindow;
using platform::ScrollRequest;

constexpr std::int32_t ev(ValueIndex v) { return static_cast<std::int32_t>(v); }

class DialogRun : public DialogFixture {};

TEST_F(DialogRun, EditTextSetInsideItsOwnChangedRoutineDoesNotCallItAgain)
{
    Dialog d;
    ASSERT_TRUE(load(d,
                     {{10, k::Edit, ChildVisible | s::TabStop, 0, 0, 20, 10, "start"},
                      {1, k::Button, ChildVisible | s::DefaultPushButton, 0, 20, 20, 10, "OK"}}));
    std::vector<std::string> calls;
    ASSERT_TRUE(DialogSetCallback(d, 10, [&](Dialog& dlg, std::int32_t id, std::int32_t event) {
        calls.push_back("changed " + getText(dlg, id, 5));
        EXPECT_EQ(event, ev(ValueIndex::Changed));
        EXPECT_TRUE(DialogSetText(dlg, id, "fixed"));
    }));
    ASSERT_TRUE(DialogSetCallback(
        d, 10,
        [&](Dialog& dlg, std::int32_t id, std::int32_t event) {
            calls.push_back("updated " + getText(dlg, id, 5));
            EXPECT_EQ(event, ev(ValueIndex::Updated));
        },
        ValueIndex::Updated));
    host.addSteps({Host::Type{10, "abc"}, [](Host& h, DialogWindow w) { EXPECT_EQ(h.control(w, 10)->text, "fixed"); },
                   Host::Enter{}});
    EXPECT_EQ(DialogRunModal(d), 1);
    // Only the user's edit is reported: the texts the routines set raise nothing.
    EXPECT_EQ(calls, (std::vector<std::string>{"updated abc  ", "changed abc  "}));
    EXPECT_EQ(getText(d, 10, 6), "fixed ");
}

TEST_F(DialogRun, DuplicateIdsRefuseEverySetGetAndAttach)
{
    Dialog d;
    ASSERT_TRUE(load(d,
                     {{65535, k::Static, ChildVisible, 0, 0, 20, 10, "one"},
                      {65535, k::Button, ChildVisible | s::GroupBox, 0, 0, 20, 10, "two"},
                      {5, k::Static, ChildVisible, 0, 0, 20, 10, "five"}}));
    ASSERT_EQ(d.controls.size(), 3u);
    EXPECT_EQ(d.controls[0].duplicate, True);
    EXPECT_EQ(d.controls[1].duplicate, True);
    EXPECT_EQ(d.controls[2].duplicate, False);
    std::string t(10, 'x');
    Logical l = 7;
    EXPECT_FALSE(DialogSetText(d, 65535, "new"));
    EXPECT_FALSE(DialogGetText(d, 65535, t));
    EXPECT_EQ(t, std::string(10, 'x')); // no output written on failure
    EXPECT_FALSE(DialogSetLogical(d, 65535, False, ValueIndex::Enabled));
    EXPECT_FALSE(DialogGetLogical(d, 65535, l, ValueIndex::Enabled));
    EXPECT_EQ(l, 7);
    EXPECT_FALSE(DialogSetCallback(
        d, 65535, [](Dialog&, std::int32_t, std::int32_t) {}, ValueIndex::Enabled));
    EXPECT_EQ(d.controls[0].texts[0], text256("one"));
    EXPECT_TRUE(DialogSetText(d, 5, "FIVE"));
    EXPECT_FALSE(DialogSetText(d, 6, "unknown"));

    // Duplicates are never pushed: the window keeps the template's texts.
    host.addSteps({[](Host& h, DialogWindow w) { EXPECT_EQ(h.control(w, 5)->text, "FIVE"); }});
    EXPECT_EQ(DialogRunModal(d), -1); // no control 2: only the host's forced end stops it
    EXPECT_EQ(host.forcedEnds(), 1);
    EXPECT_TRUE(operationsStartingWith("1 setText 65535").empty());
}

TEST_F(DialogRun, ScrollRequestsAreClampedAndStillCallTheRoutine)
{
    Dialog d;
    ASSERT_TRUE(
        load(d, {{20, k::ScrollBar, ChildVisible, 0, 0, 50, 10, ""}, {2, k::Button, s::Child, 0, 0, 1, 1, "Cancel"}}));
    std::vector<std::int32_t> seen;
    ASSERT_TRUE(DialogSetCallback(d, 20, [&](Dialog& dlg, std::int32_t id, std::int32_t event) {
        std::int32_t p = -99;
        EXPECT_TRUE(DialogGetInteger(dlg, id, p));
        EXPECT_EQ(event, ev(ValueIndex::Changed));
        seen.push_back(p);
    }));
    ASSERT_TRUE(DialogSetInteger(d, 20, 1));
    host.addSteps({Host::Scroll{20, ScrollRequest::LineUp},          // 0 -> clamped to 1
                   Host::Scroll{20, ScrollRequest::PageDown},        // 11
                   Host::Scroll{20, ScrollRequest::LineDown},        // 12
                   Host::Scroll{20, ScrollRequest::PageUp},          // 2
                   Host::Scroll{20, ScrollRequest::PageUp},          // -8 -> 1
                   Host::Scroll{20, ScrollRequest::ThumbTrack, 250}, // -> 100
                   Host::Scroll{20, ScrollRequest::ThumbPosition, 42}, Host::Scroll{20, ScrollRequest::Top},
                   Host::Scroll{20, ScrollRequest::Bottom}, Host::Scroll{20, ScrollRequest::LineDown}, // 101 -> 100
                   Host::Scroll{20, ScrollRequest::EndScroll},                                         // ignored
                   [](Host& h, DialogWindow w) { EXPECT_EQ(h.control(w, 20)->scrollPosition, 100); }, Host::Escape{}});
    EXPECT_EQ(DialogRunModal(d), 2);
    EXPECT_EQ(seen, (std::vector<std::int32_t>{1, 11, 12, 2, 1, 100, 42, 1, 100, 100}));
    std::int32_t p = 0;
    EXPECT_TRUE(DialogGetInteger(d, 20, p, ValueIndex::Position));
    EXPECT_EQ(p, 100);

    // Steps and range set by the application; a disabled bar ignores requests.
    ASSERT_TRUE(
        load(d, {{20, k::ScrollBar, ChildVisible, 0, 0, 50, 10, ""}, {2, k::Button, s::Child, 0, 0, 1, 1, "Cancel"}}));
    seen.clear();
    ASSERT_TRUE(DialogSetCallback(d, 20, [&](Dialog& dlg, std::int32_t id, std::int32_t) {
        std::int32_t v = 0;
        DialogGetInteger(dlg, id, v);
        seen.push_back(v);
        if (v == 5)
            DialogSetLogical(dlg, id, False, ValueIndex::Enabled);
    }));
    ASSERT_TRUE(DialogSetInteger(d, 20, 10, ValueIndex::RangeMax));
    ASSERT_TRUE(DialogSetInteger(d, 20, 3, ValueIndex::LineStep));
    ASSERT_TRUE(DialogSetInteger(d, 20, 4, ValueIndex::PageStep));
    ASSERT_TRUE(DialogSetInteger(d, 20, 5, ValueIndex::Position));
    host.addSteps({Host::Scroll{20, ScrollRequest::LineDown}, Host::Scroll{20, ScrollRequest::PageDown},
                   Host::Scroll{20, ScrollRequest::PageUp}, Host::Scroll{20, ScrollRequest::ThumbPosition, 5},
                   Host::Scroll{20, ScrollRequest::LineDown}, Host::Escape{}});
    EXPECT_EQ(DialogRunModal(d), 2);
    EXPECT_EQ(seen, (std::vector<std::int32_t>{8, 10, 6, 5}));
    EXPECT_EQ(host.notifications().at(host.notifications().size() - 2),
              "2 scroll 20: not reachable"); // the disabled bar
}

TEST_F(DialogRun, FreshScrollBarHoldsZeroAndIsPushedWithRangeOneToHundred)
{
    Dialog d;
    ASSERT_TRUE(
        load(d, {{20, k::ScrollBar, ChildVisible, 0, 0, 50, 10, ""}, {2, k::Button, s::Child, 0, 0, 1, 1, "Cancel"}}));
    std::int32_t v = -1;
    EXPECT_TRUE(DialogGetInteger(d, 20, v));
    EXPECT_EQ(v, 0);
    EXPECT_TRUE(DialogGetInteger(d, 20, v, ValueIndex::RangeMax));
    EXPECT_EQ(v, 100);
    EXPECT_TRUE(DialogGetInteger(d, 20, v, ValueIndex::LineStep));
    EXPECT_EQ(v, 1);
    EXPECT_TRUE(DialogGetInteger(d, 20, v, ValueIndex::PageStep));
    EXPECT_EQ(v, 10);
    host.addSteps({[](Host& h, DialogWindow w) {
                       EXPECT_EQ(h.control(w, 20)->scrollMin, 1);
                       EXPECT_EQ(h.control(w, 20)->scrollMax, 100);
                   },
                   Host::Escape{}});
    EXPECT_EQ(DialogRunModal(d), 2);
    EXPECT_EQ(operationsStartingWith("1 setScrollRange 20"), (std::vector<std::string>{"1 setScrollRange 20 1 100"}));
    EXPECT_EQ(operationsStartingWith("1 setScrollPosition 20"), (std::vector<std::string>{"1 setScrollPosition 20 0"}));
}

TEST_F(DialogRun, RadioGroupsCheckOneButtonAndFalseChecksTheFirst)
{
    Dialog d;
    ASSERT_TRUE(load(d,
                     {{31, k::Button, ChildVisible | s::Group | s::AutoRadioButton, 0, 0, 9, 9, "a"},
                      {32, k::Button, ChildVisible | s::AutoRadioButton, 0, 0, 9, 9, "b"},
                      {33, k::Button, ChildVisible | s::AutoRadioButton, 0, 0, 9, 9, "c"},
                      {40, k::Edit, ChildVisible | s::Group, 0, 0, 9, 9, ""},
                      {41, k::Button, ChildVisible | s::Group | s::RadioButton, 0, 0, 9, 9, "lone"},
                      {2, k::Button, s::Child, 0, 0, 1, 1, "Cancel"}}));
    auto checks = [&] {
        std::string out;
        for (std::int32_t id : {31, 32, 33, 41}) {
            Logical v = 0;
            EXPECT_TRUE(DialogGetLogical(d, id, v));
            out += isTrue(v) ? '1' : '0';
        }
        return out;
    };
    EXPECT_EQ(checks(), "1001");
    EXPECT_EQ(d.controls[0].integers, (std::vector<std::int32_t>{1, 3}));
    EXPECT_EQ(d.controls[2].integers, (std::vector<std::int32_t>{1, 3}));
    EXPECT_EQ(d.controls[4].integers, (std::vector<std::int32_t>{5, 5}));
    EXPECT_TRUE(DialogSetLogical(d, 33, True));
    EXPECT_EQ(checks(), "0011");
    EXPECT_TRUE(DialogSetLogical(d, 32, False, ValueIndex::State));
    EXPECT_EQ(checks(), "1001");
    EXPECT_TRUE(DialogSetLogical(d, 32, 3)); // odd: true
    EXPECT_EQ(checks(), "0101");

    // While running: the user's click checks b... then the routine sets c through the record.
    ASSERT_TRUE(
        DialogSetCallback(d, 31, [&](Dialog& dlg, std::int32_t, std::int32_t) { DialogSetLogical(dlg, 33, True); }));
    host.addSteps({Host::Click{32},
                   [&](Host& h, DialogWindow w) {
                       EXPECT_EQ(h.control(w, 31)->check, platform::Unchecked);
                       EXPECT_EQ(h.control(w, 32)->check, platform::Checked);
                       EXPECT_EQ(checks(), "0101");
                   },
                   Host::Click{31},
                   [&](Host& h, DialogWindow w) {
                       EXPECT_EQ(h.control(w, 31)->check, platform::Unchecked);
                       EXPECT_EQ(h.control(w, 33)->check, platform::Checked);
                   },
                   Host::Escape{}});
    EXPECT_EQ(DialogRunModal(d), 2);
    EXPECT_EQ(checks(), "0011");
}

TEST_F(DialogRun, WithoutControlTwoEscapeAndTheCloseBoxDoNothing)
{
    Dialog d;
    ASSERT_TRUE(load(d,
                     {{1, k::Button, ChildVisible | s::TabStop | s::DefaultPushButton, 0, 0, 9, 9, "OK"},
                      {10, k::Edit, ChildVisible | s::TabStop, 0, 0, 9, 9, ""}}));
    host.addSteps({Host::Escape{}, Host::Close{}, [](Host& h, DialogWindow) { EXPECT_NE(h.activeDialog(), nullptr); },
                   Host::Click{1}});
    EXPECT_EQ(DialogRunModal(d), 1);
    EXPECT_EQ(host.notifications(),
              (std::vector<std::string>{"1 created owner 900", "1 key 1 Escape", "1 close", "1 click 1"}));

    // Left open at the end of the script: Escape is tried, then the host forces the end.
    ASSERT_TRUE(load(d, {{10, k::Edit, ChildVisible | s::TabStop, 0, 0, 9, 9, ""}}));
    host.clearLogs();
    EXPECT_EQ(DialogRunModal(d), -1);
    EXPECT_EQ(host.forcedEnds(), 1);
    EXPECT_EQ(host.notifications(),
              (std::vector<std::string>{"2 created owner 900", "2 escape at end of script", "2 key 10 Escape",
                                        "2 forced end"}));
    EXPECT_FALSE(d.window.isValid());
}

TEST_F(DialogRun, DialogEndKeepsTheEndCode)
{
    const std::vector<dialogs::ControlSpec> controls = {
        {5, k::Button, ChildVisible | s::PushButton, 0, 0, 9, 9, "End"},
        {6, k::Button, ChildVisible | s::PushButton, 0, 0, 9, 9, "Seven"},
        {3, k::Button, ChildVisible | s::PushButton, 0, 0, 9, 9, "Three"},
        {10, k::Edit, ChildVisible, 0, 0, 9, 9, ""}};
    auto run = [&](std::vector<Host::Step> steps) {
        Dialog d;
        EXPECT_TRUE(load(d, controls));
        EXPECT_TRUE(DialogSetCallback(d, 5, [](Dialog& dlg, std::int32_t, std::int32_t) { DialogEnd(dlg); }));
        EXPECT_TRUE(DialogSetCallback(d, 6, [](Dialog& dlg, std::int32_t, std::int32_t) {
            DialogSetEndCode(dlg, 7);
            DialogEnd(dlg);
        }));
        host.addSteps(std::move(steps));
        return DialogRunModal(d);
    };
    EXPECT_EQ(run({Host::Click{5}}), 1);
    EXPECT_EQ(run({Host::Click{6}}), 7);
    EXPECT_EQ(run({Host::Click{3}}), 3); // the push button's own routine
    EXPECT_EQ(host.forcedEnds(), 0);

    // DialogEnd reads the window back, but a value set just before it in the same routine is
    // kept rather than overwritten by the older window text.
    Dialog d;
    ASSERT_TRUE(load(d, controls));
    ASSERT_TRUE(DialogSetCallback(d, 5, [](Dialog& dlg, std::int32_t, std::int32_t) {
        DialogSetText(dlg, 10, "set");
        DialogEnd(dlg);
        DialogEnd(dlg); // not running any more: nothing
    }));
    host.addSteps({Host::Type{10, "typed"}, Host::Click{5}});
    EXPECT_EQ(DialogRunModal(d), 1);
    EXPECT_EQ(getText(d, 10, 4), "set ");
    EXPECT_EQ(operationsStartingWith("4 endDialog"), (std::vector<std::string>{"4 endDialog 0"}));
}

TEST_F(DialogRun, ListsCombosAndDropDownLists)
{
    Dialog d;
    ASSERT_TRUE(load(d,
                     {{50, k::ListBox, ChildVisible | s::ListNotify | s::ListMultipleSelection, 0, 0, 9, 9, ""},
                      {51, k::ComboBox, ChildVisible | s::ComboDropDown, 0, 0, 9, 9, "edit"},
                      {52, k::ComboBox, ChildVisible | s::ComboDropDownList, 0, 0, 9, 9, ""},
                      {2, k::Button, s::Child, 0, 0, 1, 1, "Cancel"}}));
    EXPECT_EQ(d.controls[1].kind, ControlKind::ComboBox);
    EXPECT_EQ(d.controls[2].kind, ControlKind::DropDownList);
    std::int32_t v = -1;
    EXPECT_TRUE(DialogGetInteger(d, 50, v, ValueIndex::ItemCount));
    EXPECT_EQ(v, 0);
    EXPECT_TRUE(DialogGetInteger(d, 50, v, itemNumber(1))); // above the count: success, 0
    EXPECT_EQ(v, 0);
    for (std::int32_t id : {50, 51, 52}) {
        ASSERT_TRUE(DialogSetInteger(d, id, 3));
        ASSERT_TRUE(DialogSetText(d, id, "alpha", itemNumber(1)));
        ASSERT_TRUE(DialogSetText(d, id, "beta", itemNumber(2)));
        ASSERT_TRUE(DialogSetText(d, id, "gamma", itemNumber(3)));
        EXPECT_FALSE(DialogSetText(d, id, "delta", itemNumber(4)));
    }
    EXPECT_FALSE(DialogSetInteger(d, 50, -1, ValueIndex::ItemCount));
    EXPECT_FALSE(DialogSetInteger(d, 50, 1 << 30, ValueIndex::ItemCount));
    ASSERT_TRUE(DialogSetInteger(d, 50, 2, itemNumber(1))); // selection list: item 2
    ASSERT_TRUE(DialogSetInteger(d, 52, 3, ValueIndex::State));
    v = -1;
    EXPECT_TRUE(DialogGetInteger(d, 50, v, itemNumber(4))); // 4 > 3 items: success and 0
    EXPECT_EQ(v, 0);

    std::vector<std::string> events;
    ASSERT_TRUE(DialogSetCallback(d, 50, [&](Dialog& dlg, std::int32_t id, std::int32_t e) {
        std::int32_t first = 0, second = 0, third = 0;
        DialogGetInteger(dlg, id, first, itemNumber(1));
        DialogGetInteger(dlg, id, second, itemNumber(2));
        DialogGetInteger(dlg, id, third, itemNumber(3));
        events.push_back("list " + std::to_string(e) + " " + std::to_string(first) + std::to_string(second)
                         + std::to_string(third) + " " + getText(dlg, id, 5, ValueIndex::State));
    }));
    ASSERT_TRUE(DialogSetCallback(d, 51, [&](Dialog& dlg, std::int32_t id, std::int32_t e) {
        events.push_back("combo selection " + std::to_string(e) + " " + getText(dlg, id, 5));
    }));
    ASSERT_TRUE(DialogSetCallback(
        d, 51,
        [&](Dialog& dlg, std::int32_t id, std::int32_t e) {
            events.push_back("combo changed " + std::to_string(e) + " " + getText(dlg, id, 5));
        },
        ValueIndex::Changed));
    ASSERT_TRUE(DialogSetCallback(
        d, 51, [&](Dialog&, std::int32_t, std::int32_t e) { events.push_back("combo updated " + std::to_string(e)); },
        ValueIndex::Updated));
    ASSERT_TRUE(DialogSetCallback(d, 52, [&](Dialog& dlg, std::int32_t id, std::int32_t e) {
        std::int32_t n = 0;
        DialogGetInteger(dlg, id, n, ValueIndex::State);
        events.push_back("drop " + std::to_string(e) + " " + std::to_string(n) + " " + getText(dlg, id, 5));
    }));

    host.addSteps({[](Host& h, DialogWindow w) {
                       EXPECT_EQ(h.control(w, 50)->items, (std::vector<std::string>{"alpha", "beta", "gamma"}));
                       EXPECT_EQ(h.control(w, 50)->selected, (std::vector<bool>{false, true, false}));
                       EXPECT_EQ(h.control(w, 51)->text, "edit");
                       EXPECT_EQ(h.control(w, 52)->current, 2);
                   },
                   Host::Select{50, 0}, Host::Select{51, 1}, Host::Type{51, "zz"}, Host::Select{52, 0},
                   Host::Escape{}});
    EXPECT_EQ(DialogRunModal(d), 2);
    EXPECT_EQ(events,
              (std::vector<std::string>{
                  "list -10 120 alpha",
                  "combo selection -10 beta ",
                  "combo updated -7",
                  "combo changed -6 zz   ",
                  "drop -10 1 alpha",
              }));
    EXPECT_EQ(getText(d, 51, 4), "zz  ");
}

TEST_F(DialogRun, StartRoutineValuesReachTheWindowAndAttachingWhileRunningFails)
{
    Dialog d;
    ASSERT_TRUE(load(d,
                     {{10, k::Edit, ChildVisible | s::TabStop, 0, 0, 9, 9, "template"},
                      {1, k::Button, ChildVisible | s::DefaultPushButton, 0, 0, 9, 9, "OK"}},
                     250));
    std::vector<std::string> calls;
    ASSERT_TRUE(DialogSetCallback(d, 250, [&](Dialog& dlg, std::int32_t id, std::int32_t event) {
        calls.push_back("start " + std::to_string(id) + " " + std::to_string(event));
        EXPECT_TRUE(DialogSetText(dlg, 10, "from start"));
        EXPECT_FALSE(DialogSetCallback(dlg, 10, [](Dialog&, std::int32_t, std::int32_t) {}));
    }));
    ASSERT_TRUE(DialogSetText(d, 10, "before run"));
    host.addSteps({[](Host& h, DialogWindow w) { EXPECT_EQ(h.control(w, 10)->text, "from start"); },
                   Host::Type{10, "user text"}, Host::Enter{}});
    EXPECT_EQ(DialogRunModal(d), 1);
    EXPECT_EQ(calls, (std::vector<std::string>{"start 250 0"}));
    // Gets after the run return what the user left on screen.
    EXPECT_EQ(getText(d, 10, 12), "user text   ");
    EXPECT_EQ(getText(d, 10, 3), "use");

    // A second run of the same object shows the records again.
    host.addSteps({[](Host& h, DialogWindow w) { EXPECT_EQ(h.control(w, 10)->text, "from start"); }, Host::Enter{}});
    EXPECT_EQ(DialogRunModal(d), 1);
    EXPECT_EQ(operationsStartingWith("2 setText 10"),
              (std::vector<std::string>{"2 setText 10 \"user text\"", "2 setText 10 \"from start\""}));

    DialogRelease(d);
    EXPECT_TRUE(d.controls.empty());
    EXPECT_EQ(DialogRunModal(d), -1);
    EXPECT_FALSE(DialogSetText(d, 10, "x"));
}

TEST_F(DialogRun, TextsArePaddedTruncatedAndShownWithoutTrailingBlanks)
{
    Dialog d;
    ASSERT_TRUE(load(d, {{10, k::Edit, ChildVisible, 0, 0, 9, 9, ""}, {1, k::Button, ChildVisible, 0, 0, 9, 9, "OK"}}));
    const std::string long300(300, 'x');
    ASSERT_TRUE(DialogSetText(d, 10, long300));
    EXPECT_EQ(d.controls[0].texts[0], std::string(256, 'x'));
    ASSERT_TRUE(DialogSetText(d, 1, "  OK  "));
    host.addSteps({[](Host& h, DialogWindow w) {
                       EXPECT_EQ(h.control(w, 10)->text, std::string(255, 'x'));
                       EXPECT_EQ(h.control(w, 1)->text, "  OK");
                   },
                   Host::Type{10, std::string("ab\0cd", 5)}, Host::Enter{}});
    EXPECT_EQ(DialogRunModal(d), 1);
    EXPECT_EQ(getText(d, 10, 5), "ab   ");
}

TEST_F(DialogRun, CreationFailureAndRunningTwiceAtOnceReturnMinusOne)
{
    Dialog d;
    ASSERT_TRUE(load(d, {{1, k::Button, ChildVisible, 0, 0, 9, 9, "OK"}}));
    host.setCreationFails(true);
    EXPECT_EQ(DialogRunModal(d), -1);
    host.setCreationFails(false);

    int inner = 0;
    ASSERT_TRUE(
        DialogSetCallback(d, 200, [&](Dialog& dlg, std::int32_t, std::int32_t) { inner = DialogRunModal(dlg); }));
    host.addSteps({Host::Click{1}});
    EXPECT_EQ(DialogRunModal(d), 1);
    EXPECT_EQ(inner, -1);
}

class NestedDialogs : public DialogFixture {};

TEST_F(NestedDialogs, InnerDialogIsOwnedByTheOuterAndTheCurrentDialogIsRestored)
{
    Dialog outer;
    Dialog inner;
    resources.templates[301] = templateOf({{1, k::Button, ChildVisible | s::DefaultPushButton, 0, 0, 9, 9, "OK"},
                                           {20, k::Edit, ChildVisible, 0, 0, 9, 9, ""}});
    ASSERT_TRUE(load(
        outer, {{10, k::Button, ChildVisible, 0, 0, 9, 9, "More"}, {2, k::Button, ChildVisible, 0, 0, 9, 9, "Cancel"}},
        300));
    std::int32_t innerResult = 0;
    std::string innerText;
    ASSERT_TRUE(DialogSetCallback(outer, 10, [&](Dialog& dlg, std::int32_t, std::int32_t) {
        EXPECT_EQ(dialogs.currentDialog(), &dlg);
        EXPECT_TRUE(DialogLoad(301, inner, dialogs));
        innerResult = DialogRunModal(inner);
        innerText = getText(inner, 20, 4);
        DialogRelease(inner);
        EXPECT_EQ(dialogs.currentDialog(), &dlg);
    }));
    host.addSteps({Host::Click{10},
                   [&](Host& h, DialogWindow w) {
                       EXPECT_EQ(dialogs.currentDialog(), &inner);
                       EXPECT_EQ(h.activeDialog()->owner, outer.window);
                       EXPECT_EQ(w, inner.window);
                       // The current dialog belongs to this thread only.
                       Dialog* elsewhere = &inner;
                       std::thread([&] { elsewhere = dialogs.currentDialog(); }).join();
                       EXPECT_EQ(elsewhere, nullptr);
                   },
                   Host::Type{20, "deep"}, Host::Enter{},
                   [&](Host& h, DialogWindow w) {
                       EXPECT_EQ(w, outer.window);
                       EXPECT_EQ(h.activeDialog()->owner, (DialogWindow{900}));
                   },
                   Host::Escape{}});
    EXPECT_EQ(dialogs.currentDialog(), nullptr);
    EXPECT_EQ(DialogRunModal(outer), 2);
    EXPECT_EQ(innerResult, 1);
    EXPECT_EQ(innerText, "deep");
    EXPECT_EQ(dialogs.currentDialog(), nullptr);
    ASSERT_EQ(host.finishedDialogs().size(), 2u);
    EXPECT_EQ(host.finishedDialogs()[0].owner, host.finishedDialogs()[1].window);
}

class RejectedStyles : public DialogFixture {};

TEST_F(RejectedStyles, WriteOneRecordOnUnitSixAndStopTheProgram)
{
    struct Case {
        std::uint16_t cls;
        std::uint32_t style;
        const char* name;
    };
    const Case cases[] = {
        {k::Button, s::OwnerDrawButton, "BS_OWNERDRAW"},
        {k::Button, s::UserButton, "BS_USERBUTTON"},
        {k::Button, s::CheckBox, "<unknown>"},
        {k::Button, 10, "<unknown>"},
        {k::Button, 15, "<unknown>"},
        {k::Edit, s::EditMultiLine | s::EditAutoHScroll, "ES_MULTILINE"},
        {k::ListBox, s::ListOwnerDrawFixed, "LBS_OWNERDRAWFIXED"},
        {k::ListBox, s::ListOwnerDrawVariable, "LBS_OWNERDRAWVARIABLE"},
        {k::ListBox, s::ListOwnerDrawFixed | s::ListOwnerDrawVariable, "LBS_OWNERDRAWFIXED"},
        {k::ComboBox, s::ComboOwnerDrawFixed | s::ComboDropDownList, "CBS_OWNERDRAWFIXED"},
        {k::ComboBox, s::ComboOwnerDrawVariable, "CBS_OWNERDRAWVARIABLE"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        window.records.clear();
        end.events.clear();
        // A run-time of its own per case: a program stops only once.
        rt::Runtime once(files, reports, end);
        once.units().connectWindow(6, &window);
        DialogRuntime context(host, resources, once);
        resources.templates[400] = templateOf(
            {{1, k::Button, ChildVisible, 0, 0, 9, 9, "OK"}, {1234, c.cls, ChildVisible | c.style, 0, 0, 9, 9, ""}});
        Dialog d;
        EXPECT_FALSE(DialogLoad(400, d, context));
        EXPECT_TRUE(d.controls.empty());
        const std::string expected =
            std::string(" Invalid style ") + c.name + " used for control 1234" + std::string(16, ' ');
        ASSERT_EQ(window.records.size(), 1u);
        std::string record = window.records[0];
        while (!record.empty() && (record.back() == '\n' || record.back() == '\r'))
            record.pop_back();
        EXPECT_EQ(record, expected);
        EXPECT_EQ(end.events, (std::vector<std::string>{"programEnded 0", "exit 0"}));
    }
    EXPECT_TRUE(reports.reports.empty());
}

TEST_F(RejectedStyles, AcceptedStylesAndUnknownClassesWriteNothing)
{
    Dialog d;
    std::vector<dialogs::ControlSpec> controls;
    for (std::uint32_t b : {0u, 1u, 3u, 4u, 5u, 6u, 7u, 9u})
        controls.push_back({static_cast<std::uint16_t>(100 + b), k::Button, ChildVisible | b, 0, 0, 9, 9, ""});
    controls.push_back({200, k::Edit, ChildVisible | s::EditAutoHScroll, 0, 0, 9, 9, ""});
    controls.push_back({201, k::ListBox, ChildVisible | s::ListNotify, 0, 0, 9, 9, ""});
    controls.push_back({202, k::ComboBox, ChildVisible | s::ComboSimple, 0, 0, 9, 9, ""});
    controls.push_back({203, 0x86, ChildVisible | 0x30, 0, 0, 9, 9, ""}); // unknown class ordinal
    controls.push_back({204, k::Static, ChildVisible | 0x1F, 0, 0, 9, 9, ""});
    ASSERT_TRUE(load(d, controls));
    EXPECT_EQ(d.controls.size(), 12u);
    EXPECT_TRUE(window.records.empty());
    EXPECT_TRUE(end.events.empty());
    const std::vector<ControlKind> kinds = {
        ControlKind::PushButton,  ControlKind::PushButton,  ControlKind::CheckBox, ControlKind::RadioButton,
        ControlKind::RadioButton, ControlKind::RadioButton, ControlKind::GroupBox, ControlKind::RadioButton,
        ControlKind::EditBox,     ControlKind::ListBox,     ControlKind::ComboBox, ControlKind::StaticText};
    for (std::size_t i = 0; i < kinds.size(); ++i)
        EXPECT_EQ(d.controls[i].kind, kinds[i]) << i;
    Logical checked = 0;
    EXPECT_TRUE(DialogGetLogical(d, 103, checked));
    EXPECT_EQ(checked, True); // a check box starts checked
}

} // namespace
} // namespace dialogs::test
