#include "geometry/Listing.h"
#include "geometry/Slab.h"
#include "runtime/Runtime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

using namespace geometry;

namespace {

struct CountingProgress final : ProgressOutput {
    int dots = 0;
    int clears = 0;
    void writeText(std::string_view text) override { dots += int(text.size()); }
    void clearWindow() override { ++clears; }
};

struct Slab {
    LatticeDefinition lattice;
    SurfaceFrame frame;
    AtomTable atoms;
    int dots = 0;
};

// A static table: the atom table is large, so tests share one instance like the program.
Slab& slabOf(LatticeCode code, MillerIndices m)
{
    static Slab slab;
    selectLattice(code, slab.lattice);
    slab.frame = orientSurface(m, slab.lattice);
    CountingProgress progress;
    fillSlab(code, slab.lattice, slab.frame, slab.atoms, progress);
    slab.dots = progress.dots;
    return slab;
}

// Atom counts per layer, keyed by depth in drawing units (w3) rounded to a thousandth.
std::map<long, int> layers(const Slab& s)
{
    std::map<long, int> out;
    for (int k = 1; k <= s.atoms.count; ++k)
        ++out[std::lround(s.atoms.frameZ[k] / s.lattice.displayScale * 1000.0f)];
    return out;
}

} // namespace

