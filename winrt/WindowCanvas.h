#pragma once
// A child window's canvas as the program draws on it: the canvas with the window's drawing and
// text locks, the pause gate the program waits at and the damage hook that repaints the window.
// Each operation records the process-wide graphics status, the boundary the program sees.

#include "winrt/Canvas.h"

#include <functional>
#include <mutex>

namespace winrt {

// The operations keep the window runtime's given names and results; each leaves its status in
// graphicsStatus(). Every drawing and text operation waits at the gate first (set_colour,
// draw_ellipse, put_image, clear_screen, out_text, remap_all_palette), then holds the drawing
// lock while it touches the canvas (out_text takes the text lock first); a reader on another
// thread (a repaint, a save) takes lockDrawing() around its use of canvas(). The damage hook
// runs on the drawing thread after the lock is released, so it may take the lock itself.
class WindowCanvas {
public:
    explicit WindowCanvas(Canvas canvas);
    WindowCanvas(const WindowCanvas&) = delete;
    WindowCanvas& operator=(const WindowCanvas&) = delete;

    int16_t set_colour(int16_t index);
    int16_t draw_ellipse(int16_t control, int16_t x1, int16_t y1, int16_t x2, int16_t y2);
    void put_image(int16_t x, int16_t y, std::span<const uint8_t> image, int16_t action);
    int32_t image_size(int16_t x1, int16_t y1, int16_t x2, int16_t y2) const;
    void get_image(int16_t x1, int16_t y1, int16_t x2, int16_t y2, std::span<uint8_t> buffer);
    int16_t clear_screen(int16_t area);
    void out_text(std::string_view text);
    int16_t remap_all_palette(std::span<const uint32_t> colours);
    int16_t setTextColour(int16_t index);
    int16_t setBackgroundColour(int16_t index);
    void setViewport(int16_t x1, int16_t y1, int16_t x2, int16_t y2);
    void setViewOrigin(int16_t x, int16_t y);
    void setTextWindow(int16_t top, int16_t left, int16_t bottom, int16_t right);
    void setTextPosition(int16_t row, int16_t column);
    void setWrap(Wrap wrap);
    void setFillMask(std::optional<std::array<uint8_t, 8>> pattern);

    // Called with the changed rectangle after every operation that changed pixels. Set it, and
    // the gate, before the canvas is shared between threads.
    void setDamageHook(std::function<void(Rect)> hook) { m_damageHook = std::move(hook); }
    // Called at the start of every drawing and text operation, before any lock is taken: the
    // pause of the program waits there.
    void setOperationGate(std::function<void()> gate) { m_gate = std::move(gate); }

    std::unique_lock<std::mutex> lockDrawing() const { return std::unique_lock(m_drawing); }
    std::unique_lock<std::mutex> lockText() const { return std::unique_lock(m_text); }

    // The pixels and drawing state (hold lockDrawing() when another thread may draw).
    const Canvas& canvas() const { return m_canvas; }

private:
    enum class Gate {
        Wait,
        Pass
    };
    // Runs one canvas operation at the boundary: the gate, the lock, the status, the damage.
    template <typename Operation> int32_t run(Gate gate, Operation&& operation);

    Canvas m_canvas;
    mutable std::mutex m_text;
    mutable std::mutex m_drawing;
    std::function<void()> m_gate;
    std::function<void(Rect)> m_damageHook;
};

} // namespace winrt
