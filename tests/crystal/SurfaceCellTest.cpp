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

const std::vector<Index3> Planes = {
    {1, 0, 0}, {0, 0, 1}, {1, 1, 0}, {1, 1, 1}, {-1, -1, -1}, {2, 1, 0}, {2, 1, 1},
    {3, 1, 1}, {3, 2, 1}, {5, 3, 1}, {-1, 2, -3}, {1, -1, 0}, {0, 1, 2}, {4, 0, -1},
};

struct Surface {
    const char* material;
    Termination term;
};
const Surface Materials[] = {
    {"Cu", Termination::None}, {"Fe", Termination::None}, {"Mg", Termination::A}, {"Zn", Termination::B},
    {"GaAs", Termination::A}, {"GaAs", Termination::B}, {"Si", Termination::A},
};

SurfaceSpec spec(const char* material, Index3 hkl, Termination term)
{
    return {*findMaterial(material), hkl, term};
}

// Atoms per Angstrom^3 of the bulk.
double bulkDensity(const Material& m)
{
    switch (m.lattice) {
    case LatticeKind::Fcc: return 4.0 / (m.a * m.a * m.a);
    case LatticeKind::Bcc: return 2.0 / (m.a * m.a * m.a);
    case LatticeKind::ZincBlende: return 8.0 / (m.a * m.a * m.a);
    case LatticeKind::Hcp: return 2.0 / (m.a * m.a * m.c * std::sqrt(3.0) / 2.0);
    }
    return 0.0;
}

Vec3 inCrystal(const SurfaceCell& cell, Vec3 v)
{
    const auto& o = cell.orientation;
    return v.x * o[0] + v.y * o[1] + v.z * o[2];
}

Vec3 direction(const Material& m, const Index3& uvw)
{
    const auto a = latticeVectors(m);
    return double(uvw[0]) * a[0] + double(uvw[1]) * a[1] + double(uvw[2]) * a[2];
}

// Every atom far enough from both surfaces has the bulk neighbours, counted across the
// periodic boundaries, and the nearest of them at the material's distance.
void expectBulkInside(const SurfaceSpec& s, InPlaneCell kind)
{
    std::string error;
    const auto cell = surfaceCell(s, kind, error);
    ASSERT_TRUE(cell) << error;
    const double cutoff = neighbourCutoff(s.material);
    SlabOptions options;
    options.vacuum = 5.0;
    options.layers = 1;
    const std::size_t period = cell->planes.size();
    // Thick enough that a whole period lies deeper than the cut-off from both surfaces.
    auto depth = [&](int n) { return cell->planes[std::size_t(n) % period].depth + double(std::size_t(n) / period) * cell->periodVector.z; };
    while (-depth(options.layers - 1) < 2.0 * cutoff + cell->periodHeight() + 0.1)
        ++options.layers;
    options.repeatA = int(std::ceil(cutoff * norm(cell->b) / cell->area()));
    options.repeatB = int(std::ceil(cutoff * norm(cell->a) / cell->area()));
    const PeriodicSlab slab = buildSlab(*cell, s.material, options);
    const double top = slab.c.z - options.vacuum;
    int inner = 0;
    for (const SlabAtom& atom : slab.atoms) {
        if (atom.position.z > top - cutoff || atom.position.z < options.vacuum + cutoff)
            continue;
        ++inner;
        int neighbours = 0;
        double nearest = 1e9;
        for (const SlabAtom& other : slab.atoms)
            for (int i = -1; i <= 1; ++i)
                for (int j = -1; j <= 1; ++j) {
                    const double d = norm(other.position + double(i) * slab.a + double(j) * slab.b - atom.position);
                    if (d < 1e-6)
                        continue;
                    neighbours += d < cutoff;
                    nearest = std::min(nearest, d);
                }
        ASSERT_EQ(neighbours, bulkCoordination(s.material.lattice)) << "atom in plane " << atom.plane;
        ASSERT_NEAR(nearest, nearestNeighbourDistance(s.material), 1e-9);
    }
    EXPECT_GT(inner, 0);
}

