#include "CanvasTestUtil.h"
#include "winrt/BitmapFile.h"
#include "winrt/SavePicture.h"

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

// Files in memory: each write is recorded; creating or the n-th write can be made to fail.
class MemoryFiles final : public FileSystem {
public:
    struct File final : OutputFile {
        MemoryFiles& owner;
        explicit File(MemoryFiles& o) : owner(o) {}
        bool write(std::span<const uint8_t> bytes) override
        {
            ++owner.writes;
            if (owner.writes == owner.failingWrite) {
                // A short write: half of it reaches the file.
                owner.bytes.insert(owner.bytes.end(), bytes.begin(), bytes.begin() + bytes.size() / 2);
                return false;
            }
            owner.bytes.insert(owner.bytes.end(), bytes.begin(), bytes.end());
            owner.sizes.push_back(bytes.size());
            return true;
        }
        bool close() override { return !owner.failClose; }
    };
    std::unique_ptr<OutputFile> create(const std::string& path) override
    {
        created = path;
        if (failCreate)
            return nullptr;
        return std::make_unique<File>(*this);
    }
    std::string created;
    bool failCreate = false;
    bool failClose = false;
    int failingWrite = 0;
    int writes = 0;
    std::vector<uint8_t> bytes;
    std::vector<size_t> sizes;
};

} // namespace

TEST(SavePicture, EightHundredBySixHundredAtEightBits)
{
    auto canvas = makeCanvas(800, 600);
    canvas->set_colour(12);
    canvas->draw_ellipse(3, 100, 100, 300, 250);
    const auto bitmap = capturePicture(*canvas);
    MemoryFiles files;
    ASSERT_EQ(writeBitmapFile(bitmap, "picture.bmp", files), SaveError::None);
    EXPECT_EQ(files.created, "picture.bmp");
    ASSERT_EQ(files.bytes.size(), 1078u + 600u * 800u);
    EXPECT_EQ(files.bytes[0], 'B');
    EXPECT_EQ(files.bytes[1], 'M');
    EXPECT_EQ(read32(files.bytes, 2), 1078u + 600u * 800u) << "file size";
    EXPECT_EQ(read32(files.bytes, 10), 1078u) << "offset of the bits";
    EXPECT_EQ(read32(files.bytes, 14), 40u);
    EXPECT_EQ(read32(files.bytes, 18), 800u);
    EXPECT_EQ(read32(files.bytes, 22), 600u) << "positive: bottom row first";
    EXPECT_EQ(files.bytes[28], 8);
    EXPECT_EQ(read32(files.bytes, 34), 600u * 800u);
    // Written in the order of the format, each part a write of its own.
    EXPECT_EQ(files.sizes, (std::vector<size_t>{14, 40, 1024, 480000}));
    // The bottom row is stored first: canvas row 599 is at the start of the bits.
    EXPECT_EQ(files.bytes[1078 + 200], canvas->pixel(200, 599));
    EXPECT_EQ(files.bytes[1078 + 599 * 800 + 200], canvas->pixel(200, 0));
    EXPECT_EQ(files.bytes[1078 + (600 - 1 - 175) * 800 + 200], 12) << "the ellipse's middle";
}

TEST(SavePicture, RowsArePaddedToFourBytesAndReadBackExactly)
{
    auto canvas = makeCanvas(21, 7, 256, 10, 7);
    canvas->remap_all_palette(winrt::testing::distinctPalette());
    for (int i = 0; i < 7; ++i) {
        canvas->set_colour(int16_t(30 + 20 * i));
        canvas->draw_ellipse(3, int16_t(i * 3), int16_t(i), int16_t(i * 3 + 2), int16_t(i));
    }
    const auto bitmap = capturePicture(*canvas);
    const auto dir = std::filesystem::temp_directory_path() / "facetor-save-test";
    std::filesystem::create_directories(dir);
    const auto path = dir / "narrow.bmp";
    ASSERT_EQ(writeBitmapFile(bitmap, path.string(), systemFiles()), SaveError::None);
    const auto bytes = readFile(path);
    ASSERT_EQ(bytes.size(), 1078u + 7u * 24u) << "21 pixels at 8 bits make rows of 24 bytes";
    EXPECT_EQ(read32(bytes, 34), 7u * 24u);
    const auto decoded = decodeBitmap(bytes);
    ASSERT_TRUE(decoded.ok());
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 21; ++x)
            ASSERT_EQ(decoded.bitmap.colour(x, y), canvas->pixelColour(x, y)) << x << "," << y;
    // Saving again replaces the file.
    ASSERT_EQ(writeBitmapFile(bitmap, path.string(), systemFiles()), SaveError::None);
    EXPECT_EQ(readFile(path).size(), bytes.size());
    std::filesystem::remove_all(dir);
}

TEST(SavePicture, FailuresAreReportedAndAPartlyWrittenFileStays)
{
    auto canvas = makeCanvas(40, 30);
    const auto bitmap = capturePicture(*canvas);
    {
        MemoryFiles files;
        files.failCreate = true;
        EXPECT_EQ(writeBitmapFile(bitmap, "x.bmp", files), SaveError::CannotCreate);
    }
    {
        MemoryFiles files;
        files.failingWrite = 3; // the colour table
        EXPECT_EQ(writeBitmapFile(bitmap, "x.bmp", files), SaveError::ShortWrite);
        EXPECT_EQ(files.bytes.size(), 14u + 40u + 512u) << "what was written stays";
        EXPECT_EQ(files.writes, 3) << "nothing is written after the short write";
    }
    {
        MemoryFiles files;
        files.failClose = true;
        EXPECT_EQ(writeBitmapFile(bitmap, "x.bmp", files), SaveError::ShortWrite);
    }
    {
        MemoryFiles files;
        EXPECT_EQ(writeBitmapFile(std::vector<uint8_t>(20, 0), "x.bmp", files), SaveError::Unsupported);
        EXPECT_TRUE(files.created.empty()) << "no file for a picture that cannot be written";
    }
    // The real file system: a directory that does not exist.
    EXPECT_EQ(writeBitmapFile(bitmap, "/nonexistent-dir/x.bmp", systemFiles()), SaveError::CannotCreate);
}
