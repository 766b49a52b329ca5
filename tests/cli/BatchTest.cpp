// The batch front end as a user runs it: the real executable in a scratch directory.

#include "tests/cli/CommandRun.h"
#include "tests/platform/PngRead.h"
#include "winrt/BitmapFile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

using RunResult = cli::test::CommandResult;
using cli::test::slurp;

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

} // namespace

class Batch : public cli::test::CommandRun {};

TEST_F(Batch, ListingIsTheWindowText)
{
    const RunResult r = run("listing --lattice hcp --termination B");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out,
              " lattice vectors\n"
              "   [ 0.866, -0.500,  0.000]\n"
              "   [ 0.000,  1.000,  0.000]\n"
              "   [ 0.000,  0.000,  1.633]\n"
              " basis-atom positions\n"
              "   [ 0.000,  0.000,  0.000]\n"
              "   [ 0.667,  0.333,  0.500]\n");
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(workFiles().empty()) << "a listing opens no positions file";
}

TEST_F(Batch, SlabCountsOfTheWorkedSurfaces)
{
    struct Case {
        const char* args;
        int count;
    } cases[] = {
        {"--lattice fcc --hkl 1 0 0", 3528},
        {"--lattice bcc --hkl 1 0 0", 1764},
        {"--lattice hcp --termination A --hkl 0 0 1", 676},
        {"--lattice hcp --termination B --hkl 0 0 1", 1352},
        {"--lattice zincblende --termination A --hkl 0 0 1", 9464},
        {"--lattice zincblende --termination B --hkl 0 0 1", 8112},
        {"--lattice fcc --hkl 1 1 1", 3691},
        {"--lattice zincblende --termination A --hkl 1 1 1", 10000},
        {"--lattice fcc --hkl 0 0 0", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        const RunResult r = run(std::string("slab ") + c.args);
        ASSERT_EQ(r.status, 0) << r.err;
        const auto l = lines(r.out);
        ASSERT_FALSE(l.empty());
        EXPECT_EQ(l[0], "count " + std::to_string(c.count));
        EXPECT_EQ(l.size(), std::size_t(c.count) + 1);
        EXPECT_TRUE(fs::exists(work() / "posit.txt"));
        EXPECT_EQ(fs::file_size(work() / "posit.txt"), 0u);
    }
}

TEST_F(Batch, SlabRowsAreDepthSortedAndReadBack)
{
    const RunResult r = run("slab --lattice fcc --hkl 1 1 1");
    ASSERT_EQ(r.status, 0);
    const auto l = lines(r.out);
    ASSERT_EQ(l.size(), 3692u);
    std::vector<float> viewZ(3692);
    std::vector<int> order(3692);
    for (std::size_t i = 1; i < l.size(); ++i) {
        std::istringstream row(l[i]);
        int k, species, drawOrder;
        float fx, fy, fz, vx, vy, vz;
        ASSERT_TRUE(row >> k >> species >> fx >> fy >> fz >> vx >> vy >> vz >> drawOrder) << l[i];
        EXPECT_EQ(k, int(i));
        EXPECT_EQ(species, 0);
        EXPECT_EQ(vz, fz) << "no view given: view equals frame";
        viewZ[k] = vz;
        order[k] = drawOrder;
    }
    for (int k = 2; k <= 3691; ++k)
        ASSERT_LE(viewZ[order[k - 1]], viewZ[order[k]]) << "deepest first, at " << k;
    // The surface layer lies at depth 0: it is drawn last.
    EXPECT_NEAR(viewZ[order[3691]], 0.0f, 1e-3f);
}

TEST_F(Batch, ViewIsApplied)
{
    const RunResult r = run("slab --lattice bcc --hkl 1 0 0 --rotate 90");
    ASSERT_EQ(r.status, 0);
    const auto l = lines(r.out);
    ASSERT_GT(l.size(), 1u);
    std::istringstream row(l[1]);
    int k, species, order;
    float fx, fy, fz, vx, vy, vz;
    ASSERT_TRUE(row >> k >> species >> fx >> fy >> fz >> vx >> vy >> vz >> order);
    EXPECT_EQ(vx, fy);
    EXPECT_EQ(vy, -fx);
    EXPECT_EQ(vz, fz);
}

TEST_F(Batch, XyzInLatticeUnits)
{
    const RunResult r = run("slab --lattice zincblende --termination A --hkl 0 0 1 --format xyz");
    ASSERT_EQ(r.status, 0);
    const auto l = lines(r.out);
    ASSERT_EQ(l.size(), 9464u + 2);
    EXPECT_EQ(l[0], "9464");
    EXPECT_EQ(l[1], "zincblende termination A (0 0 1), lattice units, z along the outward plane normal");
    int second = 0;
    for (std::size_t i = 2; i < l.size(); ++i) {
        std::istringstream row(l[i]);
        std::string sym;
        float x, y, z;
        ASSERT_TRUE(row >> sym >> x >> y >> z);
        ASSERT_TRUE(sym == "X" || sym == "Y");
        second += sym == "Y";
        // Layers a quarter cube edge apart, from the surface at 0 down to -1.5.
        const float quarters = z * 4.0f;
        ASSERT_NEAR(quarters, std::round(quarters), 1e-4f);
        ASSERT_LE(z, 0.0f);
        ASSERT_GE(z, -1.5f);
    }
    EXPECT_EQ(second, 3 * 1352);
}

TEST_F(Batch, BadArgumentsExitTwoAndWriteNothing)
{
    for (const char* args : {"slab --lattice fcc --hkl 1 1", "render --lattice fcc --hkl 1 1 1 --out x.gif",
                             "slab --lattice fcc --hkl 1 1 1 --tilt nan", "frobnicate"}) {
        SCOPED_TRACE(args);
        const RunResult r = run(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        const auto l = lines(r.err);
        ASSERT_GE(l.size(), 2u);
        EXPECT_EQ(l[0].rfind("facetor: ", 0), 0u) << l[0];
        EXPECT_EQ(l[1].rfind("usage: ", 0), 0u);
        EXPECT_TRUE(workFiles().empty());
    }
    const RunResult help = run("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("usage: facetor", 0), 0u);
    const RunResult version = run("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("facetor ", 0), 0u);
}

TEST_F(Batch, PositionsFileThatCannotBeCreated)
{
    fs::create_directory(work() / "posit.txt");
    const RunResult r = run("slab --lattice fcc --hkl 1 1 1");
    EXPECT_EQ(r.status, 30);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "rtxrtl: severe (30): open failure, unit 11, file posit.txt\n");
}

TEST_F(Batch, PositionsFileWithoutPermission)
{
    // Tests run as root, which file modes do not stop; sysfs refuses new files even to root.
    std::FILE* probe = std::fopen("/sys/facetor-probe", "w");
    const int err = errno;
    if (probe || err != EACCES) {
        if (probe)
            std::fclose(probe);
        GTEST_SKIP() << "no directory here refuses file creation with EACCES";
    }
    const RunResult r = runIn("/sys", "slab --lattice fcc --hkl 1 1 1");
    EXPECT_EQ(r.status, 9);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "rtxrtl: severe (9): permission to access file denied, unit 11, file posit.txt\n");
}

TEST_F(Batch, HugeAnglesFinish)
{
    for (const char* view : {"--rotate 1e30 --tilt -1e30", "--rotate -3.4e38 --tilt 3.4e38", "--tilt 90"}) {
        SCOPED_TRACE(view);
        const RunResult r = run(std::string("slab --lattice fcc --hkl 1 1 1 ") + view);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out.find("nan"), std::string::npos);
        EXPECT_EQ(r.out.rfind("count 3691\n", 0), 0u);
    }
    const RunResult big = run("render --lattice zincblende --hkl 1 1 1 --rotate 1e30 --tilt 1e30 --out big.bmp");
    EXPECT_EQ(big.status, 0) << big.err;
}

TEST_F(Batch, HugeIndicesFinish)
{
    for (const char* hkl : {"32767 32767 32767", "-32768 0 32767", "30000 -30000 1"}) {
        SCOPED_TRACE(hkl);
        const RunResult r = run(std::string("slab --lattice hcp --hkl ") + hkl);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out.find("nan"), std::string::npos);
        EXPECT_EQ(r.out.find("inf"), std::string::npos);
    }
}

