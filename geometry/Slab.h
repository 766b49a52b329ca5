#pragma once
// The slab of atoms at the surface.

#include "geometry/Lattice.h"
#include "geometry/Progress.h"
#include "geometry/Surface.h"

#include <array>
#include <cstdint>

namespace geometry {

// The atoms of the current surface: parallel arrays indexed 1..count (slot 0 unused).
// Frame coordinates are the atom's components along -e1, e2, e3 in drawing units times the
// display scale; view coordinates are those of the current view; drawOrder[k] is the atom
// drawn k-th; species is 1 for the second zinc blende species.
struct AtomTable {
    static constexpr int Capacity = 10000;
    template <typename T> using Column = std::array<T, Capacity + 1>;

    int32_t count = 0;
    Column<float> frameX{}, frameY{}, frameZ{};
    Column<float> viewX{}, viewY{}, viewZ{};
    Column<int32_t> drawOrder{};
    Column<int16_t> species{};
};

// Number of unit cells along each edge of the generated block.
int cellsPerEdge(LatticeCode code);

// Atom k's components along the frame's axes e1, e2, e3 (drawing units times the display
// scale): the table keeps the first one negated, this gives it back.
inline std::array<float, 3> frameComponents(const AtomTable& atoms, int k)
{
    return {-atoms.frameX[k], atoms.frameY[k], atoms.frameZ[k]};
}

// Fills atoms with the slab of plane miller of the current lattice: orients the surface into
// frame, writes one "." per row of cells to progress, keeps the atoms with
// depthLow < depth < depthHigh, at most Capacity of them.
void generateSlab(LatticeCode code, const MillerIndices& miller, const LatticeDefinition& lattice, SurfaceFrame& frame,
                  AtomTable& atoms, ProgressOutput& progress);

// The cell loop alone, in a frame already oriented: used by generateSlab and benchmarks.
void fillSlab(LatticeCode code, const LatticeDefinition& lattice, const SurfaceFrame& frame, AtomTable& atoms,
              ProgressOutput& progress);

} // namespace geometry
