#pragma once
// A PNG encoder for opaque pictures, tuned for speed: large figures compress in a fraction of
// the time the general-purpose writers take.

#include <cstdint>
#include <optional>
#include <string>

namespace figure {

// The PNG file (8-bit RGB, no alpha) of width x height pixels given as 32-bit words 0x00RRGGBB
// in native byte order, rows stride bytes apart (Cairo's RGB24 layout). Nothing when the
// compressor fails (out of memory).
std::optional<std::string> encodePng(const unsigned char* pixels, int width, int height, int stride);

} // namespace figure
