#include "cli/Commands.h"

#include "crystal/BulkSurface.h"
#include "crystal/TerminationsListing.h"

#include <iostream>

namespace cli {

int runTerminations(const BatchCommand& cmd)
{
    const auto bulk = bulkCrystal(cmd);
    if (!bulk)
        return fileError(bulk.error().message);
    const auto symmetry = crystal::analyseSymmetry(*bulk);
    if (!symmetry)
        return fileError(symmetry.error().message);
    const auto surface = crystal::bulkSurface(*bulk, *symmetry, cmd.bulkHkl, cmd.planeTolerance);
    if (!surface)
        return fileError(surface.error().message);
    const auto& h = cmd.bulkHkl;
    const std::string title =
        bulkName(cmd) + " (" + std::to_string(h[0]) + " " + std::to_string(h[1]) + " " + std::to_string(h[2]) + ")";
    std::cout << (cmd.textFormat == TextFormat::Json
                      ? crystal::formatTerminationsJson(*surface, *symmetry, cmd.planeTolerance)
                      : crystal::formatTerminationsText(*surface, *symmetry, title, cmd.planeTolerance));
    std::cout.flush();
    return std::cout ? 0 : 1;
}

} // namespace cli
