#include "platform/headless/HeadlessPlatform.h"
#include "winrt/WindowRuntime.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <latch>
#include <limits>
#include <string>
#include <thread>
#include <vector>

using namespace winrt;
using platform::HeadlessPlatform;
using platform::ShowState;

namespace {

constexpr int32_t Cell10x18 = 0x000A0012;

// The record the application fills at start-up.
WindowConfig startupConfig()
{
    WindowConfig c;
    c.colour_count = 256;
    c.font_size = Cell10x18;
    c.setTitle("planes");
    return c;
}

// Applies a record as the application does: once more when the first call adjusted it.
bool applyTwice(WindowRuntime& rt, WindowConfig& c) { return rt.set_window_config(c) || rt.set_window_config(c); }

platform::DisplayInfo screen(int width, int height, int bits = 24)
{
    platform::DisplayInfo d;
    d.screenWidth = width;
    d.screenHeight = height;
    d.bitsPerPixel = bits;
    return d;
}

HeadlessPlatform::ChildWindow childOf(const HeadlessPlatform& p, const WindowRuntime& rt, int32_t handle)
{
    auto info = rt.windowInfo(handle);
    EXPECT_TRUE(info.has_value());
    auto child = info ? p.child(info->platformWindow) : std::nullopt;
    EXPECT_TRUE(child.has_value());
    return child.value_or(HeadlessPlatform::ChildWindow{});
}

} // namespace

TEST(WindowConfigRecord, TitleIsBlankPaddedToEightyCharacters)
{
    WindowConfig c = startupConfig();
    EXPECT_EQ(std::string(c.title.data(), 80), "planes" + std::string(74, ' '));
    c.setTitle(std::string(100, 'x'));
    EXPECT_EQ(std::string(c.title.data(), 80), std::string(80, 'x'));
    EXPECT_EQ(fontCell(10, 18), Cell10x18);
}

TEST(WindowConfigSizing, CellOfTenByEighteenFillsTheScreenInWholeCells)
{
    struct Case {
        int width, height, pixelWidth, pixelHeight, columns, rows;
    };
    for (Case k : {Case{1024, 768, 1020, 756, 102, 42}, Case{800, 600, 800, 594, 80, 33},
                   Case{1280, 1024, 1280, 1008, 128, 56}}) {
        SCOPED_TRACE(std::to_string(k.width) + "x" + std::to_string(k.height));
        HeadlessPlatform p(screen(k.width, k.height));
        WindowRuntime rt(p);
        WindowConfig c = startupConfig();
        c.title = {};
        EXPECT_TRUE(rt.set_window_config(c));
        EXPECT_EQ(c.pixel_width, k.pixelWidth);
        EXPECT_EQ(c.pixel_height, k.pixelHeight);
        EXPECT_EQ(c.text_columns, k.columns);
        EXPECT_EQ(c.text_rows, k.rows);
        EXPECT_EQ(c.colour_count, 256);
        EXPECT_EQ(c.font_size, Cell10x18);
        auto canvas = rt.currentCanvas();
        ASSERT_NE(canvas, nullptr);
        EXPECT_EQ(canvas->canvas().width(), k.pixelWidth);
        EXPECT_EQ(canvas->canvas().height(), k.pixelHeight);
        EXPECT_EQ(canvas->canvas().gridColumns(), k.columns);
        EXPECT_EQ(canvas->canvas().gridRows(), k.rows);
    }
}

TEST(WindowConfigStartup, ApplicationConfigurationGivesTheCellAndCaption)
{
    HeadlessPlatform p;
    WindowRuntime rt(p);
    WindowConfig c = startupConfig();
    ASSERT_TRUE(rt.set_window_config(c)); // the headless font has the 10 x 18 cell exactly

    int32_t window = rt.currentWindow();
    EXPECT_EQ(window, FirstWindowHandle);
    EXPECT_EQ(rt.focusWindow(), window);
    auto canvas = rt.currentCanvas();
    ASSERT_NE(canvas, nullptr);
    EXPECT_EQ(canvas->canvas().cellWidth(), 10);
    EXPECT_EQ(canvas->canvas().cellHeight(), 18);
    EXPECT_EQ(canvas->canvas().colourCount(), 256);
    EXPECT_EQ(canvas->canvas().paletteEntry(20), (Rgb{64, 64, 64})); // a fresh default palette
    // Written back: the display depth and the fixed output fields.
    EXPECT_EQ(c.bits_per_pixel, 24);
    EXPECT_EQ(c.reserved_a, 0);
    EXPECT_EQ(c.reserved_b, -1);
    EXPECT_EQ(c.reserved_c, (std::array<int16_t, 4>{}));

    std::string caption = "planes" + std::string(74, ' ');
    auto child = childOf(p, rt, window);
    EXPECT_EQ(child.title, caption); // trailing blanks kept
    EXPECT_EQ(rt.windowInfo(window)->title, caption);
    EXPECT_TRUE(child.visible);
    auto id = rt.windowInfo(window)->platformWindow;
    EXPECT_EQ(p.activeChild(), id);
    auto log = p.log();
    EXPECT_NE(std::find(log.begin(), log.end(), "focus " + std::to_string(id.value)), log.end());
    EXPECT_NE(std::find(log.begin(), log.end(), "window-menu"), log.end());

    // Each surface: a new title and the record applied again, giving a new cleared canvas.
    canvas->set_colour(5);
    canvas->draw_ellipse(3, 0, 0, 20, 20);
    WindowConfig again = c;
    again.setTitle(std::string("FCC (  1,  1,  1)") + std::string(23, ' '));
    EXPECT_TRUE(rt.set_window_config(again));
    EXPECT_EQ(again, [&] {
        WindowConfig e = c;
        e.title = again.title;
        return e;
    }());
    auto fresh = rt.currentCanvas();
    EXPECT_NE(fresh, canvas);
    EXPECT_EQ(fresh->canvas().pixel(10, 10), 0);
    EXPECT_EQ(fresh->canvas().currentColour(), 15);
    EXPECT_EQ(childOf(p, rt, window).title, "FCC (  1,  1,  1)" + std::string(63, ' '));
    // The old canvas stays usable by whoever still holds it.
    EXPECT_EQ(canvas->canvas().pixel(10, 10), 5);
    // Only the first configuration takes the focus.
    log = p.log();
    EXPECT_EQ(std::count(log.begin(), log.end(), "focus " + std::to_string(id.value)), 1);
}

