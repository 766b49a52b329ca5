#include "winrt/RasterOp.h"

namespace winrt {

std::optional<RasterOp> rasterOpForAction(int16_t action)
{
    switch (action) {
    case 0:
    case 134: return RasterOp::Or;
    case 1:
    case 198: return RasterOp::And;
    case 2:
    case 8: return RasterOp::NotSource;
    case 3:
    case 32: return RasterOp::Copy;
    case 4:
    case 70: return RasterOp::Xor;
    case 9: return RasterOp::NotDest;
    case 33: return RasterOp::Pattern;
    case 66: return RasterOp::Black;
    case 73: return RasterOp::PatternXor;
    case 98: return RasterOp::White;
    case 166: return RasterOp::NotOr;
    case 202: return RasterOp::PatternAnd;
    case 550: return RasterOp::NotSourceOrD;
    case 808: return RasterOp::SourceAndNotD;
    case 2569: return RasterOp::PatternPaint;
    default: return std::nullopt;
    }
}

bool rasterOpUsesSource(RasterOp op)
{
    switch (op) {
    case RasterOp::NotDest:
    case RasterOp::Pattern:
    case RasterOp::Black:
    case RasterOp::PatternXor:
    case RasterOp::White: return false;
    default: return true;
    }
}

uint8_t applyRasterOp(RasterOp op, uint8_t d, uint8_t s, uint8_t p, uint8_t mask, int colourCount)
{
    unsigned r = 0;
    switch (op) {
    case RasterOp::Or: r = d | s; break;
    case RasterOp::And: r = d & s; break;
    case RasterOp::NotSource: r = ~unsigned(s); break;
    case RasterOp::Copy: r = s; break;
    case RasterOp::Xor: r = d ^ s; break;
    case RasterOp::NotDest: r = ~unsigned(d); break;
    case RasterOp::Pattern: r = p; break;
    case RasterOp::Black: r = 0; break;
    case RasterOp::PatternXor: r = p ^ d; break;
    case RasterOp::White: r = ~0u; break;
    case RasterOp::NotOr: r = ~unsigned(d | s); break;
    case RasterOp::PatternAnd: r = p & s; break;
    case RasterOp::NotSourceOrD: r = ~unsigned(s) | d; break;
    case RasterOp::SourceAndNotD: r = s & ~unsigned(d); break;
    case RasterOp::PatternPaint: r = p | ~unsigned(s) | d; break;
    }
    r &= mask;
    if (int(r) >= colourCount)
        r = unsigned(colourCount - 1);
    return uint8_t(r);
}

} // namespace winrt
