// Paints the equilibrium shape onto an indexed canvas, as the desktop's shape window shows it:
// the faces rasterised here into palette entries, the labels in the canvas's character cells.

#include "figure/IndexedCanvas.h"
#include "figure/WulffPicture.h"

#include <algorithm>
#include <cmath>

namespace figure {

namespace {

constexpr uint8_t Paper = 0;
constexpr uint8_t Ink = 1;
constexpr std::size_t FirstColour = 2;

// Fills the convex polygon: every pixel whose centre lies inside.
void fillPolygon(std::vector<uint8_t>& pixels, int width, int height, const std::vector<PicturePoint>& corners,
                 uint8_t index)
{
    double top = corners[0].y, bottom = corners[0].y;
    for (const PicturePoint& p : corners) {
        top = std::min(top, p.y);
        bottom = std::max(bottom, p.y);
    }
    for (int y = std::max(0, int(std::floor(top))); y < std::min(height, int(std::ceil(bottom)) + 1); ++y) {
        const double cy = y + 0.5;
        double left = 1e300, right = -1e300;
        for (std::size_t i = 0; i < corners.size(); ++i) {
            const PicturePoint& a = corners[i];
            const PicturePoint& b = corners[(i + 1) % corners.size()];
            if ((a.y <= cy && b.y > cy) || (b.y <= cy && a.y > cy)) {
                const double x = a.x + (cy - a.y) / (b.y - a.y) * (b.x - a.x);
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
        for (int x = std::max(0, int(std::ceil(left - 0.5))); x < std::min(width, int(std::floor(right - 0.5)) + 1);
             ++x)
            pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)] = index;
    }
}

void drawLine(std::vector<uint8_t>& pixels, int width, int height, PicturePoint a, PicturePoint b, uint8_t index)
{
    const int steps = std::max(1, int(std::ceil(std::max(std::fabs(b.x - a.x), std::fabs(b.y - a.y)))));
    for (int i = 0; i <= steps; ++i) {
        const double t = double(i) / steps;
        const int x = int(std::floor(a.x + t * (b.x - a.x)));
        const int y = int(std::floor(a.y + t * (b.y - a.y)));
        if (x >= 0 && x < width && y >= 0 && y < height)
            pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)] = index;
    }
}

} // namespace

void paintWulffShape(const crystal::WulffShape& shape, const std::vector<std::string>& familyLabels, bool fourIndex,
                     const WulffView& view, std::string_view title, IndexedCanvas& canvas)
{
    const platform::Size size = canvas.size();
    const TextGrid grid = canvas.textGrid();
    // As wide as the canvas, narrower where the key below would not fit.
    WulffLayout layout = layoutWulffPicture(shape, familyLabels, fourIndex, view, size.width, title);
    if (layout.height > size.height)
        layout =
            layoutWulffPicture(shape, familyLabels, fourIndex, view, size.width * size.height / layout.height, title);

    std::vector<platform::Rgb> palette = {platform::Rgb::fromHex(0xffffff), platform::Rgb::fromHex(0x202020)};
    const std::size_t faceColours = std::min<std::size_t>(layout.faces.size(), 240);
    for (std::size_t i = 0; i < faceColours; ++i)
        palette.push_back(layout.faces[i].colour);
    const std::size_t keyStart = palette.size();
    for (const WulffKeyEntry& entry : layout.key)
        palette.push_back(entry.colour);
    canvas.setPalette(palette);
    canvas.clear(Paper);

    const int width = size.width, height = size.height;
    std::vector<uint8_t> pixels(std::size_t(width) * std::size_t(height), Paper);
    for (std::size_t i = 0; i < layout.faces.size(); ++i)
        fillPolygon(pixels, width, height, layout.faces[i].corners,
                    uint8_t(FirstColour + std::min(i, faceColours - 1)));
    for (const WulffFacePicture& face : layout.faces)
        for (std::size_t i = 0; i < face.corners.size(); ++i)
            drawLine(pixels, width, height, face.corners[i], face.corners[(i + 1) % face.corners.size()], Ink);
    for (std::size_t k = 0; k < layout.key.size(); ++k) {
        const PicturePoint at = layout.key[k].text.origin;
        const double side = 0.9 * layout.fontSize;
        const std::vector<PicturePoint> square = {{at.x - 1.4 * layout.fontSize, at.y - side},
                                                  {at.x - 1.4 * layout.fontSize + side, at.y - side},
                                                  {at.x - 1.4 * layout.fontSize + side, at.y},
                                                  {at.x - 1.4 * layout.fontSize, at.y}};
        fillPolygon(pixels, width, height, square, uint8_t(keyStart + k));
    }
    canvas.drawPixels({0, 0, width, height}, pixels);

    // Text in the cell nearest its place, where it fits in the grid.
    const auto write = [&](const PictureText& text, uint8_t paper) {
        const int column = int(std::lround(text.origin.x / grid.cellWidth)) + 1;
        const int row = int(std::ceil(text.origin.y / grid.cellHeight));
        if (row >= 1 && column >= 1 && column + int(text.text.size()) - 1 <= grid.columns
            && row * grid.cellHeight <= height)
            canvas.writeText(row, column, text.text, Ink, paper);
    };
    for (std::size_t i = 0; i < layout.faces.size(); ++i)
        if (layout.faces[i].label)
            write(*layout.faces[i].label, uint8_t(FirstColour + std::min(i, faceColours - 1)));
    for (const PictureText& line : layout.caption)
        write(line, Paper);
    for (const WulffKeyEntry& entry : layout.key)
        write(entry.text, Paper);
}

} // namespace figure
