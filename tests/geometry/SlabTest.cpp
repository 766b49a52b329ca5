#include "geometry/Slab.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

using namespace geometry;

namespace {

struct CountingProgress final : ProgressOutput {
    int dots = 0;
    int clears = 0;
    void writeText(std::string_view text) override { dots += int(text.size()); }
    void clearWindow() override { ++clears; }
};

struct Slab {
    LatticeDefinition lattice;
    SurfaceFrame frame;
    AtomTable atoms;
    int dots = 0;
};

// A static table: the atom table is large, so tests share one instance like the program.
Slab& slabOf(LatticeCode code, MillerIndices m)
{
    static Slab slab;
    selectLattice(code, slab.lattice);
    slab.frame = orientSurface(m, slab.lattice);
    CountingProgress progress;
    fillSlab(code, slab.lattice, slab.frame, slab.atoms, progress);
    slab.dots = progress.dots;
    return slab;
}

// Atom counts per layer, keyed by depth in drawing units (w3) rounded to a thousandth.
std::map<long, int> layers(const Slab& s)
{
    std::map<long, int> out;
    for (int k = 1; k <= s.atoms.count; ++k)
        ++out[std::lround(s.atoms.frameZ[k] / s.lattice.displayScale * 1000.0f)];
    return out;
}

} // namespace

TEST(Slab, WorkedCountsAndLayers)
{
    struct Case {
        LatticeCode code;
        MillerIndices m;
        int count;
        std::map<long, int> layers;
    } cases[] = {
        {LatticeCode::Fcc, {1, 0, 0}, 3528, {{0, 882}, {-16000, 882}, {-32000, 882}, {-48000, 882}}},
        {LatticeCode::Bcc, {1, 0, 0}, 1764, {{0, 441}, {-13056, 441}, {-26112, 441}, {-39168, 441}}},
        {LatticeCode::HcpA, {0, 0, 1}, 676, {{-26128, 676}}},
        {LatticeCode::HcpB, {0, 0, 1}, 1352, {{0, 676}, {-26128, 676}}},
        {LatticeCode::Fcc, {1, 1, 1}, 3691, {{0, 1267}, {-18475, 1233}, {-36950, 1191}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "code " << int(c.code) << " (" << c.m.h << c.m.k << c.m.l << ")");
        const Slab& s = slabOf(c.code, c.m);
        EXPECT_EQ(s.atoms.count, c.count);
        EXPECT_EQ(layers(s), c.layers);
    }
}

TEST(Slab, ZincBlendeLayersAlternateSpecies)
{
    const Slab& a = slabOf(LatticeCode::ZincBlendeA, {0, 0, 1});
    EXPECT_EQ(a.atoms.count, 9464);
    const auto l = layers(a);
    ASSERT_EQ(l.size(), 7u);
    for (const auto& [depth, n] : l)
        EXPECT_EQ(n, 1352) << depth;
    for (int k = 1; k <= a.atoms.count; ++k) {
        const long layer = -std::lround(a.atoms.frameZ[k] / a.lattice.displayScale / 8.0f);
        ASSERT_EQ(a.atoms.species[k], layer % 2) << "atom " << k;
    }
    EXPECT_EQ(slabOf(LatticeCode::ZincBlendeB, {0, 0, 1}).atoms.count, 8112);
}

TEST(Slab, TableCapStopsGenerationAndDots)
{
    const Slab& s = slabOf(LatticeCode::ZincBlendeA, {1, 1, 1});
    EXPECT_EQ(s.atoms.count, AtomTable::Capacity);
    EXPECT_LT(s.dots, 26 * 26) << "the dots of the rows not reached are not written";
    EXPECT_GT(s.dots, 0);
    // Generation order: by cell and basis, so the identity drawing order.
    for (int k = 1; k <= s.atoms.count; ++k)
        ASSERT_EQ(s.atoms.drawOrder[k], k);
}

TEST(Slab, DotsAndViewCopies)
{
    const Slab& s = slabOf(LatticeCode::Fcc, {1, 0, 0});
    EXPECT_EQ(s.dots, 21 * 21);
    for (int k = 1; k <= s.atoms.count; ++k) {
        ASSERT_EQ(s.atoms.viewX[k], s.atoms.frameX[k]);
        ASSERT_EQ(s.atoms.viewY[k], s.atoms.frameY[k]);
        ASSERT_EQ(s.atoms.viewZ[k], s.atoms.frameZ[k]);
        ASSERT_EQ(s.atoms.species[k], 0);
    }
    EXPECT_EQ(slabOf(LatticeCode::HcpA, {0, 0, 1}).dots, 26 * 26);
}

TEST(Slab, DepthWindowIsExclusive)
{
    // FCC (1 0 0) puts whole layers at depths 0, -16, -32, -48: move the window onto them.
    static Slab s;
    selectLattice(LatticeCode::Fcc, s.lattice);
    s.frame = orientSurface({1, 0, 0}, s.lattice);
    s.lattice.depthHigh = 0.0f;
    s.lattice.depthLow = -48.0f;
    NoProgress none;
    fillSlab(LatticeCode::Fcc, s.lattice, s.frame, s.atoms, none);
    EXPECT_EQ(s.atoms.count, 2 * 882);
}

TEST(Slab, ZeroIndicesKeepNoAtom)
{
    const Slab& s = slabOf(LatticeCode::Fcc, {0, 0, 0});
    EXPECT_EQ(s.atoms.count, 0);
}

TEST(Slab, HugeIndicesStayWithinTheTable)
{
    for (MillerIndices m : {MillerIndices{32767, 32767, 32767}, MillerIndices{-32767, 1, 32767}}) {
        const Slab& s = slabOf(LatticeCode::HcpB, m);
        EXPECT_GE(s.atoms.count, 0);
        EXPECT_LE(s.atoms.count, AtomTable::Capacity);
        for (int k = 1; k <= s.atoms.count; ++k)
            ASSERT_TRUE(std::isfinite(s.atoms.frameX[k]) && std::isfinite(s.atoms.frameZ[k]));
    }
}
