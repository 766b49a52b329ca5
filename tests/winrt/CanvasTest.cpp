#include "CanvasTestUtil.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

using namespace winrt;
using namespace winrt::testing;

TEST(CanvasPalette, FreshCanvasUsesTheDefaultTable)
{
    auto c = makeCanvas(20, 10, 256);
    for (uint8_t p : c->canvas().pixels())
        ASSERT_EQ(p, 0);
    EXPECT_EQ(c->canvas().paletteEntry(0), (Rgb{0, 0, 0}));
    EXPECT_EQ(c->canvas().paletteEntry(1), (Rgb{0, 0, 128}));
    EXPECT_EQ(c->canvas().paletteEntry(4), (Rgb{128, 0, 0}));
    EXPECT_EQ(c->canvas().paletteEntry(7), (Rgb{192, 192, 192}));
    EXPECT_EQ(c->canvas().paletteEntry(8), (Rgb{128, 128, 128}));
    EXPECT_EQ(c->canvas().paletteEntry(12), (Rgb{255, 0, 0}));
    EXPECT_EQ(c->canvas().paletteEntry(15), (Rgb{255, 255, 255}));
    for (int i = 16; i < 256; ++i)
        ASSERT_EQ(c->canvas().paletteEntry(i), (Rgb{64, 64, 64})) << i;
    for (int i = 0; i <= 16; ++i)
        EXPECT_TRUE(c->canvas().paletteNoCollapse(i)) << i;
    EXPECT_FALSE(c->canvas().paletteNoCollapse(17));
    EXPECT_FALSE(c->canvas().paletteNoCollapse(255));

    EXPECT_EQ(c->canvas().currentColour(), 15);
    EXPECT_EQ(c->canvas().textColour(), 15);
    EXPECT_EQ(c->canvas().backgroundColour(), 0);
    EXPECT_EQ(c->canvas().viewport(), (Rect{0, 0, 20, 10}));
    EXPECT_EQ(c->canvas().wrap(), Wrap::On);
    EXPECT_EQ(c->canvas().textPosition(), (TextCell{1, 1}));
    EXPECT_FALSE(c->canvas().changed());

    auto two = makeCanvas(8, 8, 2);
    EXPECT_EQ(two->canvas().paletteEntry(0), (Rgb{0, 0, 0}));
    EXPECT_EQ(two->canvas().paletteEntry(1), (Rgb{255, 255, 255}));
    EXPECT_EQ(two->canvas().currentColour(), 1);
    EXPECT_EQ(two->canvas().textColour(), 1); // colour 15 does not exist on a 2-colour canvas

    auto eight = makeCanvas(8, 8, 8);
    EXPECT_EQ(eight->canvas().currentColour(), 7);
    EXPECT_EQ(eight->canvas().paletteEntry(7), (Rgb{192, 192, 192}));
    EXPECT_EQ(makeCanvas(8, 8, 16)->canvas().currentColour(), 15);

    // The grid is whole cells only.
    auto g = makeCanvas(105, 40, 256, 10, 18);
    EXPECT_EQ(g->canvas().textWindow(), (TextWindow{1, 1, 2, 10}));

    const struct {
        int width, height, colours, cellWidth;
        const char* error;
    } refused[] = {
        {0, 10, 256, 10, "canvas size out of range"},         {10, 32768, 256, 10, "canvas size out of range"},
        {10, 10, 1, 10, "canvas colour count out of range"},  {10, 10, 257, 10, "canvas colour count out of range"},
        {10, 10, 256, 0, "character cell size out of range"},
    };
    for (const auto& r : refused) {
        const auto c = Canvas::create(r.width, r.height, r.colours, r.cellWidth, 18, glyphs());
        ASSERT_FALSE(c) << r.error;
        EXPECT_EQ(c.error().message, r.error);
    }
    EXPECT_TRUE(Canvas::create(32767, 1, 2, 1, 1, glyphs()));
}

