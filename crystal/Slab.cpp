#include "crystal/Slab.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace crystal {

namespace {

constexpr int MaxLayers = 100000;
constexpr int MaxRepeat = 10000;
constexpr double MaxVacuum = 1.0e4;

// A slab is as thick as asked when it is thinner by no more than rounding.
constexpr double ThicknessRounding = 1e-9;

// A plane's depth and an operation's mirror depth agree within this, Angstrom: plane heights are
// the means of atoms placed within the symmetry search's tolerance of their ideal places.
constexpr double MirrorDepthTolerance = 0.05;

// The depth of plane n (0 the top), Angstrom, negative below the top.
double planeDepth(const SurfaceCell& cell, long long n)
{
    const long long count = static_cast<long long>(cell.planes.size());
    return cell.planes[std::size_t(n % count)].depth + double(n / count) * cell.periodVector.z;
}

} // namespace

platform::Status validSlabOptions(const SlabOptions& options)
{
    if (options.layers < 1 || options.layers > MaxLayers)
        return platform::fail("--layers must be from 1 to " + std::to_string(MaxLayers));
    if (options.repeatA < 1 || options.repeatB < 1 || options.repeatA > MaxRepeat || options.repeatB > MaxRepeat)
        return platform::fail("--size must be MxN with M and N from 1 to " + std::to_string(MaxRepeat));
    if (!std::isfinite(options.vacuum) || options.vacuum < 0.0 || options.vacuum > MaxVacuum)
        return platform::fail("--vacuum must be from 0 to 10000 Angstrom");
    return {};
}

double slabThickness(const SurfaceCell& cell, int planes) { return -planeDepth(cell, planes - 1); }

std::optional<double> slabMirror(const SurfaceCell& cell, int planes)
{
    const double period = cell.periodHeight();
    const double bottom = planeDepth(cell, planes - 1);
    for (double c : cell.turnOverDepths) {
        const double d = bottom - c;
        const double off = std::fabs(d - period * std::round(d / period));
        if (off <= MirrorDepthTolerance)
            return c;
    }
    return std::nullopt;
}

platform::Result<int> slabPlaneCount(const SurfaceCell& cell, const SlabDepth& options)
{
    if (cell.planes.empty() || !(cell.periodHeight() > 0.0))
        return platform::fail("the plane has no atomic planes");
    long long planes = options.layers;
    if (options.thickness) {
        if (!(*options.thickness > 0.0 && *options.thickness <= MaxSlabThickness))
            return platform::fail("--thickness must be above 0 and at most 100000 Angstrom");
        // Whole periods first, then plane by plane: the fewest planes at least that thick.
        const long long perPeriod = static_cast<long long>(cell.planes.size());
        planes = std::max(0LL, static_cast<long long>(*options.thickness / cell.periodHeight()) - 1) * perPeriod + 1;
        while (planes <= MaxLayers && slabThickness(cell, int(planes)) < *options.thickness - ThicknessRounding)
            ++planes;
    }
    if (options.faces == SlabFaces::Symmetric) {
        if (cell.turnOverDepths.empty())
            return platform::fail("no symmetric slab: no operation of the bulk turns the normal of the plane over");
        // The depths of the bottom plane come back after one period of planes.
        const long long limit = planes + static_cast<long long>(cell.planes.size());
        while (planes < limit && planes <= MaxLayers && !slabMirror(cell, int(planes)))
            ++planes;
        if (planes == limit)
            return platform::fail("no symmetric slab of this termination: the operations turning the normal over map "
                                  "it onto another termination");
    }
    if (planes > MaxLayers)
        return platform::fail("the slab would need more than " + std::to_string(MaxLayers) + " atomic planes");
    return int(planes);
}

