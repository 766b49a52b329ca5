#pragma once
// Superstructures as users type them: an integer matrix "M11 M12 M21 M22" or Wood notation such
// as c(2x2) or (√3×√3)R30°. One reader serves the desktop and the batch front end; each refusal
// is one line that names the text and what is wrong with it.

#include "crystal/Leed.h"
#include "platform/Result.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace crystal {

// The largest matrix entry and Wood factor accepted: far beyond any real superstructure, small
// enough that index arithmetic never overflows.
constexpr int64_t MaxSuperstructureEntry = 1000;

// "M11 M12 M21 M22": four integers separated by blanks or commas, each within
// +-MaxSuperstructureEntry, determinant not 0; the rows of the IntMatrix2.
platform::Result<IntMatrix2> parseSuperstructureMatrix(std::string_view text);

// A length factor of Wood notation: coefficient * sqrt(radicand), e.g. 2 sqrt3.
struct WoodFactor {
    int64_t coefficient = 1;
    int64_t radicand = 1;

    double value() const;
};

// Wood notation as written: p(n x m)R angle or c(n x m)R angle.
struct WoodNotation {
    bool centred = false;      // c(...): the cell with an extra point at its centre
    WoodFactor n, m;           // the lengths of the cell's vectors in units of |a| and |b|
    double angle = 0.0;        // degrees, counter-clockwise
    double angleTolerance = 0; // degrees: half a unit of the last digit written (R19.1: 0.05)
    std::string text;          // the notation as given, without surrounding blanks
};

// Parses p(2x2), c(2x2), (2x1), 2x1, (sqrt3 x sqrt3)R30, (√3×√3)R30°, (2√3 x 2√3)R30, ...
// Length factors are whole numbers, roots of whole numbers or multiples of roots.
platform::Result<WoodNotation> parseWoodNotation(std::string_view text);

// The matrix of the notation on the substrate cell a, b (in the x-y plane): a' = n R(angle) a,
// b' = m R(angle) b (for c(...) the primitive cell a', (a' + b') / 2). Refused, with
// "<notation> does not describe a superstructure of a <type> surface", when these are not
// integer combinations of a and b.
platform::Result<IntMatrix2> woodMatrix(const WoodNotation& wood, Position a, Position b);

// How a superstructure's text is to be read.
enum class SuperstructureNotation {
    Either, // told by the text: without letters, parentheses or signs such as √ and ×, a matrix
    Matrix,
    Wood
};

// A superstructure as the user gave it, before it meets a surface.
class Superstructure {
public:
    explicit Superstructure(IntMatrix2 matrix) : m_form(matrix) {}
    explicit Superstructure(WoodNotation wood) : m_form(std::move(wood)) {}

    // The notation as written, or nothing for a matrix.
    const WoodNotation* wood() const { return std::get_if<WoodNotation>(&m_form); }
    // The matrix as given, or nothing for Wood notation.
    const IntMatrix2* matrix() const { return std::get_if<IntMatrix2>(&m_form); }

    // The matrix on the substrate cell a, b: the given one, or the Wood notation's (woodMatrix).
    platform::Result<IntMatrix2> on(Position a, Position b) const;

private:
    std::variant<IntMatrix2, WoodNotation> m_form;
};

// Reads a superstructure typed by the user: as a matrix or Wood notation, or, with Either,
// whichever the text is. A refusal names the text and what is wrong: for Wood notation it
// starts "Wood notation \"...\": ", for a matrix "matrix \"...\": ".
platform::Result<Superstructure> readSuperstructure(std::string_view text,
                                                    SuperstructureNotation notation = SuperstructureNotation::Either);

} // namespace crystal