TEST(CanvasPalette, ExactnessFollowsTheDisplayDepth)
{
    auto trueColour = makeCanvas(4, 4, 256);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(trueColour->canvas().paletteExactness(i), 0);

    auto high = makeCanvas(4, 4, 256, 10, 18, CanvasOptions{8, 16});
    EXPECT_EQ(high->canvas().paletteExactness(0), 0);  // black
    EXPECT_EQ(high->canvas().paletteExactness(9), 0);  // pure blue
    EXPECT_EQ(high->canvas().paletteExactness(15), 0); // white
    EXPECT_EQ(high->canvas().paletteExactness(7), 1);  // 192 does not survive 5 bits
    EXPECT_EQ(high->canvas().paletteExactness(1), 1);  // 128 neither

    // set_colour reports an inexact entry with status 3 and still takes it.
    EXPECT_EQ(high->set_colour(7), 15);
    EXPECT_EQ(graphicsStatus(), status::altered);
    EXPECT_EQ(high->canvas().currentColour(), 7);
    high->set_colour(9);
    EXPECT_EQ(graphicsStatus(), status::ok);
}

TEST(CanvasColour, OutOfRangeIndicesAreRepaired)
{
    auto c = makeCanvas(4, 4, 256);
    EXPECT_EQ(c->set_colour(300), 15);
    EXPECT_EQ(graphicsStatus(), status::altered);
    EXPECT_EQ(c->canvas().currentColour(), 255);
    EXPECT_EQ(c->set_colour(-5), 255);
    EXPECT_EQ(graphicsStatus(), status::altered);
    EXPECT_EQ(c->canvas().currentColour(), 0);
    EXPECT_EQ(c->set_colour(68), 0);
    EXPECT_EQ(graphicsStatus(), status::ok);
    EXPECT_EQ(c->set_colour(68), 68); // the same index: unchanged
    EXPECT_EQ(graphicsStatus(), status::ok);

    auto small = makeCanvas(4, 4, 16);
    EXPECT_EQ(small->set_colour(16), 15);
    EXPECT_EQ(graphicsStatus(), status::altered);
    EXPECT_EQ(small->canvas().currentColour(), 15);

    EXPECT_EQ(c->setTextColour(999), 15);
    EXPECT_EQ(c->canvas().textColour(), 255);
    EXPECT_EQ(graphicsStatus(), status::altered);
    EXPECT_EQ(c->setBackgroundColour(-1), 0);
    EXPECT_EQ(c->canvas().backgroundColour(), 0);
}

TEST(CanvasPalette, RemapFailsOnSmallPalettes)
{
    auto pal = distinctPalette();
    for (int colours : {2, 16, 20}) {
        auto c = makeCanvas(4, 4, colours);
        Rgb before = c->canvas().paletteEntry(1);
        EXPECT_EQ(c->remap_all_palette(pal), -1);
        EXPECT_EQ(graphicsStatus(), status::failed);
        EXPECT_EQ(c->canvas().paletteEntry(1), before);
    }
    auto c = makeCanvas(4, 4, 21);
    EXPECT_EQ(c->remap_all_palette(std::span(pal).first(21)), 0);
    EXPECT_EQ(graphicsStatus(), status::ok);
    EXPECT_EQ(c->canvas().paletteEntry(20), Rgb::fromPaletteValue(pal[20]));
}

// The picture already drawn takes the new colours: indices stay, nothing is redrawn.
TEST(CanvasPalette, RemapRecoloursWithoutRedrawing)
{
    auto c = makeCanvas(40, 40, 256);
    c->set_colour(68);
    c->draw_ellipse(3, 0, 0, 39, 39);
    std::vector<uint8_t> before(c->canvas().pixels().begin(), c->canvas().pixels().end());
    EXPECT_EQ(c->canvas().pixelColour(20, 20), (Rgb{64, 64, 64}));

    std::vector<Rect> damage;
    c->setDamageHook([&](Rect r) { damage.push_back(r); });
    std::vector<uint32_t> pal(256, 0);
    pal[68] = 0xAA5555; // (85, 85, 170)
    pal[3] = 0x123456;
    EXPECT_EQ(c->remap_all_palette(pal), 0);
    EXPECT_TRUE(std::ranges::equal(before, c->canvas().pixels()));
    EXPECT_EQ(c->canvas().pixelColour(20, 20), (Rgb{85, 85, 170}));
    EXPECT_EQ(c->canvas().paletteEntry(3), (Rgb{0x56, 0x34, 0x12}));
    EXPECT_TRUE(c->canvas().paletteNoCollapse(200));
    EXPECT_EQ(damage, (std::vector<Rect>{{0, 0, 40, 40}}));

    // Fewer colours than the palette holds: refused, nothing read past the end.
    std::vector<uint32_t> shortList(255, 0xFFFFFF);
    EXPECT_EQ(c->remap_all_palette(shortList), -1);
    EXPECT_EQ(graphicsStatus(), status::invalid);
    EXPECT_EQ(c->canvas().paletteEntry(3), (Rgb{0x56, 0x34, 0x12}));
}

