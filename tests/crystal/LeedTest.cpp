// The LEED pattern checked against beams counted by hand: lattice points of the reciprocal
// lattice inside a disc of radius k.

#include "crystal/Leed.h"
#include "crystal/Superstructure.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <set>
#include <string>
#include <utility>

using namespace crystal;

namespace {

constexpr double Pi = std::numbers::pi;
constexpr double A = 2.556; // Cu surface spacing, Angstrom

const Position SquareA{A, 0, 0}, SquareB{0, A, 0};
const Position HexA{A, 0, 0}, HexB{-A / 2, A*std::sqrt(3.0) / 2, 0}; // 120 degrees apart
const Position Hex60B{A / 2, A* std::sqrt(3.0) / 2, 0};              // 60 degrees apart

LeedPattern pattern(Position a, Position b, double energy, std::optional<IntMatrix2> m = std::nullopt,
                    LeedDomains domains = LeedDomains::One)
{
    auto p = leedPattern(a, b, energy, {m, domains});
    EXPECT_TRUE(p) << p.error().message;
    return p ? *p : LeedPattern{};
}

int count(const LeedPattern& p, SpotKind kind)
{
    return int(std::count_if(p.spots.begin(), p.spots.end(), [&](const LeedSpot& s) { return s.kind == kind; }));
}

std::set<std::pair<double, double>> indexSet(const LeedPattern& p)
{
    std::set<std::pair<double, double>> out;
    for (const auto& s : p.spots)
        out.insert({s.h.value(), s.k.value()});
    return out;
}

IntMatrix2 wood(const char* text, Position a, Position b)
{
    const auto w = readSuperstructure(text, SuperstructureNotation::Wood);
    EXPECT_TRUE(w) << text << ": " << w.error().message;
    const auto m = w ? w->on(a, b) : w.error();
    EXPECT_TRUE(m) << text << ": " << m.error().message;
    return m ? *m : IntMatrix2{};
}

} // namespace

TEST(Leed, CleanSurfacesBeamCountsAndFirstOrder)
{
    EXPECT_NEAR(electronWaveNumber(100.0), 5.12317, 1e-5);
    EXPECT_NEAR(electronWaveNumber(1.0), 0.5123, 1e-4);
    // k / |a*|, squared: square 100 eV 4.343, 200 eV 8.687 (|a*| = 2 pi / a); hexagonal 100 eV
    // 3.258, 200 eV 6.515 (|a*| = 4 pi / (sqrt3 a)). Squared norms of the square lattice
    // h^2 + k^2 are 0 (1 point), 1 (4), 2 (4), 4 (4), 5 (8), 8 (4); of the hexagonal one
    // h^2 + hk + k^2 (60 degree basis) 0 (1), 1 (6), 3 (6), 4 (6), 7 (12).
    struct Row {
        Position a, b;
        double energy;
        int beams;
        double firstOrder;
    } rows[] = {
        {SquareA, SquareB, 100, 1 + 4 + 4 + 4, 2 * Pi / A},
        {SquareA, SquareB, 200, 1 + 4 + 4 + 4 + 8 + 4, 2 * Pi / A},
        {HexA, HexB, 100, 1 + 6 + 6, 4 * Pi / (std::sqrt(3.0) * A)},
        {HexA, HexB, 200, 1 + 6 + 6 + 6, 4 * Pi / (std::sqrt(3.0) * A)},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.energy);
        const LeedPattern p = pattern(r.a, r.b, r.energy);
        ASSERT_EQ(int(p.spots.size()), r.beams);
        EXPECT_EQ(count(p, SpotKind::Superstructure), 0);
        EXPECT_NEAR(dot(p.a, p.aStar), 2 * Pi, 1e-12);
        EXPECT_NEAR(dot(p.a, p.bStar), 0, 1e-12);
        EXPECT_EQ(p.spots[0].h, (Fraction{0, 1}));
        EXPECT_EQ(p.spots[0].theta, 0.0);
        EXPECT_NEAR(p.spots[1].g, r.firstOrder, 1e-12);
        for (const auto& s : p.spots) {
            EXPECT_LE(s.g, p.waveNumber);
            EXPECT_NEAR(std::sin(s.theta * Pi / 180) * p.waveNumber, s.g, 1e-9);
            EXPECT_EQ(s.domain, 1);
            EXPECT_EQ(s.h.den * s.k.den, 1);
        }
    }
}

