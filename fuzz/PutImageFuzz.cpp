// Any bytes as the picture of put_image, at a position and with an action taken from the
// input: nothing may be read or written out of bounds, and every pixel must stay a palette
// entry.
#include "platform/headless/BuiltinGlyphs.h"
#include "winrt/Canvas.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static platform::BuiltinGlyphs glyphs;
    static winrt::Canvas canvas = *winrt::Canvas::create(64, 48, 200, 8, 16, glyphs);
    if (size < 4)
        return 0;
    const int16_t x = int16_t(int8_t(data[0]));
    const int16_t y = int16_t(int8_t(data[1]));
    const int16_t action = int16_t(data[2] | (data[3] << 8));
    (void)canvas.put_image(x, y, {data + 4, size - 4}, action);
    for (uint8_t p : canvas.pixels())
        if (p >= canvas.colourCount())
            std::abort();
    return 0;
}
