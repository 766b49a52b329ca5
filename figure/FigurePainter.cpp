// Paints a figure scene with Cairo: one drawing code for the SVG, PDF and PNG surfaces.

#include "figure/CairoObjects.h"
#include "figure/CairoPainter.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <initializer_list>
#include <numbers>
#include <utility>

namespace figure::cairo {

namespace {

// SVG and PDF pages are this wide; as vectors they scale freely.
constexpr double VectorWidthPoints = 360.0;

using platform::UnitRgb;

UnitRgb mix(UnitRgb c, UnitRgb d, double t)
{
    return {c.red + (d.red - c.red) * t, c.green + (d.green - c.green) * t, c.blue + (d.blue - c.blue) * t};
}

// A sphere's colour as drawn: darker by its shade.
UnitRgb shaded(const FigureSphere& s)
{
    const UnitRgb c = s.colour.unit();
    const double k = 1.0 - s.shade;
    return {c.red * k, c.green * k, c.blue * k};
}

// A sphere lit from the upper left: a highlight, the colour itself, a darker rim.
void paintSphere(cairo_t* cr, double cx, double cy, double r, UnitRgb c)
{
    cairo_pattern_t* shade = cairo_pattern_create_radial(cx - 0.38 * r, cy - 0.38 * r, 0.0, cx, cy, r);
    const UnitRgb light = mix(c, {1.0, 1.0, 1.0}, 0.7);
    const UnitRgb rim = mix(c, {0.0, 0.0, 0.0}, 0.55);
    cairo_pattern_add_color_stop_rgb(shade, 0.0, light.red, light.green, light.blue);
    cairo_pattern_add_color_stop_rgb(shade, 0.45, c.red, c.green, c.blue);
    cairo_pattern_add_color_stop_rgb(shade, 1.0, rim.red, rim.green, rim.blue);
    cairo_set_source(cr, shade);
    cairo_new_path(cr);
    cairo_arc(cr, cx, cy, r, 0.0, 2.0 * std::numbers::pi);
    cairo_fill(cr);
    cairo_pattern_destroy(shade);
}

// Pictures of spheres for raster output: each colour is shaded once at the device radius and
// then copied, which costs a fraction of shading every sphere anew.
class SpriteCache {
public:
    explicit SpriteCache(double scale) : m_scale(scale) {}

    // Paints the sphere through a sprite; the context's matrix is the scene's scale.
    void paint(cairo_t* cr, const FigureSphere& s)
    {
        const double r = s.radius * m_scale;
        const int half = static_cast<int>(std::ceil(r)) + 1;
        cairo_surface_t* sprite = get(shaded(s), r, half);
        const double x = s.centre.x * m_scale - half;
        const double y = s.centre.y * m_scale - half;
        cairo_save(cr);
        cairo_identity_matrix(cr);
        cairo_set_source_surface(cr, sprite, x, y);
        cairo_rectangle(cr, x, y, 2 * half, 2 * half);
        cairo_fill(cr);
        cairo_restore(cr);
    }

private:
    struct Entry {
        UnitRgb colour;
        double radius;
        SurfacePtr sprite;
    };

    cairo_surface_t* get(UnitRgb c, double r, int half)
    {
        for (const Entry& e : m_entries)
            if (e.colour == c && e.radius == r)
                return e.sprite.get();
        SurfacePtr sprite(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 2 * half, 2 * half));
        ContextPtr sc(cairo_create(sprite.get()));
        paintSphere(sc.get(), half, half, r, c);
        m_entries.push_back({c, r, std::move(sprite)});
        return m_entries.back().sprite.get();
    }

    double m_scale;
    std::vector<Entry> m_entries;
};

// A scale bar length of 1, 2 or 5 times a power of ten, at most limit (Angstrom).
double niceLength(double limit)
{
    double p = std::pow(10.0, std::floor(std::log10(limit)));
    for (double m : {5.0, 2.0, 1.0})
        if (m * p <= limit)
            return m * p;
    return p;
}

std::string lengthText(double length)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g \u00C5", length);
    return buf;
}

// [u v w] with a bar over negative indices, as crystallographers write directions.
class IndexLabel {
public:
    explicit IndexLabel(const crystal::LatticeDirection& uvw)
    {
        const bool wide = std::any_of(uvw.begin(), uvw.end(), [](int64_t i) { return std::abs(i) >= 10; });
        m_pieces.push_back({"[", false});
        for (size_t k = 0; k < uvw.size(); ++k) {
            if (wide && k > 0)
                m_pieces.push_back({" ", false});
            m_pieces.push_back({std::to_string(std::abs(uvw[k])), uvw[k] < 0});
        }
        m_pieces.push_back({"]", false});
    }

