#include "crystal/SurfaceSymmetry.h"

#include "crystal/Prototype.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numeric>
#include <optional>

namespace crystal {

namespace {

using Coordinates = std::array<double, 3>;

Coordinates crossed(const Coordinates& p, const Coordinates& q)
{
    return {p[1] * q[2] - p[2] * q[1], p[2] * q[0] - p[0] * q[2], p[0] * q[1] - p[1] * q[0]};
}

double dotted(const Coordinates& p, const Coordinates& q) { return p[0] * q[0] + p[1] * q[1] + p[2] * q[2]; }

Position cartesian(const std::array<Position, 3>& cell, const Coordinates& f)
{
    return f[0] * cell[0] + f[1] * cell[1] + f[2] * cell[2];
}

// A vector's coefficients on the in-plane basis a, b in whole numbers, if it is such a
// combination: with n = a x b, x = (x x b) . n / n . n on a and (a x x) . n / n . n on b (the
// coordinates' own algebra, whatever the cell's metric).
std::optional<std::array<int64_t, 2>> onBasis(const Coordinates& x, const Coordinates& a, const Coordinates& b)
{
    const Coordinates n = crossed(a, b);
    const double nn = dotted(n, n);
    const double u = dotted(crossed(x, b), n) / nn;
    const double v = dotted(crossed(a, x), n) / nn;
    const std::array<int64_t, 2> whole{std::llround(u), std::llround(v)};
    for (int i = 0; i < 3; ++i)
        if (std::fabs(x[i] - double(whole[0]) * a[i] - double(whole[1]) * b[i]) > RegistryTolerance)
            return std::nullopt;
    return whole;
}

} // namespace

std::vector<IntMatrix2> surfacePointGroup(const CrystalSymmetry& symmetry, const std::array<Position, 3>& cell,
                                          const Miller& hkl, const Coordinates& a, const Coordinates& b)
{
    // Heights along the normal from the reduced indices: h . t over |G| is the rise of a
    // translation t, in Angstrom.
    Miller h = hkl;
    const int64_t common = std::gcd(std::gcd(std::llabs(h[0]), std::llabs(h[1])), std::llabs(h[2]));
    if (common == 0)
        return {};
    for (int64_t& x : h)
        x /= common;
    const auto [b1, b2, b3] = reciprocalBasis(cell);
    const ReciprocalVector g = double(h[0]) * b1 + double(h[1]) * b2 + double(h[2]) * b3;
    const double perIndex = 1.0 / norm(g);

    std::vector<IntMatrix2> kept;
    for (const SymmetryOperation& op : operationsKeepingNormal(symmetry, h)) {
        // The operation with its translation less a lattice vector: the rise left over.
        const double rise =
            double(h[0]) * op.translation[0] + double(h[1]) * op.translation[1] + double(h[2]) * op.translation[2];
        if (std::fabs(rise - std::round(rise)) * perIndex >= SymmetryTolerance)
            continue;
        auto image = [&](const Coordinates& x) {
            Coordinates y{};
            for (int i = 0; i < 3; ++i)
                for (int j = 0; j < 3; ++j)
                    y[i] += op.rotation[i][j] * x[j];
            return y;
        };
        const auto ia = onBasis(image(a), a, b);
        const auto ib = onBasis(image(b), a, b);
        if (!ia || !ib)
            continue;
        const IntMatrix2 m{(*ia)[0], (*ia)[1], (*ib)[0], (*ib)[1]};
        if (std::find(kept.begin(), kept.end(), m) == kept.end())
            kept.push_back(m);
    }

    // In the surface frame (x along a, z the outward normal), in latticePointGroup's order.
    const Position A = cartesian(cell, a);
    const Position B = cartesian(cell, b);
    const UnitVector x = unit(A);
    const UnitVector z = unit(g);
    const UnitVector y = cross(z, x);
    std::vector<IntMatrix2> group;
    for (const IntMatrix2& op : latticePointGroup({norm(A), 0.0, 0.0}, {dot(B, x), dot(B, y), 0.0}))
        if (std::find(kept.begin(), kept.end(), op) != kept.end())
            group.push_back(op);
    return group;
}

platform::Result<std::vector<IntMatrix2>> surfacePointGroup(const SurfaceSpec& spec, const SurfaceCell& cell)
{
    // A bulk crystal's surface cell is given in the frame of that crystal's cell vectors.
    const auto bulk = spec.bulk ? platform::Result<BulkCrystal>(*spec.bulk->crystal) : bulkOf(spec.material);
    if (!bulk)
        return bulk.error();
    const auto symmetry = analyseSymmetry(*bulk);
    if (!symmetry)
        return symmetry.error();
    // The bulk's cell has the material's conventional vectors (its own frame may differ, HCP):
    // the cell's vectors in fractions of them, from the crystal frame of latticeVectors.
    const auto reciprocal = reciprocalBasis(spec.bulk ? bulk->cell : latticeVectors(spec.material));
    auto fractional = [&](const Position& v) {
        const auto& o = cell.orientation;
        const Position r{v.x * o[0].x + v.y * o[1].x, v.x * o[0].y + v.y * o[1].y, v.x * o[0].z + v.y * o[1].z};
        return Coordinates{dot(r, reciprocal[0]), dot(r, reciprocal[1]), dot(r, reciprocal[2])};
    };
    return surfacePointGroup(*symmetry, bulk->cell, cell.hkl, fractional(cell.a), fractional(cell.b));
}

} // namespace crystal
