#include "crystal/StepNotation.h"

#include "crystal/PlaneLattice.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numeric>

namespace crystal {

namespace {

// The terrace families this notation knows, closest-packed first: sorted absolute indices.
constexpr Miller FccTerraces[] = {{1, 1, 1}, {0, 0, 1}};
constexpr Miller BccTerraces[] = {{0, 1, 1}, {0, 0, 1}};

// The spacing of the close-packed <110> rows in an FCC {111} plane, in cube edges: sqrt(6) / 4.
constexpr double Fcc111RowSpacing = 0.6123724356957945;

// The dot product of reciprocal lattice vectors of the cubic lattice, in units of 1 / a^2.
int64_t dot3(const Miller& p, const Miller& q) { return p[0] * q[0] + p[1] * q[1] + p[2] * q[2]; }

template <class Indices> Indices reduce(Indices v)
{
    const int64_t g = std::gcd(std::gcd(std::llabs(v[0]), std::llabs(v[1])), std::llabs(v[2]));
    if (g > 1)
        for (auto& x : v)
            x /= g;
    return v;
}

template <class Indices> Indices sortedAbs(Indices v)
{
    for (auto& x : v)
        x = std::llabs(x);
    std::sort(v.begin(), v.end());
    return v;
}

// The shortest reciprocal lattice vector normal to the plane (in units of 1 / a, without 2 pi):
// the reduced indices, doubled where the centring removes that plane (FCC mixed parity, BCC odd
// index sum).
Miller reciprocal(LatticeKind lattice, Miller reduced)
{
    bool allowed = true;
    if (lattice == LatticeKind::Fcc) {
        const int64_t odd = (reduced[0] & 1) + (reduced[1] & 1) + (reduced[2] & 1);
        allowed = odd == 0 || odd == 3;
    } else {
        allowed = ((reduced[0] + reduced[1] + reduced[2]) & 1) == 0;
    }
    if (!allowed)
        for (auto& x : reduced)
            x *= 2;
    return reduced;
}

// Every signed permutation of a family's indices.
std::vector<Miller> variants(const Miller& family)
{
    std::vector<Miller> out;
    Miller p = family;
    std::sort(p.begin(), p.end());
    do {
        for (int signs = 0; signs < 8; ++signs) {
            Miller v = p;
            for (int i = 0; i < 3; ++i)
                if (signs & (1 << i))
                    v[i] = -v[i];
            if (std::find(out.begin(), out.end(), v) == out.end())
                out.push_back(v);
        }
    } while (std::next_permutation(p.begin(), p.end()));
    return out;
}

// The terrace planes that one period of the surface descends across the step edge: the greatest
// common divisor of gT . t over the translations t in the surface (g . t = 0), in terrace
// spacings. The notation n(terrace) x (step) describes a surface whose period across the edge
// holds one terrace and one step one terrace plane high. A period that descends q > 1 planes
// holds q steps that no translation maps onto each other, and its terraces differ in width
// wherever the rows of one terrace plane sit over those of the next at a fraction of a row: BCC
// (2m+1 1 1) descends two (1 0 0) planes, its terraces m and m + 1 rows wide in turn. The test
// is exact: q = 1 just when g and gT are a basis of the reciprocal lattice in their plane, so
// that the step face g - (n - 1) gT is a shortest reciprocal vector, one plane high; the converse
// fails (BCC (1 1 5) leaves (2 2 2), the shortest (1 1 1) one, and still descends two planes).
int64_t terracePlanesPerPeriod(LatticeKind lattice, const Miller& g, const Miller& gT)
{
    // Primitive translations in half cube edges; g . t is then twice an integer.
    static constexpr Int3 FccPrimitive[] = {{0, 1, 1}, {1, 0, 1}, {1, 1, 0}};
    static constexpr Int3 BccPrimitive[] = {{2, 0, 0}, {0, 2, 0}, {1, 1, 1}};
    const auto& primitive = lattice == LatticeKind::Fcc ? FccPrimitive : BccPrimitive;
    auto height = [](const Miller& plane, const Int3& t) {
        return plane[0] * t[0] + plane[1] * t[1] + plane[2] * t[2];
    };
    Int3 heights{};
    int64_t spacing = 0; // gT . t of the next terrace plane up
    for (int i = 0; i < 3; ++i) {
        heights[i] = height(g, primitive[i]);
        spacing = std::gcd(spacing, height(gT, primitive[i]));
    }
    const Euclid e = euclid(heights);
    int64_t descent = 0;
    for (int i = 0; i < 3; ++i) {
        if (e.values[i] != 0)
            continue;
        Int3 t{};
        for (int j = 0; j < 3; ++j)
            t = iadd(t, iscale(e.rows[i][j], primitive[j]));
        descent = std::gcd(descent, height(gT, t));
    }
    return spacing == 0 ? 0 : descent / spacing;
}

bool isLowIndex(LatticeKind lattice, const Miller& reduced)
{
    const Miller s = sortedAbs(reduced);
    const Miller common[] = {{0, 0, 1}, {0, 1, 1}, {1, 1, 1}};
    if (std::find(std::begin(common), std::end(common), s) != std::end(common))
        return true;
    return lattice == LatticeKind::Bcc && s == Miller{1, 1, 2};
}

} // namespace

std::optional<StepNotation> stepNotation(LatticeKind lattice, Miller hkl)
{
    if (lattice != LatticeKind::Fcc && lattice != LatticeKind::Bcc)
        return std::nullopt;
    // Beyond a million the terraces are wider than any crystal and the products below could
    // overflow.
    constexpr int64_t Limit = 1000000;
    if (hkl == Miller{0, 0, 0} || std::any_of(hkl.begin(), hkl.end(), [](int64_t x) { return std::llabs(x) > Limit; }))
        return std::nullopt;
    const Miller plane = reduce(hkl);
    if (isLowIndex(lattice, plane))
        return std::nullopt;
    const Miller g = reciprocal(lattice, plane);

    // The terrace is the low-index plane nearest in angle to the surface: the largest
    // g.gT / |gT| over the families' orientations facing the same side. Ties go to the
    // family listed first, the closer-packed one.
    const auto& families = lattice == LatticeKind::Fcc ? FccTerraces : BccTerraces;
    Miller best{};
    Miller bestG{};
    int64_t bestDot = 0;
    int64_t bestNorm = 1;
    for (const auto& family : families) {
        for (const Miller& t : variants(family)) {
            const Miller gt = reciprocal(lattice, t);
            const int64_t d = dot3(g, gt);
            if (d <= 0)
                continue;
            const int64_t n2 = dot3(gt, gt);
            // d / sqrt(n2) > bestDot / sqrt(bestNorm), compared exactly.
            if (bestDot == 0 || __int128(d) * d * bestNorm > __int128(bestDot) * bestDot * n2) {
                best = t;
                bestG = gt;
                bestDot = d;
                bestNorm = n2;
            }
        }
    }
    if (bestDot == 0 || terracePlanesPerPeriod(lattice, g, bestG) != 1)
        return std::nullopt;

    // Rows parallel to the step edge: one step period advances (g.gT) / |gT|^2 row spacings
    // along the terrace, the fraction being where the plane above sits over this one; the rows
    // on one terrace are that number rounded up. Whatever is left of g after n - 1 terrace
    // vectors is the step face.
    StepNotation result;
    result.terrace = best;
    const int64_t width = (bestDot + bestNorm - 1) / bestNorm;
    Miller stepG;
    for (int i = 0; i < 3; ++i)
        stepG[i] = g[i] - (width - 1) * bestG[i];
    Miller step = reduce(stepG);
    if (width >= 2 && isLowIndex(lattice, step)) {
        result.terraceWidth = int(width);
        result.step = step;
        return result;
    }
    // With the edge along a close-packed row the surface is stepped, not kinked; steps that are
    // not single-height get no notation. The edge is the zone axis of the two planes.
    const LatticeDirection edge =
        reduce(LatticeDirection{plane[1] * best[2] - plane[2] * best[1], plane[2] * best[0] - plane[0] * best[2],
                                plane[0] * best[1] - plane[1] * best[0]});
    const LatticeDirection closePacked =
        lattice == LatticeKind::Fcc ? LatticeDirection{0, 1, 1} : LatticeDirection{1, 1, 1};
    if (sortedAbs(edge) == closePacked)
        return std::nullopt;

    // A kinked surface: the step edge is no atom row. Only (1 1 1) terraces of FCC have an
    // established notation for it.
    if (lattice != LatticeKind::Fcc || sortedAbs(best) != Miller{1, 1, 1})
        return std::nullopt;
    // The terrace width is counted in close-packed rows across the terrace, d / tan(theta),
    // rounded up; the step face is what is left of the indices after that many terrace planes.
    const double gNorm = std::sqrt(double(dot3(g, g)));
    const double gtNorm = std::sqrt(double(bestNorm));
    const double cosTheta = std::min(1.0, double(bestDot) / (gNorm * gtNorm));
    const double sinTheta = std::sqrt(std::max(0.0, 1.0 - cosTheta * cosTheta));
    if (sinTheta <= 0.0)
        return std::nullopt;
    const double terraceWidth = (1.0 / gtNorm) * cosTheta / sinTheta;
    const double rows = std::ceil(terraceWidth / Fcc111RowSpacing - ExactTolerance);
    // Two rows make no terrace to count kinks along.
    if (rows < 3.0 || rows > 1e9)
        return std::nullopt;
    const int64_t n = int64_t(rows);
    for (int i = 0; i < 3; ++i)
        step[i] = plane[i] - n * best[i];
    // The step face must rise from the terrace (facing the same side) and lie farther from the
    // surface than the terrace does; otherwise the plane is no vicinal of this terrace.
    if (step == Miller{0, 0, 0} || dot3(step, best) <= 0 || isLowIndex(lattice, reduce(step)))
        return std::nullopt;
    // A kinked step is a short run of low-index ledges leaning the way the terrace does, such as
    // (3 1 0) in (10 8 7) = 7(1 1 1) x (3 1 0): a long index, or one of opposite sign to the
    // terrace's, is no step face but what is left of a plane far from every terrace.
    if (std::any_of(step.begin(), step.end(), [](int64_t x) { return std::llabs(x) > 4; }))
        return std::nullopt;
    for (int i = 0; i < 3; ++i)
        if (step[i] * best[i] < 0)
            return std::nullopt;
    auto cosine = [](const Miller& p, const Miller& q) {
        return double(dot3(p, q)) / std::sqrt(double(dot3(p, p)) * double(dot3(q, q)));
    };
    if (cosine(plane, step) >= cosine(plane, best))
        return std::nullopt;
    result.terraceWidth = int(n);
    result.step = reduce(step);
    result.kinked = true;
    return result;
}

std::string formatStepNotation(const StepNotation& steps)
{
    auto indices = [](const Miller& v) {
        return "(" + std::to_string(v[0]) + " " + std::to_string(v[1]) + " " + std::to_string(v[2]) + ")";
    };
    return std::to_string(steps.terraceWidth) + indices(steps.terrace) + " x " + indices(steps.step);
}

} // namespace crystal
