#pragma once
// The kinematic low-energy electron diffraction (LEED) pattern of a surface at normal incidence:
// the beams of the substrate's 2D reciprocal lattice and of a commensurate superstructure, with
// the domains the substrate's point symmetry generates. Superstructures are given as an integer
// matrix (crystal/Superstructure.h reads them, and Wood notation, from text).

#include "crystal/Vectors.h"

#include "platform/Result.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace crystal {

// The electron's wave number in vacuum, 1/Angstrom, at a kinetic energy in eV:
// sqrt(2 m_e E) / hbar = 0.512317 sqrt(E / eV) (non-relativistic, as LEED energies allow).
double electronWaveNumber(double energyEv);

// A rational number in lowest terms, den > 0: a beam index of a superstructure such as 1/2.
struct Fraction {
    int64_t num = 0;
    int64_t den = 1;

    double value() const { return double(num) / double(den); }
    friend bool operator==(const Fraction&, const Fraction&) = default;
};

// num / den reduced to lowest terms with a positive denominator (den != 0).
Fraction makeFraction(int64_t num, int64_t den);

// "0", "-1", "1/2", "-2/3".
std::string fractionText(Fraction f);

// A 2 x 2 integer matrix whose rows are vectors in the substrate's basis a, b: the first row is
// m11 a + m12 b, the second m21 a + m22 b. As a superstructure the rows are its cell vectors a',
// b'; as a symmetry operation they are the images of a and b, so the operation takes a vector
// of coordinates (x y), a row, to (x y) M, and M followed by N is the product M N.
struct IntMatrix2 {
    int64_t m11 = 1, m12 = 0, m21 = 0, m22 = 1;

    int64_t det() const { return m11 * m22 - m12 * m21; }
    friend bool operator==(const IntMatrix2&, const IntMatrix2&) = default;
};

// The point group of the lattice that a and b span (its holohedry: 12 operations for hexagonal,
// 8 square, 4 rectangular and centred rectangular, 2 oblique), each operation as the integer
// matrix whose rows are the images of a and b (see IntMatrix2).
// The identity comes first, then the rotations by increasing angle, then the mirrors.
std::vector<IntMatrix2> latticePointGroup(Position a, Position b);

enum class SpotKind {
    Substrate,
    Superstructure
};

// "substrate" or "superstructure".
const char* spotKindName(SpotKind kind);

// One propagating beam.
struct LeedSpot {
    Fraction h, k;         // indices along the substrate's a*, b*
    double gx = 0, gy = 0; // parallel momentum transfer, 1/Angstrom, in the frame of a and b
    double g = 0;          // its length, 1/Angstrom
    double theta = 0;      // exit angle from the surface normal, degrees: asin(g / k)
    SpotKind kind = SpotKind::Substrate;
    int domain = 1; // the lowest-numbered domain that has this beam; 1 for the substrate's
};

// How the beams are collected.
enum class LeedDomains {
    One,
    All
};

struct LeedOptions {
    std::optional<IntMatrix2> superstructure; // none: the clean surface
    LeedDomains domains = LeedDomains::One;   // All: every domain the substrate's symmetry makes
    // The substrate's symmetry for the domains: the surface's point group with the layers below
    // (crystal/SurfaceSymmetry.h), each operation one of latticePointGroup(a, b); empty: the
    // lattice's whole point group.
    std::vector<IntMatrix2> pointGroup{};
};

// The beams allowed at most: beyond this the energy or the superstructure is refused.
constexpr std::size_t MaxLeedSpots = 20000;

// The pattern: the substrate's cell and reciprocal cell, the superstructure matrix of each domain
// (domain d is domains[d - 1]; none for a clean surface) and the beams, ordered by increasing g
// and within a shell by decreasing h, then k. Each beam appears once.
struct LeedPattern {
    double energy = 0;             // eV
    double waveNumber = 0;         // k, 1/Angstrom
    Position a, b;                 // the substrate's cell
    ReciprocalVector aStar, bStar; // its reciprocal cell, a . aStar = b . bStar = 2 pi
    std::vector<IntMatrix2> domains;
    std::vector<LeedSpot> spots;
};

// The pattern of the surface cell a, b (in the x-y plane, not parallel) at energyEv. The domains
// are the superstructure's images under the point group's operations, in latticePointGroup's
// order. An error when the energy is not a positive finite number, the superstructure's
// determinant is 0, an operation of the point group is no symmetry of the lattice, or more than
// MaxLeedSpots beams would propagate.
platform::Result<LeedPattern> leedPattern(Position a, Position b, double energyEv, const LeedOptions& options);

} // namespace crystal
