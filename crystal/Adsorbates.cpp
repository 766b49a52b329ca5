#include "crystal/Adsorbates.h"

#include "crystal/Material.h"
#include "platform/Text.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <numbers>
#include <numeric>
#include <utility>

namespace crystal {

namespace {

using platform::fail;

constexpr double Pi = std::numbers::pi;

// Angstrom: in-plane points this close are one site.
constexpr double SameSite = 1e-3;

// ---- Species ----

// An upright molecule: its first atom binds, the others above it.
struct MoleculeShape {
    std::string_view name;
    std::string_view bound;  // the element of the bound atom
    std::string_view others; // the element of the other atoms
    int count;               // how many other atoms
    double length;           // Angstrom, from the bound atom to each other atom
    double bondAngle;        // degrees between two of those bonds (0 for one other atom)
};

// Experimental gas-phase geometries. Diatomics: equilibrium bond lengths r_e of K. P. Huber and
// G. Herzberg, Constants of Diatomic Molecules (1979), as the NIST Computational Chemistry
// Comparison and Benchmark Database (CCCBDB) lists them: CO 1.1283, NO 1.1508, OH 0.9697. H2O:
// r = 0.9572, HOH 104.52 degrees; NH3: r = 1.012, HNH 106.67 degrees (CCCBDB, experimental).
// CH3 is a methyl group bound through the fourth bond of its carbon, as in methane: r(CH) = 1.087
// (CCCBDB, CH4) at the tetrahedral angle, not the planar free radical.
const MoleculeShape Molecules[] = {
    {"CO", "C", "O", 1, 1.1283, 0.0},     {"NO", "N", "O", 1, 1.1508, 0.0},         {"OH", "O", "H", 1, 0.9697, 0.0},
    {"H2O", "O", "H", 2, 0.9572, 104.52}, {"CH3", "C", "H", 3, 1.087, 109.4712206}, {"NH3", "N", "H", 3, 1.012, 106.67},
};

AdsorbateSpecies moleculeOf(const MoleculeShape& m)
{
    AdsorbateSpecies s;
    s.name = std::string(m.name);
    s.atoms.push_back({std::string(m.bound), {}});
    if (m.count == 1) {
        s.atoms.push_back({std::string(m.others), {0.0, 0.0, m.length}});
    } else if (m.count == 2) {
        // In the x-z plane, the bisector of the two bonds along z.
        const double half = 0.5 * m.bondAngle * Pi / 180.0;
        for (double side : {1.0, -1.0})
            s.atoms.push_back(
                {std::string(m.others), {side * m.length * std::sin(half), 0.0, m.length * std::cos(half)}});
    } else {
        // Three bonds about the z axis: with alpha their angle to it, two of them at 120 degrees
        // about the axis make cos(bondAngle) = cos^2 alpha - sin^2 alpha / 2.
        const double cosAlpha = std::sqrt((2.0 * std::cos(m.bondAngle * Pi / 180.0) + 1.0) / 3.0);
        const double sinAlpha = std::sqrt(1.0 - cosAlpha * cosAlpha);
        for (int k = 0; k < 3; ++k) {
            const double phi = 2.0 * Pi * k / 3.0;
            s.atoms.push_back(
                {std::string(m.others),
                 {m.length * sinAlpha * std::cos(phi), m.length * sinAlpha * std::sin(phi), m.length * cosAlpha}});
        }
    }
    return s;
}

// ---- Text ----

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// The text as a message shows it: control bytes as '?', long text cut.
std::string shown(std::string_view text)
{
    constexpr std::size_t MaxShown = 60;
    std::string out;
    for (std::size_t i = 0; i < text.size() && i < MaxShown; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        out += c < 0x20 || c == 0x7f ? '?' : char(c);
    }
    if (text.size() > MaxShown)
        out += "...";
    return out;
}

// A site name compared: blanks, '-' and '_' as one blank, runs of them as one, letter case ignored.
std::string normalised(std::string_view name)
{
    std::string out;
    for (char c : trimmed(name)) {
        if (c == '-' || c == '_' || isBlank(c)) {
            if (!out.empty() && out.back() != ' ')
                out += ' ';
        } else {
            out += c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
        }
    }
    return out;
}

// The label as typed on a command line: "short-bridge", "4-fold-hollow".
std::string typedLabel(const std::string& label)
{
    std::string out = label;
    std::replace(out.begin(), out.end(), ' ', '-');
    return out;
}

// ---- Lattices ----

int64_t gcd64(int64_t a, int64_t b) { return std::gcd(a < 0 ? -a : a, b < 0 ? -b : b); }

// The coordinates of the lattice vector v (in the primitive basis) in the basis of m's rows, times
// det m: v adj(m).
std::pair<int64_t, int64_t> timesAdjugate(std::pair<int64_t, int64_t> v, const IntMatrix2& m)
{
    return {v.first * m.m22 - v.second * m.m21, -v.first * m.m12 + v.second * m.m11};
}

// The least n > 0 with n v in the lattice of m's rows.
int64_t leastMultipleIn(std::pair<int64_t, int64_t> v, const IntMatrix2& m)
{
    const auto [x, y] = timesAdjugate(v, m);
    const int64_t d = m.det() < 0 ? -m.det() : m.det();
    return d / gcd64(d, gcd64(x, y));
}

bool inLattice(std::pair<int64_t, int64_t> v, const IntMatrix2& m)
{
    const auto [x, y] = timesAdjugate(v, m);
    return x % m.det() == 0 && y % m.det() == 0;
}

// The cell's vectors as integer combinations of the primitive cell's (rows), and the primitive
// vectors in the cell's frame.
struct PrimitiveBasis {
    IntMatrix2 cellInPrimitive;
    Position a, b;
};

platform::Result<PrimitiveBasis> primitiveBasis(const SurfaceSpec& spec, const SurfaceCell& cell)
{
    if (!cell.orthogonal)
        return PrimitiveBasis{IntMatrix2{}, cell.a, cell.b};
    auto primitive = surfaceCell(spec, InPlaneCell::Primitive);
    if (!primitive)
        return primitive.error();
    // The two frames share the normal: turn the cell's vectors into the primitive cell's frame
    // through the crystal frame both are given in.
    auto inPrimitiveFrame = [&](Position v) {
        Position w;
        const double c[3] = {v.x, v.y, v.z};
        for (int i = 0; i < 3; ++i) {
            w.x += c[i] * dot(cell.orientation[std::size_t(i)], primitive->orientation[0]);
            w.y += c[i] * dot(cell.orientation[std::size_t(i)], primitive->orientation[1]);
        }
        return w;
    };
    int64_t t[4];
    int k = 0;
    for (Position v : {cell.a, cell.b}) {
        const Fractional f = inPlaneFractional(inPrimitiveFrame(v), primitive->a, primitive->b);
        for (double x : {f.u, f.v}) {
            if (std::abs(x - std::round(x)) > 1e-6)
                return fail("the rectangular cell of " + surfaceTitle(spec) + " is no supercell of its primitive cell");
            t[k++] = int64_t(std::llround(x));
        }
    }
    const IntMatrix2 m{t[0], t[1], t[2], t[3]};
    const double det = double(m.det());
    if (det == 0.0)
        return fail("the rectangular cell of " + surfaceTitle(spec) + " is no supercell of its primitive cell");
    // cell.a = m11 pa + m12 pb, cell.b = m21 pa + m22 pb, solved for pa and pb.
    const Position pa = (1.0 / det) * (double(m.m22) * cell.a - double(m.m12) * cell.b);
    const Position pb = (1.0 / det) * (double(m.m11) * cell.b - double(m.m21) * cell.a);
    return PrimitiveBasis{m, pa, pb};
}

// The image of p under the lattice of a, b nearest the origin.
Position nearestImage(Position p, Position a, Position b)
{
    const Fractional f = inPlaneFractional(p, a, b);
    const double u0 = std::round(f.u), v0 = std::round(f.v);
    Position best = p;
    double bestLength = INFINITY;
    for (int i = -1; i <= 1; ++i)
        for (int j = -1; j <= 1; ++j) {
            const Position q = p - (u0 + i) * a - (v0 + j) * b;
            const double length = std::hypot(q.x, q.y);
            if (length < bestLength - SameSite) {
                best = q;
                bestLength = length;
            }
        }
    return best;
}

std::string siteNames(const std::vector<Site>& sites)
{
    std::string out;
    for (const Site& s : sites)
        out += (out.empty() ? "" : ", ") + typedLabel(s.label);
    return out;
}

} // namespace

std::optional<AdsorbateSpecies> findAdsorbateSpecies(std::string_view name)
{
    for (const MoleculeShape& m : Molecules)
        if (m.name == name)
            return moleculeOf(m);
    if (isElementSymbol(name))
        return AdsorbateSpecies{std::string(name), {{std::string(name), {}}}};
    return std::nullopt;
}

std::string moleculeNames()
{
    std::string out;
    for (const MoleculeShape& m : Molecules)
        out += (out.empty() ? "" : ", ") + std::string(m.name);
    return out;
}

platform::Result<std::vector<AdsorbateItem>> parseAdsorbates(std::string_view text)
{
    const std::string whole = "adsorbate \"" + shown(text) + "\": ";
    std::vector<AdsorbateItem> items;
    if (trimmed(text).empty())
        return fail(whole + "empty: give SPECIES@SITE, e.g. O@fcc");
    std::size_t start = 0;
    for (int n = 1;; ++n) {
        const std::size_t comma = text.find(',', start);
        const std::string_view item = trimmed(text.substr(start, comma == text.npos ? text.npos : comma - start));
        const std::string which = "item " + std::to_string(n);
        if (item.empty())
            return fail(whole + which + " is empty");
        const std::size_t at = item.find('@');
        if (at == item.npos)
            return fail(whole + which + " \"" + shown(item) + "\" has no site: SPECIES@SITE, e.g. O@fcc");
        const std::string_view species = trimmed(item.substr(0, at));
        const std::string_view site = trimmed(item.substr(at + 1));
        if (species.empty())
            return fail(whole + which + " \"" + shown(item) + "\" has no species before @");
        if (site.empty())
            return fail(whole + which + " \"" + shown(item) + "\" has no site after @");
        if (site.find('@') != site.npos)
            return fail(whole + which + " \"" + shown(item) + "\" has more than one @");
        auto found = findAdsorbateSpecies(species);
        if (!found)
            return fail(whole + "unknown species \"" + shown(species) + "\" (an element symbol such as O, or "
                        + moleculeNames() + ")");
        items.push_back({std::move(*found), std::string(site)});
        if (comma == text.npos)
            break;
        start = comma + 1;
    }
    return items;
}

std::string itemText(const AdsorbateItem& item) { return item.species.name + "@" + item.site; }

bool siteNamed(std::string_view name, const Site& site)
{
    const std::string typed = normalised(name);
    const std::string label = normalised(site.label);
    if (typed == label || typed + " hollow" == label)
        return true;
    if (typed == "top")
        return site.kind == SiteKind::Top;
    if (typed == "bridge")
        return site.kind == SiteKind::Bridge;
    if (typed == "hollow")
        return site.kind == SiteKind::Hollow || site.kind == SiteKind::Fcc || site.kind == SiteKind::Hcp;
    if (typed == "fcc")
        return site.kind == SiteKind::Fcc;
    if (typed == "hcp")
        return site.kind == SiteKind::Hcp;
    return false;
}

double Overlayer::perSubstrateCell() const { return 1.0 / std::abs(double(matrix.det())); }

platform::Result<Overlayer> placeOverlayer(const SurfaceSpec& spec, const SurfaceCell& cell,
                                           const OverlayerRequest& request)
{
    if (request.items.empty())
        return fail("no adsorbate given");
    if (request.height && !(*request.height > 0.0 && *request.height <= MaxAdsorbateHeight))
        return fail("--height must be above 0 and at most 100 Angstrom");
    auto basis = primitiveBasis(spec, cell);
    if (!basis)
        return basis.error();
    Overlayer overlayer;
    overlayer.primitiveA = basis->a;
    overlayer.primitiveB = basis->b;
    overlayer.cellInPrimitive = basis->cellInPrimitive;
    // Wood notation turns into a matrix on the primitive cell in its own frame: rotations and
    // lengths are the same in every frame sharing the normal.
    auto matrix = request.coverage.on(basis->a, basis->b);
    if (!matrix)
        return matrix.error();
    overlayer.matrix = *matrix;
    if (const WoodNotation* wood = request.coverage.wood()) {
        overlayer.coverage = wood->text;
    } else {
        const IntMatrix2& m = *request.coverage.matrix();
        overlayer.coverage = "[" + std::to_string(m.m11) + " " + std::to_string(m.m12) + "; " + std::to_string(m.m21)
            + " " + std::to_string(m.m22) + "]";
    }
    const IntMatrix2& t = overlayer.cellInPrimitive;
    overlayer.repeatA = int(leastMultipleIn({t.m11, t.m12}, overlayer.matrix));
    overlayer.repeatB = int(leastMultipleIn({t.m21, t.m22}, overlayer.matrix));

    auto sites = findSites(spec, cell);
    if (!sites)
        return sites.error();
    for (const AdsorbateItem& item : request.items) {
        const Site* chosen = nullptr;
        Position nearest;
        for (const Site& site : *sites) {
            if (!siteNamed(item.site, site))
                continue;
            // Every site of the class, each at its image nearest the origin.
            for (const Fractional& f : site.orbit.empty() ? std::vector<Fractional>{site.position} : site.orbit) {
                const Position p = nearestImage(cell.inPlane(f), basis->a, basis->b);
                if (!chosen || std::hypot(p.x, p.y) < std::hypot(nearest.x, nearest.y) - SameSite) {
                    chosen = &site;
                    nearest = p;
                }
            }
        }
        if (!chosen)
            return fail("site \"" + shown(item.site) + "\" of " + itemText(item) + " is not on " + surfaceTitle(spec)
                        + " (its sites: " + siteNames(*sites) + ")");
        const std::string& element = item.species.atoms.front().element;
        std::optional<double> height = request.height;
        if (!height)
            height = bondHeight(*chosen, element);
        if (!height)
            return fail("no covalent radius for " + element + " bound at " + chosen->label + ": give --height");
        nearest.z = *height;
        for (const PlacedAdsorbate& other : overlayer.adsorbates) {
            // Points of one overlayer lattice coincide when their difference is a lattice vector.
            const Position a = double(overlayer.matrix.m11) * basis->a + double(overlayer.matrix.m12) * basis->b;
            const Position b = double(overlayer.matrix.m21) * basis->a + double(overlayer.matrix.m22) * basis->b;
            const Position d = nearestImage(nearest - other.bound, a, b);
            if (std::hypot(d.x, d.y) < SameSite)
                return fail(itemText(other.item) + " and " + itemText(item) + " take the same site");
        }
        overlayer.adsorbates.push_back({item, *chosen, nearest});
    }
    return overlayer;
}

std::pair<int64_t, int64_t> overlayerRepeats(const Overlayer& overlayer, int repeatA, int repeatB)
{
    return {std::lcm(int64_t(repeatA), int64_t(overlayer.repeatA)),
            std::lcm(int64_t(repeatB), int64_t(overlayer.repeatB))};
}

platform::Status addOverlayer(PeriodicSlab& slab, const Overlayer& overlayer)
{
    const IntMatrix2& t = overlayer.cellInPrimitive;
    const IntMatrix2& m = overlayer.matrix;
    const Position pa = overlayer.primitiveA, pb = overlayer.primitiveB;
    const Position cellA = double(t.m11) * pa + double(t.m12) * pb;
    const Position cellB = double(t.m21) * pa + double(t.m22) * pb;
    const int64_t ra = std::llround(norm(slab.a) / norm(cellA));
    const int64_t rb = std::llround(norm(slab.b) / norm(cellB));
    const IntMatrix2 s{ra * t.m11, ra * t.m12, rb * t.m21, rb * t.m22};
    if (ra < 1 || rb < 1 || norm(slab.a - double(ra) * cellA) > SameSite
        || norm(slab.b - double(rb) * cellB) > SameSite)
        return fail("the slab is not made of the overlayer's surface cell");
    if (!inLattice({s.m11, s.m12}, m) || !inLattice({s.m21, s.m22}, m))
        return fail("a slab of " + std::to_string(ra) + "x" + std::to_string(rb)
                    + " cells does not hold whole overlayer cells");

    double top = -INFINITY;
    for (const SlabAtom& atom : slab.atoms)
        if (atom.plane == 0)
            top = std::max(top, atom.position.z);
    if (!std::isfinite(top))
        return fail("the slab has no top plane");

    std::vector<int> species;
    double extent = 0.0;
    for (const PlacedAdsorbate& placed : overlayer.adsorbates)
        for (const FragmentAtom& atom : placed.item.species.atoms) {
            auto known = std::find(slab.elements.begin(), slab.elements.end(), atom.element);
            if (known == slab.elements.end())
                known = slab.elements.insert(slab.elements.end(), atom.element);
            species.push_back(int(known - slab.elements.begin()));
            extent = std::max(extent, placed.bound.z + atom.offset.z);
        }

    // The overlayer's lattice points P = (i j) m inside the slab's cell: P s^-1 in [0, 1)^2, read
    // exactly as P adj(s) within [0, det s) (signs turned for a negative determinant). The range
    // of i and j comes from the corners of the cell in the overlayer's basis.
    const int64_t ds = s.det();
    const int64_t dm = m.det();
    auto inCell = [&](int64_t px, int64_t py) {
        auto [x, y] = timesAdjugate({px, py}, s);
        int64_t d = ds;
        if (d < 0) {
            x = -x;
            y = -y;
            d = -d;
        }
        return x >= 0 && x < d && y >= 0 && y < d;
    };
    double iLow = 0.0, iHigh = 0.0, jLow = 0.0, jHigh = 0.0;
    for (auto [cx, cy] : {std::pair<int64_t, int64_t>{s.m11, s.m12}, {s.m21, s.m22}, {s.m11 + s.m21, s.m12 + s.m22}}) {
        const auto [x, y] = timesAdjugate({cx, cy}, m);
        iLow = std::min(iLow, double(x) / double(dm));
        iHigh = std::max(iHigh, double(x) / double(dm));
        jLow = std::min(jLow, double(y) / double(dm));
        jHigh = std::max(jHigh, double(y) / double(dm));
    }
    const std::size_t expected = std::size_t(std::llabs(ds / dm));
    slab.atoms.reserve(slab.atoms.size() + expected * species.size());
    for (auto j = int64_t(std::floor(jLow)) - 1; j <= int64_t(std::ceil(jHigh)) + 1; ++j)
        for (auto i = int64_t(std::floor(iLow)) - 1; i <= int64_t(std::ceil(iHigh)) + 1; ++i) {
            const int64_t px = i * m.m11 + j * m.m21, py = i * m.m12 + j * m.m22;
            if (!inCell(px, py))
                continue;
            const Position origin = double(px) * pa + double(py) * pb;
            std::size_t k = 0;
            for (const PlacedAdsorbate& placed : overlayer.adsorbates) {
                // The bound atom wrapped into the cell, the molecule moved with it, whole.
                Position bound = origin + placed.bound;
                const Fractional f = inPlaneFractional(bound, slab.a, slab.b);
                const Fractional inside = wrapped(f);
                bound = bound + (inside.u - f.u) * slab.a + (inside.v - f.v) * slab.b;
                bound.z = top + placed.bound.z;
                for (const FragmentAtom& atom : placed.item.species.atoms)
                    slab.atoms.push_back({species[k++], -1, bound + atom.offset});
            }
        }
    slab.c.z += extent;
    return {};
}

std::string formatOverlayerText(const Overlayer& o)
{
    auto line = [](std::string label, const std::string& value) {
        label.resize(std::max<std::size_t>(label.size() + 1, 17), ' ');
        return label + value + "\n";
    };
    auto number = [](const char* format, double value) {
        char text[64];
        std::snprintf(text, sizeof text, format, value);
        return std::string(text);
    };
    const IntMatrix2& m = o.matrix;
    std::string out = line("overlayer",
                           o.coverage + " = [" + std::to_string(m.m11) + " " + std::to_string(m.m12) + "; "
                               + std::to_string(m.m21) + " " + std::to_string(m.m22) + "]");
    const int64_t cells = m.det() < 0 ? -m.det() : m.det();
    out += line("  cell", std::to_string(cells) + (cells == 1 ? " substrate cell" : " substrate cells"));
    for (const PlacedAdsorbate& a : o.adsorbates) {
        out += line("  " + itemText(a.item), a.site.label + ", " + number("%.4f", a.bound.z) + " A high");
        out += line("", platform::shortest(o.perSubstrateCell()) + " per substrate cell");
    }
    return out;
}

std::string formatOverlayerJson(const Overlayer& o)
{
    using platform::jsonNumber;
    using platform::jsonString;
    const IntMatrix2& m = o.matrix;
    std::string out = "{\"coverage\": " + jsonString(o.coverage) + ", \"matrix\": [[" + std::to_string(m.m11) + ", "
        + std::to_string(m.m12) + "], [" + std::to_string(m.m21) + ", " + std::to_string(m.m22)
        + "]], \"cells\": " + std::to_string(m.det() < 0 ? -m.det() : m.det()) + ", \"adsorbates\": [";
    for (std::size_t i = 0; i < o.adsorbates.size(); ++i) {
        const PlacedAdsorbate& a = o.adsorbates[i];
        out += (i ? ", " : "") + std::string("{\"species\": ") + jsonString(a.item.species.name)
            + ", \"site\": " + jsonString(a.item.site) + ", \"label\": " + jsonString(a.site.label) + ", \"height\": "
            + jsonNumber(a.bound.z) + ", \"per_cell\": " + jsonNumber(o.perSubstrateCell()) + ", \"atoms\": [";
        for (std::size_t k = 0; k < a.item.species.atoms.size(); ++k) {
            const FragmentAtom& atom = a.item.species.atoms[k];
            const Position p = a.bound + atom.offset;
            // + 0.0 turns a negative zero into zero.
            out += (k ? ", " : "") + std::string("{\"element\": ") + jsonString(atom.element) + ", \"position\": ["
                + jsonNumber(p.x + 0.0) + ", " + jsonNumber(p.y + 0.0) + ", " + jsonNumber(p.z) + "]}";
        }
        out += "]}";
    }
    return out + "]}";
}

std::string overlayerCaption(const Overlayer& overlayer)
{
    std::string out;
    for (const PlacedAdsorbate& placed : overlayer.adsorbates)
        out += (out.empty() ? "" : ", ") + itemText(placed.item);
    return out + " " + overlayer.coverage;
}

platform::Result<SlabOptions> overlayerSlabOptions(const Overlayer& overlayer, SlabOptions options)
{
    const auto [ra, rb] = overlayerRepeats(overlayer, options.repeatA, options.repeatB);
    if (ra > std::numeric_limits<int>::max() || rb > std::numeric_limits<int>::max())
        return platform::fail("--size " + std::to_string(options.repeatA) + "x" + std::to_string(options.repeatB)
                              + " with whole " + overlayer.coverage + " cells is too large");
    std::string enlarged;
    if (ra != options.repeatA || rb != options.repeatB)
        enlarged = std::to_string(ra) + "x" + std::to_string(rb);
    options.repeatA = int(ra);
    options.repeatB = int(rb);
    if (auto valid = validSlabOptions(options); !valid)
        return platform::fail(valid.error().message + " (the slab holds whole " + overlayer.coverage + " cells at "
                              + enlarged + ")");
    return options;
}

std::string withOverlayerJson(std::string reportJson, const Overlayer& overlayer)
{
    if (reportJson.ends_with("}\n"))
        reportJson.insert(reportJson.size() - 2, ", \"overlayer\": " + formatOverlayerJson(overlayer));
    return reportJson;
}

platform::Result<std::optional<Overlayer>> placeRequestedOverlayer(const SurfaceSpec& spec, const SurfaceCell& cell,
                                                                   const std::optional<OverlayerRequest>& request)
{
    if (!request)
        return std::optional<Overlayer>();
    auto overlayer = placeOverlayer(spec, cell, *request);
    if (!overlayer)
        return overlayer.error();
    return std::optional<Overlayer>(std::move(*overlayer));
}

} // namespace crystal
