#include "crystal/Report.h"

#include "crystal/Coordination.h"
#include "crystal/Prototype.h"
#include "crystal/Symmetry.h"
#include "platform/Text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>
#include <numbers>
#include <numeric>

namespace crystal {

namespace {

constexpr int ExposedPlanes = 3;
constexpr std::size_t TextWidth = 50;
constexpr std::size_t LabelWidth = 17;

double degrees(double radians) { return radians * 180.0 / std::numbers::pi; }

double angleBetween(Position p, Position q)
{
    const double c = dot(p, q) / (norm(p) * norm(q));
    return degrees(std::acos(std::clamp(c, -1.0, 1.0)));
}

std::string fixed(double value, int decimals)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
    return buf;
}

// Numbers as the program writes them, null where one is not finite (JSON's way).
using platform::jsonNumber;

// Miller indices, direction indices or four-index (h k i l).
template <class Indices> std::string indexList(const Indices& v, char open, char close)
{
    std::string s(1, open);
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (i)
            s += ' ';
        s += std::to_string(v[i]);
    }
    return s + close;
}

// Label in a fixed column, then the value.
std::string line(std::string_view label, std::string_view value)
{
    std::string s(label);
    if (s.size() < LabelWidth)
        s.resize(LabelWidth, ' ');
    else
        s += ' ';
    s += value;
    s += '\n';
    return s;
}

// Items after the label, as many to a line as fit in the text width, the rest on
// continuation lines under the first item.
std::string wrapped(std::string_view label, const std::vector<std::string>& items)
{
    std::string out;
    std::string current;
    bool first = true;
    for (const std::string& item : items) {
        if (!current.empty() && LabelWidth + current.size() + 1 + item.size() > TextWidth) {
            out += line(first ? label : "", current);
            first = false;
            current.clear();
        }
        if (!current.empty())
            current += ' ';
        current += item;
    }
    out += line(first ? label : "", current);
    return out;
}

// The spacings as the smallest repeating unit and its count: "2.0871 x 3",
// "0.8160 2.4481 x 3"; a sequence that does not repeat is listed whole.
std::vector<std::string> spacingItems(const std::vector<double>& spacings)
{
    const std::size_t n = spacings.size();
    std::size_t unit = n;
    for (std::size_t r = 1; r < n; ++r) {
        if (n % r != 0)
            continue;
        bool repeats = true;
        for (std::size_t i = r; i < n && repeats; ++i)
            repeats = std::fabs(spacings[i] - spacings[i - r]) <= LengthTolerance;
        if (repeats) {
            unit = r;
            break;
        }
    }
    std::vector<std::string> items;
    for (std::size_t i = 0; i < unit; ++i)
        items.push_back(fixed(spacings[i], 4));
    if (n / unit > 1)
        items.back() += " x " + std::to_string(n / unit);
    return items;
}

// The stacking period in periods of the cell: the fewest periods after which the planes come
// back in the same lateral registry (three for FCC (1 1 1), ABC). The cell's own period is the
// shortest translation, which may shift the stack sideways. An HCP plane whose normal is no
// lattice direction (c/a irrational) never comes back in registry: its period stays the cell's.
long long registryPeriods(const SurfaceCell& cell, LatticeKind lattice)
{
    const Miller& h = cell.reduced;
    if (lattice == LatticeKind::Hcp && h[2] != 0 && (h[0] != 0 || h[1] != 0))
        return 1;
    const auto [u, v] = inPlaneFractional(cell.periodVector, cell.a, cell.b);
    // A lattice vector along the normal is at most 2 (h^2 + k^2 + l^2) planes long.
    const long long limit = 4 * (h[0] * h[0] + h[1] * h[1] + h[2] * h[2]) + 4;
    for (long long k = 1; k <= limit; ++k) {
        const double ku = double(k) * u;
        const double kv = double(k) * v;
        if (std::fabs(ku - std::round(ku)) < RegistryTolerance && std::fabs(kv - std::round(kv)) < RegistryTolerance)
            return k;
    }
    return 1;
}

std::array<int64_t, 4> fourIndex(const Miller& hkl) { return {hkl[0], hkl[1], -(hkl[0] + hkl[1]), hkl[2]}; }

// The spacing from the cell's top plane to the next one down, Angstrom.
double firstCellSpacing(const SurfaceCell& cell)
{
    return cell.planes.size() > 1 ? cell.planes[0].depth - cell.planes[1].depth : cell.periodHeight();
}

// Elements with their counts per 2D cell, in the order of their symbols: "O2Ti".
std::string formula(const std::map<std::string, int>& composition)
{
    std::string out;
    for (const auto& [element, count] : composition)
        out += element + (count > 1 ? std::to_string(count) : "");
    return out;
}

