#pragma once
// The terminations of a bulk crystal's plane as `facetor terminations` and the Python module list
// them: text lines, or the JSON object {space_group, cell, plane_tolerance, terminations}.

#include "crystal/BulkSurface.h"
#include "crystal/Symmetry.h"

#include <string>

namespace crystal {

// Lines headed by title ("TiO2 (1 1 0)"): the space group, the 2D cell, the planes of a period
// and each termination with its planes, first spacing and polarity.
std::string formatTerminationsText(const BulkSurface& surface, const CrystalSymmetry& symmetry,
                                   const std::string& title, double planeTolerance);

// One JSON object and a line break.
std::string formatTerminationsJson(const BulkSurface& surface, const CrystalSymmetry& symmetry, double planeTolerance);

} // namespace crystal
