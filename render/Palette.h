#pragma once
// The application palette: the 256 colours the drawing and the listing expect in the window.

#include <array>
#include <cstddef>
#include <cstdint>

namespace winrt {
class WindowCanvas;
}

namespace render {

// Palette indices the drawing relies on.
inline constexpr int16_t Black = 0;
inline constexpr int16_t BallBlue = 68;
inline constexpr int16_t TextOrange = 15;

namespace detail {

constexpr uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) { return r | g << 8 | b << 16; }

constexpr std::array<uint32_t, 256> buildApplicationPalette()
{
    constexpr std::array<uint32_t, 16> base = {
        rgb(0, 0, 0),     rgb(119, 255, 119), rgb(255, 119, 119), rgb(0, 255, 119), rgb(119, 0, 255), rgb(119, 255, 0),
        rgb(0, 119, 255), rgb(255, 0, 119),   rgb(0, 0, 255),     rgb(255, 0, 0),   rgb(0, 255, 0),   rgb(0, 255, 255),
        rgb(255, 255, 0), rgb(255, 0, 255),   rgb(255, 255, 255), rgb(255, 119, 0),
    };
    std::array<uint32_t, 256> p{}; // black
    for (std::size_t i = 0; i < 16; ++i)
        p[i] = base[i];
    p[62] = rgb(255, 255, 255);
    for (uint32_t i = 0; i <= 10; ++i) {
        // The blue ramp starts with green at i = 0; the green and yellow ramps start with black.
        p[63 + i] = i == 0 ? rgb(0, 255, 0) : rgb(85, 85, 85 + 17 * i);
        if (i > 0) {
            p[79 + i] = rgb(119, 136 + 11 * i, 119);
            p[95 + i] = rgb(136 + 11 * i, 136 + 11 * i, 119);
        }
    }
    return p;
}

} // namespace detail

// The 256 entries laid out 0x00BBGGRR (red in the lowest byte): 0..15 a fixed table of bright
// colours (15 orange, the text colour), 62 white, 63 green, 64..73 a blue ramp (85, 85, 85 + 17 i),
// 80..89 a green ramp (119, 136 + 11 i, 119), 96..105 a yellow ramp (136 + 11 i, 136 + 11 i, 119),
// every other entry black.
inline constexpr std::array<uint32_t, 256> kApplicationPalette = detail::buildApplicationPalette();

// Gives the canvas the application palette through remap_all_palette. A canvas of 20 colours
// or fewer keeps its default palette; the result is not examined.
void installPalette(winrt::WindowCanvas& canvas);

} // namespace render
