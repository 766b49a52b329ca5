#pragma once
// Pictures of palette indices as they cross the platform: a child window's picture lent out
// for painting, and a captured copy handed to the clipboard and the printer.

#include "platform/Colour.h"
#include "platform/Rect.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace platform {

// A child window's picture as the window runtime hands it out for painting: palette indices,
// rows from the top, and the palette. Valid during the call only.
struct PictureView {
    int width = 0;
    int height = 0;
    std::span<const std::uint8_t> pixels;
    std::span<const Rgb> palette;
    // Top left corner of the visible area over the picture.
    int scrollX = 0;
    int scrollY = 0;
    // The caret's cell (top left pixel and size), when the window shows one.
    std::optional<Rect> caret;
    // Parts of the picture marked for copying, shown inverted (picture pixels).
    std::span<const Rect> marked;
};

// A picture of palette indices with its own palette.
struct IndexedPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels; // width x height indices, rows from the top
    std::vector<Rgb> palette;         // one entry per index in use
    bool operator==(const IndexedPicture&) const = default;
};

} // namespace platform
