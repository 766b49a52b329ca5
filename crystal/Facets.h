#pragma once
// The facets of a crystal: its symmetrically distinct planes up to an index, each with the number
// of planes equivalent to it, the spacing of its lattice planes and, for every termination, the
// nearest-neighbour bonds a cut breaks per area and the surface energy they cost.

#include "crystal/BulkSurface.h"
#include "crystal/SurfaceCell.h"
#include "platform/Result.h"

#include <array>
#include <optional>
#include <vector>

namespace crystal {

// The nearest-neighbour bonds (rule, its species numbered as elements lists them) that the cut
// above a termination's top plane breaks, per 2D cell of surface: bonds from an atom at or below
// the cut to one above it, over the semi-infinite crystal (a bond longer than the period crosses
// the cut once per period it spans).
int brokenBonds(const BulkSurface& surface, const BulkTermination& termination, const NeighbourRule& rule,
                const std::vector<std::string>& elements);

struct FacetTermination {
    int index = 0;                   // as the terminations of the plane number it
    double brokenBondsPerArea = 0.0; // per square Angstrom
    // In the broken-bond model: each bond of energy e broken by a cut that makes two surfaces
    // costs e / 2 to each, so the energy is brokenBondsPerArea / 2 in units of e per Angstrom^2.
    double energy = 0.0;
};

struct Facet {
    Miller hkl;                                 // the family's representative, of the given cell
    std::optional<std::array<int64_t, 4>> hkil; // four-index form where the cell is hexagonal
    int multiplicity = 0;                       // planes equivalent under the crystal's point group
    double spacing = 0.0;                       // between the lattice planes, Angstrom
    std::vector<FacetTermination> terminations;
    int lowest = 1; // the index of the lowest-energy termination
};

// True when the cell as given has hexagonal axes: |a| = |b|, 120 degrees between them, c normal
// to both; its planes then also have four indices (h k i l), i = -(h + k).
bool hasHexagonalAxes(const std::array<Position, 3>& cell);

// The largest index facets and wulff accept.
inline constexpr int MaxFacetIndex = 6;

// The symmetrically distinct planes (h k l), their indices' greatest common divisor 1, with no
// index above maxIndex in size (for hexagonal axes, i too), ordered by increasing largest index,
// then decreasing spacing. Two planes are one facet when a rotation of the point group maps one
// normal onto the other (opposite faces of a crystal without a centre of symmetry are two facets).
// The representative is the member with the most indices not below 0, then the largest in index
// order: (1 1 1), not (-1 -1 -1); (1 1 0) (that is (1 1 -2 0)), not (2 -1 0).
platform::Result<std::vector<Facet>> distinctFacets(const BulkCrystal& bulk, const CrystalSymmetry& symmetry,
                                                    int maxIndex, double planeTolerance = DefaultPlaneTolerance);

// The planes equivalent to hkl under the point group, itself included, each once.
std::vector<Miller> equivalentPlanes(const CrystalSymmetry& symmetry, const Miller& hkl);

} // namespace crystal
