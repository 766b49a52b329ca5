#include "CanvasTestUtil.h"

#include <gtest/gtest.h>

using namespace winrt;
using namespace winrt::testing;

namespace {

uint32_t u32(const std::vector<uint8_t>& b, size_t at)
{
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}
uint16_t u16(const std::vector<uint8_t>& b, size_t at) { return uint16_t(b[at] | b[at + 1] << 8); }

} // namespace

TEST(BitmapFile, LayoutSizes)
{
    EXPECT_EQ(bitmapRowBytes(21, 8), 24);
    EXPECT_EQ(bitmapRowBytes(33, 8), 36);
    EXPECT_EQ(bitmapRowBytes(800, 8), 800);
    EXPECT_EQ(bitmapRowBytes(1, 1), 4);
    EXPECT_EQ(bitmapRowBytes(33, 1), 8);
    EXPECT_EQ(bitmapRowBytes(9, 4), 8);
    EXPECT_EQ(bitmapRowBytes(3, 24), 12);
    EXPECT_EQ(bitmapHeaderBytes(1), 62);
    EXPECT_EQ(bitmapHeaderBytes(4), 118);
    EXPECT_EQ(bitmapHeaderBytes(8), 1078);
    EXPECT_EQ(bitmapHeaderBytes(24), 54);
    EXPECT_EQ(bitmapHeaderBytes(2), -1);
    EXPECT_EQ(bitmapFileSize(21, 25, 8), 1678);
    EXPECT_EQ(bitmapFileSize(33, 33, 8), 2266);
}

// Saving a 256-colour 800 x 600 canvas: 1078 bytes of headers and colour table, then 600 rows
// of 800 bytes, bottom row first.
TEST(BitmapFile, WholeCanvasAtEightBits)
{
    auto c = makeCanvas(800, 600, 256);
    c->set_colour(68);
    c->draw_ellipse(3, 0, 590, 9, 599); // near the bottom left corner
    auto pal = distinctPalette();
    c->remap_all_palette(pal);
    auto file = encodeBitmap(c->canvas());
    ASSERT_EQ(file.size(), 1078u + 600u * 800u);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(u32(file, 2), file.size());
    EXPECT_EQ(u32(file, 6), 0u);
    EXPECT_EQ(u32(file, 10), 1078u);
    EXPECT_EQ(u32(file, 14), 40u);
    EXPECT_EQ(u32(file, 18), 800u);
    EXPECT_EQ(u32(file, 22), 600u);
    EXPECT_EQ(u16(file, 26), 1);
    EXPECT_EQ(u16(file, 28), 8);
    EXPECT_EQ(u32(file, 30), 0u);
    EXPECT_EQ(u32(file, 34), 600u * 800u);
    for (size_t at = 38; at < 54; at += 4)
        EXPECT_EQ(u32(file, at), 0u);
    for (size_t i = 0; i < 256; ++i) {
        Rgb p = Rgb::fromPaletteValue(pal[i]);
        ASSERT_EQ(file[54 + 4 * i], p.blue);
        ASSERT_EQ(file[55 + 4 * i], p.green);
        ASSERT_EQ(file[56 + 4 * i], p.red);
        ASSERT_EQ(file[57 + 4 * i], 0);
    }
    // The first stored row is the canvas's bottom row.
    EXPECT_EQ(file[1078 + 5], c->canvas().pixel(5, 599));
    EXPECT_EQ(file[1078 + 5], 68);
    EXPECT_EQ(file[1078 + 599 * 800 + 5], c->canvas().pixel(5, 0));
}

// A 21-pixel-wide picture has 24-byte rows; the padding is written as 0.
TEST(BitmapFile, RowsArePaddedToFourBytes)
{
    auto c = makeCanvas(21, 3, 16);
    c->set_colour(14);
    c->draw_ellipse(3, 0, 0, 20, 2);
    auto file = encodeBitmap(c->canvas());
    ASSERT_EQ(file.size(), 1078u + 3u * 24u);
    for (int row = 0; row < 3; ++row) {
        for (int x = 0; x < 21; ++x)
            EXPECT_EQ(file[size_t(1078 + row * 24 + x)], c->canvas().pixel(x, 2 - row));
        for (int x = 21; x < 24; ++x)
            EXPECT_EQ(file[size_t(1078 + row * 24 + x)], 0);
    }
    // Colour-table entries past a 16-colour palette are 0.
    EXPECT_EQ(u32(file, 54 + 4 * 15), 0xFFFFFFu);
    for (size_t i = 16; i < 256; ++i)
        ASSERT_EQ(u32(file, 54 + 4 * i), 0u);

    // A region of the canvas, partly outside it.
    auto region = encodeBitmap(c->canvas(), Rect{19, 1, 4, 1});
    auto d = decodeBitmap(region);
    ASSERT_TRUE(d.ok());
    EXPECT_EQ(d.bitmap.width, 4);
    EXPECT_EQ(d.bitmap.index(0, 0), c->canvas().pixel(19, 1));
    EXPECT_EQ(d.bitmap.index(1, 0), c->canvas().pixel(20, 1));
    EXPECT_EQ(d.bitmap.index(2, 0), 0);
}

