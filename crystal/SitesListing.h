#pragma once
// The adsorption sites of a surface as `facetor sites` and the Python module list them: text
// lines, or the JSON object {sites: [...]}.

#include "crystal/Sites.h"

#include <string>
#include <vector>

namespace crystal {

// Lines headed by title ("Pt (1 1 1)"): each site's label, kind, multiplicity, position in the
// cell and in Angstrom, and the atoms it binds.
std::string formatSitesText(const std::string& title, const std::vector<Site>& sites);

// One JSON object and a line break: each site's kind, label, step flag, fold, position (Angstrom, z the
// height above the top plane at which oxygen binds there), fractional position, bound atoms
// and multiplicity.
std::string formatSitesJson(const std::vector<Site>& sites);

} // namespace crystal
