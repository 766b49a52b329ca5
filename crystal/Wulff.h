#pragma once
// The equilibrium shape of a crystal (the Wulff construction): the inner envelope of the planes
// at a distance from the centre proportional to their surface energy; its facets, their share of
// the area, and the shape's volume and area.

#include "crystal/Vectors.h"
#include "platform/Result.h"

#include <string_view>
#include <vector>

namespace crystal {

// One family of equivalent planes with its surface energy: every member is a facet of the
// construction at distance energy from the centre along its normal.
struct WulffFamily {
    Miller hkl;                  // the representative, as listed
    std::vector<Miller> members; // the equivalent planes, hkl among them
    double energy = 0.0;         // any unit, above 0
};

struct WulffFace {
    std::size_t family = 0;        // index into the families given
    Miller hkl;                    // the member of that family this face lies on
    UnitVector normal;             // outward, Cartesian (the cell's frame)
    std::vector<Position> polygon; // its corners, counter-clockwise seen from outside
    double area = 0.0;
};

struct WulffShape {
    std::vector<WulffFace> faces;      // only those with area: a family above the envelope has none
    std::vector<double> areaFractions; // by family, adding up to 1
    double volume = 0.0;               // of the construction at distance = energy
    double area = 0.0;
    double weightedEnergy = 0.0; // sum of energy x area over the area
};

// The construction for the crystal's cell (rows a, b, c) and the families. Fails with a clear
// message when a family's energy is not above 0 and finite, or when the planes enclose no finite
// shape (no plane faces some direction).
platform::Result<WulffShape> wulffShape(const std::array<Position, 3>& cell, const std::vector<WulffFamily>& families);

// Surface energies a user gives, one plane a line: "h k l energy" or, for hexagonal axes,
// "h k i l energy" (i = -(h + k)); "#" starts a comment. The energies are in J/m^2 unless a line
// "unit eV/Angstrom^2" (or "unit J/m^2") comes before them; they are kept in J/m^2.
struct PlaneEnergy {
    Miller hkl;
    double energy = 0.0; // J/m^2
    int line = 0;        // where the file gives it
};

// 1 eV per square Angstrom in J/m^2.
inline constexpr double JoulePerSquareMetrePerEvPerSquareAngstrom = 16.02176634;

// The most lines an energies file may have.
inline constexpr int MaxEnergyLines = 10000;

// The energies of text; name is the file's name for messages. An error is one line naming the
// file, the line and the problem: a word that is no number, indices (0 0 0) or not whole, i not
// -(h + k), an energy not above 0, a plane given twice, no plane at all.
platform::Result<std::vector<PlaneEnergy>> readSurfaceEnergies(std::string_view text, std::string_view name);

} // namespace crystal
