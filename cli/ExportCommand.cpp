#include "cli/Commands.h"

#include "crystal/Slab.h"
#include "crystal/StructureFile.h"

namespace cli {

int runExport(const BatchCommand& cmd)
{
    const auto cell = crystal::surfaceCell(cmd.surface, cmd.cell);
    if (!cell)
        return argumentError(cell.error().message);
    if (auto fits = crystal::validSlabSize(*cell, cmd.slab); !fits)
        return argumentError(fits.error().message);
    const crystal::PeriodicSlab slab = crystal::buildSlab(*cell, cmd.surface.material, cmd.slab);
    return writeOutput(cmd.out,
                       crystal::formatStructure(slab, cmd.structureFormat, crystal::surfaceTitle(cmd.surface)));
}

} // namespace cli
