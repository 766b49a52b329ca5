#include "crystal/Slab.h"

#include <cmath>

namespace crystal {

namespace {

constexpr int MaxLayers = 100000;
constexpr int MaxRepeat = 10000;
constexpr double MaxVacuum = 1.0e4;

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

PeriodicSlab buildSlab(const SurfaceCell& cell, const Material& material, const SlabOptions& options)
{
    PeriodicSlab slab;
    slab.elements = {material.element(0), material.element(1)};
    if (cell.planes.empty() || options.layers < 1)
        return slab;

    const int ma = options.repeatA;
    const int mb = options.repeatB;
    slab.a = double(ma) * cell.a;
    slab.b = double(mb) * cell.b;

    const double thickness = -planeDepth(cell, options.layers - 1);
    double height = thickness + 2.0 * options.vacuum;
    if (options.vacuum == 0.0)
        height = thickness + (planeDepth(cell, options.layers - 1) - planeDepth(cell, options.layers));
    slab.c = {0.0, 0.0, height};
    const double topZ = options.vacuum + thickness;

    // The period step's in-plane shift as fractions of a and b (a along x, b in the x-y plane).
    const double shiftV = cell.periodVector.y / cell.b.y;
    const Fractional shift{(cell.periodVector.x - shiftV * cell.b.x) / cell.a.x, shiftV};

    slab.atoms.reserve(std::size_t(slabAtomCount(cell, options)));
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
                    slab.atoms.push_back({atom.species, n, p});
                }
        }
    }
    return slab;
}

} // namespace crystal
