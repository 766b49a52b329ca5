#pragma once
// The drawing with Cairo lives in a module of its own, loaded the first time a figure or a
// LEED picture is painted: the many libraries Cairo brings are then loaded only by the runs
// that draw. These are the module's functions; callers use the ones in Figure.h and
// LeedPicture.h, which load it.

#include "figure/CanvasPicture.h"
#include "figure/Figure.h"
#include "figure/LeedPicture.h"
#include "figure/WulffPicture.h"

#include <optional>
#include <string>

namespace figure::cairo {

// The figure's height for width, the strip of scale bar and caption below the atoms included.
double figureHeight(const FigureScene& scene, double width);
platform::Result<std::string> renderFigure(const FigureScene& scene, FigureFormat format, int width);
platform::Result<std::string> paintLeedPicture(const LeedLayout& layout, LeedFileFormat format);
platform::Result<std::string> paintWulffPicture(const WulffLayout& layout, FigureFormat format);
platform::Result<RgbPicture> decodePng(std::string_view bytes);

// What the module hands out.
struct Functions {
    decltype(&cairo::figureHeight) height;
    decltype(&cairo::renderFigure) render;
    decltype(&cairo::paintLeedPicture) paintLeed;
    decltype(&cairo::paintWulffPicture) paintWulff;
    decltype(&cairo::decodePng) decodePng;
};

} // namespace figure::cairo

// The module's one entry point.
extern "C" const figure::cairo::Functions* facetor_cairo_functions();