    double width(cairo_t* cr) const
    {
        double w = 0.0;
        for (const Piece& p : m_pieces)
            w += advance(cr, p.text);
        return w;
    }

    // Draws with the baseline's left end at (x, y).
    void draw(cairo_t* cr, double x, double y, double size) const
    {
        for (const Piece& p : m_pieces) {
            const double w = advance(cr, p.text);
            cairo_move_to(cr, x, y);
            cairo_show_text(cr, p.text.c_str());
            if (p.bar) {
                const double barY = y - 0.86 * size;
                cairo_new_path(cr);
                cairo_move_to(cr, x + 0.08 * w, barY);
                cairo_line_to(cr, x + 0.92 * w, barY);
                cairo_set_line_width(cr, 0.07 * size);
                cairo_stroke(cr);
            }
            x += w;
        }
    }

private:
    struct Piece {
        std::string text;
        bool bar = false;
    };

    static double advance(cairo_t* cr, const std::string& text)
    {
        cairo_text_extents_t e;
        cairo_text_extents(cr, text.c_str(), &e);
        return e.x_advance;
    }

    std::vector<Piece> m_pieces;
};

double textAdvance(cairo_t* cr, const std::string& text)
{
    cairo_text_extents_t e;
    cairo_text_extents(cr, text.c_str(), &e);
    return e.x_advance;
}

