#pragma once
// The indexed canvas of a child window: a picture of palette indices with its own palette,
// the drawing state, the character grid for text, and the drawing operations.

#include "winrt/Colour.h"
#include "platform/Display.h"
#include "platform/Picture.h"
#include "platform/Result.h"
#include "winrt/GraphicsStatus.h"
#include "winrt/Rect.h"
#include "winrt/RecentCache.h"

#include <array>
#include <cstdlib>
#include <bitset>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace winrt {

// Whether text continues on the next row at the right edge of the text window.
enum class Wrap {
    Off,
    On
};

// What the window remembers of the text written to one row of its character grid, for
// copying text out. Rows and columns are 1-based grid cells.
struct TextPiece {
    int row = 0;
    int firstColumn = 0;
    int lastColumn = 0;
    std::string text;       // the characters of columns firstColumn..lastColumn (blank where none was written)
    bool emptyLine = false; // a line break on a row that holds no text

    bool operator==(const TextPiece&) const = default;
};

// A cell of the character grid, 1-based.
struct TextCell {
    int row = 1;
    int column = 1;
    bool operator==(const TextCell&) const = default;
};

// The text window in grid cells, 1-based and inclusive; empty when the cell is larger than the canvas.
struct TextWindow {
    int top = 1;
    int left = 1;
    int bottom = 0;
    int right = 0;
    int rows() const { return bottom - top + 1; }
    int columns() const { return right - left + 1; }
    bool operator==(const TextWindow&) const = default;
};

// Facts about the display the canvas is shown on and the pictures it hands out.
struct CanvasOptions {
    // Depth of the buffers of get_image and image_size: 1, 4, 8, 16, 24 or 32 (8 by default: the
    // canvas holds palette indices and the picture file keeps them).
    int imageBitsPerPixel = 8;
    // Depth of the display, for the exactness flags: at 24 bits and above every colour shows
    // exactly; at 15 or 16 bits a colour is exact only when it survives 5 bits per channel
    // (6 for green at 16); at 8 bits and below the palette is the display's, so it is exact.
    int displayBitsPerPixel = 24;
};

// What a canvas operation did: its graphics status (status::ok unless said otherwise), its
// result where it has one, and the canvas pixels it changed (empty when none). The window that
// owns the canvas records the status for the program and repaints the damage.
struct [[nodiscard]] CanvasResult {
    int16_t status = status::ok;
    int32_t value = 0;
    Rect damage;
    bool operator==(const CanvasResult&) const = default;
};

// The error of Canvas::create when the pixels cannot be allocated.
inline constexpr std::string_view CanvasOutOfMemory = "out of memory";

// A canvas is created with its window's configuration and replaced by a new one when the
// configuration changes. Coordinates of the operations are viewport coordinates (16-bit); the
// canvas pixel is the coordinate plus the viewport origin. The canvas has no locks: its window
// (WindowCanvas) serialises the operations and the readers.
class Canvas {
public:
    // width, height: 1..32767 pixels; colourCount: 2..256; cell: the character cell in pixels
    // (>= 1). An error outside these ranges, or CanvasOutOfMemory when there is no memory for
    // the pixels. The glyph source must outlive the canvas.
    static platform::Result<Canvas> create(int width, int height, int colourCount, int cellWidth, int cellHeight,
                                           const platform::Glyphs& glyphs, CanvasOptions options = {});
    Canvas(Canvas&&) = default;
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    // --- Operations of the window runtime -------------------------------------------------

    // Makes index the current colour for shapes; value: the previous one. An index past the
    // palette becomes the last entry, a negative one 0 (status 3 either way); status 3 also
    // when the entry is not shown exactly.
    CanvasResult set_colour(int16_t index);

    // Draws the ellipse inscribed in the box (x1, y1)-(x2, y2), corners included, clipped to the
    // viewport: control 2 outline only, 3 filled, both in the current colour (the fill takes the
    // fill mask where one is set). Swapped corners are put in order (status 3). Value 1, or 0
    // with status -1 for any other control.
    CanvasResult draw_ellipse(int16_t control, int16_t x1, int16_t y1, int16_t x2, int16_t y2);

    // Combines a bitmap buffer with the canvas, its top left corner at (x, y), clipped to the
    // viewport. action: 0 or, 1 and, 2 not source, 3 copy, 4 xor, or the low word of a raster
    // operation code (see RasterOp.h); another action gives status -4. Image colours are matched
    // to the nearest palette entry. A buffer that does not read gives status -1; nothing is drawn.
    CanvasResult put_image(int16_t x, int16_t y, std::span<const uint8_t> image, int16_t action);

