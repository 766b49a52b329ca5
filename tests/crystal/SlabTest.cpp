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
        Index3 hkl;
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
        std::string error;
        ASSERT_TRUE(validSlabOptions(row.options, error)) << error;
        const auto cell = surfaceCell(spec, InPlaneCell::Primitive, error);
        ASSERT_TRUE(cell) << error;
        const PeriodicSlab slab = buildSlab(*cell, spec.material, row.options);
        const SlabOptions& o = row.options;

        EXPECT_EQ(slab.a, double(o.repeatA) * cell->a);
        EXPECT_EQ(slab.b, double(o.repeatB) * cell->b);
        EXPECT_EQ(slab.c.x, 0.0);
        EXPECT_EQ(slab.c.y, 0.0);
        EXPECT_EQ(slabAtomCount(*cell, o), static_cast<long long>(slab.atoms.size()));
        EXPECT_EQ(slab.elements[0], spec.material.element(0));

        // Planes in order from the top, each at one height, n-th plane n periods-and-planes down.
        double lowest = 1e9;
        double highest = -1e9;
        int plane = 0;
        for (const SlabAtom& atom : slab.atoms) {
            ASSERT_GE(atom.plane, plane);
            plane = atom.plane;
            const std::size_t count = cell->planes.size();
            const double depth = cell->planes[std::size_t(plane) % count].depth +
                                 double(std::size_t(plane) / count) * cell->periodVector.z;
            EXPECT_NEAR(atom.position.z - (slab.atoms.front().position.z), depth, 1e-9);
            lowest = std::min(lowest, atom.position.z);
            highest = std::max(highest, atom.position.z);
            // Inside the cell: fractions of a and b in [0, 1).
            const double v = atom.position.y / slab.b.y;
            const double u = (atom.position.x - v * slab.b.x) / slab.a.x;
            EXPECT_GE(u, -1e-12);
            EXPECT_LT(u, 1.0);
            EXPECT_GE(v, -1e-12);
            EXPECT_LT(v, 1.0);
        }
        EXPECT_EQ(plane, o.layers - 1);
        if (o.vacuum > 0) {
            EXPECT_NEAR(lowest, o.vacuum, 1e-9);
            EXPECT_NEAR(highest, slab.c.z - o.vacuum, 1e-9);
        } else {
            // No vacuum: the periodic image of the top plane sits one plane spacing below the bottom.
            EXPECT_NEAR(lowest, 0.0, 1e-9);
            EXPECT_GT(slab.c.z - highest, 0.1);
        }
    }
}

TEST(Slab, BadOptionsAreNamed)
{
    const struct {
        SlabOptions options;
        const char* words;
    } rows[] = {
        {{0, 1, 1, 10.0}, "--layers"},  {{-3, 1, 1, 10.0}, "--layers"},  {{6, 0, 1, 10.0}, "--size"},
        {{6, 1, 0, 10.0}, "--size"},    {{6, 1, 100000, 10.0}, "--size"}, {{6, 1, 1, -1.0}, "--vacuum"},
        {{6, 1, 1, NAN}, "--vacuum"},   {{6, 1, 1, INFINITY}, "--vacuum"},
    };
    for (const auto& row : rows) {
        std::string error;
        EXPECT_FALSE(validSlabOptions(row.options, error));
        EXPECT_EQ(error.rfind(row.words, 0), 0u) << error;
    }
    std::string error;
    const auto cell = surfaceCell({*findMaterial("Cu"), {1, 1, 1}, Termination::None}, InPlaneCell::Primitive, error);
    ASSERT_TRUE(cell);
    EXPECT_TRUE(validSlabSize(*cell, {6, 100, 100, 10.0}, error));
    EXPECT_FALSE(validSlabSize(*cell, {1000, 100, 100, 10.0}, error));
    EXPECT_NE(error.find("atoms"), std::string::npos);
}

} // namespace
} // namespace crystal
