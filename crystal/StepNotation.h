#pragma once
// The step notation of stepped and kinked cubic surfaces: n(h k l) x (h' k' l'), a terrace plane
// n atom rows wide (the step-edge row included) and the plane of the step face.

#include "crystal/SurfaceCell.h"

#include <optional>
#include <string>

namespace crystal {

struct StepNotation {
    int terraceWidth = 0; // atom rows on one terrace, the step-edge row included
    Miller terrace{};     // terrace plane, smallest integers, on the side of the surface normal
    Miller step{};        // step-face plane, smallest integers
    bool kinked = false;  // the step face is itself a high-index plane
};

// The terraces and steps of an FCC or BCC plane (cubic indices) vicinal to a low-index
// terrace: FCC (7 5 5) gives 6(1 1 1) x (1 0 0); kinked surfaces on FCC {111} terraces too:
// (10 8 7) gives 7(1 1 1) x (3 1 0). Nothing for a low-index plane (FCC {111}, {100}, {110};
// BCC {110}, {100}, {211}), for steps several planes high, for surfaces whose period across the
// step edge holds two or more different steps (terraces of alternating widths, BCC (2m+1 1 1) on
// (1 0 0)), for other kinked surfaces, for (0 0 0) and for HCP and zinc blende.
std::optional<StepNotation> stepNotation(LatticeKind lattice, Miller hkl);

// "6(1 1 1) x (1 0 0)".
std::string formatStepNotation(const StepNotation& steps);

} // namespace crystal
