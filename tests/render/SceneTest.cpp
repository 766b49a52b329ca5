#include "platform/headless/BuiltinGlyphs.h"
#include "render/Scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

using namespace render;
using geometry::AtomTable;

namespace {

struct Recorder final : geometry::ProgressOutput {
    std::string text;
    int clears = 0;
    void writeText(std::string_view t) override { text += t; }
    void clearWindow() override { ++clears; }
};

AtomTable& table()
{
    static AtomTable t;
    return t;
}

// Fills the table with count atoms whose depths come from depth(k); identity order.
template <typename F> AtomTable& fill(int count, F depth)
{
    AtomTable& t = table();
    t.count = count;
    for (int k = 1; k <= count; ++k) {
        t.frameX[k] = t.viewX[k] = float(k % 17) * 3.5f - 20.0f;
        t.frameY[k] = t.viewY[k] = float(k % 13) * -2.25f + 9.0f;
        t.frameZ[k] = t.viewZ[k] = depth(k);
        t.drawOrder[k] = k;
        t.species[k] = int16_t(k % 2);
    }
    return t;
}

// The walk exactly as described: every pair of the chain is compared, to the bottom.
void literalSort(std::vector<int>& order, const AtomTable& t)
{
    const int count = t.count;
    for (int gap = count / 2; gap > 0; gap /= 2)
        for (int v = gap; v <= count - 1; ++v)
            for (int j = v - gap + 1; j >= 1; j -= gap)
                if (t.viewZ[order[j]] > t.viewZ[order[j + gap]])
                    std::swap(order[j], order[j + gap]);
}

} // namespace

TEST(Scene, DegreeFunctions)
{
    EXPECT_EQ(cosDegrees(0.0f), 1.0f);
    EXPECT_EQ(sinDegrees(90.0f), 1.0f);
    EXPECT_EQ(cosDegrees(90.0f), 0.0f);
    EXPECT_EQ(cosDegrees(180.0f), -1.0f);
    EXPECT_EQ(sinDegrees(180.0f), 0.0f);
    EXPECT_EQ(sinDegrees(270.0f), -1.0f);
    EXPECT_EQ(cosDegrees(450.0f), 0.0f) << "reduced by 360 first";
    EXPECT_EQ(sinDegrees(-360.0f), 0.0f);
    EXPECT_FLOAT_EQ(cosDegrees(25.0f), 0.9063078f);
    EXPECT_FLOAT_EQ(cosDegrees(26.0f), 0.8987940f);
    EXPECT_FLOAT_EQ(sinDegrees(-30.0f), -0.5f);
    EXPECT_FLOAT_EQ(sinDegrees(1e30f), sinDegrees(std::fmod(1e30f, 360.0f)));
}

TEST(Scene, InsertionWalkMatchesTheLiteralWalk)
{
    std::mt19937 rng(12345);
    for (int count : {0, 1, 2, 3, 7, 50, 120, 999, 3000}) {
        for (int levels : {1, 2, 4, 64}) {
            std::uniform_int_distribution<int> pick(0, levels - 1);
            std::vector<float> depths(count + 1);
            for (auto& d : depths)
                d = -8.0f * float(pick(rng));
            AtomTable& t = fill(count, [&](int k) { return depths[k]; });
            std::vector<int> expected(t.drawOrder.begin(), t.drawOrder.begin() + count + 1);
            literalSort(expected, t);
            Recorder progress;
            sortByDepth(t, progress);
            for (int k = 1; k <= count; ++k)
                ASSERT_EQ(t.drawOrder[k], expected[k]) << "count " << count << " levels " << levels << " at " << k;
            for (int k = 2; k <= count; ++k)
                ASSERT_LE(t.viewZ[t.drawOrder[k - 1]], t.viewZ[t.drawOrder[k]]);
        }
    }
}

TEST(Scene, SortProgressDots)
{
    Recorder none;
    sortByDepth(fill(0, [](int) { return 0.0f; }), none);
    EXPECT_EQ(none.text, "");
    EXPECT_EQ(none.clears, 1);

    Recorder p;
    sortByDepth(fill(120, [](int k) { return float(-k); }), p);
    EXPECT_EQ(p.text, std::string(11, '.'));
    EXPECT_EQ(p.clears, 1);

    // 10000 atoms: more than 1000 dots pile up during the passes, so the window is cleared.
    Recorder big;
    sortByDepth(fill(10000, [](int k) { return float(k % 97); }), big);
    EXPECT_GT(big.clears, 1);
}

