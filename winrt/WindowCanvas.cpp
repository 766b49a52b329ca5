#include "winrt/WindowCanvas.h"

namespace winrt {

WindowCanvas::WindowCanvas(Canvas canvas) : m_canvas(std::move(canvas)) {}

template <typename Operation> int32_t WindowCanvas::run(Gate gate, Operation&& operation)
{
    if (gate == Gate::Wait && m_gate)
        m_gate();
    CanvasResult result;
    {
        auto lock = lockDrawing();
        result = operation(m_canvas);
    }
    setGraphicsStatus(result.status);
    if (!result.damage.isEmpty() && m_damageHook)
        m_damageHook(result.damage);
    return result.value;
}

int16_t WindowCanvas::set_colour(int16_t index)
{
    return int16_t(run(Gate::Wait, [&](Canvas& c) { return c.set_colour(index); }));
}

int16_t WindowCanvas::draw_ellipse(int16_t control, int16_t x1, int16_t y1, int16_t x2, int16_t y2)
{
    return int16_t(run(Gate::Wait, [&](Canvas& c) { return c.draw_ellipse(control, x1, y1, x2, y2); }));
}

void WindowCanvas::put_image(int16_t x, int16_t y, std::span<const uint8_t> image, int16_t action)
{
    run(Gate::Wait, [&](Canvas& c) { return c.put_image(x, y, image, action); });
}

int32_t WindowCanvas::image_size(int16_t x1, int16_t y1, int16_t x2, int16_t y2) const
{
    // The size depends only on the canvas's fixed depth: no lock.
    const CanvasResult result = m_canvas.image_size(x1, y1, x2, y2);
    setGraphicsStatus(result.status);
    return result.value;
}

void WindowCanvas::get_image(int16_t x1, int16_t y1, int16_t x2, int16_t y2, std::span<uint8_t> buffer)
{
    run(Gate::Pass, [&](Canvas& c) { return c.get_image(x1, y1, x2, y2, buffer); });
}

int16_t WindowCanvas::clear_screen(int16_t area)
{
    return int16_t(run(Gate::Wait, [&](Canvas& c) { return c.clear_screen(area); }));
}

void WindowCanvas::out_text(std::string_view text)
{
    if (m_gate)
        m_gate();
    auto textLock = lockText();
    run(Gate::Pass, [&](Canvas& c) { return c.out_text(text); });
}

int16_t WindowCanvas::remap_all_palette(std::span<const uint32_t> colours)
{
    return int16_t(run(Gate::Wait, [&](Canvas& c) { return c.remap_all_palette(colours); }));
}

int16_t WindowCanvas::setTextColour(int16_t index)
{
    return int16_t(run(Gate::Pass, [&](Canvas& c) { return c.setTextColour(index); }));
}

int16_t WindowCanvas::setBackgroundColour(int16_t index)
{
    return int16_t(run(Gate::Pass, [&](Canvas& c) { return c.setBackgroundColour(index); }));
}

void WindowCanvas::setViewport(int16_t x1, int16_t y1, int16_t x2, int16_t y2)
{
    run(Gate::Pass, [&](Canvas& c) { return c.setViewport(x1, y1, x2, y2); });
}

void WindowCanvas::setViewOrigin(int16_t x, int16_t y)
{
    run(Gate::Pass, [&](Canvas& c) { return c.setViewOrigin(x, y); });
}

void WindowCanvas::setTextWindow(int16_t top, int16_t left, int16_t bottom, int16_t right)
{
    run(Gate::Pass, [&](Canvas& c) { return c.setTextWindow(top, left, bottom, right); });
}

void WindowCanvas::setTextPosition(int16_t row, int16_t column)
{
    run(Gate::Pass, [&](Canvas& c) { return c.setTextPosition(row, column); });
}

void WindowCanvas::setWrap(Wrap wrap)
{
    run(Gate::Pass, [&](Canvas& c) { return c.setWrap(wrap); });
}

void WindowCanvas::setFillMask(std::optional<std::array<uint8_t, 8>> pattern)
{
    run(Gate::Pass, [&](Canvas& c) { return c.setFillMask(pattern); });
}

} // namespace winrt
