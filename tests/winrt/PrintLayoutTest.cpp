#include "winrt/PrintLayout.h"

#include <gtest/gtest.h>

using namespace winrt;

TEST(PrintLayout, PictureFillsThePrintableWidthAndKeepsItsProportionsOnPaper)
{
    // Equal resolution across and down: 800 x 600 on 4800 printer pixels gives 4800 x 3600.
    EXPECT_EQ(printTarget(800, 600, {4800, 600, 600}), (Rect{0, 0, 4800, 3600}));
    // 600 pixels per inch across, 300 down: half as many printer rows.
    EXPECT_EQ(printTarget(800, 600, {4800, 600, 300}), (Rect{0, 0, 4800, 1800}));
    // Twice the resolution down: twice the rows.
    EXPECT_EQ(printTarget(800, 600, {4800, 300, 600}), (Rect{0, 0, 4800, 7200}));
    // B is truncated toward zero: 3 x 1 on 1000 gives 333.33 rows, so 333.
    EXPECT_EQ(printTarget(3, 1, {1000, 300, 300}), (Rect{0, 0, 1000, 333}));
    // A tall picture is not limited by the printable height.
    EXPECT_EQ(printTarget(100, 1000, {500, 72, 72}), (Rect{0, 0, 500, 5000}));
}

TEST(PrintLayout, NoTargetWithoutPixels)
{
    EXPECT_FALSE(printTarget(800, 600, {0, 600, 600}));
    EXPECT_FALSE(printTarget(800, 600, {4800, 0, 600}));
    EXPECT_FALSE(printTarget(0, 600, {4800, 600, 600}));
    // Less than one printer row: trunc(0.5) - 1 is below 0.
    EXPECT_FALSE(printTarget(1000, 1, {500, 600, 600}));
    EXPECT_EQ(printTarget(1000, 2, {500, 600, 600}), (Rect{0, 0, 500, 1}));
}
