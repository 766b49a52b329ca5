#pragma once
// The LEED pattern as the fluorescent screen shows it at normal incidence. The geometry of the
// picture (spots, radii, labels, cells, in pixels) is computed apart from any drawing, so that
// the same layout can be painted with Cairo (PNG, SVG) or onto an indexed canvas.

#include "crystal/Leed.h"
#include "platform/Colour.h"

#include "platform/Result.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace figure {

// What each part of the picture is drawn as; a painter maps each role to one colour. On an
// indexed canvas, the palette entry of a role is its value.
enum class LeedRole {
    Background,     // outside the screen
    Screen,         // the screen's disc
    ScreenRim,      // its edge, the exit angle of 90 degrees
    Specular,       // the (0 0) beam
    Substrate,      // the substrate's beams
    Superstructure, // the superstructure's beams
    SubstrateCell,  // the reciprocal cell a*, b* from (0 0)
    SuperstructureCell,
    Label, // beam indices and the caption
};

// How many roles there are.
constexpr int LeedRoleCount = int(LeedRole::Label) + 1;

// The colour of a role: a dark screen, green substrate beams, amber superstructure beams.
constexpr platform::Rgb leedColour(LeedRole role)
{
    switch (role) {
    case LeedRole::Background: return platform::Rgb::fromHex(0x0a0d0b);
    case LeedRole::Screen: return platform::Rgb::fromHex(0x14231a);
    case LeedRole::ScreenRim: return platform::Rgb::fromHex(0x4f6a58);
    case LeedRole::Specular: return platform::Rgb::fromHex(0xf2fff2);
    case LeedRole::Substrate: return platform::Rgb::fromHex(0x6dff7a);
    case LeedRole::Superstructure: return platform::Rgb::fromHex(0xffb22e);
    case LeedRole::SubstrateCell: return platform::Rgb::fromHex(0x3f9a55);
    case LeedRole::SuperstructureCell: return platform::Rgb::fromHex(0xa8782a);
    case LeedRole::Label: return platform::Rgb::fromHex(0xc8d6cc);
    }
    return platform::Rgb::fromHex(0xffffff);
}

// A point of the picture in pixels: x to the right, y downwards, (0, 0) the top left corner.
struct PicturePoint {
    double x = 0.0;
    double y = 0.0;
};

// A text with the left end of its baseline at origin.
struct PictureText {
    std::string text;
    PicturePoint origin;
    double width = 0.0; // estimated, pixels
};

// One beam as drawn: a filled disc, and its indices beside it when there is room.
struct LeedSpotMark {
    PicturePoint centre;
    double radius = 0.0; // pixels, at least 3 (a disc at least 6 pixels across)
    LeedRole role = LeedRole::Substrate;
    std::optional<PictureText> label; // "h k", e.g. "1/2 0"; none where it would cover others
};

// The whole picture in pixels.
struct LeedLayout {
    int width = 0;
    int height = 0;
    PicturePoint centre;       // the (0 0) beam and the screen's centre
    double screenRadius = 0.0; // pixels for g = k (exit angle 90 degrees)
    double fontSize = 0.0;     // pixels
    // Corners of the reciprocal cells, from (0 0): 0, a*, a* + b*, b*. They may reach beyond the
    // screen; painters clip them to its disc.
    std::array<PicturePoint, 4> substrateCell{};
    std::optional<std::array<PicturePoint, 4>> superstructureCell; // domain 1's, if any
    std::vector<LeedSpotMark> spots;                               // the specular beam first, the superstructure's last
    std::vector<PictureText> caption;                              // top left: the title, then the energy
};

// The side of the drawn pattern written as a file (`facetor leed --out`, the Python module's leed):
// pixels for PNG, points for SVG.
inline constexpr int LeedPictureSide = 600;

// Lays the pattern out on a width x height picture (each at least 64): the screen fills the
// smaller side, a beam at (gx, gy) sits at centre + (gx, -gy) * screenRadius / k, as on a
// flat view of the hemispherical screen. title, if not empty, is the caption's first lines (one
// for each line of it), the energy the last.
LeedLayout layoutLeedPicture(const crystal::LeedPattern& pattern, int width, int height, std::string_view title);

// A superstructure matrix as captions and listings write it: "[2 0; 0 1]".
std::string matrixText(const crystal::IntMatrix2& m);

// The caption's title of a pattern: the surface's title, then the superstructure as named (none
// when empty), then the number of domains when there are more than one.
std::string leedCaption(std::string_view surfaceTitle, std::string_view superstructure, std::size_t domains);

enum class LeedFileFormat {
    Png,
    Svg
};

// The format a file name implies: .png or .svg (letter case ignored).
std::optional<LeedFileFormat> leedFileFormatOfPath(std::string_view path);

// The picture's file bytes painted with Cairo (PNG: 24-bit, width x height pixels; SVG:
// width x height points, all vector), or an error when Cairo fails.
platform::Result<std::string> paintLeedPicture(const LeedLayout& layout, LeedFileFormat format);

class IndexedCanvas;

// Lays the pattern out on the whole canvas and paints it there: each role in the palette entry
// of its value, the discs at least 6 pixels across, the labels and the caption (title, if not
// empty, then the energy) in the canvas's character cells, each label in the cell right of its
// place in the layout and left out where it would not fit in the grid.
void paintLeedPattern(const crystal::LeedPattern& pattern, std::string_view title, IndexedCanvas& canvas);

// Paints and writes the picture whole or not at all; an error names what failed.
platform::Status writeLeedPicture(const std::string& path, const LeedLayout& layout);

} // namespace figure