TEST(Slab, WorkedCountsAndLayers)
{
    struct Case {
        LatticeCode code;
        MillerIndices m;
        int count;
        std::map<long, int> layers;
    } cases[] = {
        {LatticeCode::Fcc, {1, 0, 0}, 3528, {{0, 882}, {-16000, 882}, {-32000, 882}, {-48000, 882}}},
        {LatticeCode::Bcc, {1, 0, 0}, 1764, {{0, 441}, {-13056, 441}, {-26112, 441}, {-39168, 441}}},
        {LatticeCode::HcpA, {0, 0, 1}, 676, {{-26128, 676}}},
        {LatticeCode::HcpB, {0, 0, 1}, 1352, {{0, 676}, {-26128, 676}}},
        {LatticeCode::Fcc, {1, 1, 1}, 3691, {{0, 1267}, {-18475, 1233}, {-36950, 1191}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "code " << int(c.code) << " (" << c.m.h << c.m.k << c.m.l << ")");
        const Slab& s = slabOf(c.code, c.m);
        EXPECT_EQ(s.atoms.count, c.count);
        EXPECT_EQ(layers(s), c.layers);
    }
}

TEST(Slab, ZincBlendeLayersAlternateSpecies)
{
    const Slab& a = slabOf(LatticeCode::ZincBlendeA, {0, 0, 1});
    EXPECT_EQ(a.atoms.count, 9464);
    const auto l = layers(a);
    ASSERT_EQ(l.size(), 7u);
    for (const auto& [depth, n] : l)
        EXPECT_EQ(n, 1352) << depth;
    for (int k = 1; k <= a.atoms.count; ++k) {
        const long layer = -std::lround(a.atoms.frameZ[k] / a.lattice.displayScale / 8.0f);
        ASSERT_EQ(a.atoms.species[k], layer % 2) << "atom " << k;
    }
    EXPECT_EQ(slabOf(LatticeCode::ZincBlendeB, {0, 0, 1}).atoms.count, 8112);
}

TEST(Slab, TableCapStopsGenerationAndDots)
{
    const Slab& s = slabOf(LatticeCode::ZincBlendeA, {1, 1, 1});
    EXPECT_EQ(s.atoms.count, AtomTable::Capacity);
    EXPECT_LT(s.dots, 26 * 26) << "the dots of the rows not reached are not written";
    EXPECT_GT(s.dots, 0);
    // Generation order: by cell and basis, so the identity drawing order.
    for (int k = 1; k <= s.atoms.count; ++k)
        ASSERT_EQ(s.atoms.drawOrder[k], k);
}

TEST(Slab, DotsAndViewCopies)
{
    const Slab& s = slabOf(LatticeCode::Fcc, {1, 0, 0});
    EXPECT_EQ(s.dots, 21 * 21);
    for (int k = 1; k <= s.atoms.count; ++k) {
        ASSERT_EQ(s.atoms.viewX[k], s.atoms.frameX[k]);
        ASSERT_EQ(s.atoms.viewY[k], s.atoms.frameY[k]);
        ASSERT_EQ(s.atoms.viewZ[k], s.atoms.frameZ[k]);
        ASSERT_EQ(s.atoms.species[k], 0);
    }
    EXPECT_EQ(slabOf(LatticeCode::HcpA, {0, 0, 1}).dots, 26 * 26);
}

TEST(Slab, DepthWindowIsExclusive)
{
    // FCC (1 0 0) puts whole layers at depths 0, -16, -32, -48: move the window onto them.
    static Slab s;
    selectLattice(LatticeCode::Fcc, s.lattice);
    s.frame = orientSurface({1, 0, 0}, s.lattice);
    s.lattice.depthHigh = 0.0f;
    s.lattice.depthLow = -48.0f;
    NoProgress none;
    fillSlab(LatticeCode::Fcc, s.lattice, s.frame, s.atoms, none);
    EXPECT_EQ(s.atoms.count, 2 * 882);
}

TEST(Slab, ZeroIndicesKeepNoAtom)
{
    const Slab& s = slabOf(LatticeCode::Fcc, {0, 0, 0});
    EXPECT_EQ(s.atoms.count, 0);
}

TEST(Slab, HugeIndicesStayWithinTheTable)
{
    for (MillerIndices m : {MillerIndices{32767, 32767, 32767}, MillerIndices{-32767, 1, 32767}}) {
        const Slab& s = slabOf(LatticeCode::HcpB, m);
        EXPECT_GE(s.atoms.count, 0);
        EXPECT_LE(s.atoms.count, AtomTable::Capacity);
        for (int k = 1; k <= s.atoms.count; ++k)
            ASSERT_TRUE(std::isfinite(s.atoms.frameX[k]) && std::isfinite(s.atoms.frameZ[k]));
    }
}

namespace {

// Runs a test body in a fresh temporary working directory.
class InTempDir : public testing::Test {
protected:
    void SetUp() override
    {
        m_old = std::filesystem::current_path();
        char tmpl[] = "/tmp/facetor-slab-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        m_dir = tmpl;
        std::filesystem::current_path(m_dir);
    }
    void TearDown() override
    {
        std::filesystem::current_path(m_old);
        std::filesystem::remove_all(m_dir);
    }
    std::filesystem::path m_old, m_dir;
};

struct RecordingEnd final : rt::ProgramEnd {
    std::vector<int> ended;
    std::vector<uint32_t> exits;
    void programEnded(int code) override { ended.push_back(code); }
    void exitProcess(uint32_t status) override { exits.push_back(status); }
};

struct RecordingReports final : rt::ReportSink {
    std::vector<std::string> texts;
    void showReport(uint32_t, std::string_view text) override { texts.emplace_back(text); }
};

struct WindowLines final : rt::WindowTextSink {
    std::string text;
    void writeWindowText(int, std::string_view t) override { text += t; }
};

} // namespace

using GenerateSlab = InTempDir;

TEST_F(GenerateSlab, PositionsFileIsEmptyAfterEverySurface)
{
    RecordingReports reports;
    RecordingEnd end;
    rt::Runtime runtime(platform::systemFileSystem(), reports, end);
    static Slab s;
    CountingProgress progress;
    for (LatticeCode code : {LatticeCode::Fcc, LatticeCode::HcpB, LatticeCode::Fcc}) {
        selectLattice(code, s.lattice);
        generateSlab(code, {1, 1, 1}, s.lattice, s.frame, s.atoms, runtime, progress);
        ASSERT_TRUE(std::filesystem::exists("posit.txt"));
        EXPECT_EQ(std::filesystem::file_size("posit.txt"), 0u);
        EXPECT_GT(s.atoms.count, 0);
    }
    EXPECT_TRUE(reports.texts.empty());
    EXPECT_TRUE(end.exits.empty());
    EXPECT_NEAR(s.frame.rows[2][2], 0.5773503f, 1e-7f);
}

TEST_F(GenerateSlab, UnopenablePositionsFileIsASevereErrorAndNoAtom)
{
    std::filesystem::create_directory("posit.txt");
    RecordingReports reports;
    RecordingEnd end;
    rt::Runtime runtime(platform::systemFileSystem(), reports, end);
    static Slab s;
    s.atoms.count = 77;
    CountingProgress progress;
    selectLattice(LatticeCode::Fcc, s.lattice);
    generateSlab(LatticeCode::Fcc, {1, 0, 0}, s.lattice, s.frame, s.atoms, runtime, progress);
    EXPECT_EQ(s.atoms.count, 0);
    EXPECT_EQ(progress.dots, 0);
    ASSERT_EQ(reports.texts.size(), 1u);
    EXPECT_EQ(reports.texts[0], "rtxrtl: severe (30): open failure, unit 11, file posit.txt\r\n");
    ASSERT_EQ(end.exits.size(), 1u);
    EXPECT_EQ(end.exits[0] & 0xFFu, 30u);
    EXPECT_EQ(end.ended, std::vector<int>{1});
}

TEST(Listing, RowsForEveryLattice)
{
    struct Case {
        LatticeCode code;
        std::vector<std::string> lines;
    } cases[] = {
        {LatticeCode::Bcc,
         {" lattice vectors", "   [ 0.816,  0.000,  0.000]", "   [ 0.000,  0.816,  0.000]",
          "   [ 0.000,  0.000,  0.816]", " basis-atom positions", "   [ 0.000,  0.000,  0.000]",
          "   [ 0.500,  0.500,  0.500]"}},
        {LatticeCode::Fcc,
         {" lattice vectors", "   [ 1.000,  0.000,  0.000]", "   [ 0.000,  1.000,  0.000]",
          "   [ 0.000,  0.000,  1.000]", " basis-atom positions", "   [ 0.000,  0.000,  0.000]",
          "   [ 0.000,  0.500,  0.500]", "   [ 0.500,  0.000,  0.500]", "   [ 0.500,  0.500,  0.000]"}},
        {LatticeCode::HcpB,
         {" lattice vectors", "   [ 0.866, -0.500,  0.000]", "   [ 0.000,  1.000,  0.000]",
          "   [ 0.000,  0.000,  1.633]", " basis-atom positions", "   [ 0.000,  0.000,  0.000]",
          "   [ 0.667,  0.333,  0.500]"}},
        {LatticeCode::ZincBlendeA,
         {" lattice vectors", "   [ 1.000,  0.000,  0.000]", "   [ 0.000,  1.000,  0.000]",
          "   [ 0.000,  0.000,  1.000]", " basis-atom positions", "   [ 0.000,  0.000,  0.000]",
          "   [ 0.000,  0.500,  0.500]", "   [ 0.500,  0.000,  0.500]", "   [ 0.500,  0.500,  0.000]",
          "   [ 0.250,  0.250,  0.250]", "   [ 0.250,  0.750,  0.750]", "   [ 0.750,  0.250,  0.750]",
          "   [ 0.750,  0.750,  0.250]"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.code));
        RecordingReports reports;
        RecordingEnd end;
        rt::Runtime runtime(platform::systemFileSystem(), reports, end);
        WindowLines window;
        runtime.units().connectWindow(6, &window);
        LatticeDefinition l;
        selectLattice(c.code, l);
        writeStructureListing(l, runtime);
        std::string expected;
        for (const auto& line : c.lines) {
            if (line[3] == '[') {
                EXPECT_EQ(line.size(), 27u);
            }
            expected += line + "\r\n";
        }
        EXPECT_EQ(window.text, expected);
    }
}
