#pragma once
// Publication figures of a surface: the periodic slab of a real material seen from above,
// turned by a rotation and a tilt, atoms as shaded spheres in element colours, with the
// surface cell, the crystal directions, a scale bar and a caption; written as SVG, PDF or PNG.

#include "crystal/Sites.h"
#include "crystal/Adsorbates.h"
#include "crystal/Slab.h"
#include "crystal/SurfaceCell.h"
#include "figure/ElementColours.h"
#include "platform/Result.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace figure {

enum class ColourMode {
    Element,
    Layer,
    Coordination
};
enum class FigureFormat {
    Svg,
    Pdf,
    Png
};

// "element", "layer" or "coordination".
std::optional<ColourMode> parseColourMode(std::string_view name);

// The format a file name implies: .svg, .pdf or .png (letter case ignored).
std::optional<FigureFormat> figureFormatOfPath(std::string_view path);

// What to draw and how. Zero for layers or repeats means "choose for me".
struct FigureOptions {
    double rotation = 0.0; // degrees about the outward normal, counter-clockwise on the figure
    double tilt = 0.0;     // degrees about the figure's horizontal axis: a positive tilt moves the
                           // top plane up the figure and brings the figure's lower part nearer
    int layers = 0;        // atomic planes from the top; 0: enough to fill the gaps, at least 4
    int repeatA = 0;       // cells along a and b; 0: about 12 x 10 atoms of the top plane
    int repeatB = 0;
    int width = 1200;    // PNG width in pixels (SVG and PDF are 360 pt wide and scale freely)
    bool cell = false;   // outline one surface cell
    bool axes = false;   // arrows along a and b labelled with their [u v w]
    bool caption = true; // material and plane, with the key to the colours
    bool sites = false;  // a symbol on every adsorption site (crystal/Sites.h), with its key
    ColourMode colour = ColourMode::Element;
};

// Limits that keep a figure's memory and time bounded.
inline constexpr int MaxLayers = 60;
inline constexpr int MaxRepeat = 200;
inline constexpr int MinWidth = 16;
inline constexpr int MaxWidth = 10000;
inline constexpr long MaxAtoms = 250000;
inline constexpr long long MaxPixels = 50'000'000; // a PNG's width x height: 200 MB of picture

// Checks the options that need no surface: the error names the first bad value.
platform::Status validFigureOptions(const FigureOptions& options);

// A point of the figure in Angstrom: x to the right, y downwards.
struct FigurePoint {
    double x = 0.0;
    double y = 0.0;
};

// One atom as drawn.
struct FigureSphere {
    FigurePoint centre;
    double radius = 0.0;  // Angstrom
    double depth = 0.0;   // along the line of sight, larger is nearer the viewer
    platform::Rgb colour; // the colour of the element, plane or coordination number
    double shade = 0.0;   // 0 to 1: deeper planes are drawn darker, as colour times (1 - shade)
    int plane = 0;        // 0 for the top plane
    int species = 0;
    int coordination = 0; // neighbours in the semi-infinite crystal (coordination colouring only)
};

// An arrow of the axes key, in Angstrom from the key's own origin.
struct FigureAxis {
    FigurePoint tip;                     // the arrow runs from (0, 0) to tip
    crystal::LatticeDirection direction; // [u v w] of the cell vector it shows
};

// One entry of the colour key.
struct LegendEntry {
    platform::Rgb colour;
    std::string label;
};

// The symbol of a site kind: top a circle, bridge a diamond, fcc a triangle pointing up, hcp one
// pointing down, any other hollow a square. Open symbols mark sites of the terraces, filled
// ones the step variants.
struct SiteMark {
    FigurePoint centre;
    crystal::SiteKind kind = crystal::SiteKind::Top;
    bool step = false;
};

// One entry of the sites' key: the symbol and its name ("top", "step bridge", ...).
struct SiteKey {
    crystal::SiteKind kind = crystal::SiteKind::Top;
    bool step = false;
    std::string label;
};

// Everything a figure shows, in Angstrom, before it is painted.
struct FigureScene {
    double width = 0.0; // the atoms' region, margins included
    double height = 0.0;
    std::vector<FigureSphere> spheres;    // in painting order: the deepest first
    std::vector<FigurePoint> cellOutline; // the four corners of one cell, or empty
    std::vector<FigureAxis> axes;         // arrows along a and b, or empty
    std::string caption;                  // empty without a caption
    std::vector<LegendEntry> legend;      // empty without a caption
    std::vector<SiteMark> siteMarks;      // over the atoms, or empty
    double siteMarkRadius = 0.0;          // Angstrom
    std::vector<SiteKey> siteKey;         // the kinds of siteMarks, for the key
};

// What a figure is made of: one surface cell of the slab (repeats 1 x 1), with at least the
// drawn planes (deeper ones are left out).
struct SlabFigureInput {
    crystal::PeriodicSlab slab;
    crystal::LatticeDirection aDirection{}; // [u v w] of slab.a and slab.b
    crystal::LatticeDirection bDirection{};
    double nearestNeighbour = 0.0;     // Angstrom: the spheres' diameter (the shortest bond of a bulk)
    std::vector<int> coordination;     // of each slab atom (coordination colouring only)
    std::vector<int> bulkCoordination; // of each species (the cell's NeighbourRule::bulk)
    std::string caption;
    // The sites to mark: one point of each in slab's frame (its x and y, z the top plane's
    // height) per equivalent site of the cell.
    struct SitePoint {
        crystal::Position position;
        crystal::SiteKind kind = crystal::SiteKind::Top;
        bool step = false;
    };
    std::vector<SitePoint> sites;
};

// The figure of an already built slab; options must be valid, with layers and repeats set.
FigureScene layoutSlab(const SlabFigureInput& input, const FigureOptions& options);

// The figure of spec's surface, or an error naming the fault for a plane that has no cell,
// bad options or a figure beyond the limits. With an overlayer (placed on the primitive cell) the
// slab is made of whole overlayer cells and its adsorbates are drawn with its atoms.
platform::Result<FigureScene> buildFigureScene(const crystal::SurfaceSpec& spec, const FigureOptions& options,
                                               const crystal::Overlayer* overlayer = nullptr);

// The atomic planes a figure of spec's surface shows for depth's thickness (Angstrom): the fewest
// whole planes at least that thick; an error naming the fault, or beyond MaxLayers.
platform::Result<int> figureLayers(const crystal::SurfaceSpec& spec, const crystal::SlabDepth& depth);

// The height of the whole figure (atoms, keys and caption) drawn width wide, in the same unit:
// the PNG's height in pixels is the ceiling of figureHeight(scene, width).
double figureHeight(const FigureScene& scene, double width);

// Checks that the PNG of scene at width pixels stays within MaxWidth pixels high and MaxPixels
// in all; the error names the size and what to change.
platform::Status validPngSize(const FigureScene& scene, int width);

// The scene painted as the file's bytes; width is the PNG's width in pixels. An error when the
// drawing library fails (out of memory).
platform::Result<std::string> renderFigure(const FigureScene& scene, FigureFormat format, int width);

// The whole figure of spec's surface as the file's bytes: what the desktop's export calls. An
// error on bad input.
platform::Result<std::string> makeFigure(const crystal::SurfaceSpec& spec, const FigureOptions& options,
                                         FigureFormat format);

} // namespace figure
