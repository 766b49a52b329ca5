#include "platform/PngFile.h"

#include <png.h>

#include <algorithm>
#include <bit>
#include <csetjmp>

namespace platform {

namespace {

void appendBytes(png_structp png, png_bytep data, png_size_t size)
{
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + size);
}

void flushNothing(png_structp) {}

Status validPicture(const PngPicture& p)
{
    const bool indexed = !p.palette.empty();
    const std::size_t rowBytes = std::size_t(p.width) * (indexed ? 1 : 4);
    if (p.width <= 0 || p.height <= 0 || !p.rows || p.stride < rowBytes || p.palette.size() > 256)
        return fail("no picture to write");
    // A full palette names every byte; a shorter one is checked against the largest index, a
    // loop the compiler vectorises.
    if (indexed && p.palette.size() < 256) {
        uint8_t largest = 0;
        for (int y = 0; y < p.height; ++y) {
            const uint8_t* row = p.rows + std::size_t(y) * p.stride;
            for (std::size_t x = 0; x < rowBytes; ++x)
                largest = std::max(largest, row[x]);
        }
        if (largest >= p.palette.size())
            return fail("a pixel names a colour the palette lacks");
    }
    return {};
}

} // namespace

Result<std::vector<uint8_t>> encodePng(const PngPicture& picture)
{
    if (auto valid = validPicture(picture); !valid)
        return valid.error();
    const bool indexed = !picture.palette.empty();
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return fail("out of memory");
    }
    std::vector<uint8_t> out;
    out.reserve(std::size_t(picture.width) * std::size_t(picture.height) / (indexed ? 4 : 2) + 1024);
    // libpng reports its errors by a long jump back here; nothing below owns a resource that the
    // jump would leak but the libpng structures, destroyed after it.
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return fail("the PNG encoder failed");
    }
    png_set_write_fn(png, &out, appendBytes, flushNothing);
    png_set_IHDR(png, info, png_uint_32(picture.width), png_uint_32(picture.height), 8,
                 indexed ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (indexed) {
        png_color colours[256];
        for (std::size_t i = 0; i < picture.palette.size(); ++i)
            colours[i] = {picture.palette[i].red, picture.palette[i].green, picture.palette[i].blue};
        png_set_PLTE(png, info, colours, int(picture.palette.size()));
        png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
        png_set_compression_level(png, 1);
    } else {
        png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP);
        png_set_compression_level(png, std::size_t(picture.width) * std::size_t(picture.height) <= 2'000'000 ? 6 : 2);
    }
    png_write_info(png, info);
    if (!indexed) {
        // The words' bytes in memory: B, G, R, unused on a little-endian machine, the reverse
        // on a big-endian one.
        if constexpr (std::endian::native == std::endian::little) {
            png_set_bgr(png);
            png_set_filler(png, 0, PNG_FILLER_AFTER);
        } else {
            png_set_filler(png, 0, PNG_FILLER_BEFORE);
        }
    }
    for (int y = 0; y < picture.height; ++y)
        png_write_row(png, const_cast<png_bytep>(picture.rows + std::size_t(y) * picture.stride));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

Result<std::vector<uint8_t>> encodePng(const IndexedPicture& picture)
{
    if (picture.palette.empty()
        || picture.pixels.size() < std::size_t(std::max(picture.width, 0)) * std::size_t(std::max(picture.height, 0)))
        return fail("no picture to write");
    return encodePng(
        PngPicture{picture.width, picture.height, picture.pixels.data(), std::size_t(picture.width), picture.palette});
}

} // namespace platform
