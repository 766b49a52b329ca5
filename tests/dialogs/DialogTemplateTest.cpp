#include "tests/dialogs/DialogTestSupport.h"

namespace dialogs::test {
namespace {

// Two controls: a push button and an empty static, with a font, so that the header strings,
// the font fields and the padding before each item are all exercised.
const dialogs::ControlSpec SmallControls[] = {
    {7, k::Button, s::Child | s::PushButton, 5, 6, 7, 8, "OK"},
    {9, k::Static, s::Child, 0, 0, 1, 1, ""},
};
const dialogs::DialogSpec Small{s::Popup | s::Caption | s::SetFont, 1, 2, 3, 4, "Hi", 8, "A", SmallControls};

TEST(DialogTemplateBuilder, WritesTheBinaryLayoutByteForByte)
{
    const std::vector<std::uint8_t> expected = {
        0x40, 0x00, 0xC0, 0x80,                         // style: popup, caption, set-font
        0x00, 0x00, 0x00, 0x00,                         // extended style
        0x02, 0x00,                                     // item count
        0x01, 0x00, 0x02, 0x00, 0x03, 0x00, 0x04, 0x00, // x, y, width, height
        0x00, 0x00,                                     // no menu
        0x00, 0x00,                                     // standard class
        'H',  0,    'i',  0,    0,    0,                // title
        0x08, 0x00,                                     // point size
        'A',  0,    0,    0,                            // font name
        0x00, 0x00,                                     // padding to offset 36
        0x00, 0x00, 0x00, 0x40,                         // item 1 style: child
        0x00, 0x00, 0x00, 0x00, 0x05, 0x00, 0x06, 0x00, 0x07, 0x00, 0x08, 0x00, 0x07, 0x00, // id
        0xFF, 0xFF, 0x80, 0x00,                                                             // class: button by ordinal
        'O',  0,    'K',  0,    0,    0,                                                    // title
        0x00, 0x00,             // no creation data; item ends at 66
        0x00, 0x00,             // padding to offset 68
        0x00, 0x00, 0x00, 0x40, // item 2
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x09, 0x00,
        0xFF, 0xFF, 0x82, 0x00, // static
        0x00, 0x00,             // empty title
        0x00, 0x00,
    };
    EXPECT_EQ(dialogs::buildDialogTemplate(Small), expected);
}

TEST(DialogTemplateParser, ReadsWhatTheBuilderWrote)
{
    const auto bytes = dialogs::buildDialogTemplate(Small);
    const auto parsed = parseDialogTemplate(bytes);
    ASSERT_TRUE(parsed);
    const DialogTemplate& t = parsed.value();
    EXPECT_EQ(t.style, s::Popup | s::Caption | s::SetFont);
    EXPECT_EQ(t.x, 1);
    EXPECT_EQ(t.y, 2);
    EXPECT_EQ(t.width, 3);
    EXPECT_EQ(t.height, 4);
    EXPECT_EQ(t.menu, NameOrOrdinal{});
    EXPECT_EQ(t.title.name, "Hi");
    EXPECT_EQ(t.pointSize, 8);
    EXPECT_EQ(t.fontName, "A");
    ASSERT_EQ(t.items.size(), 2u);
    EXPECT_EQ(t.items[0].id, 7);
    EXPECT_EQ(t.items[0].windowClass.ordinal, std::optional<std::uint16_t>(k::Button));
    EXPECT_EQ(t.items[0].title.name, "OK");
    EXPECT_EQ(t.items[0].x, 5);
    EXPECT_EQ(t.items[0].height, 8);
    EXPECT_EQ(t.items[1].id, 9);
    EXPECT_EQ(t.items[1].windowClass.ordinal, std::optional<std::uint16_t>(k::Static));
    EXPECT_EQ(t.items[1].title, NameOrOrdinal{});
}

TEST(DialogTemplateParser, NamesOrdinalsWideCharactersAndCreationData)
{
    // Header without font; one item with a class name, an ordinal title and 6 bytes of creation
    // data (size word included); a second item after the padding.
    std::vector<std::uint8_t> b = {0,    0,    0, 0x80, 0, 0, 0, 0,    2,    0, 0,
                                   0,    0,    0, 0,    0, 0, 0, 0xFF, 0xFF, 3, 0, // menu by ordinal 3
                                   0,    0,                                        // class
                                   0x41, 0x01, 0, 0}; // title: one wide character, low byte 'A'
    // offset 28: item 1
    const std::vector<std::uint8_t> item1 = {0,    0,    0,    0x40, 0,    0,   0, 0, 0,
                                             0,    0,    0,    0,    0,    0,   0, 5, 0, // id
                                             'M',  0,    'y',  0,    0,    0,            // class "My"
                                             0xFF, 0xFF, 0x10, 0x00,                     // title: ordinal 16
                                             6,    0,    0xAA, 0xBB, 0xCC, 0xDD};        // creation data
    b.insert(b.end(), item1.begin(), item1.end());
    while (b.size() % 4 != 0)
        b.push_back(0xEE);
    const std::vector<std::uint8_t> item2 = {0, 0, 0, 0x40, 0, 0,    0,    0,    0, 0, 0, 0, 0,
                                             0, 0, 0, 6,    0, 0xFF, 0xFF, 0x81, 0, 0, 0, 0, 0};
    b.insert(b.end(), item2.begin(), item2.end());

    const auto parsed = parseDialogTemplate(b);
    ASSERT_TRUE(parsed);
    const DialogTemplate& t = parsed.value();
    EXPECT_EQ(t.menu.ordinal, std::optional<std::uint16_t>(3));
    EXPECT_EQ(t.title.name, "A");
    ASSERT_EQ(t.items.size(), 2u);
    EXPECT_FALSE(t.items[0].windowClass.ordinal.has_value());
    EXPECT_EQ(t.items[0].windowClass.name, "My");
    EXPECT_EQ(t.items[0].title.ordinal, std::optional<std::uint16_t>(16));
    EXPECT_EQ(t.items[0].creationDataSize, 6);
    EXPECT_EQ(t.items[1].id, 6);
    EXPECT_EQ(t.items[1].windowClass.ordinal, std::optional<std::uint16_t>(k::Edit));
}

TEST(DialogTemplateParser, RefusesTruncatedExtendedAndOverlongTemplates)
{
    // Every proper prefix of a valid template is truncated somewhere; each copy is exactly as
    // long as the prefix, so a read past its end would be caught by the address sanitizer.
    const std::span<const std::uint8_t> templates[] = {app::ViewTemplate, app::SurfaceTemplate, app::AboutTemplate};
    for (const std::span<const std::uint8_t>* full = std::begin(templates); full != std::end(templates); ++full) {
        for (std::size_t n = 0; n < full->size(); ++n) {
            const std::vector<std::uint8_t> prefix(full->begin(), full->begin() + static_cast<std::ptrdiff_t>(n));
            const auto parsed = parseDialogTemplate(prefix);
            EXPECT_FALSE(parsed) << "prefix of " << n << " bytes";
            EXPECT_EQ(parsed.error().message, describe(TemplateError::Truncated));
        }
        EXPECT_TRUE(parseDialogTemplate(std::vector<std::uint8_t>(full->begin(), full->end())));
    }

    const std::vector<std::uint8_t> extended = {1, 0, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(parseDialogTemplate(extended).error().message, describe(TemplateError::ExtendedTemplate));

    // A header claiming 65535 items with none present.
    std::vector<std::uint8_t> many = {0, 0, 0, 0x80, 0, 0, 0, 0, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_FALSE(parseDialogTemplate(many));

    // A string that never ends, and an ordinal marker without its ordinal.
    std::vector<std::uint8_t> open = {0, 0, 0, 0x80, 0, 0, 0, 0, 0, 0,   0, 0,   0,
                                      0, 0, 0, 0,    0, 0, 0, 0, 0, 'x', 0, 'y', 0};
    EXPECT_FALSE(parseDialogTemplate(open));
    std::vector<std::uint8_t> marker = {0, 0, 0, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF};
    EXPECT_FALSE(parseDialogTemplate(marker));

    // Creation data that claims more bytes than remain.
    auto bytes = templateOf({{3, k::Edit, ChildVisible, 0, 0, 1, 1, ""}});
    bytes[bytes.size() - 2] = 40;
    EXPECT_FALSE(parseDialogTemplate(bytes));
}

class MalformedLoad : public DialogFixture {};

TEST_F(MalformedLoad, EveryTruncatedTemplateFailsToLoadAndCannotRun)
{
    const std::vector<std::uint8_t> full(app::SurfaceTemplate.begin(), app::SurfaceTemplate.end());
    for (std::size_t n = 0; n < full.size(); ++n) {
        resources.templates[300] =
            std::vector<std::uint8_t>(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n));
        Dialog d;
        EXPECT_FALSE(DialogLoad(300, d, dialogs)) << n;
        EXPECT_TRUE(d.controls.empty());
        EXPECT_EQ(d.resourceId, 300);
        EXPECT_EQ(d.endCode, 1);
        EXPECT_EQ(DialogRunModal(d), -1);
    }
    EXPECT_TRUE(host.finishedDialogs().empty());
    EXPECT_TRUE(window.records.empty());
    EXPECT_TRUE(end.events.empty());

    Dialog missing;
    EXPECT_FALSE(DialogLoad(12345, missing, dialogs));
    EXPECT_EQ(DialogRunModal(missing), -1);
}

} // namespace
} // namespace dialogs::test