TEST(SurfaceCell, PropertiesOfManyPlanes)
{
    for (const Surface& m : Materials)
        for (const Index3& hkl : Planes) {
            const SurfaceSpec s = spec(m.material, hkl, m.term);
            SCOPED_TRACE(surfaceTitle(s));
            std::string error;
            const auto cell = surfaceCell(s, InPlaneCell::Primitive, error);
            ASSERT_TRUE(cell) << error;

            // Reduced, right-handed, with the angle between 60 and 120 degrees.
            const double la = norm(cell->a);
            const double lb = norm(cell->b);
            EXPECT_LE(la, lb * (1 + 1e-12));
            EXPECT_GT(cross(cell->a, cell->b).z, 0.0);
            const double gamma = std::acos(dot(cell->a, cell->b) / (la * lb)) * 180.0 / std::numbers::pi;
            EXPECT_GE(gamma, 60.0 - 1e-6);
            EXPECT_LE(gamma, 120.0 + 1e-6);
            EXPECT_NEAR(cell->area(), cross(cell->a, cell->b).z, 1e-9);

            // The frame is orthonormal and right-handed; z is the outward normal of (h k l).
            const auto& o = cell->orientation;
            EXPECT_NEAR(dot(cross(o[0], o[1]), o[2]), 1.0, 1e-12);
            const auto a = latticeVectors(s.material);
            const double volume = dot(a[0], cross(a[1], a[2]));
            const Vec3 g = (double(hkl[0]) / volume) * cross(a[1], a[2]) + (double(hkl[1]) / volume) * cross(a[2], a[0]) +
                           (double(hkl[2]) / volume) * cross(a[0], a[1]);
            EXPECT_NEAR(dot(o[2], g), norm(g), 1e-9 * norm(g));

            // The cell vectors are the lattice directions it names.
            for (const auto& [v, uvw] : {std::pair{cell->a, cell->aDirection}, std::pair{cell->b, cell->bDirection}}) {
                const Vec3 d = direction(s.material, uvw);
                EXPECT_NEAR(norm(cross(d, inCrystal(*cell, v))), 0.0, 1e-9 * norm(d) * norm(v));
                EXPECT_GT(dot(d, inCrystal(*cell, v)), 0.0);
            }

            // One stacking period holds the bulk's atoms; Bravais lattices one atom per plane;
            // planes from the top, above the period's copy of the top plane.
            std::size_t atoms = 0;
            for (std::size_t p = 0; p < cell->planes.size(); ++p) {
                atoms += cell->planes[p].atoms.size();
                EXPECT_LE(cell->planes[p].depth, p == 0 ? 0.0 : cell->planes[p - 1].depth - 1e-9);
                EXPECT_GT(cell->planes[p].depth, cell->periodVector.z);
                if (s.material.lattice == LatticeKind::Fcc || s.material.lattice == LatticeKind::Bcc) {
                    EXPECT_EQ(cell->planes[p].atoms.size(), 1u);
                }
            }
            EXPECT_EQ(cell->planes[0].depth, 0.0);
            EXPECT_NEAR(double(atoms) / (cell->area() * cell->periodHeight()), bulkDensity(s.material),
                        1e-9 * bulkDensity(s.material));

            // Indices with a common factor name the same plane.
            const auto doubled = surfaceCell(spec(m.material, {2 * hkl[0], 2 * hkl[1], 2 * hkl[2]}, m.term),
                                             InPlaneCell::Primitive, error);
            ASSERT_TRUE(doubled);
            EXPECT_EQ(doubled->reduced, cell->reduced);
            EXPECT_EQ(doubled->a, cell->a);
            EXPECT_EQ(doubled->b, cell->b);
            EXPECT_EQ(doubled->periodVector, cell->periodVector);
            EXPECT_EQ(doubled->planes.size(), cell->planes.size());

            // The opposite face looks the other way.
            const auto opposite =
                surfaceCell(spec(m.material, {-hkl[0], -hkl[1], -hkl[2]}, m.term), InPlaneCell::Primitive, error);
            ASSERT_TRUE(opposite);
            EXPECT_NEAR(dot(opposite->orientation[2], o[2]), -1.0, 1e-12);

            expectBulkInside(s, InPlaneCell::Primitive);
        }
}

