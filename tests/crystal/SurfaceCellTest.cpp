// The periodic surface cell: properties that hold whatever cell the reduction picks, over many
// planes of all four lattices, and agreement with the drawn slab's top plane.

#include "crystal/Slab.h"
#include "crystal/SurfaceCell.h"
#include "geometry/Slab.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <set>

namespace crystal {
namespace {

const std::vector<Miller> Planes = {{1, 0, 0}, {0, 0, 1}, {1, 1, 0}, {1, 1, 1},   {-1, -1, -1}, {2, 1, 0}, {2, 1, 1},
                                    {3, 1, 1}, {3, 2, 1}, {5, 3, 1}, {-1, 2, -3}, {1, -1, 0},   {0, 1, 2}, {4, 0, -1}};
const std::pair<const char*, Termination> Surfaces[] = {
    {"Cu", Termination::None}, {"Fe", Termination::None}, {"Mg", Termination::A}, {"Zn", Termination::B},
    {"GaAs", Termination::A},  {"GaAs", Termination::B},  {"Si", Termination::A},
};

SurfaceSpec spec(const char* material, Miller hkl, Termination term = Termination::None)
{
    return {*findMaterial(material), hkl, term};
}

double bulkAtomsPerVolume(const Material& m)
{
    const double v = latticeVectors(m)[0].x * latticeVectors(m)[1].y * latticeVectors(m)[2].z; // conventional cell
    const int atoms[] = {2, 4, 2, 8}; // Bcc, Fcc, Hcp, ZincBlende
    return atoms[int(m.lattice)] / v;
}

// Every atom farther than the cut-off from both surfaces has the bulk neighbours, counted
// across the periodic boundaries, the nearest at the material's distance.
void expectBulkInside(const SurfaceSpec& s, InPlaneCell kind)
{
    const auto cell = surfaceCell(s, kind);
    ASSERT_TRUE(cell) << cell.error().message;
    const double cutoff = neighbourCutoff(s.material);
    SlabOptions options{1, 1, 1, 5.0};
    while (buildSlab(*cell, options).c.z - 2.0 * options.vacuum < 2.0 * cutoff + cell->periodHeight() + 0.1)
        ++options.layers;
    options.repeatA = int(std::ceil(cutoff * norm(cell->b) / cell->area()));
    options.repeatB = int(std::ceil(cutoff * norm(cell->a) / cell->area()));
    const PeriodicSlab slab = buildSlab(*cell, options);
    int inner = 0;
    for (const SlabAtom& atom : slab.atoms) {
        if (atom.position.z > slab.c.z - options.vacuum - cutoff || atom.position.z < options.vacuum + cutoff)
            continue;
        ++inner;
        int neighbours = 0;
        double nearest = 1e9;
        for (const SlabAtom& other : slab.atoms)
            for (int i = -1; i <= 1; ++i)
                for (int j = -1; j <= 1; ++j) {
                    const double d = norm(other.position + double(i) * slab.a + double(j) * slab.b - atom.position);
                    neighbours += d > 1e-6 && d < cutoff;
                    nearest = d > 1e-6 ? std::min(nearest, d) : nearest;
                }
        ASSERT_EQ(neighbours, bulkCoordination(s.material.lattice)) << "atom in plane " << atom.plane;
        ASSERT_NEAR(nearest, nearestNeighbourDistance(s.material), 1e-9);
    }
    EXPECT_GT(inner, 0);
}

TEST(SurfaceCell, PropertiesOfManyPlanes)
{
    for (const auto& [material, term] : Surfaces)
        for (const Miller& hkl : Planes) {
            const SurfaceSpec s = spec(material, hkl, term);
            SCOPED_TRACE(surfaceTitle(s));
            const auto cell = surfaceCell(s, InPlaneCell::Primitive);
            ASSERT_TRUE(cell) << cell.error().message;

            // Reduced and right-handed, the angle from 60 to 120 degrees.
            const double la = norm(cell->a), lb = norm(cell->b);
            EXPECT_LE(la, lb * (1 + 1e-12));
            const double gamma = std::acos(dot(cell->a, cell->b) / (la * lb)) * 180.0 / std::numbers::pi;
            EXPECT_TRUE(gamma > 60.0 - 1e-6 && gamma < 120.0 + 1e-6) << gamma;

            // A right-handed frame whose z is the outward normal h b1 + k b2 + l b3; a and b
            // along the lattice directions the cell names.
            const auto& o = cell->orientation;
            EXPECT_NEAR(dot(cross(o[0], o[1]), o[2]), 1.0, 1e-12);
            const auto v = latticeVectors(s.material);
            const AreaVector g = double(hkl[0]) * cross(v[1], v[2]) + double(hkl[1]) * cross(v[2], v[0])
                + double(hkl[2]) * cross(v[0], v[1]);
            EXPECT_NEAR(dot(o[2], g), norm(g), 1e-9 * norm(g));
            for (const auto& [w, uvw] : {std::pair{cell->a, cell->aDirection}, std::pair{cell->b, cell->bDirection}}) {
                const Position d = double(uvw[0]) * v[0] + double(uvw[1]) * v[1] + double(uvw[2]) * v[2];
                // Back to the crystal frame: the transpose of the rows.
                const Position inCrystal{w.x * o[0].x + w.y * o[1].x, w.x * o[0].y + w.y * o[1].y,
                                         w.x * o[0].z + w.y * o[1].z};
                EXPECT_NEAR(norm(cross(d, inCrystal)), 0.0, 1e-9 * norm(d) * norm(w));
                EXPECT_GT(dot(d, inCrystal), 0.0);
            }

            // One stacking period holds the bulk's density; one atom per plane of a Bravais
            // lattice; planes from the top, all above the period's copy of the top plane.
            std::size_t atoms = 0;
            for (std::size_t p = 0; p < cell->planes.size(); ++p) {
                atoms += cell->planes[p].atoms.size();
                EXPECT_LE(cell->planes[p].depth, p == 0 ? 0.0 : cell->planes[p - 1].depth - 1e-9);
                EXPECT_GT(cell->planes[p].depth, cell->periodVector.z);
                const bool bravais = s.material.lattice == LatticeKind::Fcc || s.material.lattice == LatticeKind::Bcc;
                EXPECT_TRUE(!bravais || cell->planes[p].atoms.size() == 1);
            }
            EXPECT_NEAR(atoms / (cell->area() * cell->periodHeight()), bulkAtomsPerVolume(s.material), 1e-9);

            // (2 2 2) is (1 1 1); (-1 -1 -1) is the opposite face.
            const auto twice =
                surfaceCell(spec(material, {2 * hkl[0], 2 * hkl[1], 2 * hkl[2]}, term), InPlaneCell::Primitive);
            ASSERT_TRUE(twice);
            EXPECT_TRUE(twice->a == cell->a && twice->b == cell->b && twice->periodVector == cell->periodVector
                        && twice->planes.size() == cell->planes.size() && twice->topHeight == cell->topHeight);
            const auto opposite =
                surfaceCell(spec(material, {-hkl[0], -hkl[1], -hkl[2]}, term), InPlaneCell::Primitive);
            ASSERT_TRUE(opposite);
            EXPECT_NEAR(dot(opposite->orientation[2], o[2]), -1.0, 1e-12);

            expectBulkInside(s, InPlaneCell::Primitive);
        }
}

TEST(SurfaceCell, OrthogonalCellsAreRectangularSupercells)
{
    int found = 0;
    for (const auto& [material, term] : Surfaces)
        for (const Miller& hkl : Planes) {
            const SurfaceSpec s = spec(material, hkl, term);
            SCOPED_TRACE(surfaceTitle(s));
            const auto primitive = surfaceCell(s, InPlaneCell::Primitive);
            const auto cell = surfaceCell(s, InPlaneCell::Orthogonal);
            if (!cell) {
                EXPECT_NE(cell.error().message.find("no rectangular"), std::string::npos) << cell.error().message;
                continue;
            }
            ++found;
            EXPECT_NEAR(dot(cell->a, cell->b), 0.0, 1e-9 * norm(cell->a) * norm(cell->b));
            EXPECT_GT(cross(cell->a, cell->b).z, 0.0);
            const double ratio = cell->area() / primitive->area();
            EXPECT_NEAR(ratio, std::round(ratio), 1e-9);
            EXPECT_EQ(cell->planes[0].atoms.size(), primitive->planes[0].atoms.size() * std::size_t(std::round(ratio)));
            if (hkl == Miller{3, 1, 1})
                expectBulkInside(s, InPlaneCell::Orthogonal);
        }
    EXPECT_GT(found, 80);
    const auto cu111 = surfaceCell(spec("Cu", {1, 1, 1}), InPlaneCell::Orthogonal);
    EXPECT_NEAR(cu111->area(), 3.6149 * 3.6149 * std::sqrt(3.0) / 2.0, 1e-9); // a/sqrt2 x a sqrt(3/2)
    EXPECT_FALSE(surfaceCell(spec("Zn", {-3, -2, -3}, Termination::A), InPlaneCell::Orthogonal));
}

TEST(SurfaceCell, TopPlaneIsTheDrawnSlabsTopPlane)
{
    static geometry::AtomTable drawn;
    geometry::NoProgress progress;
    const Miller planes[] = {{1, 0, 0}, {0, 0, 1}, {1, 1, 0},  {1, 1, 1},  {-1, -1, -1}, {2, 1, 0},
                             {1, 0, 1}, {3, 1, 1}, {1, -2, 1}, {0, 1, -1}, {2, 1, 3}};
    for (int code = 0; code <= 5; ++code) {
        const auto lc = geometry::LatticeCode(code);
        geometry::LatticeDefinition lattice;
        geometry::selectLattice(lc, lattice);
        // The catalogue's own lattice in lattice units.
        Material catalogue{"X", geometry::latticeKind(lc), {"X", "Y"}, 1.0, 0.0, ""};
        if (catalogue.lattice == LatticeKind::Bcc)
            catalogue.a = 0.816;
        if (catalogue.lattice == LatticeKind::Hcp)
            catalogue.c = std::sqrt(8.0 / 3.0);
        for (const Miller& hkl : planes) {
            const SurfaceSpec s{catalogue, hkl, geometry::termination(lc)};
            SCOPED_TRACE(std::to_string(code) + " " + surfaceTitle(s));
            const auto cell = surfaceCell(s, InPlaneCell::Primitive);
            ASSERT_TRUE(cell) << cell.error().message;
            const geometry::SurfaceFrame frame =
                geometry::orientSurface({int16_t(hkl[0]), int16_t(hkl[1]), int16_t(hkl[2])}, lattice);
            const UnitVector e3{frame.rows[2][0], frame.rows[2][1], frame.rows[2][2]};
            ASSERT_GT(dot(e3, cell->orientation[2]), 0.999);
            geometry::fillSlab(lc, lattice, frame, drawn, progress);
            float top = -1e9f;
            for (int k = 1; k <= drawn.count; ++k)
                top = std::max(top, drawn.frameZ[k] / lattice.displayScale);
            std::set<int> drawnSpecies, cellSpecies;
            for (int k = 1; k <= drawn.count; ++k)
                if (drawn.frameZ[k] / lattice.displayScale > top - 1e-3f)
                    drawnSpecies.insert(drawn.species[k]);
            for (const CellAtom& atom : cell->planes[0].atoms)
                cellSpecies.insert(atom.species);
            EXPECT_NEAR(cell->topHeight * 32.0, top, 2e-3); // the same plane, so the same layer
            EXPECT_EQ(cellSpecies, drawnSpecies);
        }
    }
}

TEST(SurfaceCell, BadSurfaces)
{
    const auto far = surfaceCell(spec("Cu", {1001, 0, 1}), InPlaneCell::Primitive); // the rest: the export tests
    ASSERT_FALSE(far);
    EXPECT_NE(far.error().message.find("1000"), std::string::npos) << far.error().message;
    EXPECT_FALSE(surfaceCell(spec("Cu", {0, 0, 0}), InPlaneCell::Primitive));
    EXPECT_FALSE(surfaceCell(spec("Fe", {1, 1, 0}, Termination::B), InPlaneCell::Primitive));
    EXPECT_EQ(fromFourIndex(1, 1, -2, 3).value_or({}), (Miller{1, 1, 3}));
    EXPECT_FALSE(fromFourIndex(1, 1, 2, 3));
}

TEST(SurfaceCell, TwoDimensionalLattices)
{
    const double r3 = std::sqrt(3.0);
    EXPECT_EQ(classifyLattice2D({1, 0, 0}, {1.5, r3 / 2, 0}), Lattice2D::Hexagonal); // any basis
    EXPECT_EQ(classifyLattice2D({1, 0.3, 0}, {-1, 0.3, 0}), Lattice2D::CentredRectangular);
    const struct {
        const char* material;
        Miller hkl;
        Lattice2D type;
    } rows[] = {
        {"Cu", {1, 1, 1}, Lattice2D::Hexagonal},   {"Cu", {1, 0, 0}, Lattice2D::Square},
        {"Cu", {1, 1, 0}, Lattice2D::Rectangular}, {"Fe", {1, 1, 0}, Lattice2D::CentredRectangular},
        {"Mg", {0, 0, 1}, Lattice2D::Hexagonal},   {"Mg", {1, 0, 0}, Lattice2D::Rectangular},
        {"Cu", {3, 2, 1}, Lattice2D::Oblique},
    };
    for (const auto& row : rows) {
        const bool hcp = findMaterial(row.material)->lattice == LatticeKind::Hcp;
        const auto cell =
            surfaceCell(spec(row.material, row.hkl, hcp ? Termination::A : Termination::None), InPlaneCell::Primitive);
        EXPECT_EQ(classifyLattice2D(cell->a, cell->b), row.type) << row.material << " " << lattice2DName(row.type);
    }
}

TEST(SurfaceCell, HcpNeighbourShellsForAnyAxialRatio)
{
    for (double ratio : {1.45, 1.568, 1.633, 1.856, 2.0}) {
        const auto m = customMaterial(LatticeKind::Hcp, {"Zn"}, 2.5, 2.5 * ratio);
        SCOPED_TRACE(ratio);
        expectBulkInside({*m, {1, 0, 1}, Termination::A}, InPlaneCell::Primitive);
        expectBulkInside({*m, {0, 0, 1}, Termination::B}, InPlaneCell::Primitive);
    }
}

} // namespace
} // namespace crystal