TEST(CanvasClear, AreasAndTheirColours)
{
    auto c = makeCanvas(30, 20, 256, 10, 10);
    c->setBackgroundColour(5);
    c->set_colour(9);
    c->draw_ellipse(3, 0, 0, 29, 19);
    c->out_text("ab");
    ASSERT_TRUE(c->canvas().changed());

    // Area 1: the viewport in index 0, whatever the background.
    c->setViewport(10, 0, 19, 19);
    EXPECT_NE(c->clear_screen(1), 0);
    EXPECT_EQ(graphicsStatus(), status::ok);
    for (int y = 0; y < 20; ++y) {
        EXPECT_EQ(c->canvas().pixel(10, y), 0);
        EXPECT_EQ(c->canvas().pixel(19, y), 0);
    }
    EXPECT_EQ(c->canvas().pixel(25, 10), 9); // outside the viewport: the ellipse stays
    EXPECT_EQ(c->canvas().textPosition(), (TextCell{1, 1}));
    EXPECT_TRUE(c->canvas().changed());

    // Unknown area: nothing.
    std::vector<uint8_t> before(c->canvas().pixels().begin(), c->canvas().pixels().end());
    c->out_text("x");
    before.assign(c->canvas().pixels().begin(), c->canvas().pixels().end());
    EXPECT_EQ(c->clear_screen(3), 0);
    EXPECT_EQ(graphicsStatus(), status::invalid);
    EXPECT_EQ(c->clear_screen(-1), 0);
    EXPECT_TRUE(std::ranges::equal(before, c->canvas().pixels()));
    EXPECT_EQ(c->canvas().textPosition(), (TextCell{1, 2}));

    // Area 0: everything in the background colour, the record and the changed mark gone.
    EXPECT_NE(c->clear_screen(0), 0);
    for (uint8_t p : c->canvas().pixels())
        ASSERT_EQ(p, 5);
    EXPECT_FALSE(c->canvas().changed());
    EXPECT_TRUE(c->canvas().textPieces().empty());
    EXPECT_EQ(c->canvas().textPosition(), (TextCell{1, 1}));
}

TEST(CanvasClear, TextWindowAreaClearsItsCellsAndItsText)
{
    auto c = makeCanvas(40, 30, 256, 10, 10); // 4 columns, 3 rows
    c->set_colour(9);
    c->draw_ellipse(3, 0, 0, 39, 29);
    c->setBackgroundColour(2);
    c->out_text("abcd\nefgh\nijkl");
    c->setTextWindow(2, 2, 3, 3);
    EXPECT_NE(c->clear_screen(2), 0);
    for (int y = 10; y < 30; ++y)
        for (int x = 10; x < 30; ++x)
            ASSERT_EQ(c->canvas().pixel(x, y), 2);
    EXPECT_EQ(c->canvas().pixel(5, 25), 2);  // cell (3, 1): text background, untouched
    EXPECT_EQ(c->canvas().pixel(35, 15), 2); // cell (2, 4)
    auto pieces = c->canvas().textPieces();
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0], (TextPiece{1, 1, 4, "abcd", false}));
    EXPECT_EQ(pieces[1], (TextPiece{2, 1, 4, "e  h", false}));
    EXPECT_EQ(pieces[2], (TextPiece{3, 1, 4, "i  l", false}));
    EXPECT_EQ(c->canvas().textPosition(), (TextCell{1, 1}));
}

