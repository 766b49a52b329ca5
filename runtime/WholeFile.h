#pragma once
// Files written whole or not at all.

#include "runtime/FileSystem.h"

#include <string>
#include <string_view>

namespace rt {

// Writes bytes to path whole or not at all: a temporary file beside path is written, synced
// and closed, then renamed over path. Returns 0, or the system error of the first step that
// failed; then the temporary is gone and path is as it was.
int writeWholeFile(const std::string& path, std::string_view bytes, FileSystem& fs = systemFileSystem());

} // namespace rt