TEST(WindowConfigStartup, SecondApplicationSucceedsWhenTheFontIsOffered)
{
    // A system whose nearest font to 10 x 18 is 12 x 18: the first call offers that cell.
    HeadlessPlatform p;
    p.setFontMeasurement([](const platform::FontRequest& r) {
        return platform::FontMetrics{r.cellWidth == 10 ? 12 : r.cellWidth, r.cellHeight - 2, 2};
    });
    WindowRuntime rt(p);
    WindowConfig c = startupConfig();
    EXPECT_FALSE(rt.set_window_config(c));
    EXPECT_EQ(c.font_size, fontCell(12, 18));
    EXPECT_EQ(c.text_columns, 1024 / 12);
    EXPECT_EQ(c.pixel_width, (1024 / 12) * 12);
    EXPECT_EQ(c.text_rows, 42);
    EXPECT_EQ(rt.windowCanvas(rt.currentWindow()), nullptr); // nothing applied
    EXPECT_TRUE(rt.set_window_config(c));
    auto canvas = rt.currentCanvas();
    EXPECT_EQ(canvas->canvas().cellWidth(), 12);
    EXPECT_EQ(canvas->canvas().cellHeight(), 18); // height plus external leading
    EXPECT_EQ(canvas->canvas().width(), 1020);
}

TEST(WindowConfigFont, AcceptedWithinTwoBelowToOneAboveInWidthAndTwoEitherWayInHeight)
{
    struct Case {
        int dw, dh;
        bool accepted;
    };
    for (Case k : {Case{0, 0, true}, Case{-2, 0, true}, Case{1, 0, true}, Case{0, -2, true}, Case{0, 2, true},
                   Case{-3, 0, false}, Case{2, 0, false}, Case{0, -3, false}, Case{0, 3, false}}) {
        SCOPED_TRACE(std::to_string(k.dw) + "," + std::to_string(k.dh));
        HeadlessPlatform p;
        p.setFontMeasurement([k](const platform::FontRequest& r) {
            return platform::FontMetrics{r.cellWidth + k.dw, r.cellHeight + k.dh, 0};
        });
        WindowRuntime rt(p);
        WindowConfig c = startupConfig();
        EXPECT_EQ(rt.set_window_config(c), k.accepted);
        if (k.accepted) {
            EXPECT_EQ(c.font_size, Cell10x18);
            // The canvas takes the measured cell.
            EXPECT_EQ(rt.currentCanvas()->canvas().cellWidth(), 10 + k.dw);
            EXPECT_EQ(rt.currentCanvas()->canvas().cellHeight(), 18 + k.dh);
        } else {
            EXPECT_EQ(c.font_size, fontCell(10 + k.dw, 18 + k.dh));
            EXPECT_EQ(c.text_columns, 1024 / (10 + k.dw));
            EXPECT_EQ(c.text_rows, 768 / (18 + k.dh));
            EXPECT_FALSE(rt.windowInfo(rt.currentWindow())->configured);
        }
    }
}

TEST(WindowConfigColours, LoweredToWhatTheDisplayOffers)
{
    HeadlessPlatform p(screen(1024, 768, 4));
    WindowRuntime rt(p);
    WindowConfig c = startupConfig();
    EXPECT_FALSE(rt.set_window_config(c));
    EXPECT_EQ(c.colour_count, 16);
    EXPECT_EQ(c.bits_per_pixel, 4);
    EXPECT_TRUE(rt.set_window_config(c));
    EXPECT_EQ(rt.currentCanvas()->canvas().colourCount(), 16);

    WindowConfig byDefault;
    EXPECT_TRUE(rt.set_window_config(byDefault));
    EXPECT_EQ(byDefault.colour_count, 16);

    // One colour is no palette: raised to two.
    HeadlessPlatform mono(screen(640, 480, 1));
    WindowRuntime rt2(mono);
    WindowConfig one;
    one.colour_count = 1;
    EXPECT_FALSE(rt2.set_window_config(one));
    EXPECT_EQ(one.colour_count, 2);
    EXPECT_TRUE(rt2.set_window_config(one));
    EXPECT_EQ(rt2.currentCanvas()->canvas().colourCount(), 2);
}

