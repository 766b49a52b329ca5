#include "crystal/SurfaceCell.h"

#include "crystal/BulkSurface.h"
#include "crystal/PlaneLattice.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numeric>
#include <utility>

namespace crystal {

namespace {

// Positions and translations are integer vectors in twelfths of the conventional lattice
// vectors (cube edges; for HCP a1, a2 and c): twelfths hold 1/2, 1/4, 1/3 and 2/3 exactly, so
// every index product below is an exact integer.
constexpr int64_t Twelfths = 12;

// Miller indices beyond this are refused: it keeps every product of indices and twelfths far
// inside 64 bits, and no real surface study goes near it.
constexpr int64_t MaxIndex = 1000;

// Combinations of the primitive in-plane vectors searched for a rectangular cell.
constexpr int64_t OrthogonalReach = 12;

// A cell of the in-plane lattice as integer combinations of the primitive vectors pa, pb:
// a = s11 pa + s12 pb, b = s21 pa + s22 pb.
struct Supercell {
    int64_t s11 = 1, s12 = 0, s21 = 0, s22 = 1;
};

std::string noRectangularCell(const std::string& title)
{
    return "no rectangular in-plane cell of " + title + " within " + std::to_string(OrthogonalReach)
        + " primitive cell vectors";
}

// The smallest rectangular cell of the in-plane lattice whose vector i pa + j pb is vector(i, j)
// (Cartesian, any frame), right-handed like pa, pb: the fewest primitive cells, then the shorter
// longer side; the primitive cell itself when it is rectangular. Nothing when none lies within
// OrthogonalReach.
template <class Vector> std::optional<Supercell> orthogonalSupercell(Vector vector)
{
    const Position pa = vector(1, 0);
    const Position pb = vector(0, 1);
    const double la = dot(pa, pa);
    const double lb = dot(pb, pb);
    if (std::fabs(dot(pa, pb)) <= ExactTolerance * std::sqrt(la * lb))
        return Supercell{};
    struct Candidate {
        int64_t i, j;
        Position v;
        double length2;
    };
    std::vector<Candidate> candidates;
    for (int64_t j = 0; j <= OrthogonalReach; ++j)
        for (int64_t i = -OrthogonalReach; i <= OrthogonalReach; ++i) {
            if ((j == 0 && i <= 0) || std::gcd(i, j) != 1)
                continue;
            const Position v = vector(i, j);
            candidates.push_back({i, j, v, dot(v, v)});
        }
    int64_t bestDet = 0;
    double bestLength = 0.0;
    const Candidate* bestA = nullptr;
    const Candidate* bestB = nullptr;
    for (std::size_t x = 0; x < candidates.size(); ++x)
        for (std::size_t y = x + 1; y < candidates.size(); ++y) {
            const Candidate& p = candidates[x];
            const Candidate& r = candidates[y];
            if (std::fabs(dot(p.v, r.v)) > ExactTolerance * std::sqrt(p.length2 * r.length2))
                continue;
            const int64_t det = std::llabs(p.i * r.j - p.j * r.i);
            const double longer = std::max(p.length2, r.length2);
            if (det == 0 || (bestDet != 0 && (det > bestDet || (det == bestDet && longer >= bestLength))))
                continue;
            bestDet = det;
            bestLength = longer;
            bestA = p.length2 <= r.length2 ? &p : &r;
            bestB = p.length2 <= r.length2 ? &r : &p;
        }
    if (!bestA)
        return std::nullopt;
    Supercell s{bestA->i, bestA->j, bestB->i, bestB->j};
    if (s.s11 * s.s22 - s.s12 * s.s21 < 0) {
        s.s21 = -s.s21;
        s.s22 = -s.s22;
    }
    return s;
}

// The lattice points of the primitive cell inside the supercell, as fractions of it.
std::vector<Fractional> supercellCosets(const Supercell& s)
{
    std::vector<Fractional> cosets;
    const int64_t det = s.s11 * s.s22 - s.s12 * s.s21;
    const int64_t iLow = std::min({int64_t(0), s.s11, s.s21, s.s11 + s.s21});
    const int64_t iHigh = std::max({int64_t(0), s.s11, s.s21, s.s11 + s.s21});
    const int64_t jLow = std::min({int64_t(0), s.s12, s.s22, s.s12 + s.s22});
    const int64_t jHigh = std::max({int64_t(0), s.s12, s.s22, s.s12 + s.s22});
    for (int64_t i = iLow; i <= iHigh; ++i)
        for (int64_t j = jLow; j <= jHigh; ++j) {
            const int64_t x = i * s.s22 - j * s.s21;
            const int64_t y = -i * s.s12 + j * s.s11;
            if (x >= 0 && x < det && y >= 0 && y < det)
                cosets.push_back({double(x) / double(det), double(y) / double(det)});
        }
    return cosets;
}

// An integer vector in twelfths of the conventional lattice vectors.
struct BasisSite {
    Int3 position;
    int species = 0;
};

struct LatticeModel {
    std::array<Int3, 3> primitive; // a basis of the translation lattice
    std::vector<BasisSite> basis;  // one lattice point's atoms, twelfths
};

const LatticeModel& latticeModel(LatticeKind kind)
{
    static const LatticeModel fcc{{{{0, 6, 6}, {6, 0, 6}, {6, 6, 0}}}, {{{0, 0, 0}, 0}}};
    static const LatticeModel bcc{{{{12, 0, 0}, {0, 12, 0}, {6, 6, 6}}}, {{{0, 0, 0}, 0}}};
    // The second HCP atom sits exactly at 2/3 a1 + 1/3 a2 + 1/2 c.
    static const LatticeModel hcp{{{{12, 0, 0}, {0, 12, 0}, {0, 0, 12}}}, {{{0, 0, 0}, 0}, {{8, 4, 6}, 0}}};
    // The second zinc blende species a quarter of the cube diagonal from the first.
    static const LatticeModel zincBlende{{{{0, 6, 6}, {6, 0, 6}, {6, 6, 0}}}, {{{0, 0, 0}, 0}, {{3, 3, 3}, 1}}};
    switch (kind) {
    case LatticeKind::Bcc: return bcc;
    case LatticeKind::Hcp: return hcp;
    case LatticeKind::ZincBlende: return zincBlende;
    case LatticeKind::Fcc: break;
    }
    return fcc;
}

// (h k l) . t: the height of the translation t above the plane through the origin, in units of
// the spacing of the lattice planes (h k l) divided by 12.
int64_t heightClass(const Miller& h, const Int3& t) { return h[0] * t[0] + h[1] * t[1] + h[2] * t[2]; }

// The remainder of x modulo m > 0, in [0, m).
int64_t floorMod(int64_t x, int64_t m)
{
    const int64_t r = x % m;
    return r < 0 ? r + m : r;
}

// x modulo m > 0, in [0, m).
double floorMod(double x, double m) { return x - std::floor(x / m) * m; }

// The lattice as the drawn slab's catalogue holds it, in lattice units: its depth window
// decides the top plane.
Material catalogueLattice(LatticeKind kind)
{
    Material m;
    m.lattice = kind;
    m.a = kind == LatticeKind::Bcc ? geometry::BccCubeEdge : 1.0;
    m.c = kind == LatticeKind::Hcp ? geometry::IdealHcpC : 0.0;
    return m;
}

// The plane normal h b1 + k b2 + l b3 (reciprocal vectors of the conventional vectors): the
// height of a point at fractional coordinates f is (h k l) . f / |G|.
ReciprocalVector reciprocalNormal(const std::array<Position, 3>& a, const Miller& hkl)
{
    const auto [b1, b2, b3] = reciprocalBasis(a);
    return double(hkl[0]) * b1 + double(hkl[1]) * b2 + double(hkl[2]) * b3;
}

// The elements of a bulk crystal's species, by first appearance among its sites.
std::vector<std::string> speciesElements(const BulkCrystal& crystal)
{
    std::vector<std::string> elements;
    for (const BulkSite& site : crystal.sites)
        if (std::find(elements.begin(), elements.end(), site.element) == elements.end())
            elements.push_back(site.element);
    return elements;
}

// A bulk's name and plane, "TiO2 (1 1 0)", "ZnO (1 0 -1 0)".
std::string bulkPlaneTitle(const SurfaceSpec& spec)
{
    return spec.bulk->name + " " + planeText(spec.hkl, fourIndexPlane(spec));
}

// The cell of a bulk crystal's plane (SurfaceSpec::bulk).
platform::Result<SurfaceCell> bulkCell(const SurfaceSpec& spec, InPlaneCell kind)
{
    const BulkChoice& choice = *spec.bulk;
    if (!choice.crystal)
        return platform::fail("no bulk crystal given");
    const BulkCrystal& crystal = *choice.crystal;
    std::optional<CrystalSymmetry> found;
    const CrystalSymmetry* symmetry = choice.symmetry.get();
    if (!symmetry) {
        auto analysed = analyseSymmetry(crystal);
        if (!analysed)
            return analysed.error();
        symmetry = &found.emplace(std::move(*analysed));
    }
    const auto surface = bulkSurface(crystal, *symmetry, spec.hkl, choice.planeTolerance);
    if (!surface)
        return surface.error();
    const BulkSurface& s = *surface;
    const int count = int(s.terminations.size());
    if (choice.termination < 1 || choice.termination > count)
        return platform::fail("termination " + std::to_string(choice.termination) + " of " + bulkPlaneTitle(spec)
                              + " does not exist: the plane has " + std::to_string(count) + " termination"
                              + (count == 1 ? " (1)" : "s (1 to " + std::to_string(count) + ")"));
    const BulkTermination& term = s.terminations[std::size_t(choice.termination - 1)];

    SurfaceCell cell;
    cell.hkl = spec.hkl;
    const int64_t common = gcd3(spec.hkl);
    cell.reduced = {spec.hkl[0] / common, spec.hkl[1] / common, spec.hkl[2] / common};
    cell.elements = speciesElements(crystal);
    cell.neighbours = choice.neighbours ? *choice.neighbours : bulkNeighbourRule(crystal, *symmetry);
    auto speciesOf = [&](const std::string& element) {
        return int(std::find(cell.elements.begin(), cell.elements.end(), element) - cell.elements.begin());
    };

    // The chosen cell as combinations of the primitive 2D cell, turned so that its a lies along x.
    Supercell super;
    if (kind == InPlaneCell::Orthogonal) {
        const auto found = orthogonalSupercell([&](int64_t i, int64_t j) { return double(i) * s.a + double(j) * s.b; });
        if (!found)
            return platform::fail(noRectangularCell(surfaceTitle(spec)));
        super = *found;
        cell.orthogonal = true;
    }
    const Position A = double(super.s11) * s.a + double(super.s12) * s.b;
    const Position B = double(super.s21) * s.a + double(super.s22) * s.b;
    const double c = A.x / norm(A);
    const double sn = A.y / norm(A);
    auto turned = [&](const Position& p) { return Position{c * p.x + sn * p.y, -sn * p.x + c * p.y, p.z}; };
    cell.a = turned(A);
    cell.a.y = 0.0;
    cell.b = turned(B);
    cell.periodVector = turned(s.periodVector);
    // p X + q Y in the crystal's frame, X and Y the primitive cell's surface frame axes.
    // (Named, not bound: clang 14 lets no lambda capture a structured binding.)
    const UnitVector& X = s.orientation[0];
    const UnitVector& Y = s.orientation[1];
    const UnitVector& Z = s.orientation[2];
    auto combined = [&](double p, double q) {
        return Position{p * X.x + q * Y.x, p * X.y + q * Y.y, p * X.z + q * Y.z};
    };
    const Position newX = combined(c, sn);
    const Position newY = combined(-sn, c);
    cell.orientation = {UnitVector{newX.x, newX.y, newX.z}, UnitVector{newY.x, newY.y, newY.z}, Z};
    cell.aDirection = cellDirection(crystal, *symmetry, combined(A.x, A.y));
    cell.bDirection = cellDirection(crystal, *symmetry, combined(B.x, B.y));

    const double period = s.period();
    const double top = s.topHeight + s.planes[term.cuts.front()].height;
    cell.topHeight = top;
    for (double h : s.turnOverHeights)
        cell.turnOverDepths.push_back(floorMod(h - 2.0 * top, period));

    const std::vector<Fractional> cosets = supercellCosets(super);
    for (const BulkPlane& plane : term.planes) {
        AtomicPlane out;
        out.depth = plane.height;
        for (const BulkPlaneAtom& atom : plane.atoms) {
            const Fractional f =
                inPlaneFractional(turned(atom.position.u * s.a + atom.position.v * s.b), cell.a, cell.b);
            for (const Fractional& coset : cosets)
                out.atoms.push_back({speciesOf(atom.element), wrapped(f + coset)});
        }
        cell.planes.push_back(std::move(out));
    }
    return cell;
}

} // namespace

// Pairs are sought over the periodic images within the shortest cell vector, which bounds every atom's
// nearest-neighbour distance (its own image lies there), times the shell tolerance.
NeighbourRule bulkNeighbourRule(const BulkCrystal& crystal, const std::vector<std::string>& elements)
{
    const auto& cell = crystal.cell;
    const std::size_t species = elements.size();
    std::vector<int> of;
    for (const BulkSite& site : crystal.sites)
        of.push_back(int(std::find(elements.begin(), elements.end(), site.element) - elements.begin()));
    const double shortest = std::min({norm(cell[0]), norm(cell[1]), norm(cell[2])});
    const double reach = shortest * (1.0 + NeighbourShellTolerance);
    const auto reciprocal = reciprocalBasis(cell);
    std::array<int64_t, 3> images{};
    for (std::size_t i = 0; i < 3; ++i)
        images[i] = int64_t(std::ceil(reach * norm(reciprocal[i]))) + 1; // faces 1/|b_i| apart
    auto place = [&](const BulkSite& site) {
        return site.fractional[0] * cell[0] + site.fractional[1] * cell[1] + site.fractional[2] * cell[2];
    };
    // Calls visit(i, j, distance) for every pair of an atom i of the cell and an atom j of the
    // crystal within reach.
    auto pairs = [&](auto visit) {
        for (std::size_t i = 0; i < crystal.sites.size(); ++i) {
            const Position ri = place(crystal.sites[i]);
            for (std::size_t j = 0; j < crystal.sites.size(); ++j) {
                const Position rj = place(crystal.sites[j]) - ri;
                for (int64_t x = -images[0]; x <= images[0]; ++x)
                    for (int64_t y = -images[1]; y <= images[1]; ++y)
                        for (int64_t z = -images[2]; z <= images[2]; ++z) {
                            const Position d = rj + double(x) * cell[0] + double(y) * cell[1] + double(z) * cell[2];
                            const double r = norm(d);
                            if (r <= reach && r > LengthTolerance)
                                visit(i, j, r);
                        }
            }
        }
    };
    std::vector<double> nearest(species, reach);
    pairs([&](std::size_t i, std::size_t, double r) {
        double& d = nearest[std::size_t(of[i])];
        d = std::min(d, r);
    });
    NeighbourRule rule;
    rule.cutoffs.assign(species, std::vector<double>(species, 0.0));
    for (std::size_t e = 0; e < species; ++e)
        for (std::size_t f = 0; f < species; ++f)
            rule.cutoffs[e][f] = (1.0 + NeighbourShellTolerance) * std::max(nearest[e], nearest[f]);
    std::vector<int> counts(crystal.sites.size(), 0);
    pairs([&](std::size_t i, std::size_t j, double r) {
        if (r <= rule.cutoff(of[i], of[j]))
            ++counts[i];
    });
    rule.bulk.assign(species, 0);
    for (std::size_t i = 0; i < counts.size(); ++i)
        rule.bulk[std::size_t(of[i])] = std::max(rule.bulk[std::size_t(of[i])], counts[i]);
    return rule;
}

NeighbourRule bulkNeighbourRule(const BulkCrystal& crystal, const CrystalSymmetry& symmetry)
{
    return bulkNeighbourRule(symmetry.primitive, speciesElements(crystal));
}

std::string planeText(const Miller& hkl, bool fourIndex)
{
    std::string s = "(" + std::to_string(hkl[0]) + " " + std::to_string(hkl[1]) + " ";
    if (fourIndex)
        s += std::to_string(-(hkl[0] + hkl[1])) + " ";
    return s + std::to_string(hkl[2]) + ")";
}

const char* lattice2DName(Lattice2D type)
{
    switch (type) {
    case Lattice2D::Hexagonal: return "hexagonal";
    case Lattice2D::Square: return "square";
    case Lattice2D::Rectangular: return "rectangular";
    case Lattice2D::CentredRectangular: return "centred rectangular";
    case Lattice2D::Oblique: return "oblique";
    }
    return "oblique";
}

Lattice2D classifyLattice2D(Position a, Position b, double tolerance)
{
    // Gauss-reduce first, so that any basis of the lattice gives the same answer.
    if (dot(a, a) > dot(b, b))
        std::swap(a, b);
    for (int guard = 0; guard < 1000 && dot(a, a) > 0.0; ++guard) {
        const double mu = std::round(dot(a, b) / dot(a, a));
        b = b - mu * a;
        if (dot(b, b) >= dot(a, a) * (1.0 - RoundingTolerance))
            break;
        std::swap(a, b);
    }
    const double la = dot(a, a);
    const double lb = dot(b, b);
    const double d = std::fabs(dot(a, b));
    const bool equalLengths = std::fabs(la - lb) <= tolerance * lb;
    const bool perpendicular = d <= tolerance * std::sqrt(la * lb);
    const bool halfProjection = std::fabs(2.0 * d - la) <= tolerance * la; // |b - a| = |b|
    if (equalLengths && perpendicular)
        return Lattice2D::Square;
    if (equalLengths && halfProjection)
        return Lattice2D::Hexagonal;
    if (perpendicular)
        return Lattice2D::Rectangular;
    if (equalLengths || halfProjection)
        return Lattice2D::CentredRectangular;
    return Lattice2D::Oblique;
}

platform::Result<Miller> fromFourIndex(int64_t h, int64_t k, int64_t i, int64_t l)
{
    if (i != -(h + k))
        return platform::fail("in (h k i l) the index i must be -(h + k) = " + std::to_string(-(h + k)) + ", not "
                              + std::to_string(i));
    return Miller{h, k, l};
}

bool fourIndexPlane(const SurfaceSpec& spec)
{
    if (!spec.bulk)
        return spec.material.lattice == LatticeKind::Hcp;
    if (!spec.bulk->crystal)
        return false;
    const auto& c = spec.bulk->crystal->cell;
    const double a = norm(c[0]);
    const double b = norm(c[1]);
    return std::fabs(a - b) <= ShapeTolerance * a && std::fabs(dot(c[0], c[1]) / (a * b) + 0.5) <= ShapeTolerance
        && std::fabs(dot(c[0], c[2])) <= ShapeTolerance * a * norm(c[2])
        && std::fabs(dot(c[1], c[2])) <= ShapeTolerance * b * norm(c[2]);
}

std::string surfaceTitle(const SurfaceSpec& spec)
{
    if (spec.bulk)
        return bulkPlaneTitle(spec) + " termination " + std::to_string(spec.bulk->termination);
    const Material& m = spec.material;
    std::string name = m.name;
    if (name.empty() || name == "custom") {
        name.clear();
        for (const std::string& e : m.elements)
            name += e;
    }
    std::string title = name + " " + planeText(spec.hkl, m.lattice == LatticeKind::Hcp);
    if (m.lattice == LatticeKind::Hcp || m.lattice == LatticeKind::ZincBlende)
        title += spec.termination == Termination::B ? " termination B" : " termination A";
    return title;
}

std::array<Position, 3> latticeVectors(const Material& material)
{
    const double a = material.a;
    if (material.lattice == LatticeKind::Hcp)
        return {{{a * std::sqrt(3.0) / 2.0, -a / 2.0, 0.0}, {0.0, a, 0.0}, {0.0, 0.0, material.c}}};
    return {{{a, 0.0, 0.0}, {0.0, a, 0.0}, {0.0, 0.0, a}}};
}

double nearestNeighbourDistance(const Material& material)
{
    const double a = material.a;
    switch (material.lattice) {
    case LatticeKind::Fcc: return a / std::sqrt(2.0);
    case LatticeKind::Bcc: return a * std::sqrt(3.0) / 2.0;
    case LatticeKind::ZincBlende: return a * std::sqrt(3.0) / 4.0;
    case LatticeKind::Hcp: return std::min(a, std::sqrt(a * a / 3.0 + material.c * material.c / 4.0));
    }
    return a;
}

double neighbourCutoff(const Material& material)
{
    const double a = material.a;
    const double c = material.c;
    switch (material.lattice) {
    case LatticeKind::Fcc: return (a / std::sqrt(2.0) + a) / 2.0;       // 12 at a/sqrt2, 6 at a
    case LatticeKind::Bcc: return (a * std::sqrt(3.0) / 2.0 + a) / 2.0; // 8 at a sqrt3/2, 6 at a
    case LatticeKind::ZincBlende: return (a * std::sqrt(3.0) / 4.0 + a / std::sqrt(2.0)) / 2.0; // 4, then 12
    case LatticeKind::Hcp: {
        // 6 in the basal plane at a and 6 in the planes above and below at sqrt(a^2/3 + c^2/4);
        // the next shells: along c, the second ring of the neighbouring planes, the second
        // basal ring.
        const double inner = std::max(a, std::sqrt(a * a / 3.0 + c * c / 4.0));
        const double outer = std::min({c, std::sqrt(4.0 * a * a / 3.0 + c * c / 4.0), a * std::sqrt(3.0)});
        return outer > inner ? (inner + outer) / 2.0 : inner * (1.0 + ShapeTolerance);
    }
    }
    return a;
}

int bulkCoordination(LatticeKind lattice)
{
    switch (lattice) {
    case LatticeKind::Bcc: return 8;
    case LatticeKind::ZincBlende: return 4;
    case LatticeKind::Fcc:
    case LatticeKind::Hcp: break;
    }
    return 12;
}

double NeighbourRule::longest() const
{
    double out = 0.0;
    for (const auto& row : cutoffs)
        for (double x : row)
            out = std::max(out, x);
    return out;
}

double SurfaceCell::area() const { return std::fabs(a.x * b.y - a.y * b.x); }

platform::Result<SurfaceCell> surfaceCell(const SurfaceSpec& spec, InPlaneCell kind)
{
    if (spec.bulk)
        return bulkCell(spec, kind);
    const Material& material = spec.material;
    const LatticeKind lattice = material.lattice;
    const Miller hkl = spec.hkl;
    if (hkl[0] == 0 && hkl[1] == 0 && hkl[2] == 0)
        return platform::fail("Miller indices (0 0 0) name no plane");
    for (int64_t x : hkl)
        if (x < -MaxIndex || x > MaxIndex)
            return platform::fail("Miller indices must lie between -" + std::to_string(MaxIndex) + " and "
                                  + std::to_string(MaxIndex));
    Termination term = spec.termination;
    const bool terminated = lattice == LatticeKind::Hcp || lattice == LatticeKind::ZincBlende;
    if (!terminated && term != Termination::None)
        return platform::fail("a termination applies only to hcp and zincblende");
    if (terminated && term == Termination::None)
        term = Termination::A;
    if (!(material.a > 0.0) || !std::isfinite(material.a)
        || (lattice == LatticeKind::Hcp && (!(material.c > 0.0) || !std::isfinite(material.c))))
        return platform::fail("the material's lattice constants must be finite and above 0");

    SurfaceCell cell;
    cell.hkl = hkl;
    cell.elements = {material.element(0), material.element(1)};
    {
        const double cutoff = neighbourCutoff(material);
        cell.neighbours.cutoffs.assign(2, std::vector<double>(2, cutoff));
        cell.neighbours.bulk.assign(2, bulkCoordination(lattice));
    }
    const int64_t common = gcd3(hkl);
    const Miller h = {hkl[0] / common, hkl[1] / common, hkl[2] / common};
    cell.reduced = h;

    const LatticeModel& model = latticeModel(lattice);
    const std::array<Position, 3> conventional = latticeVectors(material);
    auto cart = [&](const Int3& t) {
        return double(t[0]) / Twelfths * conventional[0] + double(t[1]) / Twelfths * conventional[1]
            + double(t[2]) / Twelfths * conventional[2];
    };
    // Translations n . primitive with (h k l) . t = 0: integer n orthogonal to q.
    Int3 q;
    for (int i = 0; i < 3; ++i)
        q[i] = heightClass(h, model.primitive[i]);
    const Euclid e = euclid(q);
    auto translation = [&](const Int3& n) {
        Int3 t{};
        for (int i = 0; i < 3; ++i)
            t = iadd(t, iscale(n[i], model.primitive[i]));
        return t;
    };
    Int3 inPlane[2];
    Int3 step{};
    int64_t period = 0; // the smallest positive (h k l) . t over translations, in twelfths
    for (int i = 0, found = 0; i < 3; ++i) {
        if (e.values[i] == 0) {
            inPlane[found++] = translation(e.rows[i]);
        } else {
            period = std::llabs(e.values[i]);
            // Downwards: the step carries a plane onto the one a period below.
            step = translation(iscale(e.values[i] > 0 ? -1 : 1, e.rows[i]));
        }
    }

    const ReciprocalVector g = reciprocalNormal(conventional, h);
    const UnitVector normal = unit(g);
    const double heightPerClass = 1.0 / (Twelfths * norm(g)); // Angstrom per unit of (h k l) . m

    // Gauss reduction with the material's metric, on the integer vectors.
    Int3 ta = inPlane[0];
    Int3 tb = inPlane[1];
    gaussReduce(ta, tb, cart);
    orientReducedCell(ta, tb, normal, cart);

    // The primitive vectors, and the cell as integer combinations of them (the identity unless
    // an orthogonal supercell is chosen).
    const Int3 pa = ta;
    const Int3 pb = tb;
    Supercell super;
    if (kind == InPlaneCell::Orthogonal) {
        const auto found =
            orthogonalSupercell([&](int64_t i, int64_t j) { return cart(iadd(iscale(i, pa), iscale(j, pb))); });
        if (!found)
            return platform::fail(noRectangularCell(surfaceTitle(spec)));
        super = *found;
        ta = iadd(iscale(super.s11, pa), iscale(super.s12, pb));
        tb = iadd(iscale(super.s21, pa), iscale(super.s22, pb));
        cell.orthogonal = true;
    }

    const Position A = cart(ta);
    const Position B = cart(tb);
    const UnitVector X = unit(A);
    const UnitVector Z = normal;
    const UnitVector Y = cross(Z, X);
    cell.orientation = {X, Y, Z};
    cell.a = {norm(A), 0.0, 0.0};
    cell.b = {dot(B, X), dot(B, Y), 0.0};
    cell.aDirection = LatticeDirection{ta};
    cell.bDirection = LatticeDirection{tb};
    for (LatticeDirection* d : {&cell.aDirection, &cell.bDirection}) {
        const int64_t f = gcd3(*d);
        for (int64_t& x : *d)
            x /= f;
    }

    // In-plane coordinates (fractions of a and b) of a point's projection on the surface.
    auto fractions = [&](const Position& p) {
        const double x = dot(p, X);
        const double y = dot(p, Y);
        const double v = y / cell.b.y;
        const double u = (x - v * cell.b.x) / cell.a.x;
        return Fractional{u, v};
    };

    // The period step with the shortest in-plane shift.
    {
        const Fractional shift = fractions(cart(step));
        step = isub(step, iadd(iscale(std::llround(shift.u), ta), iscale(std::llround(shift.v), tb)));
        const Position s = cart(step);
        cell.periodVector = {dot(s, X), dot(s, Y), dot(s, Z)};
    }

    // Atomic planes: an atom at m lies at height (h k l) . m times heightPerClass, so planes are
    // the classes of (h k l) . m modulo the period.
    std::vector<int64_t> classes;
    for (const BasisSite& site : model.basis)
        classes.push_back(floorMod(heightClass(h, site.position), period));
    std::sort(classes.begin(), classes.end());
    classes.erase(std::unique(classes.begin(), classes.end()), classes.end());

    // The top plane: the highest class that the drawn slab's depth window keeps, measured along
    // the outward normal of the indices as given. (For HCP planes with h (2h + k) < 0 the drawn
    // slab's frame turns its normal the other way and shows the opposite face; the cell keeps
    // the face the indices name.)
    const Material drawn = catalogueLattice(lattice);
    const double drawnPerClass =
        double(geometry::CellLength) / (Twelfths * norm(reciprocalNormal(latticeVectors(drawn), h)));
    const double limit = geometry::depthWindow(*geometry::latticeCodeFor(lattice, term)).high / drawnPerClass;
    int64_t top = 0;
    bool haveTop = false;
    for (int64_t r : classes) {
        const int64_t c = r + period * (int64_t(std::ceil((limit - double(r)) / double(period))) - 1);
        if (!haveTop || c > top)
            top = c;
        haveTop = true;
    }
    cell.topHeight = double(top) * heightPerClass;

    std::vector<int64_t> planeClasses;
    for (int64_t r : classes)
        planeClasses.push_back(top - floorMod(top - r, period));
    std::sort(planeClasses.begin(), planeClasses.end(), std::greater<>());

    // The lattice points of the primitive cell inside the chosen cell (one unless orthogonal).
    const std::vector<Fractional> cosets = supercellCosets(super);

    for (int64_t c : planeClasses) {
        AtomicPlane plane;
        plane.depth = double(c - top) * heightPerClass;
        for (const BasisSite& site : model.basis) {
            const int64_t value = heightClass(h, site.position);
            if (floorMod(value - c, period) != 0)
                continue;
            const Int3 p = iadd(site.position, iscale((value - c) / period, step));
            const Fractional f = fractions(cart(p));
            for (const Fractional& coset : cosets)
                plane.atoms.push_back({site.species, wrapped(f + coset)});
        }
        cell.planes.push_back(std::move(plane));
    }
    return cell;
}

} // namespace crystal
