#include "crystal/BulkSurface.h"

#include "crystal/PlaneLattice.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numeric>

namespace crystal {

namespace {

double volume(const std::array<Position, 3>& c) { return dot(c[0], cross(c[1], c[2])); }

// Two plane heights that a symmetry operation maps onto each other agree within this, Angstrom:
// a few times the symmetry search's own tolerance.
constexpr double MappedHeightTolerance = 5 * SymmetryTolerance;

// Two spacings between planes agree within this when symmetry makes them equal, Angstrom: each
// plane's height is an atom's, within the symmetry search's tolerance of its ideal place.
constexpr double SpacingTolerance = 2 * SymmetryTolerance;

// x mod m in [0, m).
double floorMod(double x, double m) { return x - std::floor(x / m) * m; }

} // namespace

std::map<std::string, int> BulkPlane::composition() const
{
    std::map<std::string, int> out;
    for (const BulkPlaneAtom& atom : atoms)
        ++out[atom.element];
    return out;
}

int BulkPlane::charge() const
{
    int total = 0;
    for (const BulkPlaneAtom& atom : atoms)
        total += atom.charge;
    return total;
}

LatticeDirection cellDirection(const BulkCrystal& bulk, const CrystalSymmetry& symmetry, Position r)
{
    // A lattice vector's fractions of the given cell are whole multiples of one over the number of
    // lattice points the cell holds.
    const double points = std::round(volume(bulk.cell) / volume(symmetry.primitive.cell));
    const auto reciprocal = reciprocalBasis(bulk.cell);
    LatticeDirection d;
    for (std::size_t i = 0; i < 3; ++i)
        d[i] = std::llround(dot(r, reciprocal[i]) * points);
    if (const int64_t common = gcd3(d); common != 0)
        for (int64_t& x : d)
            x /= std::llabs(common);
    return d;
}

platform::Result<BulkSurface> bulkSurface(const BulkCrystal& bulk, const CrystalSymmetry& symmetry, const Miller& hkl,
                                          double planeTolerance)
{
    if (hkl[0] == 0 && hkl[1] == 0 && hkl[2] == 0)
        return platform::fail("Miller indices (0 0 0) name no plane");
    if (!(planeTolerance > 0.0 && planeTolerance < 10.0))
        return platform::fail("the plane tolerance must lie above 0 and below 10 Angstrom");
    const BulkCrystal& primitive = symmetry.primitive;
    const std::array<Position, 3>& p = primitive.cell;

    // The normal G = h b1 + k b2 + l b3 of the given cell, in the primitive cell's indices: the
    // primitive vectors' products with G, whole numbers once multiplied by the number of lattice
    // points in the given cell.
    const auto given = reciprocalBasis(bulk.cell);
    const ReciprocalVector g = double(hkl[0]) * given[0] + double(hkl[1]) * given[1] + double(hkl[2]) * given[2];
    const double points = std::round(volume(bulk.cell) / volume(p));
    Int3 q;
    for (int i = 0; i < 3; ++i)
        q[std::size_t(i)] = std::llround(dot(p[std::size_t(i)], g) * points);
    const int64_t common = gcd3(q);
    for (int64_t& x : q)
        x /= common;

    BulkSurface s;
    s.hkl = hkl;
    s.primitiveHkl = Miller{q};
    // Integer vectors n with n . q = 0, and one a period down (n . q = -1).
    const Euclid e = euclid(q);
    Int3 plane[2];
    Int3 down{};
    for (int i = 0, found = 0; i < 3; ++i) {
        if (e.values[std::size_t(i)] == 0)
            plane[found++] = e.rows[std::size_t(i)];
        else
            down = iscale(e.values[std::size_t(i)] > 0 ? -1 : 1, e.rows[std::size_t(i)]);
    }
    auto cart = [&](const Int3& n) { return double(n[0]) * p[0] + double(n[1]) * p[1] + double(n[2]) * p[2]; };
    const UnitVector normal = unit(g);

    // The reduced in-plane basis, chosen as for every surface cell.
    Int3 ta = plane[0], tb = plane[1];
    gaussReduce(ta, tb, cart);
    orientReducedCell(ta, tb, normal, cart);

    const Position A = cart(ta), B = cart(tb);
    const UnitVector X = unit(A), Z = normal, Y = cross(Z, X);
    s.orientation = {X, Y, Z};
    s.a = {norm(A), 0.0, 0.0};
    s.b = {dot(B, X), dot(B, Y), 0.0};
    s.aDirection = cellDirection(bulk, symmetry, A);
    s.bDirection = cellDirection(bulk, symmetry, B);
    auto inPlane = [&](const Position& r) { return inPlaneFractional({dot(r, X), dot(r, Y), 0.0}, s.a, s.b); };

    // The step down one period with the shortest in-plane shift.
    {
        const Fractional shift = inPlane(cart(down));
        down = isub(down, iadd(iscale(std::llround(shift.u), ta), iscale(std::llround(shift.v), tb)));
    }
    const Position step = cart(down);
    s.periodVector = {dot(step, X), dot(step, Y), dot(step, Z)};
    const double period = s.period();

    // Every atom of the primitive cell at its height within [0, period), carried there by whole
    // steps, and its place in the 2D cell.
    std::string reason;
    const auto charges = formalCharges(primitive, &reason);
    if (!charges)
        s.chargeNote = reason;
    struct Placed {
        std::size_t site;
        Position r;
        double height;
    };
    std::vector<Placed> placed;
    std::vector<double> heights;
    for (std::size_t i = 0; i < primitive.sites.size(); ++i) {
        const auto& f = primitive.sites[i].fractional;
        Position r = f[0] * p[0] + f[1] * p[1] + f[2] * p[2];
        const double z = dot(r, Z);
        const double steps = std::floor(z / period);
        r = r + steps * step;
        placed.push_back({i, r, floorMod(z, period)});
        heights.push_back(placed.back().height);
    }
    const auto grouped = groupIntoPlanes(heights, period, planeTolerance);
    if (grouped.empty())
        return platform::fail("the plane tolerance of " + std::to_string(planeTolerance)
                              + " Angstrom joins every atom into one plane");
    // The period starts at the plane of the cell's first atom, whatever the origin: a stable
    // order of the planes and so of the terminations.
    std::vector<HeightPlane> ordered = grouped;
    for (std::size_t i = 0; i < grouped.size(); ++i)
        if (std::find(grouped[i].atoms.begin(), grouped[i].atoms.end(), std::size_t(0)) != grouped[i].atoms.end()) {
            std::rotate(ordered.begin(), ordered.begin() + std::ptrdiff_t(i), ordered.end());
            for (std::size_t k = ordered.size() - i; k < ordered.size(); ++k)
                ordered[k].height -= period;
        }
    const double top = ordered.front().height;
    s.topHeight = top;
    for (const HeightPlane& g : ordered) {
        BulkPlane plane;
        plane.height = g.height - top;
        for (std::size_t k : g.atoms) {
            Position r = placed[k].r;
            // An atom of the lowest run that joins the top plane across the period's end.
            const double shifted = g.height - placed[k].height; // a multiple of the period, near
            r = r - std::round(shifted / period) * step;
            const BulkSite& site = primitive.sites[placed[k].site];
            plane.atoms.push_back({site.element, wrapped(inPlane(r)), charges ? charges->charges[placed[k].site] : 0});
        }
        s.planes.push_back(std::move(plane));
    }

    // The operations keeping the normal shift every height by h . t over |G| (in the given cell's
    // fractional terms); those turning it over exist or not.
    const double perIndex = 1.0 / norm(g);
    std::vector<double> shifts;
    for (const SymmetryOperation& op : symmetry.operations) {
        int64_t image[3] = {0, 0, 0};
        for (int j = 0; j < 3; ++j)
            for (int i = 0; i < 3; ++i)
                image[j] += hkl[std::size_t(i)] * op.rotation[std::size_t(i)][std::size_t(j)];
        const double ht = double(hkl[0]) * op.translation[0] + double(hkl[1]) * op.translation[1]
            + double(hkl[2]) * op.translation[2];
        if (image[0] == hkl[0] && image[1] == hkl[1] && image[2] == hkl[2])
            shifts.push_back(floorMod(ht * perIndex, period));
        else if (image[0] == -hkl[0] && image[1] == -hkl[1] && image[2] == -hkl[2]) {
            s.symmetricPossible = true;
            s.turnOverHeights.push_back(floorMod(ht * perIndex, period));
        }
    }
    const std::size_t n = s.planes.size();
    std::vector<int> termination(n, 0);
    int count = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (termination[i] != 0)
            continue;
        termination[i] = ++count;
        for (std::size_t j = i + 1; j < n; ++j)
            for (double shift : shifts) {
                const double d = floorMod(s.planes[j].height - s.planes[i].height - shift, period);
                if (d < MappedHeightTolerance || period - d < MappedHeightTolerance) {
                    if (termination[j] == 0)
                        termination[j] = count;
                    break;
                }
            }
    }
    for (int t = 1; t <= count; ++t) {
        BulkTermination term;
        term.index = t;
        for (std::size_t i = 0; i < n; ++i)
            if (termination[i] == t)
                term.cuts.push_back(i);
        // One period from the first such cut down: the planes below it, then those above it a
        // period lower.
        const std::size_t first = term.cuts.front();
        const double h0 = s.planes[first].height;
        const Fractional stepShift = inPlane(step);
        std::vector<PlaneCharge> stack;
        for (std::size_t k = 0; k < n; ++k) {
            BulkPlane plane = s.planes[(first + k) % n];
            plane.height -= h0;
            if (first + k >= n) {
                plane.height -= period;
                for (BulkPlaneAtom& atom : plane.atoms)
                    atom.position = wrapped(atom.position + stepShift);
            }
            stack.push_back({double(plane.charge()), plane.height});
            term.planes.push_back(std::move(plane));
        }
        if (charges)
            term.polarity = taskerType(stack, s.area());
        s.terminations.push_back(std::move(term));
    }
    // Numbered in an order of the crystal itself, not of the file's atom list or origin: by the
    // planes from the cut down, each by its composition (elements alphabetically, then counts),
    // then by the spacings, the shorter first.
    auto precedes = [](const BulkTermination& x, const BulkTermination& y) {
        for (std::size_t k = 0; k < x.planes.size() && k < y.planes.size(); ++k) {
            const auto cx = x.planes[k].composition();
            const auto cy = y.planes[k].composition();
            if (cx != cy)
                return cx < cy;
        }
        for (std::size_t k = 0; k < x.planes.size() && k < y.planes.size(); ++k)
            if (std::fabs(x.planes[k].height - y.planes[k].height) > MappedHeightTolerance)
                return x.planes[k].height > y.planes[k].height;
        return false;
    };
    std::stable_sort(s.terminations.begin(), s.terminations.end(), precedes);
    for (std::size_t t = 0; t < s.terminations.size(); ++t)
        s.terminations[t].index = int(t) + 1;
    return s;
}

