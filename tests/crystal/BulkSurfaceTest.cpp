// The terminations of any bulk crystal's plane: the literature's cases of each Tasker type, and
// properties that hold for every preset and plane.

#include "crystal/BulkSurface.h"
#include "crystal/Compound.h"
#include "crystal/Material.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

namespace crystal {
namespace {

std::string compositionText(const BulkPlane& plane)
{
    std::string out;
    for (const auto& [element, count] : plane.composition())
        out += element + (count > 1 ? std::to_string(count) : "");
    return out;
}

TEST(BulkSurface, TerminationsOfTheLiteraturesCases)
{
    constexpr auto Short = SpacingLength::Short, Long = SpacingLength::Long;
    const struct {
        const char* compound;
        Miller hkl;
        std::vector<std::string> tops; // the top plane of each termination, in their order
        std::vector<int> tasker;       // 0: no formal charges
        bool symmetric = true;         // an operation turns the normal over
        // The first spacing of each termination, short or long where the period has two.
        std::vector<std::optional<SpacingLength>> first = {};
    } rows[] = {
        {"SrTiO3", Miller{{1, 0, 0}}, {"OSr", "O2Ti"}, {1, 1}},
        {"MgO", Miller{{1, 1, 1}}, {"Mg", "O"}, {3, 3}},
        {"MgO", Miller{{1, 0, 0}}, {"MgO"}, {1}},
        // Three cuts, the bridging-oxygen one (the second) without a dipole.
        {"TiO2", Miller{{1, 1, 0}}, {"O", "O", "O2Ti2"}, {3, 2, 3}, true, {Short, Long, Long}},
        // Two planes a 4_2 screw apart: one termination.
        {"TiO2", Miller{{0, 0, 1}}, {"O2Ti"}, {1}},
        {"CaF2", Miller{{1, 1, 1}}, {"Ca", "F", "F"}, {3, 2, 3}},
        {"NiAl", Miller{{1, 0, 0}}, {"Al", "Ni"}, {0, 0}},
        // The polar axis: nothing turns (0 0 1) over, so no slab has one termination on both faces.
        {"ZnO", Miller{{0, 0, 1}}, {"O", "Zn"}, {3, 3}, false, {Long, Short}},
        {"MgO", Miller{{1, 1, 0}}, {"MgO"}, {1}, true, {std::nullopt}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.compound);
        const auto bulk = bulkOf(*findCompound(row.compound));
        ASSERT_TRUE(bulk);
        const auto symmetry = analyseSymmetry(*bulk);
        ASSERT_TRUE(symmetry) << symmetry.error().message;
        const auto surface = bulkSurface(*bulk, *symmetry, row.hkl);
        ASSERT_TRUE(surface) << surface.error().message;
        EXPECT_EQ(surface->symmetricPossible, row.symmetric);
        ASSERT_EQ(surface->terminations.size(), row.tops.size());
        for (std::size_t t = 0; t < row.tops.size(); ++t) {
            const BulkTermination& term = surface->terminations[t];
            EXPECT_EQ(compositionText(term.planes.front()), row.tops[t]) << t;
            EXPECT_EQ(term.polarity ? term.polarity->tasker : 0, row.tasker[t]) << t;
            if (!row.first.empty()) {
                EXPECT_EQ(firstSpacing(*surface, term).length, row.first[t]) << t;
            }
        }
        // The same crystal with its atoms listed backwards and its origin moved numbers them alike.
        BulkCrystal moved = *bulk;
        std::reverse(moved.sites.begin(), moved.sites.end());
        for (BulkSite& site : moved.sites)
            for (double& x : site.fractional)
                x = x + 0.3 - std::floor(x + 0.3);
        const auto again = bulkSurface(moved, *analyseSymmetry(moved), row.hkl);
        ASSERT_TRUE(again);
        for (std::size_t t = 0; t < again->terminations.size(); ++t)
            for (std::size_t k = 0; k < again->terminations[t].planes.size(); ++k) {
                EXPECT_EQ(compositionText(again->terminations[t].planes[k]),
                          compositionText(surface->terminations[t].planes[k]));
                EXPECT_NEAR(again->terminations[t].planes[k].height, surface->terminations[t].planes[k].height, 1e-6);
            }
    }
}

TEST(BulkSurface, EveryPeriodHoldsThePrimitiveCellsAtoms)
{
    for (const Compound& c : compoundPresets()) {
        const auto bulk = bulkOf(c);
        ASSERT_TRUE(bulk);
        const auto symmetry = analyseSymmetry(*bulk);
        ASSERT_TRUE(symmetry);
        for (const Miller hkl : {Miller{{1, 0, 0}}, Miller{{1, 1, 0}}, Miller{{1, 1, 1}}, Miller{{2, 1, 0}}}) {
            SCOPED_TRACE(c.name + " " + std::to_string(hkl[0]) + std::to_string(hkl[1]) + std::to_string(hkl[2]));
            const auto s = bulkSurface(*bulk, *symmetry, hkl);
            ASSERT_TRUE(s) << s.error().message;
            // The period's atoms are the primitive cell's: the volume of the slab cell is its volume.
            std::size_t atoms = 0;
            for (const BulkPlane& plane : s->planes)
                atoms += plane.atoms.size();
            EXPECT_EQ(atoms, symmetry->primitive.sites.size());
            const auto& pc = symmetry->primitive.cell;
            EXPECT_NEAR(s->area() * s->period(), std::abs(dot(pc[0], cross(pc[1], pc[2]))), 1e-6);
            // Planes from the top down, within one period.
            for (std::size_t i = 1; i < s->planes.size(); ++i)
                EXPECT_LT(s->planes[i].height, s->planes[i - 1].height);
            EXPECT_GT(s->planes.back().height, -s->period());
            ASSERT_FALSE(s->terminations.empty());
            std::size_t cuts = 0;
            // Each cut's first spacing is the gap below its top plane: over every cut they fill
            // the period; where they are named, every short one is shorter than every long one.
            double gaps = 0.0, longestShort = 0.0, shortestLong = s->period();
            for (const BulkTermination& t : s->terminations) {
                cuts += t.cuts.size();
                const FirstSpacing first = firstSpacing(*s, t);
                gaps += double(t.cuts.size()) * first.spacing;
                if (first.length == SpacingLength::Short)
                    longestShort = std::max(longestShort, first.spacing);
                if (first.length == SpacingLength::Long)
                    shortestLong = std::min(shortestLong, first.spacing);
            }
            EXPECT_EQ(cuts, s->planes.size());
            EXPECT_NEAR(gaps, s->period(), 1e-6);
            EXPECT_LT(longestShort, shortestLong);
        }
    }
}

// A cut's first spacing, and whether it is the short or the long one, belong to the crystal, not
// to the order its atoms are listed in or its origin: corundum's planes have many spacings. A
// period of more than two spacings names none short or long: anatase (1 0 1) has four.
TEST(BulkSurface, FirstSpacingsDoNotDependOnTheAtomsOrder)
{
    const BulkCrystal anatase = *bulkOf(*findCompound("TiO2-anatase"));
    const auto s101 = bulkSurface(anatase, *analyseSymmetry(anatase), Miller{{1, 0, 1}});
    ASSERT_TRUE(s101);
    std::set<long> spacings;
    for (const BulkTermination& t : s101->terminations) {
        spacings.insert(std::lround(firstSpacing(*s101, t).spacing * 100));
        EXPECT_EQ(firstSpacing(*s101, t).length, std::nullopt);
    }
    EXPECT_EQ(spacings.size(), 4u);

    for (const char* name : {"Al2O3", "Fe2O3", "TiO2-anatase", "MoS2"}) {
        const BulkCrystal bulk = *bulkOf(*findCompound(name));
        BulkCrystal moved = bulk;
        std::reverse(moved.sites.begin(), moved.sites.end());
        for (BulkSite& site : moved.sites)
            for (double& x : site.fractional)
                x = x + 0.3 - std::floor(x + 0.3);
        for (const Miller hkl : {Miller{{1, 0, 1}}, Miller{{0, 1, 2}}, Miller{{1, 0, 4}}, Miller{{1, 1, 3}}}) {
            SCOPED_TRACE(std::string(name) + " " + std::to_string(hkl[0]) + std::to_string(hkl[1])
                         + std::to_string(hkl[2]));
            const auto s = bulkSurface(bulk, *analyseSymmetry(bulk), hkl);
            const auto t = bulkSurface(moved, *analyseSymmetry(moved), hkl);
            ASSERT_TRUE(s && t);
            ASSERT_EQ(s->terminations.size(), t->terminations.size());
            for (std::size_t i = 0; i < s->terminations.size(); ++i) {
                const FirstSpacing a = firstSpacing(*s, s->terminations[i]), b = firstSpacing(*t, t->terminations[i]);
                EXPECT_NEAR(a.spacing, b.spacing, 1e-6) << i;
                EXPECT_EQ(a.length, b.length) << i;
            }
        }
    }
}

} // namespace
} // namespace crystal
