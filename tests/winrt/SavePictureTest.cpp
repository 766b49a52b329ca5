#include "CanvasTestUtil.h"
#include "winrt/BitmapFile.h"
#include "winrt/SavePicture.h"
#include "tests/runtime/FakeFileSystem.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

using namespace winrt;
using winrt::testing::makeCanvas;

namespace {

uint32_t read32(const std::vector<uint8_t>& b, size_t at)
{
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

std::vector<uint8_t> readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

TEST(SavePicture, EightHundredBySixHundredAtEightBits)
{
    auto canvas = makeCanvas(800, 600);
    canvas->set_colour(12);
    canvas->draw_ellipse(3, 100, 100, 300, 250);
    const auto bitmap = capturePicture(canvas->canvas());
    rt::test::FakeFileSystem fs;
    ASSERT_EQ(writeBitmapFile(bitmap, "picture.bmp", fs), SaveError::None);
    ASSERT_EQ(fs.files.size(), 1u);
    const std::string& written = fs.files["picture.bmp"];
    const std::vector<uint8_t> bytes(written.begin(), written.end());
    ASSERT_EQ(bytes.size(), 1078u + 600u * 800u);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    EXPECT_EQ(read32(bytes, 2), 1078u + 600u * 800u) << "file size";
    EXPECT_EQ(read32(bytes, 10), 1078u) << "offset of the bits";
    EXPECT_EQ(read32(bytes, 14), 40u);
    EXPECT_EQ(read32(bytes, 18), 800u);
    EXPECT_EQ(read32(bytes, 22), 600u) << "positive: bottom row first";
    EXPECT_EQ(bytes[28], 8);
    EXPECT_EQ(read32(bytes, 34), 600u * 800u);
    // The bottom row is stored first: canvas row 599 is at the start of the bits.
    EXPECT_EQ(bytes[1078 + 200], canvas->canvas().pixel(200, 599));
    EXPECT_EQ(bytes[1078 + 599 * 800 + 200], canvas->canvas().pixel(200, 0));
    EXPECT_EQ(bytes[1078 + (600 - 1 - 175) * 800 + 200], 12) << "the ellipse's middle";
}

TEST(SavePicture, RowsArePaddedToFourBytesAndReadBackExactly)
{
    auto canvas = makeCanvas(21, 7, 256, 10, 7);
    canvas->remap_all_palette(winrt::testing::distinctPalette());
    for (int i = 0; i < 7; ++i) {
        canvas->set_colour(int16_t(30 + 20 * i));
        canvas->draw_ellipse(3, int16_t(i * 3), int16_t(i), int16_t(i * 3 + 2), int16_t(i));
    }
    const auto bitmap = capturePicture(canvas->canvas());
    const auto dir = std::filesystem::temp_directory_path() / "facetor-save-test";
    std::filesystem::create_directories(dir);
    const auto path = dir / "narrow.bmp";
    ASSERT_EQ(writeBitmapFile(bitmap, path.string()), SaveError::None);
    const auto bytes = readFile(path);
    ASSERT_EQ(bytes.size(), 1078u + 7u * 24u) << "21 pixels at 8 bits make rows of 24 bytes";
    EXPECT_EQ(read32(bytes, 34), 7u * 24u);
    const auto decoded = decodeBitmap(bytes);
    ASSERT_TRUE(decoded.ok());
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 21; ++x)
            ASSERT_EQ(decoded.bitmap.colour(x, y), canvas->canvas().pixelColour(x, y)) << x << "," << y;
    // Saving again replaces the file.
    ASSERT_EQ(writeBitmapFile(bitmap, path.string()), SaveError::None);
    EXPECT_EQ(readFile(path).size(), bytes.size());
    std::filesystem::remove_all(dir);
}

TEST(SavePicture, AFailedSaveLeavesThePictureThatWasThere)
{
    auto canvas = makeCanvas(40, 30);
    const auto bitmap = capturePicture(canvas->canvas());
    const struct {
        const char* what;
        void (*arm)(rt::test::FakeFileSystem&);
        SaveError expected;
    } rows[] = {
        {"cannot create", [](rt::test::FakeFileSystem& f) { f.createError = EACCES; }, SaveError::CannotCreate},
        {"disk full", [](rt::test::FakeFileSystem& f) { f.failingWrite = 1, f.writeAtError = ENOSPC; },
         SaveError::ShortWrite},
        {"close", [](rt::test::FakeFileSystem& f) { f.closeError = EIO; }, SaveError::ShortWrite},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        rt::test::FakeFileSystem fs;
        fs.files["x.bmp"] = "the old picture";
        row.arm(fs);
        EXPECT_EQ(writeBitmapFile(bitmap, "x.bmp", fs), row.expected);
        EXPECT_EQ(fs.files.size(), 1u) << "no temporary left behind";
        EXPECT_EQ(fs.files["x.bmp"], "the old picture");
    }
    rt::test::FakeFileSystem fs;
    EXPECT_EQ(writeBitmapFile({}, "x.bmp", fs), SaveError::Unsupported);
    EXPECT_TRUE(fs.files.empty()) << "no file for a picture that cannot be written";
    // The real file system: a directory that does not exist.
    EXPECT_EQ(writeBitmapFile(bitmap, "/nonexistent-dir/x.bmp"), SaveError::CannotCreate);
}
