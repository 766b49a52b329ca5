#pragma once
// The indexed picture as an 8-bit palette PNG (W3C PNG format: IHDR colour type 3,
// PLTE with the picture's own colours, no transparency), encoded with libpng.

#include "platform/Picture.h"
#include "winrt/Colour.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace winrt {

// The PNG file of width x height palette indices (rows from the top) with palette (at most 256
// entries, every index below its size). Empty, with error set, when the picture cannot be
// encoded.
std::vector<uint8_t> encodePng(int width, int height, std::span<const uint8_t> indices, std::span<const Rgb> palette,
                               std::string& error);

// A captured picture (palette 0x00BBGGRR) as a palette PNG.
std::vector<uint8_t> encodePng(const platform::IndexedPicture& picture, std::string& error);

} // namespace winrt
