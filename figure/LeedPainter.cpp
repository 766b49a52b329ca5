// Paints a LEED picture's layout with Cairo, as PNG or SVG.

#include "figure/CairoObjects.h"
#include "figure/CairoPainter.h"

#include <cairo-svg.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace figure::cairo {

namespace {

void setColour(cairo_t* cr, LeedRole role, double alpha = 1.0)
{
    const platform::UnitRgb c = leedColour(role).unit();
    cairo_set_source_rgba(cr, c.red, c.green, c.blue, alpha);
}

void outline(cairo_t* cr, const std::array<PicturePoint, 4>& corners)
{
    cairo_move_to(cr, corners[0].x, corners[0].y);
    for (std::size_t i = 1; i < corners.size(); ++i)
        cairo_line_to(cr, corners[i].x, corners[i].y);
    cairo_close_path(cr);
}

void paint(cairo_t* cr, const LeedLayout& layout)
{
    setColour(cr, LeedRole::Background);
    cairo_paint(cr);

    const PicturePoint c = layout.centre;
    const double rim = layout.screenRadius;
    cairo_arc(cr, c.x, c.y, rim, 0.0, 2.0 * std::numbers::pi);
    setColour(cr, LeedRole::Screen);
    cairo_fill_preserve(cr);
    setColour(cr, LeedRole::ScreenRim);
    cairo_set_line_width(cr, std::max(1.0, rim / 150.0));
    cairo_stroke(cr);

    cairo_save(cr);
    cairo_arc(cr, c.x, c.y, rim, 0.0, 2.0 * std::numbers::pi);
    cairo_clip(cr);
    cairo_set_line_width(cr, std::max(1.0, rim / 200.0));
    outline(cr, layout.substrateCell);
    setColour(cr, LeedRole::SubstrateCell);
    cairo_stroke(cr);
    if (layout.superstructureCell) {
        const double dash[] = {4.0, 3.0};
        cairo_set_dash(cr, dash, 2, 0.0);
        outline(cr, *layout.superstructureCell);
        setColour(cr, LeedRole::SuperstructureCell);
        cairo_stroke(cr);
        cairo_set_dash(cr, nullptr, 0, 0.0);
    }
    cairo_restore(cr);

    for (const LeedSpotMark& s : layout.spots) {
        // A faint glow around each disc, as the phosphor shows it.
        const platform::UnitRgb col = leedColour(s.role).unit();
        cairo_pattern_t* glow =
            cairo_pattern_create_radial(s.centre.x, s.centre.y, s.radius * 0.5, s.centre.x, s.centre.y, s.radius * 2.2);
        cairo_pattern_add_color_stop_rgba(glow, 0.0, col.red, col.green, col.blue, 0.45);
        cairo_pattern_add_color_stop_rgba(glow, 1.0, col.red, col.green, col.blue, 0.0);
        cairo_set_source(cr, glow);
        cairo_arc(cr, s.centre.x, s.centre.y, s.radius * 2.2, 0.0, 2.0 * std::numbers::pi);
        cairo_fill(cr);
        cairo_pattern_destroy(glow);
        setColour(cr, s.role);
        cairo_arc(cr, s.centre.x, s.centre.y, s.radius, 0.0, 2.0 * std::numbers::pi);
        cairo_fill(cr);
    }

    cairo_select_font_face(cr, "Liberation Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, layout.fontSize);
    setColour(cr, LeedRole::Label);
    auto show = [&](const PictureText& t) {
        cairo_move_to(cr, t.origin.x, t.origin.y);
        cairo_show_text(cr, t.text.c_str());
    };
    for (const LeedSpotMark& s : layout.spots)
        if (s.label)
            show(*s.label);
    for (const PictureText& t : layout.caption)
        show(t);
}

} // namespace

platform::Result<std::string> paintLeedPicture(const LeedLayout& layout, LeedFileFormat format)
{
    std::string bytes;
    SurfacePtr surface(format == LeedFileFormat::Png
                           ? cairo_image_surface_create(CAIRO_FORMAT_RGB24, layout.width, layout.height)
                           : cairo_svg_surface_create_for_stream(appendBytes, &bytes, layout.width, layout.height));
    return paintedFile(std::move(surface), bytes, [&](cairo_t* cr) { paint(cr, layout); });
}

} // namespace figure::cairo