// The words of a sentence, for wrapped().
std::vector<std::string> words(std::string_view text)
{
    std::vector<std::string> out;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find(' ', start), text.size());
        if (end > start)
            out.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

} // namespace

BulkPlaneReport bulkPlaneReport(const BulkCrystal& bulk, const Miller& hkl, double planeTolerance)
{
    BulkPlaneReport out;
    const auto symmetry = analyseSymmetry(bulk);
    if (!symmetry) {
        out.note = symmetry.error().message;
        return out;
    }
    out.spaceGroup = symmetry->symbol;
    out.spaceGroupNumber = symmetry->number;
    Miller reduced = hkl;
    if (const int64_t g = std::gcd(std::gcd(hkl[0], hkl[1]), hkl[2]); g > 1)
        for (int64_t& x : reduced)
            x /= g;
    if (const Miller conventional = conventionalMiller(*symmetry, hkl); conventional != reduced)
        out.conventionalHkl = conventional;

    const auto surface = bulkSurface(bulk, *symmetry, hkl, planeTolerance);
    if (!surface) {
        out.note = surface.error().message;
        return out;
    }
    out.symmetricPossible = surface->symmetricPossible;
    for (const BulkTermination& t : surface->terminations)
        out.terminations.push_back({t.index, t.planes.front().composition(),
                                    t.polarity ? std::optional<int>(t.polarity->tasker) : std::nullopt,
                                    firstSpacing(*surface, t)});
    return out;
}

platform::Result<SurfaceReport> surfaceReport(const SurfaceSpec& spec)
{
    const auto cell = surfaceCell(spec, InPlaneCell::Primitive);
    if (!cell)
        return cell.error();
    if (cell->planes.empty() || !(cell->periodHeight() > 0.0) || !(cell->area() > 0.0))
        return platform::fail("the surface cell of " + surfaceTitle(spec) + " is empty");

    SurfaceReport r;
    r.title = surfaceTitle(spec);
    r.lattice = spec.bulk ? LatticeKind::Fcc : spec.material.lattice; // a bulk: no four indices, no HCP rule
    r.hkl = cell->hkl;
    r.reduced = cell->reduced;
    if (fourIndexPlane(spec)) {
        r.hkil = fourIndex(r.hkl);
        r.reducedHkil = fourIndex(r.reduced);
    }

    // The cell itself, as exported files, LEED indices and figures refer to it.
    r.aDirection = cell->aDirection;
    r.bDirection = cell->bDirection;
    r.type = classifyLattice2D(cell->a, cell->b);
    r.a = norm(cell->a);
    r.b = norm(cell->b);
    r.gamma = angleBetween(cell->a, cell->b);
    r.area = cell->area();

    const auto& planes = cell->planes;
    const long long periods = registryPeriods(*cell, r.lattice);
    r.planesPerPeriod = int(periods * static_cast<long long>(planes.size()));
    r.periodHeight = double(periods) * cell->periodHeight();
    for (std::size_t i = 0; i < planes.size(); ++i) {
        const double below = i + 1 < planes.size() ? planes[i + 1].depth : planes.front().depth - cell->periodHeight();
        r.planeSpacings.push_back(planes[i].depth - below);
    }
    r.planeSpacings.reserve(std::size_t(r.planesPerPeriod));
    for (long long k = 1; k < periods; ++k)
        for (std::size_t i = 0; i < planes.size(); ++i)
            r.planeSpacings.push_back(r.planeSpacings[i]);
    r.atomsPerPlane = int(planes.front().atoms.size());
    r.atomsPerNm2 = double(r.atomsPerPlane) / r.area * 100.0;

    // A bulk whose elements differ in coordination has no one bulk number: 0.
    const std::vector<int>& bulk = cell->neighbours.bulk;
    r.bulkCoordination = std::equal(bulk.begin() + 1, bulk.end(), bulk.begin()) ? bulk.front() : 0;
    for (int p = 0; p < ExposedPlanes; ++p) {
        std::map<int, int> counts;
        for (int cn : planeCoordination(*cell, p))
            ++counts[cn];
        ExposedPlane exposed{p + 1, {}};
        for (const auto& [cn, atoms] : counts)
            exposed.counts.push_back({cn, atoms});
        r.exposed.push_back(std::move(exposed));
    }

    if (!spec.bulk)
        r.steps = stepNotation(r.lattice, r.hkl);

    if (spec.bulk && spec.bulk->crystal)
        r.bulk = bulkPlaneReport(*spec.bulk->crystal, spec.hkl, spec.bulk->planeTolerance);
    else if (const auto bulk = bulkOf(spec.material))
        r.bulk = bulkPlaneReport(*bulk, spec.hkl);
    else
        r.bulk.note = bulk.error().message;
    if (auto sites = findSites(spec, *cell))
        r.sites = std::move(*sites);
    if (!spec.bulk && spec.termination != Termination::None) {
        SurfaceSpec other = spec;
        other.termination = spec.termination == Termination::B ? Termination::A : Termination::B;
        const auto otherCell = surfaceCell(other, InPlaneCell::Primitive);
        if (otherCell && !otherCell->planes.empty()) {
            const double mine = firstCellSpacing(*cell);
            const double theirs = firstCellSpacing(*otherCell);
            if (std::fabs(mine - theirs) > LengthTolerance)
                r.shortFirstSpacing = mine < theirs ? spec.termination : other.termination;
        }
    }
    return r;
}

