#pragma once
// Orientation of a crystal plane: the frame whose third axis is the plane normal.

#include "geometry/Lattice.h"

#include <array>
#include <cstdint>

namespace geometry {

// Miller indices of a plane, referred to the three lattice vectors of the current lattice
// (for HCP: the two basal vectors 120 degrees apart and the c axis).
struct MillerIndices {
    int16_t h = 0;
    int16_t k = 0;
    int16_t l = 0;
    friend bool operator==(const MillerIndices&, const MillerIndices&) = default;
};

// A 3 x 3 single-precision matrix whose rows are the axes e1, e2, e3 in Cartesian
// components; e3 is the unit plane normal. The identity before the first surface.
struct SurfaceFrame {
    std::array<std::array<float, 3>, 3> rows{{{1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}}};
    // False when the indices define no plane (all three zero): the frame is then the
    // identity and no atom belongs to the surface.
    bool planeDefined = true;
    friend bool operator==(const SurfaceFrame&, const SurfaceFrame&) = default;
};

// The frame of the plane (h k l) of the given lattice. Index products are formed in 32-bit
// integers, so every 16-bit index triple gives a finite frame.
SurfaceFrame orientSurface(const MillerIndices& miller, const LatticeDefinition& lattice);

} // namespace geometry
