#include "crystal/LeedListing.h"

#include "crystal/SurfaceSymmetry.h"
#include "platform/Text.h"

#include <utility>

namespace crystal {

using platform::shortest;

platform::Result<LeedPattern> surfaceLeedPattern(const SurfaceSpec& spec, const SurfaceCell& cell, double energyEv,
                                                 std::optional<IntMatrix2> superstructure, LeedDomains domains)
{
    LeedOptions options{superstructure, domains};
    if (superstructure && domains == LeedDomains::All) {
        auto group = surfacePointGroup(spec, cell);
        if (!group)
            return group.error();
        options.pointGroup = std::move(*group);
    }
    return leedPattern(cell.a, cell.b, energyEv, options);
}

// Indices as decimal numbers (1/2 as 0.5, 1/3 as 0.3333333333333333), lengths in 1/Angstrom,
// angles in degrees, every number in the shortest form that reads back to the same double.
std::string formatLeedJson(const LeedPattern& p)
{
    std::string out = "{\"k\": " + shortest(p.waveNumber) + ", \"spots\": [";
    for (std::size_t i = 0; i < p.spots.size(); ++i) {
        const auto& s = p.spots[i];
        out += i ? ",\n  " : "\n  ";
        // + 0.0 turns a negative zero into zero.
        out += "{\"h\": " + shortest(s.h.value() + 0.0) + ", \"k\": " + shortest(s.k.value() + 0.0) + ", \"gx\": "
            + shortest(s.gx + 0.0) + ", \"gy\": " + shortest(s.gy + 0.0) + ", \"theta\": " + shortest(s.theta)
            + ", \"kind\": \"" + spotKindName(s.kind) + "\", \"domain\": " + std::to_string(s.domain) + "}";
    }
    out += "\n]}\n";
    return out;
}

} // namespace crystal
