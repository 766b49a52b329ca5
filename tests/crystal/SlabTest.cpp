// Periodic slabs: planes from the top, vacuum on both sides, every atom inside the cell.

#include "crystal/Slab.h"

#include <gtest/gtest.h>

#include <cmath>

namespace crystal {
namespace {

TEST(Slab, PlanesFromTheTopInsideTheCell)
{
    const struct {
        const char* material;
        Miller hkl;
        Termination term;
        SlabOptions options;
    } rows[] = {
        {"Cu", {1, 1, 1}, Termination::None, {}},
        {"Pt", {5, 3, 1}, Termination::None, {7, 2, 3, 12.5}},
        {"Zn", {1, 0, 1}, Termination::B, {5, 1, 2, 0.0}},
        {"GaAs", {1, 1, 0}, Termination::A, {1, 3, 1, 4.0}},
        {"GaAs", {1, 1, 1}, Termination::B, {9, 2, 2, 10.0}},
    };
    for (const auto& row : rows) {
        const SurfaceSpec spec{*findMaterial(row.material), row.hkl, row.term};
        SCOPED_TRACE(surfaceTitle(spec));
        const SlabOptions& o = row.options;
        ASSERT_TRUE(validSlabOptions(o));
        const auto cell = surfaceCell(spec, InPlaneCell::Primitive);
        const PeriodicSlab slab = buildSlab(*cell, o);
        EXPECT_TRUE(slab.a == double(o.repeatA) * cell->a && slab.b == double(o.repeatB) * cell->b);
        EXPECT_TRUE(slab.c.x == 0.0 && slab.c.y == 0.0);
        EXPECT_EQ(slabAtomCount(*cell, o), static_cast<long long>(slab.atoms.size()));

        // Plane n lies at the depth of its plane of the period plus whole periods.
        double lowest = 1e9, highest = -1e9;
        int plane = 0;
        for (const SlabAtom& atom : slab.atoms) {
            ASSERT_GE(atom.plane, plane);
            plane = atom.plane;
            const std::size_t count = cell->planes.size();
            const double depth = cell->planes[std::size_t(plane) % count].depth
                + double(std::size_t(plane) / count) * cell->periodVector.z;
            EXPECT_NEAR(atom.position.z - slab.atoms.front().position.z, depth, 1e-9);
            lowest = std::min(lowest, atom.position.z);
            highest = std::max(highest, atom.position.z);
            const double v = atom.position.y / slab.b.y;
            const double u = (atom.position.x - v * slab.b.x) / slab.a.x;
            EXPECT_TRUE(u > -1e-12 && u < 1.0 && v > -1e-12 && v < 1.0) << u << " " << v;
        }
        EXPECT_EQ(plane, o.layers - 1);
        EXPECT_NEAR(lowest, o.vacuum, 1e-9);
        if (o.vacuum > 0)
            EXPECT_NEAR(highest, slab.c.z - o.vacuum, 1e-9);
        else // the top plane's periodic image stays a plane spacing below the bottom plane
            EXPECT_GT(slab.c.z - highest, 0.1);
    }
}

TEST(Slab, SizeLimit)
{
    const auto cell = surfaceCell({*findMaterial("Cu"), {1, 1, 1}, Termination::None}, InPlaneCell::Primitive);
    ASSERT_TRUE(cell);
    EXPECT_FALSE(validSlabOptions({6, 1, 1, NAN}));
    EXPECT_TRUE(validSlabSize(*cell, {6, 100, 100, 10.0}));
    EXPECT_FALSE(validSlabSize(*cell, {1000, 100, 100, 10.0}));
}

} // namespace
} // namespace crystal
