#pragma once
// Real materials: a lattice with its element symbols and lattice constants in Angstrom.

#include "geometry/Lattice.h"
#include "platform/Result.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace crystal {

using geometry::LatticeKind;
using geometry::Termination;

// A material: the lattice of the catalogue, one element symbol (two for a compound zinc
// blende: the first on the marked species 0 sublattice, the second on species 1), the cubic
// or basal lattice constant a and, for HCP only, c (0 otherwise), both in Angstrom.
struct Material {
    std::string name; // "Cu", "GaAs", or "custom"
    LatticeKind lattice = LatticeKind::Fcc;
    std::vector<std::string> elements; // one or two symbols
    double a = 0.0;                    // Angstrom
    double c = 0.0;                    // Angstrom, HCP only
    std::string source;                // where the constants come from

    // The element on species s (0 or 1): a one-element zinc blende (diamond) uses it for both.
    const std::string& element(int species) const;
};

// Every preset, in the order `facetor materials` lists them.
std::span<const Material> materialPresets();

// The preset of that name (letter case ignored), or nothing.
const Material* findMaterial(std::string_view name);

// The material each lattice starts with: FCC Cu, BCC Fe, HCP Mg, zinc blende GaAs.
const Material& defaultMaterial(LatticeKind lattice);

// True for a symbol of the periodic table (H to Og), spelt as usual: "Cu", not "CU".
bool isElementSymbol(std::string_view symbol);

// The atomic number of a symbol of the periodic table (1 for H to 118 for Og), 0 for any other
// word.
int atomicNumber(std::string_view symbol);

// A custom material after checking it: the element symbols (one, or two for zinc blende),
// a, and c for HCP only, each from 0.1 to 1000 Angstrom. On a bad value, the error names it.
platform::Result<Material> customMaterial(LatticeKind lattice, std::vector<std::string> elements, double a,
                                          std::optional<double> c);

} // namespace crystal
