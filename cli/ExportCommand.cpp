#include "cli/Args.h"
#include "cli/Commands.h"
#include "cli/SurfaceArgs.h"

#include "crystal/Slab.h"
#include "crystal/StructureFile.h"
#include "runtime/WholeFile.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <iostream>

namespace cli {

namespace {

std::optional<int> parseCount(std::string_view text)
{
    int value = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || ptr != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

std::optional<double> parseNumber(std::string_view text)
{
    double value = 0.0;
    const char* first = text.data();
    const char* last = first + text.size();
    if (!text.empty() && *first == '+')
        ++first;
    const auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec != std::errc() || ptr != last || first == last || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace

int runExport(const std::vector<std::string_view>& arguments)
{
    std::vector<std::string_view> args = arguments;
    for (std::string_view a : args)
        if (a == "--help" || a == "-h") {
            std::cout << usage();
            return 0;
        }
    std::string error;
    const auto spec = takeSurfaceArgs(args, error);
    if (!spec)
        return argumentError(error);

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
        const bool known = opt == "--layers" || opt == "--size" || opt == "--vacuum" || opt == "--format" || opt == "--out";
        if (!known)
            return argumentError("unknown option " + quotedWord(opt) + " for export");
        if (i + 1 >= args.size())
            return argumentError("option " + std::string(opt) + " needs a value");
        const std::string_view value = args[++i];
        if (opt == "--layers") {
            const auto n = parseCount(value);
            if (!n)
                return argumentError("--layers " + quotedWord(value) + " is not an integer");
            options.layers = *n;
        } else if (opt == "--size") {
            const auto x = value.find('x');
            std::optional<int> m, n;
            if (x != std::string_view::npos) {
                m = parseCount(value.substr(0, x));
                n = parseCount(value.substr(x + 1));
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
            return argumentError("cannot tell the format of " + quotedWord(out) +
                                 " from its name: give --format extxyz, poscar or cif");
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
    if (const int err = rt::writeWholeFile(out, text)) {
        std::cerr << "facetor: cannot write " << out << ": " << std::strerror(err) << '\n';
        return 1;
    }
    return 0;
}

} // namespace cli
