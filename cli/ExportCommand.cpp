#include "cli/Commands.h"

#include "crystal/Slab.h"
#include "crystal/StructureFile.h"

#include <iostream>

namespace cli {

int runExport(const BatchCommand& cmd)
{
    const auto spec = surfaceSpec(cmd);
    if (!spec)
        return fileError(spec.error().message);
    const auto cell = crystal::surfaceCell(*spec, cmd.cell);
    if (!cell)
        return argumentError(cell.error().message);
    crystal::SlabOptions options = cmd.slab;
    const auto planes = crystal::slabPlaneCount(*cell, cmd.depth);
    if (!planes)
        return argumentError(planes.error().message);
    options.layers = *planes;
    const auto overlayer = overlayerOn(cmd, *spec, *cell);
    if (!overlayer)
        return argumentError(overlayer.error().message);
    // A slab holds whole overlayer cells: its size grows to the smallest multiple that does.
    std::string enlarged;
    if (*overlayer) {
        const auto grown = crystal::overlayerSlabOptions(**overlayer, options);
        if (!grown)
            return argumentError(grown.error().message);
        if (grown->repeatA != options.repeatA || grown->repeatB != options.repeatB)
            enlarged = std::to_string(grown->repeatA) + "x" + std::to_string(grown->repeatB);
        options = *grown;
    }
    if (auto fits = crystal::validSlabSize(*cell, options); !fits)
        return argumentError(fits.error().message);
    crystal::PeriodicSlab slab = crystal::buildSlab(*cell, options);
    std::string title = crystal::surfaceTitle(*spec);
    if (*overlayer) {
        if (auto added = crystal::addOverlayer(slab, **overlayer); !added)
            return argumentError(added.error().message);
        title += ", " + crystal::overlayerCaption(**overlayer);
    }
    const int status = writeOutput(cmd.out, crystal::formatStructure(slab, cmd.structureFormat, title));
    if (status == 0 && !enlarged.empty())
        std::cerr << "facetor: note: the slab is " << enlarged << " cells, the fewest that hold whole "
                  << (*overlayer)->coverage << " cells\n";
    if (status == 0 && cmd.depth.faces == crystal::SlabFaces::Symmetric && !crystal::stoichiometric(*cell, *planes))
        std::cerr << "facetor: note: the symmetric slab of " << *planes
                  << " atomic planes does not have the bulk's composition\n";
    return status;
}

} // namespace cli
