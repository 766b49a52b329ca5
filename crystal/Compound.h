#pragma once
// Compound presets: real crystals of the structure prototypes with their experimental
// room-temperature lattice constants and internal parameters (CompoundData.cpp names the source
// of each).
//
// Names: the chemical formula names the polymorph stable at room temperature and pressure
// ("TiO2" is rutile, "BN" hexagonal boron nitride); another polymorph, or one whose formula is
// already a drawn-lattice preset (C is diamond there), adds its structure type after a hyphen:
// "TiO2-anatase", "C-graphite".

#include "crystal/Prototype.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace crystal {

struct Compound {
    std::string name; // "TiO2", "TiO2-anatase"
    Prototype prototype = Prototype::RockSalt;
    std::vector<Species> species; // in the prototype's formula order, with formal oxidation states
    PrototypeParameters parameters;
    std::string source; // where the constants come from

    // The structure type: its name ("rutile") and space group.
    const StructureType& type() const { return structureType(prototype); }
};

// Every compound preset, in the order they are listed.
std::span<const Compound> compoundPresets();

// The compound of that name (letter case ignored), or nothing.
const Compound* findCompound(std::string_view name);

// The compound's bulk crystal in the conventional cell of its structure type.
platform::Result<BulkCrystal> bulkOf(const Compound& compound);

} // namespace crystal
