#include "tests/dialogs/DialogTestSupport.h"

namespace dialogs::test {
namespace {

using K = ControlKind;

class ApplicationTemplates : public DialogFixture {
protected:
    void SetUp() override
    {
        DialogFixture::SetUp();
        for (std::int32_t id : {app::ViewDialogId, app::SurfaceDialogId, app::AboutDialogId})
            resources.templates[id] =
                std::vector<std::uint8_t>(app::applicationDialogResources().dialogTemplate(id)->begin(),
                                          app::applicationDialogResources().dialogTemplate(id)->end());
    }
};

struct Expected {
    K kind;
    std::int32_t id;
    std::string text;
    bool duplicate = false;
};

void expectRecords(const Dialog& d, const std::vector<Expected>& expected)
{
    ASSERT_EQ(d.controls.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const DialogControl& c = d.controls[i];
        SCOPED_TRACE("record " + std::to_string(i + 1));
        EXPECT_EQ(c.kind, expected[i].kind);
        EXPECT_EQ(c.id, expected[i].id);
        EXPECT_EQ(c.duplicate, toLogical(expected[i].duplicate));
        EXPECT_EQ(c.dirty, True);
        if (c.kind != K::ScrollBar) {
            EXPECT_EQ(c.texts.at(0), text256(expected[i].text));
        }
    }
}

TEST(ApplicationTemplateHeaders, CaptionsPositionsStylesAndFonts)
{
    struct Case {
        std::span<const std::uint8_t> bytes;
        std::string caption;
        int x, y, w, h;
        bool closeBox;
        std::size_t items;
    };
    const Case cases[] = {
        {app::ViewTemplate, "What Do You Want To Do Next?", 300, 10, 109, 221, false, 12},
        {app::SurfaceTemplate, "What Surface Do You Want To Draw?", 100, 100, 186, 95, true, 12},
        {app::AboutTemplate, "About FACETOR", 100, 100, 189, 116, false, 4},
    };
    for (const Case& c : cases) {
        const auto parsed = parseDialogTemplate(c.bytes);
        ASSERT_TRUE(parsed);
        const DialogTemplate& t = parsed.value();
        SCOPED_TRACE(c.caption);
        EXPECT_EQ(t.title.name, c.caption);
        EXPECT_EQ(t.x, c.x);
        EXPECT_EQ(t.y, c.y);
        EXPECT_EQ(t.width, c.w);
        EXPECT_EQ(t.height, c.h);
        EXPECT_EQ(t.style & (s::Popup | s::Caption | s::ModalFrame | s::SetFont),
                  s::Popup | s::Caption | s::ModalFrame | s::SetFont);
        EXPECT_EQ((t.style & s::SystemMenu) != 0, c.closeBox);
        EXPECT_EQ(t.pointSize, 8);
        EXPECT_EQ(t.fontName, "MS Sans Serif");
        EXPECT_EQ(t.items.size(), c.items);
        for (const TemplateItem& item : t.items)
            EXPECT_TRUE(item.windowClass.ordinal.has_value());
    }
    EXPECT_FALSE(app::applicationDialogResources().dialogTemplate(102).has_value());
}

TEST_F(ApplicationTemplates, ViewDialogRecords)
{
    Dialog d;
    ASSERT_TRUE(DialogLoad(app::ViewDialogId, d, dialogs));
    expectRecords(d,
                  {
                      {K::PushButton, 1, "Choose Another Surface"},
                      {K::PushButton, 2, "Cancel"},
                      {K::GroupBox, 65535, "Rotate The View", true},
                      {K::PushButton, 1000, "Exit Program"},
                      {K::PushButton, 1001, "Click Here To &Rotate"},
                      {K::PushButton, 1002, "Reset View"},
                      {K::EditBox, 1003, ""},
                      {K::EditBox, 1004, ""},
                      {K::StaticText, 65535, "Rotation", true},
                      {K::StaticText, 65535, "Tilt", true},
                      {K::ScrollBar, 1007, ""},
                      {K::ScrollBar, 1008, ""},
                  });
    EXPECT_EQ(d.controls[10].integers, (std::vector<std::int32_t>{0, 100, 1, 10}));

    // The template's control styles: the invisible Cancel button, the multi-line default
    // button, the bars' directions.
    const DialogTemplate t = parseDialogTemplate(app::ViewTemplate).value();
    EXPECT_EQ(t.items[1].style & s::Visible, 0u);
    EXPECT_EQ(t.items[4].style & (s::ButtonTypeMask | s::ButtonMultiLine | s::ButtonCentre),
              s::DefaultPushButton | s::ButtonMultiLine | s::ButtonCentre);
    EXPECT_EQ(t.items[6].style & (s::Border | s::TabStop | s::EditAutoHScroll),
              s::Border | s::TabStop | s::EditAutoHScroll);
    EXPECT_EQ(t.items[10].style & s::ScrollVertical, s::ScrollHorizontal);
    EXPECT_EQ(t.items[11].style & s::ScrollVertical, s::ScrollVertical);
    EXPECT_EQ(t.items[4].x, 15);
    EXPECT_EQ(t.items[4].height, 86);
}

TEST_F(ApplicationTemplates, SurfaceDialogRecordsAndRadioGroup)
{
    Dialog d;
    ASSERT_TRUE(DialogLoad(app::SurfaceDialogId, d, dialogs));
    expectRecords(d,
                  {
                      {K::RadioButton, 1003, "&FCC"},
                      {K::RadioButton, 1004, "&BCC"},
                      {K::RadioButton, 1005, "&HCP"},
                      {K::RadioButton, 1006, "&Zinc Blend"},
                      {K::EditBox, 1001, ""},
                      {K::EditBox, 1002, ""},
                      {K::EditBox, 1007, ""},
                      {K::EditBox, 1008, ""},
                      {K::PushButton, 1, "OK"},
                      {K::GroupBox, 65535, "Choose A Bravis Lattice", true},
                      {K::PushButton, 2, "Cancel"},
                      {K::GroupBox, 65535, "Enter The Miller Indicies Of The Plane You Want", true},
                  });
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(d.controls[i].integers, (std::vector<std::int32_t>{1, 4})) << i;
        EXPECT_EQ(d.controls[i].logicals[1], i == 0 ? True : False) << i;
    }
    Logical checked = 0;
    EXPECT_TRUE(DialogGetLogical(d, 1003, checked));
    EXPECT_EQ(checked, True);
}

TEST_F(ApplicationTemplates, AboutDialogRecords)
{
    Dialog d;
    ASSERT_TRUE(DialogLoad(app::AboutDialogId, d, dialogs));
    expectRecords(
        d,
        {
            {K::PushButton, 1, "OK"},
            {K::StaticText, 65535, "FRAMEICON", true},
            {K::StaticText, 65535,
             "FACETOR calculates the surface\n structure of an arbitrary plane of a\n FCC, BCC, HCP or Zincblend "
             "material",
             true},
            {K::StaticText, 65535, "The program runs best on Windows 95\nWindows NT gives errors on printing", true},
        });
    const DialogTemplate t = parseDialogTemplate(app::AboutTemplate).value();
    EXPECT_EQ(t.items[1].style & 0xF, s::StaticIcon);
    EXPECT_EQ(t.items[2].style & 0xF, s::StaticCentre);
}

TEST_F(ApplicationTemplates, FocusEnterAndEscapeOnTheRealDialogs)
{
    // View dialog: the focus starts on "Choose Another Surface", so Enter ends with 1.
    Dialog view;
    ASSERT_TRUE(DialogLoad(app::ViewDialogId, view, dialogs));
    host.addSteps({[](platform::HeadlessDialogHost& h, platform::DialogWindow w) { EXPECT_EQ(h.focusedId(w), 1); },
                   platform::HeadlessDialogHost::Enter{}});
    EXPECT_EQ(DialogRunModal(view), 1);

    // Once the focus is in an angle box Enter presses Rotate (1001); Escape ends with 2.
    int rotations = 0;
    ASSERT_TRUE(DialogLoad(app::ViewDialogId, view, dialogs));
    ASSERT_TRUE(DialogSetCallback(view, 1001, [&](Dialog&, std::int32_t id, std::int32_t event) {
        EXPECT_EQ(id, 1001);
        EXPECT_EQ(event, static_cast<std::int32_t>(ValueIndex::Clicked));
        ++rotations;
    }));
    host.addSteps({platform::HeadlessDialogHost::Focus{1003}, platform::HeadlessDialogHost::Enter{},
                   platform::HeadlessDialogHost::Escape{}});
    EXPECT_EQ(DialogRunModal(view), 2);
    EXPECT_EQ(rotations, 1);

    // Surface dialog: the radio buttons have no tab stop, so the focus starts in box 1001;
    // Enter presses OK. The close box sends Cancel.
    Dialog surface;
    ASSERT_TRUE(DialogLoad(app::SurfaceDialogId, surface, dialogs));
    host.addSteps({[](platform::HeadlessDialogHost& h, platform::DialogWindow w) { EXPECT_EQ(h.focusedId(w), 1001); },
                   platform::HeadlessDialogHost::Enter{}});
    EXPECT_EQ(DialogRunModal(surface), 1);
    ASSERT_TRUE(DialogLoad(app::SurfaceDialogId, surface, dialogs));
    host.addStep(platform::HeadlessDialogHost::Close{});
    EXPECT_EQ(DialogRunModal(surface), 2);

    // About box: no close box and no control 2, so neither Escape nor the close box ends it;
    // its OK button does.
    Dialog about;
    ASSERT_TRUE(DialogLoad(app::AboutDialogId, about, dialogs));
    host.addSteps(
        {platform::HeadlessDialogHost::Escape{}, platform::HeadlessDialogHost::Close{},
         [](platform::HeadlessDialogHost& h, platform::DialogWindow) { EXPECT_NE(h.activeDialog(), nullptr); },
         platform::HeadlessDialogHost::Click{1}});
    EXPECT_EQ(DialogRunModal(about), 1);
    EXPECT_EQ(host.forcedEnds(), 0);
    DialogRelease(about);
    DialogRelease(surface);
    DialogRelease(view);
}

} // namespace
} // namespace dialogs::test
