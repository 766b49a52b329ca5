#include "crystal/TerminationsListing.h"

#include "crystal/SurfaceCell.h"
#include "platform/Text.h"

#include <cmath>
#include <numbers>

namespace crystal {

namespace {

using platform::jsonNumber;
using platform::jsonString;

// Elements with their counts per 2D cell, in the order of the periodic table's symbols: "O2Ti".
std::string formula(const std::map<std::string, int>& composition)
{
    std::string out;
    for (const auto& [element, count] : composition)
        out += element + (count > 1 ? std::to_string(count) : "");
    return out;
}

std::string compositionJson(const std::map<std::string, int>& composition)
{
    std::string out = "{";
    for (const auto& [element, count] : composition)
        out += (out.size() > 1 ? ", " : "") + jsonString(element) + ": " + std::to_string(count);
    return out + "}";
}

// [u v w] as text lines and JSON write a direction: "[1 -1 0]", "[1, -1, 0]".
std::string directionText(const LatticeDirection& d)
{
    return "[" + std::to_string(d[0]) + " " + std::to_string(d[1]) + " " + std::to_string(d[2]) + "]";
}

std::string directionJson(const LatticeDirection& d)
{
    return "[" + std::to_string(d[0]) + ", " + std::to_string(d[1]) + ", " + std::to_string(d[2]) + "]";
}

double gammaDegrees(const BulkSurface& s) { return std::atan2(s.b.y, s.b.x) * 180.0 / std::numbers::pi; }

} // namespace

std::string formatTerminationsText(const BulkSurface& s, const CrystalSymmetry& sym, const std::string& title,
                                   double tolerance)
{
    const auto number = platform::fourDigits;
    std::string out = title + ": space group " + sym.symbol + " (" + std::to_string(sym.number) + ")\n";
    out += "2D cell: a " + number(s.a.x) + ", b " + number(norm(s.b)) + " Angstrom, gamma " + number(gammaDegrees(s))
        + " degrees, " + lattice2DName(classifyLattice2D(s.a, s.b)) + "; a along " + directionText(s.aDirection)
        + ", b along " + directionText(s.bDirection) + "\n";
    out += std::to_string(s.planes.size()) + " atomic planes in a period of " + number(s.period())
        + " Angstrom (atoms within " + number(tolerance) + " Angstrom in one plane)\n";
    for (const BulkTermination& t : s.terminations) {
        out += "termination " + std::to_string(t.index) + ": top " + formula(t.planes.front().composition());
        const FirstSpacing first = firstSpacing(s, t);
        out += ", first spacing " + number(first.spacing) + " Angstrom";
        if (first.length)
            out += std::string(" (") + spacingLengthName(*first.length) + ")";
        if (t.polarity) {
            out += ", Tasker type " + std::to_string(t.polarity->tasker);
            if (t.polarity->tasker == 3)
                out += ", dipole " + number(t.polarity->dipolePerArea) + " e/Angstrom";
        }
        out += "\n  planes:";
        for (const BulkPlane& plane : t.planes)
            out += " " + formula(plane.composition()) + " " + number(plane.height);
        out += "\n";
    }
    out += std::string("symmetric slabs: ") + (s.symmetricPossible ? "possible" : "not possible")
        + " (an operation of the bulk that turns the normal over " + (s.symmetricPossible ? "exists" : "does not exist")
        + ")\n";
    if (!s.chargeNote.empty())
        out += "polarity: none, " + s.chargeNote + "\n";
    return out;
}

std::string formatTerminationsJson(const BulkSurface& s, const CrystalSymmetry& sym, double tolerance)
{
    std::string out = "{\"space_group\": {\"symbol\": " + jsonString(sym.symbol)
        + ", \"number\": " + std::to_string(sym.number) + "}";
    out += ", \"cell\": {\"a\": " + jsonNumber(s.a.x) + ", \"b\": " + jsonNumber(norm(s.b))
        + ", \"gamma\": " + jsonNumber(gammaDegrees(s)) + ", \"area\": " + jsonNumber(s.area())
        + ", \"a_direction\": " + directionJson(s.aDirection) + ", \"b_direction\": " + directionJson(s.bDirection)
        + ", \"type\": " + jsonString(lattice2DName(classifyLattice2D(s.a, s.b))) + "}";
    out += ", \"plane_tolerance\": " + jsonNumber(tolerance) + ", \"terminations\": [";
    for (std::size_t i = 0; i < s.terminations.size(); ++i) {
        const BulkTermination& t = s.terminations[i];
        out += i ? ", " : "";
        out +=
            "{\"index\": " + std::to_string(t.index) + ", \"top\": " + compositionJson(t.planes.front().composition());
        out += ", \"planes\": [";
        for (std::size_t k = 0; k < t.planes.size(); ++k)
            out += (k ? ", " : "") + std::string("{\"composition\": ") + compositionJson(t.planes[k].composition())
                + ", \"height\": " + jsonNumber(t.planes[k].height) + "}";
        out += "], \"tasker\": " + (t.polarity ? std::to_string(t.polarity->tasker) : std::string("null"));
        out += ", \"dipole\": " + (t.polarity ? jsonNumber(t.polarity->dipolePerArea) : std::string("null"));
        const FirstSpacing first = firstSpacing(s, t);
        out += ", \"first_spacing\": " + jsonNumber(first.spacing) + ", \"first_spacing_length\": "
            + (first.length ? jsonString(spacingLengthName(*first.length)) : std::string("null"));
        out += std::string(", \"symmetric_possible\": ") + (s.symmetricPossible ? "true" : "false") + "}";
    }
    return out + "]}\n";
}

} // namespace crystal
