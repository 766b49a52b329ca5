#pragma once
// The program's own font: deterministic glyphs for the headless platform and for tests.

#include "platform/Display.h"

namespace platform {

// A built-in 5 x 7 pixel font (printable ASCII, with descenders) scaled by whole pixels and
// placed in the lower part of the cell. The desktop program draws with a real font instead.
class BuiltinGlyphs final : public Glyphs {
public:
    void renderGlyph(unsigned char ch, int cellWidth, int cellHeight, std::span<uint8_t> mask) const override;
};

} // namespace platform
