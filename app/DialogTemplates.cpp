#include "app/DialogTemplates.h"

#include "app/SurfaceDialogTemplates.h"

namespace app {

std::optional<std::span<const std::uint8_t>> ApplicationDialogResources::dialogTemplate(std::int32_t resourceId) const
{
    switch (resourceId) {
    case ViewDialogId: return std::span<const std::uint8_t>(ViewTemplate);
    case SurfaceDialogId: return std::span<const std::uint8_t>(SurfaceTemplate);
    case AboutDialogId: return std::span<const std::uint8_t>(AboutTemplate);
    case MaterialDialogId: return std::span<const std::uint8_t>(MaterialTemplate);
    case DiffractionDialogId: return std::span<const std::uint8_t>(DiffractionTemplate);
    case AdsorbateDialogId: return std::span<const std::uint8_t>(AdsorbateTemplate);
    }
    return std::nullopt;
}

const ApplicationDialogResources& applicationDialogResources()
{
    static const ApplicationDialogResources resources;
    return resources;
}

} // namespace app
