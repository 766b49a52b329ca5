#pragma once
// Value types of the real crystals, each with its unit or kind in the type so that a mix-up does
// not compile: Position (Angstrom), ReciprocalVector (1/Angstrom), AreaVector (Angstrom^2),
// UnitVector (a direction), Fractional (fractions of the cell vectors), Miller (plane indices)
// and LatticeDirection (direction indices). crystal/Conventions.h states the frames they live in.
//
// Each type has only the operations its quantity allows: sums and differences within a type,
// scaling by a number, dot products (a scalar in the product of the units, returned as a
// double), cross products where the result has a type. The arithmetic is written out component
// by component in one fixed order, so that results are the same to the last bit wherever a
// value is computed.

#include "crystal/Conventions.h"

#include <array>
#include <compare>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace crystal {

struct Angstrom;
struct PerAngstrom;
struct SquareAngstrom;

// A Cartesian vector of double components in the unit U.
template <class U> struct Vector3 {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;

    friend constexpr Vector3 operator+(Vector3 p, Vector3 q) { return {p.x + q.x, p.y + q.y, p.z + q.z}; }
    friend constexpr Vector3 operator-(Vector3 p, Vector3 q) { return {p.x - q.x, p.y - q.y, p.z - q.z}; }
    friend constexpr Vector3 operator*(double s, Vector3 p) { return {s * p.x, s * p.y, s * p.z}; }
    friend constexpr bool operator==(const Vector3&, const Vector3&) = default;
};

// A position or a displacement, Angstrom: atoms, cell vectors, lattice translations.
using Position = Vector3<Angstrom>;

// A reciprocal-space vector, 1/Angstrom: plane normals h b1 + k b2 + l b3, diffraction vectors.
using ReciprocalVector = Vector3<PerAngstrom>;

// The cross product of two displacements, Angstrom^2: normal to both, as long as the area of the
// parallelogram they span.
using AreaVector = Vector3<SquareAngstrom>;

// A direction: a dimensionless vector of length 1, made by unit() or given as the axis of a
// frame. It cannot be scaled or added (the result would no longer be of length 1).
struct UnitVector {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;

    friend constexpr bool operator==(const UnitVector&, const UnitVector&) = default;
};

template <class T> inline constexpr bool IsSpaceVector = false;
template <class U> inline constexpr bool IsSpaceVector<Vector3<U>> = true;
template <> inline constexpr bool IsSpaceVector<UnitVector> = true;

// Any of the Cartesian vectors above.
template <class T>
concept SpaceVector = IsSpaceVector<T>;

// p . q for any two of them, in the product of their units (a . a* = 2 pi, the component of a
// position along an axis in Angstrom, a volume as a . (b x c)).
template <SpaceVector P, SpaceVector Q> constexpr double dot(P p, Q q) { return p.x * q.x + p.y * q.y + p.z * q.z; }

template <class U> double norm(Vector3<U> p) { return std::sqrt(dot(p, p)); }

constexpr AreaVector cross(Position p, Position q)
{
    return {p.y * q.z - p.z * q.y, p.z * q.x - p.x * q.z, p.x * q.y - p.y * q.x};
}

// Of two perpendicular directions: the third axis of their right-handed frame.
constexpr UnitVector cross(UnitVector p, UnitVector q)
{
    return {p.y * q.z - p.z * q.y, p.z * q.x - p.x * q.z, p.x * q.y - p.y * q.x};
}

// The direction of p (not zero).
template <class U> UnitVector unit(Vector3<U> p)
{
    const double s = 1.0 / norm(p);
    return {s * p.x, s * p.y, s * p.z};
}

// The basis b1, b2, b3 reciprocal to the rows a1, a2, a3 (right-handed or not):
// a_i . b_j = 1 for i = j and 0 otherwise, without the factor 2 pi.
inline std::array<ReciprocalVector, 3> reciprocalBasis(const std::array<Position, 3>& a)
{
    const double volume = dot(a[0], cross(a[1], a[2]));
    auto perVolume = [volume](AreaVector c) {
        const double s = 1.0 / volume;
        return ReciprocalVector{s * c.x, s * c.y, s * c.z};
    };
    return {perVolume(cross(a[1], a[2])), perVolume(cross(a[2], a[0])), perVolume(cross(a[0], a[1]))};
}

// Fractional coordinates in the plane of a 2D cell: u along a, v along b.
struct Fractional {
    double u = 0.0;
    double v = 0.0;

    friend constexpr Fractional operator+(Fractional p, Fractional q) { return {p.u + q.u, p.v + q.v}; }
    friend constexpr Fractional operator-(Fractional p, Fractional q) { return {p.u - q.u, p.v - q.v}; }
    friend constexpr Fractional operator*(double s, Fractional p) { return {s * p.u, s * p.v}; }
    friend constexpr bool operator==(const Fractional&, const Fractional&) = default;
};

// x wrapped into [0, 1); a value within ExactTolerance of a whole number becomes 0.
inline double wrapFraction(double x)
{
    double f = x - std::floor(x);
    if (f > 1.0 - ExactTolerance || f < ExactTolerance)
        f = 0.0;
    return f;
}

// Both coordinates wrapped into [0, 1): the same point of the cell's lattice, inside the cell.
inline Fractional wrapped(Fractional p) { return {wrapFraction(p.u), wrapFraction(p.v)}; }

// The fractional coordinates of w's projection (its x and y) in the cell a, b of the x-y plane.
constexpr Fractional inPlaneFractional(Position w, Position a, Position b)
{
    const double det = a.x * b.y - a.y * b.x;
    return {(w.x * b.y - w.y * b.x) / det, (a.x * w.y - a.y * w.x) / det};
}

struct MillerKind;
struct DirectionKind;

// Three integer indices of one kind, 64-bit so that products of indices never overflow; indexed
// and iterated like an array.
template <class Kind> struct IndexTriple {
    std::array<int64_t, 3> values{};

    constexpr int64_t& operator[](std::size_t i) { return values[i]; }
    constexpr int64_t operator[](std::size_t i) const { return values[i]; }
    constexpr std::size_t size() const { return 3; }
    constexpr auto begin() { return values.begin(); }
    constexpr auto end() { return values.end(); }
    constexpr auto begin() const { return values.begin(); }
    constexpr auto end() const { return values.end(); }
    friend constexpr bool operator==(const IndexTriple&, const IndexTriple&) = default;
    // Lexicographic, for ordered sets and a family's representative.
    friend constexpr auto operator<=>(const IndexTriple&, const IndexTriple&) = default;
};

// Miller indices (h k l) of a plane, referring to the lattice's conventional vectors (HCP: a1, a2
// and c; crystal/SurfaceCell.h converts the four-index form).
using Miller = IndexTriple<MillerKind>;

// Direction indices [u v w]: the lattice vector u a1 + v a2 + w a3 of the conventional vectors.
using LatticeDirection = IndexTriple<DirectionKind>;

// h u + k v + l w: 0 when the direction lies in the plane (the zone law), in any lattice.
constexpr int64_t dot(const Miller& plane, const LatticeDirection& direction)
{
    return plane[0] * direction[0] + plane[1] * direction[1] + plane[2] * direction[2];
}

} // namespace crystal
