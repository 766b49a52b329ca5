#include "app/FigureWindow.h"

#include <algorithm>
#include <cmath>

namespace app {

figure::FigureOptions figureWindowOptions(double rotation, double tilt, bool sites)
{
    figure::FigureOptions options;
    options.rotation = rotation;
    options.tilt = tilt;
    options.cell = true;
    options.axes = true;
    options.sites = sites;
    return options;
}

platform::Result<figure::FigureScene> surfaceFigureScene(const crystal::SurfaceSpec& spec,
                                                         const figure::FigureOptions& options,
                                                         const SurfaceOverlayer& overlayer)
{
    if (!overlayer)
        return overlayer.error();
    auto scene = figure::buildFigureScene(spec, options, *overlayer ? &**overlayer : nullptr);
    if (scene && *overlayer && !scene->caption.empty())
        scene->caption += ", " + crystal::overlayerCaption(**overlayer);
    return scene;
}

platform::Result<figure::RgbPicture> figureWindowPicture(const crystal::SurfaceSpec& spec,
                                                         const figure::FigureOptions& options,
                                                         const SurfaceOverlayer& overlayer, platform::Size area)
{
    const auto scene = surfaceFigureScene(spec, options, overlayer);
    if (!scene)
        return scene.error();
    // The figure's height grows with its width (the atoms scale, the caption's strip does not):
    // narrow it until the whole figure fits the window's height.
    int width = std::clamp(area.width, figure::MinWidth, figure::MaxWidth);
    for (int tries = 0; tries < 8; ++tries) {
        const double height = std::ceil(figure::figureHeight(*scene, width));
        if (height <= area.height || width == figure::MinWidth)
            break;
        width = std::max(figure::MinWidth, int(std::floor(width * area.height / height)) - 1);
    }
    const auto png = figure::renderFigure(*scene, figure::FigureFormat::Png, width);
    if (!png)
        return png.error();
    return figure::decodePng(*png);
}

} // namespace app
