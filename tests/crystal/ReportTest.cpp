#include "crystal/BulkSurface.h"
#include "crystal/Compound.h"
#include "crystal/Coordination.h"
#include "crystal/Prototype.h"
#include "crystal/Report.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <map>
#include <numbers>
#include <numeric>
#include <sstream>

namespace {

using namespace crystal;

// The surface of a preset material, termination A where the lattice has terminations.
SurfaceSpec specOf(const char* material, Miller hkl)
{
    const Material& m = *findMaterial(material);
    const bool terminated = m.lattice == LatticeKind::Hcp || m.lattice == LatticeKind::ZincBlende;
    return {m, hkl, terminated ? Termination::A : Termination::None};
}

SurfaceCell cellOf(const char* material, Miller hkl, InPlaneCell kind = InPlaneCell::Primitive)
{
    const auto cell = surfaceCell(specOf(material, hkl), kind);
    EXPECT_TRUE(cell) << cell.error().message;
    return cell.value_or(SurfaceCell{});
}

platform::Result<SurfaceReport> reportOf(const char* material, Miller hkl)
{
    auto r = surfaceReport(specOf(material, hkl));
    EXPECT_TRUE(r) << r.error().message;
    return r;
}

TEST(StepNotation, VicinalsAndFlatPlanes)
{
    // Hand-counted rows: on (7 5 5) the terrace holds the edge row, four terrace rows and the
    // row in the inner corner; the families n(111)x(100) = (n+1 n-1 n-1),
    // n(111)x(111) = (n n n-2), n(100)x(111) = (2n-1 1 1), n(100)x(110) = (n 1 0). BCC: terrace
    // width d / tan(theta) over the row spacing, 3 on (1 1 0) rows a / sqrt 2 apart for
    // (2 1 0), 1.5 rounded up on (1 0 0) rows a apart for (3 1 0).
    constexpr auto F = LatticeKind::Fcc;
    constexpr auto B = LatticeKind::Bcc;
    const std::tuple<LatticeKind, Miller, const char*> rows[] = {
        {F, {7, 5, 5}, "6(1 1 1) x (1 0 0)"},
        {F, {9, 9, 7}, "9(1 1 1) x (1 1 -1)"},
        {F, {5, 3, 3}, "4(1 1 1) x (1 0 0)"},
        {F, {2, 1, 1}, "3(1 1 1) x (1 0 0)"},
        {F, {3, 3, 1}, "3(1 1 1) x (1 1 -1)"},
        {F, {2, 2, 1}, "4(1 1 1) x (1 1 -1)"},
        {F, {5, 1, 1}, "3(1 0 0) x (1 1 1)"},
        {F, {1, 1, 19}, "10(0 0 1) x (1 1 1)"},
        {F, {4, 1, 0}, "4(1 0 0) x (1 1 0)"},
        {F, {14, 10, 10}, "6(1 1 1) x (1 0 0)"},
        {F, {-7, -5, -5}, "6(-1 -1 -1) x (-1 0 0)"},
        {F, {10, 8, 7}, "7(1 1 1) x (3 1 0)"}, // kinked
        // (3 1 1) is both 2(111)x(100) and 2(100)x(111): the nearer terrace, (100), is named.
        {F, {1, 1, 3}, "2(0 0 1) x (1 1 1)"},
        {B, {2, 1, 0}, "3(1 1 0) x (1 0 0)"},
        {B, {3, 1, 0}, "2(1 0 0) x (1 1 0)"},
        {B, {3, 3, 2}, "3(1 1 0) x (1 1 2)"},
        // None for flat planes, other lattices and double-height steps ((5 5 1)).
        {F, {1, 1, 1}, nullptr},
        {F, {0, 0, 2}, nullptr},
        {F, {1, -1, 0}, nullptr},
        {F, {0, 0, 0}, nullptr},
        {B, {1, 1, 0}, nullptr},
        {B, {1, 0, 0}, nullptr},
        {B, {2, 1, 1}, nullptr},
        {F, {5, 5, 1}, nullptr},
        // None where one period across the edge holds two different steps: terraces of 2 and 3
        // rows in turn on BCC (1 1 5), 1 and 2 on (3 1 1); FCC (4 1 1) and BCC (4 1 0) likewise.
        {B, {1, 1, 5}, nullptr},
        {B, {3, 1, 1}, nullptr},
        {B, {5, 1, 1}, nullptr},
        {B, {-1, 7, 1}, nullptr},
        {B, {9, 1, -1}, nullptr},
        {F, {4, 1, 1}, nullptr},
        {F, {6, 1, 1}, nullptr},
        {B, {4, 1, 0}, nullptr},
        {B, {6, 1, 0}, nullptr},
        {LatticeKind::Hcp, {7, 5, 5}, nullptr},
        {LatticeKind::ZincBlende, {7, 5, 5}, nullptr},
    };
    for (const auto& [lattice, hkl, expected] : rows) {
        const auto steps = stepNotation(lattice, hkl);
        ASSERT_EQ(steps.has_value(), expected != nullptr) << hkl[0] << " " << hkl[1] << " " << hkl[2];
        if (steps) {
            EXPECT_EQ(formatStepNotation(*steps), expected);
            EXPECT_EQ(steps->kinked, (hkl == Miller{10, 8, 7})) << expected;
        }
    }
}

// A notation n(terrace) x (step) says that one period of the surface across the step edge holds
// one terrace and one step, one terrace plane high: the surface's 2D cell vectors cross whole
// terrace planes (counted with the terrace's own cell) with greatest common divisor 1.
TEST(StepNotation, OnePeriodDescendsOneTerracePlane)
{
    int named = 0;
    for (const char* material : {"Cu", "Fe"}) {
        const Material& m = *findMaterial(material);
        for (int64_t h = -7; h <= 7; ++h)
            for (int64_t k = 0; k <= 7; ++k)
                for (int64_t l = 0; l <= k; ++l) {
                    const auto steps = stepNotation(m.lattice, {h, k, l});
                    if (!steps)
                        continue;
                    ++named;
                    const SurfaceCell cell = cellOf(material, {h, k, l});
                    const SurfaceCell terrace = cellOf(material, steps->terrace);
                    const UnitVector normal = terrace.orientation[2];
                    int64_t descent = 0;
                    for (const Position& v : {cell.a, cell.b}) {
                        const double rise =
                            v.x * dot(cell.orientation[0], normal) + v.y * dot(cell.orientation[1], normal);
                        const double planes = rise / terrace.periodHeight();
                        EXPECT_NEAR(planes, std::round(planes), 1e-9);
                        descent = std::gcd(descent, std::llabs(std::llround(planes)));
                    }
                    EXPECT_EQ(descent, 1)
                        << material << " (" << h << " " << k << " " << l << ") " << formatStepNotation(*steps);
                }
    }
    EXPECT_GT(named, 100);
}

TEST(Coordination, TopPlanesOfLowIndexSurfaces)
{
    // Every atom of a plane alike; step edge 7 and terrace 9 on (7 5 5) and (9 9 7).
    const std::tuple<const char*, Miller, std::array<int, 3>> rows[] = {
        {"Cu", {1, 1, 1}, {9, 12, 12}}, {"Cu", {1, 0, 0}, {8, 12, 12}}, {"Cu", {1, 1, 0}, {7, 11, 12}},
        {"Fe", {1, 1, 0}, {6, 8, 8}},   {"Fe", {1, 0, 0}, {4, 8, 8}},   {"Mg", {0, 0, 1}, {9, 12, 12}},
        {"GaAs", {1, 0, 0}, {2, 4, 4}}, {"GaAs", {1, 1, 0}, {3, 4, 4}}, {"Cu", {7, 5, 5}, {7, 9, 9}},
        {"Cu", {9, 9, 7}, {7, 9, 9}},
    };
    for (const auto& [material, hkl, top3] : rows)
        for (int p = 0; p < 3; ++p)
            for (int cn : planeCoordination(cellOf(material, hkl), p))
                EXPECT_EQ(cn, top3[std::size_t(p)]) << material << " plane " << p;
}

// Over many planes: atoms deeper than the cut-off have all their bulk neighbours, and for FCC
// and BCC the neighbours missing from the planes above add up to the bonds the surface cuts,
// rho A sum(delta . n) over the neighbour vectors delta pointing out of the crystal.
TEST(Coordination, BulkBelowAndCutBondsAddUp)
{
    const std::pair<const char*, Miller> surfaces[] = {
        {"Cu", {1, 1, 1}}, {"Cu", {7, 5, 5}}, {"Cu", {10, 8, 7}}, {"Cu", {3, 2, 1}},   {"Cu", {-1, 2, 5}},
        {"Fe", {1, 1, 0}}, {"Fe", {1, 1, 1}}, {"Fe", {3, 1, 0}},  {"Fe", {3, 2, 1}},   {"Mg", {1, 0, 0}},
        {"Mg", {1, 0, 1}}, {"Mg", {1, 1, 0}}, {"Mg", {1, 0, 2}},  {"GaAs", {1, 1, 1}}, {"GaAs", {2, 1, 1}},
    };
    for (const auto& [name, hkl] : surfaces) {
        const Material& m = *findMaterial(name);
        const SurfaceCell cell = cellOf(name, hkl);
        const double cutoff = neighbourCutoff(m);
        const int bulk = bulkCoordination(m.lattice);
        int missing = 0;
        int p = 0;
        for (; planeAtomPosition(cell, p, 0).z >= -cutoff - 1e-9; ++p)
            for (int cn : planeCoordination(cell, p))
                missing += bulk - cn;
        for (int deeper = p; deeper < p + 3; ++deeper)
            for (int cn : planeCoordination(cell, deeper))
                EXPECT_EQ(cn, bulk) << name << " plane " << deeper;
        if (m.lattice != LatticeKind::Fcc && m.lattice != LatticeKind::Bcc)
            continue;
        const ReciprocalVector n{double(hkl[0]), double(hkl[1]), double(hkl[2])}; // cubic: 1/a units
        double outward = 0.0; // over the 12 FCC vectors a/2 (1 1 0) or the 8 BCC a/2 (1 1 1)
        for (int x = -1; x <= 1; ++x)
            for (int y = -1; y <= 1; ++y)
                for (int z = -1; z <= 1; ++z)
                    if (m.lattice == LatticeKind::Fcc ? std::abs(x) + std::abs(y) + std::abs(z) == 2 : x && y && z)
                        outward +=
                            std::max(0.0, dot(Position{double(x), double(y), double(z)}, n)) * m.a / 2.0 / norm(n);
        const double rho = (m.lattice == LatticeKind::Fcc ? 4.0 : 2.0) / (m.a * m.a * m.a);
        EXPECT_NEAR(missing, rho * cell.area() * outward, 1e-6) << name;
    }
}

// The slab counted as the top of the crystal: each plane of the slab has, per cell it holds,
// the coordination numbers of that plane of the cell, whatever cell and repeat it was built on.
TEST(Coordination, SlabAtomsAsTheirPlanes)
{
    const std::tuple<const char*, Miller, InPlaneCell> rows[] = {{"Cu", {7, 5, 5}, InPlaneCell::Primitive},
                                                                 {"Cu", {1, 1, 1}, InPlaneCell::Orthogonal},
                                                                 {"Mg", {1, 1, 0}, InPlaneCell::Primitive},
                                                                 {"GaAs", {1, 1, 1}, InPlaneCell::Primitive}};
    for (const auto& [material, hkl, kind] : rows) {
        const SurfaceCell cell = cellOf(material, hkl, kind);
        const SlabOptions options{7, 2, 3, 10.0};
        const PeriodicSlab slab = buildSlab(cell, options);
        const std::vector<int> cns = slabCoordination(slab, cell);
        ASSERT_EQ(cns.size(), slab.atoms.size());
        std::map<std::pair<int, int>, int> seen, expected;
        for (std::size_t i = 0; i < cns.size(); ++i)
            ++seen[{slab.atoms[i].plane, cns[i]}];
        for (int p = 0; p < options.layers; ++p)
            for (int cn : planeCoordination(cell, p))
                expected[{p, cn}] += 6;
        EXPECT_EQ(seen, expected) << material;
    }
}

TEST(Report, LowIndexSurfacesByHand)
{
    const double cu = findMaterial("Cu")->a;
    const double fe = findMaterial("Fe")->a;
    const double mgA = findMaterial("Mg")->a;
    const double mgC = findMaterial("Mg")->c;
    // material, plane, 2D lattice, a, b, gamma, plane spacing, planes per period
    const std::tuple<const char*, Miller, Lattice2D, double, double, double, double, int> rows[] = {
        {"Cu",
         {1, 1, 1},
         Lattice2D::Hexagonal,
         cu / std::sqrt(2.0),
         cu / std::sqrt(2.0),
         120.0,
         cu / std::sqrt(3.0),
         3},
        {"Cu", {1, 0, 0}, Lattice2D::Square, cu / std::sqrt(2.0), cu / std::sqrt(2.0), 90.0, cu / 2.0, 2},
        {"Cu", {1, 1, 0}, Lattice2D::Rectangular, cu / std::sqrt(2.0), cu, 90.0, cu / std::sqrt(8.0), 2},
        {"Fe",
         {1, 1, 0},
         Lattice2D::CentredRectangular,
         fe * std::sqrt(3.0) / 2.0,
         fe * std::sqrt(3.0) / 2.0,
         std::acos(-1.0 / 3.0) * 180.0 / std::numbers::pi,
         fe / std::sqrt(2.0),
         2},
        {"Fe", {1, 0, 0}, Lattice2D::Square, fe, fe, 90.0, fe / 2.0, 2},
        {"Mg", {0, 0, 1}, Lattice2D::Hexagonal, mgA, mgA, 120.0, mgC / 2.0, 2},
    };
    for (const auto& [material, hkl, type, a, b, gamma, spacing, planes] : rows) {
        const auto r = reportOf(material, hkl);
        ASSERT_TRUE(r);
        EXPECT_EQ(r->type, type) << r->title;
        EXPECT_NEAR(r->a, a, 1e-9) << r->title;
        EXPECT_NEAR(r->b, b, 1e-9) << r->title;
        EXPECT_NEAR(r->gamma, gamma, 1e-6) << r->title;
        EXPECT_EQ(r->planesPerPeriod, planes) << r->title;
        for (double s : r->planeSpacings)
            EXPECT_NEAR(s, spacing, 1e-9) << r->title;
        EXPECT_FALSE(r->steps) << r->title;
    }
    const auto iron = reportOf("Fe", {1, 1, 0});
    EXPECT_NEAR(iron->gamma, 109.47, 0.005);
    ASSERT_EQ(iron->exposed.size(), 3u);
    for (int p = 0; p < 3; ++p) {
        EXPECT_EQ(iron->exposed[std::size_t(p)].plane, p + 1);
        EXPECT_EQ(iron->exposed[std::size_t(p)].counts, (std::vector<CoordinationCount>{{p == 0 ? 6 : 8, 1}}));
    }
    const auto prism = reportOf("Mg", {1, 1, 0});
    EXPECT_EQ(prism->hkil, (std::array<int64_t, 4>{1, 1, -2, 0}));
}

// Over many planes: the cell holds the bulk density (atoms of one period over its volume),
// the spacings add up to the period, a and b are lattice vectors of the plane with the
// lengths, angle and area reported, and the top plane is the plane atoms/nm^2 counts.
TEST(Report, PropertiesOverManyPlanes)
{
    const std::pair<const char*, Miller> surfaces[] = {
        {"Cu", {1, 1, 1}},  {"Cu", {7, 5, 5}},   {"Cu", {2, -1, 3}},  {"Cu", {4, 1, 0}},   {"Fe", {1, 1, 0}},
        {"Fe", {1, 1, 1}},  {"Fe", {3, 2, 1}},   {"Mg", {1, 0, 0}},   {"Mg", {1, 0, 1}},   {"Mg", {1, 1, 0}},
        {"Mg", {2, -1, 3}}, {"GaAs", {1, 1, 1}}, {"GaAs", {1, 1, 0}}, {"GaAs", {3, 1, 1}}, {"GaAs", {-2, 1, 5}},
    };
    for (const auto& [name, hkl] : surfaces) {
        const Material& m = *findMaterial(name);
        const auto r = reportOf(name, hkl);
        ASSERT_TRUE(r);
        const auto axes = latticeVectors(m);
        const double volume = std::fabs(dot(axes[0], cross(axes[1], axes[2])));
        const double atomsPerCell = m.lattice == LatticeKind::Bcc ? 2.0
            : m.lattice == LatticeKind::Hcp                       ? 2.0
            : m.lattice == LatticeKind::Fcc                       ? 4.0
                                                                  : 8.0;
        EXPECT_NEAR(r->atomsPerPlane * r->planesPerPeriod / (r->area * r->periodHeight), atomsPerCell / volume, 1e-9)
            << r->title;
        EXPECT_NEAR(r->atomsPerNm2 * r->area / 100.0, r->atomsPerPlane, 1e-9) << r->title;
        ASSERT_EQ(int(r->planeSpacings.size()), r->planesPerPeriod) << r->title;
        EXPECT_LE(r->a, r->b + 1e-12) << r->title;
        EXPECT_NEAR(std::accumulate(r->planeSpacings.begin(), r->planeSpacings.end(), 0.0), r->periodHeight, 1e-9)
            << r->title;
        auto along = [&](const LatticeDirection& d) {
            return double(d[0]) * axes[0] + double(d[1]) * axes[1] + double(d[2]) * axes[2];
        };
        for (const LatticeDirection& d : {r->aDirection, r->bDirection})
            EXPECT_EQ(dot(hkl, d), 0) << r->title;
        // The directions are smallest integers: a centred lattice's vector may be half of one.
        const Position a = along(r->aDirection);
        const Position b = along(r->bDirection);
        for (double ratio : {norm(a) / r->a, norm(b) / r->b})
            EXPECT_TRUE(std::fabs(ratio - 1.0) < 1e-9 || std::fabs(ratio - 2.0) < 1e-9) << r->title << " " << ratio;
        const double sinGamma = norm(cross(a, b)) / (norm(a) * norm(b));
        EXPECT_NEAR(r->a * r->b * sinGamma, r->area, 1e-9) << r->title;
        EXPECT_NEAR(std::acos(dot(a, b) / (norm(a) * norm(b))) * 180.0 / std::numbers::pi, r->gamma, 1e-9) << r->title;
    }
}

// The report names the cell that exported files, LEED indices and figures use (surfaceCell's),
// and the terminations of the same plane have it too: one choice, an angle of 90 degrees or more
// where the lattice leaves it (the rhombic cells of BCC (1 1 0), (4 2 1), FCC (5 3 1)).
TEST(Report, NamesTheOneCellOfThePlane)
{
    const std::pair<const char*, Miller> surfaces[] = {
        {"Fe", {1, 1, 0}}, {"W", {1, 1, 0}},  {"Fe", {4, 2, 1}},   {"Cu", {5, 3, 1}},   {"Cu", {1, 1, 1}},
        {"Cu", {1, 1, 0}}, {"Fe", {3, 1, 0}}, {"Cu", {7, 5, 5}},   {"Mg", {0, 0, 1}},   {"Mg", {1, 0, 1}},
        {"Mg", {1, 1, 0}}, {"W", {-2, 1, 4}}, {"GaAs", {1, 1, 1}}, {"GaAs", {1, 1, 0}}, {"Cu", {1, 3, -5}},
    };
    for (const auto& [name, hkl] : surfaces) {
        const Material& m = *findMaterial(name);
        const auto r = reportOf(name, hkl);
        const SurfaceCell cell = cellOf(name, hkl);
        ASSERT_TRUE(r);
        const auto axes = latticeVectors(m);
        for (const auto& [direction, v] : {std::pair{r->aDirection, cell.a}, std::pair{r->bDirection, cell.b}}) {
            const Position d =
                double(direction[0]) * axes[0] + double(direction[1]) * axes[1] + double(direction[2]) * axes[2];
            const auto& o = cell.orientation;
            const Position inCrystal{v.x * o[0].x + v.y * o[1].x, v.x * o[0].y + v.y * o[1].y,
                                     v.x * o[0].z + v.y * o[1].z};
            EXPECT_NEAR(dot(d, inCrystal), norm(d) * norm(inCrystal), 1e-9) << r->title;
        }
        const double gamma = std::acos(dot(cell.a, cell.b) / (norm(cell.a) * norm(cell.b))) * 180.0 / std::numbers::pi;
        EXPECT_NEAR(r->a, norm(cell.a), 1e-12) << r->title;
        EXPECT_NEAR(r->b, norm(cell.b), 1e-12) << r->title;
        EXPECT_NEAR(r->gamma, gamma, 1e-9) << r->title;
        if (std::fabs(r->a - r->b) < 1e-9 * r->b || std::fabs(norm(cell.b - cell.a) - r->b) < 1e-9 * r->b) {
            EXPECT_GE(r->gamma, 90.0 - 1e-9) << r->title;
        }

        const auto bulk = bulkOf(m);
        ASSERT_TRUE(bulk) << bulk.error().message;
        const auto symmetry = analyseSymmetry(*bulk);
        ASSERT_TRUE(symmetry) << symmetry.error().message;
        const auto terminations = bulkSurface(*bulk, *symmetry, hkl);
        ASSERT_TRUE(terminations) << terminations.error().message;
        EXPECT_NEAR(norm(terminations->a), r->a, 1e-9) << r->title;
        EXPECT_NEAR(norm(terminations->b), r->b, 1e-9) << r->title;
        EXPECT_NEAR(std::acos(dot(terminations->a, terminations->b) / (r->a * r->b)) * 180.0 / std::numbers::pi,
                    r->gamma, 1e-6)
            << r->title;
    }
}

TEST(Report, TextFitsTheWindowAndNoPlaneNoReport)
{
    std::istringstream text(formatReportText(*reportOf("Cu", {7, 5, 5})));
    std::string all;
    for (std::string line; std::getline(text, line); all += line + "\n")
        EXPECT_LE(line.size(), 50u) << line;
    EXPECT_NE(all.find("spacings (A)     0.3633 x 99\n"), std::string::npos) << all;
    EXPECT_NE(all.find("steps            6(1 1 1) x (1 0 0)\n"), std::string::npos) << all;
    const auto none = surfaceReport({*findMaterial("Cu"), {0, 0, 0}, Termination::None});
    ASSERT_FALSE(none);
    EXPECT_FALSE(none.error().message.empty());
}

// The bulk's side of the report: space group, terminations and their first spacings, by hand:
// HCP (1 0 -1 0) planes d = a sqrt3 / 2 apart in pairs d/3 and 2d/3; FCC (1 1 1) one plane a
// period a / sqrt3; zinc blende and diamond (1 1 1) pairs a sqrt3 / 12 and a sqrt3 / 4 apart.
TEST(Report, SpaceGroupTerminationsAndFirstSpacings)
{
    const double mg = findMaterial("Mg")->a, cu = findMaterial("Cu")->a, gaas = findMaterial("GaAs")->a,
                 si = findMaterial("Si")->a, fe = findMaterial("Fe")->a;
    constexpr auto A = Termination::A, B = Termination::B, None = Termination::None;
    constexpr auto S = SpacingLength::Short, L = SpacingLength::Long;
    constexpr std::optional<SpacingLength> Any;
    const double r12 = std::sqrt(48.0); // a / r12 = a sqrt3 / 12
    const struct {
        const char* material;
        Miller hkl;
        Termination termination;
        int number;
        std::vector<std::string> tops;
        std::vector<int> tasker; // 0: none
        std::vector<double> first;
        std::vector<std::optional<SpacingLength>> lengths;
        bool symmetric;
        std::optional<Termination> shortFirst;
    } rows[] = {
        {"Mg", {1, 0, 0}, A, 194, {"Mg", "Mg"}, {0, 0}, {mg / std::sqrt(12.0), mg / std::sqrt(3.0)}, {S, L}, true, B},
        {"Mg", {1, 0, 0}, B, 194, {"Mg", "Mg"}, {0, 0}, {mg / std::sqrt(12.0), mg / std::sqrt(3.0)}, {S, L}, true, B},
        {"Mg", {0, 0, 1}, A, 194, {"Mg"}, {0}, {findMaterial("Mg")->c / 2}, {Any}, true, std::nullopt},
        {"Cu", {1, 1, 1}, None, 225, {"Cu"}, {0}, {cu / std::sqrt(3.0)}, {Any}, true, std::nullopt},
        {"Fe", {1, 1, 0}, None, 229, {"Fe"}, {0}, {fe / std::sqrt(2.0)}, {Any}, true, std::nullopt},
        // Zinc blende and diamond (1 1 1): pairs of planes d = a sqrt3 / 12 and 3 d apart.
        {"GaAs", {1, 1, 1}, B, 216, {"As", "Ga"}, {3, 3}, {3 * gaas / r12, gaas / r12}, {L, S}, false, A},
        {"GaAs", {1, 0, 0}, A, 216, {"As", "Ga"}, {3, 3}, {gaas / 4, gaas / 4}, {Any, Any}, true, std::nullopt},
        {"Si", {1, 1, 1}, A, 227, {"Si", "Si"}, {0, 0}, {si / r12, 3 * si / r12}, {S, L}, true, A},
    };
    for (const auto& row : rows) {
        const auto r = surfaceReport({*findMaterial(row.material), row.hkl, row.termination});
        ASSERT_TRUE(r);
        SCOPED_TRACE(r->title);
        EXPECT_EQ(r->bulk.spaceGroupNumber, row.number);
        EXPECT_EQ(r->bulk.conventionalHkl, std::nullopt);
        EXPECT_EQ(r->bulk.symmetricPossible, row.symmetric);
        EXPECT_EQ(r->shortFirstSpacing, row.shortFirst);
        ASSERT_EQ(r->bulk.terminations.size(), row.tops.size());
        for (std::size_t t = 0; t < row.tops.size(); ++t) {
            const ReportTermination& term = r->bulk.terminations[t];
            EXPECT_EQ(term.index, int(t + 1));
            EXPECT_EQ(term.top, (std::map<std::string, int>{{row.tops[t], 1}})) << t;
            EXPECT_EQ(term.tasker.value_or(0), row.tasker[t]) << t;
            EXPECT_NEAR(term.firstSpacing.spacing, row.first[t], 1e-9) << t;
            EXPECT_EQ(term.firstSpacing.length, row.lengths[t]) << t;
        }
        // The drawn termination named short has the report's own first spacing the short one.
        if (r->shortFirstSpacing) {
            EXPECT_EQ(*r->shortFirstSpacing == row.termination,
                      r->planeSpacings.front() < r->planeSpacings[1 % r->planeSpacings.size()]);
        }
    }

    // The text: the new lines beside the old ones, within the window's columns.
    const auto mg1010 = surfaceReport({*findMaterial("Mg"), {1, 0, 0}, A});
    const std::string text = formatReportText(*mg1010);
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        EXPECT_LE(line.size(), 50u) << line;
    EXPECT_NE(text.find("  reduced        (1 0 -1 0)\nspace group      P6_3/mmc (194)\n2D cell"), std::string::npos)
        << text;
    EXPECT_NE(text.find("steps            none\nterminations     2, symmetric slabs possible\n"
                        "  1              top Mg, no Tasker type\n"
                        "                 first spacing 0.9265 A (short)\n"
                        "  2              top Mg, no Tasker type\n"
                        "                 first spacing 1.8529 A (long)\n"
                        "  short first    termination B\n"),
              std::string::npos)
        << text;
    EXPECT_NE(
        formatReportJson(*mg1010).find(
            "\"steps\": null, \"space_group\": {\"symbol\": \"P6_3/mmc\", \"number\": 194}, "
            "\"conventional_hkl\": null, \"terminations\": [{\"index\": 1, \"top\": {\"Mg\": 1}, \"tasker\": null, "
            "\"first_spacing\": 0.92647397696"),
        std::string::npos);
    EXPECT_NE(formatReportJson(*mg1010).find("\"first_spacing_length\": \"long\", \"symmetric_possible\": true}], "
                                             "\"short_first_spacing\": \"B\", \"sites\": ["),
              std::string::npos);

    // Planes so close that every atom joins one plane: the report stands, without terminations.
    const auto dense = surfaceReport({*findMaterial("Cu"), {100, 99, 98}, None});
    ASSERT_TRUE(dense);
    EXPECT_EQ(dense->bulk.spaceGroupNumber, 225);
    EXPECT_TRUE(dense->bulk.terminations.empty());
    EXPECT_FALSE(dense->bulk.note.empty());
    EXPECT_NE(formatReportText(*dense).find("\nterminations     not known: "), std::string::npos);
    EXPECT_NE(formatReportJson(*dense).find("\"terminations\": null"), std::string::npos);
}

// The plane in the standard conventional cell, for a crystal given in another cell: an FCC
// primitive cell's (1 0 0) is the cube's (-1 1 1); over many planes of the primitive FCC and
// rhombohedral corundum cells, the conventional indices name the same outward normal.
TEST(Report, ConventionalIndicesOfOtherSettings)
{
    const double a = findMaterial("Cu")->a;
    const auto fcc =
        makeBulk("Cu primitive", {Position{0, a / 2, a / 2}, Position{a / 2, 0, a / 2}, Position{a / 2, a / 2, 0}},
                 {{"Cu", {0, 0, 0}, std::nullopt}});
    ASSERT_TRUE(fcc);
    EXPECT_EQ(bulkPlaneReport(*fcc, Miller{{1, 0, 0}}).conventionalHkl, (Miller{{-1, 1, 1}}));
    EXPECT_EQ(bulkPlaneReport(*fcc, Miller{{1, 1, 1}}).conventionalHkl, std::nullopt); // (1 1 1) either way
    EXPECT_EQ(bulkPlaneReport(*fcc, Miller{{2, 0, 0}}).conventionalHkl, (Miller{{-1, 1, 1}}));
    EXPECT_EQ(bulkPlaneReport(*bulkOf(*findMaterial("Cu")), Miller{{2, 2, 0}}).conventionalHkl, std::nullopt);

    const auto corundum = analyseSymmetry(*bulkOf(*findCompound("Al2O3")));
    ASSERT_TRUE(corundum);
    for (const BulkCrystal& bulk : {*fcc, corundum->primitive}) {
        const auto conventional = analyseSymmetry(bulk);
        ASSERT_TRUE(conventional);
        const auto given = reciprocalBasis(bulk.cell);
        const auto standard = reciprocalBasis(conventional->conventional.cell);
        for (const Miller& hkl : {Miller{{1, 0, 0}}, Miller{{0, 1, 0}}, Miller{{1, 1, 0}}, Miller{{1, -1, 2}},
                                  Miller{{2, 1, 1}}, Miller{{-3, 1, 2}}}) {
            const BulkPlaneReport r = bulkPlaneReport(bulk, hkl);
            const Miller c = r.conventionalHkl.value_or(hkl);
            auto normal = [](const auto& basis, const Miller& m) {
                return unit(double(m[0]) * basis[0] + double(m[1]) * basis[1] + double(m[2]) * basis[2]);
            };
            EXPECT_NEAR(dot(normal(given, hkl), normal(standard, c)), 1.0, 1e-9)
                << bulk.name << " " << hkl[0] << hkl[1] << hkl[2];
            EXPECT_EQ(r.spaceGroupNumber, conventional->number);
        }
    }
}

} // namespace
