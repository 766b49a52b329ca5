// The point group of a surface with the layers below it, against the groups known by hand, and the
// LEED domains it makes.

#include "crystal/Leed.h"
#include "crystal/SurfaceSymmetry.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace crystal;

namespace {

SurfaceSpec specOf(const char* material, Miller hkl, Termination termination = Termination::None)
{
    const Material& m = *findMaterial(material);
    const bool terminated = m.lattice == LatticeKind::Hcp || m.lattice == LatticeKind::ZincBlende;
    return {m, hkl, terminated && termination == Termination::None ? Termination::A : termination};
}

IntMatrix2 product(const IntMatrix2& p, const IntMatrix2& q)
{
    return {p.m11 * q.m11 + p.m12 * q.m21, p.m11 * q.m12 + p.m12 * q.m22, p.m21 * q.m11 + p.m22 * q.m21,
            p.m21 * q.m12 + p.m22 * q.m22};
}

} // namespace

// Orders and rotations (det +1) of the groups: 4mm 8 and 4, 3m 6 and 3, 2mm 4 and 2, m 2 and 1.
// The layers below break the lattice's own symmetry: FCC (1 1 1) and HCP (0 0 0 1) are 3m on a
// hexagonal lattice (6mm), zinc blende and diamond (0 0 1) 2mm on a square one (their bonds to
// the plane below run along one diagonal), zinc blende (1 1 0) m on a rectangular one.
TEST(SurfaceSymmetry, PointGroupsOfKnownSurfaces)
{
    const struct Row {
        const char* material;
        Miller hkl;
        Termination termination;
        std::size_t order, rotations, latticeOrder;
    } rows[] = {
        {"Cu", {0, 0, 1}, Termination::None, 8, 4, 8},  {"Cu", {1, 1, 1}, Termination::None, 6, 3, 12},
        {"Cu", {1, 1, 0}, Termination::None, 4, 2, 4},  {"Cu", {-1, -1, -1}, Termination::None, 6, 3, 12},
        {"Fe", {1, 1, 0}, Termination::None, 4, 2, 4},  {"Fe", {1, 0, 0}, Termination::None, 8, 4, 8},
        {"Fe", {1, 1, 1}, Termination::None, 6, 3, 12}, {"GaAs", {0, 0, 1}, Termination::A, 4, 2, 8},
        {"GaAs", {0, 0, 1}, Termination::B, 4, 2, 8},   {"GaAs", {1, 1, 1}, Termination::A, 6, 3, 12},
        {"GaAs", {1, 1, 0}, Termination::A, 2, 1, 4},   {"Si", {0, 0, 1}, Termination::A, 4, 2, 8},
        {"Mg", {0, 0, 1}, Termination::A, 6, 3, 12},    {"Mg", {0, 0, 1}, Termination::B, 6, 3, 12},
        {"Mg", {1, 0, 0}, Termination::A, 4, 2, 4},     {"Cu", {7, 5, 5}, Termination::None, 2, 1, 4},
        {"Cu", {3, 2, 1}, Termination::None, 1, 1, 2},  {"Fe", {3, 1, 0}, Termination::None, 2, 1, 4},
    };
    for (const Row& r : rows) {
        const SurfaceSpec spec = specOf(r.material, r.hkl, r.termination);
        SCOPED_TRACE(surfaceTitle(spec));
        const auto cell = surfaceCell(spec, InPlaneCell::Primitive);
        ASSERT_TRUE(cell) << cell.error().message;
        const auto group = surfacePointGroup(spec, *cell);
        ASSERT_TRUE(group) << group.error().message;
        EXPECT_EQ(group->size(), r.order);
        EXPECT_EQ(std::count_if(group->begin(), group->end(), [](const IntMatrix2& m) { return m.det() == 1; }),
                  std::ptrdiff_t(r.rotations));
        // A subgroup of the lattice's point group, in its order, closed under products.
        const auto lattice = latticePointGroup(cell->a, cell->b);
        EXPECT_EQ(lattice.size(), r.latticeOrder);
        ASSERT_FALSE(group->empty());
        EXPECT_EQ(group->front(), (IntMatrix2{1, 0, 0, 1}));
        auto at = [&](const IntMatrix2& m) { return std::find(lattice.begin(), lattice.end(), m) - lattice.begin(); };
        for (std::size_t i = 0; i < group->size(); ++i) {
            EXPECT_LT(at((*group)[i]), std::ptrdiff_t(lattice.size()));
            if (i > 0) {
                EXPECT_LT(at((*group)[i - 1]), at((*group)[i]));
            }
            for (const IntMatrix2& q : *group)
                EXPECT_NE(std::find(group->begin(), group->end(), product((*group)[i], q)), group->end());
        }
    }
}

// Domains from the surface's group: (2x4) and (4x2) are two domains on FCC (0 0 1) (4mm) but one
// and another reconstruction on zinc blende (0 0 1) (2mm); one domain alone lists the same
// beams whatever group is given; an operation that is no symmetry of the lattice is refused.
TEST(SurfaceSymmetry, DomainsFollowTheSurfacesGroup)
{
    const struct Row {
        const char* material;
        Miller hkl;
        IntMatrix2 superstructure;
        std::size_t domains;
    } rows[] = {
        {"Cu", {0, 0, 1}, {2, 0, 0, 4}, 2}, {"GaAs", {0, 0, 1}, {2, 0, 0, 4}, 1}, {"Si", {0, 0, 1}, {2, 0, 0, 1}, 1},
        {"Fe", {1, 0, 0}, {2, 0, 0, 1}, 2}, {"Cu", {1, 1, 1}, {2, 0, 0, 1}, 3},   {"Mg", {0, 0, 1}, {2, 0, 0, 1}, 3},
        {"Cu", {1, 1, 0}, {2, 1, 0, 3}, 2},
    };
    for (const Row& r : rows) {
        const SurfaceSpec spec = specOf(r.material, r.hkl);
        SCOPED_TRACE(surfaceTitle(spec));
        const auto cell = surfaceCell(spec, InPlaneCell::Primitive);
        ASSERT_TRUE(cell);
        const auto group = surfacePointGroup(spec, *cell);
        ASSERT_TRUE(group);
        const auto all = leedPattern(cell->a, cell->b, 80.0, {r.superstructure, LeedDomains::All, *group});
        ASSERT_TRUE(all) << all.error().message;
        EXPECT_EQ(all->domains.size(), r.domains);
        const auto one = leedPattern(cell->a, cell->b, 80.0, {r.superstructure, LeedDomains::One, *group});
        const auto plain = leedPattern(cell->a, cell->b, 80.0, {r.superstructure, LeedDomains::One});
        ASSERT_TRUE(one && plain);
        ASSERT_EQ(one->spots.size(), plain->spots.size());
        for (std::size_t i = 0; i < one->spots.size(); ++i)
            EXPECT_TRUE(one->spots[i].h == plain->spots[i].h && one->spots[i].k == plain->spots[i].k);
    }
    const Position a{3, 0, 0}, b{0, 4, 0};
    EXPECT_FALSE(leedPattern(a, b, 80.0, {IntMatrix2{2, 0, 0, 1}, LeedDomains::All, {{0, 1, -1, 0}}}));
}