TEST_F(Batch, RenderWritesTheVisibleArea)
{
    const RunResult bmp = run("render --lattice bcc --hkl 1 1 0 --out pic.bmp");
    ASSERT_EQ(bmp.status, 0) << bmp.err;
    EXPECT_EQ(fs::file_size(work() / "pic.bmp"), 1078u + 450u * 500u);
    EXPECT_EQ(fs::file_size(work() / "posit.txt"), 0u);

    // The PNG holds the bitmap's pixels (it is encoded from the canvas's rows in place).
    ASSERT_EQ(run("render --lattice bcc --hkl 1 1 0 --out pic.png").status, 0);
    const auto bytesOf = [](const std::string& s) {
        return std::span(reinterpret_cast<const uint8_t*>(s.data()), s.size());
    };
    const auto bitmap = winrt::decodeBitmap(bytesOf(slurp(work() / "pic.bmp"))).bitmap;
    std::vector<uint8_t> expected;
    for (const auto& c : bitmap.pixels)
        expected.insert(expected.end(), {c.red, c.green, c.blue});
    EXPECT_TRUE(platform::test::decodeRgb(bytesOf(slurp(work() / "pic.png")), bitmap.width, bitmap.height) == expected)
        << "the PNG's pixels are not the bitmap's";

    // The extension picks the format whatever its case, as for figures and exports.
    const RunResult png = run("render --lattice bcc --hkl 1 1 0 --out pic.PNG --screen 800x600");
    ASSERT_EQ(png.status, 0) << png.err;
    const std::string head = slurp(work() / "pic.PNG").substr(0, 8);
    EXPECT_EQ(head, "\x89PNG\r\n\x1a\n");

    const RunResult bad = run("render --lattice bcc --hkl 1 1 0 --out missing/pic.bmp");
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.err, "facetor: cannot write missing/pic.bmp: No such file or directory\n");
    const RunResult badPng = run("render --lattice bcc --hkl 1 1 0 --out missing/pic.png");
    EXPECT_EQ(badPng.status, 1);
    EXPECT_EQ(badPng.err.rfind("facetor: cannot write missing/pic.png: ", 0), 0u) << badPng.err;
}