TEST(Scene, ViewTransforms)
{
    AtomTable& t = fill(40, [](int k) { return float(-k) * 1.5f; });
    Recorder p;
    ViewState state;
    EXPECT_FALSE(projectView(0.0f, 0.0f, t, state, p));
    for (int k = 1; k <= t.count; ++k) {
        EXPECT_EQ(t.viewX[k], t.frameX[k]);
        EXPECT_EQ(t.viewY[k], t.frameY[k]);
        EXPECT_EQ(t.viewZ[k], t.frameZ[k]);
    }
    EXPECT_FALSE(projectView(90.0f, 0.0f, t, state, p));
    for (int k = 1; k <= t.count; ++k) {
        EXPECT_EQ(t.viewX[k], t.frameY[k]);
        EXPECT_EQ(t.viewY[k], -t.frameX[k]);
        EXPECT_EQ(t.viewZ[k], t.frameZ[k]);
    }
    EXPECT_EQ(p.clears, 0) << "no re-sort, no clear";
}

TEST(Scene, ResortThreshold)
{
    AtomTable& t = fill(60, [](int k) { return float(-(k % 5)); });
    Recorder p;
    ViewState state;
    EXPECT_FALSE(projectView(0.0f, 25.0f, t, state, p));
    EXPECT_EQ(state.sortedTiltCos, 1.0f);
    EXPECT_TRUE(projectView(0.0f, 26.0f, t, state, p));
    EXPECT_EQ(state.sortedTiltCos, cosDegrees(26.0f));

    ViewState tilted;
    EXPECT_TRUE(projectView(0.0f, 30.0f, t, tilted, p));
    for (float rotation : {10.0f, 45.0f, 180.0f, -77.0f})
        EXPECT_FALSE(projectView(rotation, 30.0f, t, tilted, p));

    // Positive tilt: the lower part of the picture (larger y) comes nearer.
    fill(2, [](int) { return 0.0f; });
    t.frameY[1] = -10.0f;
    t.frameY[2] = 10.0f;
    ViewState s;
    projectView(0.0f, 40.0f, t, s, p);
    EXPECT_GT(t.viewZ[2], t.viewZ[1]);
    EXPECT_EQ(t.drawOrder[2], 2) << "the nearer atom is drawn last";

    Recorder r;
    resetViewCoordinates(t, r);
    EXPECT_EQ(t.viewZ[1], t.frameZ[1]);
    EXPECT_EQ(s.sortedTiltCos, cosDegrees(40.0f)) << "reset leaves the tilt reference alone";
    EXPECT_EQ(r.clears, 1);
}

TEST(Scene, BallCornerClipBox)
{
    AtomTable& t = fill(1, [](int) { return 0.0f; });
    auto corner = [&](float vx, float vy, int16_t& x, int16_t& y) {
        t.viewX[1] = vx;
        t.viewY[1] = vy;
        return ballCorner(t, 1, x, y);
    };
    int16_t x = 0, y = 0;
    ASSERT_TRUE(corner(-250.5f, 0.0f, x, y));
    EXPECT_EQ(x, 0) << "rounded towards zero";
    ASSERT_TRUE(corner(-282.0f, -232.0f, x, y));
    EXPECT_EQ(x, -32);
    EXPECT_EQ(y, -32);
    ASSERT_TRUE(corner(-282.9f, 250.9f, x, y));
    EXPECT_EQ(x, -32);
    EXPECT_EQ(y, 450);
    EXPECT_FALSE(corner(251.0f, 0.0f, x, y)) << "x = 501";
    EXPECT_FALSE(corner(0.0f, 251.0f, x, y)) << "y = 451";
    EXPECT_FALSE(corner(-283.0f, 0.0f, x, y)) << "x = -33";
    EXPECT_FALSE(corner(70000.0f - 250.0f + 4464.0f, 0.0f, x, y)) << "far away does not wrap into the box";
    EXPECT_FALSE(corner(std::nanf(""), 0.0f, x, y));
}

#include "render/Palette.h"
#include "winrt/WindowCanvas.h"

namespace {

winrt::WindowCanvas& sceneCanvas()
{
    static platform::BuiltinGlyphs glyphs;
    static winrt::WindowCanvas canvas(*winrt::Canvas::create(600, 520, 256, 10, 18, glyphs));
    return canvas;
}

// Places atom 1 so that its ball corner comes out at (x, y).
AtomTable& oneAtomAt(float x, float y, int16_t species)
{
    AtomTable& t = fill(1, [](int) { return 0.0f; });
    t.viewX[1] = x - PictureOffsetX;
    t.viewY[1] = y - PictureOffsetY;
    t.species[1] = species;
    return t;
}

int countIndex(const winrt::WindowCanvas& c, uint8_t index)
{
    int n = 0;
    for (uint8_t p : c.canvas().pixels())
        n += p == index;
    return n;
}

} // namespace

