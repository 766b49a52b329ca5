#pragma once
// The equilibrium shape as a picture: the facets that face the viewer, each family in its own
// colour, shaded by the angle it makes with the light, labelled with its indices, and a key of
// the families with their share of the area. The layout is computed apart from any drawing and
// painted with Cairo as SVG, PDF or PNG.

#include "crystal/Wulff.h"
#include "figure/Figure.h"
#include "figure/LeedPicture.h"
#include "platform/Colour.h"
#include "platform/Result.h"

#include <string>
#include <string_view>
#include <vector>

namespace figure {

// The direction the shape is seen from: turned by rotation degrees about the cell's z axis, then
// tilted by tilt degrees about the picture's horizontal axis (positive brings the top nearer).
struct WulffView {
    double rotation = 30.0;
    double tilt = -60.0;
};

struct WulffFacePicture {
    std::vector<PicturePoint> corners;
    platform::Rgb colour; // the family's colour, shaded
    std::optional<PictureText> label;
};

struct WulffKeyEntry {
    platform::Rgb colour;
    PictureText text; // "(1 1 1) 0.72"
};

struct WulffLayout {
    double width = 0.0; // points (SVG, PDF) or pixels (PNG)
    double height = 0.0;
    double fontSize = 0.0;
    std::vector<WulffFacePicture> faces; // the facets facing the viewer
    std::vector<PictureText> caption;    // the title above the shape
    std::vector<WulffKeyEntry> key;      // below it, one row per family with area
};

// The colour of family number i: distinct hues, light enough to show the shading.
platform::Rgb familyColour(std::size_t i);

// Lays the shape out width wide: familyLabels name each family in the key ("(1 1 1)"), a family
// with no area left out; each face is labelled with its own plane's indices, four of them on
// hexagonal axes, where it has room.
WulffLayout layoutWulffPicture(const crystal::WulffShape& shape, const std::vector<std::string>& familyLabels,
                               bool fourIndex, const WulffView& view, double width, std::string_view title);

// The picture's file bytes, or an error when Cairo fails.
platform::Result<std::string> paintWulffPicture(const WulffLayout& layout, FigureFormat format);

class IndexedCanvas;

// Lays the shape out on the whole canvas and paints it there: the faces filled and outlined in
// pixels, each face's label and the caption and key in the canvas's character cells where they
// fit. Palette: 0 the paper, 1 the ink, 2 on the faces' and key's colours.
void paintWulffShape(const crystal::WulffShape& shape, const std::vector<std::string>& familyLabels, bool fourIndex,
                     const WulffView& view, std::string_view title, IndexedCanvas& canvas);

} // namespace figure
