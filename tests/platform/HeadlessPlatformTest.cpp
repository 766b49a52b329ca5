#include "platform/headless/HeadlessPlatform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace platform;

TEST(DisplayInfo, ColourCountIsTwoToTheBitsCappedAt256)
{
    auto colours = [](int bits, int planes) {
        DisplayInfo d;
        d.bitsPerPixel = bits;
        d.planes = planes;
        return d.colourCount();
    };
    EXPECT_EQ(colours(1, 1), 2);
    EXPECT_EQ(colours(4, 1), 16);
    EXPECT_EQ(colours(1, 4), 16);
    EXPECT_EQ(colours(8, 1), 256);
    EXPECT_EQ(colours(16, 1), 256);
    EXPECT_EQ(colours(24, 1), 256);
    EXPECT_EQ(colours(32, 1), 256); // no overflow of the shift
}

TEST(HeadlessFont, AcceptsSaneCellsAndOffersTheNearestOtherwise)
{
    HeadlessPlatform p;
    auto measured = [&](int w, int h) {
        FontRequest r;
        r.cellWidth = w;
        r.cellHeight = h;
        auto font = p.createFont(r);
        EXPECT_NE(font, nullptr);
        return font ? font->metrics() : FontMetrics{};
    };
    EXPECT_EQ(measured(10, 18), (FontMetrics{10, 18, 0}));
    EXPECT_EQ(measured(4, 6), (FontMetrics{4, 6, 0}));
    EXPECT_EQ(measured(64, 96), (FontMetrics{64, 96, 0}));
    EXPECT_EQ(measured(3, 5), (FontMetrics{4, 6, 0}));
    EXPECT_EQ(measured(65, 97), (FontMetrics{64, 96, 0}));
    EXPECT_EQ(measured(-1, 1000), (FontMetrics{4, 96, 0}));
    ASSERT_EQ(p.fontRequests().size(), 6u);
    EXPECT_EQ(p.fontRequests()[0].face, "Courier New");

    // Glyphs come from the built-in font: ink for a letter, none for a blank.
    FontRequest r;
    r.cellWidth = 10;
    r.cellHeight = 18;
    auto font = p.createFont(r);
    std::vector<uint8_t> mask(10 * 18, 0);
    font->renderGlyph('A', 10, 18, mask);
    EXPECT_GT(std::count_if(mask.begin(), mask.end(), [](uint8_t v) { return v >= 128; }), 10);
    font->renderGlyph(' ', 10, 18, mask);
    EXPECT_EQ(std::count(mask.begin(), mask.end(), 0), 10 * 18);

    p.setFontCreationFails(true);
    EXPECT_EQ(p.createFont(r), nullptr);
}

TEST(HeadlessMessageBox, ScriptedAnswersThenTheDefaultButton)
{
    HeadlessPlatform p;
    p.queueMessageAnswer(MessageAnswer::No);
    p.queueMessageAnswer(MessageAnswer::Cancel);
    MessageBoxRequest ask{"Program", "Exit Window?", MessageIcon::Warning, MessageButtons::YesNo, MessageAnswer::No};
    MessageBoxRequest ok{"ERROR", "InvalidHandle", MessageIcon::Error, MessageButtons::Ok, {}};
    MessageBoxRequest yesNo{"Q", "?", MessageIcon::Question, MessageButtons::YesNo, {}};
    EXPECT_EQ(p.messageBox(ok), MessageAnswer::No);
    EXPECT_EQ(p.messageBox(ok), MessageAnswer::Cancel);
    EXPECT_EQ(p.messageBox(ask), MessageAnswer::No);
    EXPECT_EQ(p.messageBox(yesNo), MessageAnswer::Yes);
    EXPECT_EQ(p.messageBox(ok), MessageAnswer::Ok);
    auto boxes = p.messageBoxes();
    ASSERT_EQ(boxes.size(), 5u);
    EXPECT_EQ(boxes[2], ask);
    EXPECT_EQ(p.log().back(), "message-box ERROR: InvalidHandle");
}

TEST(HeadlessWindows, GeometryClientAreaAndScrollBars)
{
    DisplayInfo d;
    d.frameBorder = 4;
    d.captionHeight = 19;
    d.verticalScrollWidth = 16;
    d.horizontalScrollHeight = 17;
    HeadlessPlatform p(d);
    WindowId a = p.createChildWindow("Graphic1");
    WindowId b = p.createChildWindow("Graphic2");
    ASSERT_TRUE(a.isValid());
    ASSERT_NE(a, b);
    EXPECT_FALSE(p.child(a)->visible);
    EXPECT_EQ(p.child(a)->outer, HeadlessPlatform::InitialChildRect);

    p.moveWindow(a, {5, 6, 524, 494});
    EXPECT_EQ(p.windowRect(a), (Rect{5, 6, 524, 494}));
    EXPECT_EQ(p.clientSize(a), (Size{516, 467}));
    p.setScrollRange(a, ScrollAxis::Vertical, 300);
    EXPECT_EQ(p.clientSize(a), (Size{500, 467}));
    p.setScrollRange(a, ScrollAxis::Horizontal, 30);
    EXPECT_EQ(p.clientSize(a), (Size{500, 450}));
    p.setWindowState(a, ShowState::Minimised);
    EXPECT_EQ(p.clientSize(a), (Size{0, 0}));

    EXPECT_FALSE(p.activeChild().isValid());
    p.activateWindow(b);
    EXPECT_EQ(p.activeChild(), b);
    p.destroyWindow(b);
    EXPECT_FALSE(p.activeChild().isValid());
    EXPECT_FALSE(p.child(b).has_value());
    EXPECT_EQ(p.childCount(), 1);
    // Calls on a destroyed window change nothing and are not logged.
    p.clearLog();
    p.setWindowTitle(b, "gone");
    p.showWindow(b);
    EXPECT_TRUE(p.log().empty());

    p.setWindowCreationFails(true);
    EXPECT_FALSE(p.createChildWindow("x").isValid());
}

TEST(HeadlessFrame, PlacementKeepsTheFieldsNotGiven)
{
    HeadlessPlatform p;
    EXPECT_EQ(p.frameRect(), (Rect{0, 0, 1024, 768}));
    p.placeFrame({10, std::nullopt, 800, std::nullopt});
    EXPECT_EQ(p.frameRect(), (Rect{10, 0, 800, 768}));
    p.setFrameState(ShowState::Maximised);
    EXPECT_EQ(p.frameState(), ShowState::Maximised);
    EXPECT_EQ(p.log(), (std::vector<std::string>{"frame-place 10 0 800 768", "frame-state maximised"}));
    p.setFrameExists(false);
    EXPECT_FALSE(p.frameExists());
}
