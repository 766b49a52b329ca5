#pragma once
// Structure prototypes: the bulk crystal of a structure type built from its lattice constants
// and internal parameters, as the conventional cell of the type's space group with the sites
// at their Wyckoff positions (International Tables settings; Prototype.cpp names each one).
//
// Cells: cubic a along x, y, z; tetragonal a, a, c the same way; hexagonal (and trigonal in
// hexagonal axes) a along x, b at 120 degrees in the xy plane, c along z.

#include "crystal/Bulk.h"
#include "crystal/Material.h"
#include "platform/Result.h"

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace crystal {

enum class Prototype {
    Fcc,
    Bcc,
    Hcp,
    Diamond,
    ZincBlende,
    RockSalt,
    CesiumChloride, // also the B2 alloys (NiAl)
    L12,            // Cu3Au
    Perovskite,     // cubic ABX3
    Fluorite,
    Rutile,
    Anatase,
    Wurtzite,
    Corundum,
    Cuprite,
    Graphite,    // AB stacked
    Molybdenite, // 2H-MoS2
    HexagonalBoronNitride,
};

// A structure type as data: its name, its space group, the elements it takes and the
// parameters that fix it beyond a.
struct StructureType {
    Prototype prototype;
    std::string_view name;             // "rutile"
    std::string_view spaceGroupSymbol; // Hermann-Mauguin, "P4_2/mnm"
    int spaceGroupNumber = 0;          // 1 to 230
    std::string_view formula;          // the elements in the order the type takes them: "AX2"
    bool hasC = false;                 // tetragonal or hexagonal: c is a parameter
    // Names of the internal parameters in PrototypeParameters::internal order ("u"; "z", "x");
    // empty where the type has fewer.
    std::array<std::string_view, 2> internal{};

    // Elements the type takes: the capital letters of formula.
    int speciesCount() const;
};

// Every prototype, in the order of the enumeration.
std::span<const StructureType> structureTypes();
const StructureType& structureType(Prototype prototype);

// One element of a crystal with its formal oxidation state; none for elements, metals and
// alloys.
struct Species {
    std::string element;
    std::optional<int> oxidation;
    friend bool operator==(const Species&, const Species&) = default;
};

// The numbers that fix a crystal of a prototype: a, and c where the type has it (Angstrom);
// internal parameters as fractions of the cell, in StructureType::internal order.
struct PrototypeParameters {
    double a = 0.0;
    double c = 0.0;
    std::array<double, 2> internal{};
};

// The crystal of that prototype, its species in StructureType::formula order (rutile: the
// cation, then oxygen). Checked: the number of species, a (and c) from 0.1 to 1000 Angstrom,
// internal parameters from 0 to 1; then makeBulk (atoms of two elements at one place are
// refused). The error names the problem.
platform::Result<BulkCrystal> buildPrototype(Prototype prototype, std::string name, std::span<const Species> species,
                                             const PrototypeParameters& parameters);

// A material of the four drawn lattices as a bulk crystal: FCC, BCC, HCP, diamond (zinc blende
// with one element, or the same one twice) or zinc blende. A two-element zinc blende whose
// second element forms an anion (groups 14 to 17, e.g. As, S, N) carries formal oxidation
// states, the second element negative (As -3) and the first its opposite (Ga +3).
platform::Result<BulkCrystal> bulkOf(const Material& material);

// The prototype of that bulk crystal: Fcc, Bcc, Hcp, Diamond or ZincBlende.
Prototype prototypeOf(const Material& material);

} // namespace crystal
