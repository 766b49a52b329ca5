#pragma once
// The raster operations that combine an image with the canvas, on palette indices.

#include <cstdint>
#include <optional>

namespace winrt {

// D is the canvas pixel, S the image pixel after colour matching, P the fill brush.
enum class RasterOp {
    Or,            // D | S
    And,           // D & S
    NotSource,     // ~S
    Copy,          // S
    Xor,           // D ^ S
    NotDest,       // ~D
    Pattern,       // P
    Black,         // index 0
    PatternXor,    // P ^ D
    White,         // all bits set
    NotOr,         // ~(D | S)
    PatternAnd,    // P & S
    NotSourceOrD,  // ~S | D
    SourceAndNotD, // S & ~D
    PatternPaint,  // P | ~S | D
};

// The operation for a put_image action: the short codes 0..4 or the low word of a raster
// operation code; no value for an unrecognised action.
std::optional<RasterOp> rasterOpForAction(int16_t action);

// Whether the operation reads the image at all (those that do not still need a valid buffer).
bool rasterOpUsesSource(RasterOp op);

// Combines one pixel. The result is taken to the canvas's index bits (mask, e.g. 0xFF for
// 256 colours, 0x0F for 16) and then, for a colour count that is not a power of two, to the
// last palette entry, so that a pixel always names an entry of the palette.
uint8_t applyRasterOp(RasterOp op, uint8_t d, uint8_t s, uint8_t p, uint8_t mask, int colourCount);

} // namespace winrt
