#include "crystal/Sites.h"

#include "crystal/Coordination.h"
#include "crystal/StepNotation.h"
#include "crystal/SurfaceSymmetry.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <tuple>
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
    std::vector<int> species;       // of the atoms at that distance
    std::vector<Position> contacts; // those atoms relative to the site's point (Site::contacts)
    bool stepEdge = false;          // one of them is in the top plane
    double restHeight = 0.0;        // of the probe's centre, Angstrom (resting points only)
};

Candidate candidateAt(const SurfaceCell& cell, const std::vector<PlanePoint>& points, double x, double y, double r)
{
    Candidate c;
    c.position = wrapped(inPlaneFractional(Position{x, y, 0.0}, cell.a, cell.b));
    c.distance = r;
    for (const PlanePoint& p : points)
        if (std::abs(std::hypot(p.x - x, p.y - y) - r) < SiteTolerance) {
            c.species.push_back(p.species);
            c.contacts.push_back({p.x - x, p.y - y, 0.0});
        }
    c.stepEdge = true;
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

// The resting points of the probe ball on the exposed atoms (see Sites.h), for surfaces whose
// exposed atoms lie in more than one plane.

// Relative margin by which a probe touching an atom must clear every other atom, and the rings
// of directions (from the pole to the horizon) in which it is tried.
constexpr double ExposureMargin = 0.01;
constexpr int ExposureRings = 18;

// An atom near the surface in the surface frame (z 0 for the top plane, negative below).
struct SpaceAtom {
    Position p;
    int species = 0;
    int plane = 0; // 0 the top plane, counting down through the periods
    int home = -1; // index of the atom of the cell it is an in-plane image of
    bool inCell = false;
};

Position crossOf(Position p, Position q)
{
    return {p.y * q.z - p.z * q.y, p.z * q.x - p.x * q.z, p.x * q.y - p.y * q.x};
}

// The atoms of the planes down to depth (Angstrom, > 0) with their in-plane images up to reach
// cells away; the atoms of the cell numbered in order (SpaceAtom::home).
std::vector<SpaceAtom> atomsDownTo(const SurfaceCell& cell, double depth, int reach)
{
    std::vector<SpaceAtom> atoms;
    int home = 0;
    const int period = int(cell.planes.size());
    for (int plane = 0;; ++plane) {
        const std::vector<CellAtom>& cellAtoms = cell.planes[std::size_t(plane % period)].atoms;
        if (cellAtoms.empty() || planeAtomPosition(cell, plane, 0).z < -depth)
            break;
        for (int k = 0; k < int(cellAtoms.size()); ++k, ++home) {
            Position base = planeAtomPosition(cell, plane, k);
            const Fractional f = inPlaneFractional(base, cell.a, cell.b);
            const Fractional w = wrapped(f);
            base = base + cell.inPlane(w - f);
            for (int i = -reach; i <= reach; ++i)
                for (int j = -reach; j <= reach; ++j)
                    atoms.push_back({base + cell.inPlane({double(i), double(j)}), cellAtoms[std::size_t(k)].species,
                                     plane, home, i == 0 && j == 0});
        }
    }
    return atoms;
}

// The probe's radius: the shortest distance between two atoms of the crystal, Angstrom.
double probeRadius(const SurfaceCell& cell)
{
    const std::vector<SpaceAtom> atoms = atomsDownTo(cell, 2.0 * cell.neighbours.longest(), 1);
    double shortest = INFINITY;
    for (const SpaceAtom& p : atoms)
        if (p.inCell)
            for (const SpaceAtom& q : atoms)
                if (&p != &q)
                    shortest = std::min(shortest, norm(p.p - q.p));
    return shortest;
}

struct Probe {
    double radius = 0.0;
    std::vector<SpaceAtom> exposed; // with their images
    std::vector<SpaceAtom> all;     // every atom of the window, exposed or not
    bool belowTop = false;          // an atom below the top plane is exposed
};

Probe exposedAtoms(const SurfaceCell& cell)
{
    Probe probe;
    probe.radius = probeRadius(cell);
    if (!std::isfinite(probe.radius))
        return probe;
    const double r = probe.radius;
    probe.all = atomsDownTo(cell, 3.0 * r, 2);
    // Directions of the upper half sphere, pole first, rings of equal angle.
    std::vector<Position> directions{{0.0, 0.0, 1.0}};
    for (int ring = 1; ring <= ExposureRings; ++ring) {
        const double theta = 0.5 * M_PI * ring / ExposureRings;
        const int count = 4 * ExposureRings;
        for (int k = 0; k < count; ++k) {
            const double phi = 2.0 * M_PI * k / count;
            directions.push_back({std::sin(theta) * std::cos(phi), std::sin(theta) * std::sin(phi), std::cos(theta)});
        }
    }
    std::vector<bool> exposed;
    for (const SpaceAtom& a : probe.all) {
        if (!a.inCell)
            continue;
        std::vector<Position> near;
        for (const SpaceAtom& b : probe.all)
            if (&b != &a && norm(b.p - a.p) < 2.0 * r * (1.0 + ExposureMargin))
                near.push_back(b.p);
        const bool clear = a.p.z > -2.0 * r - SiteTolerance
            && std::any_of(directions.begin(), directions.end(), [&](const Position& w) {
                               const Position rest = a.p + r * w;
                               return std::none_of(near.begin(), near.end(), [&](const Position& b) {
                                   return norm(rest - b) < r * (1.0 + ExposureMargin);
                               });
                           });
        exposed.resize(std::size_t(a.home) + 1);
        exposed[std::size_t(a.home)] = clear;
        probe.belowTop = probe.belowTop || (clear && a.plane > 0);
    }
    for (const SpaceAtom& a : probe.all)
        if (std::size_t(a.home) < exposed.size() && exposed[std::size_t(a.home)])
            probe.exposed.push_back(a);
    return probe;
}

// The site where the ball's centre is at centre, when no atom is nearer than the radius: its
// bound atoms are the exposed atoms it touches.
std::optional<Candidate> restingAt(const SurfaceCell& cell, const Probe& probe, Position centre)
{
    Candidate c;
    const double r = probe.radius;
    if (std::any_of(probe.all.begin(), probe.all.end(),
                    [&](const SpaceAtom& a) { return norm(centre - a.p) < r - SiteTolerance; }))
        return std::nullopt;
    for (const SpaceAtom& a : probe.exposed) {
        const double d = norm(centre - a.p);
        if (d < r + SiteTolerance) {
            c.species.push_back(a.species);
            c.contacts.push_back({a.p.x - centre.x, a.p.y - centre.y, a.p.z});
            c.distance = std::max(c.distance, std::hypot(a.p.x - centre.x, a.p.y - centre.y));
            c.stepEdge = c.stepEdge || a.plane == 0;
        }
    }
    c.position = wrapped(inPlaneFractional(Position{centre.x, centre.y, 0.0}, cell.a, cell.b));
    c.restHeight = centre.z;
    return c;
}

struct Resting {
    std::vector<Candidate> tops, bridges, hollows;
};

Resting restingPoints(const SurfaceCell& cell, const Probe& probe)
{
    Resting out;
    const double r = probe.radius;
    for (const SpaceAtom& p : probe.exposed) {
        if (!p.inCell)
            continue;
        if (auto c = restingAt(cell, probe, p.p + Position{0.0, 0.0, r}))
            addUnique(cell, out.tops, std::move(*c));
        std::vector<const SpaceAtom*> near;
        for (const SpaceAtom& q : probe.exposed)
            if (&q != &p && norm(q.p - p.p) < 2.0 * r - SiteTolerance)
                near.push_back(&q);
        for (std::size_t i = 0; i < near.size(); ++i) {
            // The bridge: the highest point of the circle where the balls about both atoms meet.
            const Position u = near[i]->p - p.p;
            const double half = 0.5 * norm(u);
            const Position axis = (1.0 / (2.0 * half)) * u;
            Position up = Position{0.0, 0.0, 1.0} - axis.z * axis;
            if (norm(up) > 1e-9) {
                up = (1.0 / norm(up)) * up;
                const Position centre = p.p + 0.5 * u + std::sqrt(r * r - half * half) * up;
                if (auto c = restingAt(cell, probe, centre); c && c->species.size() == 2)
                    addUnique(cell, out.bridges, std::move(*c));
            }
            for (std::size_t j = i + 1; j < near.size(); ++j) {
                // The hollow: the ball through the three atoms, above the plane they span.
                const Position a = u, b = near[j]->p - p.p;
                if (norm(b - a) > 2.0 * r - SiteTolerance)
                    continue;
                Position n = crossOf(a, b);
                const double n2 = dot(n, n);
                if (n2 < 1e-12)
                    continue;
                const Position o = (1.0 / (2.0 * n2)) * (dot(a, a) * crossOf(b, n) + dot(b, b) * crossOf(n, a));
                const double rise2 = r * r - dot(o, o);
                if (rise2 < 0.0 || std::abs(n.z) < 1e-9)
                    continue;
                n = (n.z > 0.0 ? 1.0 : -1.0) / std::sqrt(n2) * n;
                if (auto c = restingAt(cell, probe, p.p + o + std::sqrt(rise2) * n); c && c->species.size() >= 3)
                    addUnique(cell, out.hollows, std::move(*c));
            }
        }
    }
    return out;
}

// Whether an atom on the far side of the 3-fold hollow c's triangle from the probe is a nearest
// neighbour of its three atoms: the tetrahedral hole under an hcp hollow (an octahedral one lies
// under an fcc hollow). The triangle's own normal decides the side, so a tilted terrace's hollows
// are told apart too.
bool tetrahedralBelow(const SurfaceCell& cell, const Probe& probe, const Candidate& c)
{
    if (c.contacts.size() != 3)
        return false;
    const Position at = cell.inPlane(c.position);
    std::vector<Position> q; // the three atoms relative to the probe's centre
    for (const Position& k : c.contacts)
        q.push_back({k.x, k.y, k.z - c.restHeight});
    const Position n = crossOf(q[1] - q[0], q[2] - q[0]);
    const double probeSide = -dot(n, q[0]);
    for (const SpaceAtom& b : probe.all) {
        const Position d{b.p.x - at.x, b.p.y - at.y, b.p.z - c.restHeight};
        if (dot(n, d - q[0]) * probeSide >= 0.0)
            continue;
        bool neighbourOfAll = true;
        for (std::size_t k = 0; k < 3; ++k) {
            const double gap = norm(q[k] - d);
            neighbourOfAll =
                neighbourOfAll && gap > SiteTolerance && gap < cell.neighbours.cutoff(b.species, c.species[k]);
        }
        if (neighbourOfAll)
            return true;
    }
    return false;
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
    site.contacts = c.contacts;
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
    site.orbit = std::move(orbit);
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
    auto heightOver = [&](double lateral, double z) {
        return bond > lateral ? z + std::sqrt(bond * bond - lateral * lateral) : z;
    };
    if (site.contacts.empty())
        return heightOver(site.distance, 0.0);
    double height = -INFINITY;
    for (const Position& c : site.contacts)
        height = std::max(height, heightOver(std::hypot(c.x, c.y), c.z));
    return height;
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

// Half the distance between a bridge's two atoms, Angstrom.
double halfLength(const Site& s)
{
    return s.contacts.size() == 2 ? 0.5 * norm(s.contacts[0] - s.contacts[1]) : s.distance;
}

std::vector<Site> sitesUnder(const SurfaceCell& cell, const std::vector<Linear>& group, StepEdges steps)
{
    std::vector<Site> sites;
    if (cell.planes.empty() || cell.planes.front().atoms.empty())
        return sites;
    const std::vector<Operation> operations = withTranslations(cell, group);
    const Probe probe = exposedAtoms(cell);

    // The candidates: the resting points of the probe when atoms below the top plane are exposed,
    // else the top plane's own tops, Delaunay edges and empty circles.
    std::vector<Candidate> tops, bridgeCandidates, hollowCandidates;
    if (probe.belowTop) {
        Resting resting = restingPoints(cell, probe);
        tops = std::move(resting.tops);
        bridgeCandidates = std::move(resting.bridges);
        hollowCandidates = std::move(resting.hollows);
    } else {
        const std::vector<PlanePoint> points = topImages(cell, 1);
        for (const CellAtom& atom : cell.planes.front().atoms) {
            const Position p = cell.inPlane(atom.position);
            addUnique(cell, tops, candidateAt(cell, points, p.x, p.y, 0.0));
        }
        std::tie(hollowCandidates, bridgeCandidates) = hollowsAndBridges(cell);
    }

    std::vector<Site> topSites;
    for (const Candidate& c : reduced(cell, operations, tops))
        topSites.push_back(siteOf(cell, operations, c, SiteKind::Top));
    const bool mixed = std::any_of(topSites.begin(), topSites.end(), [&](const Site& s) {
        return s.bound.front().element != topSites.front().bound.front().element;
    });
    for (Site& s : topSites)
        s.label = mixed ? "top " + s.bound.front().element : "top";

    std::vector<Site> bridges;
    for (const Candidate& c : reduced(cell, operations, bridgeCandidates))
        bridges.push_back(siteOf(cell, operations, c, SiteKind::Bridge));
    std::stable_sort(bridges.begin(), bridges.end(),
                     [](const Site& p, const Site& q) { return halfLength(p) < halfLength(q) - SiteTolerance; });
    const bool twoLengths =
        !bridges.empty() && halfLength(bridges.back()) - halfLength(bridges.front()) > 10 * SiteTolerance;
    for (Site& s : bridges) {
        if (!twoLengths)
            s.label = "bridge";
        else if (halfLength(s) < halfLength(bridges.front()) + 10 * SiteTolerance)
            s.label = "short bridge";
        else if (halfLength(s) > halfLength(bridges.back()) - 10 * SiteTolerance)
            s.label = "long bridge";
        else
            s.label = "bridge";
    }

    // fcc or hcp: in one plane, whether an atom of the second plane lies directly below; with
    // atoms of several planes exposed, whether the atom below is a neighbour of all three.
    const std::vector<Fractional> below = secondPlane(cell);
    std::vector<Site> hollows;
    std::vector<bool> hcpLike;
    for (const Candidate& c : reduced(cell, operations, hollowCandidates)) {
        hollows.push_back(siteOf(cell, operations, c, SiteKind::Hollow));
        hcpLike.push_back(probe.belowTop ? tetrahedralBelow(cell, probe, c)
                                         : std::any_of(below.begin(), below.end(), [&](Fractional f) {
                                               return periodicDistance(cell, f, c.position) < 0.1 * c.distance;
                                           }));
    }
    bool anyFcc = false, anyHcp = false;
    for (std::size_t i = 0; i < hollows.size(); ++i)
        if (hollows[i].fold == 3)
            (hcpLike[i] ? anyHcp : anyFcc) = true;
    for (std::size_t i = 0; i < hollows.size(); ++i) {
        Site& s = hollows[i];
        if (s.fold == 3 && anyFcc && anyHcp)
            s.kind = hcpLike[i] ? SiteKind::Hcp : SiteKind::Fcc;
        s.label = s.kind == SiteKind::Hollow ? foldLabel(s.fold) : siteKindName(s.kind);
    }
    std::stable_sort(hollows.begin(), hollows.end(), [](const Site& p, const Site& q) {
        return std::pair{-p.fold, int(p.kind)} < std::pair{-q.fold, int(q.kind)};
    });

    for (auto* group : {&topSites, &bridges, &hollows})
        sites.insert(sites.end(), group->begin(), group->end());
    if (steps == StepEdges::TopPlane)
        for (Site& s : sites) {
            s.step = std::any_of(s.contacts.begin(), s.contacts.end(),
                                 [](const Position& c) { return c.z > -PlaneHeightTolerance; });
            if (s.step)
                s.label = "step " + s.label;
        }
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

std::vector<Site> findSites(const SurfaceCell& cell, const std::vector<IntMatrix2>& group, StepEdges steps)
{
    std::vector<Linear> linear;
    for (const IntMatrix2& m : group)
        linear.push_back(linearOf(cell, m));
    return sitesUnder(cell, linear, steps);
}

platform::Result<std::vector<Site>> findSites(const SurfaceSpec& spec, const SurfaceCell& cell)
{
    const StepEdges steps =
        !spec.bulk && stepNotation(spec.material.lattice, spec.hkl) ? StepEdges::TopPlane : StepEdges::None;
    if (!cell.orthogonal) {
        auto group = surfacePointGroup(spec, cell);
        if (!group)
            return group.error();
        return findSites(cell, *group, steps);
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
    return sitesUnder(cell, linear, steps);
}

} // namespace crystal