bool stoichiometric(const SurfaceCell& cell, int planes)
{
    std::map<int, long long> slab, bulk;
    long long slabTotal = 0, bulkTotal = 0;
    for (int n = 0; n < planes; ++n)
        for (const CellAtom& atom : cell.planes[std::size_t(n) % cell.planes.size()].atoms) {
            ++slab[atom.species];
            ++slabTotal;
        }
    for (const AtomicPlane& plane : cell.planes)
        for (const CellAtom& atom : plane.atoms) {
            ++bulk[atom.species];
            ++bulkTotal;
        }
    for (const auto& [species, count] : bulk)
        if (slab[species] * bulkTotal != count * slabTotal)
            return false;
    return slab.size() == bulk.size();
}

long long slabAtomCount(const SurfaceCell& cell, const SlabOptions& options)
{
    if (cell.planes.empty() || options.layers < 1)
        return 0;
    long long perCell = 0;
    for (int n = 0; n < options.layers; ++n)
        perCell += static_cast<long long>(cell.planes[std::size_t(n) % cell.planes.size()].atoms.size());
    return perCell * options.repeatA * options.repeatB;
}

platform::Status validSlabSize(const SurfaceCell& cell, const SlabOptions& options)
{
    const long long count = slabAtomCount(cell, options);
    if (count > MaxSlabAtoms)
        return platform::fail("the slab would hold " + std::to_string(count) + " atoms, more than "
                              + std::to_string(MaxSlabAtoms) + ": give fewer --layers or a smaller --size");
    return {};
}

std::array<Position, 3> slabCell(const SurfaceCell& cell, const SlabOptions& options)
{
    if (cell.planes.empty() || options.layers < 1)
        return {};
    const double thickness = -planeDepth(cell, options.layers - 1);
    double height = thickness + 2.0 * options.vacuum;
    if (options.vacuum == 0.0)
        height = thickness + (planeDepth(cell, options.layers - 1) - planeDepth(cell, options.layers));
    return {double(options.repeatA) * cell.a, double(options.repeatB) * cell.b, Position{0.0, 0.0, height}};
}

void visitSlabAtoms(const SurfaceCell& cell, const SlabOptions& options,
                    const std::function<void(const SlabAtom&)>& visit)
{
    if (cell.planes.empty() || options.layers < 1)
        return;
    const int ma = options.repeatA;
    const int mb = options.repeatB;
    const double thickness = -planeDepth(cell, options.layers - 1);
    const double topZ = options.vacuum + thickness;

    // The period step's in-plane shift as fractions of a and b (a along x, b in the x-y plane).
    const double shiftV = cell.periodVector.y / cell.b.y;
    const Fractional shift{(cell.periodVector.x - shiftV * cell.b.x) / cell.a.x, shiftV};

    const std::size_t count = cell.planes.size();
    for (int n = 0; n < options.layers; ++n) {
        const AtomicPlane& plane = cell.planes[std::size_t(n) % count];
        const double periods = double(std::size_t(n) / count);
        const double z = topZ + planeDepth(cell, n);
        for (const CellAtom& atom : plane.atoms) {
            const Fractional inCell = wrapped(atom.position + periods * shift);
            for (int j = 0; j < mb; ++j)
                for (int i = 0; i < ma; ++i) {
                    Position p = cell.inPlane(inCell + Fractional{double(i), double(j)});
                    p.z = z;
                    visit({atom.species, n, p});
                }
        }
    }
}

PeriodicSlab buildSlab(const SurfaceCell& cell, const SlabOptions& options)
{
    PeriodicSlab slab;
    slab.elements = cell.elements;
    if (cell.planes.empty() || options.layers < 1)
        return slab;
    const std::array<Position, 3> vectors = slabCell(cell, options);
    slab.a = vectors[0];
    slab.b = vectors[1];
    slab.c = vectors[2];
    slab.atoms.reserve(std::size_t(slabAtomCount(cell, options)));
    visitSlabAtoms(cell, options, [&](const SlabAtom& atom) { slab.atoms.push_back(atom); });
    return slab;
}

} // namespace crystal
