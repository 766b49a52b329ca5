#pragma once
// Atomic planes and their polarity: atoms grouped into planes by height, formal charges of a
// crystal's atoms, and the Tasker type of a cut (P. W. Tasker, J. Phys. C 12, 4977 (1979)).

#include "crystal/Bulk.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace crystal {

// Atoms whose heights differ by at most this (Angstrom), through a chain of such neighbours,
// lie in one atomic plane; `--plane-tolerance` changes it.
inline constexpr double DefaultPlaneTolerance = 0.1;

// The atomic planes of one stacking period: heights in [0, period) grouped by single linkage
// within tolerance, periodically (an atom just below period joins a plane just above 0). Each
// plane lists its atoms' indices; planes come from the highest down, and a plane's height is
// that of its highest atom, in [0, period) but for a plane that wraps, whose height may lie
// above period. Nothing when the tolerance joins every atom into one plane that wraps round.
struct HeightPlane {
    double height = 0.0;
    std::vector<std::size_t> atoms;
};
std::vector<HeightPlane> groupIntoPlanes(const std::vector<double>& heights, double period, double tolerance);

// The most common oxidation state of an element in its compounds (O -2, Ti +4, ...), from the
// table of Greenwood and Earnshaw, "Chemistry of the Elements" (2nd ed.); nothing for an
// element without one listed.
std::optional<int> commonOxidationState(std::string_view element);

// True for the metals of the periodic table (a crystal of metals only is a metal or an alloy:
// its planes carry no formal charge).
bool isMetal(std::string_view element);

// Formal charges of the crystal's sites, in the order of its sites: the oxidation states the
// file or preset gives where every site has one; else, for a crystal with a non-metal, each
// element's most common state when these make the cell neutral. Nothing for a metal or alloy,
// or when no neutral assignment is known; reason then says which.
struct FormalCharges {
    std::vector<int> charges;
};
std::optional<FormalCharges> formalCharges(const BulkCrystal& bulk, std::string* reason = nullptr);

// The Tasker type of the stacking below a cut, from the charge of each plane of one period
// (per 2D cell, elementary charges) and its height (Angstrom, any origin): 1 when every plane
// is neutral, 2 when the planes are charged but the period carries no dipole, 3 when it has a
// dipole; dipole per area in e/Angstrom (charge times height over the cell's area).
struct PlaneCharge {
    double charge = 0.0;
    double height = 0.0;
};
struct Polarity {
    int tasker = 1;
    double dipolePerArea = 0.0;
};
Polarity taskerType(const std::vector<PlaneCharge>& period, double area);

} // namespace crystal
