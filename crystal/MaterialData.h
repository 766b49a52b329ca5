#pragma once
// The table of preset materials (MaterialData.cpp names the sources of its constants).

#include "crystal/Material.h"

#include <vector>

namespace crystal {

const std::vector<Material>& presetTable();

} // namespace crystal