    // Value: bytes of a bitmap buffer for the rectangle at the image depth, or -1 (status -1)
    // for an unsupported depth (or a size beyond 32 bits).
    CanvasResult image_size(int16_t x1, int16_t y1, int16_t x2, int16_t y2) const;

    // Captures the rectangle (corners in either order, status 3 when swapped) into buffer as a
    // bitmap file image at the image depth with the canvas palette; canvas pixels outside the
    // canvas read as index 0. A buffer shorter than image_size gets nothing and status -1.
    CanvasResult get_image(int16_t x1, int16_t y1, int16_t x2, int16_t y2, std::span<uint8_t> buffer) const;

    // area 0: the whole canvas in the background colour, forgetting the text record and the
    // changed mark; 1: the viewport in index 0; 2: the text window's cells in the background
    // colour (and its part of the text record). The text position goes to the top left cell of
    // the text window. Value 1; another area gives 0 with status -4.
    CanvasResult clear_screen(int16_t area);

    // Writes text in character cells from the text position, in the text colour on the
    // background colour. CR goes to column 1, LF to column 1 of the next row; with wrap on, text
    // reaching the right edge continues on the next row; below the bottom row the text window
    // scrolls up. The text ends at its length or at a NUL.
    CanvasResult out_text(std::string_view text);

    // Replaces the palette with colourCount colours laid out 0x00BBGGRR; the pixels keep their
    // indices and so take the new colours (the whole canvas is damaged). Fails (-1, status -1) on
    // 20 colours or fewer, and (-1, status -4) when fewer colours than the palette's are given.
    // Value 0.
    CanvasResult remap_all_palette(std::span<const uint32_t> colours);

    // --- Drawing state --------------------------------------------------------------------

    // Colour of text and of the cells behind it; same repairs and result as set_colour.
    CanvasResult setTextColour(int16_t index);
    CanvasResult setBackgroundColour(int16_t index);
    // The viewport in canvas pixels, corners in either order (status 3 when swapped), clipped to
    // the canvas; a viewport wholly outside the canvas is refused with status -4.
    CanvasResult setViewport(int16_t x1, int16_t y1, int16_t x2, int16_t y2);
    // The offset added to every coordinate of the drawing operations.
    CanvasResult setViewOrigin(int16_t x, int16_t y);
    // The text window in grid cells (1-based, inclusive), clamped to the grid (status 3 when
    // altered); the text position goes to its top left cell.
    CanvasResult setTextWindow(int16_t top, int16_t left, int16_t bottom, int16_t right);
    // The text position inside the text window (1-based), clamped to it (status 3 when altered).
    CanvasResult setTextPosition(int16_t row, int16_t column);
    CanvasResult setWrap(Wrap wrap);
    // An 8 x 8 pattern for filled shapes and the brush of the raster operations (row 0 first,
    // bit 7 the leftmost pixel; bits 1 take the current colour, bits 0 index 0), or none.
    CanvasResult setFillMask(std::optional<std::array<uint8_t, 8>> pattern);

    // --- Reading --------------------------------------------------------------------------

    int width() const { return m_width; }
    int height() const { return m_height; }
    int colourCount() const { return m_colourCount; }
    int cellWidth() const { return m_cellWidth; }
    int cellHeight() const { return m_cellHeight; }
    int gridRows() const { return m_gridRows; }
    int gridColumns() const { return m_gridColumns; }
    const CanvasOptions& options() const { return m_options; }

    // The palette index at a canvas pixel (0 outside the canvas).
    uint8_t pixel(int x, int y) const;
    // All pixels, row by row from the top, width() per row.
    std::span<const uint8_t> pixels() const { return {m_pixels.get(), m_pixelCount}; }
    // The colour a pixel shows with the current palette.
    Rgb pixelColour(int x, int y) const { return paletteEntry(pixel(x, y)); }

    Rgb paletteEntry(int index) const;
    bool paletteNoCollapse(int index) const;
    // 1 when the display cannot show the entry's colour exactly, else 0.
    uint8_t paletteExactness(int index) const;

    int16_t currentColour() const { return m_colour; }
    int16_t textColour() const { return m_textColour; }
    int16_t backgroundColour() const { return m_background; }
    Rect viewport() const { return m_viewport; }
    int originX() const { return m_originX; }
    int originY() const { return m_originY; }
    TextWindow textWindow() const { return m_textWindow; }
    // The text position inside the text window; the column is one past the right edge after
    // text that ended exactly there (the wrap happens with the next character).
    TextCell textPosition() const { return m_textPosition; }
    Wrap wrap() const { return m_wrap; }
    // Set by every ellipse and image; cleared by the whole-window clear.
    bool changed() const { return m_changed; }
    // Whether text has ever been written to the canvas (a clear does not undo it): the window
    // then shows a caret where the next text goes.
    bool textShown() const { return m_textShown; }
    // The record of text written since the last whole-window clear, one piece per grid row
    // that holds text or an empty line, top row first.
    std::vector<TextPiece> textPieces() const;

private:
    // Takes the pixels, zeroed and allocated with std::calloc.
    Canvas(int width, int height, int colourCount, int cellWidth, int cellHeight, const platform::Glyphs& glyphs,
           CanvasOptions options, uint8_t* pixels);

