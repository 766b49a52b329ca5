#pragma once
// Until every caller includes platform/FileSystem.h.

#include "platform/FileSystem.h"

namespace rt {
using platform::writeWholeFile;
}
