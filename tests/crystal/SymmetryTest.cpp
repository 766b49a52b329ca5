// The space group with spglib: known structures built by hand, and properties that must hold of
// any result (every operation maps the crystal onto itself, the cells hold the same atoms, a
// plane's conventional indices name the same normal); hostile cells do not crash the search.

#include "crystal/Compound.h"
#include "crystal/Symmetry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <set>
#include <tuple>

namespace crystal {
namespace {

using Atoms = std::vector<std::tuple<std::string, double, double, double>>;
Atoms operator+(Atoms p, const Atoms& q) { return p.insert(p.end(), q.begin(), q.end()), p; }

BulkCrystal bulkOf(double a, double c, double gamma, const Atoms& atoms, std::optional<int> firstCharge = {})
{
    std::vector<BulkSite> sites;
    for (const auto& [e, x, y, z] : atoms)
        sites.push_back({e, {x, y, z}, sites.empty() ? firstCharge : std::nullopt});
    return *makeBulk("test", *cellFromParameters(a, a, c, 90, 90, gamma), std::move(sites));
}

Atoms fcc(const std::string& e, double s = 0) // the four FCC positions moved by (s, s, s)
{
    return {{e, s, s, s}, {e, s, s + .5, s + .5}, {e, s + .5, s, s + .5}, {e, s + .5, s + .5, s}};
}

Atoms hexagonal(const std::string& e, double z) // the two HCP positions at heights z, z + 1/2
{
    return {{e, 1 / 3., 2 / 3., z}, {e, 2 / 3., 1 / 3., z + .5}};
}

Atoms rutile(double x = 0, double y = 0, double z = 0, double u = 0.305) // its origin moved by (x, y, z)
{
    return {{"Ti", x, y, z},        {"Ti", x + .5, y + .5, z + .5},        {"O", x + u, y + u, z},
            {"O", x - u, y - u, z}, {"O", x + .5 + u, y + .5 - u, z + .5}, {"O", x + .5 - u, y + .5 + u, z + .5}};
}

Atoms corundum(double z = 0.35216, double x = 0.30624) // hexagonal axes: 12c and 18e of R-3c
{
    Atoms out;
    for (const double c : {0.0, 1.0, 2.0}) {
        for (double w : {z, 0.5 - z, -z, z + 0.5})
            out.push_back({"Al", 2 * c / 3, c / 3, c / 3 + w});
        for (const auto& [u, v, w] :
             {std::tuple{x, 0.0, .25}, {0.0, x, .25}, {-x, -x, .25}, {-x, 0.0, .75}, {0.0, -x, .75}, {x, x, .75}})
            out.push_back({"O", 2 * c / 3 + u, c / 3 + v, c / 3 + w});
    }
    return out;
}

const struct Known {
    const char* name;
    BulkCrystal bulk;
    int number;
    const char* symbol;
    std::size_t pointGroupOrder;
} Structures[] = {
    {"Cu", bulkOf(3.615, 3.615, 90, fcc("Cu")), 225, "Fm-3m", 48},
    {"Fe", bulkOf(2.8665, 2.8665, 90, {{"Fe", 0, 0, 0}, {"Fe", .5, .5, .5}}), 229, "Im-3m", 48},
    {"Fe2+ Fe", bulkOf(2.8665, 2.8665, 90, {{"Fe", 0, 0, 0}, {"Fe", .5, .5, .5}}, 2), 221, "Pm-3m", 48},
    {"Mg", bulkOf(3.209, 5.211, 120, hexagonal("Mg", .25)), 194, "P6_3/mmc", 24},
    {"Si", bulkOf(5.431, 5.431, 90, fcc("Si") + fcc("Si", .25)), 227, "Fd-3m", 48},
    {"GaAs", bulkOf(5.653, 5.653, 90, fcc("Ga") + fcc("As", .25)), 216, "F-43m", 24},
    {"NaCl", bulkOf(5.64, 5.64, 90, fcc("Na") + fcc("Cl", .5)), 225, "Fm-3m", 48},
    {"TiO2", bulkOf(4.594, 2.959, 90, rutile()), 136, "P4_2/mnm", 16},
    {"ZnO", bulkOf(3.25, 5.207, 120, hexagonal("Zn", 0) + hexagonal("O", .382)), 186, "P6_3mc", 12},
    {"SrTiO3",
     bulkOf(3.905, 3.905, 90,
            {{"Sr", 0, 0, 0}, {"Ti", .5, .5, .5}, {"O", .5, .5, 0}, {"O", .5, 0, .5}, {"O", 0, .5, .5}}),
     221, "Pm-3m", 48},
    {"Al2O3", bulkOf(4.759, 12.991, 120, corundum()), 167, "R-3c", 12},
    {"TiO2 moved", bulkOf(4.594, 2.959, 90, rutile(.1, .2, .3)), 136, "P4_2/mnm", 16},
    {"Mg 60", bulkOf(3.209, 5.211, 60, {{"Mg", -1 / 3., 2 / 3., .25}, {"Mg", 1 / 3., 1 / 3., .75}}), 194, "P6_3/mmc",
     24},
};

double volume(const std::array<Position, 3>& c) { return dot(c[0], cross(c[1], c[2])); }
Position at(const std::array<Position, 3>& c, const std::array<double, 3>& f)
{
    return f[0] * c[0] + f[1] * c[1] + f[2] * c[2];
}
std::array<double, 3> fractional(const std::array<Position, 3>& c, Position r)
{
    return {dot(r, cross(c[1], c[2])) / volume(c), dot(r, cross(c[2], c[0])) / volume(c),
            dot(r, cross(c[0], c[1])) / volume(c)};
}
AreaVector normal(const std::array<Position, 3>& c, const Miller& h) // (h k l)'s normal times the volume
{
    return double(h[0]) * cross(c[1], c[2]) + double(h[1]) * cross(c[2], c[0]) + double(h[2]) * cross(c[0], c[1]);
}

// |p x q|: 0 for parallel normals.
double crossLength(AreaVector p, AreaVector q)
{
    const double x = p.y * q.z - p.z * q.y, y = p.z * q.x - p.x * q.z, z = p.x * q.y - p.y * q.x;
    return std::sqrt(x * x + y * y + z * z);
}

// Whether an atom of the element lies within the tolerance of r, over the periodic images.
bool atomAt(const BulkCrystal& b, Position r, const std::string& element)
{
    const auto f = fractional(b.cell, r);
    for (const BulkSite& s : b.sites)
        for (int i = 0; i < 27; ++i) {
            std::array<double, 3> d;
            for (int j = 0; j < 3; ++j)
                d[j] = f[j] - s.fractional[j] - std::round(f[j] - s.fractional[j]) + (i / int(std::pow(3, j))) % 3 - 1;
            if (s.element == element && norm(at(b.cell, d)) < SymmetryTolerance)
                return true;
        }
    return false;
}

TEST(Symmetry, KnownStructuresAndTheInvariantsOfTheirCells)
{
    for (const Known& k : Structures) {
        SCOPED_TRACE(k.name);
        const auto s = analyseSymmetry(k.bulk);
        ASSERT_TRUE(s) << s.error().message;
        EXPECT_EQ(s->number, k.number);
        EXPECT_EQ(s->symbol, k.symbol);
        const std::size_t n = k.bulk.sites.size(), np = s->primitive.sites.size(), nc = s->conventional.sites.size();
        // The given cells are conventional: every point operation once per primitive translation,
        // each mapping the crystal onto itself.
        EXPECT_EQ(s->operations.size() * np, k.pointGroupOrder * n);
        for (const SymmetryOperation& op : s->operations)
            for (const BulkSite& a : k.bulk.sites) {
                std::array<double, 3> x = op.translation;
                for (int i = 0; i < 9; ++i)
                    x[i / 3] += op.rotation[i / 3][i % 3] * a.fractional[i % 3];
                EXPECT_TRUE(atomAt(k.bulk, at(k.bulk.cell, x), a.element));
            }
        // One density of atoms in the three cells; the primitive vectors are translations of the
        // crystal and the conventional atoms lie on the crystal's.
        EXPECT_NEAR(volume(s->primitive.cell) * double(n), volume(k.bulk.cell) * double(np), 1e-6);
        EXPECT_NEAR(volume(s->conventional.cell) * double(n), volume(k.bulk.cell) * double(nc), 1e-6);
        EXPECT_TRUE(np < n || s->primitive.cell == k.bulk.cell);
        for (const BulkSite& a : k.bulk.sites)
            for (const Position& t : s->primitive.cell)
                EXPECT_TRUE(atomAt(k.bulk, at(k.bulk.cell, a.fractional) + t, a.element));
        for (const BulkSite& a : s->conventional.sites)
            EXPECT_TRUE(atomAt(k.bulk, s->conventionalOrigin + at(s->conventional.cell, a.fractional), a.element));

        // The primitive cell is the same crystal, and in both cells a plane's conventional indices
        // name the same outward normal.
        const auto p = analyseSymmetry(s->primitive);
        ASSERT_TRUE(p) << p.error().message;
        EXPECT_EQ(p->number, k.number);
        EXPECT_EQ(p->primitive.sites.size(), np);
        for (const auto& [g, given] : {std::pair{&*s, &k.bulk}, {&*p, &s->primitive}})
            for (const Miller& h : {Miller{1, 0, 0}, {1, 1, 0}, {1, 1, 1}, {-1, 2, -3}, {2, 1, 0}, {5, 3, 1}}) {
                const Miller hc = conventionalMiller(*g, h);
                const AreaVector nh = normal(given->cell, h), nc = normal(g->conventional.cell, hc);
                EXPECT_LT(crossLength(nh, nc), 1e-9 * norm(nh) * norm(nc));
                EXPECT_GT(dot(nh, nc), 0.0);
                EXPECT_EQ(std::gcd(std::gcd(hc[0], hc[1]), hc[2]), 1);
            }

        // Each atom moved by a fifth of the tolerance in a direction of its own keeps the group
        // (the search fixes a translation on one atom and compares others with it: errors add
        // up); one atom moved by five times the tolerance breaks it.
        BulkCrystal moved = k.bulk;
        for (std::size_t i = 0; i < n; ++i) {
            const Position d{std::sin(1.7 * double(i)), std::cos(2.3 * double(i)), std::sin(3.1 * double(i) + 1)};
            const Position r = at(moved.cell, moved.sites[i].fractional) + (0.2 * SymmetryTolerance / norm(d)) * d;
            moved.sites[i].fractional = fractional(moved.cell, r);
        }
        moved.cell[0] = (1.0 + 2e-5) * moved.cell[0];
        const auto m = analyseSymmetry(moved);
        ASSERT_TRUE(m) << m.error().message;
        EXPECT_EQ(m->number, k.number);
        moved.sites[1].fractional[2] += 5 * SymmetryTolerance / norm(moved.cell[2]);
        EXPECT_LT(analyseSymmetry(moved)->operations.size(), s->operations.size());
    }
    EXPECT_EQ(readableSymbol("P4_2/mnm"), "P4\u2082/mnm");
    EXPECT_EQ(readableSymbol("Fm-3m"), "Fm3\u0305m");
}

TEST(Symmetry, EveryCompoundPresetHasItsStructureTypesSpaceGroup)
{
    for (const Compound& c : compoundPresets()) {
        const auto b = bulkOf(c);
        ASSERT_TRUE(b) << b.error().message;
        const auto s = analyseSymmetry(*b);
        ASSERT_TRUE(s) << c.name << ": " << s.error().message;
        EXPECT_EQ(s->number, c.type().spaceGroupNumber) << c.name;
        EXPECT_EQ(s->symbol, c.type().spaceGroupSymbol) << c.name;
    }
}

TEST(Symmetry, PlanesInTheConventionalCellAndTheOperationsKeepingTheirNormal)
{
    // FCC Cu in its rhombohedral primitive cell: its plane (1 1 1) is the cube's (1 1 1); the
    // hexagonal cell with a 60 degree angle has b - a as its conventional b.
    const double a = 3.615 / 2;
    const auto fcc =
        analyseSymmetry({"Cu", {Position{0, a, a}, Position{a, 0, a}, Position{a, a, 0}}, {{"Cu", {0, 0, 0}, {}}}});
    const auto hcp = analyseSymmetry(Structures[12].bulk);
    ASSERT_TRUE(fcc && hcp);
    for (const auto& [s, given, conventional] : {std::tuple{&*fcc, Miller{1, 1, 1}, Miller{1, 1, 1}},
                                                 {&*fcc, {1, 1, 0}, {0, 0, 1}},
                                                 {&*fcc, {2, 0, 0}, {-1, 1, 1}},
                                                 {&*hcp, {1, 0, 0}, {1, -1, 0}},
                                                 {&*hcp, {0, 1, 0}, {0, 1, 0}}})
        EXPECT_EQ(conventionalMiller(*s, given), conventional);

    const struct {
        std::size_t structure;
        Miller hkl;
        std::size_t rotations; // distinct rotations that keep the outward normal
    } rows[] = {
        {0, {0, 0, 1}, 8},   {0, {1, 1, 1}, 6},  {0, {1, 1, 0}, 4}, {5, {0, 0, 1}, 4},
        {5, {1, 1, 1}, 6},   {3, {0, 0, 1}, 12}, {3, {1, 0, 0}, 4}, {3, {1, 1, 0}, 4},
        {8, {0, 0, -1}, 12}, {7, {1, 1, 0}, 4},  {7, {1, 0, 1}, 2}, {10, {1, 0, 4}, 2},
    };
    for (const auto& row : rows) {
        const BulkCrystal& b = Structures[row.structure].bulk;
        SCOPED_TRACE(std::string(Structures[row.structure].name) + " " + std::to_string(row.hkl[0]));
        const auto s = analyseSymmetry(b);
        ASSERT_TRUE(s);
        std::set<std::array<std::array<int, 3>, 3>> rotations;
        for (const SymmetryOperation& op : operationsKeepingNormal(*s, row.hkl))
            rotations.insert(op.rotation);
        EXPECT_EQ(rotations.size(), row.rotations);
        // Each operation keeps the Cartesian normal exactly when it is said to: the rotated cell
        // vectors (columns of the rotation) carry the normal along, times the determinant.
        for (const SymmetryOperation& op : s->operations) {
            std::array<Position, 3> image;
            for (int i = 0; i < 3; ++i)
                image[i] =
                    at(b.cell, {double(op.rotation[0][i]), double(op.rotation[1][i]), double(op.rotation[2][i])});
            const AreaVector n = normal(b.cell, row.hkl), m = normal(image, row.hkl);
            EXPECT_EQ(keepsPlaneNormal(op, row.hkl), norm(m - (volume(image) / volume(b.cell)) * n) < 1e-9 * norm(n));
        }
    }
}

TEST(Symmetry, HostileCellsAreAnalysedOrRefusedWithAMessage)
{
    const auto cube = [](double a) {
        return std::array<Position, 3>{Position{a, 0, 0}, Position{0, a, 0}, Position{0, 0, a}};
    };
    BulkCrystal many{"many", cube(300), {}};
    for (std::size_t i = 0; i <= MaxSymmetrySites; ++i)
        many.sites.push_back({"Cu", {double(i) / 10001.0, 0, 0}, {}});
    const BulkSite fe{"Fe", {0.2, 0.1, 0.7}, {}};
    const struct {
        BulkCrystal bulk;
        double tolerance;
        const char* result; // the space group's number or the message
    } rows[] = {
        {{"one", *cellFromParameters(3, 4, 5, 70, 80, 100), {fe}}, 0.01, "2"},
        {{"huge", cube(1e6), {fe}}, 0.01, "221"},
        {{"sheared", {Position{3, 0, 0}, Position{3e6, 3, 0}, Position{0, 0, 3}}, {fe}},
         0.01,
         "the cell is too thin for its length: its longest vector is more than 10000 times the least distance between "
         "opposite faces"},
        {{"tiny", cube(1e-3), {fe, {"Fe", {.5, .5, .5}, {}}}},
         0.01,
         "no space group found within 0.01 Angstrom: too close distance between atoms"},
        {{"nan", {Position{std::nan(""), 0, 0}, Position{0, 1, 0}, Position{0, 0, 1}}, {fe}},
         0.01,
         "the cell vectors must be finite"},
        {Structures[0].bulk, 0.0, "the symmetry tolerance must be a positive number of Angstrom"},
        {many, 0.01, "the cell holds 10001 atoms; symmetry is found for at most 10000"},
    };
    for (const auto& row : rows) {
        const auto s = analyseSymmetry(row.bulk, row.tolerance);
        EXPECT_EQ(s ? std::to_string(s->number) : s.error().message, row.result);
    }
}

} // namespace
} // namespace crystal
