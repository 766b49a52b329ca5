// Paints the equilibrium shape's layout with Cairo, as SVG, PDF or PNG.

#include "figure/CairoObjects.h"
#include "figure/CairoPainter.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>

#include <algorithm>
#include <cmath>

namespace figure::cairo {

namespace {

void setColour(cairo_t* cr, platform::Rgb colour)
{
    const platform::UnitRgb c = colour.unit();
    cairo_set_source_rgb(cr, c.red, c.green, c.blue);
}

void paint(cairo_t* cr, const WulffLayout& layout)
{
    cairo_set_source_rgb(cr, 1.0, 1.0, 1.0);
    cairo_paint(cr);
    const platform::Rgb ink = platform::Rgb::fromHex(0x202020);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_width(cr, std::max(0.5, layout.width / 500.0));
    for (const WulffFacePicture& face : layout.faces) {
        cairo_move_to(cr, face.corners[0].x, face.corners[0].y);
        for (std::size_t i = 1; i < face.corners.size(); ++i)
            cairo_line_to(cr, face.corners[i].x, face.corners[i].y);
        cairo_close_path(cr);
        setColour(cr, face.colour);
        cairo_fill_preserve(cr);
        setColour(cr, ink);
        cairo_stroke(cr);
    }
    cairo_select_font_face(cr, "Liberation Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, layout.fontSize);
    auto show = [&](const PictureText& t) {
        cairo_move_to(cr, t.origin.x, t.origin.y);
        cairo_show_text(cr, t.text.c_str());
    };
    setColour(cr, ink);
    for (const WulffFacePicture& face : layout.faces)
        if (face.label)
            show(*face.label);
    for (const PictureText& t : layout.caption)
        show(t);
    for (const WulffKeyEntry& entry : layout.key) {
        const double side = 0.9 * layout.fontSize;
        cairo_rectangle(cr, entry.text.origin.x - 1.4 * layout.fontSize, entry.text.origin.y - side, side, side);
        setColour(cr, entry.colour);
        cairo_fill_preserve(cr);
        setColour(cr, ink);
        cairo_stroke(cr);
        show(entry.text);
    }
}

} // namespace

platform::Result<std::string> paintWulffPicture(const WulffLayout& layout, FigureFormat format)
{
    std::string bytes;
    const int pixelsWide = int(std::ceil(layout.width));
    const int pixelsHigh = int(std::ceil(layout.height));
    SurfacePtr surface;
    switch (format) {
    case FigureFormat::Png:
        surface.reset(cairo_image_surface_create(CAIRO_FORMAT_RGB24, pixelsWide, pixelsHigh));
        break;
    case FigureFormat::Pdf:
        surface.reset(cairo_pdf_surface_create_for_stream(appendBytes, &bytes, layout.width, layout.height));
        break;
    case FigureFormat::Svg:
        surface.reset(cairo_svg_surface_create_for_stream(appendBytes, &bytes, layout.width, layout.height));
        break;
    }
    return paintedFile(std::move(surface), bytes, [&](cairo_t* cr) { paint(cr, layout); });
}

} // namespace figure::cairo
