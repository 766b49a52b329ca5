#include "winrt/PngFile.h"

#include <png.h>

#include <algorithm>

#include <csetjmp>

namespace winrt {

namespace {

void appendBytes(png_structp png, png_bytep data, png_size_t size)
{
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + size);
}

void flushNothing(png_structp) {}

} // namespace

std::vector<uint8_t> encodePng(int width, int height, std::span<const uint8_t> indices, std::span<const Rgb> palette,
                               std::string& error)
{
    if (width <= 0 || height <= 0 || indices.size() < std::size_t(width) * std::size_t(height) || palette.empty()
        || palette.size() > 256) {
        error = "no picture to write";
        return {};
    }
    // A full palette names every byte; a shorter one is checked against the largest index, a
    // loop the compiler vectorises.
    if (palette.size() < 256) {
        uint8_t largest = 0;
        for (uint8_t index : indices.first(std::size_t(width) * std::size_t(height)))
            largest = std::max(largest, index);
        if (largest >= palette.size()) {
            error = "a pixel names a colour the palette lacks";
            return {};
        }
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        error = "out of memory";
        return {};
    }
    std::vector<uint8_t> out;
    out.reserve(std::size_t(width) * std::size_t(height) / 4 + 1024);
    // libpng reports its errors by a long jump back here; nothing below owns a resource that
    // the jump would leak but the libpng structures, destroyed after it.
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        error = "the PNG encoder failed";
        return {};
    }
    png_set_write_fn(png, &out, appendBytes, flushNothing);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_color colours[256];
    for (std::size_t i = 0; i < palette.size(); ++i)
        colours[i] = {palette[i].red, palette[i].green, palette[i].blue};
    png_set_PLTE(png, info, colours, int(palette.size()));
    // Palette pictures compress best unfiltered; the fastest level costs little size on the
    // large flat areas of a drawn surface.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_level(png, 1);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y)
        png_write_row(png, const_cast<png_bytep>(indices.data() + std::size_t(y) * std::size_t(width)));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

std::vector<uint8_t> encodePng(const platform::IndexedPicture& picture, std::string& error)
{
    std::vector<Rgb> palette;
    palette.reserve(picture.palette.size());
    for (uint32_t colour : picture.palette)
        palette.push_back(Rgb::fromColorRef(colour));
    return encodePng(picture.width, picture.height, picture.pixels, palette, error);
}

} // namespace winrt
