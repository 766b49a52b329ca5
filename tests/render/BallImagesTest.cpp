#include "platform/headless/BuiltinGlyphs.h"
#include "render/BallImages.h"
#include "render/Palette.h"

#include "winrt/BitmapFile.h"
#include "winrt/WindowCanvas.h"

#include <gtest/gtest.h>

#include <array>

using winrt::Rgb;

namespace {

uint32_t u32(std::span<const uint8_t> b, size_t at)
{
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

Rgb paletteColour(int index) { return Rgb::fromPaletteValue(render::kApplicationPalette[size_t(index)]); }

const platform::BuiltinGlyphs& glyphs()
{
    static platform::BuiltinGlyphs g;
    return g;
}

// The canvas index a ball-image table entry lands on once the application palette is installed.
uint8_t canvasIndexFor(uint8_t imageEntry)
{
    if (imageEntry == 10 || imageEntry == 42)
        return 0; // black
    if (imageEntry == 19)
        return 9; // red
    if (imageEntry >= 90 && imageEntry <= 99)
        return uint8_t(80 + (imageEntry - 90)); // green shade d is the green ramp's entry 80 + d
    ADD_FAILURE() << "entry " << int(imageEntry) << " not expected in the mark";
    return 0;
}

} // namespace

TEST(ApplicationPalette, EntriesAfterInstall)
{
    winrt::WindowCanvas c(*winrt::Canvas::create(50, 20, 256, 10, 18, glyphs()));
    render::installPalette(c);
    EXPECT_EQ(c.canvas().paletteEntry(68), (Rgb{85, 85, 170}));
    EXPECT_EQ(c.canvas().paletteEntry(63), (Rgb{0, 255, 0}));
    EXPECT_EQ(c.canvas().paletteEntry(79), (Rgb{0, 0, 0}));
    EXPECT_EQ(c.canvas().paletteEntry(89), (Rgb{119, 246, 119}));
    EXPECT_EQ(c.canvas().paletteEntry(105), (Rgb{246, 246, 119}));
    EXPECT_EQ(c.canvas().paletteEntry(15), (Rgb{255, 119, 0}));
    EXPECT_EQ(c.canvas().paletteEntry(62), (Rgb{255, 255, 255}));
    EXPECT_EQ(c.canvas().paletteEntry(64), (Rgb{85, 85, 102}));
    EXPECT_EQ(c.canvas().paletteEntry(73), (Rgb{85, 85, 255}));
    EXPECT_EQ(c.canvas().paletteEntry(80), (Rgb{119, 147, 119}));
    EXPECT_EQ(c.canvas().paletteEntry(95), (Rgb{0, 0, 0}));
    EXPECT_EQ(c.canvas().paletteEntry(96), (Rgb{147, 147, 119}));
    EXPECT_EQ(c.canvas().paletteEntry(1), (Rgb{119, 255, 119}));
    EXPECT_EQ(c.canvas().paletteEntry(9), (Rgb{255, 0, 0}));
    for (int i : {16, 40, 61, 74, 78, 90, 94, 106, 200, 255})
        EXPECT_EQ(c.canvas().paletteEntry(i), (Rgb{0, 0, 0})) << i;
    // Installing twice gives the same table.
    render::installPalette(c);
    EXPECT_EQ(c.canvas().paletteEntry(68), (Rgb{85, 85, 170}));

    // A 16-colour window keeps the runtime's default palette.
    winrt::WindowCanvas small(*winrt::Canvas::create(50, 20, 16, 10, 18, glyphs()));
    render::installPalette(small);
    EXPECT_EQ(winrt::graphicsStatus(), winrt::status::failed);
    EXPECT_EQ(small.canvas().paletteEntry(15), (Rgb{255, 255, 255}));
}

TEST(BallImages, Headers)
{
    struct Expect {
        std::span<const uint8_t> image;
        uint32_t width, height, imageSize, fileSize;
    };
    for (const auto& e :
         {Expect{render::shadeImage(), 21, 25, 600, 1678}, Expect{render::markImage(), 33, 33, 1188, 2266}}) {
        auto b = e.image;
        ASSERT_EQ(b.size(), e.fileSize);
        EXPECT_EQ(b[0], 'B');
        EXPECT_EQ(b[1], 'M');
        EXPECT_EQ(u32(b, 2), e.fileSize);
        EXPECT_EQ(u32(b, 6), 0u);
        EXPECT_EQ(u32(b, 10), 1078u);
        EXPECT_EQ(u32(b, 14), 40u);
        EXPECT_EQ(u32(b, 18), e.width);
        EXPECT_EQ(u32(b, 22), e.height);
        EXPECT_EQ(b[26] | b[27] << 8, 1);
        EXPECT_EQ(b[28] | b[29] << 8, 8);
        EXPECT_EQ(u32(b, 30), 0u);
        EXPECT_EQ(u32(b, 34), e.imageSize);
        for (size_t at = 38; at < 54; at += 4)
            EXPECT_EQ(u32(b, at), 0u);
    }
}

TEST(BallImages, ColourTable)
{
    auto d = winrt::decodeBitmap(render::markImage());
    ASSERT_TRUE(d.ok());
    const auto& t = d.bitmap.colourTable;
    ASSERT_EQ(t.size(), 256u);
    EXPECT_EQ(t[1], (Rgb{128, 0, 0}));
    EXPECT_EQ(t[8], (Rgb{192, 220, 192}));
    EXPECT_EQ(t[9], (Rgb{166, 202, 240}));
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(t[size_t(10 + i)], paletteColour(i)) << i;
    EXPECT_EQ(t[19], (Rgb{255, 0, 0}));
    EXPECT_EQ(t[42], (Rgb{0, 0, 0}));
    EXPECT_EQ(t[72], (Rgb{255, 255, 255}));
    EXPECT_EQ(t[73], (Rgb{0, 255, 0}));
    for (int dd = 0; dd < 10; ++dd) {
        uint8_t v = uint8_t(147 + 11 * dd);
        EXPECT_EQ(t[size_t(74 + dd)], (Rgb{119, 119, v}));
        EXPECT_EQ(t[size_t(90 + dd)], (Rgb{119, v, 119}));
        EXPECT_EQ(t[size_t(106 + dd)], (Rgb{v, v, 119}));
    }
    for (int i : {26, 71, 84, 89, 100, 105, 116, 245})
        EXPECT_EQ(t[size_t(i)], (Rgb{0, 0, 0})) << i;
    EXPECT_EQ(t[246], (Rgb{255, 251, 240}));
    EXPECT_EQ(t[247], (Rgb{160, 160, 164}));
    EXPECT_EQ(t[255], (Rgb{255, 255, 255}));
    // Both pictures carry the same table (bytes 54..1077).
    auto shade = render::shadeImage(), mark = render::markImage();
    EXPECT_TRUE(std::equal(shade.begin() + 54, shade.begin() + 1078, mark.begin() + 54));
}

TEST(BallImages, PixelsUseOnlyTheirEntriesAndAreStoredBottomUp)
{
    auto shade = winrt::decodeBitmap(render::shadeImage());
    auto mark = winrt::decodeBitmap(render::markImage());
    ASSERT_TRUE(shade.ok());
    ASSERT_TRUE(mark.ok());
    for (uint8_t i : shade.bitmap.indices)
        ASSERT_TRUE(i == 42 || (i >= 74 && i <= 83)) << int(i);
    for (uint8_t i : mark.bitmap.indices)
        ASSERT_TRUE(i == 10 || i == 42 || i == 19 || (i >= 90 && i <= 99)) << int(i);

    // Shade: black corner pixels on the left side only; a flat bright core.
    EXPECT_EQ(shade.bitmap.index(0, 0), 42);
    EXPECT_EQ(shade.bitmap.index(1, 0), 42);
    EXPECT_EQ(shade.bitmap.index(2, 0), 74);
    EXPECT_EQ(shade.bitmap.index(20, 0), 74);
    EXPECT_EQ(shade.bitmap.index(0, 24), 42);
    EXPECT_EQ(shade.bitmap.index(10, 12), 83);
    EXPECT_EQ(shade.bitmap.index(0, 12), 78);  // "456789..." on the middle row
    EXPECT_EQ(shade.bitmap.index(20, 12), 80); // "...876": brighter on the right
    // The stored first row is the picture's bottom row.
    auto raw = render::shadeImage();
    EXPECT_EQ(raw[1078], 42);
    EXPECT_EQ(raw[1078 + 21], 0); // row padding

    // Mark: the letter A is not symmetric top to bottom, so it shows the row order.
    EXPECT_EQ(mark.bitmap.index(14, 11), 19); // ".o012345567889###..." (row 11)
    EXPECT_EQ(mark.bitmap.index(14, 21), 99); // ".o012345567##99999##..." (row 21)
    EXPECT_EQ(mark.bitmap.index(11, 21), 19);
    EXPECT_EQ(mark.bitmap.index(0, 0), 10);
    EXPECT_EQ(mark.bitmap.index(13, 0), 42);
    EXPECT_EQ(mark.bitmap.index(16, 16), 99);
    int red = 0;
    for (uint8_t i : mark.bitmap.indices)
        red += i == 19;
    EXPECT_EQ(red, 3 + 3 + 4 * 3 + 4 + 7 * 2 + 4 * 3); // the A's pixels, row by row
}

// ORed onto a black canvas the mark shows its disc and its red A in the application palette.
TEST(BallImages, MarkOrOnBlackShowsDiscAndLetter)
{
    winrt::WindowCanvas c(*winrt::Canvas::create(40, 40, 256, 10, 18, glyphs()));
    render::installPalette(c);
    c.put_image(3, 4, render::markImage(), 0);
    EXPECT_EQ(winrt::graphicsStatus(), winrt::status::ok);
    auto mark = winrt::decodeBitmap(render::markImage());
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
            bool inside = x >= 3 && x < 36 && y >= 4 && y < 37;
            uint8_t want = inside ? canvasIndexFor(mark.bitmap.index(x - 3, y - 4)) : 0;
            ASSERT_EQ(c.canvas().pixel(x, y), want) << x << "," << y;
        }
    EXPECT_EQ(c.canvas().pixelColour(3 + 14, 4 + 11), (Rgb{255, 0, 0}));
    EXPECT_EQ(c.canvas().pixelColour(3 + 16, 4 + 16), (Rgb{119, 246, 119}));
}

