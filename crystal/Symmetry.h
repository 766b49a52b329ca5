#pragma once
// The space group of a bulk crystal, found with spglib: its symbol and number, the operations in
// the cell as given, the primitive cell and the standard conventional cell, and what a plane's
// Miller indices are in the conventional cell and which operations keep its normal.
//
// Conventions. A SymmetryOperation acts on fractional coordinates taken as a column:
// x' = rotation x + translation, rotation[i][j] the entry of row i and column j, in the cell as
// given (spglib's convention). Cells are matrices by rows (a, b, c), Cartesian Angstrom, in the
// given crystal's frame; Miller indices (h k l) refer to the cell as given, as in the readers.
// Atoms are told apart by element and oxidation state: two sites of one element whose files
// give them different charges are not mapped onto each other.

#include "crystal/Bulk.h"
#include "crystal/SurfaceCell.h"
#include "crystal/Vectors.h"
#include "platform/Result.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace crystal {

// Angstrom: atoms that an operation brings this close are one atom; lattice vectors that differ
// by this much count as equal. Crystallographic files give fractions to three or four decimals
// (0.333 for 1/3 is 0.001 Angstrom off in a 3 Angstrom cell, 0.005 in a 15 Angstrom one), and
// relaxed cells carry force noise of a few 0.001 Angstrom, so 0.001 would lower the group of
// many real files; it matches the distance under which the readers merge two atoms into one
// (SiteMergeDistance), so no two atoms of a checked crystal are too close for the search. The
// search fixes each candidate translation on one atom and compares the others with it, so
// displacements add up: atoms within a fifth of this of their ideal places keep the group.
inline constexpr double SymmetryTolerance = 0.01;
static_assert(SymmetryTolerance <= SiteMergeDistance);

// Cells with more atoms are refused: the search takes time growing as the square of the atoms
// (about 3 s for 8000) and a supercell carries every operation once per copy.
inline constexpr std::size_t MaxSymmetrySites = 10000;

// Cells whose longest vector is more times than this the least distance between two opposite
// faces are refused: such needles and slivers (no real cell comes near) keep the search busy for
// many seconds.
inline constexpr double MaxSymmetryCellAspect = 1e4;

// One operation of the space group (see the conventions above). translation in [0, 1).
struct SymmetryOperation {
    std::array<std::array<int, 3>, 3> rotation{};
    std::array<double, 3> translation{};
};

// An integer matrix divided by a positive integer: a change of cell with rational entries.
struct RationalMatrix3 {
    std::array<std::array<int64_t, 3>, 3> numerator{};
    int64_t denominator = 1;
};

struct CrystalSymmetry {
    int number = 0;         // space group number, 1 to 230
    int hallNumber = 0;     // 1 to 530, the setting spglib identifies
    std::string symbol;     // international short symbol as spglib spells it: "P4_2/mnm", "Fm-3m"
    std::string hallSymbol; // "-P 4n 2n"
    std::string choice;     // the setting's choice: "", "1", "2", "H", "R", "b1", ...
    std::string pointGroup; // the crystal class: "4/mmm"
    // Every operation that maps the crystal in the given cell onto itself; a supercell lists each
    // point operation once per translation of the primitive lattice inside it, and only the
    // point operations that keep the given cell's lattice.
    std::vector<SymmetryOperation> operations;
    // For each site of the given crystal, the index of the first site symmetry-equivalent to it.
    std::vector<std::size_t> equivalentSites;
    // A primitive cell of the crystal, right-handed, with the given origin: the given cell itself
    // when it is primitive, else spglib's, its sites the given ones re-expressed.
    BulkCrystal primitive;
    // The standard conventional cell (as the International Tables choose it for this number):
    // cell rows conventional.cell[i] = sum_j conventionalFromGiven.numerator[i][j] * cell[j] /
    // denominator, so its vectors are exactly the given lattice's; its sites are the symmetrised
    // positions, fractional, measured from conventionalOrigin (Cartesian, Angstrom).
    BulkCrystal conventional;
    RationalMatrix3 conventionalFromGiven;
    Position conventionalOrigin;
};

// The symmetry of the crystal within tolerance (Angstrom, positive). Fails with a message for a
// cell that is not finite, right-handed, at most MaxSymmetryCellAspect long for its width and
// filled with 1 to MaxSymmetrySites atoms, and when spglib finds no space group (its reason
// given).
platform::Result<CrystalSymmetry> analyseSymmetry(const BulkCrystal& bulk, double tolerance = SymmetryTolerance);

// The space group symbol with subscripts and overbars as printed: "P4_2/mnm" -> "P4₂/mnm",
// "Fm-3m" -> "Fm3̄m" (UTF-8, a combining overline after the digit).
std::string readableSymbol(std::string_view symbol);

// The plane (h k l) of the given cell, not all zero, as Miller indices of the standard
// conventional cell, the same outward normal, divided by their greatest common divisor.
Miller conventionalMiller(const CrystalSymmetry& symmetry, const Miller& hkl);

// Whether the operation maps the outward normal of (h k l) onto itself (not onto its opposite):
// the indices, a row, satisfy (h k l) rotation = (h k l).
bool keepsPlaneNormal(const SymmetryOperation& operation, const Miller& hkl);

// The operations of the crystal that keep the outward normal of (h k l): the symmetry of a
// surface with the bulk below it, before the surface's own cut breaks the translations.
std::vector<SymmetryOperation> operationsKeepingNormal(const CrystalSymmetry& symmetry, const Miller& hkl);

} // namespace crystal
