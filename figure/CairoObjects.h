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

} // namespace figure::cairo
