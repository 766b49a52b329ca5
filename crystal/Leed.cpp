#include "crystal/Leed.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <numbers>
#include <numeric>
#include <utility>

namespace crystal {

namespace {

constexpr double Pi = std::numbers::pi;

// The z component of p x q: the signed area of the parallelogram, Angstrom^2.
double cross2(Position p, Position q) { return p.x * q.y - p.y * q.x; }

template <class U> Vector3<U> combine(int64_t i, Vector3<U> a, int64_t j, Vector3<U> b)
{
    return double(i) * a + double(j) * b;
}

// A basis of the lattice a, b reduced by Lagrange's algorithm: |u| <= |v| and |u . v| <= |u|^2 / 2.
// coords holds u and v as rows of (a, b) coordinates.
struct ReducedBasis {
    Position u, v;
    IntMatrix2 coords;
};

ReducedBasis reduce(Position a, Position b)
{
    ReducedBasis r{a, b, {1, 0, 0, 1}};
    // Each step shortens v by a whole multiple of u; the loop ends after a few steps for any
    // basis of a real surface, and the bound only guards against degenerate input.
    for (int step = 0; step < 200; ++step) {
        if (dot(r.v, r.v) < dot(r.u, r.u)) {
            std::swap(r.u, r.v);
            r.coords = {r.coords.m21, r.coords.m22, r.coords.m11, r.coords.m12};
        }
        const double mu = std::round(dot(r.u, r.v) / dot(r.u, r.u));
        if (mu == 0.0 || !(std::abs(mu) < 1e15))
            break;
        const auto n = int64_t(mu);
        r.v = r.v - mu * r.u;
        r.coords.m21 -= n * r.coords.m11;
        r.coords.m22 -= n * r.coords.m12;
    }
    return r;
}

IntMatrix2 multiply(const IntMatrix2& p, const IntMatrix2& q)
{
    return {p.m11 * q.m11 + p.m12 * q.m21, p.m11 * q.m12 + p.m12 * q.m22, p.m21 * q.m11 + p.m22 * q.m21,
            p.m21 * q.m12 + p.m22 * q.m22};
}

// The inverse of a unimodular matrix (det +-1), exact.
IntMatrix2 unimodularInverse(const IntMatrix2& p)
{
    const int64_t d = p.det();
    return {d * p.m22, -d * p.m12, -d * p.m21, d * p.m11};
}

// Whether p and q (rows: cell vectors) span the same lattice: p q^-1 is an integer matrix of
// determinant +-1.
bool sameLattice(const IntMatrix2& p, const IntMatrix2& q)
{
    const int64_t dq = q.det();
    if (dq == 0 || std::abs(p.det()) != std::abs(dq))
        return false;
    const IntMatrix2 adj{q.m22, -q.m12, -q.m21, q.m11};
    const IntMatrix2 prod = multiply(p, adj);
    return prod.m11 % dq == 0 && prod.m12 % dq == 0 && prod.m21 % dq == 0 && prod.m22 % dq == 0;
}

} // namespace

double electronWaveNumber(double energyEv)
{
    // CODATA 2018: electron mass, elementary charge (exact), reduced Planck constant.
    constexpr double ElectronMass = 9.1093837015e-31; // kg
    constexpr double ElectronVolt = 1.602176634e-19;  // J
    constexpr double ReducedPlanck = 1.054571817e-34; // J s
    static const double perRootEv = std::sqrt(2.0 * ElectronMass * ElectronVolt) / ReducedPlanck * 1e-10;
    return perRootEv * std::sqrt(energyEv);
}

Fraction makeFraction(int64_t num, int64_t den)
{
    if (den < 0) {
        num = -num;
        den = -den;
    }
    const int64_t g = std::gcd(num, den);
    return g > 1 ? Fraction{num / g, den / g} : Fraction{num, den};
}

std::string fractionText(Fraction f)
{
    if (f.den == 1)
        return std::to_string(f.num);
    return std::to_string(f.num) + "/" + std::to_string(f.den);
}

std::vector<IntMatrix2> latticePointGroup(Position a, Position b)
{
    const ReducedBasis r = reduce(a, b);
    const double guu = dot(r.u, r.u), guv = dot(r.u, r.v), gvv = dot(r.v, r.v);
    const double tolerance = ShapeTolerance * gvv;
    // In a reduced basis every symmetry operation of the lattice has entries -1, 0 or 1.
    struct Op {
        IntMatrix2 m;
        int det;
        double angle;
    };
    std::vector<Op> ops;
    for (int e = 0; e < 81; ++e) {
        const IntMatrix2 p{e % 3 - 1, e / 3 % 3 - 1, e / 9 % 3 - 1, e / 27 % 3 - 1};
        const int64_t d = p.det();
        if (d != 1 && d != -1)
            continue;
        // p G p^T = G, with G the metric of u, v: the operation keeps lengths and angles.
        const Position pu = combine(p.m11, r.u, p.m12, r.v);
        const Position pv = combine(p.m21, r.u, p.m22, r.v);
        if (std::abs(dot(pu, pu) - guu) > tolerance || std::abs(dot(pu, pv) - guv) > tolerance
            || std::abs(dot(pv, pv) - gvv) > tolerance)
            continue;
        double angle = std::atan2(cross2(r.u, pu), dot(r.u, pu)) * 180.0 / Pi;
        if (angle < -AngleToleranceDegrees)
            angle += 360.0;
        ops.push_back({p, int(d), std::max(angle, 0.0)});
    }
    std::sort(ops.begin(), ops.end(), [](const Op& p, const Op& q) {
        if (p.det != q.det)
            return p.det > q.det;
        return p.angle < q.angle;
    });
    // Back to the (a, b) coordinates: with C the rows u and v in (a, b) coordinates, a row x of
    // (a, b) coordinates is x C^-1 in (u, v) ones, so an operation p there is C^-1 p C here.
    const IntMatrix2& c = r.coords;
    const IntMatrix2 cInverse = unimodularInverse(c);
    std::vector<IntMatrix2> group;
    for (const Op& op : ops)
        group.push_back(multiply(multiply(cInverse, op.m), c));
    return group;
}

const char* spotKindName(SpotKind kind) { return kind == SpotKind::Substrate ? "substrate" : "superstructure"; }

platform::Result<LeedPattern> leedPattern(Position a, Position b, double energyEv, const LeedOptions& options)
{
    if (!std::isfinite(energyEv) || !(energyEv > 0.0)) {
        return platform::fail("the energy must be a positive number of eV");
    }
    const double area = cross2(a, b);
    if (!(std::abs(area) > 0.0) || !std::isfinite(area)) {
        return platform::fail("the surface cell's vectors are parallel");
    }
    LeedPattern pattern;
    pattern.energy = energyEv;
    pattern.waveNumber = electronWaveNumber(energyEv);
    pattern.a = a;
    pattern.b = b;
    // b x z and z x a over the signed area: the 2D reciprocal basis, with 2 pi.
    pattern.aStar = (2.0 * Pi / area) * ReciprocalVector{b.y, -b.x, 0.0};
    pattern.bStar = (2.0 * Pi / area) * ReciprocalVector{-a.y, a.x, 0.0};
    const double k = pattern.waveNumber;

    const IntMatrix2 base = options.superstructure.value_or(IntMatrix2{});
    if (base.det() == 0) {
        return platform::fail("the superstructure matrix has determinant 0");
    }
    if (options.superstructure) {
        pattern.domains.push_back(base);
        std::vector<IntMatrix2> group;
        if (options.domains == LeedDomains::All) {
            group = latticePointGroup(a, b);
            if (!options.pointGroup.empty()) {
                for (const IntMatrix2& op : options.pointGroup)
                    if (std::find(group.begin(), group.end(), op) == group.end())
                        return platform::fail(
                            "an operation of the surface's point group is no symmetry of its lattice");
                std::erase_if(group, [&](const IntMatrix2& op) {
                    return std::find(options.pointGroup.begin(), options.pointGroup.end(), op)
                        == options.pointGroup.end();
                });
            }
        }
        for (const IntMatrix2& op : group) {
            const IntMatrix2 image = multiply(base, op);
            const bool known = std::any_of(pattern.domains.begin(), pattern.domains.end(),
                                           [&](const IntMatrix2& d) { return sameLattice(image, d); });
            if (!known)
                pattern.domains.push_back(image);
        }
    }

    // About k^2 A / (4 pi) beams per domain in a disc of radius k, A the superstructure's area.
    const double n = double(std::abs(base.det()));
    const double expected =
        k * k * std::abs(area) * n / (4.0 * Pi) * double(std::max<std::size_t>(1, pattern.domains.size()));
    auto tooMany = [&] {
        char shown[32];
        std::snprintf(shown, sizeof shown, "%g", energyEv);
        return platform::fail("more than " + std::to_string(MaxLeedSpots) + " beams would propagate at " + shown
                              + " eV; choose a lower energy or a smaller superstructure");
    };
    if (!(expected <= double(MaxLeedSpots)))
        return tooMany();

    // Beams keyed by their indices times N = |det M|, exact integers common to every domain.
    const int64_t denominator = std::abs(base.det());
    std::map<std::pair<int64_t, int64_t>, int> found;
    const std::vector<IntMatrix2> lattices = pattern.domains.empty() ? std::vector<IntMatrix2>{base} : pattern.domains;
    for (std::size_t d = 0; d < lattices.size(); ++d) {
        // Enumerate the superstructure's reciprocal lattice in a reduced basis, where the bound
        // |p| <= k |a'| / (2 pi) covers the disc with few points to spare.
        const IntMatrix2& given = lattices[d];
        const ReducedBasis r = reduce(combine(given.m11, a, given.m12, b), combine(given.m21, a, given.m22, b));
        const IntMatrix2 m = multiply(r.coords, given);
        const int64_t det = m.det();
        const int64_t sign = det > 0 ? 1 : -1;
        const auto pMax = int64_t(std::ceil(k * norm(r.u) / (2.0 * Pi))) + 1;
        const auto qMax = int64_t(std::ceil(k * norm(r.v) / (2.0 * Pi))) + 1;
        for (int64_t p = -pMax; p <= pMax; ++p)
            for (int64_t q = -qMax; q <= qMax; ++q) {
                // (h, k) = M^-1 (p, q): with N = |det M|, N h and N k are integers.
                const int64_t hn = sign * (m.m22 * p - m.m12 * q);
                const int64_t kn = sign * (-m.m21 * p + m.m11 * q);
                const ReciprocalVector g = (1.0 / double(denominator)) * combine(hn, pattern.aStar, kn, pattern.bStar);
                if (norm(g) > k * (1.0 + RoundingTolerance))
                    continue;
                found.emplace(std::make_pair(hn, kn), int(d) + 1);
            }
        // The estimate above counts a disc's area: the beams themselves decide near the limit.
        if (found.size() > MaxLeedSpots)
            return tooMany();
    }

    // Components that are zero but for rounding print as zero.
    const double noise = RoundingTolerance * std::max(norm(pattern.aStar), norm(pattern.bStar));
    auto clean = [noise](double v) { return std::abs(v) < noise ? 0.0 : v; };
    for (const auto& [key, domain] : found) {
        LeedSpot s;
        s.h = makeFraction(key.first, denominator);
        s.k = makeFraction(key.second, denominator);
        const ReciprocalVector g =
            (1.0 / double(denominator)) * combine(key.first, pattern.aStar, key.second, pattern.bStar);
        s.gx = clean(g.x);
        s.gy = clean(g.y);
        s.g = norm(g);
        s.theta = std::asin(std::min(1.0, s.g / k)) * 180.0 / Pi;
        s.kind = key.first % denominator == 0 && key.second % denominator == 0 ? SpotKind::Substrate
                                                                               : SpotKind::Superstructure;
        s.domain = domain;
        pattern.spots.push_back(s);
    }
    // Shells of equal g (within rounding) in increasing order, each by decreasing h, then k.
    std::sort(pattern.spots.begin(), pattern.spots.end(),
              [](const LeedSpot& p, const LeedSpot& q) { return p.g < q.g; });
    std::vector<int> shell(pattern.spots.size(), 0);
    for (std::size_t i = 1; i < pattern.spots.size(); ++i)
        shell[i] = shell[i - 1]
            + (pattern.spots[i].g - pattern.spots[i - 1].g > ExactTolerance * std::max(1.0, pattern.spots[i].g));
    std::vector<std::size_t> order(pattern.spots.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](std::size_t i, std::size_t j) {
        if (shell[i] != shell[j])
            return shell[i] < shell[j];
        const LeedSpot& p = pattern.spots[i];
        const LeedSpot& q = pattern.spots[j];
        // Same denominator N for every beam: compare the numerators scaled to it.
        const int64_t ph = p.h.num * (denominator / p.h.den), qh = q.h.num * (denominator / q.h.den);
        if (ph != qh)
            return ph > qh;
        return p.k.num * (denominator / p.k.den) > q.k.num * (denominator / q.k.den);
    });
    std::vector<LeedSpot> sorted;
    sorted.reserve(order.size());
    for (std::size_t i : order)
        sorted.push_back(pattern.spots[i]);
    pattern.spots = std::move(sorted);
    return pattern;
}

} // namespace crystal
