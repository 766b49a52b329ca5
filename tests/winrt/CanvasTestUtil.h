#pragma once
// Small helpers shared by the canvas tests: canvases, bitmaps and pixel dumps.

#include "platform/headless/BuiltinGlyphs.h"
#include "winrt/BitmapFile.h"
#include "winrt/WindowCanvas.h"

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace winrt::testing {

inline const platform::Glyphs& glyphs()
{
    static platform::BuiltinGlyphs source;
    return source;
}

// A canvas of a size the test knows to be good.
inline Canvas newCanvas(int width, int height, int colours = 256, int cellWidth = 10, int cellHeight = 18,
                        CanvasOptions options = {})
{
    auto canvas = Canvas::create(width, height, colours, cellWidth, cellHeight, glyphs(), options);
    if (!canvas)
        std::abort();
    return std::move(*canvas);
}

// A window's canvas without a window: its operations record the process-wide status.
inline std::unique_ptr<WindowCanvas> makeCanvas(int width, int height, int colours = 256, int cellWidth = 10,
                                                int cellHeight = 18, CanvasOptions options = {})
{
    return std::make_unique<WindowCanvas>(newCanvas(width, height, colours, cellWidth, cellHeight, options));
}

// Fills a rectangle by copying a one-colour image (the canvas must have the colour in its palette).
inline std::vector<uint8_t> solidImage(int width, int height, Rgb colour)
{
    std::vector<uint8_t> indices(size_t(width) * size_t(height), 0);
    std::vector<Rgb> palette{colour};
    return encodeBitmap(width, height, indices, palette, 8);
}

// An 8-bit image whose pixels are given as palette indices with the given colour table.
inline std::vector<uint8_t> indexedImage(int width, int height, const std::vector<uint8_t>& indices,
                                         const std::vector<Rgb>& table)
{
    return encodeBitmap(width, height, indices, table, 8);
}

// A canvas's pixels as text, one character per pixel ('.' for index 0, '#' otherwise), for
// readable failure messages.
inline std::string dump(const Canvas& canvas)
{
    std::string out;
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x)
            out += canvas.pixel(x, y) ? '#' : '.';
        out += '\n';
    }
    return out;
}

inline std::string dump(const WindowCanvas& canvas) { return dump(canvas.canvas()); }

// A palette of 256 distinct colours (entry i = (i, 255 - i, i / 2 + 64)), 0x00BBGGRR.
inline std::vector<uint32_t> distinctPalette()
{
    std::vector<uint32_t> p(256);
    for (uint32_t i = 0; i < 256; ++i)
        p[i] = i | (255 - i) << 8 | (i / 2 + 64) << 16;
    return p;
}

inline std::vector<Rgb> asRgb(const std::vector<uint32_t>& colours)
{
    std::vector<Rgb> out;
    for (uint32_t c : colours)
        out.push_back(Rgb::fromPaletteValue(c));
    return out;
}

} // namespace winrt::testing