FirstSpacing firstSpacing(const BulkSurface& surface, const BulkTermination& termination)
{
    const auto spacingBelow = [&](const std::vector<BulkPlane>& planes, std::size_t i) {
        return i + 1 < planes.size() ? planes[i].height - planes[i + 1].height
                                     : planes[i].height - planes.front().height + surface.period();
    };
    FirstSpacing out;
    if (termination.planes.empty())
        return out;
    out.spacing = spacingBelow(termination.planes, 0);
    // The period's spacings, sorted, fall into groups of spacings a gap of more than
    // SpacingTolerance apart: the same whatever plane the period starts at.
    std::vector<double> spacings;
    for (std::size_t i = 0; i < surface.planes.size(); ++i)
        spacings.push_back(spacingBelow(surface.planes, i));
    std::sort(spacings.begin(), spacings.end());
    std::size_t groups = spacings.empty() ? 0 : 1;
    double split = 0.0;
    for (std::size_t i = 1; i < spacings.size(); ++i)
        if (spacings[i] - spacings[i - 1] > SpacingTolerance) {
            ++groups;
            split = 0.5 * (spacings[i] + spacings[i - 1]);
        }
    if (groups == 2)
        out.length = out.spacing < split ? SpacingLength::Short : SpacingLength::Long;
    return out;
}

const char* spacingLengthName(SpacingLength length) { return length == SpacingLength::Short ? "short" : "long"; }

} // namespace crystal
