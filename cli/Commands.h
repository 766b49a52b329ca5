#pragma once
// The batch subcommands on real materials; each takes the words after its name and returns
// the exit status (2 for a bad argument, after one line naming it and the usage).

#include <string_view>
#include <vector>

namespace cli {

// facetor materials: one preset a line, "name lattice a c elements".
int runMaterials(const std::vector<std::string_view>& args);

// facetor export SURFACE [--layers N] [--size MxN] [--vacuum ANGSTROM] [--orthogonal]
//                [--format extxyz|poscar|cif] --out FILE
int runExport(const std::vector<std::string_view>& args);

// facetor figure SURFACE [--rotate DEG] [--tilt DEG] [--layers N] [--size MxN] [--width PX]
//                [--cell] [--axes] [--colour element|layer|coordination] [--no-caption]
//                --out FILE.svg|FILE.pdf|FILE.png
int runFigure(const std::vector<std::string_view>& args);

// facetor leed SURFACE --energy EV [--wood NOTATION | --matrix "M11 M12 M21 M22"] [--domains]
//              [--format text|json] [--out FILE.png|FILE.svg]
int runLeed(const std::vector<std::string_view>& args);

// facetor report SURFACE [--format text|json]: the surface's 2D cell, plane stacking,
// density, exposed atoms and steps.
int runReport(const std::vector<std::string_view>& args);

} // namespace cli
