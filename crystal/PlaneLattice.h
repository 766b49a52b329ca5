#pragma once
// Integer lattice arithmetic shared by the surface cells of the drawn lattices and of any bulk
// crystal: translations as integer combinations of a lattice basis, the in-plane lattice of a
// plane by Euclid's algorithm, and the Gauss reduction of its basis.

#include "crystal/Vectors.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <numeric>
#include <utility>

namespace crystal {

// Integer combinations of a lattice basis, 64-bit.
using Int3 = std::array<int64_t, 3>;

inline Int3 iadd(const Int3& p, const Int3& q) { return {p[0] + q[0], p[1] + q[1], p[2] + q[2]}; }
inline Int3 iscale(int64_t s, const Int3& p) { return {s * p[0], s * p[1], s * p[2]}; }
inline Int3 isub(const Int3& p, const Int3& q) { return iadd(p, iscale(-1, q)); }

template <class Triple> int64_t gcd3(const Triple& p) { return std::gcd(std::gcd(p[0], p[1]), p[2]); }

// A unimodular change of basis that leaves one entry of q and zeroes the others (Euclid's
// algorithm on the entries, the same steps applied to the rows). Rows whose value is 0 span
// the integer vectors n with n . q = 0; the remaining row has value +-gcd(q).
struct Euclid {
    std::array<Int3, 3> rows{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    Int3 values{};
};

inline Euclid euclid(const Int3& q)
{
    Euclid e;
    e.values = q;
    for (;;) {
        int pivot = -1;
        int nonZero = 0;
        for (int i = 0; i < 3; ++i)
            if (e.values[i] != 0) {
                ++nonZero;
                if (pivot < 0 || std::llabs(e.values[i]) < std::llabs(e.values[pivot]))
                    pivot = i;
            }
        if (nonZero <= 1)
            break;
        for (int j = 0; j < 3; ++j) {
            if (j == pivot || e.values[j] == 0)
                continue;
            const int64_t f = e.values[j] / e.values[pivot];
            e.values[j] -= f * e.values[pivot];
            e.rows[j] = isub(e.rows[j], iscale(f, e.rows[pivot]));
        }
    }
    return e;
}

// Gauss reduction of the 2D basis ta, tb with the metric of cart (integer vector to Position):
// afterwards |ta| <= |tb| and tb is the shortest vector independent of ta.
template <class Cart> void gaussReduce(Int3& ta, Int3& tb, Cart cart)
{
    auto length2 = [&](const Int3& t) {
        const Position c = cart(t);
        return dot(c, c);
    };
    if (length2(ta) > length2(tb))
        std::swap(ta, tb);
    for (int guard = 0; guard < 10000; ++guard) {
        const int64_t mu = std::llround(dot(cart(ta), cart(tb)) / length2(ta));
        tb = isub(tb, iscale(mu, ta));
        if (length2(tb) >= length2(ta) * (1.0 - RoundingTolerance))
            break;
        std::swap(ta, tb);
    }
}

// The one basis of a plane's reduced 2D cell, which the report, exported files, LEED indices and
// superstructure matrices, figures and terminations all use. From a Gauss-reduced basis: a x b
// along the outward normal; then, where the lattice leaves the choice (equal lengths, or
// |b - a| = |b|), an angle of 90 degrees or more between a and b: 120 for a hexagonal cell,
// 109.47 for the rhombic one of BCC (1 1 0). An oblique cell with |a| < |b| keeps the angle that
// the handedness fixes, which may be below 90.
template <class Cart> void orientReducedCell(Int3& ta, Int3& tb, const UnitVector& normal, Cart cart)
{
    if (dot(cross(cart(ta), cart(tb)), normal) < 0.0)
        tb = iscale(-1, tb);
    const Position a = cart(ta);
    const Position b = cart(tb);
    const double la = dot(a, a);
    const double lb = dot(b, b);
    if (dot(a, b) <= ExactTolerance * std::sqrt(la * lb))
        return;
    const Position difference = cart(isub(tb, ta));
    if (std::fabs(lb - la) <= ExactTolerance * lb) {
        // (b, -a) keeps the lengths and the handedness.
        const Int3 old = ta;
        ta = tb;
        tb = iscale(-1, old);
    } else if (std::fabs(dot(difference, difference) - lb) <= ExactTolerance * lb) {
        tb = isub(tb, ta);
    }
}

} // namespace crystal
