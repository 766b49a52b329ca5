#include "crystal/Report.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <numeric>
#include <sstream>

namespace {

using namespace crystal;

std::optional<SurfaceReport> reportOf(const char* material, Index3 hkl, Termination term = Termination::None)
{
    const Material& m = *findMaterial(material);
    if (term == Termination::None && (m.lattice == LatticeKind::Hcp || m.lattice == LatticeKind::ZincBlende))
        term = Termination::A;
    std::string error;
    auto r = surfaceReport({m, hkl, term}, error);
    EXPECT_TRUE(r.has_value()) << error;
    return r;
}

TEST(Report, LowIndexSurfacesByHand)
{
    const double cu = findMaterial("Cu")->a;
    const double fe = findMaterial("Fe")->a;
    const double mgA = findMaterial("Mg")->a;
    const double mgC = findMaterial("Mg")->c;
    struct Row {
        const char* material;
        Index3 hkl;
        Lattice2D type;
        double a, b, gamma, spacing;
        int planes;
        std::vector<int> top3;
    };
    const Row rows[] = {
        {"Cu", {1, 1, 1}, Lattice2D::Hexagonal, cu / std::sqrt(2.0), cu / std::sqrt(2.0), 120.0, cu / std::sqrt(3.0), 3, {9, 12, 12}},
        {"Cu", {1, 0, 0}, Lattice2D::Square, cu / std::sqrt(2.0), cu / std::sqrt(2.0), 90.0, cu / 2.0, 2, {8, 12, 12}},
        {"Cu", {1, 1, 0}, Lattice2D::Rectangular, cu / std::sqrt(2.0), cu, 90.0, cu / std::sqrt(8.0), 2, {7, 11, 12}},
        {"Fe", {1, 1, 0}, Lattice2D::CentredRectangular, fe * std::sqrt(3.0) / 2.0, fe * std::sqrt(3.0) / 2.0,
         std::acos(1.0 / 3.0) * 180.0 / std::numbers::pi, fe / std::sqrt(2.0), 2, {6, 8, 8}},
        {"Fe", {1, 0, 0}, Lattice2D::Square, fe, fe, 90.0, fe / 2.0, 2, {4, 8, 8}},
        {"Mg", {0, 0, 1}, Lattice2D::Hexagonal, mgA, mgA, 120.0, mgC / 2.0, 2, {9, 12, 12}},
    };
    for (const Row& row : rows) {
        const auto r = reportOf(row.material, row.hkl);
        ASSERT_TRUE(r);
        EXPECT_EQ(r->type, row.type) << r->title;
        EXPECT_NEAR(r->a, row.a, 1e-9) << r->title;
        EXPECT_NEAR(r->b, row.b, 1e-9) << r->title;
        EXPECT_NEAR(r->gamma, row.gamma, 1e-6) << r->title;
        EXPECT_EQ(r->planesPerPeriod, row.planes) << r->title;
        for (double s : r->planeSpacings)
            EXPECT_NEAR(s, row.spacing, 1e-9) << r->title;
        ASSERT_EQ(r->exposed.size(), 3u);
        for (int p = 0; p < 3; ++p)
            EXPECT_EQ(r->exposed[std::size_t(p)].counts, (std::vector<CoordinationCount>{{row.top3[std::size_t(p)], 1}}))
                << r->title << " plane " << p + 1;
        EXPECT_FALSE(r->steps) << r->title;
    }
    EXPECT_NEAR(reportOf("Fe", {1, 1, 0})->gamma, 70.53, 0.005);
    const auto vicinal = reportOf("Cu", {7, 5, 5});
    ASSERT_TRUE(vicinal && vicinal->steps);
    EXPECT_EQ(formatStepNotation(*vicinal->steps), "6(1 1 1) x (1 0 0)");
    const auto prism = reportOf("Mg", {1, 1, 0});
    EXPECT_EQ(prism->hkil, (std::array<int64_t, 4>{1, 1, -2, 0}));
}

// Over many planes: the cell holds the bulk density (atoms of one period over its volume),
// the spacings add up to the period, a and b are lattice vectors of the plane with the
// lengths, angle and area reported, and the top plane is the plane atoms/nm^2 counts.
TEST(Report, PropertiesOverManyPlanes)
{
    const std::pair<const char*, Index3> surfaces[] = {
        {"Cu", {1, 1, 1}}, {"Cu", {7, 5, 5}},  {"Cu", {2, -1, 3}}, {"Cu", {4, 1, 0}},   {"Fe", {1, 1, 0}},
        {"Fe", {1, 1, 1}}, {"Fe", {3, 2, 1}},  {"Mg", {1, 0, 0}},  {"Mg", {1, 0, 1}},   {"Mg", {1, 1, 0}},
        {"Mg", {2, -1, 3}}, {"GaAs", {1, 1, 1}}, {"GaAs", {1, 1, 0}}, {"GaAs", {3, 1, 1}}, {"GaAs", {-2, 1, 5}},
    };
    for (const auto& [name, hkl] : surfaces) {
        const Material& m = *findMaterial(name);
        const auto r = reportOf(name, hkl);
        ASSERT_TRUE(r);
        const auto axes = latticeVectors(m);
        const double volume = std::fabs(dot(axes[0], cross(axes[1], axes[2])));
        const double atomsPerCell = m.lattice == LatticeKind::Bcc ? 2.0 : m.lattice == LatticeKind::Hcp ? 2.0
                                    : m.lattice == LatticeKind::Fcc ? 4.0 : 8.0;
        EXPECT_NEAR(r->atomsPerPlane * r->planesPerPeriod / (r->area * r->periodHeight), atomsPerCell / volume, 1e-9)
            << r->title;
        EXPECT_NEAR(r->atomsPerNm2 * r->area / 100.0, r->atomsPerPlane, 1e-9) << r->title;
        EXPECT_EQ(int(r->planeSpacings.size()), r->planesPerPeriod) << r->title;
        EXPECT_NEAR(std::accumulate(r->planeSpacings.begin(), r->planeSpacings.end(), 0.0), r->periodHeight, 1e-9)
            << r->title;
        auto along = [&](const Index3& d) {
            return double(d[0]) * axes[0] + double(d[1]) * axes[1] + double(d[2]) * axes[2];
        };
        for (const Index3& d : {r->aDirection, r->bDirection})
            EXPECT_EQ(d[0] * hkl[0] + d[1] * hkl[1] + d[2] * hkl[2], 0) << r->title;
        // The directions are smallest integers: a centred lattice's vector may be half of one.
        const Vec3 a = along(r->aDirection);
        const Vec3 b = along(r->bDirection);
        for (double ratio : {norm(a) / r->a, norm(b) / r->b})
            EXPECT_TRUE(std::fabs(ratio - 1.0) < 1e-9 || std::fabs(ratio - 2.0) < 1e-9) << r->title << " " << ratio;
        EXPECT_LE(r->a, r->b + 1e-12) << r->title;
        const double sinGamma = norm(cross(a, b)) / (norm(a) * norm(b));
        EXPECT_NEAR(r->a * r->b * sinGamma, r->area, 1e-9) << r->title;
        EXPECT_NEAR(std::acos(dot(a, b) / (norm(a) * norm(b))) * 180.0 / std::numbers::pi, r->gamma, 1e-9) << r->title;
        EXPECT_EQ(r->reduced, r->hkl) << r->title;  // all these indices are coprime
    }
}

TEST(Report, TextFitsTheWindowAndJsonHasTheKeys)
{
    const auto r = reportOf("Cu", {7, 5, 5});
    ASSERT_TRUE(r);
    const std::string text = formatReportText(*r);
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        EXPECT_LE(line.size(), 50u) << line;
    EXPECT_NE(text.find("0.3633 x 99"), std::string::npos) << text;
    EXPECT_NE(text.find("6(1 1 1) x (1 0 0)"), std::string::npos) << text;

    const std::string json = formatReportJson(*reportOf("Fe", {1, 0, 0}));
    EXPECT_EQ(json, "{\"cell\": {\"a\": 2.8665, \"b\": 2.8665, \"gamma\": 90, \"area\": 8.21682225, "
                    "\"a_direction\": [0, 1, 0], \"b_direction\": [0, 0, 1], \"type\": \"square\"}, "
                    "\"plane_spacings\": [1.43325, 1.43325], \"planes_per_period\": 2, "
                    "\"atoms_per_nm2\": 12.170154952542633, \"exposed\": [{\"plane\": 1, \"coordination\": {\"4\": 1}}, "
                    "{\"plane\": 2, \"coordination\": {\"8\": 1}}, {\"plane\": 3, \"coordination\": {\"8\": 1}}], "
                    "\"steps\": null}\n");
}

TEST(Report, NoPlaneNoReport)
{
    std::string error;
    EXPECT_FALSE(surfaceReport({*findMaterial("Cu"), {0, 0, 0}, Termination::None}, error));
    EXPECT_FALSE(error.empty());
}

} // namespace
