#pragma once
// A periodic slab for simulation codes: N atomic planes of a surface cell, repeated in plane,
// with vacuum above and below.

#include "crystal/SurfaceCell.h"
#include "platform/Result.h"

#include <string>
#include <vector>

namespace crystal {

struct SlabOptions {
    int layers = 6;  // atomic planes, at least 1
    int repeatA = 1; // the in-plane cell repeated repeatA x repeatB times, each at least 1
    int repeatB = 1;
    double vacuum = 10.0; // Angstrom on each side, at least 0
};

struct SlabAtom {
    int species = 0;   // 0 or 1
    int plane = 0;     // 0 for the top plane, counting down
    Position position; // in the surface frame
};

// The slab: cell vectors a and b in the x-y plane, c along z (perpendicular to the surface);
// atoms plane by plane from the top, inside the cell; the bottom plane at z = vacuum, the top at
// z = c - vacuum. With no vacuum, c is the thickness plus the spacing from the bottom plane to
// the next plane of the stacking, so that the top plane's periodic image does not sit on the
// bottom plane.
struct PeriodicSlab {
    Position a, b, c;
    std::vector<std::string> elements; // symbol of species 0 and 1
    std::vector<SlabAtom> atoms;
};

// Checks options: the error names the first bad value ("--layers must be from 1 to 1000", ...).
platform::Status validSlabOptions(const SlabOptions& options);

// The most atoms a slab may hold (the files of larger ones are of no use to anyone).
inline constexpr long long MaxSlabAtoms = 5'000'000;

// The number of atoms the slab of cell with options holds.
long long slabAtomCount(const SurfaceCell& cell, const SlabOptions& options);

// Checks that the slab of cell with options stays within MaxSlabAtoms; the error says so.
platform::Status validSlabSize(const SurfaceCell& cell, const SlabOptions& options);

// Builds the slab of cell for material (options already checked).
PeriodicSlab buildSlab(const SurfaceCell& cell, const Material& material, const SlabOptions& options);

} // namespace crystal
