#include "geometry/Lattice.h"

#include <gtest/gtest.h>

using namespace geometry;

TEST(Lattice, CatalogueRows)
{
    LatticeDefinition l;
    selectLattice(LatticeCode::Fcc, l);
    EXPECT_EQ(l.displayScale, 1.4142135f);
    EXPECT_EQ(l.basisCount, 4);
    EXPECT_EQ(l.depthHigh, 0.1f);
    EXPECT_EQ(l.depthLow, -50.0f);

    selectLattice(LatticeCode::Bcc, l);
    EXPECT_EQ(l.latticeVectors[0][0], 0.8159999847f);
    EXPECT_EQ(l.latticeVectors[1][1], 0.816f);
    EXPECT_EQ(l.latticeVectors[0][1], 0.0f);
    EXPECT_EQ(l.displayScale, 1.4f);
    EXPECT_EQ(l.depthLow, -52.0f);
    EXPECT_EQ(l.depthHigh, 1.0f);
    EXPECT_EQ(l.basisCount, 2);
    EXPECT_EQ(l.basis[1], (std::array<float, 3>{0.5f, 0.5f, 0.5f}));
}

TEST(Lattice, ZincBlendeSecondSpecies)
{
    LatticeDefinition l;
    selectLattice(LatticeCode::ZincBlendeA, l);
    EXPECT_EQ(l.basisCount, 8);
    EXPECT_EQ(l.displayScale, 2.0f);
    EXPECT_EQ(l.depthHigh, 1.0f);
    EXPECT_EQ(l.basis[4], (std::array<float, 3>{0.25f, 0.25f, 0.25f}));
    EXPECT_EQ(l.basis[5], (std::array<float, 3>{0.25f, 0.75f, 0.75f}));
    EXPECT_EQ(l.basis[6], (std::array<float, 3>{0.75f, 0.25f, 0.75f}));
    EXPECT_EQ(l.basis[7], (std::array<float, 3>{0.75f, 0.75f, 0.25f}));

    LatticeDefinition b;
    selectLattice(LatticeCode::ZincBlendeB, b);
    EXPECT_EQ(b.depthHigh, -1.0f);
    EXPECT_EQ(b.latticeVectors, l.latticeVectors);
    EXPECT_EQ(b.basis, l.basis);
}

TEST(Lattice, TerminationsDifferOnlyInDepthHigh)
{
    LatticeDefinition a, b;
    selectLattice(LatticeCode::HcpA, a);
    selectLattice(LatticeCode::HcpB, b);
    EXPECT_EQ(a.latticeVectors, b.latticeVectors);
    EXPECT_EQ(a.basis, b.basis);
    EXPECT_EQ(a.displayScale, 1.0f);
    EXPECT_EQ(a.depthLow, b.depthLow);
    EXPECT_EQ(a.depthHigh, -1.0f);
    EXPECT_EQ(b.depthHigh, 1.0f);
    // The second HCP atom uses the floats of the decimals, not the nearest floats to 2/3, 1/3.
    EXPECT_EQ(a.basis[1][0], 0.666667f);
    EXPECT_NE(a.basis[1][0], 2.0f / 3.0f);
    EXPECT_EQ(a.basis[1][1], 0.3333333f);
    EXPECT_EQ(a.latticeVectors[2][2], 1.6329932f);
}

TEST(Lattice, SwitchingKeepsStaleBasisUnread)
{
    LatticeDefinition l;
    selectLattice(LatticeCode::ZincBlendeA, l);
    selectLattice(LatticeCode::Bcc, l);
    EXPECT_EQ(l.basisCount, 2);
    EXPECT_EQ(l.basis[7], (std::array<float, 3>{0.75f, 0.75f, 0.25f}));
}

TEST(Lattice, CodesAndNames)
{
    EXPECT_EQ(latticeCodeFor(LatticeKind::Hcp, Termination::B), LatticeCode::HcpB);
    EXPECT_EQ(latticeCodeFor(LatticeKind::ZincBlende, Termination::A), LatticeCode::ZincBlendeA);
    EXPECT_EQ(latticeCodeFor(LatticeKind::Fcc, Termination::None), LatticeCode::Fcc);
    EXPECT_FALSE(latticeCodeFor(LatticeKind::Fcc, Termination::A));
    EXPECT_FALSE(latticeCodeFor(LatticeKind::Hcp, Termination::None));
    EXPECT_EQ(parseLatticeName("zincblende"), LatticeKind::ZincBlende);
    EXPECT_FALSE(parseLatticeName("FCC"));
    EXPECT_EQ(latticeKind(LatticeCode::ZincBlendeB), LatticeKind::ZincBlende);
    EXPECT_EQ(termination(LatticeCode::HcpA), Termination::A);
}
