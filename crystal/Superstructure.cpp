#include "crystal/Superstructure.h"

#include "crystal/SurfaceCell.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <numbers>
#include <optional>
#include <utility>

namespace crystal {

namespace {

using platform::fail;
using platform::Result;

constexpr double Pi = std::numbers::pi;

// The text echoed in a message: control bytes shown as '?', long text cut, so that the message
// stays one short line whatever was typed.
std::string quoted(std::string_view text)
{
    constexpr std::size_t MaxShown = 60;
    std::string out;
    for (std::size_t i = 0; i < text.size() && i < MaxShown; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        out += c < 0x20 || c == 0x7f ? '?' : char(c);
    }
    if (text.size() > MaxShown)
        out += "...";
    return out;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// A text that cannot be Wood notation: no letter (p, c, x, R, sqrt), no parenthesis and no byte
// beyond ASCII (√, ×, °).
bool looksLikeMatrix(std::string_view text)
{
    return std::none_of(text.begin(), text.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u >= 0x80 || c == '(' || c == ')' || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    });
}

// ---- Matrices ----

Result<IntMatrix2> readMatrix(std::string_view text, const std::string& shown)
{
    std::array<int64_t, 4> m{};
    std::size_t pos = 0;
    int count = 0;
    auto separator = [](char c) { return isBlank(c) || c == ','; };
    while (true) {
        while (pos < text.size() && separator(text[pos]))
            ++pos;
        if (pos == text.size())
            break;
        if (count == 4)
            return fail(shown + ": four integers M11 M12 M21 M22 expected, more given");
        std::size_t end = pos;
        while (end < text.size() && !separator(text[end]))
            ++end;
        std::string_view word = text.substr(pos, end - pos);
        if (word.size() > 1 && word.front() == '+')
            word.remove_prefix(1);
        int64_t value = 0;
        auto [ptr, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
        const bool whole = ptr == word.data() + word.size();
        if (whole && ec == std::errc::result_out_of_range)
            value = word.front() == '-' ? -MaxSuperstructureEntry - 1 : MaxSuperstructureEntry + 1;
        else if (ec != std::errc() || !whole)
            return fail(shown + ": \"" + quoted(text.substr(pos, end - pos)) + "\" is not an integer");
        if (value > MaxSuperstructureEntry || value < -MaxSuperstructureEntry)
            return fail(shown + ": entries must lie within -" + std::to_string(MaxSuperstructureEntry) + " to "
                        + std::to_string(MaxSuperstructureEntry));
        m[std::size_t(count++)] = value;
        pos = end;
    }
    if (count != 4)
        return fail(shown + ": four integers M11 M12 M21 M22 expected, " + std::to_string(count) + " given");
    const IntMatrix2 result{m[0], m[1], m[2], m[3]};
    if (result.det() == 0)
        return fail(shown + ": the determinant is 0, the rows span no cell");
    return result;
}

// ---- Wood notation ----

// A cursor over Wood notation text.
struct WoodReader {
    std::string_view s;
    std::size_t pos = 0;

    void skipBlanks()
    {
        while (pos < s.size() && isBlank(s[pos]))
            ++pos;
    }
    bool at(std::string_view token) const { return s.substr(pos, token.size()) == token; }
    bool take(std::string_view token)
    {
        skipBlanks();
        if (!at(token))
            return false;
        pos += token.size();
        return true;
    }
    bool takeAnyCase(char lower)
    {
        skipBlanks();
        if (pos < s.size() && (s[pos] == lower || s[pos] == lower - 'a' + 'A')) {
            ++pos;
            return true;
        }
        return false;
    }
    bool digitNext()
    {
        skipBlanks();
        return pos < s.size() && isDigit(s[pos]);
    }
    // A run of decimal digits as a number up to limit; nothing when absent or larger.
    std::optional<int64_t> integer(int64_t limit)
    {
        skipBlanks();
        const std::size_t start = pos;
        while (pos < s.size() && isDigit(s[pos]))
            ++pos;
        if (pos == start)
            return std::nullopt;
        int64_t value = 0;
        auto [ptr, ec] = std::from_chars(s.data() + start, s.data() + pos, value);
        if (ec != std::errc() || ptr != s.data() + pos || value > limit)
            return std::nullopt;
        return value;
    }
    // A decimal point or a fraction bar between digits: a number that is not whole, such as 1.5
    // or 1/2.
    bool fractionNext() const { return pos + 1 < s.size() && (s[pos] == '.' || s[pos] == '/') && isDigit(s[pos + 1]); }
    // Moves past the digits, points and bars of such a number.
    void skipNumber()
    {
        while (pos < s.size() && (isDigit(s[pos]) || s[pos] == '.' || s[pos] == '/'))
            ++pos;
    }
};

constexpr std::string_view RootSign = "\xe2\x88\x9a"; // U+221A
constexpr std::string_view TimesSign = "\xc3\x97";    // U+00D7
constexpr std::string_view DegreeSign = "\xc2\xb0";   // U+00B0

std::string notWhole(std::string_view factor)
{
    return "factor \"" + quoted(trimmed(factor))
        + "\": length factors are whole numbers or their roots, such as 2, sqrt3 or 2√3";
}

// [integer] [sqrt | √] [(] integer [)]  or  integer. Nothing when it reads, else what is wrong
// with it: the message's part after the notation.
std::optional<std::string> readFactor(WoodReader& r, WoodFactor& f)
{
    f = {};
    r.skipBlanks();
    const std::size_t start = r.pos;
    // A sign before the factor: lengths have none.
    if (r.at("-")) {
        ++r.pos;
        if (r.digitNext() || r.at("sqrt") || r.at("SQRT") || r.at(RootSign))
            return "length factors larger than 0";
        r.pos = start;
    }
    bool any = false;
    if (r.digitNext()) {
        auto c = r.integer(MaxSuperstructureEntry);
        if (!c)
            return "a factor larger than " + std::to_string(MaxSuperstructureEntry);
        if (r.fractionNext()) {
            r.skipNumber();
            return notWhole(r.s.substr(start, r.pos - start));
        }
        f.coefficient = *c;
        any = true;
    }
    if (r.take("sqrt") || r.take("SQRT") || r.take(RootSign)) {
        const bool paren = r.take("(");
        auto root = r.integer(MaxSuperstructureEntry * MaxSuperstructureEntry);
        if (!root)
            return "a whole number after the root sign, at most "
                + std::to_string(MaxSuperstructureEntry * MaxSuperstructureEntry);
        if (r.fractionNext()) {
            r.skipNumber();
            if (paren)
                r.take(")");
            return notWhole(r.s.substr(start, r.pos - start));
        }
        if (paren && !r.take(")"))
            return "')' after the root";
        f.radicand = *root;
        any = true;
    }
    if (!any)
        return "a length factor such as 2, sqrt3 or 2√3";
    if (f.coefficient == 0 || f.radicand == 0)
        return "length factors larger than 0";
    if (f.value() > double(MaxSuperstructureEntry))
        return "length factors of at most " + std::to_string(MaxSuperstructureEntry);
    return std::nullopt;
}

// [+|-] digits [. digits]; the tolerance is half a unit of the last digit written.
bool readAngle(WoodReader& r, double& angle, double& tolerance)
{
    r.skipBlanks();
    const std::size_t start = r.pos;
    if (r.pos < r.s.size() && (r.s[r.pos] == '-' || r.s[r.pos] == '+'))
        ++r.pos;
    const std::size_t digits = r.pos;
    while (r.pos < r.s.size() && isDigit(r.s[r.pos]))
        ++r.pos;
    if (r.pos == digits)
        return false;
    int decimals = 0;
    if (r.pos < r.s.size() && r.s[r.pos] == '.') {
        ++r.pos;
        while (r.pos < r.s.size() && isDigit(r.s[r.pos])) {
            ++r.pos;
            ++decimals;
        }
    }
    std::string number(r.s.substr(start, r.pos - start));
    if (number.front() == '+')
        number.erase(0, 1);
    auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), angle);
    if (ec != std::errc() || ptr != number.data() + number.size() || !(std::abs(angle) <= 360.0))
        return false;
    tolerance = 0.5 * std::pow(10.0, -std::min(decimals, 12));
    return true;
}

Result<WoodNotation> readWood(std::string_view body)
{
    WoodNotation w;
    w.text = std::string(body);
    WoodReader r{body};
    auto refuse = [&](const std::string& what) { return fail("Wood notation \"" + quoted(body) + "\": " + what); };
    if (body.empty())
        return refuse("empty");
    if (r.takeAnyCase('c')) {
        w.centred = true;
    } else if (!r.takeAnyCase('p')) {
        // Another letter where p or c stands.
        const char first = body.front();
        WoodReader after{body, 1};
        if (((first >= 'a' && first <= 'z') || (first >= 'A' && first <= 'Z')) && after.take("("))
            return refuse("\"" + std::string(1, first) + "\" before the parenthesis: p, c or nothing");
    }
    const bool paren = r.take("(");
    if (auto fault = readFactor(r, w.n))
        return refuse(*fault);
    if (!r.takeAnyCase('x') && !r.take(TimesSign))
        return refuse("x or × between the two factors");
    if (auto fault = readFactor(r, w.m))
        return refuse(*fault);
    if (paren && !r.take(")"))
        return refuse("')' after the second factor");
    w.angleTolerance = 0.0;
    if (r.takeAnyCase('r')) {
        if (!readAngle(r, w.angle, w.angleTolerance))
            return refuse("a rotation angle in degrees after R, within -360 to 360");
        r.take(DegreeSign);
    }
    r.skipBlanks();
    if (r.pos != body.size())
        return refuse("unexpected \"" + quoted(body.substr(r.pos)) + "\" at the end");
    return w;
}

std::string matrixShown(std::string_view text) { return "matrix \"" + quoted(text) + "\""; }

// ---- Wood notation on a cell ----

// The z component of p x q: the signed area of the parallelogram, Angstrom^2.
double cross2(Position p, Position q) { return p.x * q.y - p.y * q.x; }

Position combine(int64_t i, Position a, int64_t j, Position b) { return double(i) * a + double(j) * b; }

// The lattice point of a, b nearest to target, as (a, b) coordinates.
std::pair<int64_t, int64_t> nearestLatticePoint(Position a, Position b, Position target)
{
    const double det = cross2(a, b);
    const double i = cross2(target, b) / det;
    const double j = cross2(a, target) / det;
    std::pair<int64_t, int64_t> best{0, 0};
    // Far beyond any superstructure: nearly parallel cell vectors. Answer the origin, which
    // never matches a target of non-zero length.
    if (!(std::abs(i) < 1e12 && std::abs(j) < 1e12))
        return best;
    double bestDistance = INFINITY;
    for (int di = 0; di <= 1; ++di)
        for (int dj = 0; dj <= 1; ++dj) {
            const auto ci = int64_t(std::floor(i)) + di;
            const auto cj = int64_t(std::floor(j)) + dj;
            const double d = norm(combine(ci, a, cj, b) - target);
            if (d < bestDistance) {
                bestDistance = d;
                best = {ci, cj};
            }
        }
    return best;
}

Position rotated(Position p, double degrees)
{
    const double t = degrees * Pi / 180.0;
    return {p.x * std::cos(t) - p.y * std::sin(t), p.x * std::sin(t) + p.y * std::cos(t), 0.0};
}

// Whether lattice vector found stands for target: the same length (the factors are exact) and
// a direction within the tolerance of the written angle.
bool matches(Position found, Position target, double angleToleranceDegrees)
{
    const double lt = norm(target);
    const double lf = norm(found);
    if (std::abs(lf - lt) > ShapeTolerance * lt)
        return false;
    const double angle = std::atan2(std::abs(cross2(found, target)), dot(found, target));
    return angle <= std::max(angleToleranceDegrees * Pi / 180.0, AngleTolerance);
}

} // namespace

