#pragma once
// The lattice catalogue: the four lattices of the drawn surface, their terminations and their
// constants, in one place for the drawn slab (geometry/, single precision) and the real
// crystals (crystal/, double), and the current lattice as loaded per surface. A leaf: it
// depends on nothing.
//
// Lengths are in lattice units: the FCC and zinc blende cube edge and the HCP basal constant
// are 1. Depths and positions of the drawn slab are in drawing units, CellLength per lattice
// unit, before the display scale.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace geometry {

// Lattice and termination in one value, 0 to 5.
enum class LatticeCode : int16_t {
    Bcc = 0,
    Fcc = 1,
    HcpA = 2,
    HcpB = 3,
    ZincBlendeA = 4,
    ZincBlendeB = 5,
};

enum class LatticeKind {
    Bcc,
    Fcc,
    Hcp,
    ZincBlende
};
enum class Termination {
    None,
    A,
    B
};

LatticeKind latticeKind(LatticeCode code);
Termination termination(LatticeCode code);

// The code for a lattice and termination; std::nullopt for a termination the lattice lacks
// (BCC and FCC take none; HCP and zinc blende take A or B).
std::optional<LatticeCode> latticeCodeFor(LatticeKind kind, Termination term);

// The lattice's name as the batch front end spells it: bcc, fcc, hcp, zincblende.
std::string_view latticeName(LatticeKind kind);
std::optional<LatticeKind> parseLatticeName(std::string_view name);

// Drawing units per lattice unit.
inline constexpr float CellLength = 32.0f;

// The BCC cube edge in lattice units (the drawn BCC block is scaled to look as dense as FCC).
inline constexpr double BccCubeEdge = 0.816;
// The ideal HCP c in lattice units: sqrt(8/3).
inline constexpr double IdealHcpC = 1.6329931618554521;

// The same constants as the drawn slab holds them, rounded to single precision.
inline constexpr float DrawnBccCubeEdge = 0.816f;
inline constexpr float DrawnHcpC = 1.6329932f;
static_assert(DrawnBccCubeEdge == float(BccCubeEdge) && DrawnHcpC == float(IdealHcpC));

// The drawn slab keeps the atoms whose depth along the plane normal, in drawing units, lies
// strictly between low and high: high decides which plane is on top.
struct DepthWindow {
    double low = 0.0;
    double high = 0.0;
};
DepthWindow depthWindow(LatticeCode code);

// Angstrom per lattice unit along the crystal's three Cartesian axes for a material of that
// lattice with constants a and, for HCP, c (Angstrom): the stretch that takes the drawn block,
// as its single-precision constants hold it, to the material.
std::array<double, 3> angstromPerLatticeUnit(LatticeKind kind, double a, double c);

// Capacity of the basis table.
inline constexpr int MaxBasis = 8;

// The current lattice. Vectors are in lattice units (FCC cube edge and HCP basal constant 1);
// the depth window is in drawing units (32 per lattice unit), both bounds exclusive.
struct LatticeDefinition {
    // latticeVectors[i][j]: Cartesian component j of lattice vector a(i+1).
    std::array<std::array<float, 3>, 3> latticeVectors{};
    // basis[b][j]: fractional coordinate of basis atom b+1 along a(j+1). Entries at and
    // beyond basisCount are never read and may hold an earlier lattice's values.
    std::array<std::array<float, 3>, MaxBasis> basis{};
    int32_t basisCount = 0;
    float displayScale = 1.0f;
    float depthLow = 0.0f;
    float depthHigh = 0.0f;
};

// Loads the catalogue row of code into lattice (overwriting every field it uses).
void selectLattice(LatticeCode code, LatticeDefinition& lattice);

} // namespace geometry
