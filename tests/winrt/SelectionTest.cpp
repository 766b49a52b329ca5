#include "CanvasTestUtil.h"
#include "winrt/Selection.h"

#include <gtest/gtest.h>

using namespace winrt;
using winrt::testing::makeCanvas;

namespace {

// A 20-column grid with text written by out_text at the given rows and columns (1-based).
std::unique_ptr<WindowCanvas> gridWith(const std::vector<std::tuple<int, int, std::string>>& lines)
{
    auto canvas = makeCanvas(200, 90, 16, 10, 18); // 20 columns, 5 rows
    for (const auto& [row, column, text] : lines) {
        canvas->setTextPosition(int16_t(row), int16_t(column));
        canvas->out_text(text);
    }
    return canvas;
}

} // namespace

TEST(Selection, CellUnderThePointerRoundsColumnsAndTruncatesRows)
{
    // Cells of 10 x 18 in a grid of 20 x 5.
    EXPECT_EQ(cellAt(0, 0, 10, 18, 20, 5), (SelectionPoint{0, 0}));
    EXPECT_EQ(cellAt(4, 17, 10, 18, 20, 5), (SelectionPoint{0, 0}));
    EXPECT_EQ(cellAt(5, 18, 10, 18, 20, 5), (SelectionPoint{1, 1})) << "half a cell rounds up";
    EXPECT_EQ(cellAt(44, 35, 10, 18, 20, 5), (SelectionPoint{4, 1}));
    EXPECT_EQ(cellAt(45, 36, 10, 18, 20, 5), (SelectionPoint{5, 2}));
    // Kept inside the grid.
    EXPECT_EQ(cellAt(199, 89, 10, 18, 20, 5), (SelectionPoint{19, 4}));
    EXPECT_EQ(cellAt(5000, 5000, 10, 18, 20, 5), (SelectionPoint{19, 4}));
    EXPECT_EQ(cellAt(-30, -1, 10, 18, 20, 5), (SelectionPoint{0, 0}));
}

TEST(Selection, TextFromColumnFiveAndBlanksBeforeALaterPiece)
{
    auto canvas = gridWith({{1, 1, "abcdefghij"}, {2, 10, "XYZ"}});
    const auto pieces = canvas->canvas().textPieces();
    // Column 5 of a row whose text starts in column 1: the text starts with column 5's character.
    EXPECT_EQ(selectedText(pieces, 20, {4, 0}, {7, 0}), "efgh");
    // Column 5 of a row whose text starts in column 10: five blanks, then the text.
    EXPECT_EQ(selectedText(pieces, 20, {4, 1}, {12, 1}), "     XYZ");
    // The end column cuts the text; a selection past the text's end takes what is there.
    EXPECT_EQ(selectedText(pieces, 20, {4, 1}, {10, 1}), "     XY");
    EXPECT_EQ(selectedText(pieces, 20, {8, 0}, {19, 0}), "ij");
    // A piece entirely right of the selection gives only the selected blanks, never more.
    EXPECT_EQ(selectedText(pieces, 20, {2, 1}, {5, 1}), "    ");
}

TEST(Selection, RightToLeftOnOneRowGivesTheSameText)
{
    auto canvas = gridWith({{3, 2, "surface plane"}});
    const auto pieces = canvas->canvas().textPieces();
    const std::string forward = selectedText(pieces, 20, {3, 2}, {9, 2});
    EXPECT_EQ(forward, "rface p");
    EXPECT_EQ(selectedText(pieces, 20, {9, 2}, {3, 2}), forward);
}

TEST(Selection, SeveralRowsEndWithCarriageReturnLineFeedAndSkipRowsWithoutText)
{
    auto canvas = makeCanvas(200, 108, 16, 10, 18); // 20 x 6
    canvas->out_text("first line\n\nthird\n");
    canvas->setTextPosition(5, 3);
    canvas->out_text("fifth");
    const auto pieces = canvas->canvas().textPieces();
    // From column 7 of row 1 to column 5 of row 5, rows 2 (an empty line) and 4 (nothing).
    const std::string expected = "line\r\n\r\nthird\r\n  fif";
    EXPECT_EQ(selectedText(pieces, 20, {6, 0}, {4, 4}), expected);
    // Corners given bottom-up are put in order.
    EXPECT_EQ(selectedText(pieces, 20, {4, 4}, {6, 0}), expected);
    // The whole grid, as Select All gives it: row 5 is not the last row, so it ends with CR LF.
    EXPECT_EQ(selectedText(pieces, 20, {0, 0}, {19, 5}), "first line\r\n\r\nthird\r\n  fifth\r\n");
    // Nothing written: nothing copied.
    EXPECT_EQ(selectedText({}, 20, {0, 0}, {19, 5}), "");
}

TEST(Selection, MarkedAreaCoversTheSelectedCellsOrPixels)
{
    Selection text{SelectionKind::Text, {15, 1}, {2, 3}};
    const std::vector<Rect> rows = markedArea(text, 10, 18, 20);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], (Rect{150, 18, 50, 18})) << "rest of the first row";
    EXPECT_EQ(rows[1], (Rect{0, 36, 200, 18})) << "whole rows between";
    EXPECT_EQ(rows[2], (Rect{0, 54, 30, 18})) << "the last row up to its end column";
    Selection oneRow{SelectionKind::Text, {7, 0}, {3, 0}};
    EXPECT_EQ(markedArea(oneRow, 10, 18, 20), (std::vector<Rect>{{30, 0, 50, 18}}));
    Selection graphics{SelectionKind::Graphics, {40, 30}, {10, 5}};
    EXPECT_EQ(markedArea(graphics, 10, 18, 20), (std::vector<Rect>{{10, 5, 31, 26}}));
    EXPECT_EQ(selectedRect({3, 3}, {3, 3}), (Rect{3, 3, 1, 1}));
}
