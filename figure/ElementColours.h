#pragma once
// The customary element colours of molecular and crystal viewers.

#include <optional>
#include <string_view>

namespace figure {

// A colour with components in [0, 1].
struct Rgb {
    double r = 0.0;
    double g = 0.0;
    double b = 0.0;

    friend constexpr bool operator==(const Rgb&, const Rgb&) = default;
};

// The element's colour in the Jmol table (H to Mt), the symbol in its usual letter case
// ("Cu", not "CU"); nothing for a symbol the table does not hold.
std::optional<Rgb> elementColour(std::string_view symbol);

// The colour for an element the table does not hold: a neutral grey that no element has.
Rgb unknownElementColour();

} // namespace figure
