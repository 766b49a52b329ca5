#include "CanvasTestUtil.h"

#include "winrt/EllipseRaster.h"

#include <gtest/gtest.h>

#include <queue>
#include <set>

using namespace winrt;
using namespace winrt::testing;

namespace {

std::set<std::pair<int, int>> setPixels(const Canvas& c)
{
    std::set<std::pair<int, int>> out;
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x)
            if (c.pixel(x, y) != 0)
                out.insert({x, y});
    return out;
}

} // namespace

// Geometric properties of the rasteriser over every box up to 40 x 40 pixels: each row is one
// run mirrored about the box centre, runs never shrink towards the middle, the first and last
// rows are covered, and the widest run spans the whole box.
TEST(EllipseRaster, SpansAreSymmetricConvexAndTouchTheBox)
{
    for (int w = 1; w <= 40; ++w) {
        for (int h = 1; h <= 40; ++h) {
            const int x1 = 3, y1 = -7, x2 = x1 + w - 1, y2 = y1 + h - 1;
            SCOPED_TRACE(::testing::Message() << w << " x " << h);
            EXPECT_FALSE(ellipseRowSpan(x1, y1, x2, y2, y1 - 1));
            EXPECT_FALSE(ellipseRowSpan(x1, y1, x2, y2, y2 + 1));
            int widest = 0;
            for (int y = y1; y <= y2; ++y) {
                auto span = ellipseRowSpan(x1, y1, x2, y2, y);
                ASSERT_TRUE(span) << "row " << y;
                EXPECT_GE(span->left, x1);
                EXPECT_LE(span->right, x2);
                EXPECT_EQ(span->left - x1, x2 - span->right) << "row " << y;
                auto mirrored = ellipseRowSpan(x1, y1, x2, y2, y1 + y2 - y);
                EXPECT_EQ(*span, *mirrored);
                if (2 * y < y1 + y2) { // upper half: the next row is at least as wide
                    auto next = ellipseRowSpan(x1, y1, x2, y2, y + 1);
                    EXPECT_LE(next->left, span->left);
                }
                widest = std::max(widest, span->right - span->left + 1);
            }
            EXPECT_EQ(widest, w);
        }
    }
}

// For a circle the picture is the same when rows and columns swap roles.
TEST(EllipseRaster, CircleIsSymmetricUnderTransposition)
{
    for (int d = 1; d <= 64; ++d) {
        auto inside = [d](int x, int y) {
            auto s = ellipseRowSpan(0, 0, d - 1, d - 1, y);
            return s && x >= s->left && x <= s->right;
        };
        for (int y = 0; y < d; ++y)
            for (int x = 0; x < d; ++x)
                ASSERT_EQ(inside(x, y), inside(y, x)) << "diameter " << d << " at " << x << "," << y;
    }
}

// Extreme 16-bit boxes must neither overflow nor lose the middle of the picture.
TEST(EllipseRaster, HugeBoxesStayExact)
{
    auto span = ellipseRowSpan(-32768, -32768, 32767, 32767, 0);
    ASSERT_TRUE(span);
    EXPECT_EQ(span->left, -32768);
    EXPECT_EQ(span->right, 32767);
    auto top = ellipseRowSpan(-32768, -32768, 32767, 32767, -32768);
    ASSERT_TRUE(top);
    EXPECT_LE(top->left, 0);
    EXPECT_GE(top->right, -1);
    EXPECT_EQ(top->left - (-32768), 32767 - top->right);
}

TEST(DrawEllipse, OneByOneBoxSetsOnePixel)
{
    auto c = makeCanvas(32, 32);
    c->set_colour(9);
    EXPECT_NE(c->draw_ellipse(3, 10, 10, 10, 10), 0);
    EXPECT_EQ(graphicsStatus(), status::ok);
    EXPECT_EQ(setPixels(c->canvas()), (std::set<std::pair<int, int>>{{10, 10}}));
    EXPECT_EQ(c->canvas().pixel(10, 10), 9);

    auto o = makeCanvas(32, 32);
    o->set_colour(9);
    EXPECT_NE(o->draw_ellipse(2, 10, 10, 10, 10), 0);
    EXPECT_EQ(setPixels(o->canvas()), (std::set<std::pair<int, int>>{{10, 10}}));
}

