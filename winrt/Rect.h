#pragma once
// The canvas measures in the platform's rectangle: one type for both layers.

#include "platform/Rect.h"

namespace winrt {

using platform::Rect;

} // namespace winrt
