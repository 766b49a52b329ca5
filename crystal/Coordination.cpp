#include "crystal/Coordination.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

namespace crystal {

namespace {

double planeDepth(const SurfaceCell& cell, long long plane)
{
    const long long period = static_cast<long long>(cell.planes.size());
    return cell.planes[std::size_t(plane % period)].depth + double(plane / period) * cell.periodVector.z;
}

// Where a slab atom sits in the semi-infinite crystal of the cell: the atom of its plane it
// is a lattice translate of.
struct CellSite {
    int plane = 0;
    int atom = -1;
};

// The atom of cell plane p that position (surface frame) is an in-plane lattice translate of,
// or -1.
int matchPlaneAtom(const SurfaceCell& cell, int plane, int species, Position position)
{
    const auto& atoms = cell.planes[std::size_t(plane) % cell.planes.size()].atoms;
    for (int i = 0; i < int(atoms.size()); ++i) {
        if (atoms[std::size_t(i)].species != species)
            continue;
        const Position d = position - planeAtomPosition(cell, plane, i);
        if (std::fabs(d.z) > PlaneHeightTolerance)
            continue;
        const Fractional f = inPlaneFractional(d, cell.a, cell.b);
        if (std::fabs(f.u - std::round(f.u)) < RegistryTolerance
            && std::fabs(f.v - std::round(f.v)) < RegistryTolerance)
            return i;
    }
    return -1;
}

} // namespace

Position planeAtomPosition(const SurfaceCell& cell, int plane, int atom)
{
    const int period = int(cell.planes.size());
    const CellAtom& at = cell.planes[std::size_t(plane % period)].atoms[std::size_t(atom)];
    Position p = cell.inPlane(at.position);
    p.z = cell.planes[std::size_t(plane % period)].depth;
    return p + double(plane / period) * cell.periodVector;
}

int siteCoordination(const SurfaceCell& cell, int species, Position site)
{
    const double cutoff = cell.neighbours.longest();
    const double height = cell.periodHeight();
    if (cell.planes.empty() || !(height > 0.0) || !(cutoff > 0.0))
        return 0;
    const long long period = static_cast<long long>(cell.planes.size());
    const double det = std::fabs(cell.a.x * cell.b.y - cell.a.y * cell.b.x);
    // The largest fractional coordinate along a (b) of an in-plane vector of length 1.
    const double spanA = norm(cell.b) / det;
    const double spanB = norm(cell.a) / det;

    // Start a period above the first plane that can reach the site; no planes above the top.
    const double top = site.z + cutoff;
    long long first = 0;
    if (top < 0.0)
        first = std::max(0LL, static_cast<long long>(std::floor(-top / height)) - 1) * period;

    int count = 0;
    for (long long q = first;; ++q) {
        const double depth = planeDepth(cell, q);
        if (depth < site.z - cutoff)
            break;
        if (depth > top)
            continue;
        const long long k = q / period;
        const auto& atoms = cell.planes[std::size_t(q % period)].atoms;
        for (const CellAtom& at : atoms) {
            const double pairCutoff = cell.neighbours.cutoff(species, at.species);
            Position base = cell.inPlane(at.position) + double(k) * cell.periodVector;
            base.z = depth;
            base = base - site;
            const double inPlane2 = pairCutoff * pairCutoff - base.z * base.z;
            if (inPlane2 < 0.0)
                continue;
            const double reach = std::sqrt(inPlane2);
            const Fractional f = inPlaneFractional(base, cell.a, cell.b);
            const long long mLow = static_cast<long long>(std::ceil(-f.u - reach * spanA));
            const long long mHigh = static_cast<long long>(std::floor(-f.u + reach * spanA));
            const long long nLow = static_cast<long long>(std::ceil(-f.v - reach * spanB));
            const long long nHigh = static_cast<long long>(std::floor(-f.v + reach * spanB));
            for (long long m = mLow; m <= mHigh; ++m)
                for (long long n = nLow; n <= nHigh; ++n) {
                    const Position d = base + double(m) * cell.a + double(n) * cell.b;
                    const double d2 = dot(d, d);
                    if (d2 <= pairCutoff * pairCutoff && d2 > LengthTolerance * LengthTolerance)
                        ++count;
                }
        }
    }
    return count;
}

std::vector<int> planeCoordination(const SurfaceCell& cell, int plane)
{
    std::vector<int> out;
    if (cell.planes.empty() || plane < 0)
        return out;
    const auto& atoms = cell.planes[std::size_t(plane) % cell.planes.size()].atoms;
    for (std::size_t i = 0; i < atoms.size(); ++i)
        out.push_back(siteCoordination(cell, atoms[i].species, planeAtomPosition(cell, plane, int(i))));
    return out;
}

std::vector<int> slabCoordination(const PeriodicSlab& slab, const SurfaceCell& cell)
{
    std::vector<int> out(slab.atoms.size(), 0);
    if (slab.atoms.empty() || cell.planes.empty())
        return out;

    double zTop = slab.atoms.front().position.z;
    const SlabAtom* anchor = nullptr;
    for (const SlabAtom& at : slab.atoms)
        if (at.plane == 0) {
            zTop = anchor ? std::max(zTop, at.position.z) : at.position.z;
            if (!anchor)
                anchor = &at;
        }
    if (!anchor)
        anchor = &slab.atoms.front();

    // The slab may start anywhere in the cell's plane: find the in-plane shift that puts every
    // slab atom on an atom of its plane. Trying each top-plane atom of the anchor's species
    // tells apart atoms of one plane that no lattice translation relates.
    std::vector<CellSite> sites(slab.atoms.size());
    Position shift{0.0, 0.0, zTop};
    bool registered = false;
    const auto& topAtoms = cell.planes.front().atoms;
    for (int c = 0; c < int(topAtoms.size()) && !registered; ++c) {
        if (topAtoms[std::size_t(c)].species != anchor->species)
            continue;
        const Position p = planeAtomPosition(cell, anchor->plane, c);
        shift = {anchor->position.x - p.x, anchor->position.y - p.y, zTop};
        registered = true;
        for (std::size_t i = 0; i < slab.atoms.size() && registered; ++i) {
            const SlabAtom& at = slab.atoms[i];
            sites[i] = {at.plane, at.plane >= 0 ? matchPlaneAtom(cell, at.plane, at.species, at.position - shift) : -1};
            registered = sites[i].atom >= 0;
        }
    }

    if (!registered) {
        // No registry (a slab of another cell): count around each atom where it stands.
        for (std::size_t i = 0; i < slab.atoms.size(); ++i)
            out[i] = siteCoordination(cell, slab.atoms[i].species, slab.atoms[i].position - shift);
        return out;
    }
    // Equivalent atoms share a number: count once per atom of each plane.
    std::map<std::pair<int, int>, int> known;
    for (std::size_t i = 0; i < slab.atoms.size(); ++i) {
        const auto key = std::make_pair(sites[i].plane, sites[i].atom);
        auto it = known.find(key);
        if (it == known.end())
            it = known
                     .emplace(
                         key,
                         siteCoordination(cell, slab.atoms[i].species, planeAtomPosition(cell, key.first, key.second)))
                     .first;
        out[i] = it->second;
    }
    return out;
}

} // namespace crystal
