#pragma once
// The batch subcommands on real materials, each run on its parsed command, and what every
// subcommand uses to answer: each returns the exit status (2 for a bad argument, after one line
// naming it and the usage).

#include "cli/Args.h"
#include "crystal/Adsorbates.h"
#include "crystal/Bulk.h"
#include "platform/Text.h"

#include <optional>
#include <string>
#include <string_view>

namespace cli {

// facetor materials: a header line naming the columns, then one preset a line, "name structure
// a c elements", the lattice presets first, then the compounds; or JSON with each preset's
// structure type, space group and source.
int runMaterials(const BatchCommand& cmd);

// facetor export: the periodic slab as an extended XYZ, POSCAR or CIF file.
int runExport(const BatchCommand& cmd);

// facetor figure: the publication figure as SVG, PDF or PNG.
int runFigure(const BatchCommand& cmd);

// facetor leed: the diffraction pattern as text or JSON, and drawn when --out is given.
int runLeed(const BatchCommand& cmd);

// facetor report: the surface's 2D cell, plane stacking, density, exposed atoms and steps.
int runReport(const BatchCommand& cmd);

// facetor terminations: every termination of a bulk crystal's plane with its polarity.
int runTerminations(const BatchCommand& cmd);

// facetor sites: the surface's adsorption sites as text or JSON.
int runSites(const BatchCommand& cmd);

// The bulk crystal the command names (terminations, or a bulk SURFACE): a compound or material
// preset, a custom lattice, or a file read now (its faults named as the file's).
platform::Result<crystal::BulkCrystal> bulkCrystal(const BatchCommand& cmd);

// The surface the command names: cmd.surface, or for a compound or file its bulk crystal read,
// with the termination and plane tolerance given.
platform::Result<crystal::SurfaceSpec> surfaceSpec(const BatchCommand& cmd);

// The overlayer the command asks for, placed on cell of spec's surface; nothing without
// --adsorbate. An error names the bad site, coverage or height.
platform::Result<std::optional<crystal::Overlayer>> overlayerOn(const BatchCommand& cmd,
                                                                const crystal::SurfaceSpec& spec,
                                                                const crystal::SurfaceCell& cell);
// The same on the primitive cell of spec's surface.
platform::Result<std::optional<crystal::Overlayer>> overlayerOn(const BatchCommand& cmd,
                                                                const crystal::SurfaceSpec& spec);

// facetor facets: the symmetrically distinct planes up to an index, with broken-bond energies.
int runFacets(const BatchCommand& cmd);

// facetor wulff: the equilibrium shape from broken-bond or given energies, listed and drawn.
int runWulff(const BatchCommand& cmd);

// The crystal's name for titles: the preset's name, the file's path, or the custom lattice's
// elements.
std::string bulkName(const BatchCommand& cmd);

// Prints "facetor: <message>" and the usage on standard error; returns the status 2.
int argumentError(std::string_view message);

// Prints "facetor: <message>" on standard error, without the usage (a file that cannot be read,
// a crystal that cannot be analysed); returns the status 2.
int fileError(std::string_view message);

// Writes the file whole or not at all; a failure prints "facetor: cannot write FILE: reason".
// Returns the status: 0, or 1 on a failure.
int writeOutput(const std::string& path, std::string_view bytes);

// The program's one number formatter (platform/Text.h).
using platform::shortest;

} // namespace cli
