#pragma once
// Structure files that simulation codes and viewers read: extended XYZ, VASP 5 POSCAR and CIF.

#include "crystal/Slab.h"

#include <optional>
#include <string>
#include <string_view>

namespace crystal {

enum class StructureFormat {
    ExtendedXyz,
    Poscar,
    Cif
};

// "extxyz", "poscar" or "cif".
std::optional<StructureFormat> parseStructureFormat(std::string_view name);

// The format a file name implies: .xyz/.extxyz, POSCAR (any folder)/.vasp/.poscar, .cif.
std::optional<StructureFormat> structureFormatOfPath(std::string_view path);

// The whole text of the file; title is its comment line (material and plane).
std::string formatStructure(const PeriodicSlab& slab, StructureFormat format, std::string_view title);

} // namespace crystal
