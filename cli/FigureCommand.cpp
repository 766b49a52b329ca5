#include "cli/Commands.h"

#include "crystal/Slab.h"
#include "figure/Figure.h"

#include <iostream>
#include <optional>

namespace cli {

int runFigure(const BatchCommand& cmd)
{
    const auto spec = surfaceSpec(cmd);
    if (!spec)
        return fileError(spec.error().message);
    figure::FigureOptions options = cmd.figure;
    if (cmd.depth.thickness) {
        const auto planes = figure::figureLayers(*spec, cmd.depth);
        if (!planes)
            return argumentError(planes.error().message);
        options.layers = *planes;
    }
    auto placed = overlayerOn(cmd, *spec);
    if (!placed)
        return argumentError(placed.error().message);
    const std::optional<crystal::Overlayer>& overlayer = *placed;
    auto scene = figure::buildFigureScene(*spec, options, overlayer ? &*overlayer : nullptr);
    if (scene && overlayer && !scene->caption.empty())
        scene->caption += ", " + crystal::overlayerCaption(*overlayer);
    if (!scene)
        return argumentError(scene.error().message);
    if (cmd.figureFormat == figure::FigureFormat::Png)
        if (auto fits = figure::validPngSize(*scene, options.width); !fits)
            return argumentError(fits.error().message);
    const auto bytes = figure::renderFigure(*scene, cmd.figureFormat, options.width);
    if (!bytes) {
        std::cerr << "facetor: " << bytes.error().message << '\n';
        return 1;
    }
    return writeOutput(cmd.out, *bytes);
}

} // namespace cli