std::string formatReportText(const SurfaceReport& r)
{
    std::string out = r.title + "\n";
    out += line("plane (h k l)", indexList(r.hkl, '(', ')'));
    out += line("  reduced", indexList(r.reduced, '(', ')'));
    if (r.hkil) {
        out += line("plane (h k i l)", indexList(*r.hkil, '(', ')'));
        out += line("  reduced", indexList(*r.reducedHkil, '(', ')'));
    }
    if (r.bulk.spaceGroupNumber > 0) {
        out += line("space group", r.bulk.spaceGroup + " (" + std::to_string(r.bulk.spaceGroupNumber) + ")");
        if (r.bulk.conventionalHkl)
            out += line("  conventional", indexList(*r.bulk.conventionalHkl, '(', ')') + " in the standard cell");
    }
    out += line("2D cell", lattice2DName(r.type));
    out += line("  a", fixed(r.a, 4) + " A along " + indexList(r.aDirection, '[', ']'));
    out += line("  b", fixed(r.b, 4) + " A along " + indexList(r.bDirection, '[', ']'));
    out += line("  gamma", fixed(r.gamma, 2) + " deg");
    out += line("  area", fixed(r.area, 4) + " A^2");
    out += line("planes/period", std::to_string(r.planesPerPeriod) + ", " + fixed(r.periodHeight, 4) + " A high");
    out += wrapped("spacings (A)", spacingItems(r.planeSpacings));
    out += line("atoms/nm^2", fixed(r.atomsPerNm2, 3) + " (" + std::to_string(r.atomsPerPlane) + " per cell, plane 1)");
    out += line("coordination",
                "CN: atoms per cell"
                    + (r.bulkCoordination ? ", bulk " + std::to_string(r.bulkCoordination) : std::string()));
    for (const ExposedPlane& plane : r.exposed) {
        std::vector<std::string> items;
        for (std::size_t i = 0; i < plane.counts.size(); ++i)
            items.push_back(std::to_string(plane.counts[i].coordination) + ": " + std::to_string(plane.counts[i].atoms)
                            + (i + 1 < plane.counts.size() ? "," : ""));
        out += wrapped("  plane " + std::to_string(plane.plane), items);
    }
    std::string steps = "none";
    if (r.steps)
        steps = formatStepNotation(*r.steps) + (r.steps->kinked ? ", kinked" : "");
    out += line("steps", steps);
    if (r.bulk.terminations.empty()) {
        out += wrapped("terminations", words("not known: " + r.bulk.note));
    } else {
        out += line("terminations",
                    std::to_string(r.bulk.terminations.size()) + ", symmetric slabs "
                        + (r.bulk.symmetricPossible ? "possible" : "not possible"));
        for (const ReportTermination& t : r.bulk.terminations) {
            out += line("  " + std::to_string(t.index),
                        "top " + formula(t.top) + ", "
                            + (t.tasker ? "Tasker type " + std::to_string(*t.tasker) : std::string("no Tasker type")));
            out +=
                line("",
                     "first spacing " + fixed(t.firstSpacing.spacing, 4) + " A"
                         + (t.firstSpacing.length ? std::string(" (") + spacingLengthName(*t.firstSpacing.length) + ")"
                                                  : std::string()));
        }
    }
    if (r.shortFirstSpacing)
        out +=
            line("  short first", std::string("termination ") + (*r.shortFirstSpacing == Termination::B ? "B" : "A"));
    if (!r.sites.empty()) {
        out += line("sites", std::to_string(r.sites.size()) + " (per cell, bound atoms)");
        for (const Site& site : r.sites) {
            std::string bound;
            for (const BoundAtoms& b : site.bound)
                bound += " " + std::to_string(b.count) + " " + b.element;
            out += line("  " + site.label, std::to_string(site.multiplicity) + "," + bound);
        }
    }
    return out;
}

