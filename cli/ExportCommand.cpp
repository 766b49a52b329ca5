#include "cli/Args.h"
#include "cli/Commands.h"
#include "cli/SurfaceArgs.h"

#include "crystal/Slab.h"
#include "crystal/StructureFile.h"
#include "platform/FileSystem.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <iostream>

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
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view opt = args[i];
        if (opt == "--orthogonal") {
            kind = crystal::InPlaneCell::Orthogonal;
            continue;
        }
        const bool known =
            opt == "--layers" || opt == "--size" || opt == "--vacuum" || opt == "--format" || opt == "--out";
        if (!known)
            return argumentError("unknown option " + quotedWord(opt) + " for export");
        if (i + 1 >= args.size())
            return argumentError("option " + std::string(opt) + " needs a value");
        const std::string_view value = args[++i];
        if (opt == "--layers") {
            const auto n = parseInt(value);
            if (!n)
                return argumentError("--layers " + quotedWord(value) + " is not an integer");
            options.layers = *n;
        } else if (opt == "--size") {
            const auto x = value.find('x');
            std::optional<int> m, n;
            if (x != std::string_view::npos) {
                m = parseInt(value.substr(0, x));
                n = parseInt(value.substr(x + 1));
            }
            if (!m || !n)
                return argumentError("--size " + quotedWord(value) + " is not MxN (two integers, e.g. 2x2)");
            options.repeatA = *m;
            options.repeatB = *n;
        } else if (opt == "--vacuum") {
            const auto v = parseNumber(value);
            if (!v)
                return argumentError("--vacuum " + quotedWord(value) + " is not a finite number");
            options.vacuum = *v;
        } else if (opt == "--format") {
            format = crystal::parseStructureFormat(value);
            if (!format)
                return argumentError("unknown format " + quotedWord(value) + " (extxyz, poscar or cif)");
        } else {
            out = std::string(value);
            if (out.empty())
                return argumentError("option --out needs a file name");
        }
    }
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
    if (const int err = platform::writeWholeFile(out, text)) {
        std::cerr << "facetor: cannot write " << out << ": " << std::strerror(err) << '\n';
        return 1;
    }
    return 0;
}

} // namespace cli
