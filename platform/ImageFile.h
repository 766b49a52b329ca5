#pragma once
// Picture files the platform's image library writes for us.

#include <cstdint>
#include <span>
#include <string>

namespace platform {

// Writes an indexed picture (width x height palette indices, rows from the top; palette
// entries 0x00BBGGRR) as a PNG file with exactly those colours. On failure returns false with
// a one-line reason in error.
bool writePngFile(const std::string& path, int width, int height, std::span<const uint8_t> indices,
                  std::span<const uint32_t> palette, std::string& error);

} // namespace platform
