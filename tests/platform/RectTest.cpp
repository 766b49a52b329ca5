// The rectangle the platform and the canvas share: its operations hold as properties over a
// grid of points, for overlapping, touching, nested, disjoint and empty operands.

#include "platform/Rect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

using platform::Rect;

TEST(Rect, IntersectionHoldsThePointsOfBothAndUnionTheSmallestCover)
{
    const std::vector<std::pair<Rect, Rect>> rows = {
        {{0, 0, 5, 4}, {3, 2, 6, 6}},    // overlapping
        {{0, 0, 5, 4}, {5, 0, 3, 4}},    // touching at an edge: no common pixel
        {{-3, -2, 10, 9}, {1, 1, 2, 2}}, // nested
        {{0, 0, 2, 2}, {6, 7, 1, 1}},    // apart
        {{2, 2, 0, 5}, {0, 0, 4, 4}},    // an empty operand
    };
    for (const auto& [a, b] : rows) {
        SCOPED_TRACE(testing::Message() << a.x << "," << a.y << " " << a.width << "x" << a.height);
        const Rect common = a.intersected(b);
        const Rect cover = a.united(b);
        EXPECT_EQ(common, b.intersected(a));
        EXPECT_EQ(cover, b.united(a));
        for (int y = -5; y < 15; ++y)
            for (int x = -5; x < 15; ++x) {
                EXPECT_EQ(common.contains(x, y), a.contains(x, y) && b.contains(x, y)) << x << "," << y;
                if (a.contains(x, y) || b.contains(x, y)) {
                    EXPECT_TRUE(cover.contains(x, y)) << x << "," << y;
                }
            }
        // The cover's four edges each touch an operand that is not empty.
        if (!a.isEmpty() && !b.isEmpty()) {
            EXPECT_EQ(cover.x, std::min(a.x, b.x));
            EXPECT_EQ(cover.y, std::min(a.y, b.y));
            EXPECT_EQ(cover.right(), std::max(a.right(), b.right()));
            EXPECT_EQ(cover.bottom(), std::max(a.bottom(), b.bottom()));
        } else {
            EXPECT_EQ(cover, a.isEmpty() ? b : a);
        }
    }
}

TEST(Rect, CornersInAnyOrderGiveOneRectangleHoldingBoth)
{
    const std::vector<std::pair<std::pair<int, int>, std::pair<int, int>>> rows = {
        {{2, 3}, {7, 9}}, {{7, 3}, {2, 9}}, {{4, 4}, {4, 4}}, {{-6, 0}, {0, -1}}};
    for (const auto& [p, q] : rows) {
        const Rect r = Rect::fromCorners(p.first, p.second, q.first, q.second);
        EXPECT_EQ(r, Rect::fromCorners(q.first, q.second, p.first, p.second));
        EXPECT_TRUE(r.contains(p.first, p.second));
        EXPECT_TRUE(r.contains(q.first, q.second));
        EXPECT_EQ(r.right(), std::max(p.first, q.first));
        EXPECT_EQ(r.bottom(), std::max(p.second, q.second));
        EXPECT_FALSE(r.isEmpty());
    }
}