// What the encoder writes the decoder reads back, at every depth.
TEST(BitmapFile, RoundTripEveryDepth)
{
    const int w = 13, h = 5;
    std::vector<Rgb> pal;
    for (int i = 0; i < 256; ++i)
        pal.push_back({uint8_t(i * 8), uint8_t(255 - i), uint8_t(i * 3)});
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        SCOPED_TRACE(bits);
        std::vector<uint8_t> idx;
        const int levels = bits <= 8 ? 1 << bits : 256;
        for (int i = 0; i < w * h; ++i)
            idx.push_back(uint8_t((i * 7 + i / 3) % levels));
        auto file = encodeBitmap(w, h, idx, pal, bits);
        ASSERT_EQ(int64_t(file.size()), bitmapFileSize(w, h, bits));
        auto d = decodeBitmap(file);
        ASSERT_TRUE(d.ok()) << describe(d.error);
        EXPECT_EQ(d.bitmap.width, w);
        EXPECT_EQ(d.bitmap.height, h);
        EXPECT_EQ(d.bitmap.bitsPerPixel, bits);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                uint8_t i = idx[size_t(y * w + x)];
                Rgb want = pal[i];
                if (bits == 16) // five bits a channel
                    want = {uint8_t((want.red >> 3) * 255 / 31), uint8_t((want.green >> 3) * 255 / 31),
                            uint8_t((want.blue >> 3) * 255 / 31)};
                if (bits <= 8) {
                    ASSERT_EQ(d.bitmap.index(x, y), i);
                }
                if (bits == 16) {
                    ASSERT_NEAR(d.bitmap.colour(x, y).red, want.red, 1);
                    ASSERT_NEAR(d.bitmap.colour(x, y).green, want.green, 1);
                    ASSERT_NEAR(d.bitmap.colour(x, y).blue, want.blue, 1);
                } else {
                    ASSERT_EQ(d.bitmap.colour(x, y), want) << x << "," << y;
                }
            }
    }
    EXPECT_TRUE(encodeBitmap(2, 2, std::vector<uint8_t>(3), pal, 8).empty()); // too few indices
    EXPECT_TRUE(encodeBitmap(2, 2, std::vector<uint8_t>(4), pal, 12).empty());
}

TEST(BitmapFile, DecoderErrors)
{
    std::vector<Rgb> pal = {{1, 2, 3}, {4, 5, 6}};
    auto good = encodeBitmap(3, 2, std::vector<uint8_t>{0, 1, 0, 1, 0, 1}, pal, 4);
    ASSERT_TRUE(decodeBitmap(good).ok());
    for (size_t n = 0; n < good.size(); ++n) {
        std::vector<uint8_t> prefix(good.begin(), good.begin() + ptrdiff_t(n));
        auto d = decodeBitmap(prefix);
        ASSERT_FALSE(d.ok()) << n;
        EXPECT_TRUE(d.bitmap.pixels.empty());
    }
    EXPECT_EQ(decodeBitmap({}).error, BitmapError::Truncated);
    auto withColoursUsed = [&](uint32_t used) {
        auto b = good;
        b[46] = uint8_t(used);
        return decodeBitmap(b);
    };
    // Two colours used: the table is 2 entries and the pixels name only 0 and 1.
    auto two = withColoursUsed(2);
    ASSERT_TRUE(two.ok());
    EXPECT_EQ(two.bitmap.colourTable.size(), 2u);
    EXPECT_EQ(two.bitmap.colour(1, 0), (Rgb{4, 5, 6}));
    EXPECT_EQ(withColoursUsed(1).error, BitmapError::IndexOutOfTable);

    auto bad = good;
    bad[28] = 3;
    EXPECT_EQ(decodeBitmap(bad).error, BitmapError::UnsupportedFormat);
    bad = good;
    bad[26] = 2;
    EXPECT_EQ(decodeBitmap(bad).error, BitmapError::BadHeader);
    bad = good;
    bad[10] = 60; // the bits would start inside the colour table
    EXPECT_EQ(decodeBitmap(bad).error, BitmapError::BadOffset);
    bad = good;
    bad[18] = 0;
    EXPECT_EQ(decodeBitmap(bad).error, BitmapError::BadSize);
    EXPECT_FALSE(describe(BitmapError::Truncated).empty());
}