TEST(Leed, GrazingBeamsPropagate)
{
    // At the energy where k = |a*| the first-order beams leave at 90 degrees, along the surface,
    // and still count, also when rounding puts |g| a hair above k: on the square surface (0 0)
    // and (+-1 0), (0 +-1), 5 beams ((1 1) at sqrt2 |a*| is evanescent); on the hexagonal one
    // (0 0) and the six first-order beams, 7 (the next shell is at sqrt3 |a*|).
    struct Row {
        Position a, b;
        double aStar;
        std::size_t beams;
    } rows[] = {
        {SquareA, SquareB, 2 * Pi / A, 1 + 4},
        {HexA, HexB, 4 * Pi / (std::sqrt(3.0) * A), 1 + 6},
    };
    for (const Row& r : rows)
        for (double nudge : {-1e-14, 0.0, 1e-14}) {
            const LeedPattern p = pattern(r.a, r.b, std::pow(r.aStar / electronWaveNumber(1.0), 2) * (1 + nudge));
            ASSERT_EQ(p.spots.size(), r.beams) << r.beams << " " << nudge;
            EXPECT_NEAR(p.spots.back().theta, 90.0, 1e-4);
        }
}

TEST(Leed, SuperstructureSpotsCountedByHand)
{
    // c(2x2) on the square surface at 100 eV, (k/|a*|)^2 = 4.343: the added beams are the
    // half-order points (+-1/2 +-1/2) (norm 1/2, 4) and (+-3/2 +-1/2), (+-1/2 +-3/2) (5/2, 8);
    // (3/2 3/2) at 9/2 is evanescent.
    const LeedPattern c2x2 = pattern(SquareA, SquareB, 100, IntMatrix2{1, 1, -1, 1});
    EXPECT_EQ(count(c2x2, SpotKind::Substrate), 13);
    EXPECT_EQ(count(c2x2, SpotKind::Superstructure), 12);
    for (const auto& s : c2x2.spots)
        if (s.kind == SpotKind::Superstructure) {
            EXPECT_EQ(s.h.den, 2);
            EXPECT_EQ(s.k.den, 2);
        }
    // (sqrt3 x sqrt3)R30 on the hexagonal surface at 100 eV: its reciprocal lattice is hexagonal
    // with |a*| / sqrt3, so (k / |a'*|)^2 = 9.773 and norms 0 (1), 1 (6), 3 (6), 4 (6), 7 (12),
    // 9 (6) propagate: 37 beams, of which norms 0, 3 and 9 (13) are the substrate's.
    const LeedPattern r3 = pattern(HexA, HexB, 100, wood("(sqrt3 x sqrt3)R30", HexA, HexB));
    EXPECT_EQ(count(r3, SpotKind::Substrate), 13);
    EXPECT_EQ(count(r3, SpotKind::Superstructure), 24);
    for (const auto& s : r3.spots)
        if (s.kind == SpotKind::Superstructure) {
            EXPECT_EQ(std::max(s.h.den, s.k.den), 3) << fractionText(s.h) << " " << fractionText(s.k);
        }
    EXPECT_NEAR(r3.spots[1].g, 4 * Pi / (3 * A), 1e-12); // |a*| / sqrt3
}

TEST(Leed, WoodNotationAndMatricesGiveTheSameSpots)
{
    struct Row {
        const char* wood;
        Position a, b;
        IntMatrix2 matrix;
    } rows[] = {
        {"c(2x2)", SquareA, SquareB, {1, 1, -1, 1}},         {"(√2×√2)R45°", SquareA, SquareB, {1, 1, -1, 1}},
        {"p(2x1)", SquareA, SquareB, {2, 0, 0, 1}},          {"(2x2)", HexA, HexB, {2, 0, 0, 2}},
        {"(sqrt3 x sqrt3)R30", HexA, HexB, {2, 1, -1, 1}},   {"(√3x√3)R30", HexA, Hex60B, {1, 1, -1, 2}},
        {"(2sqrt3 x 2sqrt3)R30", HexA, HexB, {4, 2, -2, 2}}, {"(√7×√7)R19.1°", HexA, Hex60B, {2, 1, -1, 3}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.wood);
        const IntMatrix2 m = wood(r.wood, r.a, r.b);
        EXPECT_EQ(std::abs(m.det()), std::abs(r.matrix.det()));
        EXPECT_EQ(indexSet(pattern(r.a, r.b, 150, m)), indexSet(pattern(r.a, r.b, 150, r.matrix)));
    }
    // The same lattice from another basis of it.
    EXPECT_EQ(indexSet(pattern(SquareA, SquareB, 150, IntMatrix2{1, 1, 0, 2})),
              indexSet(pattern(SquareA, SquareB, 150, IntMatrix2{1, 1, -1, 1})));
}

