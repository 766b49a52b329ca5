// Our bitmap files read by an independent reader (Qt's image library): same size, same colour
// at every pixel.

#include "platform/headless/BuiltinGlyphs.h"
#include "winrt/BitmapFile.h"
#include "winrt/Canvas.h"
#include "platform/PngFile.h"
#include "winrt/SavePicture.h"

#include <QImage>
#include <QString>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace fs = std::filesystem;

TEST(BitmapRead, GoldenPicturesReadTheSameInQt)
{
    const fs::path dir = fs::path(FACETOR_SOURCE_DIR) / "tests/data";
    int files = 0;
    for (const auto& entry : fs::directory_iterator(dir)) {
        if (entry.path().extension() != ".bmp")
            continue;
        ++files;
        SCOPED_TRACE(entry.path().filename().string());
        std::ifstream in(entry.path(), std::ios::binary);
        const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        const auto ours = winrt::decodeBitmap(bytes);
        ASSERT_TRUE(ours.ok());

        QImage image;
        ASSERT_TRUE(image.load(QString::fromStdString(entry.path().string()), "BMP"));
        ASSERT_EQ(image.width(), ours.bitmap.width);
        ASSERT_EQ(image.height(), ours.bitmap.height);
        EXPECT_EQ(image.format(), QImage::Format_Indexed8);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb q = image.pixel(x, y);
                const winrt::Rgb c = ours.bitmap.colour(x, y);
                ASSERT_EQ((winrt::Rgb{uint8_t(qRed(q)), uint8_t(qGreen(q)), uint8_t(qBlue(q))}), c)
                    << "pixel (" << x << ", " << y << ")";
            }
    }
    EXPECT_GE(files, 4);
}

TEST(BitmapRead, OddWidthsPadTheirRows)
{
    // 21 pixels of 8 bits: 24-byte rows; every pixel a different index.
    std::vector<uint8_t> indices(21 * 3);
    std::vector<winrt::Rgb> palette(256);
    for (int i = 0; i < 256; ++i)
        palette[i] = {uint8_t(i), uint8_t(255 - i), uint8_t(i * 7)};
    for (std::size_t i = 0; i < indices.size(); ++i)
        indices[i] = uint8_t(i * 3 + 1);
    const auto bytes = winrt::encodeBitmap(21, 3, indices, palette, 8);
    EXPECT_EQ(bytes.size(), 1078u + 3u * 24u);
    QImage image;
    ASSERT_TRUE(image.loadFromData(bytes.data(), int(bytes.size()), "BMP"));
    ASSERT_EQ(image.width(), 21);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 21; ++x) {
            const winrt::Rgb c = palette[indices[std::size_t(y) * 21 + x]];
            const QRgb q = image.pixel(x, y);
            ASSERT_EQ(qRed(q), c.red);
            ASSERT_EQ(qGreen(q), c.green);
            ASSERT_EQ(qBlue(q), c.blue);
        }
}

TEST(BitmapRead, ASavedCanvasReadsBackWithTheCanvasColours)
{
    // 800 x 600 with a palette of 256 distinct colours and shapes in many of them, written as
    // Save writes it, read by Qt from the file.
    platform::BuiltinGlyphs glyphs;
    winrt::Canvas canvas = *winrt::Canvas::create(800, 600, 256, 10, 18, glyphs);
    std::vector<uint32_t> colours(256);
    for (uint32_t i = 0; i < 256; ++i)
        colours[i] = i | (255 - i) << 8 | ((i * 37) & 0xFF) << 16;
    ASSERT_EQ(canvas.remap_all_palette(colours).status, winrt::status::ok);
    for (int i = 0; i < 40; ++i) {
        ASSERT_EQ(canvas.set_colour(int16_t(20 + i * 5)).status, winrt::status::ok);
        ASSERT_EQ(
            canvas.draw_ellipse(3, int16_t(i * 19), int16_t(i * 13), int16_t(i * 19 + 60), int16_t(i * 13 + 80)).status,
            winrt::status::ok);
    }
    ASSERT_EQ(canvas.out_text("surface (1 1 1)").status, winrt::status::ok);
    const fs::path path = fs::temp_directory_path() / "facetor-saved-canvas.bmp";
    ASSERT_EQ(winrt::writeBitmapFile(winrt::capturePicture(canvas), path.string()), winrt::SaveError::None);
    EXPECT_EQ(fs::file_size(path), 1078u + 600u * 800u);
    QImage image;
    ASSERT_TRUE(image.load(QString::fromStdString(path.string()), "BMP"));
    ASSERT_EQ(image.width(), 800);
    ASSERT_EQ(image.height(), 600);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) {
            const QRgb q = image.pixel(x, y);
            ASSERT_EQ((winrt::Rgb{uint8_t(qRed(q)), uint8_t(qGreen(q)), uint8_t(qBlue(q))}), canvas.pixelColour(x, y))
                << "pixel (" << x << ", " << y << ")";
        }
    fs::remove(path);

    // The same canvas as a palette PNG: every pixel the canvas's colour, the palette kept.
    const auto png = platform::encodePng(winrt::capturePicture(canvas, winrt::Rect{0, 0, 800, 600}));
    ASSERT_TRUE(png) << png.error().message;
    QImage decoded;
    ASSERT_TRUE(decoded.loadFromData(png->data(), int(png->size()), "PNG"));
    EXPECT_EQ(decoded.format(), QImage::Format_Indexed8);
    ASSERT_EQ(decoded.width(), 800);
    ASSERT_EQ(decoded.height(), 600);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
            ASSERT_EQ(decoded.pixelIndex(x, y), canvas.pixel(x, y)) << "pixel (" << x << ", " << y << ")";
    EXPECT_EQ(decoded.colorCount(), canvas.colourCount());
}