TEST(Scene, DrawnBallsAndTheClipBox)
{
    winrt::WindowCanvas& c = sceneCanvas();
    installPalette(c);

    drawScene(oneAtomAt(100.0f, 100.0f, 0), geometry::LatticeCode::Fcc, c);
    EXPECT_EQ(c.canvas().pixel(100, 116), 0) << "black rim on the left edge";
    EXPECT_EQ(c.canvas().pixel(132, 116), 0) << "black rim on the right edge";
    EXPECT_EQ(c.canvas().pixel(99, 116), 0);
    EXPECT_EQ(c.canvas().pixel(101, 101), 0) << "corner of the box lies outside the disc";
    EXPECT_EQ(c.canvas().pixel(102, 116), 68) << "ball fill between the rim and the shade";
    EXPECT_NE(c.canvas().pixel(116, 116), 68) << "the shade picture covers the middle";
    EXPECT_EQ(c.canvas().currentColour(), 68);

    // A corner at x = -32: the ball's right edge reaches column 0.
    drawScene(oneAtomAt(-32.0f, 100.0f, 0), geometry::LatticeCode::Fcc, c);
    EXPECT_EQ(c.canvas().pixel(0, 116), 0);
    EXPECT_GT(countIndex(c, 0), 0);
    EXPECT_EQ(countIndex(c, 68), 0) << "only the rim column is visible";

    for (auto [x, y] : {std::pair{501.0f, 100.0f}, {100.0f, 451.0f}, {-33.0f, 100.0f}, {100.0f, -33.0f}}) {
        drawScene(oneAtomAt(x, y, 0), geometry::LatticeCode::Fcc, c);
        EXPECT_EQ(countIndex(c, 0), 600 * 520) << "nothing drawn at " << x << ", " << y;
        EXPECT_EQ(c.canvas().currentColour(), 0);
    }
    drawScene(oneAtomAt(500.0f, 450.0f, 0), geometry::LatticeCode::Fcc, c);
    EXPECT_EQ(c.canvas().pixel(532, 466), 0);
    EXPECT_EQ(c.canvas().pixel(502, 466), 68);
}

TEST(Scene, OnlyZincBlendeFirstSpeciesIsMarked)
{
    winrt::WindowCanvas& c = sceneCanvas();
    installPalette(c);
    drawScene(oneAtomAt(100.0f, 100.0f, 0), geometry::LatticeCode::Fcc, c);
    const std::vector<uint8_t> plain(c.canvas().pixels().begin(), c.canvas().pixels().end());

    for (auto code : {geometry::LatticeCode::Bcc, geometry::LatticeCode::HcpA, geometry::LatticeCode::HcpB}) {
        drawScene(oneAtomAt(100.0f, 100.0f, 0), code, c);
        EXPECT_TRUE(std::equal(plain.begin(), plain.end(), c.canvas().pixels().begin())) << int(code);
    }
    drawScene(oneAtomAt(100.0f, 100.0f, 1), geometry::LatticeCode::ZincBlendeA, c);
    EXPECT_TRUE(std::equal(plain.begin(), plain.end(), c.canvas().pixels().begin())) << "second species unmarked";

    drawScene(oneAtomAt(100.0f, 100.0f, 0), geometry::LatticeCode::ZincBlendeB, c);
    EXPECT_FALSE(std::equal(plain.begin(), plain.end(), c.canvas().pixels().begin())) << "first species marked";
    // The mark's black surround leaves everything outside the ball as it was.
    for (int y = 0; y < 520; ++y)
        for (int x = 0; x < 600; ++x) {
            const bool inBox = x >= 100 && x <= 132 && y >= 100 && y <= 132;
            if (!inBox) {
                ASSERT_EQ(c.canvas().pixel(x, y), plain[std::size_t(y) * 600 + x]) << x << ", " << y;
            }
        }
}

TEST(Scene, EmptySurfaceLeavesAClearedWindow)
{
    winrt::WindowCanvas& c = sceneCanvas();
    c.out_text("listing");
    drawScene(fill(0, [](int) { return 0.0f; }), geometry::LatticeCode::Fcc, c);
    EXPECT_EQ(countIndex(c, 0), 600 * 520);
    EXPECT_TRUE(c.canvas().textPieces().empty());
}
