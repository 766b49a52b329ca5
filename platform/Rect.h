#pragma once
// Sizes and rectangles in pixels, shared by the platform and the window runtime: a rectangle is
// its top left corner and size, empty when either size is 0 or less.

#include <algorithm>
#include <cstdlib>

namespace platform {

struct Size {
    int width = 0;
    int height = 0;
    constexpr bool operator==(const Size&) const = default;
};

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    // Builds the rectangle covering the inclusive corners (x1, y1) to (x2, y2), in any order.
    static constexpr Rect fromCorners(int x1, int y1, int x2, int y2)
    {
        return {std::min(x1, x2), std::min(y1, y2), std::abs(x2 - x1) + 1, std::abs(y2 - y1) + 1};
    }

    constexpr bool isEmpty() const { return width <= 0 || height <= 0; }
    constexpr int right() const { return x + width - 1; }
    constexpr int bottom() const { return y + height - 1; }
    constexpr bool contains(int px, int py) const { return px >= x && py >= y && px < x + width && py < y + height; }

    // The common part of both rectangles (empty when they do not meet).
    constexpr Rect intersected(const Rect& other) const
    {
        int left = std::max(x, other.x);
        int top = std::max(y, other.y);
        int r = std::min(x + width, other.x + other.width);
        int b = std::min(y + height, other.y + other.height);
        if (r <= left || b <= top)
            return {};
        return {left, top, r - left, b - top};
    }

    // The smallest rectangle holding both; an empty operand is ignored.
    constexpr Rect united(const Rect& other) const
    {
        if (isEmpty())
            return other;
        if (other.isEmpty())
            return *this;
        int left = std::min(x, other.x);
        int top = std::min(y, other.y);
        int r = std::max(x + width, other.x + other.width);
        int b = std::max(y + height, other.y + other.height);
        return {left, top, r - left, b - top};
    }

    constexpr bool operator==(const Rect&) const = default;
};

} // namespace platform
