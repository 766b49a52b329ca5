#pragma once
// A colour as red, green and blue, 8 bits each: the entries of every palette.

#include <cstdint>

namespace platform {

struct Rgb {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;

    // The colour of a 32-bit value laid out 0x00BBGGRR (red in the lowest byte; top byte ignored).
    static constexpr Rgb fromColorRef(uint32_t value)
    {
        return {uint8_t(value & 0xFF), uint8_t((value >> 8) & 0xFF), uint8_t((value >> 16) & 0xFF)};
    }
    constexpr uint32_t toColorRef() const { return uint32_t(red) | uint32_t(green) << 8 | uint32_t(blue) << 16; }

    constexpr bool operator==(const Rgb&) const = default;
};

// Squared distance in RGB space, the measure used to match image colours to a palette.
constexpr int colourDistance(Rgb a, Rgb b)
{
    int dr = int(a.red) - b.red, dg = int(a.green) - b.green, db = int(a.blue) - b.blue;
    return dr * dr + dg * dg + db * db;
}

} // namespace platform
