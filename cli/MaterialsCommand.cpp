#include "cli/Commands.h"

#include "crystal/Material.h"

#include <iostream>
#include <string>

namespace cli {

int runMaterials()
{
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
