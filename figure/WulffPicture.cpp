#include "figure/WulffPicture.h"

#include "crystal/SurfaceCell.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numbers>

namespace figure {

namespace {

struct Viewed {
    double x, y, z; // right, up, towards the viewer
};

Viewed turned(double x, double y, double z, const WulffView& view)
{
    const double r = view.rotation * std::numbers::pi / 180.0;
    const double t = view.tilt * std::numbers::pi / 180.0;
    const double x1 = std::cos(r) * x - std::sin(r) * y;
    const double y1 = std::sin(r) * x + std::cos(r) * y;
    return {x1, std::cos(t) * y1 - std::sin(t) * z, std::sin(t) * y1 + std::cos(t) * z};
}

// Whether p lies inside the convex polygon (either winding).
bool within(const std::vector<PicturePoint>& polygon, PicturePoint p)
{
    int sign = 0;
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        const PicturePoint& a = polygon[i];
        const PicturePoint& b = polygon[(i + 1) % polygon.size()];
        const double side = (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x);
        const int s = side > 0.0 ? 1 : side < 0.0 ? -1 : 0;
        if (s != 0 && sign != 0 && s != sign)
            return false;
        if (s != 0)
            sign = s;
    }
    return true;
}

} // namespace

platform::Rgb familyColour(std::size_t i)
{
    static constexpr uint32_t palette[] = {0x4e79a7, 0xf28e2b, 0x59a14f, 0xe15759, 0x76b7b2, 0xedc948,
                                           0xb07aa1, 0xff9da7, 0x9c755f, 0xbab0ac, 0x8cd17d, 0x86bcb6};
    return platform::Rgb::fromHex(palette[i % std::size(palette)]);
}

WulffLayout layoutWulffPicture(const crystal::WulffShape& shape, const std::vector<std::string>& familyLabels,
                               bool fourIndex, const WulffView& view, double width, std::string_view title)
{
    WulffLayout layout;
    layout.width = width;
    layout.fontSize = std::max(8.0, width / 40.0);
    const double margin = 0.06 * width;
    const double line = 1.4 * layout.fontSize;
    const double top = title.empty() ? margin : margin + line;

    // The extent of the shape seen from the view, over every corner.
    double lowX = std::numeric_limits<double>::infinity(), highX = -lowX, lowY = lowX, highY = -lowX;
    for (const crystal::WulffFace& face : shape.faces)
        for (const crystal::Position& p : face.polygon) {
            const Viewed v = turned(p.x, p.y, p.z, view);
            lowX = std::min(lowX, v.x);
            highX = std::max(highX, v.x);
            lowY = std::min(lowY, v.y);
            highY = std::max(highY, v.y);
        }
    const double span = std::max({highX - lowX, highY - lowY, std::numeric_limits<double>::min()});
    const double scale = (width - 2.0 * margin) / span;
    const double centreX = 0.5 * width;
    const double centreY = top + 0.5 * (width - 2.0 * margin);
    auto place = [&](const Viewed& v) {
        return PicturePoint{centreX + (v.x - 0.5 * (lowX + highX)) * scale,
                            centreY - (v.y - 0.5 * (lowY + highY)) * scale};
    };

    // The light comes from above left and in front; a facet's colour goes from 45 % of its family's
    // colour, seen edge on, to all of it, facing the light.
    const double lx = -0.35, ly = 0.45, lz = 0.82;
    const double ln = std::sqrt(lx * lx + ly * ly + lz * lz);
    for (const crystal::WulffFace& face : shape.faces) {
        const Viewed n = turned(face.normal.x, face.normal.y, face.normal.z, view);
        if (n.z <= 1e-9)
            continue;
        WulffFacePicture picture;
        double sx = 0.0, sy = 0.0;
        for (const crystal::Position& p : face.polygon) {
            picture.corners.push_back(place(turned(p.x, p.y, p.z, view)));
            sx += picture.corners.back().x;
            sy += picture.corners.back().y;
        }
        const double lit = std::max(0.0, (n.x * lx + n.y * ly + n.z * lz) / ln);
        const platform::UnitRgb c = familyColour(face.family).unit();
        const double k = 0.45 + 0.55 * lit;
        picture.colour = {uint8_t(std::lround(255.0 * c.red * k)), uint8_t(std::lround(255.0 * c.green * k)),
                          uint8_t(std::lround(255.0 * c.blue * k))};
        // A label where the facet, as seen, is wide enough for it.
        const std::string text = crystal::planeText(face.hkl, fourIndex);
        const double textWidth = 0.55 * layout.fontSize * double(text.size());
        const double n0 = double(picture.corners.size());
        const PicturePoint middle{sx / n0, sy / n0};
        const double halfWidth = 0.5 * textWidth + 0.2 * layout.fontSize;
        const double halfHeight = 0.6 * layout.fontSize;
        bool inside = true;
        for (const double dx : {-halfWidth, halfWidth})
            for (const double dy : {-halfHeight, halfHeight})
                inside = inside && within(picture.corners, {middle.x + dx, middle.y + dy});
        if (inside)
            picture.label =
                PictureText{text, {middle.x - 0.5 * textWidth, middle.y + 0.35 * layout.fontSize}, textWidth};
        layout.faces.push_back(std::move(picture));
    }

    if (!title.empty())
        layout.caption.push_back({std::string(title), {margin, margin}, 0.0});
    double y = top + (width - 2.0 * margin) + line;
    for (std::size_t f = 0; f < shape.areaFractions.size(); ++f) {
        if (!(shape.areaFractions[f] > 0.0))
            continue;
        char share[32];
        std::snprintf(share, sizeof share, " %.3f", shape.areaFractions[f]);
        const std::string label = f < familyLabels.size() ? familyLabels[f] : std::string();
        layout.key.push_back({familyColour(f), {label + share, {margin + 1.4 * layout.fontSize, y}, 0.0}});
        y += line;
    }
    layout.height = std::ceil(y - line + margin);
    return layout;
}

} // namespace figure
