#pragma once
// A bulk crystal of any structure: three cell vectors in Angstrom and the atoms of one cell,
// each an element at fractional coordinates; read from a CIF, POSCAR or extended XYZ file.

#include "crystal/StructureFile.h"
#include "crystal/Vectors.h"
#include "platform/Result.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace crystal {

// One atom of the cell: its element symbol ("Ti"), its fractional coordinates along the three
// cell vectors, wrapped into [0, 1), and its oxidation state where the file gives one.
struct BulkSite {
    std::string element;
    std::array<double, 3> fractional{};
    std::optional<int> oxidation;
    friend bool operator==(const BulkSite&, const BulkSite&) = default;
};

struct BulkCrystal {
    std::string name;             // the file's title, data block or preset name
    std::array<Position, 3> cell; // the cell vectors a, b, c (rows), Cartesian, Angstrom; right-handed
    std::vector<BulkSite> sites;
};

// Atoms of one cell closer than this are one atom (symmetry images of a site on a special
// position, or a file that lists an atom twice), Angstrom.
inline constexpr double SiteMergeDistance = 0.01;

// The crystal after checking it: finite cell vectors spanning a right-handed cell of some
// volume, at least one atom, every element a symbol of the periodic table; fractions are wrapped
// into [0, 1) and atoms closer than SiteMergeDistance of one element merged. Two atoms of
// different elements at one place are refused. The error names the problem.
platform::Result<BulkCrystal> makeBulk(std::string name, const std::array<Position, 3>& cell,
                                       std::vector<BulkSite> sites);

// The cell vectors of the lengths a, b, c (Angstrom) and angles alpha, beta, gamma (degrees),
// a along x and b in the xy plane, as crystallographic files give them.
std::optional<std::array<Position, 3>> cellFromParameters(double a, double b, double c, double alpha, double beta,
                                                          double gamma);

// The crystal from a file's text; name is the file's name for messages ("x.cif: ..."), block a
// CIF data block's name (empty: the first block). An error is one line naming the file, the
// line or item and the problem.
platform::Result<BulkCrystal> readBulk(std::string_view text, StructureFormat format, std::string_view name,
                                       std::string_view block = {});

// The crystal from a file, its format from its name (structureFormatOfPath). A file that cannot
// be read, is larger than MaxBulkFileBytes or is not the format gets one line naming it.
inline constexpr std::size_t MaxBulkFileBytes = std::size_t(64) << 20;
platform::Result<BulkCrystal> readBulkFile(const std::string& path, std::string_view block = {});

} // namespace crystal
