#include "crystal/Coordination.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

namespace {

using namespace crystal;

SurfaceCell cellOf(const char* material, Index3 hkl, InPlaneCell kind = InPlaneCell::Primitive,
                   Termination term = Termination::None)
{
    const Material& m = *findMaterial(material);
    if (term == Termination::None && (m.lattice == LatticeKind::Hcp || m.lattice == LatticeKind::ZincBlende))
        term = Termination::A;
    std::string error;
    const auto cell = surfaceCell({m, hkl, term}, kind, error);
    EXPECT_TRUE(cell.has_value()) << error;
    return cell.value_or(SurfaceCell{});
}

TEST(Coordination, TopPlanesOfLowIndexSurfaces)
{
    struct Row {
        const char* material;
        Index3 hkl;
        std::vector<int> top3;  // every atom of the plane alike
    };
    const Row rows[] = {
        {"Cu", {1, 1, 1}, {9, 12, 12}}, {"Cu", {1, 0, 0}, {8, 12, 12}}, {"Cu", {1, 1, 0}, {7, 11, 12}},
        {"Fe", {1, 1, 0}, {6, 8, 8}},   {"Fe", {1, 0, 0}, {4, 8, 8}},   {"Mg", {0, 0, 1}, {9, 12, 12}},
        {"GaAs", {1, 0, 0}, {2, 4, 4}}, {"GaAs", {1, 1, 0}, {3, 4, 4}},
        // Step edge 7, terrace 9: (100) and (111) steps on (111) terraces.
        {"Cu", {7, 5, 5}, {7, 9, 9}},   {"Cu", {9, 9, 7}, {7, 9, 9}},
    };
    for (const Row& row : rows) {
        const SurfaceCell cell = cellOf(row.material, row.hkl);
        for (int p = 0; p < 3; ++p)
            for (int cn : planeCoordination(cell, *findMaterial(row.material), p))
                EXPECT_EQ(cn, row.top3[std::size_t(p)]) << row.material << " plane " << p;
    }
}

// Over many planes: atoms deeper than the cut-off have all their bulk neighbours, and for FCC
// and BCC the neighbours missing from the planes above add up to the bonds the surface cuts,
// rho A sum(delta . n) over the neighbour vectors delta pointing out of the crystal.
TEST(Coordination, BulkBelowAndCutBondsAddUp)
{
    const std::pair<const char*, Index3> surfaces[] = {
        {"Cu", {1, 1, 1}}, {"Cu", {7, 5, 5}}, {"Cu", {10, 8, 7}}, {"Cu", {3, 2, 1}},  {"Cu", {-1, 2, 5}},
        {"Fe", {1, 1, 0}}, {"Fe", {1, 1, 1}}, {"Fe", {3, 1, 0}},  {"Fe", {3, 2, 1}},  {"Mg", {1, 0, 0}},
        {"Mg", {1, 0, 1}}, {"Mg", {1, 1, 0}}, {"Mg", {1, 0, 2}},  {"GaAs", {1, 1, 1}}, {"GaAs", {2, 1, 1}},
    };
    for (const auto& [name, hkl] : surfaces) {
        const Material& m = *findMaterial(name);
        const SurfaceCell cell = cellOf(name, hkl);
        const double cutoff = neighbourCutoff(m);
        const int bulk = bulkCoordination(m.lattice);
        int missing = 0;
        for (int p = 0;; ++p) {
            const double depth = planeAtomPosition(cell, p, 0).z;
            const std::vector<int> cns = planeCoordination(cell, m, p);
            for (int cn : cns) {
                if (depth < -cutoff - 1e-9) {
                    EXPECT_EQ(cn, bulk) << name << " plane " << p;
                }
                missing += bulk - cn;
            }
            if (depth < -cutoff - 1e-9)
                break;
        }
        if (m.lattice != LatticeKind::Fcc && m.lattice != LatticeKind::Bcc)
            continue;
        std::vector<Vec3> neighbours;
        for (int x = -1; x <= 1; ++x)
            for (int y = -1; y <= 1; ++y)
                for (int z = -1; z <= 1; ++z)
                    if ((m.lattice == LatticeKind::Fcc && std::abs(x) + std::abs(y) + std::abs(z) == 2) ||
                        (m.lattice == LatticeKind::Bcc && x && y && z))
                        neighbours.push_back(Vec3{double(x), double(y), double(z)});
        const Vec3 n{double(hkl[0]), double(hkl[1]), double(hkl[2])};
        double outward = 0.0;
        for (const Vec3& d : neighbours)
            outward += std::max(0.0, dot(d, n)) * m.a / 2.0 / norm(n);
        const double rho = (m.lattice == LatticeKind::Fcc ? 4.0 : 2.0) / (m.a * m.a * m.a);
        EXPECT_NEAR(missing, rho * cell.area() * outward, 1e-6) << name;
    }
}

// The slab counted as the top of the crystal: each plane of the slab has, per cell it holds,
// the coordination numbers of that plane of the cell, whatever cell and repeat it was built on.
TEST(Coordination, SlabAtomsAsTheirPlanes)
{
    struct Row {
        const char* material;
        Index3 hkl;
        InPlaneCell kind;
    };
    const Row rows[] = {{"Cu", {7, 5, 5}, InPlaneCell::Primitive},
                        {"Cu", {1, 1, 1}, InPlaneCell::Orthogonal},
                        {"Mg", {1, 1, 0}, InPlaneCell::Primitive},
                        {"GaAs", {1, 1, 1}, InPlaneCell::Primitive}};
    for (const Row& row : rows) {
        const Material& m = *findMaterial(row.material);
        const SurfaceCell cell = cellOf(row.material, row.hkl, row.kind);
        SlabOptions options;
        options.layers = 7;
        options.repeatA = 2;
        options.repeatB = 3;
        const PeriodicSlab slab = buildSlab(cell, m, options);
        const std::vector<int> cns = slabCoordination(slab, cell, m);
        ASSERT_EQ(cns.size(), slab.atoms.size());
        std::map<std::pair<int, int>, int> seen;
        for (std::size_t i = 0; i < cns.size(); ++i)
            ++seen[{slab.atoms[i].plane, cns[i]}];
        std::map<std::pair<int, int>, int> expected;
        for (int p = 0; p < options.layers; ++p)
            for (int cn : planeCoordination(cell, m, p))
                expected[{p, cn}] += 6;
        EXPECT_EQ(seen, expected) << row.material;
    }
}

} // namespace
