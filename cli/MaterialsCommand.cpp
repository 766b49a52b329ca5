#include "cli/Args.h"
#include "cli/Commands.h"
#include "cli/SurfaceArgs.h"

#include "crystal/Material.h"

#include <charconv>
#include <iostream>
#include <string>

namespace cli {

namespace {

// The shortest text that reads back to the same double.
std::string shortest(double value)
{
    char buf[32];
    const auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, value);
    return ec == std::errc() ? std::string(buf, ptr) : std::string("nan");
}

} // namespace

int runMaterials(const std::vector<std::string_view>& args)
{
    if (!args.empty()) {
        if (args[0] == "--help" || args[0] == "-h") {
            std::cout << usage();
            return 0;
        }
        return argumentError("unknown option " + quotedWord(args[0]) + " for materials");
    }
    std::string out;
    for (const crystal::Material& m : crystal::materialPresets()) {
        out += m.name;
        out += ' ';
        out += geometry::latticeName(m.lattice);
        out += ' ';
        out += shortest(m.a);
        out += ' ';
        out += m.lattice == crystal::LatticeKind::Hcp ? shortest(m.c) : std::string("-");
        out += ' ';
        for (std::size_t i = 0; i < m.elements.size(); ++i)
            out += (i ? "," : "") + m.elements[i];
        out += '\n';
    }
    std::cout << out;
    return 0;
}

} // namespace cli
