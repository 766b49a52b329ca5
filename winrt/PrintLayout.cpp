#include "winrt/PrintLayout.h"

#include <cmath>
#include <limits>

namespace winrt {

std::optional<Rect> printTarget(int canvasWidth, int canvasHeight, const PrinterMetrics& printer)
{
    if (canvasWidth <= 0 || canvasHeight <= 0 || printer.printableWidth <= 0 || printer.dpiX <= 0 || printer.dpiY <= 0)
        return std::nullopt;
    const double rows = double(printer.dpiY) / double(printer.dpiX) * (double(canvasHeight) / double(canvasWidth))
        * double(printer.printableWidth);
    const double bottom = std::trunc(rows) - 1.0;
    if (!(bottom >= 0.0) || bottom >= double(std::numeric_limits<int>::max()))
        return std::nullopt;
    return Rect{0, 0, printer.printableWidth, int(bottom) + 1};
}

} // namespace winrt