TEST(SurfaceCell, OrthogonalCellsAreRectangularSupercells)
{
    int found = 0;
    for (const Surface& m : Materials)
        for (const Index3& hkl : Planes) {
            const SurfaceSpec s = spec(m.material, hkl, m.term);
            SCOPED_TRACE(surfaceTitle(s));
            std::string error;
            const auto primitive = surfaceCell(s, InPlaneCell::Primitive, error);
            const auto cell = surfaceCell(s, InPlaneCell::Orthogonal, error);
            if (!cell) {
                EXPECT_NE(error.find("no rectangular"), std::string::npos) << error;
                continue;
            }
            ++found;
            EXPECT_TRUE(cell->orthogonal);
            EXPECT_NEAR(dot(cell->a, cell->b), 0.0, 1e-9 * norm(cell->a) * norm(cell->b));
            EXPECT_GT(cross(cell->a, cell->b).z, 0.0);
            const double ratio = cell->area() / primitive->area();
            EXPECT_NEAR(ratio, std::round(ratio), 1e-9);
            for (const AtomicPlane& plane : cell->planes)
                EXPECT_EQ(plane.atoms.size() % std::size_t(std::round(ratio)), 0u);
            if (hkl == Index3{1, 1, 1} || hkl == Index3{3, 1, 1})
                expectBulkInside(s, InPlaneCell::Orthogonal);
        }
    EXPECT_GT(found, 50);

    std::string error;
    const auto cu111 = surfaceCell(spec("Cu", {1, 1, 1}, Termination::None), InPlaneCell::Orthogonal, error);
    ASSERT_TRUE(cu111);
    EXPECT_NEAR(cu111->area(), 3.6149 * 3.6149 * std::sqrt(3.0) / 2.0, 1e-9);  // 2 atoms, a x a sqrt3
    EXPECT_EQ(cu111->planes[0].atoms.size(), 2u);
}

TEST(SurfaceCell, TopPlaneIsTheDrawnSlabsTopPlane)
{
    static geometry::AtomTable drawn;
    geometry::NoProgress progress;
    const std::vector<Index3> planes = {{1, 0, 0}, {0, 0, 1}, {1, 1, 0}, {1, 1, 1}, {-1, -1, -1}, {2, 1, 0},
                                        {1, 0, 1}, {3, 1, 1}, {1, -2, 1}, {0, 1, -1}, {2, 1, 3}};
    int compared = 0;
    for (int code = 0; code <= 5; ++code) {
        const auto lc = geometry::LatticeCode(code);
        geometry::LatticeDefinition lattice;
        geometry::selectLattice(lc, lattice);
        Material catalogue;
        catalogue.lattice = geometry::latticeKind(lc);
        catalogue.elements = {"X", "Y"};
        catalogue.a = catalogue.lattice == LatticeKind::Bcc ? 0.816 : 1.0;
        catalogue.c = catalogue.lattice == LatticeKind::Hcp ? std::sqrt(8.0 / 3.0) : 0.0;
        for (const Index3& hkl : planes) {
            const SurfaceSpec s{catalogue, hkl, geometry::termination(lc)};
            SCOPED_TRACE(std::to_string(code) + " " + surfaceTitle(s));
            std::string error;
            const auto cell = surfaceCell(s, InPlaneCell::Primitive, error);
            ASSERT_TRUE(cell) << error;
            const geometry::MillerIndices m{int16_t(hkl[0]), int16_t(hkl[1]), int16_t(hkl[2])};
            const geometry::SurfaceFrame frame = geometry::orientSurface(m, lattice);
            const auto& e3 = frame.rows[2];
            ASSERT_GT(e3[0] * cell->orientation[2].x + e3[1] * cell->orientation[2].y + e3[2] * cell->orientation[2].z,
                      0.999);
            geometry::fillSlab(lc, lattice, frame, drawn, progress);
            ASSERT_GT(drawn.count, 0);
            float top = -1e9f;
            for (int k = 1; k <= drawn.count; ++k)
                top = std::max(top, drawn.frameZ[k] / lattice.displayScale);
            std::set<int> drawnSpecies, cellSpecies;
            for (int k = 1; k <= drawn.count; ++k)
                if (drawn.frameZ[k] / lattice.displayScale > top - 1e-3f)
                    drawnSpecies.insert(drawn.species[k]);
            for (const CellAtom& atom : cell->planes[0].atoms)
                cellSpecies.insert(atom.species);
            EXPECT_NEAR(cell->topHeight * 32.0, top, 2e-3);
            EXPECT_EQ(cellSpecies, drawnSpecies);
            ++compared;
        }
    }
    EXPECT_EQ(compared, 66);
}

