#include "crystal/Sites.h"

#include "crystal/SurfaceSymmetry.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace crystal {

namespace {

// Angstrom: points and distances this close are the same.
constexpr double SiteTolerance = 1e-3;

struct PlanePoint {
    double x = 0.0, y = 0.0;
    int species = 0;
};

// An operation of the surface: the point group's matrix with an in-plane translation that makes
// it map the atoms of the stacking period onto themselves (every such translation, so that a
// cell larger than the primitive one has its centring translations too).
// The linear part acts on in-plane Cartesian vectors of the cell's frame: (x, y) goes to
// (xx x + xy y, yx x + yy y).
struct Linear {
    double xx = 1.0, xy = 0.0, yx = 0.0, yy = 1.0;
};

struct Operation {
    Linear r;
    Fractional t;
};

Fractional apply(const SurfaceCell& cell, const Operation& op, Fractional f)
{
    const Position p = cell.inPlane(f);
    const Position q{op.r.xx * p.x + op.r.xy * p.y, op.r.yx * p.x + op.r.yy * p.y, 0.0};
    return wrapped(inPlaneFractional(q, cell.a, cell.b) + op.t);
}

// The Cartesian form of m, which takes a to m11 a + m12 b and b to m21 a + m22 b.
Linear linearOf(const SurfaceCell& cell, const IntMatrix2& m)
{
    const Position ia = double(m.m11) * cell.a + double(m.m12) * cell.b;
    const Position ib = double(m.m21) * cell.a + double(m.m22) * cell.b;
    // R [a b] = [ia ib], so R = [ia ib] [a b]^-1.
    const double det = cell.a.x * cell.b.y - cell.b.x * cell.a.y;
    const double i11 = cell.b.y / det, i12 = -cell.b.x / det, i21 = -cell.a.y / det, i22 = cell.a.x / det;
    return {ia.x * i11 + ib.x * i21, ia.x * i12 + ib.x * i22, ia.y * i11 + ib.y * i21, ia.y * i12 + ib.y * i22};
}

// The in-plane distance between f and g, the nearest of their lattice images, Angstrom.
double periodicDistance(const SurfaceCell& cell, Fractional f, Fractional g)
{
    const Fractional d = wrapped(f - g);
    double best = INFINITY;
    for (int i = -1; i <= 0; ++i)
        for (int j = -1; j <= 0; ++j) {
            const Position p = cell.inPlane({d.u + i, d.v + j});
            best = std::min(best, std::hypot(p.x, p.y));
        }
    return best;
}

bool sameSite(const SurfaceCell& cell, Fractional f, Fractional g)
{
    return periodicDistance(cell, f, g) < SiteTolerance;
}

// Whether every atom of the period, moved by op, lands on an atom of its own plane and species.
bool mapsAtoms(const SurfaceCell& cell, const Operation& op)
{
    for (const AtomicPlane& plane : cell.planes)
        for (const CellAtom& atom : plane.atoms) {
            const Fractional image = apply(cell, op, atom.position);
            const bool found = std::any_of(plane.atoms.begin(), plane.atoms.end(), [&](const CellAtom& other) {
                return other.species == atom.species && sameSite(cell, image, other.position);
            });
            if (!found)
                return false;
        }
    return true;
}

std::vector<Operation> withTranslations(const SurfaceCell& cell, const std::vector<Linear>& group)
{
    std::vector<Operation> operations;
    const std::vector<CellAtom>& top = cell.planes.front().atoms;
    for (const Linear& r : group) {
        const Fractional moved = apply(cell, {r, {}}, top.front().position);
        for (const CellAtom& target : top) {
            if (target.species != top.front().species)
                continue;
            const Operation op{r, wrapped(target.position - moved)};
            if (mapsAtoms(cell, op))
                operations.push_back(op);
        }
    }
    return operations;
}

// The top plane's atoms and their lattice images near the cell.
std::vector<PlanePoint> topImages(const SurfaceCell& cell, int reach)
{
    std::vector<PlanePoint> points;
    for (const CellAtom& atom : cell.planes.front().atoms)
        for (int i = -reach; i <= reach; ++i)
            for (int j = -reach; j <= reach; ++j) {
                const Position p = cell.inPlane({atom.position.u + i, atom.position.v + j});
                points.push_back({p.x, p.y, atom.species});
            }
    return points;
}

struct Candidate {
    Fractional position;
    double distance = 0.0;
    std::vector<int> species; // of the atoms at that distance
};

Candidate candidateAt(const SurfaceCell& cell, const std::vector<PlanePoint>& points, double x, double y, double r)
{
    Candidate c;
    c.position = wrapped(inPlaneFractional(Position{x, y, 0.0}, cell.a, cell.b));
    c.distance = r;
    for (const PlanePoint& p : points)
        if (std::abs(std::hypot(p.x - x, p.y - y) - r) < SiteTolerance)
            c.species.push_back(p.species);
    return c;
}

void addUnique(const SurfaceCell& cell, std::vector<Candidate>& list, Candidate c)
{
    for (const Candidate& other : list)
        if (sameSite(cell, other.position, c.position))
            return;
    list.push_back(std::move(c));
}

// The hollows (centres of empty circles through three or more atoms) and the bridges (midpoints
// of the Delaunay edges that are not hollows) of the top plane.
std::pair<std::vector<Candidate>, std::vector<Candidate>> hollowsAndBridges(const SurfaceCell& cell)
{
    const std::vector<PlanePoint> points = topImages(cell, 3);
    const double reach = 1.5 * (norm(cell.a) + norm(cell.b));
    std::vector<Candidate> hollows, bridges;
    std::vector<std::pair<double, double>> edges; // midpoints, Angstrom, with each edge's half length
    std::vector<double> halfLengths;
    const std::size_t homeCount = cell.planes.front().atoms.size();
    const std::size_t images = points.size() / homeCount; // the home image of atom k is k * images + images / 2
    for (std::size_t k = 0; k < homeCount; ++k) {
        const PlanePoint& p = points[k * images + images / 2];
        std::vector<const PlanePoint*> near;
        for (const PlanePoint& q : points)
            if (&q != &p && std::hypot(q.x - p.x, q.y - p.y) < reach)
                near.push_back(&q);
        for (std::size_t i = 0; i < near.size(); ++i)
            for (std::size_t j = i + 1; j < near.size(); ++j) {
                const PlanePoint& q = *near[i];
                const PlanePoint& s = *near[j];
                const double bx = q.x - p.x, by = q.y - p.y, cx = s.x - p.x, cy = s.y - p.y;
                const double d = 2.0 * (bx * cy - by * cx);
                if (std::abs(d) < 1e-9)
                    continue;
                const double b2 = bx * bx + by * by, c2 = cx * cx + cy * cy;
                const double ux = (cy * b2 - by * c2) / d, uy = (bx * c2 - cx * b2) / d;
                const double r = std::hypot(ux, uy);
                const double x = p.x + ux, y = p.y + uy;
                const bool empty = std::none_of(points.begin(), points.end(), [&](const PlanePoint& o) {
                    return std::hypot(o.x - x, o.y - y) < r - SiteTolerance;
                });
                if (!empty)
                    continue;
                addUnique(cell, hollows, candidateAt(cell, points, x, y, r));
                for (const auto& [e, f] : {std::pair{&p, &q}, std::pair{&p, &s}, std::pair{&q, &s}}) {
                    edges.emplace_back(0.5 * (e->x + f->x), 0.5 * (e->y + f->y));
                    halfLengths.push_back(0.5 * std::hypot(e->x - f->x, e->y - f->y));
                }
            }
    }
    for (std::size_t e = 0; e < edges.size(); ++e) {
        Candidate c = candidateAt(cell, points, edges[e].first, edges[e].second, halfLengths[e]);
        const bool hollow = std::any_of(hollows.begin(), hollows.end(),
                                        [&](const Candidate& h) { return sameSite(cell, h.position, c.position); });
        if (!hollow)
            addUnique(cell, bridges, std::move(c));
    }
    return {std::move(hollows), std::move(bridges)};
}

// The atoms of the plane below the top one, in the cell's fractional coordinates.
std::vector<Fractional> secondPlane(const SurfaceCell& cell)
{
    std::vector<Fractional> result;
    if (cell.planes.size() > 1) {
        for (const CellAtom& atom : cell.planes[1].atoms)
            result.push_back(atom.position);
    } else {
        const Fractional shift = inPlaneFractional(cell.periodVector, cell.a, cell.b);
        for (const CellAtom& atom : cell.planes[0].atoms)
            result.push_back(wrapped(atom.position + shift));
    }
    return result;
}

Site siteOf(const SurfaceCell& cell, const std::vector<Operation>& operations, const Candidate& c, SiteKind kind)
{
    Site site;
    site.kind = kind;
    site.fold = int(c.species.size());
    site.position = c.position;
    site.inPlane = cell.inPlane(c.position);
    site.distance = c.distance;
    for (int s : c.species) {
        const std::string& element = cell.elements[std::size_t(s)];
        auto it = std::find_if(site.bound.begin(), site.bound.end(),
                               [&](const BoundAtoms& b) { return b.element == element; });
        if (it == site.bound.end())
            site.bound.push_back({element, 1});
        else
            ++it->count;
    }
    std::vector<Fractional> orbit;
    for (const Operation& op : operations) {
        const Fractional image = apply(cell, op, c.position);
        if (std::none_of(orbit.begin(), orbit.end(), [&](Fractional f) { return sameSite(cell, f, image); }))
            orbit.push_back(image);
    }
    site.multiplicity = int(orbit.size());
    return site;
}

// The candidates reduced to one of each class of equivalent sites.
std::vector<Candidate> reduced(const SurfaceCell& cell, const std::vector<Operation>& operations,
                               const std::vector<Candidate>& candidates)
{
    std::vector<Candidate> result;
    for (const Candidate& c : candidates) {
        const bool known = std::any_of(result.begin(), result.end(), [&](const Candidate& r) {
            return std::any_of(operations.begin(), operations.end(), [&](const Operation& op) {
                return sameSite(cell, apply(cell, op, r.position), c.position);
            });
        });
        if (!known)
            result.push_back(c);
    }
    return result;
}

std::string foldLabel(int fold) { return std::to_string(fold) + "-fold hollow"; }

} // namespace

