// Which selectors each call accepts for each control kind, checked over every selector for
// every kind on a freshly loaded dialog (list kinds hold two items, so item 3 is past the end).

#include "tests/dialogs/DialogTestSupport.h"

#include <set>

namespace dialogs::test {
namespace {

using V = ValueIndex;
using K = ControlKind;

enum class Call {
    SetText,
    GetText,
    SetInteger,
    GetInteger,
    SetLogical,
    GetLogical,
    SetCallback
};

const char* name(Call c)
{
    switch (c) {
    case Call::SetText: return "SetText";
    case Call::GetText: return "GetText";
    case Call::SetInteger: return "SetInteger";
    case Call::GetInteger: return "GetInteger";
    case Call::SetLogical: return "SetLogical";
    case Call::GetLogical: return "GetLogical";
    case Call::SetCallback: return "SetCallback";
    }
    return "?";
}

constexpr V I1 = itemNumber(1);
constexpr V I2 = itemNumber(2);
constexpr V I3 = itemNumber(3);

struct Row {
    K kind;
    Call call;
    std::set<V> accepted;
};

// The accepted selectors, per kind and call.
const Row Table[] = {
    {K::StaticText, Call::SetText, {V::Default, V::Caption}},
    {K::StaticText, Call::GetText, {V::Default, V::Caption}},
    {K::StaticText, Call::SetInteger, {}},
    {K::StaticText, Call::GetInteger, {}},
    {K::StaticText, Call::SetLogical, {V::Default, V::Enabled}},
    {K::StaticText, Call::GetLogical, {V::Default, V::Enabled}},
    {K::StaticText, Call::SetCallback, {}},

    {K::GroupBox, Call::SetText, {V::Default, V::Caption}},
    {K::GroupBox, Call::GetText, {V::Default, V::Caption}},
    {K::GroupBox, Call::SetInteger, {}},
    {K::GroupBox, Call::GetInteger, {}},
    {K::GroupBox, Call::SetLogical, {V::Default, V::Enabled}},
    {K::GroupBox, Call::GetLogical, {V::Default, V::Enabled}},
    {K::GroupBox, Call::SetCallback, {}},

    {K::PushButton, Call::SetText, {V::Default, V::Caption}},
    {K::PushButton, Call::GetText, {V::Default, V::Caption}},
    {K::PushButton, Call::SetInteger, {}},
    {K::PushButton, Call::GetInteger, {}},
    {K::PushButton, Call::SetLogical, {V::Default, V::Enabled}},
    {K::PushButton, Call::GetLogical, {V::Default, V::Enabled}},
    {K::PushButton, Call::SetCallback, {V::Default, V::Clicked}},

    {K::CheckBox, Call::SetText, {V::Default, V::Caption}},
    {K::CheckBox, Call::GetText, {V::Default, V::Caption}},
    {K::CheckBox, Call::SetInteger, {}},
    {K::CheckBox, Call::GetInteger, {}},
    {K::CheckBox, Call::SetLogical, {V::Default, V::Enabled, V::State}},
    {K::CheckBox, Call::GetLogical, {V::Default, V::Enabled, V::State}},
    {K::CheckBox, Call::SetCallback, {V::Default, V::Clicked}},

    {K::RadioButton, Call::SetText, {V::Default, V::Caption}},
    {K::RadioButton, Call::GetText, {V::Default, V::Caption}},
    {K::RadioButton, Call::SetInteger, {}},
    {K::RadioButton, Call::GetInteger, {}},
    {K::RadioButton, Call::SetLogical, {V::Default, V::Enabled, V::State}},
    {K::RadioButton, Call::GetLogical, {V::Default, V::Enabled, V::State}},
    {K::RadioButton, Call::SetCallback, {V::Default, V::Clicked}},

    {K::EditBox, Call::SetText, {V::Default, V::State}},
    {K::EditBox, Call::GetText, {V::Default, V::State}},
    {K::EditBox, Call::SetInteger, {}},
    {K::EditBox, Call::GetInteger, {}},
    {K::EditBox, Call::SetLogical, {V::Default, V::Enabled}},
    {K::EditBox, Call::GetLogical, {V::Default, V::Enabled}},
    {K::EditBox, Call::SetCallback, {V::Default, V::Changed, V::Updated}},

    {K::ScrollBar, Call::SetText, {}},
    {K::ScrollBar, Call::GetText, {}},
    {K::ScrollBar, Call::SetInteger, {V::Default, V::Position, V::RangeMax, V::LineStep, V::PageStep}},
    {K::ScrollBar, Call::GetInteger, {V::Default, V::Position, V::RangeMax, V::LineStep, V::PageStep}},
    {K::ScrollBar, Call::SetLogical, {V::Default, V::Enabled}},
    {K::ScrollBar, Call::GetLogical, {V::Default, V::Enabled}},
    {K::ScrollBar, Call::SetCallback, {V::Default, V::Changed}},

    {K::ListBox, Call::SetText, {I1, I2}},
    {K::ListBox, Call::GetText, {I1, I2, V::Default, V::State}},
    {K::ListBox, Call::SetInteger, {V::Default, V::ItemCount, I1, I2}},
    {K::ListBox, Call::GetInteger, {V::Default, V::ItemCount, I1, I2, I3}},
    {K::ListBox, Call::SetLogical, {V::Default, V::Enabled}},
    {K::ListBox, Call::GetLogical, {V::Default, V::Enabled}},
    {K::ListBox, Call::SetCallback, {V::Default, V::SelectionChanged, V::DoubleClicked}},

    {K::ComboBox, Call::SetText, {I1, I2, V::Default, V::State}},
    {K::ComboBox, Call::GetText, {I1, I2, V::Default, V::State}},
    {K::ComboBox, Call::SetInteger, {V::Default, V::ItemCount}},
    {K::ComboBox, Call::GetInteger, {V::Default, V::ItemCount}},
    {K::ComboBox, Call::SetLogical, {V::Default, V::Enabled}},
    {K::ComboBox, Call::GetLogical, {V::Default, V::Enabled}},
    {K::ComboBox, Call::SetCallback, {V::Default, V::SelectionChanged, V::DoubleClicked, V::Changed, V::Updated}},

    {K::DropDownList, Call::SetText, {I1, I2}},
    {K::DropDownList, Call::GetText, {I1, I2, V::Default, V::State}},
    {K::DropDownList, Call::SetInteger, {V::Default, V::ItemCount, V::State}},
    {K::DropDownList, Call::GetInteger, {V::Default, V::ItemCount, V::State}},
    {K::DropDownList, Call::SetLogical, {V::Default, V::Enabled}},
    {K::DropDownList, Call::GetLogical, {V::Default, V::Enabled}},
    {K::DropDownList, Call::SetCallback, {V::Default, V::SelectionChanged, V::DoubleClicked}},
};

// A template item of each kind, id 60.
dialogs::ControlSpec itemOf(K kind)
{
    switch (kind) {
    case K::StaticText: return {60, k::Static, ChildVisible, 0, 0, 9, 9, "t"};
    case K::GroupBox: return {60, k::Button, ChildVisible | s::GroupBox, 0, 0, 9, 9, "t"};
    case K::PushButton: return {60, k::Button, ChildVisible | s::PushButton, 0, 0, 9, 9, "t"};
    case K::CheckBox: return {60, k::Button, ChildVisible | s::AutoCheckBox, 0, 0, 9, 9, "t"};
    case K::RadioButton: return {60, k::Button, ChildVisible | s::AutoRadioButton, 0, 0, 9, 9, "t"};
    case K::EditBox: return {60, k::Edit, ChildVisible, 0, 0, 9, 9, "t"};
    case K::ScrollBar: return {60, k::ScrollBar, ChildVisible, 0, 0, 9, 9, ""};
    case K::ListBox: return {60, k::ListBox, ChildVisible, 0, 0, 9, 9, ""};
    case K::ComboBox: return {60, k::ComboBox, ChildVisible | s::ComboDropDown, 0, 0, 9, 9, ""};
    case K::DropDownList: return {60, k::ComboBox, ChildVisible | s::ComboDropDownList, 0, 0, 9, 9, ""};
    }
    return {};
}

class SelectorTable : public DialogFixture {};

TEST_F(SelectorTable, EveryKindAcceptsExactlyItsSelectors)
{
    std::vector<V> selectors;
    for (int v = -14; v <= -1; ++v)
        selectors.push_back(static_cast<V>(v));
    for (V v : {V(0), I1, I2, I3, V(-15)})
        selectors.push_back(v);

    for (const Row& row : Table) {
        for (V selector : selectors) {
            SCOPED_TRACE(std::string(name(row.call)) + " kind " + std::to_string(static_cast<int>(row.kind))
                         + " selector " + std::to_string(static_cast<int>(selector)));
            Dialog d;
            ASSERT_TRUE(load(d, {itemOf(row.kind)}));
            ASSERT_EQ(d.controls.at(0).kind, row.kind);
            if (row.kind == K::ListBox || row.kind == K::ComboBox || row.kind == K::DropDownList) {
                ASSERT_TRUE(DialogSetInteger(d, 60, 2, V::ItemCount));
            }
            const DialogControl before = d.controls[0];

            bool ok = false;
            std::string text(8, '?');
            std::int32_t integer = -77;
            Logical logical = 77;
            switch (row.call) {
            case Call::SetText: ok = DialogSetText(d, 60, "written", selector); break;
            case Call::GetText: ok = DialogGetText(d, 60, text, selector); break;
            case Call::SetInteger: ok = DialogSetInteger(d, 60, 1, selector); break;
            case Call::GetInteger: ok = DialogGetInteger(d, 60, integer, selector); break;
            case Call::SetLogical: ok = DialogSetLogical(d, 60, False, selector); break;
            case Call::GetLogical: ok = DialogGetLogical(d, 60, logical, selector); break;
            case Call::SetCallback:
                ok = DialogSetCallback(
                    d, 60, [](Dialog&, std::int32_t, std::int32_t) {}, selector);
                break;
            }
            EXPECT_EQ(ok, row.accepted.contains(selector));
            if (!ok) {
                // A refused call changes nothing and writes no output.
                EXPECT_EQ(d.controls[0].texts, before.texts);
                EXPECT_EQ(d.controls[0].integers, before.integers);
                EXPECT_EQ(d.controls[0].logicals, before.logicals);
                EXPECT_EQ(text, std::string(8, '?'));
                EXPECT_EQ(integer, -77);
                EXPECT_EQ(logical, 77);
            } else if (row.call == Call::SetText) {
                std::string back(7, ' ');
                EXPECT_TRUE(DialogGetText(d, 60, back, selector));
                EXPECT_EQ(back, "written");
            } else if (row.call == Call::SetInteger && selector != V::Default && selector != V::ItemCount) {
                std::int32_t back = 0;
                EXPECT_TRUE(DialogGetInteger(d, 60, back, selector));
                EXPECT_EQ(back, 1);
            }
        }
    }
}

TEST_F(SelectorTable, ItemCountKeepsTextsAndEmptiesTheSelection)
{
    Dialog d;
    ASSERT_TRUE(load(d, {itemOf(K::ListBox)}));
    ASSERT_TRUE(DialogSetInteger(d, 60, 2));
    ASSERT_TRUE(DialogSetText(d, 60, "one", I1));
    ASSERT_TRUE(DialogSetText(d, 60, "two", I2));
    ASSERT_TRUE(DialogSetInteger(d, 60, 2, I1));
    ASSERT_TRUE(DialogSetInteger(d, 60, 3, V::ItemCount));
    std::int32_t n = 0;
    ASSERT_TRUE(DialogGetInteger(d, 60, n, I1));
    EXPECT_EQ(n, 0);
    EXPECT_EQ(getText(d, 60, 3, I2), "two");
    EXPECT_EQ(getText(d, 60, 3, I3), "   ");
    ASSERT_TRUE(DialogSetInteger(d, 60, 1, V::ItemCount));
    EXPECT_EQ(getText(d, 60, 3, I1), "one");
    EXPECT_EQ(getText(d, 60, 3, I2), "<failed>");
}

} // namespace
} // namespace dialogs::test
