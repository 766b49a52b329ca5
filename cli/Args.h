#pragma once
// The batch front end's command line, parsed into a plain value before anything runs. One table
// in Args.cpp names every option: whether it takes a value, which subcommands accept it and the
// reader that checks its value.

#include "crystal/Adsorbates.h"
#include "crystal/Polarity.h"
#include "crystal/Leed.h"
#include "crystal/Superstructure.h"
#include "crystal/Slab.h"
#include "crystal/StructureFile.h"
#include "crystal/SurfaceCell.h"
#include "figure/Figure.h"
#include "geometry/Lattice.h"
#include "geometry/Surface.h"
#include "platform/Result.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

enum class Subcommand {
    Help,
    Version,
    Listing,
    Slab,
    Render,
    Materials,
    Export,
    Figure,
    Leed,
    Report,
    Terminations,
    Facets,
    Wulff,
    Sites
};
enum class SlabFormat {
    Table,
    Xyz
};
enum class TextFormat {
    Text,
    Json
};

// What to run, every option checked. Each subcommand reads only its own fields.
struct BatchCommand {
    Subcommand subcommand = Subcommand::Help;

    // listing, slab, render: the drawn surface.
    geometry::LatticeCode code = geometry::LatticeCode::Fcc;
    geometry::MillerIndices miller;
    std::optional<float> rotate; // degrees
    std::optional<float> tilt;   // degrees
    SlabFormat format = SlabFormat::Table;
    std::string material;   // slab --format xyz: a preset of the lattice, for Angstrom and symbols
    std::string out;        // render (.bmp or .png), export, figure, leed: the file to write
    int screenWidth = 1024; // render: the headless screen
    int screenHeight = 768;

    // export, figure, leed, report: the surface of a real material.
    crystal::SurfaceSpec surface;
    crystal::SlabOptions slab; // export
    crystal::SlabDepth depth;  // export: layers, thickness, faces (slab.layers is set from it); figure: thickness
    crystal::InPlaneCell cell = crystal::InPlaneCell::Primitive;
    crystal::StructureFormat structureFormat = crystal::StructureFormat::ExtendedXyz;
    figure::FigureOptions figure;
    figure::FigureFormat figureFormat = figure::FigureFormat::Svg;
    double energy = 0.0; // leed: eV
    std::optional<crystal::WoodNotation> wood;
    std::optional<crystal::IntMatrix2> matrix;
    crystal::LeedDomains domains = crystal::LeedDomains::One;
    TextFormat textFormat = TextFormat::Text; // leed, report, terminations, materials

    // export, figure, leed, report: adsorbates on the surface (--adsorbate, --coverage, --height).
    std::optional<crystal::OverlayerRequest> overlayer;

    // terminations, and export, figure, leed and report of a bulk crystal: from a preset
    // (compound, or for terminations also a lattice's) or a structure file.
    std::string bulkPreset;                                 // a compound or material preset's name, or empty
    std::string bulkPath;                                   // --bulk FILE, or empty
    std::string block;                                      // --block NAME of a CIF, or empty for the first
    crystal::Miller bulkHkl;                                // of the cell as the preset or file gives it
    int bulkTermination = 1;                                // export, figure, leed, report: --termination N
    double planeTolerance = crystal::DefaultPlaneTolerance; // Angstrom

    // facets, wulff: every plane of the bulk up to an index, and the equilibrium shape.
    int maxIndex = 0;            // 0: not given (wulff then takes DefaultWulffIndex)
    std::string energiesPath;    // wulff --energies FILE, or empty for the broken-bond energies
    double wulffRotation = 30.0; // degrees, as figure::WulffView
    double wulffTilt = -60.0;
    double diameter = 10.0; // nm: the sphere of the shape's volume
};

// The largest index of the planes wulff takes the broken-bond energies of, unless told.
inline constexpr int DefaultWulffIndex = 3;

// Parses the arguments after the program name. An empty list is an error (the desktop program
// is started before the parser is asked). The error is one line naming the bad argument.
platform::Result<BatchCommand> parseCommand(const std::vector<std::string_view>& args);

// The usage text, several lines, ending in a line break.
std::string usage();

} // namespace cli
