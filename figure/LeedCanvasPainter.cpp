// Paints a LEED picture's layout onto an indexed canvas: filled discs and text in character
// cells, as the desktop's pattern window shows it.

#include "figure/IndexedCanvas.h"
#include "figure/LeedPicture.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace figure {

namespace {

uint8_t paletteIndex(LeedRole role) { return uint8_t(role); }

} // namespace

void paintLeedPattern(const crystal::LeedPattern& pattern, std::string_view title, IndexedCanvas& canvas)
{
    const platform::Size size = canvas.size();
    const TextGrid grid = canvas.textGrid();
    const LeedLayout layout = layoutLeedPicture(pattern, size.width, size.height, title);

    std::array<platform::Rgb, LeedRoleCount> palette;
    for (int role = 0; role < LeedRoleCount; ++role)
        palette[std::size_t(role)] = leedColour(LeedRole(role));
    canvas.setPalette(palette);
    canvas.clear(paletteIndex(LeedRole::Background));
    const auto disc = [&](PicturePoint centre, double radius, LeedRole role) {
        canvas.fillEllipse(
            platform::Rect::fromCorners(int(std::lround(centre.x - radius)), int(std::lround(centre.y - radius)),
                                        int(std::lround(centre.x + radius)), int(std::lround(centre.y + radius))),
            paletteIndex(role));
    };
    disc(layout.centre, layout.screenRadius + 1.0, LeedRole::ScreenRim);
    disc(layout.centre, layout.screenRadius - 1.0, LeedRole::Screen);
    for (const auto& spot : layout.spots)
        disc(spot.centre, std::max(spot.radius, 3.0), spot.role);
    // Labels in the character cell right of each spot's label origin, on the screen's colour.
    for (const auto& spot : layout.spots) {
        if (!spot.label)
            continue;
        const int column = int(std::ceil(spot.label->origin.x / grid.cellWidth)) + 1;
        const int row = int(std::floor(spot.label->origin.y / grid.cellHeight));
        if (row < 1 || column < 1 || column + int(spot.label->text.size()) > grid.columns)
            continue;
        canvas.writeText(row, column, spot.label->text, paletteIndex(LeedRole::Label), paletteIndex(LeedRole::Screen));
    }
    int row = 1;
    for (const auto& line : layout.caption)
        canvas.writeText(row++, 1, line.text, paletteIndex(LeedRole::Label), paletteIndex(LeedRole::Background));
}

} // namespace figure
