#pragma once
// A periodic slab for simulation codes: N atomic planes of a surface cell, repeated in plane,
// with vacuum above and below.

#include "crystal/SurfaceCell.h"

#include <string>
#include <vector>

namespace crystal {

struct SlabOptions {
    int layers = 6;        // atomic planes, at least 1
    int repeatA = 1;       // the in-plane cell repeated repeatA x repeatB times, each at least 1
    int repeatB = 1;
    double vacuum = 10.0;  // Angstrom on each side, at least 0
};

struct SlabAtom {
    int species = 0;  // 0 or 1
    int plane = 0;    // 0 for the top plane, counting down
    Vec3 position;    // Cartesian, Angstrom, in the cell frame
};

// The slab: cell vectors a and b in the x-y plane, c along z (perpendicular to the surface);
// atoms plane by plane from the top, inside the cell; the bottom plane at z = vacuum, the top at
// z = c - vacuum.
struct PeriodicSlab {
    Vec3 a, b, c;
    std::vector<std::string> elements;  // symbol of species 0 and 1
    std::vector<SlabAtom> atoms;
};

// Checks options: error names the first bad value ("--layers must be at least 1", ...).
bool validSlabOptions(const SlabOptions& options, std::string& error);

// Builds the slab of cell for material (options already checked).
PeriodicSlab buildSlab(const SurfaceCell& cell, const Material& material, const SlabOptions& options);

} // namespace crystal
