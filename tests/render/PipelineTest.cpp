// The drawn-surface pipeline's I/O: the positions file opened for every surface and the
// structure listing's rows, on a caller's own state.

#include "render/Listing.h"
#include "render/SurfaceWindow.h"
#include "runtime/Runtime.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
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

using BuildSlab = InTempDir;

TEST_F(BuildSlab, PositionsFileIsEmptyAfterEverySurface)
{
    RecordingReports reports;
    RecordingEnd end;
    rt::Runtime runtime(platform::systemFileSystem(), reports, end);
    const auto surface = std::make_unique<render::DrawnSurface>();
    render::DrawnSurface& s = *surface;
    CountingProgress progress;
    for (LatticeCode code : {LatticeCode::Fcc, LatticeCode::HcpB, LatticeCode::Fcc}) {
        s.latticeCode = code;
        s.miller = {1, 1, 1};
        render::loadLattice(s);
        EXPECT_TRUE(render::buildSlab(s, runtime, progress));
        ASSERT_TRUE(std::filesystem::exists("posit.txt"));
        EXPECT_EQ(std::filesystem::file_size("posit.txt"), 0u);
        EXPECT_GT(s.atoms.count, 0);
    }
    EXPECT_TRUE(reports.texts.empty());
    EXPECT_TRUE(end.exits.empty());
    EXPECT_NEAR(s.frame.rows[2][2], 0.5773503f, 1e-7f);
}

TEST_F(BuildSlab, UnopenablePositionsFileIsASevereErrorAndNoAtom)
{
    std::filesystem::create_directory("posit.txt");
    RecordingReports reports;
    RecordingEnd end;
    rt::Runtime runtime(platform::systemFileSystem(), reports, end);
    const auto surface = std::make_unique<render::DrawnSurface>();
    render::DrawnSurface& s = *surface;
    s.atoms.count = 77;
    CountingProgress progress;
    render::loadLattice(s);
    EXPECT_FALSE(render::buildSlab(s, runtime, progress));
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
        render::writeStructureListing(l, runtime);
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
