#include "winrt/Selection.h"

#include <algorithm>
#include <utility>

namespace winrt {

namespace {

// The corners in reading order: the upper row first, on one row the left column first.
std::pair<SelectionPoint, SelectionPoint> ordered(SelectionPoint start, SelectionPoint end)
{
    if (end.y < start.y)
        std::swap(start, end);
    if (start.y == end.y && end.x < start.x)
        std::swap(start.x, end.x);
    return {start, end};
}

} // namespace

SelectionPoint cellAt(int canvasX, int canvasY, int cellWidth, int cellHeight, int columns, int rows)
{
    const int w = std::max(cellWidth, 1);
    const int h = std::max(cellHeight, 1);
    // Rounded to the nearest cell boundary: (x + w / 2) / w, for x >= 0.
    int column = canvasX < 0 ? 0 : (2 * canvasX + w) / (2 * w);
    int row = canvasY < 0 ? 0 : canvasY / h;
    column = std::clamp(column, 0, std::max(columns - 1, 0));
    row = std::clamp(row, 0, std::max(rows - 1, 0));
    return {column, row};
}

std::string selectedText(const std::vector<TextPiece>& pieces, int gridColumns, SelectionPoint start,
                         SelectionPoint end)
{
    auto [first, last] = ordered(start, end);
    // 1-based from here, like the pieces.
    const int firstRow = first.y + 1, lastRow = last.y + 1;
    const int firstColumn = first.x + 1, lastColumn = last.x + 1;
    std::string text;
    for (const TextPiece& piece : pieces) {
        if (piece.row < firstRow || piece.row > lastRow)
            continue;
        const bool lastOfSelection = piece.row == lastRow;
        if (!piece.emptyLine) {
            const int from = piece.row == firstRow ? firstColumn : 1;
            const int to = lastOfSelection ? lastColumn : gridColumns;
            // Blanks for the selected cells before the piece, never past the selection.
            const int blanksTo = std::min(piece.firstColumn - 1, to);
            if (blanksTo >= from)
                text.append(size_t(blanksTo - from + 1), ' ');
            const int copyFrom = std::max(from, piece.firstColumn);
            const int copyTo = std::min(to, piece.lastColumn);
            for (int column = copyFrom; column <= copyTo; ++column) {
                const size_t at = size_t(column - piece.firstColumn);
                text.push_back(at < piece.text.size() ? piece.text[at] : ' ');
            }
        }
        if (!lastOfSelection)
            text += "\r\n";
    }
    return text;
}

Rect selectedRect(SelectionPoint start, SelectionPoint end)
{
    return Rect::fromCorners(start.x, start.y, end.x, end.y);
}

std::vector<Rect> markedArea(const Selection& selection, int cellWidth, int cellHeight, int gridColumns)
{
    if (selection.kind == SelectionKind::Graphics)
        return {selectedRect(selection.start, selection.end)};
    auto [first, last] = ordered(selection.start, selection.end);
    std::vector<Rect> area;
    for (int row = first.y; row <= last.y; ++row) {
        const int from = row == first.y ? first.x : 0;
        const int to = row == last.y ? last.x : gridColumns - 1;
        if (to >= from)
            area.push_back({from * cellWidth, row * cellHeight, (to - from + 1) * cellWidth, cellHeight});
    }
    return area;
}

} // namespace winrt
