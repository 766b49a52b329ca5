// The value types of the real crystals: the operations the rest of crystal/ builds on. That a
// position and a reciprocal vector, or a plane and a direction, do not mix is checked by the
// compiler, not here.

#include "crystal/SurfaceCell.h"
#include "crystal/Vectors.h"

#include <gtest/gtest.h>

namespace crystal {
namespace {

TEST(Vectors, ReciprocalBasisCrossProductAndDirections)
{
    // An HCP basis (120 degrees in the plane) and a skewed left-handed one: a_i . b_j = delta_ij.
    const std::array<Position, 3> bases[] = {
        latticeVectors(*findMaterial("Mg")),
        {{{2.0, 0.0, 0.0}, {0.5, 3.0, 0.0}, {0.3, 0.2, -1.5}}},
    };
    for (const auto& a : bases) {
        const auto b = reciprocalBasis(a);
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                EXPECT_NEAR(dot(a[i], b[j]), i == j ? 1.0 : 0.0, 1e-12) << i << " " << j;
    }
    // Right-handed: x cross y is z, for displacements (an area) and for directions.
    EXPECT_EQ(cross(Position{2, 0, 0}, Position{0, 3, 0}), (AreaVector{0, 0, 6}));
    EXPECT_EQ(cross(UnitVector{0, 1, 0}, UnitVector{0, 0, 1}), (UnitVector{1, 0, 0}));
    const UnitVector n = unit(ReciprocalVector{3, 0, -4});
    EXPECT_NEAR(n.x, 0.6, 1e-15);
    EXPECT_NEAR(n.z, -0.8, 1e-15);
    // The zone law: [1 -1 0] lies in (1 1 1); [1 1 1] crosses (1 2 3) six times.
    EXPECT_EQ(dot(Miller{1, 1, 1}, LatticeDirection{1, -1, 0}), 0);
    EXPECT_EQ(dot(Miller{1, 2, 3}, LatticeDirection{1, 1, 1}), 6);
}

TEST(Vectors, FractionalCoordinates)
{
    // Wrapped into [0, 1), a whole number but for rounding to 0, anything more kept.
    const std::pair<double, double> rows[] = {{1.25, 0.25},       {-0.25, 0.75}, {3.0, 0.0},
                                              {1.0 - 1e-12, 0.0}, {-1e-12, 0.0}, {2e-9, 2e-9}};
    for (const auto& [x, expected] : rows)
        EXPECT_EQ(wrapFraction(x), expected) << x;
    EXPECT_EQ(wrapped(Fractional{-0.5, 2.25}), (Fractional{0.5, 0.25}));

    // An oblique cell: w = a/4 + b/2 (with a height, which does not count).
    const Position a{2, 0, 0}, b{-1, 3, 0};
    EXPECT_EQ(inPlaneFractional({0.0, 1.5, 7.0}, a, b), (Fractional{0.25, 0.5}));
    // And back through a real cell's vectors.
    const auto cell = surfaceCell({*findMaterial("Fe"), {2, 1, 0}, Termination::None}, InPlaneCell::Primitive);
    ASSERT_TRUE(cell) << cell.error().message;
    const Fractional f = inPlaneFractional(cell->inPlane({0.3, 0.7}), cell->a, cell->b);
    EXPECT_NEAR(f.u, 0.3, 1e-12);
    EXPECT_NEAR(f.v, 0.7, 1e-12);
}

} // namespace
} // namespace crystal
