#pragma once
// The diffraction pattern of a real material's surface as `facetor leed` and the Python module
// give it: the pattern of the surface's primitive cell with an optional superstructure and its
// domains, and its JSON object {k, spots: [...]}.

#include "crystal/Leed.h"
#include "crystal/SurfaceCell.h"
#include "platform/Result.h"

#include <optional>
#include <string>

namespace crystal {

// The pattern of cell (surfaceCell of spec, primitive) at energyEv with the superstructure
// matrix on cell's a and b; with LeedDomains::All, the domains of the surface's point group.
// An error naming the fault (the point group not found, a bad energy, too many beams).
platform::Result<LeedPattern> surfaceLeedPattern(const SurfaceSpec& spec, const SurfaceCell& cell, double energyEv,
                                                 std::optional<IntMatrix2> superstructure, LeedDomains domains);

// One JSON object and a line break: k and each beam's indices, momentum, angle, kind and domain.
std::string formatLeedJson(const LeedPattern& pattern);

} // namespace crystal