TEST(DrawEllipse, SwappedCornersDrawTheSameCircleWithStatus3)
{
    auto a = makeCanvas(64, 64);
    auto b = makeCanvas(64, 64);
    a->set_colour(12);
    b->set_colour(12);
    EXPECT_NE(a->draw_ellipse(3, 10, 10, 42, 42), 0);
    EXPECT_EQ(graphicsStatus(), status::ok);
    EXPECT_NE(b->draw_ellipse(3, 42, 10, 10, 42), 0);
    EXPECT_EQ(graphicsStatus(), status::altered);
    EXPECT_TRUE(std::ranges::equal(a->canvas().pixels(), b->canvas().pixels())) << dump(*a) << "\n" << dump(*b);

    auto c = makeCanvas(64, 64);
    c->set_colour(12);
    c->draw_ellipse(3, 42, 42, 10, 10);
    EXPECT_EQ(graphicsStatus(), status::altered);
    EXPECT_TRUE(std::ranges::equal(a->canvas().pixels(), c->canvas().pixels()));
}

TEST(DrawEllipse, UnknownControlDrawsNothing)
{
    auto c = makeCanvas(32, 32);
    c->set_colour(5);
    EXPECT_EQ(c->draw_ellipse(5, 2, 2, 20, 20), 0);
    EXPECT_EQ(graphicsStatus(), status::failed);
    EXPECT_TRUE(setPixels(c->canvas()).empty());
    EXPECT_FALSE(c->canvas().changed());
    EXPECT_EQ(c->draw_ellipse(0, 2, 2, 20, 20), 0);
    EXPECT_TRUE(setPixels(c->canvas()).empty());
}

// The ball box: a filled circle on (x, y)-(x + 32, y + 32) reaches exactly its edge rows and
// columns, is mirror-symmetric and leaves every pixel outside the box alone.
TEST(DrawEllipse, BallBoxTouchesItsEdgesAndNothingOutside)
{
    const int x = 7, y = 5;
    auto c = makeCanvas(50, 50);
    c->set_colour(68);
    c->draw_ellipse(3, x, y, x + 32, y + 32);
    int minX = 99, maxX = -1, minY = 99, maxY = -1;
    for (auto [px, py] : setPixels(c->canvas())) {
        minX = std::min(minX, px), maxX = std::max(maxX, px);
        minY = std::min(minY, py), maxY = std::max(maxY, py);
        EXPECT_EQ(c->canvas().pixel(px, py), 68);
    }
    EXPECT_EQ(minX, x);
    EXPECT_EQ(maxX, x + 32);
    EXPECT_EQ(minY, y);
    EXPECT_EQ(maxY, y + 32);
    for (int j = 0; j <= 32; ++j)
        for (int i = 0; i <= 32; ++i) {
            uint8_t p = c->canvas().pixel(x + i, y + j);
            ASSERT_EQ(p, c->canvas().pixel(x + 32 - i, y + j)) << dump(*c);
            ASSERT_EQ(p, c->canvas().pixel(x + i, y + 32 - j));
            ASSERT_EQ(p, c->canvas().pixel(x + j, y + i));
        }
    // The middle row and column are full, the corners empty.
    for (int i = 0; i <= 32; ++i) {
        EXPECT_EQ(c->canvas().pixel(x + i, y + 16), 68);
        EXPECT_EQ(c->canvas().pixel(x + 16, y + i), 68);
    }
    EXPECT_EQ(c->canvas().pixel(x, y), 0);
    EXPECT_EQ(c->canvas().pixel(x + 32, y + 32), 0);
    EXPECT_TRUE(c->canvas().changed());
}

// The ball: a black disc with a blue disc one pixel in leaves a one-pixel black rim on the
// middle row and column.
TEST(DrawEllipse, InnerDiscLeavesOnePixelRim)
{
    auto c = makeCanvas(40, 40);
    c->clear_screen(0);
    c->set_colour(14);
    c->draw_ellipse(3, 0, 0, 39, 39); // a white background the rim must cover
    c->set_colour(0);
    c->draw_ellipse(3, 2, 2, 34, 34);
    c->set_colour(68);
    c->draw_ellipse(3, 3, 3, 33, 33);
    EXPECT_EQ(c->canvas().pixel(2, 18), 0);
    EXPECT_EQ(c->canvas().pixel(3, 18), 68);
    EXPECT_EQ(c->canvas().pixel(34, 18), 0);
    EXPECT_EQ(c->canvas().pixel(33, 18), 68);
    EXPECT_EQ(c->canvas().pixel(18, 2), 0);
    EXPECT_EQ(c->canvas().pixel(18, 3), 68);
}