std::optional<double> covalentRadius(std::string_view symbol)
{
    static const struct {
        std::string_view symbol;
        double radius;
    } table[] = {
        {"H", 0.31},  {"Li", 1.28}, {"Be", 0.96}, {"B", 0.84},  {"C", 0.76},  {"N", 0.71},  {"O", 0.66},  {"F", 0.57},
        {"Na", 1.66}, {"Mg", 1.41}, {"Al", 1.21}, {"Si", 1.11}, {"P", 1.07},  {"S", 1.05},  {"Cl", 1.02}, {"K", 2.03},
        {"Ca", 1.76}, {"Sc", 1.70}, {"Ti", 1.60}, {"V", 1.53},  {"Cr", 1.39}, {"Mn", 1.39}, {"Fe", 1.32}, {"Co", 1.26},
        {"Ni", 1.24}, {"Cu", 1.32}, {"Zn", 1.22}, {"Ga", 1.22}, {"Ge", 1.20}, {"As", 1.19}, {"Se", 1.20}, {"Br", 1.20},
        {"Rb", 2.20}, {"Sr", 1.95}, {"Y", 1.90},  {"Zr", 1.75}, {"Nb", 1.64}, {"Mo", 1.54}, {"Ru", 1.46}, {"Rh", 1.42},
        {"Pd", 1.39}, {"Ag", 1.45}, {"Cd", 1.44}, {"In", 1.42}, {"Sn", 1.39}, {"Sb", 1.39}, {"Te", 1.38}, {"I", 1.39},
        {"Cs", 2.44}, {"Ba", 2.15}, {"La", 2.07}, {"Ce", 2.04}, {"Hf", 1.75}, {"Ta", 1.70}, {"W", 1.62},  {"Re", 1.51},
        {"Os", 1.44}, {"Ir", 1.41}, {"Pt", 1.36}, {"Au", 1.36}, {"Hg", 1.32}, {"Tl", 1.45}, {"Pb", 1.46}, {"Bi", 1.48},
    };
    for (const auto& row : table)
        if (row.symbol == symbol)
            return row.radius;
    return std::nullopt;
}