TEST(WindowConfigValidation, MeaninglessFieldsBecomeDefaultsAndNothingIsApplied)
{
    HeadlessPlatform p;
    WindowRuntime rt(p);
    rt.currentWindow();
    p.clearLog();

    WindowConfig c = startupConfig();
    c.text_rows = 0;
    WindowConfig expected = c;
    expected.text_rows = -1;
    EXPECT_FALSE(rt.set_window_config(c));
    EXPECT_EQ(c, expected); // nothing else written back
    EXPECT_TRUE(p.log().empty());
    EXPECT_TRUE(p.fontRequests().empty());
    EXPECT_EQ(rt.windowCanvas(rt.currentWindow()), nullptr);

    WindowConfig bad;
    bad.pixel_width = -5;
    bad.pixel_height = 0;
    bad.text_columns = 40;
    bad.colour_count = -2;
    bad.font_size = -3;
    EXPECT_FALSE(rt.set_window_config(bad));
    EXPECT_EQ(bad.pixel_width, -1);
    EXPECT_EQ(bad.pixel_height, -1);
    EXPECT_EQ(bad.text_columns, 40);
    EXPECT_EQ(bad.colour_count, -1);
    EXPECT_EQ(bad.font_size, -1);

    // A cell with a zero side would divide by zero: it is refused like any other bad size.
    for (int32_t cell : {0, 0x0000000A, 0x000A0000, fontCell(10, 0x8000)}) {
        WindowConfig z;
        z.font_size = cell;
        EXPECT_FALSE(rt.set_window_config(z)) << cell;
        EXPECT_EQ(z.font_size, -1);
    }
    EXPECT_TRUE(p.log().empty());
}

TEST(WindowConfigSizing, AxisRulesAndTheSmallestWindow)
{
    HeadlessPlatform p;
    WindowRuntime rt(p);
    struct Case {
        int16_t pixels, columns;
        int32_t font;
        bool first;
        int16_t pixelsAfter, columnsAfter;
        int requestedWidth;
    };
    for (Case k : {
             Case{400, -1, -1, true, 400, 50, 8},          // default cell 8
             Case{400, 40, -1, true, 400, 40, 10},         // the cell from pixels / columns
             Case{-1, 20, -1, true, 160, 20, 8},           // pixels from the default cell
             Case{-1, -1, -1, true, 1024, 128, 8},         // the whole screen
             Case{-1, 30, Cell10x18, true, 300, 30, 10},   // pixels from the cell
             Case{400, 30, Cell10x18, false, 400, 40, 10}, // the columns that fit
             Case{400, -1, Cell10x18, true, 400, 40, 10},  // taken silently
             Case{50, -1, -1, false, 112, 14, 8},          // raised to the smallest window
             Case{-1, 5, -1, false, 112, 14, 8},           // 40 pixels, raised
         }) {
        SCOPED_TRACE(std::to_string(k.pixels) + " " + std::to_string(k.columns) + " " + std::to_string(k.font));
        WindowConfig c;
        c.pixel_width = k.pixels;
        c.text_columns = k.columns;
        c.font_size = k.font;
        size_t requests = p.fontRequests().size();
        EXPECT_EQ(rt.set_window_config(c), k.first);
        EXPECT_EQ(c.pixel_width, k.pixelsAfter);
        EXPECT_EQ(c.text_columns, k.columnsAfter);
        ASSERT_EQ(p.fontRequests().size(), requests + 1);
        EXPECT_EQ(p.fontRequests().back().cellWidth, k.requestedWidth);
        // The corrected record is accepted as it stands.
        EXPECT_TRUE(rt.set_window_config(c));
        EXPECT_EQ(c.pixel_width, k.pixelsAfter);
        EXPECT_EQ(rt.currentCanvas()->canvas().width(), k.pixelsAfter);
    }

    // Heights: below the smallest window height (27) is raised too.
    WindowConfig low;
    low.pixel_height = 20;
    EXPECT_FALSE(rt.set_window_config(low));
    EXPECT_EQ(low.pixel_height, 27);
    EXPECT_EQ(low.text_rows, 1);
    EXPECT_TRUE(rt.set_window_config(low));

    // A cell wider than the canvas still gives a grid of one cell.
    WindowConfig wide;
    wide.pixel_width = 120;
    wide.font_size = fontCell(64, 18);
    EXPECT_TRUE(rt.set_window_config(wide));
    EXPECT_EQ(wide.text_columns, 1);
    // A grid beyond the 16-bit canvas side is cut to what fits.
    WindowConfig huge;
    huge.text_columns = 30000;
    huge.text_rows = 2;
    huge.font_size = Cell10x18;
    EXPECT_FALSE(rt.set_window_config(huge));
    EXPECT_EQ(huge.text_columns, 3276);
    EXPECT_EQ(huge.pixel_width, 32760);
}