// The outline alone leaves the inside as it was and is closed: a flood fill from the centre
// never escapes.
TEST(DrawEllipse, OutlineIsClosedAndLeavesInsideUntouched)
{
    for (int w : {5, 12, 33, 40}) {
        for (int h : {3, 9, 33}) {
            auto c = makeCanvas(48, 48);
            c->set_colour(4);
            c->draw_ellipse(2, 2, 3, 2 + w - 1, 3 + h - 1);
            EXPECT_EQ(c->canvas().pixel(2 + w / 2, 3), 4);
            EXPECT_EQ(c->canvas().pixel(2, 3 + h / 2), 4);
            std::vector<char> seen(48 * 48, 0);
            std::queue<std::pair<int, int>> todo;
            todo.push({2 + (w - 1) / 2, 3 + (h - 1) / 2});
            bool escaped = false;
            while (!todo.empty()) {
                auto [x, y] = todo.front();
                todo.pop();
                if (x < 0 || y < 0 || x >= 48 || y >= 48 || seen[y * 48 + x] || c->canvas().pixel(x, y) != 0)
                    continue;
                seen[y * 48 + x] = 1;
                if (x <= 2 || y <= 3 || x >= 2 + w - 1 || y >= 3 + h - 1)
                    escaped = true;
                todo.push({x + 1, y}), todo.push({x - 1, y}), todo.push({x, y + 1}), todo.push({x, y - 1});
            }
            EXPECT_FALSE(escaped) << w << " x " << h << "\n" << dump(*c);
        }
    }
    // Drawn over a filled area, the outline keeps the area's colour inside.
    auto c = makeCanvas(40, 40);
    c->set_colour(7);
    c->draw_ellipse(3, 0, 0, 39, 39);
    c->set_colour(2);
    c->draw_ellipse(2, 0, 0, 39, 39);
    EXPECT_EQ(c->canvas().pixel(20, 20), 7);
    EXPECT_EQ(c->canvas().pixel(0, 20), 2);
}

TEST(DrawEllipse, ClippedToViewportAndShiftedByOrigin)
{
    auto full = makeCanvas(40, 40);
    full->set_colour(3);
    full->draw_ellipse(3, 0, 0, 39, 39);

    auto c = makeCanvas(40, 40);
    c->setViewport(10, 5, 29, 24);
    c->set_colour(3);
    c->draw_ellipse(3, 0, 0, 39, 39);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
            bool inViewport = x >= 10 && x <= 29 && y >= 5 && y <= 24;
            ASSERT_EQ(c->canvas().pixel(x, y), inViewport ? full->canvas().pixel(x, y) : 0) << x << "," << y;
        }

    auto o = makeCanvas(40, 40);
    o->setViewOrigin(4, 6);
    o->set_colour(3);
    o->draw_ellipse(3, 0, 0, 0, 0);
    EXPECT_EQ(o->canvas().pixel(4, 6), 3);
    EXPECT_EQ(o->canvas().pixel(0, 0), 0);

    // Wholly outside the canvas: nothing drawn, no fault.
    auto off = makeCanvas(16, 16);
    EXPECT_NE(off->draw_ellipse(3, -32768, -32768, -100, -100), 0);
    EXPECT_NE(off->draw_ellipse(3, 100, 100, 32767, 32767), 0);
    EXPECT_TRUE(setPixels(off->canvas()).empty());
    EXPECT_NE(off->draw_ellipse(3, -32768, -32768, 32767, 32767), 0);
    EXPECT_EQ(setPixels(off->canvas()).size(), 256u);
}

// A fill mask paints bit 1 in the current colour and bit 0 in index 0; the outline stays solid.
TEST(DrawEllipse, FillMaskPatternsTheInside)
{
    auto c = makeCanvas(40, 40);
    c->set_colour(14);
    c->draw_ellipse(3, 0, 0, 39, 39);
    c->setFillMask(std::array<uint8_t, 8>{0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55});
    c->set_colour(6);
    c->draw_ellipse(3, 0, 0, 39, 39);
    EXPECT_EQ(c->canvas().pixel(20, 20), 6); // row 20 = 0xAA, bit for x 20 (x & 7 = 4) is 0x08: set
    EXPECT_EQ(c->canvas().pixel(21, 20), 0);
    EXPECT_EQ(c->canvas().pixel(20, 21), 0);
    EXPECT_EQ(c->canvas().pixel(0, 20), 6);
    EXPECT_EQ(c->canvas().pixel(0, 19), 6);
}