TEST(CanvasImageSize, SizesPerDepth)
{
    auto c = makeCanvas(10, 10);
    EXPECT_EQ(c->image_size(0, 0, 20, 0), 1078 + 24);
    EXPECT_EQ(c->image_size(20, 0, 0, 0), 1078 + 24);
    EXPECT_EQ(c->image_size(0, 0, 32, 32), 2266);
    EXPECT_EQ(c->image_size(0, 0, 799, 599), 1078 + 600 * 800);
    EXPECT_EQ(makeCanvas(4, 4, 2, 10, 18, CanvasOptions{1, 24})->image_size(0, 0, 32, 1), 62 + 2 * 8);
    EXPECT_EQ(makeCanvas(4, 4, 16, 10, 18, CanvasOptions{4, 24})->image_size(0, 0, 8, 0), 118 + 8);
    EXPECT_EQ(makeCanvas(4, 4, 256, 10, 18, CanvasOptions{16, 24})->image_size(0, 0, 2, 0), 54 + 8);
    EXPECT_EQ(makeCanvas(4, 4, 256, 10, 18, CanvasOptions{24, 24})->image_size(0, 0, 2, 1), 54 + 2 * 12);
    EXPECT_EQ(makeCanvas(4, 4, 256, 10, 18, CanvasOptions{32, 24})->image_size(0, 0, 2, 1), 54 + 2 * 12);
    EXPECT_EQ(makeCanvas(4, 4, 256, 10, 18, CanvasOptions{7, 24})->image_size(0, 0, 2, 1), -1);
    // A size beyond 32 bits is refused rather than wrapped.
    EXPECT_EQ(makeCanvas(4, 4, 256, 10, 18, CanvasOptions{32, 24})->image_size(-32768, -32768, 32767, 32767), -1);
    EXPECT_EQ(graphicsStatus(), status::failed);
}

TEST(CanvasGetImage, CapturesARectangleAsABitmap)
{
    auto c = makeCanvas(20, 12, 256);
    c->set_colour(12);
    c->draw_ellipse(3, 2, 1, 14, 9);
    std::vector<uint8_t> buf(size_t(c->image_size(2, 1, 14, 9)), 0xEE);
    c->get_image(14, 9, 2, 1, buf);
    EXPECT_EQ(graphicsStatus(), status::altered);
    auto decoded = decodeBitmap(buf);
    ASSERT_TRUE(decoded.ok()) << describe(decoded.error);
    EXPECT_EQ(decoded.bitmap.width, 13);
    EXPECT_EQ(decoded.bitmap.height, 9);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 13; ++x)
            ASSERT_EQ(decoded.bitmap.index(x, y), c->canvas().pixel(x + 2, y + 1));
    EXPECT_EQ(decoded.bitmap.colourTable[12], (Rgb{255, 0, 0}));
    EXPECT_EQ(buf[2] | buf[3] << 8, int(buf.size())); // file size written by the capture

    // A buffer too small for the picture is left alone.
    std::vector<uint8_t> small(buf.size() - 1, 0xEE);
    c->get_image(2, 1, 14, 9, small);
    EXPECT_EQ(graphicsStatus(), status::failed);
    EXPECT_TRUE(std::ranges::all_of(small, [](uint8_t b) { return b == 0xEE; }));

    // Pixels past the canvas edge read as 0; the origin shifts the rectangle.
    c->setViewOrigin(10, 0);
    std::vector<uint8_t> edge(size_t(c->image_size(0, 0, 19, 0)));
    c->get_image(0, 0, 19, 0, edge);
    auto e = decodeBitmap(edge);
    ASSERT_TRUE(e.ok());
    for (int x = 0; x < 20; ++x)
        EXPECT_EQ(e.bitmap.index(x, 0), x < 10 ? c->canvas().pixel(x + 10, 0) : 0);

    // A 24-bit capture stores colours.
    auto t = makeCanvas(4, 2, 256, 10, 18, CanvasOptions{24, 24});
    t->set_colour(10);
    t->draw_ellipse(3, 1, 0, 1, 0);
    std::vector<uint8_t> tb(size_t(t->image_size(0, 0, 3, 1)));
    t->get_image(0, 0, 3, 1, tb);
    auto td = decodeBitmap(tb);
    ASSERT_TRUE(td.ok());
    EXPECT_EQ(td.bitmap.bitsPerPixel, 24);
    EXPECT_EQ(td.bitmap.colour(1, 0), (Rgb{0, 255, 0}));
    EXPECT_EQ(td.bitmap.colour(0, 0), (Rgb{0, 0, 0}));
}

