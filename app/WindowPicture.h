#pragma once
// A child window's canvas as the figure painters draw on it, and the canvas sized in pixels:
// the Surface menu's picture windows (the LEED pattern, the figure, the equilibrium shape).

#include "figure/IndexedCanvas.h"
#include "platform/ChildWindows.h"
#include "winrt/WindowRuntime.h"

#include <cstdint>
#include <memory>

namespace app {

class WindowPicture final : public figure::IndexedCanvas {
public:
    explicit WindowPicture(winrt::WindowCanvas& canvas) : m_canvas(canvas) {}

    platform::Size size() const override;
    // The grid the window was configured with.
    figure::TextGrid textGrid() const override;
    // As an 8-bit bitmap with the canvas's own palette, copied onto the canvas.
    void drawPixels(platform::Rect area, std::span<const uint8_t> indices) override;
    void setPalette(std::span<const platform::Rgb> colours) override;
    void clear(uint8_t index) override;
    void fillEllipse(platform::Rect box, uint8_t index) override;
    void writeText(int row, int column, std::string_view text, uint8_t ink, uint8_t paper) override;

private:
    winrt::WindowCanvas& m_canvas;
};

// The smallest canvas side a picture window takes, pixels.
inline constexpr int MinPictureSide = 64;

// The window's canvas at the size of its client area (at least MinPictureSide a side): made
// anew, with 256 colours and title as caption, when the window's size differs from it by more
// than two pixels; null for a
// window that is not open. The calling thread's current window stays as it was.
std::shared_ptr<winrt::WindowCanvas> fittedCanvas(winrt::WindowRuntime& windows, platform::ChildWindows& children,
                                                  int32_t handle, const char* title);

} // namespace app
