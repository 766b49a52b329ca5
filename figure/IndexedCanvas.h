#pragma once
// What a painter needs of an indexed canvas with a grid of character cells, such as a desktop
// window's: the desktop implements it over its own canvas, so that figure/ links no window code
// and the batch front end and the Python module, which link figure/, stay free of it.

#include "platform/Colour.h"
#include "platform/Rect.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace figure {

// The character cells text is placed in: columns across the canvas, each cell in pixels.
struct TextGrid {
    int columns = 0;
    int cellWidth = 0;
    int cellHeight = 0;
};

// Colours are palette indices; rows and columns of cells are 1-based, pixels 0-based from the
// top left corner.
class IndexedCanvas {
public:
    virtual ~IndexedCanvas() = default;

    // The canvas in pixels.
    virtual platform::Size size() const = 0;
    virtual TextGrid textGrid() const = 0;
    // Entries 0 to colours.size() - 1 become colours, the others black.
    virtual void setPalette(std::span<const platform::Rgb> colours) = 0;
    // Fills the whole canvas with one entry.
    virtual void clear(uint8_t index) = 0;
    // Fills the ellipse that touches the sides of box, its edges included.
    virtual void fillEllipse(platform::Rect box, uint8_t index) = 0;
    // Draws a picture of palette entries, row by row from the top, area.width x area.height of
    // them, with its top left corner at area's.
    virtual void drawPixels(platform::Rect area, std::span<const uint8_t> indices) = 0;
    // Writes text from the cell at row, column on: ink on paper.
    virtual void writeText(int row, int column, std::string_view text, uint8_t ink, uint8_t paper) = 0;
};

} // namespace figure