TEST(WindowConfigFont, ExtendedFieldsNameTheFaceAndStyle)
{
    HeadlessPlatform p;
    WindowRuntime rt(p);
    WindowConfig c;
    c.font_size = -2;
    c.font_size_ext = fontCell(9, 15);
    c.font_attributes = 1 | 4;
    std::string face = "Arial   ";
    std::copy(face.begin(), face.end(), c.font_name.begin());
    EXPECT_TRUE(rt.set_window_config(c));
    auto r = p.fontRequests().back();
    EXPECT_EQ(r.face, "Arial");
    EXPECT_EQ(r.weight, 700);
    EXPECT_TRUE(r.italic);
    EXPECT_FALSE(r.underline);
    EXPECT_EQ(r.cellWidth, 9);
    EXPECT_EQ(rt.currentCanvas()->canvas().cellHeight(), 15);

    // Attributes with no style bit, or negative, become plain; an empty cell the default.
    WindowConfig d = c;
    d.pixel_width = d.pixel_height = d.text_columns = d.text_rows = -1;
    d.font_attributes = 8;
    d.font_size_ext = 0;
    EXPECT_FALSE(rt.set_window_config(d));
    EXPECT_EQ(d.font_attributes, PlainFontAttributes);
    EXPECT_EQ(d.font_size_ext, -1);
    EXPECT_TRUE(rt.set_window_config(d));
    r = p.fontRequests().back();
    EXPECT_EQ(r.weight, 400);
    EXPECT_FALSE(r.italic);
    EXPECT_EQ(r.cellWidth, 8);
    WindowConfig neg = c;
    neg.font_attributes = -3;
    EXPECT_FALSE(rt.set_window_config(neg));
    EXPECT_EQ(neg.font_attributes, PlainFontAttributes);

    // A font the system cannot create: reported, nothing applied.
    p.setFontCreationFails(true);
    WindowConfig e;
    auto before = rt.currentCanvas();
    EXPECT_FALSE(rt.set_window_config(e));
    EXPECT_EQ(graphicsStatus(), status::failed);
    ASSERT_FALSE(p.messageBoxes().empty());
    EXPECT_EQ(p.messageBoxes().back().caption, "Window Runtime Error");
    EXPECT_EQ(rt.currentCanvas(), before);
}

TEST(WindowConfigTitle, UpToTheFirstNulAndAFirstNulKeepsTheCaption)
{
    HeadlessPlatform p;
    WindowRuntime rt(p);
    int32_t w = rt.currentWindow();
    WindowConfig c;
    EXPECT_TRUE(rt.set_window_config(c)); // all NUL: the caption stays
    EXPECT_EQ(childOf(p, rt, w).title, "Graphic1");
    std::string t = "abc";
    t.push_back('\0');
    t += "def";
    std::copy(t.begin(), t.end(), c.title.begin());
    EXPECT_TRUE(rt.set_window_config(c));
    EXPECT_EQ(childOf(p, rt, w).title, "abc");
    c.title.fill('z');
    EXPECT_TRUE(rt.set_window_config(c));
    EXPECT_EQ(childOf(p, rt, w).title, std::string(80, 'z'));
}

TEST(WindowConfigFit, WindowGrowsToTheCanvasAndSmallRangesAreNone)
{
    HeadlessPlatform p; // borders 4, caption 19; a new window is 400 x 300
    WindowRuntime rt(p);
    int32_t w = rt.currentWindow();
    WindowConfig small;
    small.pixel_width = 200;
    small.pixel_height = 100;
    small.font_size = fontCell(10, 20);
    EXPECT_TRUE(rt.set_window_config(small));
    auto child = childOf(p, rt, w);
    EXPECT_EQ(child.outer, HeadlessPlatform::InitialChildRect); // large enough already
    EXPECT_EQ(child.horizontalRange, 0);
    EXPECT_EQ(child.verticalRange, 0);

    WindowConfig big;
    big.pixel_width = 600;
    big.pixel_height = 400;
    big.font_size = fontCell(10, 20);
    EXPECT_TRUE(rt.set_window_config(big));
    child = childOf(p, rt, w);
    // 600 + 2 borders by 400 + 2 borders + caption - 1: the client is one pixel short, no bar.
    EXPECT_EQ(child.outer, (platform::Rect{0, 0, 608, 426}));
    EXPECT_EQ(child.horizontalRange, 0);
    EXPECT_EQ(child.verticalRange, 0);

    // The window resized by the user: two pixels short is no bar, three is.
    auto id = rt.windowInfo(w)->platformWindow;
    p.moveWindow(id, {0, 0, 630, 425}); // client 622 x 398
    rt.updateScrollBars(w);
    EXPECT_EQ(childOf(p, rt, w).verticalRange, 0);
    p.moveWindow(id, {0, 0, 630, 424}); // client 606 x 397 with the bar
    rt.updateScrollBars(w);
    EXPECT_EQ(childOf(p, rt, w).verticalRange, 3);
    EXPECT_EQ(childOf(p, rt, w).horizontalRange, 0);

    // A maximised window is restored instead of resized.
    p.setWindowState(rt.windowInfo(w)->platformWindow, ShowState::Maximised);
    p.moveWindow(rt.windowInfo(w)->platformWindow, {0, 0, 300, 200});
    EXPECT_TRUE(rt.set_window_config(big));
    child = childOf(p, rt, w);
    EXPECT_EQ(child.state, ShowState::Normal);
    EXPECT_EQ(child.outer, (platform::Rect{0, 0, 300, 200}));
}

