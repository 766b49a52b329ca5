#include "cli/Commands.h"

#include "crystal/Adsorbates.h"
#include "crystal/Report.h"

#include <iostream>
#include <optional>

namespace cli {

int runReport(const BatchCommand& cmd)
{
    const auto spec = surfaceSpec(cmd);
    if (!spec)
        return fileError(spec.error().message);
    const auto report = crystal::surfaceReport(*spec);
    if (!report)
        return argumentError(report.error().message);
    auto placed = overlayerOn(cmd, *spec);
    if (!placed)
        return argumentError(placed.error().message);
    const std::optional<crystal::Overlayer>& overlayer = *placed;
    if (cmd.textFormat == TextFormat::Json) {
        const std::string json = crystal::formatReportJson(*report);
        std::cout << (overlayer ? crystal::withOverlayerJson(json, *overlayer) : json);
    } else {
        std::cout << crystal::formatReportText(*report) << (overlayer ? crystal::formatOverlayerText(*overlayer) : "");
    }
    std::cout.flush();
    return std::cout ? 0 : 1;
}

} // namespace cli