void setFont(cairo_t* cr, double size)
{
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
    // Unhinted metrics: the layout measured on one surface holds on every other.
    cairo_font_options_t* fo = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(fo, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(fo, CAIRO_HINT_STYLE_NONE);
    cairo_set_font_options(cr, fo);
    cairo_font_options_destroy(fo);
}

// A site's symbol centred at (cx, cy), r its size: open (white with a black outline) on a
// terrace, filled black at a step.
void paintSiteMark(cairo_t* cr, crystal::SiteKind kind, bool step, double cx, double cy, double r)
{
    cairo_new_path(cr);
    const auto polygon = [&](std::initializer_list<std::pair<double, double>> corners) {
        bool first = true;
        for (const auto& [x, y] : corners) {
            if (first)
                cairo_move_to(cr, cx + r * x, cy + r * y);
            else
                cairo_line_to(cr, cx + r * x, cy + r * y);
            first = false;
        }
        cairo_close_path(cr);
    };
    switch (kind) {
    case crystal::SiteKind::Top: cairo_arc(cr, cx, cy, 0.85 * r, 0.0, 2.0 * std::numbers::pi); break;
    case crystal::SiteKind::Bridge: polygon({{0.0, -1.0}, {1.0, 0.0}, {0.0, 1.0}, {-1.0, 0.0}}); break;
    case crystal::SiteKind::Fcc: polygon({{0.0, -1.1}, {0.95, 0.55}, {-0.95, 0.55}}); break;
    case crystal::SiteKind::Hcp: polygon({{0.0, 1.1}, {0.95, -0.55}, {-0.95, -0.55}}); break;
    case crystal::SiteKind::Hollow: polygon({{-0.75, -0.75}, {0.75, -0.75}, {0.75, 0.75}, {-0.75, 0.75}}); break;
    }
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_width(cr, 0.22 * r);
    if (step)
        cairo_set_source_rgb(cr, 0.0, 0.0, 0.0);
    else
        cairo_set_source_rgb(cr, 1.0, 1.0, 1.0);
    cairo_fill_preserve(cr);
    cairo_set_source_rgb(cr, step ? 1.0 : 0.0, step ? 1.0 : 0.0, step ? 1.0 : 0.0);
    cairo_stroke(cr);
}

// The strip below the atoms: the axes key and the scale bar on one row, then the caption and
// the colour key, wrapped to the width. Measures only when draw is false; returns the height.
double paintStrip(cairo_t* cr, const FigureScene& scene, double top, bool draw)
{
    const double width = scene.width;
    const double s = width / 45.0; // text size
    const double pad = 0.8 * s;
    setFont(cr, s);
    cairo_set_source_rgb(cr, 0.0, 0.0, 0.0);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);

    double x = pad;
    double rowTop = top + 0.4 * s;
    double rowHeight = 0.0;

    if (scene.axes.size() == 2) {
        const double arrow = 2.6 * s;
        struct Key {
            FigurePoint tip;
            IndexLabel label;
            double labelWidth;
            FigurePoint labelCentre;
        };
        std::vector<Key> keys;
        double minX = 0.0, minY = 0.0, maxX = 0.0, maxY = 0.0;
        for (const FigureAxis& axis : scene.axes) {
            const FigurePoint tip{arrow * axis.tip.x, arrow * axis.tip.y};
            const double len = std::hypot(tip.x, tip.y);
            const FigurePoint u = len > 0.0 ? FigurePoint{tip.x / len, tip.y / len} : FigurePoint{1.0, 0.0};
            IndexLabel label(axis.direction);
            const double lw = label.width(cr);
            const FigurePoint centre{tip.x + u.x * (0.5 * s + 0.5 * lw), tip.y + u.y * 1.1 * s};
            minX = std::min({minX, tip.x, centre.x - 0.5 * lw});
            maxX = std::max({maxX, tip.x, centre.x + 0.5 * lw});
            minY = std::min({minY, tip.y, centre.y - 0.6 * s});
            maxY = std::max({maxY, tip.y, centre.y + 0.6 * s});
            keys.push_back({tip, std::move(label), lw, centre});
        }
        const double ox = x - minX;
        const double oy = rowTop - minY;
        if (draw) {
            for (const Key& k : keys) {
                const double len = std::hypot(k.tip.x, k.tip.y);
                if (len > 0.0) {
                    const double ux = k.tip.x / len, uy = k.tip.y / len;
                    const double head = std::min(0.55 * s, 0.5 * len);
                    cairo_new_path(cr);
                    cairo_move_to(cr, ox, oy);
                    cairo_line_to(cr, ox + k.tip.x - ux * head * 0.8, oy + k.tip.y - uy * head * 0.8);
                    cairo_set_line_width(cr, 0.14 * s);
                    cairo_stroke(cr);
                    cairo_move_to(cr, ox + k.tip.x, oy + k.tip.y);
                    cairo_line_to(cr, ox + k.tip.x - ux * head - uy * 0.45 * head,
                                  oy + k.tip.y - uy * head + ux * 0.45 * head);
                    cairo_line_to(cr, ox + k.tip.x - ux * head + uy * 0.45 * head,
                                  oy + k.tip.y - uy * head - ux * 0.45 * head);
                    cairo_close_path(cr);
                    cairo_fill(cr);
                }
                k.label.draw(cr, ox + k.labelCentre.x - 0.5 * k.labelWidth, oy + k.labelCentre.y + 0.36 * s, s);
            }
        }
        x += maxX - minX + 1.6 * s;
        rowHeight = std::max(rowHeight, maxY - minY);
    }

    // The scale bar: its length above a bar of that length, in the row's middle.
    const double bar = niceLength(std::max(0.22 * width, 1e-3));
    const std::string barText = lengthText(bar);
    const double barHeight = 2.0 * s;
    rowHeight = std::max(rowHeight, barHeight);
    if (draw) {
        const double y = rowTop + 0.5 * (rowHeight - barHeight);
        cairo_move_to(cr, x + 0.5 * (bar - textAdvance(cr, barText)), y + 0.95 * s);
        cairo_show_text(cr, barText.c_str());
        cairo_rectangle(cr, x, y + 1.4 * s, bar, 0.35 * s);
        cairo_fill(cr);
    }
    double height = rowTop + rowHeight - top;

    // Caption and key, flowed left to right.
    if (!scene.caption.empty() || !scene.legend.empty() || !scene.siteKey.empty()) {
        struct Item {
            std::string text;
            const LegendEntry* entry;
            double width;
            const SiteKey* site = nullptr;
        };
        std::vector<Item> items;
        if (!scene.caption.empty())
            items.push_back({scene.caption, nullptr, textAdvance(cr, scene.caption)});
        for (const LegendEntry& e : scene.legend)
            items.push_back({e.label, &e, 1.3 * s + textAdvance(cr, e.label)});
        for (const SiteKey& k : scene.siteKey)
            items.push_back({k.label, nullptr, 1.3 * s + textAdvance(cr, k.label), &k});
        const double lineHeight = 1.6 * s;
        double cx = pad;
        double baseline = top + height + 1.5 * s;
        for (const Item& item : items) {
            if (cx > pad && cx + item.width > width - pad) {
                cx = pad;
                baseline += lineHeight;
            }
            if (draw) {
                double tx = cx;
                if (item.entry) {
                    paintSphere(cr, cx + 0.5 * s, baseline - 0.35 * s, 0.5 * s, item.entry->colour.unit());
                    tx += 1.3 * s;
                }
                if (item.site) {
                    paintSiteMark(cr, item.site->kind, item.site->step, cx + 0.5 * s, baseline - 0.35 * s, 0.45 * s);
                    tx += 1.3 * s;
                }
                cairo_set_source_rgb(cr, 0.0, 0.0, 0.0);
                cairo_move_to(cr, tx, baseline);
                cairo_show_text(cr, item.text.c_str());
            }
            cx += item.width + 1.4 * s;
        }
        height = baseline + 0.6 * s - top;
    }
    return height + pad;
}

