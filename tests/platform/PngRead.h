#pragma once
// A PNG file read back with libpng's own reader, for tests of what the program writes.

#include <png.h>

#include <cstdint>
#include <span>
#include <vector>

namespace platform::test {

// The file's pixels as RGB triples, rows from the top, or nothing when libpng cannot read it or
// its size is not width x height.
inline std::vector<uint8_t> decodeRgb(std::span<const uint8_t> file, int width, int height)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, file.data(), file.size()))
        return {};
    if (int(image.width) != width || int(image.height) != height) {
        png_image_free(&image);
        return {};
    }
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr))
        return {};
    return rgb;
}

} // namespace platform::test
