// Adsorption sites against the literature's sites of the low-index surfaces, and properties every
// site must have.

#include "crystal/Sites.h"
#include "crystal/Bulk.h"
#include "crystal/Compound.h"
#include "crystal/Coordination.h"
#include "crystal/Polarity.h"
#include "crystal/Prototype.h"
#include "crystal/Slab.h"
#include "crystal/StepNotation.h"

#include <gtest/gtest.h>

#include <algorithm>
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

// Flat surfaces, where the top plane alone is exposed: every site binds its atoms at one
// distance (checked against the atoms themselves), the fcc
// hollow has no second-plane atom below and the hcp one has, and the multiplicities add up to the
// count of top, bridge and hollow points of the cell: one top per top atom, and for a plane of
// one atom per cell (Euler on the torus) three edges and two triangles, or two edges and one
// square.
TEST(Sites, PropertiesOfEverySite)
{
    const struct Row {
        const char* material;
        Miller hkl;
    } rows[] = {{"Pt", {1, 1, 1}}, {"Cu", {1, 0, 0}}, {"Cu", {1, 1, 0}}, {"Fe", {1, 1, 0}}, {"Ru", {0, 0, 1}}};
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

// The sites depend on the lattice, not on the cell chosen for it: the rectangular cells of
// Pt (1 1 1) and Fe (1 1 1), twice the primitive ones, hold each class twice as often.
TEST(Sites, IndependentOfTheCell)
{
    const SurfaceSpec spec = specOf("Pt", {1, 1, 1});
    EXPECT_EQ(summary(sitesOf(spec, InPlaneCell::Orthogonal)), "top x2, bridge x6, fcc x2, hcp x2");
    // The same on open surfaces, where the probe rests on atoms of several planes.
    for (const SurfaceSpec& row : {spec, specOf("Fe", {1, 1, 1})}) {
        const std::vector<Site> primitive = sitesOf(row);
        const std::vector<Site> rectangular = sitesOf(row, InPlaneCell::Orthogonal);
        ASSERT_EQ(primitive.size(), rectangular.size()) << surfaceTitle(row);
        for (std::size_t i = 0; i < primitive.size(); ++i) {
            EXPECT_EQ(primitive[i].label, rectangular[i].label);
            EXPECT_EQ(2 * primitive[i].multiplicity, rectangular[i].multiplicity) << primitive[i].label;
            EXPECT_NEAR(primitive[i].distance, rectangular[i].distance, 1e-9);
        }
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

namespace {

// The crystal's atoms near the surface (the semi-infinite crystal's planes with their images),
// built from the cell's planes, not from the site finder's own list.
std::vector<Position> atomsNear(const SurfaceCell& cell, double depth)
{
    std::vector<Position> atoms;
    for (int p = 0; planeAtomPosition(cell, p, 0).z > -depth; ++p)
        for (int k = 0; k < int(cell.planes[std::size_t(p) % cell.planes.size()].atoms.size()); ++k)
            for (int i = -4; i <= 4; ++i)
                for (int j = -4; j <= 4; ++j)
                    atoms.push_back(planeAtomPosition(cell, p, k) + cell.inPlane({double(i), double(j)}));
    return atoms;
}

SurfaceSpec bulkSpec(const char* compound, Miller hkl, int termination)
{
    SurfaceSpec spec;
    spec.hkl = hkl;
    spec.bulk = BulkChoice{std::make_shared<const BulkCrystal>(*bulkOf(*findCompound(compound))), compound, termination,
                           DefaultPlaneTolerance};
    return spec;
}

} // namespace

// Open and stepped surfaces against the sites the literature names on them (surfaces the
// flat-surface table does not hold):
// - Pt (2 1 1) = 3(1 1 1) x (1 0 0): the step-edge top and bridge, fcc and hcp hollows beside the
//   edge and the five-atom B5 site at the foot of the step (B. Hammer, "Special sites at noble
//   and late transition metal catalysts", Top. Catal. 37 (2006) 3; S. Dahl et al., Phys. Rev.
//   Lett. 83 (1999) 1814), a terrace top and a terrace hcp hollow;
// - TiO2 (1 1 0), the stoichiometric face (termination 2): tops on the bridging O rows, the
//   five-fold Ti 1.27 Angstrom below them and the in-plane three-fold O (U. Diebold, "The surface
//   science of titanium dioxide", Surf. Sci. Rep. 48 (2003) 53, figure 7);
// - Fe (1 1 1): the top, the "shallow hollow" above a second-plane atom (a top of that atom for a
//   probe of the crystal's own size) and the "deep hollow" above a third-plane atom binding three
//   top atoms (J. J. Mortensen et al., Surf. Sci. 422 (1999) 8);
// - Mg (1 0 -1 0) with its short first spacing: 3-fold hollows of two top and one second-plane
//   atom beside the top, short bridge and long bridge of the rows.
TEST(Sites, OpenAndSteppedSurfaces)
{
    const struct Row {
        SurfaceSpec spec;
        const char* expected;
    } rows[] = {
        {specOf("Pt", {2, 1, 1}),
         "step top x1, top x1, step bridge x1, step bridge 2 x2, step bridge 3 x1, bridge x2, "
         "step 5-fold hollow x1, step fcc x1, step hcp x1, hcp x1"},
        {bulkSpec("TiO2", {1, 1, 0}, 2),
         "top O x1, top Ti x1, top O 2 x2, short bridge x4, bridge x1, bridge 2 x4, "
         "bridge 3 x1, long bridge x2, fcc x4, fcc 2 x2, hcp x2"},
        {specOf("Fe", {1, 1, 1}),
         "top x1, top 2 x1, short bridge x3, long bridge x3, 3-fold hollow x1, 3-fold hollow 2 x3"},
        {SurfaceSpec(*findMaterial("Mg"), {1, 0, 0}, Termination::B),
         "top x1, top 2 x1, short bridge x4, short bridge 2 x1, long bridge x1, 3-fold hollow x2, 3-fold hollow 2 x2"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(summary(sitesOf(row.spec)), row.expected) << surfaceTitle(row.spec);

    const std::vector<Site> tio2 = sitesOf(rows[1].spec);
    EXPECT_EQ(tio2[1].bound.front().element, "Ti");
    EXPECT_NEAR(tio2[1].contacts.front().z, -1.268, 1e-3);              // five-fold Ti below the bridging O
    EXPECT_NEAR(*bondHeight(tio2[1], "O"), -1.268 + 0.66 + 1.60, 1e-3); // O on it at the Ti-O bond
    const std::vector<Site> fe = sitesOf(rows[2].spec);
    EXPECT_EQ(fe[4].contacts.size(), 3u); // the deep hollow binds three top atoms
    for (const Position& c : fe[4].contacts)
        EXPECT_NEAR(c.z, 0.0, 1e-9);
}

// On every surface: each site's bound atoms are atoms of the crystal, all at one distance from
// a point above the site and no atom of the crystal nearer (the probe rests there); a stepped
// surface's step sites are those that bind a top-plane atom, and every kind has its step variant.
TEST(Sites, BoundAtomsAtEqualDistances)
{
    const SurfaceSpec rows[] = {
        specOf("Ni", {2, 1, 1}),        specOf("W", {2, 1, 1}),
        specOf("Cu", {3, 2, 1}),        specOf("Pt", {5, 5, 3}),
        specOf("Fe", {1, 1, 1}),        specOf("Cu", {1, 1, 0}),
        bulkSpec("TiO2", {1, 1, 0}, 2), SurfaceSpec(*findMaterial("Mg"), {1, 0, 0}, Termination::B)};
    for (const SurfaceSpec& spec : rows) {
        const SurfaceCell cell = *surfaceCell(spec, InPlaneCell::Primitive);
        const std::vector<Position> atoms = atomsNear(cell, 10.0);
        const bool stepped = !spec.bulk && stepNotation(spec.material.lattice, spec.hkl);
        double probe = INFINITY; // the shortest distance between atoms
        for (const Position& a : atoms)
            if (a.z > -3.0 && std::abs(a.x) < 8.0 && std::abs(a.y) < 8.0)
                for (const Position& b : atoms)
                    if (&a != &b && norm(a - b) < probe)
                        probe = norm(a - b);
        bool stepKinds[3] = {};
        for (const Site& site : sitesOf(spec)) {
            ASSERT_FALSE(site.contacts.empty()) << site.label;
            // The height h above the site at which the bound atoms are equidistant.
            const Position& p = site.contacts.front();
            double h = p.z + std::sqrt(std::max(0.0, probe * probe - dot(p, p) + p.z * p.z));
            for (const Position& q : site.contacts)
                if (std::abs(q.z - p.z) > 1e-6)
                    h = (dot(q, q) - dot(p, p)) / (2.0 * (q.z - p.z));
            const Position centre{0.0, 0.0, h};
            const double d = norm(p - centre);
            for (const Position& q : site.contacts) {
                EXPECT_NEAR(norm(q - centre), d, 1e-6) << surfaceTitle(spec) << " " << site.label;
                const Position at{q.x + site.inPlane.x, q.y + site.inPlane.y, q.z};
                EXPECT_TRUE(
                    std::any_of(atoms.begin(), atoms.end(), [&](const Position& a) { return norm(a - at) < 1e-6; }))
                    << surfaceTitle(spec) << " " << site.label;
            }
            const Position top{site.inPlane.x, site.inPlane.y, h};
            for (const Position& a : atoms)
                EXPECT_GT(norm(a - top), d - 1e-3) << surfaceTitle(spec) << " " << site.label;
            const bool bindsTop = std::any_of(site.contacts.begin(), site.contacts.end(),
                                              [](const Position& q) { return std::abs(q.z) < 1e-6; });
            EXPECT_EQ(site.step, stepped && bindsTop) << surfaceTitle(spec) << " " << site.label;
            EXPECT_EQ(site.label.rfind("step ", 0) == 0, site.step) << site.label;
            if (site.step)
                stepKinds[site.kind == SiteKind::Top ? 0 : site.kind == SiteKind::Bridge ? 1 : 2] = true;
        }
        if (stepped) {
            EXPECT_TRUE(stepKinds[0] && stepKinds[1] && stepKinds[2]) << surfaceTitle(spec);
        }
    }
}