TEST(WindowSize, ChildPlacedInCellsWithItsFrame)
{
    HeadlessPlatform p;
    WindowRuntime rt(p);
    WindowConfig c = startupConfig();
    ASSERT_TRUE(applyTwice(rt, c));
    int32_t w = rt.unitWindow(0);
    EXPECT_EQ(w, rt.focusWindow());
    EXPECT_EQ(rt.unitWindow(5), w);
    EXPECT_EQ(rt.unitWindow(6), w);
    EXPECT_EQ(rt.unitWindow(7), -1);

    auto id = rt.windowInfo(w)->platformWindow;
    p.setWindowState(id, ShowState::Minimised);
    setGraphicsStatus(status::altered);
    EXPECT_EQ(rt.set_window_size(0, {4, 0, 0, 25, 50}), 0);
    EXPECT_EQ(graphicsStatus(), status::ok);
    auto child = childOf(p, rt, w);
    EXPECT_EQ(child.state, ShowState::Normal);
    // 50 x 10 + scroll bar 16 + border 2 x ((27 - 19) / 2); 25 x 18 + caption 19 + scroll bar
    // 16 + border 8 + 1.
    EXPECT_EQ(child.outer, (platform::Rect{0, 0, 524, 494}));
    // The visible area is 500 pixels wide; the canvas scrolls under it.
    EXPECT_EQ(p.clientSize(id).width, 500);
    EXPECT_EQ(child.horizontalRange, 1020 - 500);
    EXPECT_EQ(child.verticalRange, 756 - p.clientSize(id).height);

    EXPECT_EQ(rt.set_window_size(6, {4, 2, 3, 10, 20}), 0);
    EXPECT_EQ(childOf(p, rt, w).outer, (platform::Rect{20, 54, 224, 224}));

    EXPECT_EQ(rt.set_window_size(5, {2, 0, 0, 0, 0}), 0);
    EXPECT_EQ(childOf(p, rt, w).state, ShowState::Maximised);
    EXPECT_EQ(rt.set_window_size(5, {1, 0, 0, 0, 0}), 0);
    EXPECT_EQ(childOf(p, rt, w).state, ShowState::Minimised);
    EXPECT_EQ(rt.set_window_size(5, {3, 0, 0, 0, 0}), 0);
    EXPECT_EQ(childOf(p, rt, w).state, ShowState::Normal);

    EXPECT_EQ(rt.set_window_size(0, {5, 0, 0, 25, 50}), -1);
    EXPECT_EQ(graphicsStatus(), status::invalid);
    EXPECT_EQ(rt.set_window_size(7, {4, 0, 0, 25, 50}), -1);
    EXPECT_EQ(graphicsStatus(), status::failed);
    EXPECT_EQ(childOf(p, rt, w).state, ShowState::Normal);
}

TEST(WindowSize, UnconfiguredWindowIsConfiguredOnlyFromTheProgramThread)
{
    HeadlessPlatform p;
    p.setMessageThread(std::this_thread::get_id());
    WindowRuntime rt(p);
    EXPECT_EQ(rt.set_window_size(0, {4, 0, 0, 25, 50}), -1);
    EXPECT_EQ(graphicsStatus(), status::failed);
    EXPECT_FALSE(rt.windowInfo(rt.focusWindow())->configured);

    std::thread program([&] {
        EXPECT_EQ(rt.set_window_size(0, {4, 0, 0, 25, 50}), 0);
        EXPECT_TRUE(rt.windowInfo(rt.focusWindow())->configured);
        // Defaults: the whole screen in 8 x 16 cells.
        auto canvas = rt.windowCanvas(rt.focusWindow());
        EXPECT_EQ(canvas->canvas().width(), 1024);
        EXPECT_EQ(canvas->canvas().cellWidth(), 8);
        EXPECT_EQ(childOf(p, rt, rt.focusWindow()).outer, (platform::Rect{0, 0, 424, 444}));
    });
    program.join();
}

TEST(WindowSize, FrameKinds)
{
    HeadlessPlatform p;
    WindowRuntime rt(p);
    EXPECT_EQ(rt.set_window_size(FrameHandle, {2, 0, 0, 0, 0}), 0);
    EXPECT_EQ(p.frameState(), ShowState::Maximised);
    EXPECT_EQ(p.log().back(), "cascade");

    p.clearLog();
    setGraphicsStatus(status::ok);
    EXPECT_EQ(rt.set_window_size(FrameHandle, {5, 0, 0, 0, 0}), -1);
    EXPECT_EQ(graphicsStatus(), status::invalid);
    EXPECT_EQ(p.frameState(), ShowState::Maximised);
    EXPECT_TRUE(p.log().empty());

    // Kind 4: a maximised frame is restored first; outer size adds borders, menu bar, caption
    // and status bar.
    EXPECT_EQ(rt.set_window_size(FrameHandle, {4, 10, 20, 600, 800}), 0);
    EXPECT_EQ(p.frameState(), ShowState::Normal);
    EXPECT_EQ(p.frameRect(), (platform::Rect{10, 20, 808, 600 + 19 + 19 + 8 + 19}));
    constexpr int16_t keep = std::numeric_limits<int16_t>::min();
    EXPECT_EQ(rt.set_window_size(FrameHandle, {4, keep, 40, keep, 500}), 0);
    EXPECT_EQ(p.frameRect(), (platform::Rect{10, 40, 508, 665}));

    EXPECT_EQ(rt.set_window_size(FrameHandle, {1, 0, 0, 0, 0}), 0);
    EXPECT_EQ(p.frameState(), ShowState::Minimised);
    EXPECT_EQ(rt.set_window_size(FrameHandle, {3, 0, 0, 0, 0}), 0);
    EXPECT_EQ(p.frameState(), ShowState::Normal);

    // Before the frame exists the request is kept for its creation.
    HeadlessPlatform early;
    early.setFrameExists(false);
    WindowRuntime rt2(early);
    EXPECT_FALSE(rt2.pendingFrameRequest().has_value());
    EXPECT_EQ(rt2.set_window_size(FrameHandle, {2, 0, 0, 0, 0}), 0);
    EXPECT_EQ(rt2.pendingFrameRequest(), (WindowSizeRecord{2, 0, 0, 0, 0}));
    EXPECT_EQ(early.frameState(), ShowState::Normal);
    EXPECT_TRUE(early.log().empty());
    EXPECT_EQ(rt2.set_window_size(FrameHandle, {9, 0, 0, 0, 0}), -1);
    EXPECT_EQ(rt2.pendingFrameRequest(), (WindowSizeRecord{2, 0, 0, 0, 0}));
}

