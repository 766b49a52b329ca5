#pragma once
// The structure listing: lattice vectors and basis-atom positions as text on unit 6.

#include "geometry/Lattice.h"

namespace rt {
class Runtime;
}

namespace render {

inline constexpr int ListingUnit = 6;

// Writes " lattice vectors", three vector rows, " basis-atom positions" and basisCount
// basis rows, each row "   [" F6.3 ", " F6.3 ", " F6.3 "]".
void writeStructureListing(const geometry::LatticeDefinition& lattice, rt::Runtime& runtime);

} // namespace render
