// Adsorption sites against the literature's sites of the low-index surfaces, and properties every
// site must have.

#include "crystal/Sites.h"
#include "crystal/Bulk.h"
#include "crystal/Compound.h"
#include "crystal/Polarity.h"
#include "crystal/Prototype.h"
#include "crystal/Slab.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace crystal;

namespace {

SurfaceSpec specOf(const char* material, Miller hkl)
{
    const Material& m = *findMaterial(material);
    const bool terminated = m.lattice == LatticeKind::Hcp || m.lattice == LatticeKind::ZincBlende;
    return {m, hkl, terminated ? Termination::A : Termination::None};
}

std::vector<Site> sitesOf(const SurfaceSpec& spec, InPlaneCell kind = InPlaneCell::Primitive)
{
    auto cell = surfaceCell(spec, kind);
    EXPECT_TRUE(cell) << surfaceTitle(spec);
    auto sites = findSites(spec, *cell);
    EXPECT_TRUE(sites) << surfaceTitle(spec);
    return *sites;
}

std::string summary(const std::vector<Site>& sites)
{
    std::string s;
    for (const Site& site : sites)
        s += (s.empty() ? "" : ", ") + site.label + " x" + std::to_string(site.multiplicity);
    return s;
}

} // namespace

// The labels and multiplicities per primitive cell of the sites the literature names.
TEST(Sites, LiteratureSites)
{
    const struct Row {
        const char* material;
        Miller hkl;
        const char* expected;
    } rows[] = {
        {"Pt", {1, 1, 1}, "top x1, bridge x3, fcc x1, hcp x1"},
        {"Ru", {0, 0, 1}, "top x1, bridge x3, fcc x1, hcp x1"},
        {"Cu", {1, 0, 0}, "top x1, bridge x2, 4-fold hollow x1"},
        {"Fe", {1, 0, 0}, "top x1, bridge x2, 4-fold hollow x1"},
        {"Cu", {1, 1, 0}, "top x1, short bridge x1, long bridge x1, 4-fold hollow x1"},
        {"Fe", {1, 1, 0}, "top x1, short bridge x2, long bridge x1, 3-fold hollow x2"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(summary(sitesOf(specOf(row.material, row.hkl))), row.expected) << row.material;
}

// Every site binds its atoms at one distance (checked against the atoms themselves), the fcc
// hollow has no second-plane atom below and the hcp one has, and the multiplicities add up to the
// count of top, bridge and hollow points of the cell: one top per top atom, and for a plane of
// one atom per cell (Euler on the torus) three edges and two triangles, or two edges and one
// square.
TEST(Sites, PropertiesOfEverySite)
{
    const struct Row {
        const char* material;
        Miller hkl;
    } rows[] = {{"Pt", {1, 1, 1}}, {"Cu", {1, 0, 0}}, {"Cu", {1, 1, 0}}, {"Fe", {1, 1, 0}},
                {"Ru", {0, 0, 1}}, {"Ni", {2, 1, 1}}, {"W", {2, 1, 1}},  {"Cu", {3, 2, 1}}};
    for (const Row& row : rows) {
        const SurfaceSpec spec = specOf(row.material, row.hkl);
        const SurfaceCell cell = *surfaceCell(spec, InPlaneCell::Primitive);
        const std::vector<Site> sites = sitesOf(spec);
        int tops = 0, bridges = 0, hollows = 0;
        for (const Site& site : sites) {
            (site.kind == SiteKind::Top          ? tops
                 : site.kind == SiteKind::Bridge ? bridges
                                                 : hollows) += site.multiplicity;
            int bound = 0;
            for (const CellAtom& atom : cell.planes.front().atoms)
                for (int i = -2; i <= 2; ++i)
                    for (int j = -2; j <= 2; ++j) {
                        const Position p = cell.inPlane({atom.position.u + i, atom.position.v + j});
                        if (std::abs(std::hypot(p.x - site.inPlane.x, p.y - site.inPlane.y) - site.distance) < 1e-3)
                            ++bound;
                    }
            EXPECT_EQ(bound, site.fold) << surfaceTitle(spec) << " " << site.label;
            int counted = 0;
            for (const BoundAtoms& b : site.bound)
                counted += b.count;
            EXPECT_EQ(counted, site.fold) << surfaceTitle(spec) << " " << site.label;
            if (site.kind == SiteKind::Fcc || site.kind == SiteKind::Hcp) {
                // The second plane as a slab of two planes holds it, shifted so that its top
                // plane lies on the cell's.
                const PeriodicSlab slab = buildSlab(cell, {2, 1, 1, 5.0});
                const SlabAtom& first = slab.atoms.front();
                const Position origin = first.position - cell.inPlane(cell.planes.front().atoms.front().position);
                bool below = false;
                for (const SlabAtom& atom : slab.atoms) {
                    if (atom.plane != 1)
                        continue;
                    const Position d =
                        cell.inPlane(wrapped(inPlaneFractional(atom.position - origin - site.inPlane, cell.a, cell.b)));
                    for (int i = -1; i <= 0; ++i)
                        for (int j = -1; j <= 0; ++j) {
                            const Position e = d + cell.inPlane({double(i), double(j)});
                            below = below || std::hypot(e.x, e.y) < 0.1;
                        }
                }
                EXPECT_EQ(below, site.kind == SiteKind::Hcp) << surfaceTitle(spec);
            }
        }
        EXPECT_EQ(tops, int(cell.planes.front().atoms.size())) << surfaceTitle(spec);
        if (cell.planes.front().atoms.size() == 1) {
            const bool square = hollows == 1;
            EXPECT_EQ(bridges, square ? 2 : 3) << surfaceTitle(spec);
            EXPECT_EQ(hollows, square ? 1 : 2) << surfaceTitle(spec);
        }
    }
}

// The sites depend on the lattice, not on the cell chosen for it: the rectangular cell of
// Pt (1 1 1), twice the primitive one, holds each class twice as often.
TEST(Sites, IndependentOfTheCell)
{
    const SurfaceSpec spec = specOf("Pt", {1, 1, 1});
    const std::vector<Site> primitive = sitesOf(spec);
    const std::vector<Site> rectangular = sitesOf(spec, InPlaneCell::Orthogonal);
    EXPECT_EQ(summary(rectangular), "top x2, bridge x6, fcc x2, hcp x2");
    ASSERT_EQ(primitive.size(), rectangular.size());
    for (std::size_t i = 0; i < primitive.size(); ++i) {
        EXPECT_EQ(primitive[i].label, rectangular[i].label);
        EXPECT_EQ(2 * primitive[i].multiplicity, rectangular[i].multiplicity) << primitive[i].label;
        EXPECT_NEAR(primitive[i].distance, rectangular[i].distance, 1e-9);
    }
}

// The height puts the adsorbate at the bond length, the sum of the covalent radii, from every
// bound atom: O on Pt (1 1 1) at 0.66 + 1.36 Angstrom.
TEST(Sites, BondHeightGivesTheBondLength)
{
    for (const Site& site : sitesOf(specOf("Pt", {1, 1, 1}))) {
        const auto h = bondHeight(site, "O");
        ASSERT_TRUE(h) << site.label;
        EXPECT_NEAR(std::hypot(*h, site.distance), 0.66 + 1.36, 1e-9) << site.label;
    }
    EXPECT_FALSE(covalentRadius("Xx"));
}

// A bulk crystal's sites, reduced by its own point group: the SrO face of SrTiO3 (0 0 1), a
// square of Sr with O at its centre, has Sr and O tops, four Sr-O bridges and two hollows on
// 2 Sr and 2 O per cell.
TEST(Sites, BulkCrystalSites)
{
    auto bulk = bulkOf(*findCompound("SrTiO3"));
    ASSERT_TRUE(bulk);
    SurfaceSpec spec;
    spec.hkl = {0, 0, 1};
    spec.bulk = BulkChoice{std::make_shared<const BulkCrystal>(std::move(*bulk)), "SrTiO3", 1, DefaultPlaneTolerance};
    const std::vector<Site> sites = sitesOf(spec);
    EXPECT_EQ(summary(sites), "top Sr x1, top O x1, bridge x4, 4-fold hollow x2");
    ASSERT_EQ(sites.size(), 4u);
    EXPECT_EQ(sites[3].bound.size(), 2u);
}
