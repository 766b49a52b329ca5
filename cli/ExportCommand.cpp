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
    if (auto fits = crystal::validSlabSize(*cell, options); !fits)
        return argumentError(fits.error().message);
    const crystal::PeriodicSlab slab = crystal::buildSlab(*cell, options);
    const int status =
        writeOutput(cmd.out, crystal::formatStructure(slab, cmd.structureFormat, crystal::surfaceTitle(*spec)));
    if (status == 0 && cmd.depth.faces == crystal::SlabFaces::Symmetric && !crystal::stoichiometric(*cell, *planes))
        std::cerr << "facetor: note: the symmetric slab of " << *planes
                  << " atomic planes does not have the bulk's composition\n";
    return status;
}

} // namespace cli
