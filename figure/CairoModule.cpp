// The drawing module's entry point.

#include "figure/CairoObjects.h"
#include "figure/CairoPainter.h"

#include <cstring>

namespace figure::cairo {

namespace {

struct PngStream {
    std::string_view bytes;
    std::size_t read = 0;
};

cairo_status_t readBytes(void* closure, unsigned char* data, unsigned int length)
{
    auto* stream = static_cast<PngStream*>(closure);
    if (stream->bytes.size() - stream->read < length)
        return CAIRO_STATUS_READ_ERROR;
    std::memcpy(data, stream->bytes.data() + stream->read, length);
    stream->read += length;
    return CAIRO_STATUS_SUCCESS;
}

} // namespace

platform::Result<RgbPicture> decodePng(std::string_view bytes)
{
    PngStream stream{bytes, 0};
    SurfacePtr surface(cairo_image_surface_create_from_png_stream(readBytes, &stream));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
        return platform::fail(std::string("cannot read the picture: ")
                              + cairo_status_to_string(cairo_surface_status(surface.get())));
    cairo_surface_flush(surface.get());
    const cairo_format_t format = cairo_image_surface_get_format(surface.get());
    if (format != CAIRO_FORMAT_RGB24 && format != CAIRO_FORMAT_ARGB32)
        return platform::fail("cannot read the picture: not an RGB picture");
    RgbPicture picture;
    picture.width = cairo_image_surface_get_width(surface.get());
    picture.height = cairo_image_surface_get_height(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    const unsigned char* data = cairo_image_surface_get_data(surface.get());
    picture.pixels.reserve(std::size_t(picture.width) * std::size_t(picture.height));
    for (int y = 0; y < picture.height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(data + std::size_t(y) * std::size_t(stride));
        for (int x = 0; x < picture.width; ++x)
            picture.pixels.push_back(platform::Rgb::fromHex(row[x]));
    }
    return picture;
}

} // namespace figure::cairo

extern "C" __attribute__((visibility("default"))) const figure::cairo::Functions* facetor_cairo_functions()
{
    static const figure::cairo::Functions functions{figure::cairo::figureHeight, figure::cairo::renderFigure,
                                                    figure::cairo::paintLeedPicture, figure::cairo::paintWulffPicture,
                                                    figure::cairo::decodePng};
    return &functions;
}
