#include "winrt/EllipseRaster.h"

#include <cmath>
#include <cstdint>

namespace winrt {

namespace {

uint64_t isqrt(uint64_t v)
{
    auto r = uint64_t(std::sqrt(double(v)));
    while (r > 0 && r * r > v)
        --r;
    while ((r + 1) * (r + 1) <= v)
        ++r;
    return r;
}

} // namespace

std::optional<RowSpan> ellipseRowSpan(int x1, int y1, int x2, int y2, int y)
{
    if (x2 < x1 || y2 < y1 || y < y1 || y > y2)
        return std::nullopt;
    // Work in half pixels from the box centre: a pixel centre at column i lies at
    // dx = 2 (i - x1) + 1 - w half-pixels, the outline at dx = +-w (and the same vertically).
    // The centre is inside when (dx / w)^2 + (dy / h)^2 <= 1, i.e. dx^2 h^2 <= w^2 (h^2 - dy^2).
    const int64_t w = int64_t(x2) - x1 + 1;
    const int64_t h = int64_t(y2) - y1 + 1;
    const int64_t dy = 2 * (int64_t(y) - y1) + 1 - h;
    if (dy >= -1 && dy <= 1)
        return RowSpan{x1, x2};

    // |dy| < h, so the right-hand side is positive. It can reach 2^64: use 128 bits.
    unsigned __int128 rhs = (unsigned __int128)(w * w) * (unsigned __int128)(h * h - dy * dy);
    auto limit = uint64_t(rhs / (unsigned __int128)(h * h)); // dx^2 h^2 <= rhs  <=>  dx^2 <= limit
    int64_t m = int64_t(isqrt(limit));
    // dx has the parity of w + 1 (odd for an even width, even for an odd one).
    if ((m - (w + 1)) % 2 != 0)
        --m;
    if (m < 0) // no centre inside: the middle column(s) alone
        m = (w % 2 == 0) ? 1 : 0;
    int left = int(x1 + (w - 1 - m) / 2);
    int right = int(x1 + (w - 1 + m) / 2);
    return RowSpan{left, right};
}

} // namespace winrt
