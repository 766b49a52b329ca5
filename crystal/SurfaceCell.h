#pragma once
// The periodic surface cell of a plane of a real material: the reduced in-plane cell, the
// atomic planes of one stacking period from the chosen termination down, and the frame.

#include "crystal/Material.h"
#include "crystal/Vectors.h"
#include "platform/Result.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace crystal {

struct BulkCrystal;
struct CrystalSymmetry;
struct NeighbourRule;

// A bulk crystal of any structure to cut (crystal/BulkSurface.h finds its terminations).
struct BulkChoice {
    std::shared_ptr<const BulkCrystal> crystal;
    std::string name;            // for titles: the preset's name, or the file's
    int termination = 1;         // 1, 2, ... as bulkSurface numbers the plane's terminations
    double planeTolerance = 0.1; // Angstrom: atoms this close along the normal share a plane
    // The crystal's symmetry when the caller has found it already (a caller cutting many planes
    // of one crystal finds it once); else the cell finds it.
    std::shared_ptr<const CrystalSymmetry> symmetry = nullptr;
    // Likewise its neighbour rule (bulkNeighbourRule of the crystal and that symmetry): the costliest
    // step of a small slab after the symmetry; else the cell finds it.
    std::shared_ptr<const NeighbourRule> neighbours = nullptr;
};

// A surface to build: the material, the plane in three-index form (for HCP referring to the
// basal vectors a1, a2, 120 degrees apart, and the c axis) and the termination (A or B for
// HCP and zinc blende, where None counts as A; None for BCC and FCC). With bulk set, the plane
// (h k l) of that crystal's cell as given, its termination counted from 1; material and
// termination are then unused.
struct SurfaceSpec {
    SurfaceSpec() = default;
    SurfaceSpec(Material m, Miller indices, Termination t = Termination::None)
        : material(std::move(m)), hkl(indices), termination(t)
    {
    }

    Material material;
    Miller hkl{};
    Termination termination = Termination::None;
    std::optional<BulkChoice> bulk;
};

// HCP four-index (h k i l) to three-index (h k l); an error when i != -(h + k).
platform::Result<Miller> fromFourIndex(int64_t h, int64_t k, int64_t i, int64_t l);

// The in-plane cell to use: the reduced primitive one, or the smallest rectangular one.
enum class InPlaneCell {
    Primitive,
    Orthogonal
};

// The five two-dimensional Bravais lattices.
enum class Lattice2D {
    Hexagonal,
    Square,
    Rectangular,
    CentredRectangular,
    Oblique
};

// Its name as reports print it: "hexagonal", "square", "rectangular", "centred rectangular",
// "oblique".
const char* lattice2DName(Lattice2D type);

// The 2D Bravais lattice that the vectors a and b (in the x-y plane) span, any basis of it;
// lengths and angles equal within the relative tolerance count as equal.
Lattice2D classifyLattice2D(Position a, Position b, double tolerance = ShapeTolerance);

// An atom of one atomic plane inside the 2D cell.
struct CellAtom {
    int species = 0;     // index into SurfaceCell::elements (the lattices: 1 the second zinc blende sublattice)
    Fractional position; // along a and b, each in [0, 1)
};

// Which atoms are one another's nearest neighbours: atoms of species i and j closer than
// cutoff(i, j). The four lattices use neighbourCutoff for every pair. A bulk crystal's rule comes
// from the bulk itself: with d(E) the distance from an atom of element E to its nearest
// neighbour (the least over E's sites), atoms of elements E and F are neighbours when closer than
// (1 + NeighbourShellTolerance) max(d(E), d(F)). That keeps the first shell of each atom whether
// its bonds are all alike (6 Ti-O in rutile at 1.95 and 1.98 Angstrom) or its nearest neighbour
// is a longer bond than its partner's (Sr-O 2.76 in SrTiO3, where O's nearest is Ti at 1.95),
// and leaves out the next shells of the structure types (O-O in fluorite at 1.15 times Ce-O,
// the six second neighbours of BCC and B2 at 1.15 times the first, Sr-Ti at 1.22 times Sr-O).
struct NeighbourRule {
    std::vector<std::vector<double>> cutoffs; // [species][species], Angstrom, symmetric
    std::vector<int> bulk;                    // the most neighbours an atom of each species has in the bulk

    double cutoff(int i, int j) const { return cutoffs[std::size_t(i)][std::size_t(j)]; }
    double longest() const; // the largest cutoff, Angstrom
};

// The relative tolerance of a bulk crystal's neighbour shells (NeighbourRule).
inline constexpr double NeighbourShellTolerance = 0.1;

// The neighbour rule of a bulk crystal, its species numbered as elements lists them (every
// element of the crystal among them).
NeighbourRule bulkNeighbourRule(const BulkCrystal& crystal, const std::vector<std::string>& elements);

