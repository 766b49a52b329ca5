// Facets and the equilibrium shape: the broken-bond model's exact ratios, multiplicities that
// count every plane once, and Wulff shapes whose answer is known in closed form.

#include "crystal/Compound.h"
#include "crystal/Facets.h"
#include "crystal/Material.h"
#include "crystal/Wulff.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <numeric>

namespace crystal {
namespace {

struct Analysed {
    BulkCrystal bulk;
    CrystalSymmetry symmetry;
};

Analysed analysed(const std::string& name)
{
    const Material* material = findMaterial(name);
    const auto bulk = material ? bulkOf(*material) : bulkOf(*findCompound(name));
    EXPECT_TRUE(bulk) << name;
    auto symmetry = analyseSymmetry(*bulk);
    EXPECT_TRUE(symmetry) << name;
    return {*bulk, *symmetry};
}

const Facet* find(const std::vector<Facet>& facets, Miller hkl)
{
    for (const Facet& f : facets)
        if (f.hkl == hkl)
            return &f;
    return nullptr;
}

TEST(Facets, MultiplicitiesCountEveryPlaneOnce)
{
    const struct {
        const char* crystal;
        int maxIndex;
        std::vector<std::pair<Miller, int>> families; // representative and multiplicity
    } rows[] = {
        {"Cu", 3, {{Miller{{1, 1, 1}}, 8}, {Miller{{1, 0, 0}}, 6}, {Miller{{1, 1, 0}}, 12}, {Miller{{3, 2, 1}}, 48}}},
        // Hexagonal axes: the box also bounds i = -(h + k).
        {"Mg", 2, {{Miller{{0, 0, 1}}, 2}, {Miller{{1, 0, 0}}, 6}, {Miller{{1, 1, 0}}, 6}, {Miller{{1, 0, 1}}, 12}}},
        // No centre of symmetry: the Zn and O faces of the polar axis are two facets.
        {"ZnO", 1, {{Miller{{0, 0, 1}}, 1}, {Miller{{0, 0, -1}}, 1}, {Miller{{1, 0, 0}}, 6}}},
        {"GaAs", 1, {{Miller{{1, 1, 1}}, 4}, {Miller{{1, 1, -1}}, 4}, {Miller{{1, 0, 0}}, 6}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.crystal);
        const Analysed a = analysed(row.crystal);
        const auto facets = distinctFacets(a.bulk, a.symmetry, row.maxIndex);
        ASSERT_TRUE(facets) << facets.error().message;
        const bool hexagonal = hasHexagonalAxes(a.bulk.cell);
        long planes = 0;
        const int64_t n = row.maxIndex;
        for (int64_t h = -n; h <= n; ++h)
            for (int64_t k = -n; k <= n; ++k)
                for (int64_t l = -n; l <= n; ++l)
                    if (std::gcd(std::gcd(h, k), l) == 1 && (!hexagonal || std::abs(h + k) <= n))
                        ++planes;
        long total = 0;
        for (const Facet& f : *facets)
            total += f.multiplicity;
        EXPECT_EQ(total, planes);
        for (const auto& [hkl, multiplicity] : row.families) {
            const Facet* f = find(*facets, hkl);
            ASSERT_NE(f, nullptr) << hkl[0] << hkl[1] << hkl[2];
            EXPECT_EQ(f->multiplicity, multiplicity) << hkl[0] << hkl[1] << hkl[2];
        }
    }
}

TEST(Facets, BrokenBondEnergiesOfTheNearestNeighbourModel)
{
    // FCC: 3, 4 and 6 bonds broken per surface atom of (1 1 1), (1 0 0) and (1 1 0); BCC (1 1 0)
    // 2 of its 8 and (1 0 0) 4; the ratios follow from those and the areas per atom.
    const Analysed cu = analysed("Cu");
    const auto fcc = distinctFacets(cu.bulk, cu.symmetry, 1);
    ASSERT_TRUE(fcc);
    const double g111 = find(*fcc, Miller{{1, 1, 1}})->terminations[0].energy;
    EXPECT_NEAR(find(*fcc, Miller{{1, 0, 0}})->terminations[0].energy / g111, 2.0 / std::sqrt(3.0), 1e-12);
    EXPECT_NEAR(find(*fcc, Miller{{1, 1, 0}})->terminations[0].energy / g111, std::sqrt(6.0) / 2.0, 1e-12);
    const double a = 3.6149;
    EXPECT_NEAR(g111, 0.5 * 3.0 / (std::sqrt(3.0) * a * a / 4.0), 1e-9);

    const Analysed fe = analysed("Fe");
    const auto bcc = distinctFacets(fe.bulk, fe.symmetry, 1);
    ASSERT_TRUE(bcc);
    const double g110 = find(*bcc, Miller{{1, 1, 0}})->terminations[0].energy;
    EXPECT_NEAR(find(*bcc, Miller{{1, 0, 0}})->terminations[0].energy / g110, std::sqrt(2.0), 1e-12);

    // Rock salt (1 1 1): a cut breaks the three Mg-O bonds of each surface ion, whichever ion is
    // on top; (1 0 0) one bond per ion, two ions per cell.
    const Analysed mgo = analysed("MgO");
    const auto rock = distinctFacets(mgo.bulk, mgo.symmetry, 1);
    ASSERT_TRUE(rock);
    // The lowest termination is the one of least energy, whichever index it has.
    const Analysed rutile = analysed("TiO2");
    const auto tio2 = distinctFacets(rutile.bulk, rutile.symmetry, 1);
    ASSERT_TRUE(tio2);
    for (const Facet& f : *tio2)
        for (const FacetTermination& t : f.terminations)
            EXPECT_LE(f.terminations[std::size_t(f.lowest - 1)].energy, t.energy) << f.hkl[0] << f.hkl[1] << f.hkl[2];

    const double edge = norm(mgo.bulk.cell[0]);
    for (const FacetTermination& t : find(*rock, Miller{{1, 1, 1}})->terminations)
        EXPECT_NEAR(t.brokenBondsPerArea * std::sqrt(3.0) * edge * edge / 4.0, 3.0, 1e-9);
    EXPECT_NEAR(find(*rock, Miller{{1, 0, 0}})->terminations[0].brokenBondsPerArea * edge * edge / 2.0, 2.0, 1e-9);
}

TEST(Wulff, ShapesKnownInClosedForm)
{
    const std::array<Position, 3> cube = {Position{1, 0, 0}, Position{0, 1, 0}, Position{0, 0, 1}};
    const std::vector<Miller> hundreds = {Miller{{1, 0, 0}},  Miller{{-1, 0, 0}}, Miller{{0, 1, 0}},
                                          Miller{{0, -1, 0}}, Miller{{0, 0, 1}},  Miller{{0, 0, -1}}};
    std::vector<Miller> elevens;
    for (int64_t x : {1, -1})
        for (int64_t y : {1, -1})
            for (int64_t z : {1, -1})
                elevens.push_back(Miller{{x, y, z}});

    // Equal energies of {1 0 0}: a cube of edge 2.
    auto shape = wulffShape(cube, {{Miller{{1, 0, 0}}, hundreds, 1.0}});
    ASSERT_TRUE(shape) << shape.error().message;
    EXPECT_NEAR(shape->volume, 8.0, 1e-9);
    EXPECT_NEAR(shape->area, 24.0, 1e-9);
    EXPECT_EQ(shape->faces.size(), 6u);

    // {1 1 1} at 1 and {1 0 0} at e: the octahedron alone once e reaches sqrt(3); below, a
    // truncated one whose fractions add to 1 and whose weighted energy lies between.
    for (const double e : {1.0, 1.1547, 1.5, std::sqrt(3.0), 2.0}) {
        SCOPED_TRACE(e);
        shape = wulffShape(cube, {{Miller{{1, 1, 1}}, elevens, 1.0}, {Miller{{1, 0, 0}}, hundreds, e}});
        ASSERT_TRUE(shape) << shape.error().message;
        EXPECT_NEAR(shape->areaFractions[0] + shape->areaFractions[1], 1.0, 1e-12);
        EXPECT_EQ(shape->areaFractions[1] > 1e-9, e < std::sqrt(3.0) - 1e-9);
        EXPECT_GE(shape->weightedEnergy, 1.0 - 1e-12);
        EXPECT_LE(shape->weightedEnergy, e + 1e-12);
        // The area and volume of any Wulff shape satisfy V = (1/3) sum of energy x area.
        EXPECT_NEAR(shape->volume, shape->weightedEnergy * shape->area / 3.0, 1e-9);
    }
    // The octahedron of inradius 1: volume 4 sqrt(3).
    EXPECT_NEAR(shape->volume, 4.0 * std::sqrt(3.0), 1e-9);

    // Planes facing only up: no finite shape; an energy of 0: refused.
    EXPECT_FALSE(wulffShape(cube, {{Miller{{0, 0, 1}}, {Miller{{0, 0, 1}}}, 1.0}}));
    EXPECT_FALSE(wulffShape(cube, {{Miller{{1, 0, 0}}, hundreds, 0.0}}));
}

TEST(Wulff, EnergiesFilesReadOrRefusedWithTheirLine)
{
    // Four indices, a unit line, comments, (2 2 2) as (1 1 1): kept in J/m^2.
    const auto read =
        readSurfaceEnergies("# Mg\nunit eV/Angstrom^2\n0 0 0 1 0.05\n\n1 0 -1 0 0.06 # prism\n2 2 2 0.1\n", "e.txt");
    ASSERT_TRUE(read) << read.error().message;
    ASSERT_EQ(read->size(), 3u);
    EXPECT_EQ((*read)[0].hkl, (Miller{{0, 0, 1}}));
    EXPECT_NEAR((*read)[0].energy, 0.05 * 16.02176634, 1e-12);
    EXPECT_EQ((*read)[1].hkl, (Miller{{1, 0, 0}}));
    EXPECT_EQ((*read)[2].hkl, (Miller{{1, 1, 1}}));
    EXPECT_EQ((*read)[2].line, 6);

    const struct {
        const char* text;
        const char* message;
    } bad[] = {
        {"1 1 1\n", "e.txt:1: expected h k l energy (or h k i l energy), found 3 words"},
        {"1 1 1 1.2\n1 x 0 1\n", "e.txt:2: index 'x' is not a whole number from -100 to 100"},
        {"1 0 0 -1 1\n", "e.txt:1: in (h k i l), i must be -(h + k)"},
        {"0 0 0 1\n", "e.txt:1: indices (0 0 0) name no plane"},
        {"1 1 1 0\n", "e.txt:1: energy '0' is not a number above 0"},
        {"1 1 1 nan\n", "e.txt:1: energy 'nan' is not a number above 0"},
        {"1 1 1 1\n2 2 2 2\n", "e.txt:2: the plane is given twice (line 1)"},
        {"1 1 1 1\nunit J/m^2\n", "e.txt:2: the unit must come before the energies"},
        {"unit kcal\n", "e.txt:1: the unit must be J/m^2 or eV/Angstrom^2"},
        {"# nothing\n", "e.txt: no plane with an energy"},
    };
    for (const auto& row : bad) {
        const auto refused = readSurfaceEnergies(row.text, "e.txt");
        ASSERT_FALSE(refused) << row.text;
        EXPECT_EQ(refused.error().message, row.message);
    }
}

} // namespace
} // namespace crystal
