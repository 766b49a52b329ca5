#pragma once
// A colour as red, green and blue, 8 bits each: the one colour type of palettes, pictures and
// figures. Each outside encoding has a named conversion:
//   palette value  0x00BBGGRR, red in the lowest byte: the window runtime's palettes
//   hex            0xRRGGBB, as colour tables are written: element, figure and LEED colours
//   unit           three doubles component / 255 in [0, 1]: what the vector painter takes

#include <cstdint>

namespace platform {

// A colour's components in [0, 1], as the vector painter takes them.
struct UnitRgb {
    double red = 0.0;
    double green = 0.0;
    double blue = 0.0;

    constexpr bool operator==(const UnitRgb&) const = default;
};

struct Rgb {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;

    // The colour of a palette value 0x00BBGGRR (the top byte ignored).
    static constexpr Rgb fromPaletteValue(uint32_t value)
    {
        return {uint8_t(value & 0xFF), uint8_t((value >> 8) & 0xFF), uint8_t((value >> 16) & 0xFF)};
    }
    constexpr uint32_t paletteValue() const { return uint32_t(red) | uint32_t(green) << 8 | uint32_t(blue) << 16; }

    // The colour of a hex value 0xRRGGBB (the top byte ignored).
    static constexpr Rgb fromHex(uint32_t value)
    {
        return {uint8_t((value >> 16) & 0xFF), uint8_t((value >> 8) & 0xFF), uint8_t(value & 0xFF)};
    }
    constexpr uint32_t hex() const { return uint32_t(red) << 16 | uint32_t(green) << 8 | uint32_t(blue); }

    // The components as fractions of 255.
    constexpr UnitRgb unit() const { return {red / 255.0, green / 255.0, blue / 255.0}; }

    constexpr bool operator==(const Rgb&) const = default;
};

// Squared distance in RGB space, the measure used to match image colours to a palette.
constexpr int colourDistance(Rgb a, Rgb b)
{
    int dr = int(a.red) - b.red, dg = int(a.green) - b.green, db = int(a.blue) - b.blue;
    return dr * dr + dg * dg + db * db;
}

} // namespace platform
