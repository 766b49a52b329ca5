#include "figure/LeedPicture.h"

#include "platform/FileSystem.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <numbers>

namespace figure {

namespace {

// Above this many beams labels could not be read anyway; the layout then skips placing them,
// which keeps it linear in the number of beams.
constexpr std::size_t MaxLabelledSpots = 500;

struct Box {
    double left, top, right, bottom;

    bool overlaps(const Box& o) const { return left < o.right && o.left < right && top < o.bottom && o.top < bottom; }
};

// Advance widths of Liberation Sans (metric-compatible with Arial) in ems, for the characters
// labels use; others count as 0.6.
double textWidth(std::string_view text, double fontSize)
{
    double w = 0.0;
    for (char c : text) {
        if (c >= '0' && c <= '9')
            w += 0.556;
        else if (c == '-')
            w += 0.333;
        else if (c == '/' || c == ' ' || c == '.' || c == '(' || c == ')')
            w += 0.278;
        else
            w += 0.6;
    }
    return w * fontSize;
}

Box textBox(const PictureText& t, double fontSize)
{
    return {t.origin.x, t.origin.y - 0.72 * fontSize, t.origin.x + t.width, t.origin.y + 0.21 * fontSize};
}

bool discTouches(const LeedSpotMark& s, const Box& b)
{
    const double nx = std::clamp(s.centre.x, b.left, b.right);
    const double ny = std::clamp(s.centre.y, b.top, b.bottom);
    const double dx = s.centre.x - nx, dy = s.centre.y - ny;
    return dx * dx + dy * dy < (s.radius + 1.0) * (s.radius + 1.0);
}

// Labels beside their discs, first fit of right, above, below, left; none where every place
// would leave the picture, cover a disc or another label. The substrate's beams come first.
void placeLabels(LeedLayout& layout, const std::vector<std::string>& texts)
{
    if (layout.spots.size() > MaxLabelledSpots)
        return;
    const double f = layout.fontSize;
    const Box picture{0.0, 0.0, double(layout.width), double(layout.height)};
    std::vector<Box> placed;
    for (const auto& c : layout.caption)
        placed.push_back(textBox(c, f));
    for (int pass = 0; pass < 2; ++pass)
        for (std::size_t i = 0; i < layout.spots.size(); ++i) {
            LeedSpotMark& s = layout.spots[i];
            if ((s.role == LeedRole::Superstructure) != (pass == 1))
                continue;
            const double w = textWidth(texts[i], f);
            const double gap = s.radius + 0.25 * f;
            const PicturePoint candidates[] = {
                {s.centre.x + gap, s.centre.y + 0.26 * f},
                {s.centre.x - w / 2, s.centre.y - gap - 0.21 * f},
                {s.centre.x - w / 2, s.centre.y + gap + 0.72 * f},
                {s.centre.x - gap - w, s.centre.y + 0.26 * f},
            };
            for (const PicturePoint& origin : candidates) {
                const PictureText t{texts[i], origin, w};
                const Box b = textBox(t, f);
                if (b.left < picture.left || b.top < picture.top || b.right > picture.right
                    || b.bottom > picture.bottom)
                    continue;
                // A space's width between neighbouring labels, so that they never read as one.
                const Box padded{b.left - 0.3 * f, b.top - 0.1 * f, b.right + 0.3 * f, b.bottom + 0.1 * f};
                if (std::any_of(placed.begin(), placed.end(), [&](const Box& p) { return p.overlaps(padded); }))
                    continue;
                if (std::any_of(layout.spots.begin(), layout.spots.end(),
                                [&](const LeedSpotMark& o) { return discTouches(o, b); }))
                    continue;
                s.label = t;
                placed.push_back(b);
                break;
            }
        }
}

} // namespace

LeedLayout layoutLeedPicture(const crystal::LeedPattern& pattern, int width, int height, std::string_view title)
{
    LeedLayout layout;
    layout.width = std::max(width, 64);
    layout.height = std::max(height, 64);
    const double side = std::min(layout.width, layout.height);
    layout.centre = {layout.width / 2.0, layout.height / 2.0};
    layout.screenRadius = 0.45 * side;
    layout.fontSize = std::clamp(side / 42.0, 9.0, 18.0);
    const double k = pattern.waveNumber > 0.0 ? pattern.waveNumber : 1.0;
    const double scale = layout.screenRadius / k;
    auto at = [&](crystal::ReciprocalVector g) {
        return PicturePoint{layout.centre.x + g.x * scale, layout.centre.y - g.y * scale};
    };

    layout.substrateCell = {at({}), at(pattern.aStar), at(pattern.aStar + pattern.bStar), at(pattern.bStar)};
    if (!pattern.domains.empty()) {
        // The superstructure's reciprocal cell: the rows of M^-T in a*, b*.
        const crystal::IntMatrix2& m = pattern.domains.front();
        const double d = double(m.det());
        const crystal::ReciprocalVector as =
            (1.0 / d) * (double(m.m22) * pattern.aStar - double(m.m21) * pattern.bStar);
        const crystal::ReciprocalVector bs =
            (1.0 / d) * (double(m.m11) * pattern.bStar - double(m.m12) * pattern.aStar);
        layout.superstructureCell = std::array<PicturePoint, 4>{at({}), at(as), at(as + bs), at(bs)};
    }

    const double specular = std::max(4.0, 0.024 * layout.screenRadius);
    const double substrate = std::max(3.0, 0.017 * layout.screenRadius);
    const double superstructure = std::max(3.0, 0.013 * layout.screenRadius);
    std::vector<std::string> texts;
    for (int pass = 0; pass < 2; ++pass)
        for (const crystal::LeedSpot& s : pattern.spots) {
            if ((s.kind == crystal::SpotKind::Superstructure) != (pass == 1))
                continue;
            LeedSpotMark mark;
            mark.centre = at({s.gx, s.gy, 0.0});
            const bool isSpecular = s.h.num == 0 && s.k.num == 0;
            mark.role = isSpecular ? LeedRole::Specular : pass == 0 ? LeedRole::Substrate : LeedRole::Superstructure;
            mark.radius = isSpecular ? specular : pass == 0 ? substrate : superstructure;
            layout.spots.push_back(mark);
            texts.push_back(crystal::fractionText(s.h) + " " + crystal::fractionText(s.k));
        }
    // The specular beam first whatever the list's order.
    const auto spec = std::find_if(layout.spots.begin(), layout.spots.end(),
                                   [](const LeedSpotMark& s) { return s.role == LeedRole::Specular; });
    if (spec != layout.spots.end() && spec != layout.spots.begin()) {
        const auto i = std::size_t(spec - layout.spots.begin());
        std::rotate(layout.spots.begin(), spec, spec + 1);
        std::rotate(texts.begin(), texts.begin() + std::ptrdiff_t(i), texts.begin() + std::ptrdiff_t(i) + 1);
    }

    const double margin = 0.6 * layout.fontSize;
    double line = margin + 0.72 * layout.fontSize;
    auto addCaption = [&](std::string text) {
        const double w = textWidth(text, layout.fontSize);
        layout.caption.push_back({std::move(text), {margin, line}, w});
        line += 1.3 * layout.fontSize;
    };
    for (std::size_t start = 0; start < title.size();) {
        const std::size_t end = std::min(title.find('\n', start), title.size());
        addCaption(std::string(title.substr(start, end - start)));
        start = end + 1;
    }
    char energy[64];
    std::snprintf(energy, sizeof energy, "%g eV", pattern.energy);
    addCaption(energy);

    placeLabels(layout, texts);
    return layout;
}

std::string matrixText(const crystal::IntMatrix2& m)
{
    return "[" + std::to_string(m.m11) + " " + std::to_string(m.m12) + "; " + std::to_string(m.m21) + " "
        + std::to_string(m.m22) + "]";
}

std::string leedCaption(std::string_view surfaceTitle, std::string_view superstructure, std::size_t domains)
{
    std::string caption(surfaceTitle);
    if (!superstructure.empty())
        caption += "  " + std::string(superstructure);
    if (domains > 1)
        caption += ", " + std::to_string(domains) + " domains";
    return caption;
}

std::optional<LeedFileFormat> leedFileFormatOfPath(std::string_view path)
{
    const std::string ext = platform::fileExtension(path);
    if (ext == "png")
        return LeedFileFormat::Png;
    if (ext == "svg")
        return LeedFileFormat::Svg;
    return std::nullopt;
}

platform::Status writeLeedPicture(const std::string& path, const LeedLayout& layout)
{
    const auto format = leedFileFormatOfPath(path);
    if (!format)
        return platform::fail("the picture's name must end in .png or .svg");
    const auto bytes = paintLeedPicture(layout, *format);
    if (!bytes)
        return bytes.error();
    if (const int e = platform::writeWholeFile(path, *bytes); e != 0)
        return platform::fail("cannot write " + path + ": " + std::strerror(e));
    return {};
}

} // namespace figure
