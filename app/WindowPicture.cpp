#include "app/WindowPicture.h"

#include "winrt/BitmapFile.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace app {

namespace {

// The character cell of a picture window: its text grid matters only to painters that write in
// cells.
constexpr int CellWidth = 8;
constexpr int CellHeight = 12;

} // namespace

platform::Size WindowPicture::size() const { return {m_canvas.canvas().width(), m_canvas.canvas().height()}; }

figure::TextGrid WindowPicture::textGrid() const
{
    return {m_canvas.canvas().gridColumns(), m_canvas.canvas().cellWidth(), m_canvas.canvas().cellHeight()};
}

void WindowPicture::drawPixels(platform::Rect area, std::span<const uint8_t> indices)
{
    const int bits = 8;
    const int64_t row = winrt::bitmapRowBytes(area.width, bits);
    std::vector<uint8_t> image(std::size_t(winrt::bitmapHeaderBytes(bits) + row * area.height), 0);
    winrt::storeBitmapHeaders(image, area.width, area.height, bits);
    for (int i = 0; i < 256; ++i) {
        const platform::Rgb c = m_canvas.canvas().paletteEntry(i);
        uint8_t* entry = image.data() + 54 + 4 * i;
        entry[0] = c.blue;
        entry[1] = c.green;
        entry[2] = c.red;
    }
    uint8_t* bits0 = image.data() + winrt::bitmapHeaderBytes(bits);
    for (int y = 0; y < area.height; ++y)
        std::copy_n(indices.data() + std::size_t(y) * std::size_t(area.width), area.width,
                    bits0 + std::size_t(area.height - 1 - y) * std::size_t(row));
    m_canvas.put_image(int16_t(area.x), int16_t(area.y), image, 3);
}

void WindowPicture::setPalette(std::span<const platform::Rgb> colours)
{
    std::vector<uint32_t> palette(std::size_t(m_canvas.canvas().colourCount()), 0);
    for (std::size_t i = 0; i < colours.size() && i < palette.size(); ++i)
        palette[i] = colours[i].paletteValue();
    (void)m_canvas.remap_all_palette(palette);
}

void WindowPicture::clear(uint8_t index)
{
    (void)m_canvas.setBackgroundColour(index);
    (void)m_canvas.clear_screen(0);
}

void WindowPicture::fillEllipse(platform::Rect box, uint8_t index)
{
    (void)m_canvas.set_colour(index);
    (void)m_canvas.draw_ellipse(3, int16_t(box.x), int16_t(box.y), int16_t(box.right()), int16_t(box.bottom()));
}

void WindowPicture::writeText(int row, int column, std::string_view text, uint8_t ink, uint8_t paper)
{
    (void)m_canvas.setTextColour(ink);
    (void)m_canvas.setBackgroundColour(paper);
    m_canvas.setTextPosition(int16_t(row), int16_t(column));
    m_canvas.out_text(text);
}

std::shared_ptr<winrt::WindowCanvas> fittedCanvas(winrt::WindowRuntime& windows, platform::ChildWindows& children,
                                                  int32_t handle, const char* title)
{
    const auto info = windows.windowInfo(handle);
    if (!info || info->closed)
        return nullptr;
    auto canvas = windows.windowCanvas(handle);
    const platform::Size client = children.clientSize(info->platformWindow);
    const int width = std::max(client.width, MinPictureSide), height = std::max(client.height, MinPictureSide);
    // Within two pixels the canvas fits: the window runtime shows no scroll bar for so little.
    if (canvas && std::abs(canvas->canvas().width() - width) <= 2 && std::abs(canvas->canvas().height() - height) <= 2)
        return canvas;
    winrt::WindowConfig config;
    config.pixel_width = int16_t(std::min(width, 32767));
    config.pixel_height = int16_t(std::min(height, 32767));
    config.colour_count = 256;
    config.font_size = winrt::fontCell(CellWidth, CellHeight);
    config.setTitle(title);
    const int32_t previous = windows.currentWindow();
    windows.set_current_window(handle);
    if (!windows.set_window_config(config))
        windows.set_window_config(config);
    if (previous >= 0)
        windows.set_current_window(previous);
    return windows.windowCanvas(handle);
}

} // namespace app
