#pragma once
// The lattice catalogue: the four lattices and their terminations as loaded per surface.

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
