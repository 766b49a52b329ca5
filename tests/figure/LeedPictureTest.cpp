// The LEED picture: where the beams land on the screen, where their labels go, and the files.

#include "figure/LeedPicture.h"

#include <gtest/gtest.h>

#include <cairo.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <numbers>

using namespace figure;
namespace fs = std::filesystem;

namespace {

constexpr double A = 2.556;

crystal::LeedPattern squarePattern(double energy, std::optional<crystal::IntMatrix2> m = std::nullopt)
{
    auto p = crystal::leedPattern({A, 0, 0}, {0, A, 0}, energy, {m, crystal::LeedDomains::All});
    EXPECT_TRUE(p) << p.error().message;
    return p.value_or(crystal::LeedPattern{});
}

} // namespace

TEST(LeedPicture, BeamsLandAtTheSineOfTheirExitAngle)
{
    // At the energy where k = 2 |a*| the (1 0) beam leaves at 30 degrees: on the flat view of
    // the hemispherical screen it lies sin 30 = half the screen's radius from the centre.
    const double aStar = 2 * std::numbers::pi / A;
    const double energy = std::pow(2 * aStar / crystal::electronWaveNumber(1.0), 2);
    const crystal::LeedPattern p = squarePattern(energy, crystal::IntMatrix2{2, 0, 0, 1});
    const LeedLayout l = layoutLeedPicture(p, 400, 300, "Cu (1 0 0)  p(2x1)");
    EXPECT_EQ(l.spots[0].role, LeedRole::Specular);
    EXPECT_EQ(l.spots[0].centre.x, 200);
    EXPECT_EQ(l.spots[0].centre.y, 150);
    EXPECT_EQ(l.spots.size(), p.spots.size());
    int labels = 0;
    for (std::size_t i = 0; i < l.spots.size(); ++i) {
        const LeedSpotMark& s = l.spots[i];
        const double r = std::hypot(s.centre.x - 200, s.centre.y - 150);
        EXPECT_LE(r, l.screenRadius + 1e-9);
        EXPECT_GE(s.radius, 3.0);
        if (!s.label)
            continue;
        ++labels;
        // Beside the disc, inside the picture, clear of every disc.
        const PictureText& t = *s.label;
        const double top = t.origin.y - 0.72 * l.fontSize, bottom = t.origin.y + 0.21 * l.fontSize;
        EXPECT_GE(t.origin.x, 0);
        EXPECT_LE(t.origin.x + t.width, 400);
        EXPECT_GE(top, 0);
        EXPECT_LE(bottom, 300);
        for (const LeedSpotMark& o : l.spots) {
            const double nx = std::clamp(o.centre.x, t.origin.x, t.origin.x + t.width);
            const double ny = std::clamp(o.centre.y, top, bottom);
            EXPECT_GE(std::hypot(o.centre.x - nx, o.centre.y - ny), o.radius) << t.text;
        }
    }
    EXPECT_GT(labels, 4);
    // The (1 0) beam: half the screen's radius to the right of the centre, labelled "1 0".
    const auto ten = std::find_if(l.spots.begin(), l.spots.end(),
                                  [](const LeedSpotMark& s) { return s.label && s.label->text == "1 0"; });
    ASSERT_NE(ten, l.spots.end());
    EXPECT_NEAR(ten->centre.x - 200, l.screenRadius / 2, 1e-9);
    EXPECT_NEAR(ten->centre.y, 150, 1e-9);
    EXPECT_EQ(ten->role, LeedRole::Substrate);
    // The superstructure's reciprocal cell of domain 1 is half the substrate's along a*.
    ASSERT_TRUE(l.superstructureCell);
    EXPECT_NEAR((*l.superstructureCell)[1].x - 200, l.screenRadius / 4, 1e-9);
}

TEST(LeedPicture, PngAndSvgFiles)
{
    const crystal::LeedPattern c2x2 = squarePattern(120, crystal::IntMatrix2{1, 1, -1, 1});
    const LeedLayout l = layoutLeedPicture(c2x2, 300, 200, "c(2x2)");
    const auto png = paintLeedPicture(l, LeedFileFormat::Png);
    ASSERT_TRUE(png) << png.error().message;
    ASSERT_GT(png->size(), 33u);
    EXPECT_EQ(png->substr(0, 8), "\x89PNG\r\n\x1a\n");
    std::string_view rest = *png;
    auto read = [](void* closure, unsigned char* data, unsigned int length) {
        auto* r = static_cast<std::string_view*>(closure);
        if (r->size() < length)
            return CAIRO_STATUS_READ_ERROR;
        std::memcpy(data, r->data(), length);
        r->remove_prefix(length);
        return CAIRO_STATUS_SUCCESS;
    };
    cairo_surface_t* image = cairo_image_surface_create_from_png_stream(read, &rest);
    ASSERT_EQ(cairo_surface_status(image), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(image), 300);
    EXPECT_EQ(cairo_image_surface_get_height(image), 200);
    // A bright specular beam at the centre, the background colour in a corner.
    const unsigned char* px = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    auto pixel = [&](int x, int y) { return *reinterpret_cast<const uint32_t*>(px + y * stride + 4 * x) & 0xffffff; };
    EXPECT_EQ(pixel(150, 100), leedColour(LeedRole::Specular).hex());
    EXPECT_EQ(pixel(299, 199), leedColour(LeedRole::Background).hex());
    // The substrate's (1 0) beam green, the superstructure's (1/2 1/2) amber, as the key says.
    const double step = 2 * std::numbers::pi / A * l.screenRadius / c2x2.waveNumber; // |a*| on the screen
    const uint32_t substrate = pixel(int(l.centre.x + step), int(l.centre.y));
    const uint32_t superstructure = pixel(int(l.centre.x + step / 2), int(l.centre.y - step / 2));
    EXPECT_EQ(substrate, leedColour(LeedRole::Substrate).hex());
    EXPECT_EQ(superstructure, leedColour(LeedRole::Superstructure).hex());
    EXPECT_GT(substrate >> 8 & 0xff, substrate >> 16 & 0xff);
    EXPECT_GT(superstructure >> 16 & 0xff, superstructure >> 8 & 0xff);
    cairo_surface_destroy(image);

    const auto svg = paintLeedPicture(l, LeedFileFormat::Svg);
    ASSERT_TRUE(svg) << svg.error().message;
    EXPECT_NE(svg->find("<svg"), std::string::npos);
    EXPECT_NE(svg->find("width=\"300pt\""), std::string::npos);
    EXPECT_EQ(svg->find("<image"), std::string::npos) << "all vector, no raster";

    const fs::path dir = fs::temp_directory_path() / ("leed-picture-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    EXPECT_TRUE(writeLeedPicture((dir / "p.SVG").string(), l));
    EXPECT_EQ(fs::file_size(dir / "p.SVG"), svg->size());
    EXPECT_FALSE(writeLeedPicture((dir / "p.gif").string(), l));
    const auto missing = writeLeedPicture((dir / "missing" / "p.png").string(), l);
    ASSERT_FALSE(missing);
    EXPECT_NE(missing.error().message.find("missing"), std::string::npos) << missing.error().message;
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    fs::remove_all(dir);
}
