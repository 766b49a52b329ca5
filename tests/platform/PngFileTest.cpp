// The PNG writer read back with libpng's own reader: every pixel of a palette picture and of an
// RGB picture in Cairo's layout comes back as it was given, whatever the row stride.

#include "platform/PngFile.h"
#include "tests/platform/PngRead.h"

#include <gtest/gtest.h>

#include <array>

namespace platform {
namespace {

using test::decodeRgb;

TEST(PngFile, PixelsComeBackAsGiven)
{
    // 3 x 2 pixels with a stride wider than a row: the padding must not show.
    const std::array<Rgb, 3> palette{{{255, 0, 0}, {0, 128, 0}, {1, 2, 250}}};
    const uint8_t indices[] = {0, 1, 2, 99, 2, 2, 0, 99};
    PngPicture indexed{3, 2, indices, 4, palette};
    const uint32_t words[] = {0xff0000, 0x008000, 0x0102fa, 0xdeadbeef, 0x0102fa, 0x0102fa, 0xff0000, 0xdeadbeef};
    PngPicture rgb{3, 2, reinterpret_cast<const uint8_t*>(words), 16, {}};
    const std::vector<uint8_t> expected{255, 0, 0, 0, 128, 0, 1, 2, 250, 1, 2, 250, 1, 2, 250, 255, 0, 0};
    for (const PngPicture& picture : {indexed, rgb}) {
        const auto file = encodePng(picture);
        ASSERT_TRUE(file) << file.error().message;
        EXPECT_EQ((*file)[25], picture.palette.empty() ? 2 : 3) << "the IHDR colour type";
        EXPECT_EQ(decodeRgb(*file, 3, 2), expected);
    }
}

TEST(PngFile, RefusesWhatItCannotWrite)
{
    const std::array<Rgb, 2> two{};
    const uint8_t indices[] = {0, 1, 2, 0};
    const struct {
        PngPicture picture;
        const char* error;
    } rows[] = {
        {{2, 2, indices, 2, two}, "a pixel names a colour the palette lacks"},
        {{0, 2, indices, 2, two}, "no picture to write"},
        {{2, 2, nullptr, 2, two}, "no picture to write"},
        {{2, 2, indices, 1, two}, "no picture to write"},
    };
    for (const auto& row : rows) {
        const auto file = encodePng(row.picture);
        ASSERT_FALSE(file);
        EXPECT_EQ(file.error().message, row.error);
    }
}

} // namespace
} // namespace platform
