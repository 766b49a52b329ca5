#pragma once
// Where a printed picture goes on the page: the printable width, keeping its proportions on paper.

#include "winrt/Rect.h"

#include <optional>

namespace winrt {

// The printer's side of the layout: printable width in printer pixels and pixels per inch
// across (x) and down (y).
struct PrinterMetrics {
    int printableWidth = 0;
    int dpiX = 0;
    int dpiY = 0;
};

// The target rectangle of a canvas of canvasWidth x canvasHeight pixels: from (0, 0) to
// (W - 1, B) with W the printable width and B = trunc((dpiY / dpiX) x (height / width) x W) - 1,
// computed in double and truncated toward zero. The printable height is not consulted. Empty
// (no page can be drawn) for a target without pixels or nonsensical inputs.
std::optional<Rect> printTarget(int canvasWidth, int canvasHeight, const PrinterMetrics& printer);

} // namespace winrt
