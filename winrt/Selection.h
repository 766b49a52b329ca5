#pragma once
// Marking part of a child window for Copy: a text selection in character cells of the grid or
// a graphics selection in canvas pixels, and what each gives on the clipboard.

#include "winrt/Canvas.h"
#include "winrt/Rect.h"

#include <string>
#include <vector>

namespace winrt {

enum class SelectionKind {
    Text,
    Graphics
};

// A point of a selection: for text a cell (column and row from 0), for graphics a canvas pixel.
struct SelectionPoint {
    int x = 0;
    int y = 0;
    bool operator==(const SelectionPoint&) const = default;
};

// Both corners of a selection, inclusive; start is where the mouse went down.
struct Selection {
    SelectionKind kind = SelectionKind::Text;
    SelectionPoint start;
    SelectionPoint end;
    bool operator==(const Selection&) const = default;
};

// The cell under a canvas pixel: the column is the pixel's x over the cell width rounded to
// the nearest whole number, the row its y over the cell height truncated; both are kept
// inside the grid (columns 0..columns - 1, rows 0..rows - 1).
SelectionPoint cellAt(int canvasX, int canvasY, int cellWidth, int cellHeight, int columns, int rows);

// The text of a text selection, read from the record of text pieces (rows and columns of the
// pieces 1-based, the selection's 0-based). The corners are put in reading order (on one row
// a right-to-left selection gives the same text as a left-to-right one). Each row with a piece
// gives blanks from its first selected column up to the piece, then the piece's characters up
// to the selection's end column on the last row or the grid's last column on the others; a
// piece marking an empty line gives nothing; every row with a piece but the last ends with CR
// LF. Rows without a piece give nothing. Blanks never reach past the selected columns.
std::string selectedText(const std::vector<TextPiece>& pieces, int gridColumns, SelectionPoint start,
                         SelectionPoint end);

// The canvas rectangle of a graphics selection: both corners inclusive, in any order.
Rect selectedRect(SelectionPoint start, SelectionPoint end);

// The canvas pixels a selection covers, as rectangles to show inverted: the rectangle itself
// for graphics; for text the selected cells row by row (the rest of the first row, whole rows
// between, the last row up to its end column).
std::vector<Rect> markedArea(const Selection& selection, int cellWidth, int cellHeight, int gridColumns);

} // namespace winrt