TEST(Leed, DomainsFollowThePointGroup)
{
    struct Row {
        Position a, b;
        std::size_t order;
    } rows[] = {
        {HexA, HexB, 12},          {HexA, Hex60B, 12},          {SquareA, SquareB, 8},
        {{3, 0, 0}, {0, 4, 0}, 4}, {{3, 0, 0}, {1.5, 4, 0}, 4}, {{3, 0, 0}, {1, 4, 0}, 2},
    };
    for (const Row& r : rows) {
        const auto group = latticePointGroup(r.a, r.b);
        EXPECT_EQ(group.size(), r.order);
        EXPECT_EQ(group[0], (IntMatrix2{1, 0, 0, 1}));
        for (const IntMatrix2& op : group) { // its rows, the images of a and b, keep |a|, |b| and a . b
            const Position ia = double(op.m11) * r.a + double(op.m12) * r.b;
            const Position ib = double(op.m21) * r.a + double(op.m22) * r.b;
            EXPECT_NEAR(norm(ia), norm(r.a), 1e-9);
            EXPECT_NEAR(norm(ib), norm(r.b), 1e-9);
            EXPECT_NEAR(dot(ia, ib), dot(r.a, r.b), 1e-9);
        }
    }
    // p(2x1) on the square surface at 100 eV: (+-1/2 k) for |k| <= 2 and (+-3/2 k) for |k| <= 1,
    // 16 beams in domain 1; the rotated domain (1x2) adds their 16 transposes.
    const LeedPattern one = pattern(SquareA, SquareB, 100, IntMatrix2{2, 0, 0, 1});
    EXPECT_EQ(count(one, SpotKind::Superstructure), 16);
    const LeedPattern both = pattern(SquareA, SquareB, 100, IntMatrix2{2, 0, 0, 1}, LeedDomains::All);
    ASSERT_EQ(both.domains.size(), 2u);
    EXPECT_EQ(both.spots.size(), 13u + 32u);
    for (const auto& s : both.spots) {
        if (s.kind == SpotKind::Substrate)
            EXPECT_EQ(s.domain, 1);
        else
            EXPECT_EQ(s.domain, s.h.den == 2 ? 1 : 2) << fractionText(s.h) << " " << fractionText(s.k);
    }
    // c(2x2) is its own image under 4mm; (2x1) on a hexagonal surface has three domains.
    EXPECT_EQ(pattern(SquareA, SquareB, 100, IntMatrix2{1, 1, -1, 1}, LeedDomains::All).domains.size(), 1u);
    EXPECT_EQ(pattern(HexA, HexB, 100, IntMatrix2{2, 0, 0, 1}, LeedDomains::All).domains.size(), 3u);
}

TEST(Leed, BadEnergiesAndCellsRefused)
{
    for (double e : {0.0, -5.0, double(NAN), double(INFINITY), 1e12}) {
        const auto p = leedPattern(SquareA, SquareB, e, {});
        ASSERT_FALSE(p) << e;
        EXPECT_FALSE(p.error().message.empty());
    }
    EXPECT_FALSE(leedPattern(SquareA, 2.0 * SquareA, 100, {}));
    EXPECT_FALSE(leedPattern(SquareA, SquareB, 100, {IntMatrix2{1, 2, 2, 4}, LeedDomains::One}));
    // A tiny energy still has the specular beam.
    EXPECT_EQ(pattern(SquareA, SquareB, 1e-6).spots.size(), 1u);
    // Near the limit the beams themselves decide, not the estimate of their number: a pattern
    // either keeps within MaxLeedSpots or is refused, at energies on both sides of the limit.
    for (double e : {60.0, 76.0, 76.5, 90.0}) {
        const IntMatrix2 m{-1, 735, -1, 1};
        const auto p = leedPattern(HexA, HexB, e, {m, LeedDomains::All});
        EXPECT_TRUE(p ? p->spots.size() <= MaxLeedSpots : p.error().message.find("beams") != std::string::npos) << e;
    }
}
