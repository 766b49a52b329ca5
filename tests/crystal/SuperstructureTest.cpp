// Superstructures read from text: matrices, Wood notation, either as the text tells, and the
// one line that names what is wrong with a text that does not read.

#include "crystal/Superstructure.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace crystal;

namespace {

constexpr double A = 2.556; // Cu surface spacing, Angstrom

const Position SquareA{A, 0, 0}, SquareB{0, A, 0};
const Position HexA{A, 0, 0}, HexB{-A / 2, A*std::sqrt(3.0) / 2, 0}; // 120 degrees apart

} // namespace

TEST(Superstructure, WoodNotationParsedAndRefused)
{
    struct Good {
        const char* text;
        bool centred;
        double n, m, angle;
    } good[] = {
        {"p(2x1)", false, 2, 1, 0},
        {"c(4 X 2)", true, 4, 2, 0},
        {" 2x1 ", false, 2, 1, 0},
        {"(sqrt(3)xsqrt3)R30", false, std::sqrt(3.0), std::sqrt(3.0), 30},
        {"P(3√3 × 3√3) R -30.0 °", false, 3 * std::sqrt(3.0), 3 * std::sqrt(3.0), -30},
    };
    for (const Good& g : good) {
        SCOPED_TRACE(g.text);
        const auto w = parseWoodNotation(g.text);
        ASSERT_TRUE(w) << w.error().message;
        EXPECT_EQ(w->centred, g.centred);
        EXPECT_DOUBLE_EQ(w->n.value(), g.n);
        EXPECT_DOUBLE_EQ(w->m.value(), g.m);
        EXPECT_EQ(w->angle, g.angle);
    }
    for (const char* bad : {"", "p(2y1)", "(2x1", "(0x1)", "(2x1)R", "(2x1)R400", "(2x1) extra", "c(2x)", "(1001x1)",
                            "(sqrtx2)", "(2x1)\nR30", "q(2x1)"}) {
        SCOPED_TRACE(bad);
        const auto w = parseWoodNotation(bad);
        ASSERT_FALSE(w);
        EXPECT_NE(w.error().message.find("Wood notation"), std::string::npos) << w.error().message;
        EXPECT_EQ(w.error().message.find('\n'), std::string::npos);
    }
    // Notations that are no superstructure of the substrate: the rotated vectors miss the lattice.
    struct Refused {
        const char* text;
        Position a, b;
        const char* message;
    } refused[] = {
        {"(sqrt3 x sqrt3)R30", SquareA, SquareB,
         "(sqrt3 x sqrt3)R30 does not describe a superstructure of a square surface"},
        {"(2x2)R45", SquareA, SquareB, "(2x2)R45 does not describe a superstructure of a square surface"},
        {"c(3x3)", SquareA, SquareB, "c(3x3) does not describe a superstructure of a square surface"},
        {"(√2×√2)R45", HexA, HexB, "(√2×√2)R45 does not describe a superstructure of a hexagonal surface"},
        {"(√7×√7)R10", HexA, HexB, "(√7×√7)R10 does not describe a superstructure of a hexagonal surface"},
    };
    for (const Refused& r : refused) {
        const auto w = parseWoodNotation(r.text);
        ASSERT_TRUE(w) << w.error().message;
        const auto m = woodMatrix(*w, r.a, r.b);
        ASSERT_FALSE(m);
        EXPECT_EQ(m.error().message, r.message);
    }
}

TEST(Superstructure, MatrixParsed)
{
    EXPECT_EQ(*parseSuperstructureMatrix("2 0 0 1"), (IntMatrix2{2, 0, 0, 1}));
    EXPECT_EQ(*parseSuperstructureMatrix(" 1,1, -1 +1 "), (IntMatrix2{1, 1, -1, 1}));
    for (const char* bad : {"", "1 2 3", "1 2 3 4 5", "1 2 2 4", "1 0 0 x", "1.5 0 0 1", "1001 0 0 1",
                            "99999999999999999999 0 0 1", "1 0 0 1\n"}) {
        SCOPED_TRACE(bad);
        const auto m = parseSuperstructureMatrix(bad);
        ASSERT_FALSE(m);
        EXPECT_EQ(m.error().message.rfind("matrix", 0), 0u) << m.error().message;
        EXPECT_EQ(m.error().message.find('\n'), std::string::npos);
    }
}