// The canvas itself reports each operation's status, value and damage and leaves the
// process-wide status alone: only its window records that.
TEST(CanvasResults, OperationsReturnTheirOutcome)
{
    Canvas c = newCanvas(40, 36);
    setGraphicsStatus(99);
    const std::vector<std::pair<std::string, CanvasResult>> rows = {
        {"set_colour", c.set_colour(300)},
        {"set_colour back", c.set_colour(9)},
        {"ellipse swapped", c.draw_ellipse(3, 12, 10, 2, 0)},
        {"ellipse bad control", c.draw_ellipse(4, 0, 0, 5, 5)},
        {"viewport outside", c.setViewport(100, 100, 120, 120)},
        {"text window clamped", c.setTextWindow(1, 1, 9, 9)},
        {"out_text", c.out_text("ab")},
        {"clear text window", c.clear_screen(2)},
        {"clear bad area", c.clear_screen(3)},
        {"image_size", c.image_size(0, 0, 3, 1)},
        {"put_image bad action", c.put_image(0, 0, solidImage(2, 2, {0, 0, 255}), 99)},
        {"put_image unreadable", c.put_image(0, 0, std::vector<uint8_t>(10, 7), 3)},
        {"remap short", c.remap_all_palette(std::vector<uint32_t>(3, 0))},
    };
    const std::vector<CanvasResult> expected = {
        {status::altered, 15, {}},
        {status::ok, 255, {}},
        {status::altered, 1, Rect{2, 0, 11, 11}},
        {status::failed, 0, {}},
        {status::invalid, 0, {}},
        {status::altered, 0, {}},
        {status::ok, 0, Rect{0, 0, 20, 18}},
        {status::ok, 1, Rect{0, 0, 40, 36}},
        {status::invalid, 0, {}},
        {status::ok, 1078 + 4 * 2, {}},
        {status::invalid, 0, {}},
        {status::failed, 0, {}},
        {status::invalid, -1, {}},
    };
    ASSERT_EQ(rows.size(), expected.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        const CanvasResult& r = rows[i].second;
        EXPECT_EQ(r, expected[i]) << rows[i].first << ": status " << r.status << ", value " << r.value << ", damage "
                                  << r.damage.x << "," << r.damage.y << " " << r.damage.width << "x" << r.damage.height;
    }
    EXPECT_EQ(graphicsStatus(), 99);
    setGraphicsStatus(status::ok);
}

// A whole-window clear after drawing leaves every pixel in the background colour, whether the
// colour is the one the canvas last was or a new one.
TEST(CanvasClear, WholeClearsAfterDrawingLeaveOneColour)
{
    Canvas c = newCanvas(30, 40);
    for (int16_t background : {0, 0, 5, 5, 0}) {
        (void)c.set_colour(12);
        (void)c.draw_ellipse(3, 3, 20, 14, 33);
        (void)c.out_text("x");
        (void)c.setBackgroundColour(background);
        (void)c.clear_screen(0);
        for (uint8_t p : c.pixels())
            ASSERT_EQ(p, background);
    }
}

TEST(RecentCache, KeepsTheLatestEntriesAndForgetsTheOldest)
{
    RecentCache<int, std::string, 2> cache;
    auto equals = [](int key) { return [key](int k) { return k == key; }; };
    EXPECT_EQ(cache.find(equals(1)), nullptr);
    cache.insert(1) = "one";
    cache.insert(2) = "two";
    ASSERT_NE(cache.find(equals(1)), nullptr);
    EXPECT_EQ(*cache.find(equals(1)), "one");
    cache.insert(3) = "three"; // takes the oldest place, 1's
    EXPECT_EQ(cache.find(equals(1)), nullptr);
    EXPECT_EQ(*cache.find(equals(2)), "two");
    EXPECT_EQ(*cache.find(equals(3)), "three");
    cache.clear();
    EXPECT_EQ(cache.find(equals(2)), nullptr);
    EXPECT_EQ(cache.find(equals(3)), nullptr);
}