// The ball as the scene draws it: black disc, blue disc, shade copied, mark ORed. Outside the
// disc the mark leaves the canvas as it was.
TEST(BallImages, BallWithShadeAndMark)
{
    winrt::WindowCanvas c(*winrt::Canvas::create(50, 50, 256, 10, 18, glyphs()));
    render::installPalette(c);
    c.setBackgroundColour(14);
    c.clear_screen(0);
    const int x = 6, y = 8;
    c.set_colour(render::Black);
    c.draw_ellipse(3, x, y, x + 32, y + 32);
    c.set_colour(render::BallBlue);
    c.draw_ellipse(3, x + 1, y + 1, x + 31, y + 31);
    EXPECT_EQ(c.canvas().pixel(x + 16, y + 16), 68);
    EXPECT_EQ(c.canvas().pixel(x + 16, y), 0);
    EXPECT_EQ(c.canvas().pixel(x, y), 14);

    c.put_image(int16_t(x + 5), int16_t(y + 5), render::shadeImage(), 3);
    // Each shade lands on the palette colour nearest by squared RGB distance: the brighter
    // blues on the blue ramp, the two darkest on the first green-ramp entry (119, 147, 119),
    // which is nearer to (119, 119, 147) and (119, 119, 158) than any blue of the ramp.
    const std::array<uint8_t, 10> shadeToCanvas = {80, 80, 68, 69, 69, 70, 71, 71, 72, 72};
    auto shade = winrt::decodeBitmap(render::shadeImage());
    for (int j = 0; j < 25; ++j)
        for (int i = 0; i < 21; ++i) {
            uint8_t e = shade.bitmap.index(i, j);
            uint8_t want = e == 42 ? 0 : shadeToCanvas[size_t(e - 74)];
            ASSERT_EQ(c.canvas().pixel(x + 5 + i, y + 5 + j), want) << i << "," << j;
        }
    EXPECT_EQ(c.canvas().pixelColour(x + 5 + 10, y + 5 + 12), (Rgb{85, 85, 238}));

    std::vector<uint8_t> before(c.canvas().pixels().begin(), c.canvas().pixels().end());
    c.put_image(int16_t(x), int16_t(y), render::markImage(), 0);
    auto mark = winrt::decodeBitmap(render::markImage());
    for (int j = 0; j < 33; ++j)
        for (int i = 0; i < 33; ++i) {
            uint8_t e = mark.bitmap.index(i, j);
            uint8_t old = before[size_t((y + j) * 50 + x + i)];
            uint8_t got = c.canvas().pixel(x + i, y + j);
            ASSERT_EQ(got, uint8_t(old | canvasIndexFor(e))) << i << "," << j;
            if (e == 10 || e == 42) {
                ASSERT_EQ(got, old);
            }
        }
    EXPECT_EQ(c.canvas().pixel(x, y), 14); // the corner outside the disc keeps the background
}

// Any prefix of a ball image is refused without drawing or reading past its end.
TEST(BallImages, TruncatedImageIsRefused)
{
    winrt::WindowCanvas c(*winrt::Canvas::create(40, 40, 256, 10, 18, glyphs()));
    auto mark = render::markImage();
    for (size_t n :
         {size_t(0), size_t(13), size_t(54), size_t(1077), size_t(1078), mark.size() - 36, mark.size() - 1}) {
        std::vector<uint8_t> prefix(mark.begin(), mark.begin() + ptrdiff_t(n));
        c.put_image(0, 0, prefix, 0);
        EXPECT_EQ(winrt::graphicsStatus(), winrt::status::failed) << n;
    }
    for (uint8_t p : c.canvas().pixels())
        ASSERT_EQ(p, 0);
    EXPECT_FALSE(c.canvas().changed());
}
