#include "cli/Commands.h"
#include "cli/Args.h"
#include "cli/SurfaceArgs.h"

#include "figure/Figure.h"
#include "platform/FileSystem.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <iostream>

namespace cli {

namespace {

std::optional<int> parsePositive(std::string_view text)
{
    const auto value = parseInt(text);
    if (!value || *value < 1)
        return std::nullopt;
    return value;
}

} // namespace

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
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view opt = args[i];
        if (opt == "--cell") {
            options.cell = true;
            continue;
        }
        if (opt == "--axes") {
            options.axes = true;
            continue;
        }
        if (opt == "--no-caption") {
            options.caption = false;
            continue;
        }
        const bool known = opt == "--rotate" || opt == "--tilt" || opt == "--layers" || opt == "--size"
            || opt == "--width" || opt == "--colour" || opt == "--color" || opt == "--out";
        if (!known)
            return argumentError("unknown option " + quotedWord(opt) + " for figure");
        if (i + 1 >= args.size())
            return argumentError("option " + std::string(opt) + " needs a value");
        const std::string_view value = args[++i];
        if (opt == "--rotate" || opt == "--tilt") {
            const auto angle = parseNumber(value);
            if (!angle)
                return argumentError(std::string(opt) + " " + quotedWord(value) + " is not a finite angle in degrees");
            (opt == "--rotate" ? options.rotation : options.tilt) = *angle;
        } else if (opt == "--layers") {
            const auto n = parsePositive(value);
            if (!n || *n > figure::MaxLayers)
                return argumentError("--layers " + quotedWord(value) + " is not a count of planes from 1 to "
                                     + std::to_string(figure::MaxLayers));
            options.layers = *n;
        } else if (opt == "--size") {
            const auto x = value.find('x');
            std::optional<int> m, n;
            if (x != std::string_view::npos) {
                m = parsePositive(value.substr(0, x));
                n = parsePositive(value.substr(x + 1));
            }
            if (!m || !n || *m > figure::MaxRepeat || *n > figure::MaxRepeat)
                return argumentError("--size " + quotedWord(value) + " is not MxN cells (each from 1 to "
                                     + std::to_string(figure::MaxRepeat) + ", e.g. 12x10)");
            options.repeatA = *m;
            options.repeatB = *n;
        } else if (opt == "--width") {
            const auto w = parsePositive(value);
            if (!w || *w < figure::MinWidth || *w > figure::MaxWidth)
                return argumentError("--width " + quotedWord(value) + " is not a width from "
                                     + std::to_string(figure::MinWidth) + " to " + std::to_string(figure::MaxWidth)
                                     + " pixels");
            options.width = *w;
        } else if (opt == "--colour" || opt == "--color") {
            const auto mode = figure::parseColourMode(value);
            if (!mode)
                return argumentError("unknown colouring " + quotedWord(value) + " (element, layer or coordination)");
            options.colour = *mode;
        } else {
            out = std::string(value);
            if (out.empty())
                return argumentError("option --out needs a file name");
        }
    }
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
    if (const int err = platform::writeWholeFile(out, *bytes)) {
        std::cerr << "facetor: cannot write " << out << ": " << std::strerror(err) << '\n';
        return 1;
    }
    return 0;
}

} // namespace cli