// The neighbour rule of a bulk crystal with its symmetry, as its surface cells number the species
// (SurfaceCell::elements: by first appearance among the crystal's sites).
NeighbourRule bulkNeighbourRule(const BulkCrystal& crystal, const CrystalSymmetry& symmetry);

// One atomic plane of the stacking period.
struct AtomicPlane {
    double depth = 0.0; // Angstrom, 0 for the top plane, negative below it
    std::vector<CellAtom> atoms;
};

// The periodic surface cell. All vectors are in the surface frame: right-handed, x along a,
// z along the outward normal of the plane as given (so (1 1 1) and (-1 -1 -1) are opposite
// faces).
struct SurfaceCell {
    Miller hkl{};     // as given
    Miller reduced{}; // divided by their greatest common divisor
    Position a;       // in-plane cell vectors, z = 0, |a| <= |b|
    Position b;
    LatticeDirection aDirection{}; // [u v w] of a (HCP: along a1, a2, c), smallest integers
    LatticeDirection bDirection{};
    bool orthogonal = false;           // an orthogonal cell was asked for and found
    std::vector<std::string> elements; // the symbol of each species (CellAtom::species)
    NeighbourRule neighbours;
    // The atomic planes of one stacking period, from the top plane of the chosen termination
    // (the plane that the drawn slab has on top for the same lattice, termination and indices).
    std::vector<AtomicPlane> planes;
    // The lattice vector that carries each plane of the period onto its copy one period
    // below: z = -(period height), x and y its in-plane shift.
    Position periodVector;
    // Rows: the surface frame's x, y, z axes in the crystal frame (crystal/Conventions.h).
    std::array<UnitVector, 3> orientation{};
    // The height of the top plane above the parallel plane through the lattice origin (an
    // atom of species 0), Angstrom: where the drawn slab's surface lies.
    double topHeight = 0.0;
    // For each operation of the bulk that turns the normal over, the depth c (Angstrom, in
    // [0, period)) such that it maps the plane at depth z onto the one at c - z, modulo the period:
    // the slab of the planes from depth 0 down to depth d is its own mirror when d = c modulo the
    // period. Empty when no operation turns the normal over (no symmetric slab exists).
    std::vector<double> turnOverDepths;

    double periodHeight() const { return -periodVector.z; }
    double area() const; // Angstrom^2

    // The point at fractional coordinates f of the cell, in the plane z = 0.
    Position inPlane(Fractional f) const { return f.u * a + f.v * b; }
};

// The 2D cell is right-handed about z (a x b along +z). Where the reduced cell leaves the
// choice (hexagonal, square, rectangular and centred rectangular lattices) the angle between
// a and b is 90 degrees or more (120 for hexagonal); an oblique cell with |a| < |b| has its
// angle fixed by the handedness and may be below 90.

// A plane's indices as every listing writes them: "(1 1 1)"; with fourIndex, (h k i l) of
// hexagonal axes, i = -(h + k): "(1 0 -1 0)".
std::string planeText(const Miller& hkl, bool fourIndex = false);

// A short title: material and plane, e.g. "Cu (1 1 1)", "Mg (1 0 -1 0) termination B",
// "GaAs (1 1 1) termination A"; a bulk's "TiO2 (1 1 0) termination 2" (a hexagonal cell's
// plane with four indices).
std::string surfaceTitle(const SurfaceSpec& spec);

// Whether spec's plane is named with four indices (h k i l): HCP, or a bulk crystal whose cell is
// hexagonal (a = b, gamma 120 degrees, c perpendicular to both).
bool fourIndexPlane(const SurfaceSpec& spec);

// The cell of spec's plane, or an error naming the fault ((0 0 0); no rectangular cell within
// reach when one is asked for; a bulk's termination out of range, naming how many there are).
// A bulk's cell is bulkSurface's 2D cell (or the rectangular supercell of it), its planes one
// period from the chosen termination's cut down, its directions [u v w] of the cell as given.
platform::Result<SurfaceCell> surfaceCell(const SurfaceSpec& spec, InPlaneCell kind);

// The crystal's Cartesian lattice vectors (rows a1, a2, a3) of the material, Angstrom: the
// catalogue's vectors scaled to a (cubic edge a; HCP basal a and the material's c).
std::array<Position, 3> latticeVectors(const Material& material);

// The nearest-neighbour distance of the material, Angstrom.
double nearestNeighbourDistance(const Material& material);

// The distance within which every atom of the bulk has its bulk neighbours (12 FCC, 8 BCC,
// 12 HCP whatever c/a, 4 zinc blende) and no others: a cut-off for counting coordination.
double neighbourCutoff(const Material& material);

// The number of bulk neighbours within neighbourCutoff: 12, 8, 12 or 4.
int bulkCoordination(LatticeKind lattice);

} // namespace crystal
