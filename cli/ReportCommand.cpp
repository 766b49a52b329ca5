#include "cli/Args.h"
#include "cli/Commands.h"
#include "cli/SurfaceArgs.h"

#include "crystal/Report.h"

#include <iostream>

namespace cli {

int runReport(const std::vector<std::string_view>& arguments)
{
    std::vector<std::string_view> args = arguments;
    int status = 0;
    const auto spec = startSurfaceCommand(args, status);
    if (!spec)
        return status;
    std::string error;

    bool json = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] != "--format")
            return argumentError("unknown option " + quotedWord(args[i]) + " for report");
        if (i + 1 >= args.size())
            return argumentError("option --format needs a value");
        const std::string_view value = args[++i];
        if (value != "text" && value != "json")
            return argumentError("--format " + quotedWord(value) + " is not text or json");
        json = value == "json";
    }

    const auto report = crystal::surfaceReport(*spec, error);
    if (!report)
        return argumentError(error);
    std::cout << (json ? crystal::formatReportJson(*report) : crystal::formatReportText(*report));
    std::cout.flush();
    return std::cout ? 0 : 1;
}

} // namespace cli
