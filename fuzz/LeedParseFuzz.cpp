// Any text as Wood notation and as a superstructure matrix: parsed into a value or refused with
// one error line, never a crash; what parses gives a bounded pattern on a square and a
// hexagonal surface.
#include "crystal/Leed.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void checkError(const std::string& error)
{
    if (error.empty() || error.find('\n') != std::string::npos)
        std::abort();
}

void checkPattern(crystal::Vec3 a, crystal::Vec3 b, const crystal::IntMatrix2& m)
{
    std::string error;
    const auto p = crystal::leedPattern(a, b, 80.0, {m, crystal::LeedDomains::All}, error);
    if (!p) {
        checkError(error);
        return;
    }
    if (p->spots.empty() || p->spots.size() > crystal::MaxLeedSpots || p->domains.empty())
        std::abort();
    for (const auto& s : p->spots)
        if (!(s.g <= p->waveNumber * (1 + 1e-9)) || s.h.den <= 0 || s.k.den <= 0 || s.domain < 1
            || s.domain > int(p->domains.size()))
            std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const crystal::Vec3 square[] = {{2.5, 0, 0}, {0, 2.5, 0}};
    const crystal::Vec3 hexagonal[] = {{2.5, 0, 0}, {-1.25, 2.5 * std::sqrt(3.0) / 2, 0}};
    std::string error;
    if (const auto w = crystal::parseWoodNotation(text, error)) {
        for (const auto* cell : {square, hexagonal}) {
            if (const auto m = crystal::woodMatrix(*w, cell[0], cell[1], error))
                checkPattern(cell[0], cell[1], *m);
            else
                checkError(error);
        }
    } else {
        checkError(error);
    }
    error.clear();
    if (const auto m = crystal::parseSuperstructureMatrix(text, error)) {
        if (m->det() == 0)
            std::abort();
        checkPattern(square[0], square[1], *m);
        checkPattern(hexagonal[0], hexagonal[1], *m);
    } else {
        checkError(error);
    }
    return 0;
}
