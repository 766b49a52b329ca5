#include "crystal/StepNotation.h"

#include <gtest/gtest.h>

namespace {

using crystal::Index3;
using crystal::LatticeKind;

TEST(StepNotation, VicinalsOfLowIndexTerraces)
{
    // Hand-counted rows: on (7 5 5) the terrace holds the edge row, four terrace rows and the
    // row in the inner corner; the families n(111)x(100) = (n+1 n-1 n-1),
    // n(111)x(111) = (n n n-2), n(100)x(111) = (2n-1 1 1), n(100)x(110) = (n 1 0).
    struct Row {
        LatticeKind lattice;
        Index3 hkl;
        const char* expected;
    };
    const Row rows[] = {
        {LatticeKind::Fcc, {7, 5, 5}, "6(1 1 1) x (1 0 0)"},
        {LatticeKind::Fcc, {9, 9, 7}, "9(1 1 1) x (1 1 -1)"},
        {LatticeKind::Fcc, {5, 3, 3}, "4(1 1 1) x (1 0 0)"},
        {LatticeKind::Fcc, {2, 1, 1}, "3(1 1 1) x (1 0 0)"},
        {LatticeKind::Fcc, {3, 3, 1}, "3(1 1 1) x (1 1 -1)"},
        {LatticeKind::Fcc, {2, 2, 1}, "4(1 1 1) x (1 1 -1)"},
        // (3 1 1) is both 2(111)x(100) and 2(100)x(111): the nearer terrace, (100), is named.
        {LatticeKind::Fcc, {1, 1, 3}, "2(0 0 1) x (1 1 1)"},
        {LatticeKind::Fcc, {5, 1, 1}, "3(1 0 0) x (1 1 1)"},
        {LatticeKind::Fcc, {1, 1, 19}, "10(0 0 1) x (1 1 1)"},
        {LatticeKind::Fcc, {4, 1, 0}, "4(1 0 0) x (1 1 0)"},
        {LatticeKind::Fcc, {14, 10, 10}, "6(1 1 1) x (1 0 0)"},
        {LatticeKind::Fcc, {-7, -5, -5}, "6(-1 -1 -1) x (-1 0 0)"},
        {LatticeKind::Fcc, {10, 8, 7}, "7(1 1 1) x (3 1 0)"},
        // BCC: terrace width d / tan(theta) over the row spacing, 3 on (1 1 0) rows a / sqrt 2
        // apart for (2 1 0), 1.5 rounded up on (1 0 0) rows a apart for (3 1 0).
        {LatticeKind::Bcc, {2, 1, 0}, "3(1 1 0) x (1 0 0)"},
        {LatticeKind::Bcc, {3, 1, 0}, "2(1 0 0) x (1 1 0)"},
        {LatticeKind::Bcc, {3, 3, 2}, "3(1 1 0) x (1 1 2)"},
    };
    for (const Row& row : rows) {
        const auto steps = crystal::stepNotation(row.lattice, row.hkl);
        ASSERT_TRUE(steps.has_value()) << row.expected;
        EXPECT_EQ(crystal::formatStepNotation(*steps), row.expected);
        EXPECT_EQ(steps->kinked, (row.hkl == Index3{10, 8, 7})) << row.expected;
    }
}

TEST(StepNotation, NoneForFlatPlanesOtherLatticesAndUnusualSteps)
{
    const std::pair<LatticeKind, Index3> none[] = {
        {LatticeKind::Fcc, {1, 1, 1}}, {LatticeKind::Fcc, {0, 0, 2}},  {LatticeKind::Fcc, {1, -1, 0}},
        {LatticeKind::Fcc, {0, 0, 0}}, {LatticeKind::Bcc, {1, 1, 0}},  {LatticeKind::Bcc, {1, 0, 0}},
        {LatticeKind::Bcc, {2, 1, 1}}, {LatticeKind::Hcp, {7, 5, 5}},  {LatticeKind::ZincBlende, {7, 5, 5}},
        // Double-height steps: (5 5 1) lies between (1 1 1) terraces two planes apart.
        {LatticeKind::Fcc, {5, 5, 1}},
    };
    for (const auto& [lattice, hkl] : none)
        EXPECT_FALSE(crystal::stepNotation(lattice, hkl).has_value()) << hkl[0] << hkl[1] << hkl[2];
}

} // namespace
