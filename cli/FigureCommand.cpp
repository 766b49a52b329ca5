#include "cli/Commands.h"
#include "cli/Args.h"
#include "cli/SurfaceArgs.h"

#include "figure/Figure.h"

#include <iostream>

namespace cli {

int runFigure(const std::vector<std::string_view>& arguments)
{
    std::vector<std::string_view> args = arguments;
    int status = 0;
    const auto spec = startSurfaceCommand(args, status);
    if (!spec)
        return status;
    std::string error;

    figure::FigureOptions options;
    std::string out;
    const int bad =
        takeOptions(args, "figure", {"--cell", "--axes", "--no-caption"},
                    {"--rotate", "--tilt", "--layers", "--size", "--width", "--colour", "--color", "--out"},
                    [&](std::string_view opt, std::string_view value) -> std::optional<std::string> {
                        if (opt == "--cell") {
                            options.cell = true;
                        } else if (opt == "--axes") {
                            options.axes = true;
                        } else if (opt == "--no-caption") {
                            options.caption = false;
                        } else if (opt == "--rotate" || opt == "--tilt") {
                            const auto angle = parseNumber(value);
                            if (!angle)
                                return std::string(opt) + " " + quotedWord(value) + " is not a finite angle in degrees";
                            (opt == "--rotate" ? options.rotation : options.tilt) = *angle;
                        } else if (opt == "--layers") {
                            const auto n = parseInt(value);
                            if (!n || *n < 1 || *n > figure::MaxLayers)
                                return "--layers " + quotedWord(value) + " is not a count of planes from 1 to "
                                    + std::to_string(figure::MaxLayers);
                            options.layers = *n;
                        } else if (opt == "--size") {
                            const auto size = parseSize(value);
                            const auto inRange = [](int v) { return v >= 1 && v <= figure::MaxRepeat; };
                            if (!size || !inRange(size->m) || !inRange(size->n))
                                return "--size " + quotedWord(value) + " is not MxN cells (each from 1 to "
                                    + std::to_string(figure::MaxRepeat) + ", e.g. 12x10)";
                            options.repeatA = size->m;
                            options.repeatB = size->n;
                        } else if (opt == "--width") {
                            const auto w = parseInt(value);
                            if (!w || *w < figure::MinWidth || *w > figure::MaxWidth)
                                return "--width " + quotedWord(value) + " is not a width from "
                                    + std::to_string(figure::MinWidth) + " to " + std::to_string(figure::MaxWidth)
                                    + " pixels";
                            options.width = *w;
                        } else if (opt == "--colour" || opt == "--color") {
                            const auto mode = figure::parseColourMode(value);
                            if (!mode)
                                return "unknown colouring " + quotedWord(value) + " (element, layer or coordination)";
                            options.colour = *mode;
                        } else {
                            out = std::string(value);
                            if (out.empty())
                                return "option --out needs a file name";
                        }
                        return std::nullopt;
                    });
    if (bad)
        return bad;
    if (out.empty())
        return argumentError("option --out is required");
    const auto format = figure::figureFormatOfPath(out);
    if (!format)
        return argumentError("cannot tell the format of " + quotedWord(out) + " from its name: use .svg, .pdf or .png");

    const auto scene = figure::buildFigureScene(*spec, options, error);
    if (!scene)
        return argumentError(error);
    if (*format == figure::FigureFormat::Png && !figure::validPngSize(*scene, options.width, error))
        return argumentError(error);
    const auto bytes = figure::renderFigure(*scene, *format, options.width, error);
    if (!bytes) {
        std::cerr << "facetor: " << error << '\n';
        return 1;
    }
    return writeOutput(out, *bytes);
}

} // namespace cli