TEST(WindowTable, FortyWindowsThenFull)
{
    HeadlessPlatform p;
    WindowRuntime rt(p);
    for (int i = 0; i < MaxWindows; ++i) {
        int32_t h = rt.open_unit_window();
        ASSERT_EQ(h, FirstWindowHandle + i);
        EXPECT_EQ(rt.windowInfo(h)->title, "Graphic" + std::to_string(i + 1));
    }
    setGraphicsStatus(status::ok);
    EXPECT_EQ(rt.open_unit_window(), -1);
    EXPECT_EQ(graphicsStatus(), status::failed);
    EXPECT_EQ(p.childCount(), MaxWindows);

    // The lowest empty slot is taken again.
    EXPECT_TRUE(rt.closeWindow(FirstWindowHandle + 5, CloseMode::Destroy));
    EXPECT_FALSE(rt.windowInfo(FirstWindowHandle + 5).has_value());
    EXPECT_EQ(rt.open_unit_window("Unit 12"), FirstWindowHandle + 5);
    EXPECT_EQ(rt.windowInfo(FirstWindowHandle + 5)->title, "Unit 12");
    EXPECT_EQ(p.childCount(), MaxWindows);

    for (int32_t bad : {FirstWindowHandle - 1, FirstWindowHandle + MaxWindows, -1, 0})
        EXPECT_FALSE(rt.set_current_window(bad)) << bad;

    HeadlessPlatform failing;
    failing.setWindowCreationFails(true);
    WindowRuntime rt2(failing);
    EXPECT_EQ(rt2.open_unit_window(), -1);
    EXPECT_EQ(graphicsStatus(), status::failed);
    EXPECT_EQ(rt2.currentWindow(), -1);
    EXPECT_EQ(rt2.currentCanvas(), nullptr);
}

TEST(CurrentWindow, EachThreadHasItsOwn)
{
    HeadlessPlatform p;
    WindowRuntime rt(p);
    int32_t focus = rt.currentWindow();
    ASSERT_EQ(focus, FirstWindowHandle);
    int32_t a = rt.open_unit_window("A");
    int32_t b = rt.open_unit_window("B");

    std::latch chosen(2);
    auto worker = [&](int32_t mine, int16_t colour, int32_t& seen, int& width) {
        EXPECT_EQ(rt.currentWindow(), focus); // a new thread starts at the focus window
        EXPECT_TRUE(rt.set_current_window(mine));
        chosen.arrive_and_wait(); // both have chosen before either looks
        WindowConfig c;
        c.pixel_width = int16_t(200 + colour);
        c.pixel_height = 100;
        EXPECT_TRUE(applyTwice(rt, c));
        rt.currentCanvas()->set_colour(colour);
        rt.currentCanvas()->draw_ellipse(3, 0, 0, 9, 9);
        seen = rt.currentWindow();
        width = rt.currentCanvas()->canvas().width();
    };
    int32_t seenA = 0, seenB = 0;
    int widthA = 0, widthB = 0;
    std::thread t1(worker, a, int16_t(1), std::ref(seenA), std::ref(widthA));
    std::thread t2(worker, b, int16_t(2), std::ref(seenB), std::ref(widthB));
    t1.join();
    t2.join();
    EXPECT_EQ(seenA, a);
    EXPECT_EQ(seenB, b);
    EXPECT_EQ(widthA, 201);
    EXPECT_EQ(widthB, 202);
    EXPECT_EQ(rt.windowCanvas(a)->canvas().pixel(5, 5), 1);
    EXPECT_EQ(rt.windowCanvas(b)->canvas().pixel(5, 5), 2);
    EXPECT_EQ(rt.currentWindow(), focus); // this thread's own choice is untouched
    EXPECT_TRUE(rt.lastWindow() == a || rt.lastWindow() == b);
    EXPECT_FALSE(rt.windowInfo(focus)->configured);
}

