// The crystal and surface a command names, the bulk crystal read from its preset or file.

#include "cli/Commands.h"

#include "crystal/Adsorbates.h"
#include "crystal/Bulk.h"
#include "crystal/Compound.h"
#include "crystal/Prototype.h"

#include <memory>

namespace cli {

platform::Result<crystal::BulkCrystal> bulkCrystal(const BatchCommand& cmd)
{
    if (!cmd.bulkPath.empty())
        return crystal::readBulkFile(cmd.bulkPath, cmd.block);
    if (!cmd.bulkPreset.empty()) {
        if (const crystal::Compound* compound = crystal::findCompound(cmd.bulkPreset))
            return crystal::bulkOf(*compound);
        return crystal::bulkOf(*crystal::findMaterial(cmd.bulkPreset));
    }
    return crystal::bulkOf(cmd.surface.material);
}

std::string bulkName(const BatchCommand& cmd)
{
    std::string name = !cmd.bulkPreset.empty() ? cmd.bulkPreset : cmd.bulkPath;
    if (name.empty())
        for (const std::string& e : cmd.surface.material.elements)
            name += e;
    return name;
}

platform::Result<crystal::SurfaceSpec> surfaceSpec(const BatchCommand& cmd)
{
    crystal::SurfaceSpec spec = cmd.surface;
    if (cmd.bulkPath.empty() && cmd.bulkPreset.empty())
        return spec;
    auto bulk = bulkCrystal(cmd);
    if (!bulk)
        return bulk.error();
    crystal::BulkChoice choice;
    choice.crystal = std::make_shared<const crystal::BulkCrystal>(std::move(*bulk));
    // A file is named without its folders: the title goes into captions and file headers.
    choice.name = !cmd.bulkPreset.empty() ? cmd.bulkPreset : cmd.bulkPath.substr(cmd.bulkPath.rfind('/') + 1);
    choice.termination = cmd.bulkTermination;
    choice.planeTolerance = cmd.planeTolerance;
    spec.hkl = cmd.bulkHkl;
    spec.bulk = std::move(choice);
    return spec;
}

platform::Result<std::optional<crystal::Overlayer>> overlayerOn(const BatchCommand& cmd,
                                                                const crystal::SurfaceSpec& spec,
                                                                const crystal::SurfaceCell& cell)
{
    return crystal::placeRequestedOverlayer(spec, cell, cmd.overlayer);
}

platform::Result<std::optional<crystal::Overlayer>> overlayerOn(const BatchCommand& cmd,
                                                                const crystal::SurfaceSpec& spec)
{
    if (!cmd.overlayer)
        return std::optional<crystal::Overlayer>();
    const auto cell = crystal::surfaceCell(spec, crystal::InPlaneCell::Primitive);
    if (!cell)
        return cell.error();
    return overlayerOn(cmd, spec, *cell);
}

} // namespace cli