std::string formatReportJson(const SurfaceReport& r)
{
    auto direction = [](const auto& v) {
        return "[" + std::to_string(v[0]) + ", " + std::to_string(v[1]) + ", " + std::to_string(v[2]) + "]";
    };
    std::string out = "{\"cell\": {";
    out += "\"a\": " + jsonNumber(r.a);
    out += ", \"b\": " + jsonNumber(r.b);
    out += ", \"gamma\": " + jsonNumber(r.gamma);
    out += ", \"area\": " + jsonNumber(r.area);
    out += ", \"a_direction\": " + direction(r.aDirection);
    out += ", \"b_direction\": " + direction(r.bDirection);
    out += ", \"type\": \"" + std::string(lattice2DName(r.type)) + "\"}";
    out += ", \"plane_spacings\": [";
    for (std::size_t i = 0; i < r.planeSpacings.size(); ++i)
        out += (i ? ", " : "") + jsonNumber(r.planeSpacings[i]);
    out += "], \"planes_per_period\": " + std::to_string(r.planesPerPeriod);
    out += ", \"atoms_per_nm2\": " + jsonNumber(r.atomsPerNm2);
    out += ", \"exposed\": [";
    for (std::size_t i = 0; i < r.exposed.size(); ++i) {
        out += i ? ", " : "";
        out += "{\"plane\": " + std::to_string(r.exposed[i].plane) + ", \"coordination\": {";
        const auto& counts = r.exposed[i].counts;
        for (std::size_t j = 0; j < counts.size(); ++j)
            out +=
                (j ? ", \"" : "\"") + std::to_string(counts[j].coordination) + "\": " + std::to_string(counts[j].atoms);
        out += "}}";
    }
    out += "], \"steps\": ";
    out += r.steps ? "\"" + formatStepNotation(*r.steps) + "\"" : std::string("null");
    const BulkPlaneReport& bulk = r.bulk;
    out += ", \"space_group\": ";
    out += bulk.spaceGroupNumber > 0 ? "{\"symbol\": " + platform::jsonString(bulk.spaceGroup)
            + ", \"number\": " + std::to_string(bulk.spaceGroupNumber) + "}"
                                     : std::string("null");
    out += ", \"conventional_hkl\": ";
    out += bulk.conventionalHkl ? direction(*bulk.conventionalHkl) : std::string("null");
    out += ", \"terminations\": ";
    if (bulk.terminations.empty()) {
        out += "null";
    } else {
        out += "[";
        for (std::size_t i = 0; i < bulk.terminations.size(); ++i) {
            const ReportTermination& t = bulk.terminations[i];
            out += i ? ", " : "";
            out += "{\"index\": " + std::to_string(t.index) + ", \"top\": {";
            for (auto e = t.top.begin(); e != t.top.end(); ++e)
                out += (e == t.top.begin() ? "" : ", ") + platform::jsonString(e->first) + ": "
                    + std::to_string(e->second);
            out += "}, \"tasker\": " + (t.tasker ? std::to_string(*t.tasker) : std::string("null"));
            out += ", \"first_spacing\": " + jsonNumber(t.firstSpacing.spacing);
            out += ", \"first_spacing_length\": ";
            out += t.firstSpacing.length ? platform::jsonString(spacingLengthName(*t.firstSpacing.length))
                                         : std::string("null");
            out += std::string(", \"symmetric_possible\": ") + (bulk.symmetricPossible ? "true" : "false") + "}";
        }
        out += "]";
    }
    out += ", \"short_first_spacing\": ";
    out += r.shortFirstSpacing ? (*r.shortFirstSpacing == Termination::B ? "\"B\"" : "\"A\"") : "null";
    out += ", \"sites\": [";
    for (std::size_t i = 0; i < r.sites.size(); ++i) {
        const Site& site = r.sites[i];
        out += (i ? ", " : "") + std::string("{\"kind\": \"") + siteKindName(site.kind)
            + "\", \"label\": " + platform::jsonString(site.label) + ", \"step\": " + (site.step ? "true" : "false")
            + ", \"multiplicity\": " + std::to_string(site.multiplicity) + ", \"bound\": [";
        for (std::size_t k = 0; k < site.bound.size(); ++k)
            out += (k ? ", " : "") + std::string("{\"element\": ") + platform::jsonString(site.bound[k].element)
                + ", \"count\": " + std::to_string(site.bound[k].count) + "}";
        out += "]}";
    }
    out += "]}\n";
    return out;
}

} // namespace crystal