TEST(CurrentWindow, UnconfiguredWindowGetsDefaultsOnFirstDrawing)
{
    HeadlessPlatform p;
    WindowRuntime rt(p);
    auto canvas = rt.currentCanvas();
    ASSERT_NE(canvas, nullptr);
    EXPECT_EQ(canvas->canvas().width(), 1024);
    EXPECT_EQ(canvas->canvas().height(), 768);
    EXPECT_EQ(canvas->canvas().gridColumns(), 128);
    EXPECT_EQ(canvas->canvas().gridRows(), 48);
    EXPECT_EQ(canvas->canvas().colourCount(), 256);
    EXPECT_EQ(rt.windowInfo(rt.currentWindow())->title, "Graphic1");
    EXPECT_TRUE(childOf(p, rt, rt.currentWindow()).visible);
}

TEST(CurrentWindow, ClosedWindowsTakeNoMoreAndTheFocusIsReopened)
{
    HeadlessPlatform p;
    WindowRuntime rt(p);
    int32_t focus = rt.currentWindow();
    int32_t other = rt.open_unit_window();
    EXPECT_TRUE(rt.set_current_window(other));
    EXPECT_EQ(rt.lastWindow(), other);
    EXPECT_TRUE(rt.closeWindow(other, CloseMode::KeepOnScreen));
    EXPECT_TRUE(rt.closeWindow(other, CloseMode::KeepOnScreen));
    EXPECT_EQ(childOf(p, rt, other).title, "Graphic2-Closed");
    EXPECT_EQ(rt.currentCanvas(), nullptr);
    EXPECT_EQ(graphicsStatus(), status::failed);
    WindowConfig c;
    EXPECT_FALSE(rt.set_window_config(c));
    EXPECT_FALSE(rt.set_current_window(other));
    EXPECT_EQ(rt.write_window_text(other, "x"), -1);
    EXPECT_TRUE(p.messageBoxes().empty()); // closed is not invalid

    EXPECT_TRUE(rt.closeWindow(focus, CloseMode::KeepOnScreen));
    int32_t reopened = -1;
    std::thread([&] { reopened = rt.currentWindow(); }).join();
    EXPECT_EQ(reopened, FirstWindowHandle + 2);
    EXPECT_EQ(rt.focusWindow(), reopened);
    EXPECT_EQ(rt.windowInfo(reopened)->title, "Graphic3");
    EXPECT_EQ(rt.unitWindow(6), reopened);
}

TEST(WriteWindowText, WritesLikeOutTextAndRestoresCurrentWindowAndStatus)
{
    HeadlessPlatform p;
    WindowRuntime rt(p);
    WindowConfig c = startupConfig();
    ASSERT_TRUE(applyTwice(rt, c));
    int32_t focus = rt.currentWindow();
    int32_t other = rt.open_unit_window();

    setGraphicsStatus(status::altered);
    EXPECT_EQ(rt.write_window_text(other, ""), 0);
    auto canvas = rt.windowCanvas(other);
    ASSERT_NE(canvas, nullptr);                                   // configured with defaults on first use
    EXPECT_EQ(canvas->canvas().textPosition(), (TextCell{1, 2})); // one blank written
    EXPECT_EQ(rt.currentWindow(), focus);
    EXPECT_EQ(graphicsStatus(), status::altered);

    EXPECT_EQ(rt.write_window_text(focus, "AB\r\n"), 4);
    EXPECT_EQ(rt.windowCanvas(focus)->canvas().textPosition(), (TextCell{2, 1}));
    ASSERT_FALSE(rt.windowCanvas(focus)->canvas().textPieces().empty());
    EXPECT_EQ(rt.windowCanvas(focus)->canvas().textPieces()[0].text, "AB");
    // A NUL ends the text, the count is what was given.
    EXPECT_EQ(rt.write_window_text(focus, std::string_view("CD\0EF", 5)), 5);
    EXPECT_EQ(rt.windowCanvas(focus)->canvas().textPosition(), (TextCell{2, 3}));

    // A window opened with the focus stays current after a write.
    int32_t sticky = rt.open_unit_window("Unit 9", OpenFocus::Take);
    EXPECT_EQ(rt.currentWindow(), sticky);
    EXPECT_TRUE(rt.set_current_window(focus));
    EXPECT_EQ(rt.write_window_text(sticky, "x"), 1);
    EXPECT_EQ(rt.currentWindow(), sticky);

    EXPECT_EQ(rt.write_window_text(1000, "x"), -1);
    EXPECT_EQ(rt.write_window_text(FirstWindowHandle + 30, "x"), -1);
    auto boxes = p.messageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].caption, "ERROR");
    EXPECT_EQ(boxes[0].text, "InvalidHandle");
}

