#include "crystal/Wulff.h"

#include <algorithm>
#include <charconv>
#include <numeric>
#include <cmath>
#include <string>

namespace crystal {
namespace {

struct HalfSpace {
    std::size_t family;
    Miller hkl;
    UnitVector normal;
    double distance;
};

Position along(const UnitVector& u, double s) { return {s * u.x, s * u.y, s * u.z}; }

// The part of the convex polygon on the inner side of n . x <= d.
std::vector<Position> clip(const std::vector<Position>& polygon, const UnitVector& n, double d, double tolerance)
{
    std::vector<Position> out;
    const std::size_t count = polygon.size();
    for (std::size_t i = 0; i < count; ++i) {
        const Position& p = polygon[i];
        const Position& q = polygon[(i + 1) % count];
        const double fp = dot(n, p) - d;
        const double fq = dot(n, q) - d;
        if (fp <= tolerance)
            out.push_back(p);
        if ((fp < -tolerance && fq > tolerance) || (fp > tolerance && fq < -tolerance))
            out.push_back(p + (fp / (fp - fq)) * (q - p));
    }
    return out;
}

double polygonArea(const std::vector<Position>& polygon, const UnitVector& normal)
{
    double twice = 0.0;
    for (std::size_t i = 1; i + 1 < polygon.size(); ++i)
        twice += dot(normal, cross(polygon[i] - polygon[0], polygon[i + 1] - polygon[0]));
    return 0.5 * twice;
}

} // namespace

platform::Result<WulffShape> wulffShape(const std::array<Position, 3>& cell, const std::vector<WulffFamily>& families)
{
    if (families.empty())
        return platform::fail("no plane has an energy: the shape is not bounded");
    const auto reciprocal = reciprocalBasis(cell);
    std::vector<HalfSpace> planes;
    double largest = 0.0;
    for (std::size_t f = 0; f < families.size(); ++f) {
        const WulffFamily& family = families[f];
        if (!(family.energy > 0.0) || !std::isfinite(family.energy))
            return platform::fail("the energy of (" + std::to_string(family.hkl[0]) + " "
                                  + std::to_string(family.hkl[1]) + " " + std::to_string(family.hkl[2])
                                  + ") must be above 0");
        largest = std::max(largest, family.energy);
        for (const Miller& m : family.members) {
            const ReciprocalVector g =
                double(m[0]) * reciprocal[0] + double(m[1]) * reciprocal[1] + double(m[2]) * reciprocal[2];
            planes.push_back({f, m, unit(g), family.energy});
        }
    }

    // Each plane's face: a square far larger than any bounded shape, clipped by every other
    // plane. A face still reaching the square's edge means the planes leave the shape open.
    const double far = 1e3 * largest;
    const double tolerance = 1e-9 * largest;
    WulffShape shape;
    std::vector<double> familyArea(families.size(), 0.0);
    for (const HalfSpace& p : planes) {
        const Position n = along(p.normal, 1.0);
        const Position helper = std::fabs(p.normal.x) < 0.9 ? Position{1.0, 0.0, 0.0} : Position{0.0, 1.0, 0.0};
        const UnitVector u = unit(cross(n, helper));
        const UnitVector v = cross(p.normal, u);
        const Position centre = along(p.normal, p.distance);
        std::vector<Position> polygon = {centre + along(u, far) + along(v, far), centre - along(u, far) + along(v, far),
                                         centre - along(u, far) - along(v, far),
                                         centre + along(u, far) - along(v, far)};
        for (const HalfSpace& q : planes) {
            if (&q == &p)
                continue;
            polygon = clip(polygon, q.normal, q.distance, tolerance);
            if (polygon.size() < 3)
                break;
        }
        if (polygon.size() < 3)
            continue;
        for (const Position& corner : polygon)
            if (norm(corner - centre) > 0.5 * far)
                return platform::fail("the planes given enclose no finite shape: add planes facing every direction");
        const double area = polygonArea(polygon, p.normal);
        if (area <= 1e-9 * largest * largest)
            continue;
        familyArea[p.family] += area;
        shape.area += area;
        shape.volume += p.distance * area / 3.0;
        shape.faces.push_back({p.family, p.hkl, p.normal, std::move(polygon), area});
    }
    if (!(shape.area > 0.0))
        return platform::fail("the planes given enclose no finite shape: add planes facing every direction");
    double weighted = 0.0;
    for (std::size_t f = 0; f < families.size(); ++f) {
        shape.areaFractions.push_back(familyArea[f] / shape.area);
        weighted += families[f].energy * familyArea[f];
    }
    shape.weightedEnergy = weighted / shape.area;
    return shape;
}

} // namespace crystal