double WoodFactor::value() const { return double(coefficient) * std::sqrt(double(radicand)); }

Result<IntMatrix2> parseSuperstructureMatrix(std::string_view text)
{
    const std::string shown = matrixShown(text);
    auto m = readMatrix(text, shown);
    // Wood notation where a matrix belongs is named as such, not as its first word.
    if (!m && !looksLikeMatrix(text) && readWood(trimmed(text)))
        return fail(shown + ": Wood notation, not four integers M11 M12 M21 M22");
    return m;
}

Result<WoodNotation> parseWoodNotation(std::string_view text)
{
    const std::string_view body = trimmed(text);
    auto w = readWood(body);
    // Likewise a matrix where Wood notation belongs.
    if (!w && !body.empty() && looksLikeMatrix(body) && readMatrix(body, {}))
        return fail("Wood notation \"" + quoted(body) + "\": four integers are a matrix, not Wood notation");
    return w;
}

Result<IntMatrix2> woodMatrix(const WoodNotation& wood, Position a, Position b)
{
    auto refuse = [&] {
        return fail(quoted(wood.text) + " does not describe a superstructure of a "
                    + lattice2DName(classifyLattice2D(a, b)) + " surface");
    };
    if (!(std::abs(cross2(a, b)) > 0.0))
        return fail("the surface cell's vectors are parallel");
    const Position ta = wood.n.value() * rotated(a, wood.angle);
    const Position tb = wood.m.value() * rotated(b, wood.angle);
    const auto [a1, a2] = nearestLatticePoint(a, b, ta);
    const auto [b1, b2] = nearestLatticePoint(a, b, tb);
    if (!matches(combine(a1, a, a2, b), ta, wood.angleTolerance)
        || !matches(combine(b1, a, b2, b), tb, wood.angleTolerance))
        return refuse();
    IntMatrix2 m{a1, a2, b1, b2};
    if (wood.centred) {
        // The centred cell's primitive cell: a' and the centre (a' + b') / 2, a lattice vector only
        // when both of its coordinates are whole.
        if ((a1 + b1) % 2 != 0 || (a2 + b2) % 2 != 0)
            return refuse();
        m = {a1, a2, (a1 + b1) / 2, (a2 + b2) / 2};
    }
    if (m.det() == 0)
        return refuse();
    return m;
}

Result<IntMatrix2> Superstructure::on(Position a, Position b) const
{
    if (const WoodNotation* w = wood())
        return woodMatrix(*w, a, b);
    return *matrix();
}

Result<Superstructure> readSuperstructure(std::string_view text, SuperstructureNotation notation)
{
    if (notation == SuperstructureNotation::Either)
        notation = looksLikeMatrix(text) ? SuperstructureNotation::Matrix : SuperstructureNotation::Wood;
    if (notation == SuperstructureNotation::Matrix) {
        auto m = parseSuperstructureMatrix(text);
        if (!m)
            return m.error();
        return Superstructure(*m);
    }
    auto w = parseWoodNotation(text);
    if (!w)
        return w.error();
    return Superstructure(std::move(*w));
}

} // namespace crystal
