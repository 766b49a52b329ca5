#pragma once
// Where the canvas gets the shapes of characters: a coverage mask the size of one character cell.

#include <cstdint>
#include <span>

namespace winrt {

class GlyphSource {
public:
    virtual ~GlyphSource() = default;

    // Fills mask (cellWidth x cellHeight bytes, row by row, top row first) with the coverage of
    // character ch: 0 is background, 255 full ink; the canvas inks pixels of 128 and above.
    // Characters the source does not know leave the mask all 0.
    virtual void renderGlyph(unsigned char ch, int cellWidth, int cellHeight,
                             std::span<uint8_t> mask) const = 0;
};

// A deterministic glyph source with a built-in 5 x 7 pixel font (printable ASCII, with
// descenders) scaled by whole pixels and placed in the lower part of the cell. Used headless
// and in tests; the desktop program supplies glyphs from a real font instead.
class BuiltinGlyphSource final : public GlyphSource {
public:
    void renderGlyph(unsigned char ch, int cellWidth, int cellHeight,
                     std::span<uint8_t> mask) const override;
};

} // namespace winrt