// Each refusal names what is really wrong, the text as the user typed it first.
TEST(Superstructure, MessagesNameTheFault)
{
    using enum SuperstructureNotation;
    struct Row {
        const char* text;
        SuperstructureNotation notation;
        const char* message;
    } rows[] = {
        {"(1.5x1)", Wood,
         "Wood notation \"(1.5x1)\": factor \"1.5\": length factors are whole numbers or their roots, such as 2, "
         "sqrt3 or 2√3"},
        {"(2 x 1/2)", Wood,
         "Wood notation \"(2 x 1/2)\": factor \"1/2\": length factors are whole numbers or their roots, such as 2, "
         "sqrt3 or 2√3"},
        {"(sqrt(2.5) x 1)", Wood,
         "Wood notation \"(sqrt(2.5) x 1)\": factor \"sqrt(2.5)\": length factors are whole numbers or their roots, "
         "such as 2, sqrt3 or 2√3"},
        {"(2x-1)", Wood, "Wood notation \"(2x-1)\": length factors larger than 0"},
        {"q(2x1)", Wood, "Wood notation \"q(2x1)\": \"q\" before the parenthesis: p, c or nothing"},
        {"1 1 -1 1", Wood, "Wood notation \"1 1 -1 1\": four integers are a matrix, not Wood notation"},
        {"c(2x2)", Matrix, "matrix \"c(2x2)\": Wood notation, not four integers M11 M12 M21 M22"},
        {"99999999999999999999 0 0 1", Matrix,
         "matrix \"99999999999999999999 0 0 1\": entries must lie within -1000 to 1000"},
        // Messages that were right already stay as they were.
        {"p(2y1)", Wood, "Wood notation \"p(2y1)\": x or × between the two factors"},
        {"(2,2)", Either, "Wood notation \"(2,2)\": x or × between the two factors"},
        {"c(2x)", Wood, "Wood notation \"c(2x)\": a length factor such as 2, sqrt3 or 2√3"},
        {"(0x1)", Wood, "Wood notation \"(0x1)\": length factors larger than 0"},
        {"1 2 2 4", Either, "matrix \"1 2 2 4\": the determinant is 0, the rows span no cell"},
        {"1.5 0 0 1", Either, "matrix \"1.5 0 0 1\": \"1.5\" is not an integer"},
        {"1 2 3", Matrix, "matrix \"1 2 3\": four integers M11 M12 M21 M22 expected, 3 given"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        const auto read = readSuperstructure(r.text, r.notation);
        ASSERT_FALSE(read);
        EXPECT_EQ(read.error().message, r.message);
    }
}

// The text tells which notation it is: whatever reads as a matrix on its own is one, Wood
// notation the same as alone.
TEST(Superstructure, EitherNotationToldByTheText)
{
    struct Row {
        const char* text;
        bool wood;
        IntMatrix2 onSquare;
    } rows[] = {
        {"1,1,-1,1", false, {1, 1, -1, 1}}, {"1 1 -1 1", false, {1, 1, -1, 1}},   {" 2\t0 0 1 ", false, {2, 0, 0, 1}},
        {"c(2x2)", true, {2, 0, 1, 1}},     {"(√2×√2)R45°", true, {1, 1, -1, 1}}, {"2x1", true, {2, 0, 0, 1}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        const auto read = readSuperstructure(r.text);
        ASSERT_TRUE(read) << read.error().message;
        EXPECT_EQ(read->wood() != nullptr, r.wood);
        EXPECT_EQ(read->matrix() != nullptr, !r.wood);
        const auto m = read->on(SquareA, SquareB);
        ASSERT_TRUE(m) << m.error().message;
        EXPECT_EQ(*m, r.onSquare);
        // The same text read as the notation it is gives the same superstructure.
        const auto alone =
            readSuperstructure(r.text, r.wood ? SuperstructureNotation::Wood : SuperstructureNotation::Matrix);
        ASSERT_TRUE(alone);
        EXPECT_EQ(*alone->on(SquareA, SquareB), *m);
    }
}
