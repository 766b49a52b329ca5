#include "cli/Commands.h"

#include "figure/Figure.h"

#include <iostream>

namespace cli {

int runFigure(const BatchCommand& cmd)
{
    const auto spec = surfaceSpec(cmd);
    if (!spec)
        return fileError(spec.error().message);
    const auto scene = figure::buildFigureScene(*spec, cmd.figure);
    if (!scene)
        return argumentError(scene.error().message);
    if (cmd.figureFormat == figure::FigureFormat::Png)
        if (auto fits = figure::validPngSize(*scene, cmd.figure.width); !fits)
            return argumentError(fits.error().message);
    const auto bytes = figure::renderFigure(*scene, cmd.figureFormat, cmd.figure.width);
    if (!bytes) {
        std::cerr << "facetor: " << bytes.error().message << '\n';
        return 1;
    }
    return writeOutput(cmd.out, *bytes);
}

} // namespace cli
