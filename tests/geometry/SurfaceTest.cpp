#include "geometry/Surface.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace geometry;

namespace {

using Row = std::array<float, 3>;

void expectRow(const Row& actual, const Row& expected, const char* what)
{
    for (int j = 0; j < 3; ++j)
        EXPECT_NEAR(actual[j], expected[j], 2e-7f) << what << " component " << j;
}

SurfaceFrame frameOf(LatticeCode code, int16_t h, int16_t k, int16_t l)
{
    LatticeDefinition lattice;
    selectLattice(code, lattice);
    return orientSurface({h, k, l}, lattice);
}

} // namespace

TEST(Surface, WorkedCubicFrames)
{
    const float r = 0.7071068f;
    struct Case {
        MillerIndices m;
        Row e1, e2, e3;
    } cases[] = {
        {{1, 0, 0}, {0, 0, -1}, {0, 1, 0}, {1, 0, 0}},
        {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
        {{1, 1, 0}, {0, 0, -1}, {-r, r, 0}, {r, r, 0}},
        {{1, 1, 1}, {0.4082483f, 0.4082483f, -0.8164966f}, {-r, r, 0}, {0.5773503f, 0.5773503f, 0.5773503f}},
    };
    LatticeDefinition fcc;
    selectLattice(LatticeCode::Fcc, fcc);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.m.h << c.m.k << c.m.l);
        const SurfaceFrame f = orientSurface(c.m, fcc);
        EXPECT_TRUE(f.planeDefined);
        expectRow(f.rows[0], c.e1, "e1");
        expectRow(f.rows[1], c.e2, "e2");
        expectRow(f.rows[2], c.e3, "e3");
    }
}

TEST(Surface, OppositeFaceAndHexagonalBasalPlane)
{
    const SurfaceFrame neg = frameOf(LatticeCode::Fcc, -1, -1, -1);
    expectRow(neg.rows[2], {-0.5773503f, -0.5773503f, -0.5773503f}, "e3 of (-1 -1 -1)");

    // HCP (0 0 1): the normal is the c axis and the frame is the identity.
    const SurfaceFrame hcp = frameOf(LatticeCode::HcpA, 0, 0, 1);
    expectRow(hcp.rows[0], {1, 0, 0}, "e1");
    expectRow(hcp.rows[1], {0, 1, 0}, "e2");
    expectRow(hcp.rows[2], {0, 0, 1}, "e3");
}

TEST(Surface, FramesAreOrthonormalAndRightHanded)
{
    const MillerIndices planes[] = {{1, 2, 3}, {-3, 1, 2}, {2, 0, -1}, {0, 5, 3}, {7, -7, 0}, {1, 0, 1}};
    for (LatticeCode code : {LatticeCode::Bcc, LatticeCode::Fcc, LatticeCode::HcpA}) {
        for (const auto& m : planes) {
            LatticeDefinition lattice;
            selectLattice(code, lattice);
            const SurfaceFrame f = orientSurface(m, lattice);
            const auto& e = f.rows;
            auto dot = [](const Row& a, const Row& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; };
            for (int i = 0; i < 3; ++i)
                for (int j = 0; j < 3; ++j)
                    EXPECT_NEAR(dot(e[i], e[j]), i == j ? 1.0f : 0.0f, 2e-6f);
            // e1 = e2 x e3.
            EXPECT_NEAR(e[0][0], e[1][1] * e[2][2] - e[1][2] * e[2][1], 2e-6f);
            EXPECT_NEAR(e[0][2], e[1][0] * e[2][1] - e[1][1] * e[2][0], 2e-6f);
            EXPECT_EQ(e[1][2], 0.0f) << "e2 lies in the x-y plane";
        }
    }
}

TEST(Surface, NormalIsPerpendicularToLatticeDirectionsInThePlane)
{
    // For HCP (1 1 0) the vectors a1 - a2 and a3 lie in the plane.
    LatticeDefinition l;
    selectLattice(LatticeCode::HcpB, l);
    const SurfaceFrame f = orientSurface({1, -1, 0}, l);
    const auto& a = l.latticeVectors;
    const Row inPlane1 = {a[0][0] + a[1][0], a[0][1] + a[1][1], a[0][2] + a[1][2]};
    const auto& n = f.rows[2];
    EXPECT_NEAR(n[0] * inPlane1[0] + n[1] * inPlane1[1] + n[2] * inPlane1[2], 0.0f, 1e-6f);
    EXPECT_NEAR(n[0] * a[2][0] + n[1] * a[2][1] + n[2] * a[2][2], 0.0f, 1e-6f);
}

TEST(Surface, ZeroIndicesGiveIdentityAndNoPlane)
{
    const SurfaceFrame f = frameOf(LatticeCode::Fcc, 0, 0, 0);
    EXPECT_FALSE(f.planeDefined);
    EXPECT_EQ(f.rows, SurfaceFrame{}.rows);
}

TEST(Surface, HugeIndicesGiveFiniteUnwrappedFrames)
{
    const MillerIndices planes[] = {{32767, 32767, 32767}, {-32767, 32767, 1}, {32767, 0, 0},
                                    {300, 300, 1},         {0, 32767, -32767}, {-32768, -32768, -32768}};
    for (LatticeCode code : {LatticeCode::Fcc, LatticeCode::HcpA}) {
        for (const auto& m : planes) {
            const SurfaceFrame f = frameOf(code, m.h, m.k, m.l);
            EXPECT_TRUE(f.planeDefined);
            for (const auto& row : f.rows)
                for (float x : row)
                    EXPECT_TRUE(std::isfinite(x));
        }
    }
    // (300 300 1) on a cube: products reach 90000, which 16 bits would wrap. The true normal
    // is (300, 300, 1) normalised.
    const SurfaceFrame f = frameOf(LatticeCode::Fcc, 300, 300, 1);
    const float len = std::sqrt(300.0f * 300.0f * 2.0f + 1.0f);
    expectRow(f.rows[2], {300.0f / len, 300.0f / len, 1.0f / len}, "e3 of (300 300 1)");
    const SurfaceFrame g = frameOf(LatticeCode::Fcc, 32767, 32767, 32767);
    expectRow(g.rows[2], {0.5773503f, 0.5773503f, 0.5773503f}, "e3 of (32767 32767 32767)");
}