TEST(SurfaceCell, BadSurfacesAreRefused)
{
    const struct {
        SurfaceSpec spec;
        const char* words;
    } rows[] = {
        {spec("Cu", {0, 0, 0}, Termination::None), "(0 0 0)"},
        {spec("Cu", {1001, 0, 1}, Termination::None), "1000"},
        {spec("Cu", {1, 1, 1}, Termination::A), "termination"},
        {spec("Fe", {1, 1, 0}, Termination::B), "termination"},
    };
    for (const auto& row : rows) {
        std::string error;
        EXPECT_FALSE(surfaceCell(row.spec, InPlaneCell::Primitive, error));
        EXPECT_NE(error.find(row.words), std::string::npos) << error;
    }
    std::string error;
    EXPECT_EQ(fromFourIndex(1, 0, -1, 0, error), (Index3{1, 0, 0}));
    EXPECT_EQ(fromFourIndex(1, 1, -2, 3, error), (Index3{1, 1, 3}));
    EXPECT_FALSE(fromFourIndex(1, 0, 0, 0, error));
    EXPECT_NE(error.find("-1"), std::string::npos) << error;
}

TEST(SurfaceCell, TitlesAndLatticeTypes)
{
    EXPECT_EQ(surfaceTitle(spec("Cu", {1, 1, 1}, Termination::None)), "Cu (1 1 1)");
    EXPECT_EQ(surfaceTitle(spec("Mg", {1, 0, 0}, Termination::B)), "Mg (1 0 -1 0) termination B");
    EXPECT_EQ(surfaceTitle(spec("GaAs", {1, 1, 1}, Termination::A)), "GaAs (1 1 1) termination A");

    const double r3 = std::sqrt(3.0);
    const struct {
        Vec3 a, b;
        Lattice2D type;
    } vectors[] = {
        {{1, 0, 0}, {-0.5, r3 / 2, 0}, Lattice2D::Hexagonal},
        {{1, 0, 0}, {1.5, r3 / 2, 0}, Lattice2D::Hexagonal},  // not reduced
        {{2, 0, 0}, {0, 2, 0}, Lattice2D::Square},
        {{1, 0, 0}, {0, 2, 0}, Lattice2D::Rectangular},
        {{1, 0, 0}, {0.5, 2, 0}, Lattice2D::CentredRectangular},
        {{1, 0.3, 0}, {-1, 0.3, 0}, Lattice2D::CentredRectangular},
        {{1, 0, 0}, {0.3, 1.7, 0}, Lattice2D::Oblique},
    };
    for (const auto& row : vectors)
        EXPECT_EQ(classifyLattice2D(row.a, row.b), row.type) << lattice2DName(row.type);

    const struct {
        const char* material;
        Index3 hkl;
        Lattice2D type;
    } planes[] = {
        {"Cu", {1, 1, 1}, Lattice2D::Hexagonal}, {"Cu", {1, 0, 0}, Lattice2D::Square},
        {"Cu", {1, 1, 0}, Lattice2D::Rectangular}, {"Fe", {1, 1, 0}, Lattice2D::CentredRectangular},
        {"Fe", {1, 0, 0}, Lattice2D::Square}, {"Mg", {0, 0, 1}, Lattice2D::Hexagonal},
        {"Mg", {1, 0, 0}, Lattice2D::Rectangular}, {"Cu", {3, 2, 1}, Lattice2D::Oblique},
    };
    for (const auto& row : planes) {
        std::string error;
        const bool hcp = findMaterial(row.material)->lattice == LatticeKind::Hcp;
        const auto cell =
            surfaceCell(spec(row.material, row.hkl, hcp ? Termination::A : Termination::None), InPlaneCell::Primitive, error);
        ASSERT_TRUE(cell) << error;
        EXPECT_EQ(classifyLattice2D(cell->a, cell->b), row.type) << row.material << " " << lattice2DName(row.type);
    }
    EXPECT_STREQ(lattice2DName(Lattice2D::CentredRectangular), "centred rectangular");
}

TEST(SurfaceCell, HcpNeighbourShellsForAnyAxialRatio)
{
    // 6 neighbours in the basal plane and 6 in the planes above and below, whatever c/a.
    for (double ratio : {1.45, 1.568, 1.633, 1.75, 1.856, 2.0}) {
        std::string error;
        const auto m = customMaterial(LatticeKind::Hcp, {"Zn"}, 2.5, 2.5 * ratio, error);
        ASSERT_TRUE(m);
        SCOPED_TRACE(ratio);
        expectBulkInside({*m, {1, 0, 1}, Termination::A}, InPlaneCell::Primitive);
        expectBulkInside({*m, {0, 0, 1}, Termination::B}, InPlaneCell::Primitive);
    }
}

} // namespace
} // namespace crystal
