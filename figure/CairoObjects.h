#pragma once
// What the Cairo painters share: owning pointers for Cairo's objects, the stream that collects a
// vector surface's bytes, and the PNG of an image surface.

#include "platform/PngFile.h"

#include <cairo.h>

#include <memory>
#include <string>

namespace figure::cairo {

struct SurfaceDeleter {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextDeleter {
    void operator()(cairo_t* c) const { cairo_destroy(c); }
};
using SurfacePtr = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;
using ContextPtr = std::unique_ptr<cairo_t, ContextDeleter>;

// Cairo's write callback for the stream surfaces: appends to the std::string of the closure.
inline cairo_status_t appendBytes(void* closure, const unsigned char* data, unsigned int length)
{
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

// The PNG file of an RGB24 image surface, or the reason it cannot be encoded.
inline platform::Result<std::string> imagePng(cairo_surface_t* surface)
{
    cairo_surface_flush(surface);
    platform::PngPicture picture;
    picture.width = cairo_image_surface_get_width(surface);
    picture.height = cairo_image_surface_get_height(surface);
    picture.rows = cairo_image_surface_get_data(surface);
    picture.stride = static_cast<std::size_t>(cairo_image_surface_get_stride(surface));
    const auto png = platform::encodePng(picture);
    if (!png)
        return png.error();
    return std::string(png->begin(), png->end());
}

// Paints a picture with paint(cairo_t*) onto surface and hands back the file's bytes: the PNG of
// an image surface, or what a vector surface streamed into bytes (its appendBytes closure); an
// error says what Cairo refused.
template <class Paint> platform::Result<std::string> paintedFile(SurfacePtr surface, std::string& bytes, Paint paint)
{
    auto failed = [](cairo_status_t status) {
        return platform::fail(std::string("cannot paint the picture: ") + cairo_status_to_string(status));
    };
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
        return failed(cairo_surface_status(surface.get()));
    {
        ContextPtr cr(cairo_create(surface.get()));
        paint(cr.get());
        if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS)
            return failed(cairo_status(cr.get()));
    }
    if (cairo_surface_get_type(surface.get()) == CAIRO_SURFACE_TYPE_IMAGE) {
        auto png = imagePng(surface.get());
        if (!png)
            return platform::fail("cannot paint the picture: " + png.error().message);
        return std::move(*png);
    }
    cairo_surface_finish(surface.get());
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
        return failed(cairo_surface_status(surface.get()));
    return std::move(bytes);
}

} // namespace figure::cairo