std::optional<double> bondHeight(const Site& site, std::string_view element)
{
    const auto own = covalentRadius(element);
    if (!own || site.bound.empty())
        return std::nullopt;
    double sum = 0.0;
    int count = 0;
    for (const BoundAtoms& b : site.bound) {
        const auto r = covalentRadius(b.element);
        if (!r)
            return std::nullopt;
        sum += *r * b.count;
        count += b.count;
    }
    const double bond = *own + sum / count;
    return bond > site.distance ? std::sqrt(bond * bond - site.distance * site.distance) : 0.0;
}

const char* siteKindName(SiteKind kind)
{
    switch (kind) {
    case SiteKind::Top: return "top";
    case SiteKind::Bridge: return "bridge";
    case SiteKind::Hollow: return "hollow";
    case SiteKind::Fcc: return "fcc";
    case SiteKind::Hcp: return "hcp";
    }
    return "top";
}

namespace {

std::vector<Site> sitesUnder(const SurfaceCell& cell, const std::vector<Linear>& group)
{
    std::vector<Site> sites;
    if (cell.planes.empty() || cell.planes.front().atoms.empty())
        return sites;
    const std::vector<Operation> operations = withTranslations(cell, group);
    const std::vector<PlanePoint> points = topImages(cell, 1);

    std::vector<Candidate> tops;
    for (const CellAtom& atom : cell.planes.front().atoms) {
        const Position p = cell.inPlane(atom.position);
        addUnique(cell, tops, candidateAt(cell, points, p.x, p.y, 0.0));
    }
    std::vector<Site> topSites;
    for (const Candidate& c : reduced(cell, operations, tops))
        topSites.push_back(siteOf(cell, operations, c, SiteKind::Top));
    for (Site& s : topSites)
        s.label = topSites.size() == 1 ? "top" : "top " + s.bound.front().element;

    auto [hollowCandidates, bridgeCandidates] = hollowsAndBridges(cell);
    std::vector<Site> bridges;
    for (const Candidate& c : reduced(cell, operations, bridgeCandidates))
        bridges.push_back(siteOf(cell, operations, c, SiteKind::Bridge));
    std::stable_sort(bridges.begin(), bridges.end(),
                     [](const Site& p, const Site& q) { return p.distance < q.distance - SiteTolerance; });
    const bool twoLengths = !bridges.empty() && bridges.back().distance - bridges.front().distance > 10 * SiteTolerance;
    for (Site& s : bridges) {
        if (!twoLengths)
            s.label = "bridge";
        else if (s.distance < bridges.front().distance + 10 * SiteTolerance)
            s.label = "short bridge";
        else if (s.distance > bridges.back().distance - 10 * SiteTolerance)
            s.label = "long bridge";
        else
            s.label = "bridge";
    }

    const std::vector<Fractional> below = secondPlane(cell);
    std::vector<Site> hollows;
    for (const Candidate& c : reduced(cell, operations, hollowCandidates))
        hollows.push_back(siteOf(cell, operations, c, SiteKind::Hollow));
    auto atomBelow = [&](const Site& s) {
        return std::any_of(below.begin(), below.end(),
                           [&](Fractional f) { return periodicDistance(cell, f, s.position) < 0.1 * s.distance; });
    };
    const bool anyFcc =
        std::any_of(hollows.begin(), hollows.end(), [&](const Site& s) { return s.fold == 3 && !atomBelow(s); });
    const bool anyHcp =
        std::any_of(hollows.begin(), hollows.end(), [&](const Site& s) { return s.fold == 3 && atomBelow(s); });
    for (Site& s : hollows) {
        if (s.fold == 3 && anyFcc && anyHcp)
            s.kind = atomBelow(s) ? SiteKind::Hcp : SiteKind::Fcc;
        s.label = s.kind == SiteKind::Hollow ? foldLabel(s.fold) : siteKindName(s.kind);
    }
    std::stable_sort(hollows.begin(), hollows.end(), [](const Site& p, const Site& q) {
        return std::pair{-p.fold, int(p.kind)} < std::pair{-q.fold, int(q.kind)};
    });

    for (auto* group : {&topSites, &bridges, &hollows})
        sites.insert(sites.end(), group->begin(), group->end());
    // Labels name one class each: a second class of the same label is numbered.
    for (std::size_t i = 0; i < sites.size(); ++i) {
        int same = 1;
        for (std::size_t j = 0; j < i; ++j)
            if (sites[j].label.rfind(sites[i].label, 0) == 0
                && (sites[j].label.size() == sites[i].label.size() || sites[j].label[sites[i].label.size()] == ' '))
                ++same;
        if (same > 1)
            sites[i].label += " " + std::to_string(same);
    }
    return sites;
}

} // namespace