TEST(Scrolling, StepsClampToTheRangeAndDrawingShowsAtTheOffset)
{
    HeadlessPlatform p;
    WindowRuntime rt(p);
    WindowConfig c = startupConfig();
    ASSERT_TRUE(applyTwice(rt, c));
    int32_t w = rt.unitWindow(0);
    ASSERT_EQ(rt.set_window_size(0, {4, 0, 0, 25, 50}), 0);
    auto id = rt.windowInfo(w)->platformWindow;
    int range = childOf(p, rt, w).horizontalRange;
    ASSERT_EQ(range, 520);
    using platform::ScrollAxis;
    using platform::WindowScroll;
    EXPECT_EQ(rt.scrollWindow(w, ScrollAxis::Horizontal, WindowScroll::LineForward), 10);
    EXPECT_EQ(rt.scrollWindow(w, ScrollAxis::Horizontal, WindowScroll::PageForward), 510);
    EXPECT_EQ(rt.scrollWindow(w, ScrollAxis::Horizontal, WindowScroll::PageForward), 520);
    EXPECT_EQ(rt.scrollWindow(w, ScrollAxis::Horizontal, WindowScroll::LineBack), 510);
    EXPECT_EQ(rt.scrollWindow(w, ScrollAxis::Horizontal, WindowScroll::ToStart), 0);
    EXPECT_EQ(rt.scrollWindow(w, ScrollAxis::Horizontal, WindowScroll::LineBack), 0);
    EXPECT_EQ(rt.scrollWindow(w, ScrollAxis::Horizontal, WindowScroll::ToEnd), 520);
    EXPECT_EQ(rt.scrollWindow(w, ScrollAxis::Horizontal, WindowScroll::ToPosition, 9999), 520);
    EXPECT_EQ(rt.scrollWindow(w, ScrollAxis::Horizontal, WindowScroll::ToPosition, 100), 100);
    EXPECT_EQ(rt.scrollWindow(w, ScrollAxis::Vertical, WindowScroll::LineForward), 18);
    EXPECT_EQ(p.child(id)->horizontalPosition, 100);
    EXPECT_EQ(rt.windowInfo(w)->scrollX, 100);

    rt.currentCanvas()->draw_ellipse(3, 150, 40, 160, 50);
    EXPECT_EQ(p.child(id)->lastInvalidated, (platform::Rect{50, 22, 11, 11}));

    // Growing the window shrinks the ranges and clamps the offsets.
    ASSERT_EQ(rt.set_window_size(0, {4, 0, 0, 41, 100}), 0);
    EXPECT_EQ(childOf(p, rt, w).horizontalRange, 20);
    EXPECT_EQ(childOf(p, rt, w).verticalRange, 17);
    EXPECT_EQ(rt.windowInfo(w)->scrollX, 20);
    EXPECT_EQ(rt.windowInfo(w)->scrollY, 17);
    EXPECT_EQ(p.child(id)->verticalPosition, 17);
    EXPECT_EQ(rt.scrollWindow(FirstWindowHandle + 39, ScrollAxis::Vertical, WindowScroll::ToEnd), -1);
}

TEST(WindowsInFront, BringToFrontShowsTheWindowActiveInsideTheClientAreaAndOnlySomeClose)
{
    HeadlessPlatform p(screen(1024, 768));
    WindowRuntime rt(p);
    WindowConfig c = startupConfig();
    ASSERT_TRUE(applyTwice(rt, c));
    const int32_t picture = rt.currentWindow();
    const int32_t other = rt.open_unit_window("report");
    ASSERT_TRUE(rt.set_current_window(other));
    WindowConfig small;
    small.pixel_width = 300;
    small.pixel_height = 200;
    ASSERT_TRUE(applyTwice(rt, small));
    const platform::WindowId pictureId = rt.windowInfo(picture)->platformWindow;
    const platform::WindowId id = rt.windowInfo(other)->platformWindow;
    const platform::Size area = p.clientAreaSize();

    // Where the window was, and where it is shown: inside the area, its size kept; minimised
    // and hidden it comes back, and the maximised picture that would cover it is restored.
    const struct {
        platform::Rect was;
        platform::Rect shown;
    } rows[] = {
        {{area.width + 50, 40, 400, 300}, {area.width - 400, 40, 400, 300}},
        {{-30, area.height - 10, 400, 300}, {0, area.height - 300, 400, 300}},
        {{20, 30, 400, 300}, {20, 30, 400, 300}},
        {{-50, -20, area.width + 100, area.height + 100}, {0, 0, area.width + 100, area.height + 100}},
    };
    ASSERT_TRUE(rt.allowUserClose(other));
    for (const auto& row : rows) {
        p.moveWindow(id, row.was);
        p.setWindowState(pictureId, ShowState::Maximised);
        p.setWindowState(id, ShowState::Minimised);
        EXPECT_TRUE(rt.userClose(other));
        EXPECT_FALSE(childOf(p, rt, other).visible);
        ASSERT_TRUE(rt.bringToFront(other));
        const auto shown = childOf(p, rt, other);
        EXPECT_EQ(shown.outer, row.shown);
        EXPECT_EQ(shown.state, ShowState::Normal);
        EXPECT_TRUE(shown.visible);
        EXPECT_EQ(p.activeChild(), id);
        EXPECT_EQ(childOf(p, rt, picture).state, ShowState::Normal);
    }
    EXPECT_FALSE(rt.bringToFront(FirstWindowHandle + 30));
    EXPECT_FALSE(rt.userClose(picture)) << "the picture's window cannot be closed";
    EXPECT_TRUE(childOf(p, rt, picture).visible);
    // A window kept on screen after its unit closed may be closed for good.
    ASSERT_TRUE(rt.closeWindow(other, CloseMode::KeepOnScreen));
    EXPECT_TRUE(rt.userClose(other));
    EXPECT_FALSE(rt.windowInfo(other));
}
