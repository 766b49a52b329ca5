#pragma once
// The customary element colours of molecular and crystal viewers.

#include "platform/Colour.h"

#include <optional>
#include <string_view>

namespace figure {

// The element's colour in the Jmol table (H to Mt, and Ds to Og after it), the symbol in its usual letter case
// ("Cu", not "CU"); nothing for a symbol the table does not hold.
std::optional<platform::Rgb> elementColour(std::string_view symbol);

// The colour for an element the table does not hold: a neutral grey that no element has.
platform::Rgb unknownElementColour();

} // namespace figure