// Paints the whole figure; sprites, when given, draw the spheres of a raster picture.
void paintScene(cairo_t* cr, const FigureScene& scene, double totalHeight, SpriteCache* sprites)
{
    cairo_set_source_rgb(cr, 1.0, 1.0, 1.0);
    cairo_rectangle(cr, 0.0, 0.0, scene.width, totalHeight);
    cairo_fill(cr);

    for (const FigureSphere& s : scene.spheres) {
        if (sprites)
            sprites->paint(cr, s);
        else
            paintSphere(cr, s.centre.x, s.centre.y, s.radius, shaded(s));
    }

    if (scene.cellOutline.size() >= 3) {
        const double s = scene.width / 45.0;
        cairo_new_path(cr);
        cairo_move_to(cr, scene.cellOutline[0].x, scene.cellOutline[0].y);
        for (size_t k = 1; k < scene.cellOutline.size(); ++k)
            cairo_line_to(cr, scene.cellOutline[k].x, scene.cellOutline[k].y);
        cairo_close_path(cr);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        // A light halo keeps the line visible over dark atoms.
        cairo_set_source_rgb(cr, 1.0, 1.0, 1.0);
        cairo_set_line_width(cr, 0.3 * s);
        cairo_stroke_preserve(cr);
        cairo_set_source_rgb(cr, 0.0, 0.0, 0.0);
        cairo_set_line_width(cr, 0.14 * s);
        cairo_stroke(cr);
    }

    for (const SiteMark& m : scene.siteMarks)
        paintSiteMark(cr, m.kind, m.step, m.centre.x, m.centre.y, scene.siteMarkRadius);

    paintStrip(cr, scene, scene.height, true);
}

} // namespace

double figureHeight(const FigureScene& scene, double width)
{
    if (!(scene.width > 0.0))
        return 0.0;
    // The strip below the atoms is measured with the same text metrics as it is painted.
    SurfacePtr scratch(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1));
    ContextPtr cr(cairo_create(scratch.get()));
    const double height = scene.height + paintStrip(cr.get(), scene, scene.height, false);
    return height * width / scene.width;
}

platform::Result<std::string> renderFigure(const FigureScene& scene, FigureFormat format, int width)
{
    if (!(scene.width > 0.0) || !(scene.height > 0.0))
        return platform::fail("the figure is empty");
    std::string bytes;
    const double outWidth = format == FigureFormat::Png ? static_cast<double>(width) : VectorWidthPoints;
    const double scale = outWidth / scene.width;
    const double totalHeight = cairo::figureHeight(scene, scene.width);
    const double outHeight = totalHeight * scale;
    if (format == FigureFormat::Png
        && (width < 1 || outHeight > MaxWidth || double(width) * outHeight > double(MaxPixels)))
        return platform::fail("the figure is too large for a picture");

    SurfacePtr surface;
    switch (format) {
    case FigureFormat::Svg:
        surface.reset(cairo_svg_surface_create_for_stream(appendBytes, &bytes, outWidth, outHeight));
        break;
    case FigureFormat::Pdf:
        surface.reset(cairo_pdf_surface_create_for_stream(appendBytes, &bytes, outWidth, outHeight));
        if (cairo_surface_status(surface.get()) == CAIRO_STATUS_SUCCESS) {
            if (!scene.caption.empty())
                cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_TITLE, scene.caption.c_str());
            cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_CREATOR, "FACETOR");
        }
        break;
    case FigureFormat::Png:
        surface.reset(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, static_cast<int>(std::ceil(outHeight))));
        break;
    }
    {
        ContextPtr cr(cairo_create(surface.get()));
        if (format == FigureFormat::Png) {
            // The picture's last row is whole pixels of paper even where the scaled height ends
            // inside it: a partly covered row would keep part of the image's black.
            cairo_set_source_rgb(cr.get(), 1.0, 1.0, 1.0);
            cairo_paint(cr.get());
        }
        cairo_scale(cr.get(), scale, scale);
        // Vector files keep one gradient-filled path per sphere.
        std::optional<SpriteCache> sprites;
        if (format == FigureFormat::Png)
            sprites.emplace(scale);
        paintScene(cr.get(), scene, totalHeight, sprites ? &*sprites : nullptr);
        if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS)
            return platform::fail(std::string("drawing failed: ") + cairo_status_to_string(cairo_status(cr.get())));
    }
    if (format == FigureFormat::Png) {
        auto png = imagePng(surface.get());
        if (!png)
            return platform::fail("PNG encoding failed: " + png.error().message);
        bytes = std::move(*png);
    } else {
        cairo_surface_finish(surface.get());
    }
    if (const cairo_status_t st = cairo_surface_status(surface.get()); st != CAIRO_STATUS_SUCCESS)
        return platform::fail(std::string("drawing failed: ") + cairo_status_to_string(st));
    return bytes;
}

} // namespace figure::cairo
