#include "cli/Args.h"
#include "cli/Commands.h"
#include "cli/SurfaceArgs.h"

#include "crystal/Slab.h"
#include "crystal/StructureFile.h"

namespace cli {

int runExport(const std::vector<std::string_view>& arguments)
{
    std::vector<std::string_view> args = arguments;
    int status = 0;
    const auto spec = startSurfaceCommand(args, status);
    if (!spec)
        return status;
    std::string error;

    crystal::SlabOptions options;
    crystal::InPlaneCell kind = crystal::InPlaneCell::Primitive;
    std::optional<crystal::StructureFormat> format;
    std::string out;
    const int bad =
        takeOptions(args, "export", {"--orthogonal"}, {"--layers", "--size", "--vacuum", "--format", "--out"},
                    [&](std::string_view opt, std::string_view value) -> std::optional<std::string> {
                        if (opt == "--orthogonal") {
                            kind = crystal::InPlaneCell::Orthogonal;
                        } else if (opt == "--layers") {
                            const auto n = parseInt(value);
                            if (!n)
                                return "--layers " + quotedWord(value) + " is not an integer";
                            options.layers = *n;
                        } else if (opt == "--size") {
                            const auto size = parseSize(value);
                            if (!size)
                                return "--size " + quotedWord(value) + " is not MxN (two integers, e.g. 2x2)";
                            options.repeatA = size->m;
                            options.repeatB = size->n;
                        } else if (opt == "--vacuum") {
                            const auto v = parseNumber(value);
                            if (!v)
                                return "--vacuum " + quotedWord(value) + " is not a finite number";
                            options.vacuum = *v;
                        } else if (opt == "--format") {
                            format = crystal::parseStructureFormat(value);
                            if (!format)
                                return "unknown format " + quotedWord(value) + " (extxyz, poscar or cif)";
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
    if (!format) {
        format = crystal::structureFormatOfPath(out);
        if (!format)
            return argumentError("cannot tell the format of " + quotedWord(out)
                                 + " from its name: give --format extxyz, poscar or cif");
    }
    if (!crystal::validSlabOptions(options, error))
        return argumentError(error);
    const auto cell = crystal::surfaceCell(*spec, kind, error);
    if (!cell)
        return argumentError(error);
    if (!crystal::validSlabSize(*cell, options, error))
        return argumentError(error);

    const crystal::PeriodicSlab slab = crystal::buildSlab(*cell, spec->material, options);
    const std::string text = crystal::formatStructure(slab, *format, crystal::surfaceTitle(*spec));
    return writeOutput(out, text);
}

} // namespace cli
