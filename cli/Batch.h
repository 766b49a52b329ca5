#pragma once
// The batch front end: the program's surface pipeline without the desktop, for scripts,
// tests and figures.

#include <string_view>
#include <vector>

namespace cli {

// Runs the batch front end on the arguments after the program name and returns the exit
// status. A severe run-time error reports on standard error and exits the process.
int runBatch(const std::vector<std::string_view>& args);

} // namespace cli