std::vector<Site> findSites(const SurfaceCell& cell, const std::vector<IntMatrix2>& group)
{
    std::vector<Linear> linear;
    for (const IntMatrix2& m : group)
        linear.push_back(linearOf(cell, m));
    return sitesUnder(cell, linear);
}

platform::Result<std::vector<Site>> findSites(const SurfaceSpec& spec, const SurfaceCell& cell)
{
    if (!cell.orthogonal) {
        auto group = surfacePointGroup(spec, cell);
        if (!group)
            return group.error();
        return findSites(cell, *group);
    }
    // A rectangular supercell's basis carries only part of the point group as integer matrices
    // (not the 3-fold rotations of a hexagonal lattice): the group is the primitive cell's, turned
    // from its frame into this one through the crystal frame both are given in.
    auto primitive = surfaceCell(spec, InPlaneCell::Primitive);
    if (!primitive)
        return primitive.error();
    auto group = surfacePointGroup(spec, *primitive);
    if (!group)
        return group.error();
    double t[2][2];
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 2; ++j)
            t[i][j] = dot(cell.orientation[std::size_t(i)], primitive->orientation[std::size_t(j)]);
    std::vector<Linear> linear;
    for (const IntMatrix2& m : *group) {
        const Linear r = linearOf(*primitive, m);
        const double p[2][2] = {{r.xx, r.xy}, {r.yx, r.yy}};
        double q[2][2] = {};
        for (int i = 0; i < 2; ++i)
            for (int j = 0; j < 2; ++j)
                for (int k = 0; k < 2; ++k)
                    for (int l = 0; l < 2; ++l)
                        q[i][j] += t[i][k] * p[k][l] * t[j][l];
        linear.push_back({q[0][0], q[0][1], q[1][0], q[1][1]});
    }
    return sitesUnder(cell, linear);
}

} // namespace crystal