    struct TextCellRecord {
        char ch = ' ';
        bool written = false;
    };

    CanvasResult clampColour(int16_t index, int16_t& target);
    uint8_t brushAt(int x, int y) const;
    uint8_t indexMask() const;
    void fillRect(Rect r, uint8_t index);
    // Marks pixels of r as drawn since the canvas was last one colour.
    void touch(Rect r) { m_drawn = m_drawn.united(r); }
    uint8_t* row(int y) { return m_pixels.get() + size_t(y) * size_t(m_width); }
    void drawCharacter(int gridRow, int gridColumn, unsigned char ch);
    void newLine(Rect& damage);
    void scrollTextWindow();
    Rect textWindowPixels() const;
    void clearTextRecord(const TextWindow& area);

    const int m_width;
    const int m_height;
    const int m_colourCount;
    const int m_cellWidth;
    const int m_cellHeight;
    const int m_gridRows;
    const int m_gridColumns;
    const platform::Glyphs& m_glyphs;
    const CanvasOptions m_options;

    struct FreeBytes {
        void operator()(uint8_t* p) const { std::free(p); }
    };
    // Zeroed by the system: pages never drawn on are never touched.
    std::unique_ptr<uint8_t[], FreeBytes> m_pixels;
    size_t m_pixelCount = 0;
    // Every pixel outside m_drawn holds m_uniform: a whole-window clear in that colour only
    // fills m_drawn, so the clears of the progress output and of a new picture cost what was drawn.
    uint8_t m_uniform = 0;
    Rect m_drawn;

    std::vector<Rgb> m_palette;
    std::vector<uint8_t> m_noCollapse;
    std::vector<uint8_t> m_inexact;

    // Colour tables of recent pictures matched to the palette: drawing a scene puts the same
    // two pictures thousands of times, and matching a table costs 256 x 256 distances.
    RecentCache<std::vector<Rgb>, std::array<uint8_t, 256>> m_tableMatches;
    const std::array<uint8_t, 256>& matchTable(std::span<const Rgb> table);
    // Pictures recently put, decoded and matched to the palette, keyed by their bytes.
    struct PreparedImage {
        int width = 0;
        int height = 0;
        std::vector<uint8_t> source; // palette index per pixel, rows from the top
    };
    RecentCache<std::vector<uint8_t>, PreparedImage> m_preparedImages;
    // The row spans of recently drawn ellipse boxes, by box size (they do not depend on where
    // the box stands): left, right offsets per row of the box.
    RecentCache<std::pair<int, int>, std::vector<std::pair<int, int>>> m_ellipseSpans;
    const std::vector<std::pair<int, int>>& ellipseSpans(int width, int height);

    int16_t m_colour;
    int16_t m_textColour;
    int16_t m_background = 0;
    Rect m_viewport;
    int m_originX = 0;
    int m_originY = 0;
    std::optional<std::array<uint8_t, 8>> m_fillMask;
    TextWindow m_textWindow;
    TextCell m_textPosition;
    Wrap m_wrap = Wrap::On;
    bool m_changed = false;
    bool m_textShown = false;

    std::vector<TextCellRecord> m_textRecord; // gridRows x gridColumns
    std::vector<uint8_t> m_emptyLine;         // per grid row
    std::vector<uint8_t> m_glyphMask;         // one cell
    // Each character's cell once drawn, in the colours of m_cellColours (small cells only):
    // the text of a listing and the progress dots repeat a few characters many times.
    std::unique_ptr<uint8_t[], FreeBytes> m_glyphCells;
    std::bitset<256> m_glyphKnown;
    std::pair<uint8_t, uint8_t> m_cellColours{0, 0}; // ink, paper
};

// The canvas's palette, one colour per entry.
std::vector<Rgb> paletteOf(const Canvas& canvas);

// The pixels of region with the canvas's palette: what save, copy, print and the batch front
// end hand on. Pixels of region outside the canvas read as index 0. The caller holds the
// window's drawing lock when another thread may draw.
platform::IndexedPicture capturePicture(const Canvas& canvas, Rect region);

} // namespace winrt