namespace crystal {

platform::Result<std::vector<PlaneEnergy>> readSurfaceEnergies(std::string_view text, std::string_view name)
{
    std::vector<PlaneEnergy> energies;
    double unit = 1.0;
    int lineNumber = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++lineNumber;
        const auto at = [&](const std::string& problem) {
            return platform::fail(std::string(name) + ":" + std::to_string(lineNumber) + ": " + problem);
        };
        if (lineNumber > MaxEnergyLines)
            return at("more than " + std::to_string(MaxEnergyLines) + " lines");
        if (const std::size_t hash = line.find('#'); hash != std::string_view::npos)
            line = line.substr(0, hash);
        std::vector<std::string_view> words;
        for (std::size_t i = 0; i < line.size();) {
            while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r'))
                ++i;
            std::size_t j = i;
            while (j < line.size() && line[j] != ' ' && line[j] != '\t' && line[j] != '\r')
                ++j;
            if (j > i)
                words.push_back(line.substr(i, j - i));
            i = j;
        }
        if (words.empty())
            continue;
        if (words[0] == "unit") {
            if (!energies.empty())
                return at("the unit must come before the energies");
            if (words.size() == 2 && (words[1] == "J/m^2" || words[1] == "J/m2"))
                unit = 1.0;
            else if (words.size() == 2 && (words[1] == "eV/Angstrom^2" || words[1] == "eV/A^2"))
                unit = JoulePerSquareMetrePerEvPerSquareAngstrom;
            else
                return at("the unit must be J/m^2 or eV/Angstrom^2");
            continue;
        }
        if (words.size() != 4 && words.size() != 5)
            return at("expected h k l energy (or h k i l energy), found " + std::to_string(words.size()) + " words");
        std::vector<int64_t> indices;
        for (std::size_t k = 0; k + 1 < words.size(); ++k) {
            int64_t value = 0;
            const auto [ptr, ec] = std::from_chars(words[k].data(), words[k].data() + words[k].size(), value);
            if (ec != std::errc() || ptr != words[k].data() + words[k].size() || value < -100 || value > 100)
                return at("index '" + std::string(words[k].substr(0, 20)) + "' is not a whole number from -100 to 100");
            indices.push_back(value);
        }
        if (indices.size() == 4) {
            if (indices[2] != -(indices[0] + indices[1]))
                return at("in (h k i l), i must be -(h + k)");
            indices.erase(indices.begin() + 2);
        }
        Miller hkl{{indices[0], indices[1], indices[2]}};
        if (hkl == Miller{{0, 0, 0}})
            return at("indices (0 0 0) name no plane");
        const int64_t common = std::gcd(std::gcd(hkl[0], hkl[1]), hkl[2]);
        for (int64_t& x : hkl)
            x /= common; // (2 2 2) is the plane (1 1 1)
        double energy = 0.0;
        const std::string_view e = words.back();
        const auto [ptr, ec] = std::from_chars(e.data(), e.data() + e.size(), energy, std::chars_format::general);
        if (ec != std::errc() || ptr != e.data() + e.size() || !std::isfinite(energy) || !(energy > 0.0))
            return at("energy '" + std::string(e.substr(0, 20)) + "' is not a number above 0");
        for (const PlaneEnergy& given : energies)
            if (given.hkl == hkl)
                return at("the plane is given twice (line " + std::to_string(given.line) + ")");
        energies.push_back({hkl, energy * unit, lineNumber});
    }
    if (energies.empty())
        return platform::fail(std::string(name) + ": no plane with an energy");
    return energies;
}

} // namespace crystal
