#pragma once
// The surfaces of any bulk crystal: for a plane (h k l) of the cell as given, the reduced
// primitive 2D cell, the stacking vector, the atomic planes of one stacking period, and the
// terminations: the cuts between consecutive planes, cuts that one of the bulk's operations
// keeping the normal maps onto each other counted once, each with its polarity.

#include "crystal/Bulk.h"
#include "crystal/Polarity.h"
#include "crystal/Symmetry.h"
#include "crystal/Vectors.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace crystal {

struct BulkPlaneAtom {
    std::string element;
    Fractional position; // in the 2D cell, wrapped into [0, 1)
    int charge = 0;      // formal charge, 0 where the crystal has none
};

struct BulkPlane {
    double height = 0.0; // Angstrom along the outward normal: 0 for the top plane, negative below
    std::vector<BulkPlaneAtom> atoms;

    std::map<std::string, int> composition() const; // atoms per 2D cell by element
    int charge() const;                             // per 2D cell, elementary charges
};

struct BulkTermination {
    // 1, 2, ... in an order of the crystal, whatever the file's atom order or origin: by the planes
    // from the cut down, compared by composition (elements alphabetically, then counts), then by
    // their heights, the nearer plane first. Equivalent cuts count once.
    int index = 0;
    std::vector<BulkPlane> planes;    // one period from the cut down, the first at height 0
    std::vector<std::size_t> cuts;    // the cuts it stands for: the indices of their top planes
    std::optional<Polarity> polarity; // none for a crystal without formal charges
};

struct BulkSurface {
    Miller hkl;                            // as given, of the given cell
    Miller primitiveHkl;                   // the same normal in the primitive cell, smallest integers
    Position a, b;                         // the 2D cell in the surface frame, z = 0, a x b along +z
    Position periodVector;                 // surface frame: a plane onto its copy one period below
    std::array<UnitVector, 3> orientation; // rows: the surface frame's x, y, z in the file's frame
    std::vector<BulkPlane> planes;         // one period from the highest plane down
    std::vector<BulkTermination> terminations;
    LatticeDirection aDirection{}; // [u v w] of a and b in the cell as given, smallest integers
    LatticeDirection bDirection{};
    double topHeight = 0.0; // Angstrom: planes.front() above the parallel plane through the cell's origin
    // For each operation of the bulk that turns the normal over, the height c (Angstrom, in
    // [0, period)) about which it mirrors the heights above the plane through the origin: it maps
    // a plane at height z onto the one at c - z, modulo the period.
    std::vector<double> turnOverHeights;
    bool symmetricPossible = false; // an operation of the bulk turns the normal over
    std::string chargeNote;         // why the planes carry no formal charge, when they do not

    double period() const { return -periodVector.z; }
    double area() const { return a.x * b.y - a.y * b.x; }
};

// The smallest integers [u v w] of the given cell along the lattice vector r (Cartesian, the
// crystal's frame); symmetry is analyseSymmetry(bulk).
LatticeDirection cellDirection(const BulkCrystal& bulk, const CrystalSymmetry& symmetry, Position r);

// The surface of bulk's plane hkl; symmetry is analyseSymmetry(bulk). Planes are atoms within
// planeTolerance (Angstrom) of each other along the normal, through a chain of neighbours.
platform::Result<BulkSurface> bulkSurface(const BulkCrystal& bulk, const CrystalSymmetry& symmetry, const Miller& hkl,
                                          double planeTolerance = DefaultPlaneTolerance);

// A cut named by its first interlayer spacing, from its top plane to the next one down (the
// period when a period holds one plane). The drawn surface's terminations A and B keep their
// own definition, and LEED papers call a cut by its first spacing (HCP (1 0 -1 0) "A" is the
// cut with the short one), so listings give the spacing itself. Where the spacings between
// consecutive planes of a period take exactly two values (spacings within 0.02 Angstrom of the
// next larger one are one value), each cut's is the short or the long.
enum class SpacingLength {
    Short,
    Long
};
struct FirstSpacing {
    double spacing = 0.0; // Angstrom
    std::optional<SpacingLength> length;
};
FirstSpacing firstSpacing(const BulkSurface& surface, const BulkTermination& termination);

// "short" or "long".
const char* spacingLengthName(SpacingLength length);

} // namespace crystal
