#pragma once
// PNG files (W3C PNG), written with libpng: 8-bit palette pictures (colour type 3, PLTE with the
// picture's own colours, no transparency) and opaque RGB pictures (colour type 2) given in
// Cairo's RGB24 layout.

#include "platform/Colour.h"
#include "platform/Picture.h"
#include "platform/Result.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace platform {

// The pixels to write, rows from the top, stride bytes apart. A palette picture has one index
// byte a pixel, every index below the palette's size (at most 256 colours); an RGB picture (no
// palette) has 32-bit words 0x00RRGGBB in native byte order.
struct PngPicture {
    int width = 0;
    int height = 0;
    const uint8_t* rows = nullptr;
    std::size_t stride = 0;
    std::span<const Rgb> palette;
};

// The PNG file of the picture, or the reason it cannot be encoded. Palette
// pictures, whose large flat areas compress well as they are, go unfiltered at the fastest
// level; RGB pictures with the "Up" filter, which leaves small differences of smooth shading,
// at the usual level, or a lighter one for poster sizes (above two million pixels: less than
// half the time for a file a fifth larger).
Result<std::vector<uint8_t>> encodePng(const PngPicture& picture);

// A captured picture as a palette PNG.
Result<std::vector<uint8_t>> encodePng(const IndexedPicture& picture);

} // namespace platform
