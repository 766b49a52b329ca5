// Any text as Wood notation, as a superstructure matrix and as either (what the desktop reads):
// parsed into a value or refused with one error line, never a crash; what parses gives a
// bounded pattern on a square and a hexagonal surface, and reading either way agrees with
// reading the notation the text is.
#include "crystal/Leed.h"
#include "crystal/Superstructure.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>

namespace {

void checkError(const std::string& error)
{
    if (error.empty() || error.find('\n') != std::string::npos)
        std::abort();
}

void checkPattern(crystal::Position a, crystal::Position b, const crystal::IntMatrix2& m)
{
    const auto p = crystal::leedPattern(a, b, 80.0, {m, crystal::LeedDomains::All});
    if (!p) {
        checkError(p.error().message);
        return;
    }
    if (p->spots.empty() || p->spots.size() > crystal::MaxLeedSpots || p->domains.empty())
        std::abort();
    for (const auto& s : p->spots)
        if (!(s.g <= p->waveNumber * (1 + 1e-9)) || s.h.den <= 0 || s.k.den <= 0 || s.domain < 1
            || s.domain > int(p->domains.size()))
            std::abort();
}

// Each reading refused with one line, or read into a superstructure whose patterns are bounded.
void checkReading(const platform::Result<crystal::Superstructure>& read,
                  std::span<const crystal::Position* const> cells)
{
    if (!read) {
        checkError(read.error().message);
        return;
    }
    if (const auto* m = read->matrix(); m && m->det() == 0)
        std::abort();
    for (const crystal::Position* cell : cells) {
        if (const auto m = read->on(cell[0], cell[1]))
            checkPattern(cell[0], cell[1], *m);
        else
            checkError(m.error().message);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using crystal::SuperstructureNotation;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    static const crystal::Position square[] = {{2.5, 0, 0}, {0, 2.5, 0}};
    static const crystal::Position hexagonal[] = {{2.5, 0, 0}, {-1.25, 2.5 * std::sqrt(3.0) / 2, 0}};
    const crystal::Position* const cells[] = {square, hexagonal};
    const auto wood = crystal::readSuperstructure(text, SuperstructureNotation::Wood);
    const auto matrix = crystal::readSuperstructure(text, SuperstructureNotation::Matrix);
    checkReading(wood, cells);
    checkReading(matrix, cells);
    // Reading either way gives one of the two readings, refusal and all.
    const auto either = crystal::readSuperstructure(text);
    const auto same = [&](const platform::Result<crystal::Superstructure>& read) {
        if (bool(read) != bool(either))
            return false;
        if (!either)
            return read.error() == either.error();
        if (either->wood())
            return read->wood() && read->wood()->text == either->wood()->text;
        return read->matrix() && *read->matrix() == *either->matrix();
    };
    if (!same(wood) && !same(matrix))
        std::abort();
    return 0;
}
