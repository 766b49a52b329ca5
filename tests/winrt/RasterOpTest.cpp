#include "CanvasTestUtil.h"

#include "winrt/RasterOp.h"

#include <gtest/gtest.h>

using namespace winrt;
using namespace winrt::testing;

namespace {

// Four destination pixels, four image pixels and the brush, chosen so that every bit
// combination of D, S and P occurs in some pixel.
constexpr std::array<uint8_t, 4> kDest = {0x0F, 0x33, 0xAA, 0xF0};
constexpr std::array<uint8_t, 4> kSource = {0x55, 0x0F, 0xFF, 0x00};
constexpr uint8_t kBrush = 0x3C;

struct Case {
    int16_t action;
    unsigned (*expected)(unsigned d, unsigned s, unsigned p);
};

// Each action with its truth table written out as bit operations on (D, S, P).
const std::vector<Case> kCases = {
    {0, [](unsigned d, unsigned s, unsigned) { return d | s; }},
    {134, [](unsigned d, unsigned s, unsigned) { return d | s; }},
    {1, [](unsigned d, unsigned s, unsigned) { return d & s; }},
    {198, [](unsigned d, unsigned s, unsigned) { return d & s; }},
    {2, [](unsigned, unsigned s, unsigned) { return ~s; }},
    {8, [](unsigned, unsigned s, unsigned) { return ~s; }},
    {3, [](unsigned, unsigned s, unsigned) { return s; }},
    {32, [](unsigned, unsigned s, unsigned) { return s; }},
    {4, [](unsigned d, unsigned s, unsigned) { return d ^ s; }},
    {70, [](unsigned d, unsigned s, unsigned) { return d ^ s; }},
    {9, [](unsigned d, unsigned, unsigned) { return ~d; }},
    {33, [](unsigned, unsigned, unsigned p) { return p; }},
    {66, [](unsigned, unsigned, unsigned) { return 0u; }},
    {73, [](unsigned d, unsigned, unsigned p) { return p ^ d; }},
    {98, [](unsigned, unsigned, unsigned) { return ~0u; }},
    {166, [](unsigned d, unsigned s, unsigned) { return ~(d | s); }},
    {202, [](unsigned, unsigned s, unsigned p) { return p & s; }},
    {550, [](unsigned d, unsigned s, unsigned) { return ~s | d; }},
    {808, [](unsigned d, unsigned s, unsigned) { return s & ~d; }},
    {2569, [](unsigned d, unsigned s, unsigned p) { return p | ~s | d; }},
};

// A 4 x 1 canvas of the given colours with distinct palette colours, its pixels set to D by
// copying an image.
std::unique_ptr<WindowCanvas> canvasWithDest(int colours, const std::array<uint8_t, 4>& dest)
{
    auto c = makeCanvas(4, 1, colours, 1, 1);
    auto pal = distinctPalette();
    if (colours > 20) {
        EXPECT_EQ(c->remap_all_palette(std::span(pal).first(size_t(colours))), 0);
    }
    std::vector<Rgb> table;
    for (int i = 0; i < colours; ++i)
        table.push_back(c->canvas().paletteEntry(i));
    c->put_image(0, 0, indexedImage(4, 1, {dest.begin(), dest.end()}, table), 3);
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(c->canvas().pixel(x, 0), dest[size_t(x)]);
    return c;
}

} // namespace

TEST(RasterOp, ActionCodes)
{
    for (const auto& k : kCases)
        EXPECT_TRUE(rasterOpForAction(k.action).has_value()) << k.action;
    for (int bad : {5, 6, 7, -1, 10, 31, 135, 0x20CC, 0x0086 + 0x100, -32768})
        EXPECT_FALSE(rasterOpForAction(int16_t(bad)).has_value()) << bad;
    EXPECT_FALSE(rasterOpUsesSource(RasterOp::Black));
    EXPECT_TRUE(rasterOpUsesSource(RasterOp::Or));
}

// Every action on a 256-colour canvas, pixel by pixel.
TEST(RasterOp, EveryActionOnA256ColourCanvas)
{
    const auto pal = asRgb(distinctPalette());
    for (const auto& k : kCases) {
        SCOPED_TRACE(k.action);
        auto c = canvasWithDest(256, kDest);
        c->set_colour(kBrush);
        c->put_image(0, 0, indexedImage(4, 1, {kSource.begin(), kSource.end()}, pal), k.action);
        EXPECT_EQ(graphicsStatus(), status::ok);
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(c->canvas().pixel(x, 0), uint8_t(k.expected(kDest[x], kSource[x], kBrush) & 0xFF))
                << "pixel " << x;
        EXPECT_TRUE(c->canvas().changed());
    }
}

// On a 16-colour canvas the operations work on 4-bit indices.
TEST(RasterOp, EveryActionOnA16ColourCanvas)
{
    const std::array<uint8_t, 4> dest = {0x3, 0x5, 0xA, 0xC};
    const std::array<uint8_t, 4> source = {0x6, 0x9, 0xF, 0x0};
    const uint8_t brush = 0x7;
    for (const auto& k : kCases) {
        SCOPED_TRACE(k.action);
        auto c = canvasWithDest(16, dest);
        std::vector<Rgb> table;
        for (int i = 0; i < 16; ++i)
            table.push_back(c->canvas().paletteEntry(i));
        c->set_colour(brush);
        c->put_image(0, 0, indexedImage(4, 1, {source.begin(), source.end()}, table), k.action);
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(c->canvas().pixel(x, 0), k.expected(dest[x], source[x], brush) & 0xF) << "pixel " << x;
    }
}

// With a colour count that is not a power of two a result past the palette becomes the last
// entry, so that no pixel names a colour that does not exist.
TEST(RasterOp, ResultsStayInsideAnOddSizedPalette)
{
    const std::array<uint8_t, 4> dest = {1, 2, 16, 20};
    auto c = canvasWithDest(24, dest);
    c->put_image(0, 0, solidImage(4, 1, {0, 0, 0}), 98); // all bits set
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(c->canvas().pixel(x, 0), 23);
    auto d = canvasWithDest(24, dest);
    d->put_image(0, 0, solidImage(4, 1, {0, 0, 0}), 9); // not D
    EXPECT_EQ(d->canvas().pixel(0, 0), 23);             // ~1 & 0xFF = 254
    for (uint8_t p : d->canvas().pixels())
        EXPECT_LT(p, 24);
}

// The fill brush of the pattern actions follows the fill mask.
TEST(RasterOp, PatternActionsUseTheFillMask)
{
    auto c = makeCanvas(8, 2, 256, 1, 1);
    c->set_colour(6);
    c->setFillMask(std::array<uint8_t, 8>{0xF0, 0x0F, 0, 0, 0, 0, 0, 0});
    c->put_image(0, 0, solidImage(8, 2, {0, 0, 0}), 33);
    for (int x = 0; x < 8; ++x) {
        EXPECT_EQ(c->canvas().pixel(x, 0), x < 4 ? 6 : 0);
        EXPECT_EQ(c->canvas().pixel(x, 1), x < 4 ? 0 : 6);
    }
}
