#include "platform/headless/BuiltinGlyphs.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

using namespace platform;

namespace {

std::vector<uint8_t> render(unsigned char ch, int w = 10, int h = 18)
{
    std::vector<uint8_t> mask(size_t(w) * size_t(h), 77); // garbage the source must overwrite
    platform::BuiltinGlyphs().renderGlyph(ch, w, h, mask);
    return mask;
}

int ink(const std::vector<uint8_t>& mask)
{
    int n = 0;
    for (uint8_t v : mask)
        n += v >= 128;
    return n;
}

} // namespace

// The progress dot is a small mark in the lower part of the cell.
TEST(BuiltinGlyphs, DotIsSmallAndLow)
{
    for (auto [w, h] : {std::pair{10, 18}, {8, 16}, {6, 9}, {20, 36}}) {
        auto mask = render('.', w, h);
        int n = ink(mask);
        EXPECT_GT(n, 0) << w << "x" << h;
        EXPECT_LE(n, (w / 6) * (h / 9) + 1);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (mask[size_t(y * w + x)] >= 128) {
                    EXPECT_GE(y, h * 2 / 3) << "ink at row " << y << " of " << h;
                }
    }
}

TEST(BuiltinGlyphs, PrintableCharactersAreDistinctAndStable)
{
    std::set<std::vector<uint8_t>> seen;
    for (int ch = 33; ch <= 126; ++ch) {
        auto mask = render(uint8_t(ch));
        EXPECT_GT(ink(mask), 0) << char(ch);
        EXPECT_EQ(mask, render(uint8_t(ch))) << char(ch);
        for (uint8_t v : mask)
            ASSERT_TRUE(v == 0 || v == 255);
        EXPECT_TRUE(seen.insert(mask).second) << "'" << char(ch) << "' looks like another character";
    }
    // Ink stays off the last column, so neighbouring cells never touch.
    for (int ch = 33; ch <= 126; ++ch) {
        auto mask = render(uint8_t(ch));
        for (int y = 0; y < 18; ++y)
            EXPECT_LT(mask[size_t(y * 10 + 9)], 128) << char(ch);
    }
}

TEST(BuiltinGlyphs, UnknownCharactersAndTinyCellsAreBlank)
{
    for (unsigned char ch : {uint8_t(' '), uint8_t(0), uint8_t(7), uint8_t(127), uint8_t(200), uint8_t(255)})
        EXPECT_EQ(ink(render(ch)), 0) << int(ch);
    // A cell smaller than the font is clipped, not overrun.
    std::vector<uint8_t> tiny(3 * 4 + 5, 9);
    platform::BuiltinGlyphs().renderGlyph('W', 3, 4, std::span(tiny).first(12));
    for (size_t i = 12; i < tiny.size(); ++i)
        EXPECT_EQ(tiny[i], 9);
    // A mask shorter than the cell is left alone rather than overrun.
    std::vector<uint8_t> shortMask(10, 9);
    platform::BuiltinGlyphs().renderGlyph('W', 10, 18, shortMask);
}
