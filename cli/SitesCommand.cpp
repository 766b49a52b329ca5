#include "cli/Commands.h"

#include "crystal/Sites.h"
#include "crystal/SitesListing.h"

#include <iostream>

namespace cli {

int runSites(const BatchCommand& cmd)
{
    const auto spec = surfaceSpec(cmd);
    if (!spec)
        return fileError(spec.error().message);
    const auto cell = crystal::surfaceCell(*spec, crystal::InPlaneCell::Primitive);
    if (!cell)
        return argumentError(cell.error().message);
    const auto sites = crystal::findSites(*spec, *cell);
    if (!sites)
        return fileError(sites.error().message);
    std::cout << (cmd.textFormat == TextFormat::Json ? crystal::formatSitesJson(*sites)
                                                     : crystal::formatSitesText(crystal::surfaceTitle(*spec), *sites));
    std::cout.flush();
    return std::cout ? 0 : 1;
}

} // namespace cli
