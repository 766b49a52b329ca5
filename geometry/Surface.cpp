#include "geometry/Surface.h"

#include <cmath>

namespace geometry {

namespace {

using Vec3 = std::array<float, 3>;

// Lattice coordinates to Cartesian: component j is the sum over i of v(i) a(i, j).
Vec3 toCartesian(const Vec3& v, const LatticeDefinition& lattice)
{
    const auto& a = lattice.latticeVectors;
    Vec3 c{};
    for (int j = 0; j < 3; ++j)
        c[j] = v[0] * a[0][j] + v[1] * a[1][j] + v[2] * a[2][j];
    return c;
}

} // namespace

SurfaceFrame orientSurface(const MillerIndices& miller, const LatticeDefinition& lattice)
{
    // 32-bit products: 16-bit ones would wrap for large indices and tilt the plane.
    const int32_t h = miller.h;
    const int32_t k = miller.k;
    const int32_t l = miller.l;

    int32_t u[3] = {k * l, -(h * l), 0};
    int32_t v[3] = {k * l, 0, -(k * h)};
    if (h == 0) {
        v[0] = 0;
        v[1] = -l;
        v[2] = k;
    }
    if (k == 0) {
        v[0] = -l;
        v[1] = 0;
        v[2] = h;
    }
    if (l == 0) {
        u[0] = -k;
        u[1] = h;
    }
    if (h == 0 && k == 0)
        u[1] = 1;

    const Vec3 uc = toCartesian({float(u[0]), float(u[1]), float(u[2])}, lattice);
    const Vec3 vc = toCartesian({float(v[0]), float(v[1]), float(v[2])}, lattice);

    Vec3 n = {uc[1] * vc[2] - uc[2] * vc[1], uc[2] * vc[0] - uc[0] * vc[2], uc[0] * vc[1] - uc[1] * vc[0]};

    if (float(l) * n[2] < 0.0f || float(h) * n[0] < 0.0f || float(k) * n[1] < 0.0f)
        n = {-n[0], -n[1], -n[2]};

    // The squares of a normal built from large indices exceed the float range: sum them wider.
    const double norm = std::sqrt(double(n[0]) * n[0] + double(n[1]) * n[1] + double(n[2]) * n[2]);
    SurfaceFrame frame;
    if (!(norm > 0.0) || !std::isfinite(norm)) {
        frame.planeDefined = false;
        return frame;
    }
    for (float& x : n)
        x = float(x / norm);

    const float c = n[2];
    // |c| <= 1 after the normalisation above; the clamp keeps rounding from reaching sqrt(<0).
    const float m = std::sqrt(std::fmax(0.0f, 1.0f - c * c));

    float cosA = 1.0f;
    float sinA = 0.0f;
    if (!(std::fabs(n[0]) < 0.00001f && std::fabs(n[1]) < 0.00001f)) {
        const float rho = std::sqrt(n[0] * n[0] + n[1] * n[1]);
        cosA = n[0] / rho;
        sinA = n[1] / rho;
    }

    frame.rows[0] = {cosA * c, sinA * c, -m};
    frame.rows[1] = {-sinA, cosA, 0.0f};
    frame.rows[2] = {cosA * m, sinA * m, c};
    return frame;
}

} // namespace geometry
