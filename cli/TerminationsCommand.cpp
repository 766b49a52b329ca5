#include "cli/Commands.h"

#include "crystal/BulkSurface.h"
#include "crystal/Compound.h"
#include "crystal/Prototype.h"
#include "crystal/SurfaceCell.h"

#include <cmath>
#include <iostream>
#include <numbers>

namespace cli {

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
std::string directionText(const crystal::LatticeDirection& d)
{
    return "[" + std::to_string(d[0]) + " " + std::to_string(d[1]) + " " + std::to_string(d[2]) + "]";
}

std::string directionJson(const crystal::LatticeDirection& d)
{
    return "[" + std::to_string(d[0]) + ", " + std::to_string(d[1]) + ", " + std::to_string(d[2]) + "]";
}

double gammaDegrees(const crystal::BulkSurface& s) { return std::atan2(s.b.y, s.b.x) * 180.0 / std::numbers::pi; }

std::string formatText(const crystal::BulkSurface& s, const crystal::CrystalSymmetry& sym, const std::string& title,
                       double tolerance)
{
    const auto number = platform::fourDigits;
    std::string out = title + ": space group " + sym.symbol + " (" + std::to_string(sym.number) + ")\n";
    out += "2D cell: a " + number(s.a.x) + ", b " + number(norm(s.b)) + " Angstrom, gamma " + number(gammaDegrees(s))
        + " degrees, " + crystal::lattice2DName(crystal::classifyLattice2D(s.a, s.b)) + "; a along "
        + directionText(s.aDirection) + ", b along " + directionText(s.bDirection) + "\n";
    out += std::to_string(s.planes.size()) + " atomic planes in a period of " + number(s.period())
        + " Angstrom (atoms within " + number(tolerance) + " Angstrom in one plane)\n";
    for (const crystal::BulkTermination& t : s.terminations) {
        out += "termination " + std::to_string(t.index) + ": top " + formula(t.planes.front().composition());
        const crystal::FirstSpacing first = crystal::firstSpacing(s, t);
        out += ", first spacing " + number(first.spacing) + " Angstrom";
        if (first.length)
            out += std::string(" (") + crystal::spacingLengthName(*first.length) + ")";
        if (t.polarity) {
            out += ", Tasker type " + std::to_string(t.polarity->tasker);
            if (t.polarity->tasker == 3)
                out += ", dipole " + number(t.polarity->dipolePerArea) + " e/Angstrom";
        }
        out += "\n  planes:";
        for (const crystal::BulkPlane& plane : t.planes)
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

std::string formatJson(const crystal::BulkSurface& s, const crystal::CrystalSymmetry& sym, double tolerance)
{
    std::string out = "{\"space_group\": {\"symbol\": " + jsonString(sym.symbol)
        + ", \"number\": " + std::to_string(sym.number) + "}";
    out += ", \"cell\": {\"a\": " + jsonNumber(s.a.x) + ", \"b\": " + jsonNumber(norm(s.b))
        + ", \"gamma\": " + jsonNumber(gammaDegrees(s)) + ", \"area\": " + jsonNumber(s.area())
        + ", \"a_direction\": " + directionJson(s.aDirection) + ", \"b_direction\": " + directionJson(s.bDirection)
        + ", \"type\": " + jsonString(crystal::lattice2DName(crystal::classifyLattice2D(s.a, s.b))) + "}";
    out += ", \"plane_tolerance\": " + jsonNumber(tolerance) + ", \"terminations\": [";
    for (std::size_t i = 0; i < s.terminations.size(); ++i) {
        const crystal::BulkTermination& t = s.terminations[i];
        out += i ? ", " : "";
        out +=
            "{\"index\": " + std::to_string(t.index) + ", \"top\": " + compositionJson(t.planes.front().composition());
        out += ", \"planes\": [";
        for (std::size_t k = 0; k < t.planes.size(); ++k)
            out += (k ? ", " : "") + std::string("{\"composition\": ") + compositionJson(t.planes[k].composition())
                + ", \"height\": " + jsonNumber(t.planes[k].height) + "}";
        out += "], \"tasker\": " + (t.polarity ? std::to_string(t.polarity->tasker) : std::string("null"));
        out += ", \"dipole\": " + (t.polarity ? jsonNumber(t.polarity->dipolePerArea) : std::string("null"));
        const crystal::FirstSpacing first = crystal::firstSpacing(s, t);
        out += ", \"first_spacing\": " + jsonNumber(first.spacing) + ", \"first_spacing_length\": "
            + (first.length ? jsonString(crystal::spacingLengthName(*first.length)) : std::string("null"));
        out += std::string(", \"symmetric_possible\": ") + (s.symmetricPossible ? "true" : "false") + "}";
    }
    return out + "]}\n";
}

} // namespace

int runTerminations(const BatchCommand& cmd)
{
    const auto bulk = bulkCrystal(cmd);
    if (!bulk)
        return fileError(bulk.error().message);
    const auto symmetry = crystal::analyseSymmetry(*bulk);
    if (!symmetry)
        return fileError(symmetry.error().message);
    const auto surface = crystal::bulkSurface(*bulk, *symmetry, cmd.bulkHkl, cmd.planeTolerance);
    if (!surface)
        return fileError(surface.error().message);
    const auto& h = cmd.bulkHkl;
    const std::string title =
        bulkName(cmd) + " (" + std::to_string(h[0]) + " " + std::to_string(h[1]) + " " + std::to_string(h[2]) + ")";
    std::cout << (cmd.textFormat == TextFormat::Json ? formatJson(*surface, *symmetry, cmd.planeTolerance)
                                                     : formatText(*surface, *symmetry, title, cmd.planeTolerance));
    std::cout.flush();
    return std::cout ? 0 : 1;
}

} // namespace cli
