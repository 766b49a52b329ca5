#include "crystal/Facets.h"

#include "crystal/PlaneLattice.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <set>
#include <string>

namespace crystal {
namespace {

// The crystal's atoms of one period below a termination's cut, in the surface frame: the top
// plane at height 0, the others below it down to just above -period; and their species.
struct PeriodAtom {
    Position r;
    int species;
};

std::vector<PeriodAtom> periodAtoms(const BulkSurface& surface, const BulkTermination& termination,
                                    const std::vector<std::string>& elements)
{
    std::vector<PeriodAtom> atoms;
    for (const BulkPlane& plane : termination.planes)
        for (const BulkPlaneAtom& atom : plane.atoms) {
            Position p = atom.position.u * surface.a + atom.position.v * surface.b;
            p.z = plane.height;
            atoms.push_back({p, int(std::find(elements.begin(), elements.end(), atom.element) - elements.begin())});
        }
    return atoms;
}

} // namespace

int brokenBonds(const BulkSurface& surface, const BulkTermination& termination, const NeighbourRule& rule,
                const std::vector<std::string>& elements)
{
    const std::vector<PeriodAtom> atoms = periodAtoms(surface, termination, elements);
    if (atoms.empty() || termination.planes.empty())
        return 0;
    const std::array<Position, 3> cell = {surface.a, surface.b, surface.periodVector};
    const double period = surface.period();
    const double volume = std::fabs(dot(cell[0], cross(cell[1], cell[2])));
    const double reach = rule.longest();
    std::array<int, 3> images{};
    for (std::size_t i = 0; i < 3; ++i) {
        const double width = volume / norm(cross(cell[(i + 1) % 3], cell[(i + 2) % 3]));
        images[i] = int(std::ceil(reach / width));
    }
    // The cut lies halfway between the top plane (height 0) and the plane above it, the period's
    // lowest plane one period up. The bond from an atom's copies m periods down (m >= 0) reaches
    // up to z + d.z - m period: it crosses the cut for each m that leaves it above.
    const double cut = 0.5 * (termination.planes.back().height + period);
    int broken = 0;
    for (const PeriodAtom& from : atoms)
        for (const PeriodAtom& to : atoms)
            for (int x = -images[0]; x <= images[0]; ++x)
                for (int y = -images[1]; y <= images[1]; ++y)
                    for (int z = -images[2]; z <= images[2]; ++z) {
                        const Position d =
                            to.r + double(x) * cell[0] + double(y) * cell[1] + double(z) * cell[2] - from.r;
                        const double length = norm(d);
                        if (d.z <= 0.0 || length < LengthTolerance || length > rule.cutoff(from.species, to.species))
                            continue;
                        const double top = from.r.z + d.z;
                        if (top > cut)
                            broken += 1 + int(std::floor((top - cut) / period));
                    }
    return broken;
}

bool hasHexagonalAxes(const std::array<Position, 3>& cell)
{
    const double la = norm(cell[0]);
    const double lb = norm(cell[1]);
    const double lc = norm(cell[2]);
    return std::fabs(la - lb) <= ShapeTolerance * la
        && std::fabs(dot(cell[0], cell[1]) + 0.5 * la * lb) <= ShapeTolerance * la * lb
        && std::fabs(dot(cell[0], cell[2])) <= ShapeTolerance * la * lc
        && std::fabs(dot(cell[1], cell[2])) <= ShapeTolerance * lb * lc;
}

std::vector<Miller> equivalentPlanes(const CrystalSymmetry& symmetry, const Miller& hkl)
{
    std::set<Miller> seen;
    std::vector<Miller> planes;
    for (const SymmetryOperation& op : symmetry.operations) {
        Miller image{{0, 0, 0}};
        for (std::size_t j = 0; j < 3; ++j)
            for (std::size_t i = 0; i < 3; ++i)
                image[j] += hkl[i] * op.rotation[i][j];
        if (seen.insert(image).second)
            planes.push_back(image);
    }
    if (planes.empty())
        planes.push_back(hkl);
    return planes;
}

platform::Result<std::vector<Facet>> distinctFacets(const BulkCrystal& bulk, const CrystalSymmetry& symmetry,
                                                    int maxIndex, double planeTolerance)
{
    if (maxIndex < 1 || maxIndex > MaxFacetIndex)
        return platform::fail("--max-index must be from 1 to " + std::to_string(MaxFacetIndex));
    const bool hexagonal = hasHexagonalAxes(bulk.cell);
    const int64_t n = maxIndex;
    auto inBox = [&](const Miller& m) {
        return std::abs(m[0]) <= n && std::abs(m[1]) <= n && std::abs(m[2]) <= n
            && (!hexagonal || std::abs(m[0] + m[1]) <= n);
    };
    auto largestIndex = [&](const Miller& m) {
        const int64_t top = std::max({std::abs(m[0]), std::abs(m[1]), std::abs(m[2])});
        return hexagonal ? std::max(top, std::abs(m[0] + m[1])) : top;
    };

    // The family's name: the member with the most indices not below 0, then the largest in index
    // order: (1 1 1), (1 1 0) rather than (2 -1 0) on hexagonal axes, (1 1 -1) before (-1 -1 -1).
    auto nicer = [](const Miller& x, const Miller& y) {
        const auto positives = [](const Miller& m) { return int(m[0] >= 0) + int(m[1] >= 0) + int(m[2] >= 0); };
        if (positives(x) != positives(y))
            return positives(x) > positives(y);
        return x > y;
    };
    std::vector<std::string> elements;
    for (const BulkSite& site : bulk.sites)
        if (std::find(elements.begin(), elements.end(), site.element) == elements.end())
            elements.push_back(site.element);
    const NeighbourRule rule = bulkNeighbourRule(symmetry.primitive, elements);
    std::set<Miller> assigned;
    std::vector<Facet> facets;
    for (int64_t h = -n; h <= n; ++h)
        for (int64_t k = -n; k <= n; ++k)
            for (int64_t l = -n; l <= n; ++l) {
                const Miller m{{h, k, l}};
                if ((h == 0 && k == 0 && l == 0) || gcd3(m) != 1 || !inBox(m) || assigned.contains(m))
                    continue;
                const std::vector<Miller> family = equivalentPlanes(symmetry, m);
                Facet facet;
                facet.hkl = m;
                for (const Miller& member : family) {
                    assigned.insert(member);
                    if (inBox(member) && nicer(member, facet.hkl))
                        facet.hkl = member;
                }
                facet.multiplicity = int(family.size());
                if (hexagonal)
                    facet.hkil = std::array<int64_t, 4>{facet.hkl[0], facet.hkl[1], -(facet.hkl[0] + facet.hkl[1]),
                                                        facet.hkl[2]};
                const auto surface = bulkSurface(bulk, symmetry, facet.hkl, planeTolerance);
                if (!surface)
                    return surface.error();
                facet.spacing = surface->period();
                double lowest = std::numeric_limits<double>::infinity();
                for (const BulkTermination& t : surface->terminations) {
                    const double perArea = double(brokenBonds(*surface, t, rule, elements)) / surface->area();
                    facet.terminations.push_back({t.index, perArea, 0.5 * perArea});
                    if (facet.terminations.size() == 1 || 0.5 * perArea < lowest * (1.0 - ExactTolerance)) {
                        lowest = 0.5 * perArea;
                        facet.lowest = t.index;
                    }
                }
                facets.push_back(std::move(facet));
            }
    std::stable_sort(facets.begin(), facets.end(), [&](const Facet& x, const Facet& y) {
        const int64_t ix = largestIndex(x.hkl);
        const int64_t iy = largestIndex(y.hkl);
        if (ix != iy)
            return ix < iy;
        if (std::fabs(x.spacing - y.spacing) > LengthTolerance)
            return x.spacing > y.spacing;
        return x.hkl > y.hkl;
    });
    return facets;
}

} // namespace crystal
