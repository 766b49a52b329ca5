// True-colour pictures on an indexed canvas: colours reduced to a palette, the picture centred.

#include "figure/CanvasPicture.h"
#include "figure/LeedPicture.h"

#include <gtest/gtest.h>

#include <functional>

using namespace figure;
using platform::Rgb;

namespace {

RgbPicture pictureOf(int width, int height, const std::function<Rgb(int, int)>& colour)
{
    RgbPicture p{width, height, {}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            p.pixels.push_back(colour(x, y));
    return p;
}

// A canvas that keeps its pixels as colours.
struct ColourCanvas final : IndexedCanvas {
    int width, height;
    std::vector<Rgb> palette, pixels;
    ColourCanvas(int w, int h) : width(w), height(h), pixels(std::size_t(w * h)) {}
    platform::Size size() const override { return {width, height}; }
    TextGrid textGrid() const override { return {}; }
    void setPalette(std::span<const Rgb> colours) override { palette.assign(colours.begin(), colours.end()); }
    void clear(uint8_t index) override { std::fill(pixels.begin(), pixels.end(), palette.at(index)); }
    void fillEllipse(platform::Rect, uint8_t) override {}
    void drawPixels(platform::Rect a, std::span<const uint8_t> indices) override
    {
        for (int i = 0; i < a.width * a.height; ++i)
            pixels.at(std::size_t((a.y + i / a.width) * width + a.x + i % a.width)) =
                palette.at(indices[std::size_t(i)]);
    }
    void writeText(int, int, std::string_view, uint8_t, uint8_t) override {}
};

} // namespace

TEST(CanvasPicture, ColoursAreReducedToThePaletteAndStayClose)
{
    const auto c2x2 = crystal::leedPattern({2.556, 0, 0}, {0, 2.556, 0}, 150, {crystal::IntMatrix2{1, 1, -1, 1}, {}});
    ASSERT_TRUE(c2x2);
    const auto leed = decodePng(*paintLeedPicture(layoutLeedPicture(*c2x2, 300, 240, "c(2x2)"), LeedFileFormat::Png));
    ASSERT_TRUE(leed) << leed.error().message;
    EXPECT_FALSE(decodePng("not a picture"));
    const auto grey = [](int x, int) { return Rgb{uint8_t(x), uint8_t(x), uint8_t(x)}; };

    struct Row {
        const char* name;
        RgbPicture picture;
        std::size_t maxColours, paletteSize;
        int maxDistance; // squared, any pixel
        double farShare; // of pixels farther than 3 x 12^2, at most
    };
    const Row rows[] = {
        {"256 greys kept", pictureOf(256, 2, grey), 256, 256, 0, 0.0},
        {"256 greys in 16", pictureOf(256, 1, grey), 16, 16, 3 * 9 * 9, 0.0},
        {"1024 colours in 256",
         pictureOf(1024, 1,
                   [](int x, int) {
                       return Rgb{uint8_t(x % 256), uint8_t(x / 4), 90};
                   }),
         256, 256, 3 * 16 * 16, 0.0},
        {"a LEED picture", *leed, 256, 256, 3 * 255 * 255, 0.001},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const PalettePicture reduced = reduceColours(row.picture, row.maxColours);
        EXPECT_EQ(reduced.palette.size(), row.paletteSize);
        ASSERT_EQ(reduced.indices.size(), row.picture.pixels.size());
        long far = 0;
        for (std::size_t i = 0; i < reduced.indices.size(); ++i) {
            ASSERT_LT(reduced.indices[i], reduced.palette.size());
            const int d = platform::colourDistance(reduced.palette[reduced.indices[i]], row.picture.pixels[i]);
            EXPECT_LE(d, row.maxDistance) << i;
            far += d > 3 * 12 * 12;
        }
        EXPECT_LE(double(far), row.farShare * double(reduced.indices.size()));
    }
}

TEST(CanvasPicture, ThePictureIsCentredOnTheCanvasAndTheRestTakesItsCornerColour)
{
    const auto colour = [](int x, int y) { return Rgb{uint8_t(10 * x), uint8_t(10 * y), 200}; };
    // Canvas and picture sizes: smaller, equal, wider but lower, larger.
    for (const auto [cw, ch, pw, ph] : {std::array{10, 8, 4, 4}, {5, 5, 5, 5}, {4, 6, 8, 2}, {3, 3, 7, 9}}) {
        ColourCanvas canvas(cw, ch);
        showPicture(pictureOf(pw, ph, colour), canvas);
        for (int y = 0; y < ch; ++y)
            for (int x = 0; x < cw; ++x) {
                const int px = x - (cw - pw) / 2, py = y - (ch - ph) / 2;
                const bool inside = px >= 0 && py >= 0 && px < pw && py < ph;
                EXPECT_EQ(canvas.pixels[std::size_t(y * cw + x)], inside ? colour(px, py) : colour(0, 0))
                    << cw << "x" << ch << " at " << x << "," << y;
            }
    }
}
