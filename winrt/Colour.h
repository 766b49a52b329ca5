#pragma once
// The runtime's colours are the platform's.

#include "platform/Colour.h"

namespace winrt {

using platform::colourDistance;
using platform::Rgb;

} // namespace winrt
