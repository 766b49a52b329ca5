#pragma once
// True-colour pictures shown on an indexed canvas: a picture the Cairo painters drew (a LEED
// picture, a figure) read back into pixels, its colours reduced to a palette the canvas can
// hold, and drawn there.

#include "figure/IndexedCanvas.h"
#include "platform/Colour.h"
#include "platform/Result.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace figure {

// width x height colours, rows from the top.
struct RgbPicture {
    int width = 0;
    int height = 0;
    std::vector<platform::Rgb> pixels;
};

// The pixels of a PNG file's bytes (as the painters write them), or why they do not read.
platform::Result<RgbPicture> decodePng(std::string_view bytes);

// A picture of palette indices: width x height of them, rows from the top.
struct PalettePicture {
    int width = 0;
    int height = 0;
    std::vector<platform::Rgb> palette; // at most the colours asked for
    std::vector<uint8_t> indices;
};

// The picture in at most maxColours colours (1 to 256): its own colours when it has no more,
// else the weighted means of a median cut of them, each pixel given the nearest entry.
PalettePicture reduceColours(const RgbPicture& picture, std::size_t maxColours = 256);

// Fills the canvas with the picture, centred, the rest in the colour of its top left pixel; the
// canvas's palette becomes the picture's reduced colours.
void showPicture(const RgbPicture& picture, IndexedCanvas& canvas);

} // namespace figure
