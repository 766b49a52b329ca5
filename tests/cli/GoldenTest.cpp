// Whole pictures of the render pipeline compared byte for byte with files kept in tests/data.
// scripts/rebaseline writes them anew, only on purpose.

#include "winrt/BitmapFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Golden {
    const char* name;
    const char* args;
};

const Golden goldens[] = {
    {"fcc-111", "--lattice fcc --hkl 1 1 1"},
    {"zincblende-A-001", "--lattice zincblende --termination A --hkl 0 0 1"},
    {"hcp-B-001", "--lattice hcp --termination B --hkl 0 0 1"},
    {"fcc-111-rot30-tilt40", "--lattice fcc --hkl 1 1 1 --rotate 30 --tilt 40"},
    {"zincblende-A-111-rot-15-tilt60", "--lattice zincblende --termination A --hkl 1 1 1 --rotate -15 --tilt 60"},
};

std::vector<uint8_t> readAll(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

class GoldenPicture : public testing::TestWithParam<Golden> {};

TEST_P(GoldenPicture, MatchesTheKeptFile)
{
    const Golden& g = GetParam();
    const fs::path outDir = fs::path(FACETOR_BUILD_DIR) / "golden-actual";
    fs::create_directories(outDir);
    const fs::path actualPath = outDir / (std::string(g.name) + ".bmp");
    fs::remove(actualPath);
    const std::string cmd = "cd '" + outDir.string() + "' && '" FACETOR_BIN "' render " + g.args + " --out '"
        + actualPath.string() + "' >/dev/null";
    const int raw = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << cmd;

    const auto actual = readAll(actualPath);
    const auto expected = readAll(fs::path(FACETOR_SOURCE_DIR) / "tests/data" / (std::string(g.name) + ".bmp"));
    ASSERT_FALSE(expected.empty()) << "no golden file for " << g.name << "; run scripts/rebaseline";
    if (actual == expected)
        return;

    const auto a = winrt::decodeBitmap(actual);
    const auto e = winrt::decodeBitmap(expected);
    ASSERT_TRUE(a.ok() && e.ok());
    ASSERT_EQ(a.bitmap.width, e.bitmap.width);
    ASSERT_EQ(a.bitmap.height, e.bitmap.height);
    int differing = 0;
    std::string first;
    for (int y = 0; y < a.bitmap.height; ++y)
        for (int x = 0; x < a.bitmap.width; ++x)
            if (a.bitmap.index(x, y) != e.bitmap.index(x, y) && differing++ == 0)
                first = "(" + std::to_string(x) + ", " + std::to_string(y) + "): index "
                    + std::to_string(a.bitmap.index(x, y)) + ", expected " + std::to_string(e.bitmap.index(x, y));
    ADD_FAILURE() << g.name << ": " << differing << " pixels differ, first at " << first
                  << (differing == 0 ? " (the headers or colour tables differ)" : "") << "; actual picture kept at "
                  << actualPath;
}

INSTANTIATE_TEST_SUITE_P(Render, GoldenPicture, testing::ValuesIn(goldens),
                         [](const testing::TestParamInfo<Golden>& info) {
                             std::string n = info.param.name;
                             for (char& c : n)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return n;
                         });

TEST(RenderPicture, VisibleAreaWithTheApplicationColours)
{
    const auto bytes = readAll(fs::path(FACETOR_SOURCE_DIR) / "tests/data/fcc-111.bmp");
    const auto d = winrt::decodeBitmap(bytes);
    ASSERT_TRUE(d.ok());
    EXPECT_EQ(d.bitmap.width, 500);
    EXPECT_EQ(d.bitmap.height, 450);
    EXPECT_EQ(d.bitmap.bitsPerPixel, 8);
    EXPECT_EQ(bytes.size(), 1078u + 450u * 500u);
    ASSERT_EQ(d.bitmap.colourTable.size(), 256u);
    EXPECT_EQ(d.bitmap.colourTable[68], (winrt::Rgb{85, 85, 170}));
    EXPECT_EQ(d.bitmap.colourTable[15], (winrt::Rgb{255, 119, 0}));
    // The surface covers the picture: ball blue, the shading and the black rims everywhere.
    int blue = 0;
    for (int y = 0; y < 450; ++y)
        for (int x = 0; x < 500; ++x)
            blue += d.bitmap.colour(x, y).blue > d.bitmap.colour(x, y).red;
    EXPECT_GT(blue, 500 * 450 * 3 / 4);
}
