// Reduces a true-colour picture to a palette by a median cut and shows it on an indexed canvas.

#include "figure/CanvasPicture.h"

#include <algorithm>
#include <array>
#include <unordered_map>

namespace figure {

namespace {

struct Counted {
    platform::Rgb colour;
    uint64_t count = 0;
};

uint8_t channel(platform::Rgb c, int axis) { return axis == 0 ? c.red : axis == 1 ? c.green : c.blue; }

// A box of the median cut: a run of the colour list.
struct Box {
    std::size_t begin = 0;
    std::size_t end = 0;
    int axis = 0;  // the channel of the widest range
    int range = 0; // that range; 0 for a box of one colour
};

Box measured(const std::vector<Counted>& colours, std::size_t begin, std::size_t end)
{
    std::array<int, 3> low{255, 255, 255}, high{0, 0, 0};
    for (std::size_t i = begin; i < end; ++i)
        for (int a = 0; a < 3; ++a) {
            low[std::size_t(a)] = std::min(low[std::size_t(a)], int(channel(colours[i].colour, a)));
            high[std::size_t(a)] = std::max(high[std::size_t(a)], int(channel(colours[i].colour, a)));
        }
    Box box{begin, end, 0, -1};
    for (int a = 0; a < 3; ++a)
        if (high[std::size_t(a)] - low[std::size_t(a)] > box.range)
            box = {begin, end, a, high[std::size_t(a)] - low[std::size_t(a)]};
    return box;
}

platform::Rgb meanColour(const std::vector<Counted>& colours, const Box& box)
{
    std::array<uint64_t, 3> sum{};
    uint64_t weight = 0;
    for (std::size_t i = box.begin; i < box.end; ++i) {
        for (int a = 0; a < 3; ++a)
            sum[std::size_t(a)] += channel(colours[i].colour, a) * colours[i].count;
        weight += colours[i].count;
    }
    auto mean = [&](int a) { return uint8_t((sum[std::size_t(a)] + weight / 2) / weight); };
    return {mean(0), mean(1), mean(2)};
}

} // namespace

PalettePicture reduceColours(const RgbPicture& picture, std::size_t maxColours)
{
    maxColours = std::clamp<std::size_t>(maxColours, 1, 256);
    std::unordered_map<uint32_t, uint64_t> histogram;
    for (const platform::Rgb& c : picture.pixels)
        ++histogram[c.hex()];
    std::vector<Counted> colours;
    colours.reserve(histogram.size());
    for (const auto& [hex, count] : histogram)
        colours.push_back({platform::Rgb::fromHex(hex), count});
    // Sorted, so that the palette does not depend on the hash table's order.
    std::sort(colours.begin(), colours.end(),
              [](const Counted& a, const Counted& b) { return a.colour.hex() < b.colour.hex(); });

    PalettePicture reduced{picture.width, picture.height, {}, {}};
    if (colours.size() <= maxColours) {
        for (const Counted& c : colours)
            reduced.palette.push_back(c.colour);
    } else {
        // Split the box of the widest range at the weighted median of that channel until there
        // are as many boxes as colours asked for.
        std::vector<Box> boxes{measured(colours, 0, colours.size())};
        while (boxes.size() < maxColours) {
            const auto widest = std::max_element(boxes.begin(), boxes.end(),
                                                 [](const Box& a, const Box& b) { return a.range < b.range; });
            if (widest->range <= 0)
                break;
            const Box box = *widest;
            std::sort(colours.begin() + std::ptrdiff_t(box.begin), colours.begin() + std::ptrdiff_t(box.end),
                      [&](const Counted& a, const Counted& b) {
                          return channel(a.colour, box.axis) < channel(b.colour, box.axis);
                      });
            uint64_t total = 0;
            for (std::size_t i = box.begin; i < box.end; ++i)
                total += colours[i].count;
            uint64_t below = 0;
            std::size_t cut = box.begin + 1;
            for (std::size_t i = box.begin; i + 1 < box.end; ++i) {
                below += colours[i].count;
                cut = i + 1;
                if (2 * below >= total)
                    break;
            }
            *widest = measured(colours, box.begin, cut);
            boxes.push_back(measured(colours, cut, box.end));
        }
        for (const Box& box : boxes)
            reduced.palette.push_back(meanColour(colours, box));
    }

    std::unordered_map<uint32_t, uint8_t> nearest;
    nearest.reserve(colours.size());
    for (const Counted& c : colours) {
        std::size_t best = 0;
        for (std::size_t i = 1; i < reduced.palette.size(); ++i)
            if (platform::colourDistance(c.colour, reduced.palette[i])
                < platform::colourDistance(c.colour, reduced.palette[best]))
                best = i;
        nearest[c.colour.hex()] = uint8_t(best);
    }
    reduced.indices.reserve(picture.pixels.size());
    for (const platform::Rgb& c : picture.pixels)
        reduced.indices.push_back(nearest[c.hex()]);
    return reduced;
}

void showPicture(const RgbPicture& picture, IndexedCanvas& canvas)
{
    const PalettePicture reduced = reduceColours(picture, 256);
    canvas.setPalette(reduced.palette);
    const platform::Size size = canvas.size();
    canvas.clear(reduced.indices.empty() ? 0 : reduced.indices.front());
    if (reduced.indices.empty())
        return;
    // Only the part of the picture that falls on the canvas.
    const int left = (size.width - picture.width) / 2, top = (size.height - picture.height) / 2;
    const int x0 = std::max(0, -left), y0 = std::max(0, -top);
    const int w = std::min(picture.width - x0, size.width - std::max(left, 0));
    const int h = std::min(picture.height - y0, size.height - std::max(top, 0));
    if (w <= 0 || h <= 0)
        return;
    std::vector<uint8_t> part(std::size_t(w) * std::size_t(h));
    for (int y = 0; y < h; ++y)
        std::copy_n(reduced.indices.begin()
                        + std::ptrdiff_t(std::size_t(y0 + y) * std::size_t(picture.width) + std::size_t(x0)),
                    w, part.begin() + std::ptrdiff_t(std::size_t(y) * std::size_t(w)));
    canvas.drawPixels({std::max(left, 0), std::max(top, 0), w, h}, part);
}

} // namespace figure
