#pragma once
// Integer rasteriser for axis-aligned ellipses inscribed in a box of whole pixels.

#include <optional>

namespace winrt {

// The pixels x1..x2 of one row that belong to a filled ellipse (inclusive).
struct RowSpan {
    int left = 0;
    int right = 0;
    bool operator==(const RowSpan&) const = default;
};

// The filled ellipse inscribed in the box of pixels x1..x2, y1..y2 (x1 <= x2, y1 <= y2):
// its real outline runs through the outer edges of the box's pixels. A pixel belongs to it
// when its centre lies inside or on the outline; the middle row (two rows for an even height)
// and the middle column(s) are always covered from edge to edge, so that every ellipse
// touches all four sides of its box however thin it is. Returns the span of row y, none when
// y is outside the box. Mirror-symmetric about both axes of the box; exact integer arithmetic.
std::optional<RowSpan> ellipseRowSpan(int x1, int y1, int x2, int y2, int y);

} // namespace winrt
