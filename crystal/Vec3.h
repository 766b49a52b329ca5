#pragma once
// Small double-precision vectors for the real crystals (Angstrom unless a name says otherwise).

#include "crystal/Conventions.h"

#include <cmath>

namespace crystal {

struct Vec3 {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;

    friend constexpr Vec3 operator+(Vec3 p, Vec3 q) { return {p.x + q.x, p.y + q.y, p.z + q.z}; }
    friend constexpr Vec3 operator-(Vec3 p, Vec3 q) { return {p.x - q.x, p.y - q.y, p.z - q.z}; }
    friend constexpr Vec3 operator*(double s, Vec3 p) { return {s * p.x, s * p.y, s * p.z}; }
    friend constexpr bool operator==(const Vec3&, const Vec3&) = default;
};

constexpr double dot(Vec3 p, Vec3 q) { return p.x * q.x + p.y * q.y + p.z * q.z; }
constexpr Vec3 cross(Vec3 p, Vec3 q) { return {p.y * q.z - p.z * q.y, p.z * q.x - p.x * q.z, p.x * q.y - p.y * q.x}; }
inline double norm(Vec3 p) { return std::sqrt(dot(p, p)); }

} // namespace crystal
