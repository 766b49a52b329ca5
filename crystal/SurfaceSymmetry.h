#pragma once
// The point group of a surface with the bulk below it: the bulk's operations that keep the
// outward normal and move no atomic plane along it, acting on the surface's 2D cell. The layers
// below the top one count, so the group may be smaller than the 2D lattice's own: zinc blende
// and diamond (0 0 1) have 2mm on their square lattice, FCC (1 1 1) and HCP (0 0 0 1) 3m on
// their hexagonal one. It decides which superstructure domains a surface makes.

#include "crystal/Leed.h"
#include "crystal/Symmetry.h"
#include "crystal/SurfaceCell.h"

#include <array>
#include <vector>

namespace crystal {

// The operations of symmetry (analyseSymmetry of a bulk whose cell rows are cell, Angstrom) that
// keep the outward normal of the plane hkl of that cell and shift its atomic planes along the
// normal by less than SymmetryTolerance (a screw axis or glide plane whose translation rises
// along the normal maps the crystal onto a copy one part of a period higher, not onto itself).
// a and b are the surface's 2D cell vectors in fractional coordinates of the bulk's cell, a x b
// along the outward normal. Each operation is the IntMatrix2 of its action on a and b, in the
// order of latticePointGroup (the identity first, the rotations by increasing angle, the mirrors).
std::vector<IntMatrix2> surfacePointGroup(const CrystalSymmetry& symmetry, const std::array<Position, 3>& cell,
                                          const Miller& hkl, const std::array<double, 3>& a,
                                          const std::array<double, 3>& b);

// The point group of spec's surface on cell (surfaceCell of spec), the bulk being the material's
// (bulkOf); an error when that bulk or its symmetry cannot be found.
platform::Result<std::vector<IntMatrix2>> surfacePointGroup(const SurfaceSpec& spec, const SurfaceCell& cell);

} // namespace crystal
