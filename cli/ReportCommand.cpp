#include "cli/Commands.h"

#include "crystal/Report.h"

#include <iostream>

namespace cli {

int runReport(const BatchCommand& cmd)
{
    const auto spec = surfaceSpec(cmd);
    if (!spec)
        return fileError(spec.error().message);
    const auto report = crystal::surfaceReport(*spec);
    if (!report)
        return argumentError(report.error().message);
    std::cout << (cmd.textFormat == TextFormat::Json ? crystal::formatReportJson(*report)
                                                     : crystal::formatReportText(*report));
    std::cout.flush();
    return std::cout ? 0 : 1;
}

} // namespace cli
