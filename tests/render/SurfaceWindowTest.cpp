#include "render/SurfaceWindow.h"

#include "platform/headless/HeadlessPlatform.h"
#include "render/Palette.h"
#include "render/Scene.h"
#include "runtime/Runtime.h"
#include "winrt/WindowRuntime.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using geometry::LatticeCode;
using geometry::MillerIndices;
using platform::HeadlessPlatform;
using winrt::Rgb;

// The part of the window the picture is made for: 50 columns by 25 rows of 10 x 18 cells.
constexpr int VisibleWidth = 500;
constexpr int VisibleHeight = 450;

// Reports and the program's end, recorded instead of shown and acted on.
class RecordingReports final : public rt::ReportSink {
public:
    std::vector<std::string> texts;
    void showReport(uint32_t, std::string_view text) override { texts.emplace_back(text); }
};

class RecordingEnd final : public rt::ProgramEnd {
public:
    std::vector<int> codes;
    std::vector<uint32_t> exits;
    void programEnded(int code) override { codes.push_back(code); }
    void exitProcess(uint32_t status) override { exits.push_back(status); }
};

// Passes each record of a window unit on to the window, as the program does, and notes the
// record and what the window's text holds right after it: the listing is cleared away before
// the picture is drawn, so this is the moment to see that it reached the window.
class ObservedWindowText final : public rt::WindowTextSink {
public:
    explicit ObservedWindowText(winrt::WindowRuntime& windows) : m_windows(windows), m_output(windows) {}

    std::vector<std::string> records;
    std::vector<winrt::TextPiece> piecesAfterLastRecord;

    void writeWindowText(int unit, std::string_view text) override
    {
        m_output.writeWindowText(unit, text);
        records.emplace_back(text);
        if (auto canvas = m_windows.windowCanvas(m_windows.unitWindow(unit)))
            piecesAfterLastRecord = canvas->canvas().textPieces();
    }

private:
    winrt::WindowRuntime& m_windows;
    render::WindowUnitOutput m_output;
};

// Runs each test in a fresh empty directory: the positions file lands in the working directory.
class TempWorkingDirectory {
public:
    TempWorkingDirectory() : m_previous(fs::current_path())
    {
        std::string pattern = (fs::temp_directory_path() / "facetor-app-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot create a temporary directory");
        m_path = pattern;
        fs::current_path(m_path);
    }
    ~TempWorkingDirectory()
    {
        std::error_code ec;
        fs::current_path(m_previous, ec);
        fs::remove_all(m_path, ec);
    }
    const fs::path& path() const { return m_path; }

private:
    fs::path m_previous;
    fs::path m_path;
};

std::vector<Rgb> coloursOf(const winrt::Canvas& canvas)
{
    std::vector<Rgb> p;
    for (int i = 0; i < canvas.colourCount(); ++i)
        p.push_back(canvas.paletteEntry(i));
    return p;
}

std::vector<Rgb> applicationPalette()
{
    std::vector<Rgb> p;
    for (uint32_t c : render::kApplicationPalette)
        p.push_back(Rgb::fromPaletteValue(c));
    return p;
}

std::vector<uint8_t> pixelsOf(const winrt::Canvas& canvas) { return {canvas.pixels().begin(), canvas.pixels().end()}; }

// Pixels of the given index inside the visible area.
int countInVisibleArea(const winrt::Canvas& canvas, uint8_t index)
{
    int n = 0;
    for (int y = 0; y < std::min(VisibleHeight, canvas.height()); ++y)
        for (int x = 0; x < std::min(VisibleWidth, canvas.width()); ++x)
            n += canvas.pixel(x, y) == index;
    return n;
}

bool allPixels(const winrt::Canvas& canvas, uint8_t index)
{
    auto p = canvas.pixels();
    return std::all_of(p.begin(), p.end(), [index](uint8_t v) { return v == index; });
}

std::set<uint8_t> indicesUsed(const winrt::Canvas& canvas)
{
    auto p = canvas.pixels();
    return {p.begin(), p.end()};
}

std::string withoutLineEnd(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

// The application on a headless 1024 x 768 screen, with the default units on its window.
class SurfaceWindowTest : public testing::Test {
protected:
    explicit SurfaceWindowTest(platform::DisplayInfo display = {}) : screen(display) {}

    void SetUp() override
    {
        for (int unit : {0, 5, 6})
            runtime.units().connectWindow(unit, &windowText);
    }

    void show(LatticeCode code, MillerIndices miller)
    {
        state.latticeCode = code;
        state.miller = miller;
        application.showSurface();
    }

    std::shared_ptr<winrt::WindowCanvas> windowCanvas() const { return windows.windowCanvas(windows.focusWindow()); }

    HeadlessPlatform::ChildWindow appChild() const
    {
        auto info = windows.windowInfo(windows.focusWindow());
        auto child = info ? screen.child(info->platformWindow) : std::nullopt;
        return child.value_or(HeadlessPlatform::ChildWindow{});
    }

    TempWorkingDirectory directory;
    HeadlessPlatform screen;
    winrt::WindowRuntime windows{screen};
    RecordingReports reports;
    RecordingEnd end;
    rt::Runtime runtime{platform::systemFileSystem(), reports, end};
    ObservedWindowText windowText{windows};
    std::unique_ptr<render::DrawnSurface> surface = std::make_unique<render::DrawnSurface>();
    render::DrawnSurface& state = *surface;
    render::SurfaceWindow application{windows, runtime, state};
};

TEST(SurfaceTitle, NamesLatticeAndIndicesInAFortyCharacterFieldThenFortyBlanks)
{
    struct Case {
        LatticeCode code;
        MillerIndices miller;
        std::string text;
    };
    const Case cases[] = {
        {LatticeCode::Bcc, {1, 0, 0}, "BCC (  1,  0,  0)"},
        {LatticeCode::Fcc, {1, 1, 1}, "FCC (  1,  1,  1)"},
        {LatticeCode::HcpA, {0, 0, 1}, "HCP (  0,  0,  1) A"},
        {LatticeCode::HcpB, {0, 0, 1}, "HCP (  0,  0,  1)  B"},
        {LatticeCode::ZincBlendeA, {1, 1, 0}, "Zinc Blend (  1,  1,  0) A"},
        {LatticeCode::ZincBlendeB, {1, 1, 1}, "Zinc Blend (  1,  1,  1) B"},
        {LatticeCode::Fcc, {-1, 1, 1}, "FCC ( -1,  1,  1)"},
        {LatticeCode::Fcc, {999, -99, 12}, "FCC (999,-99, 12)"},
        {LatticeCode::Fcc, {1000, -100, 0}, "FCC (***,***,  0)"},
        {LatticeCode::ZincBlendeB, {-32768, 32767, -100}, "Zinc Blend (***,***,***) B"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::string title = render::surfaceTitle(c.code, c.miller);
        ASSERT_EQ(title.size(), 80u);
        EXPECT_EQ(title.substr(0, c.text.size()), c.text);
        EXPECT_EQ(title.substr(c.text.size()), std::string(80 - c.text.size(), ' '));
    }
    EXPECT_EQ(render::surfaceTitle(LatticeCode::Fcc, {1, 1, 1}).find_last_not_of(' '), 16u); // 17 characters
    EXPECT_EQ(render::startTitle(), "planes" + std::string(74, ' '));
}

TEST_F(SurfaceWindowTest, StartUpMaximisesTheFrameAndPreparesTheOneChildWindow)
{
    application.startUp();

    EXPECT_EQ(screen.frameState(), platform::ShowState::Maximised);
    const auto log = screen.log();
    EXPECT_NE(std::find(log.begin(), log.end(), "frame-state maximised"), log.end());

    // The default units' window is the program thread's window and the only one.
    const int32_t window = windows.focusWindow();
    EXPECT_EQ(window, winrt::FirstWindowHandle);
    EXPECT_EQ(windows.currentWindow(), window);
    EXPECT_EQ(windows.unitWindow(6), window);
    EXPECT_EQ(screen.childCount(), 1);

    auto info = windows.windowInfo(window);
    ASSERT_TRUE(info);
    EXPECT_TRUE(info->configured);
    EXPECT_TRUE(info->shown);
    EXPECT_EQ(info->title, render::startTitle());
    auto child = appChild();
    EXPECT_EQ(child.title, render::startTitle());
    EXPECT_TRUE(child.visible);
    // 50 columns and 25 rows of 10 x 18 cells at the frame's top left corner, plus the vertical
    // scroll bar and borders across, and the caption, horizontal scroll bar and borders down.
    EXPECT_EQ(child.outer, (platform::Rect{0, 0, 500 + 16 + 8, 450 + 19 + 16 + 8 + 1}));
    EXPECT_EQ(application.size(), (winrt::WindowSizeRecord{4, 0, 0, 25, 50}));

    // The record as the runtime wrote it back: the screen in whole cells.
    EXPECT_EQ(application.config().colour_count, 256);
    EXPECT_EQ(application.config().font_size, winrt::fontCell(10, 18));
    EXPECT_EQ(application.config().pixel_width, 1020);
    EXPECT_EQ(application.config().pixel_height, 756);
    EXPECT_EQ(application.config().text_columns, 102);
    EXPECT_EQ(application.config().text_rows, 42);
    EXPECT_EQ(std::string(application.config().title.data(), 80), render::startTitle());

    auto canvas = windowCanvas();
    ASSERT_NE(canvas, nullptr);
    EXPECT_EQ(canvas->canvas().colourCount(), 256);
    EXPECT_EQ(canvas->canvas().cellWidth(), 10);
    EXPECT_EQ(canvas->canvas().cellHeight(), 18);
    EXPECT_EQ(canvas->canvas().width(), 1020);
    EXPECT_EQ(canvas->canvas().height(), 756);

    EXPECT_EQ(canvas->canvas().paletteEntry(68), (Rgb{85, 85, 170}));
    EXPECT_EQ(canvas->canvas().paletteEntry(15), (Rgb{255, 119, 0}));
    EXPECT_EQ(coloursOf(canvas->canvas()), applicationPalette());

    EXPECT_TRUE(allPixels(canvas->canvas(), 0));
    EXPECT_TRUE(canvas->canvas().textPieces().empty());
    EXPECT_FALSE(canvas->canvas().changed());
    EXPECT_EQ(canvas->canvas().textPosition(), (winrt::TextCell{1, 1}));
    EXPECT_TRUE(reports.texts.empty());
}

// A display whose font comes out one pixel narrower than asked: the first application of the
// record is refused with the measured cell written back, and the second applies it.
TEST_F(SurfaceWindowTest, StartUpAppliesTheCorrectedRecordWhenTheFontIsMeasuredOtherwise)
{
    screen.setFontMeasurement([](const platform::FontRequest& request) {
        platform::FontMetrics m = HeadlessPlatform::measure(request);
        if (request.cellWidth == 10 && request.cellHeight == 18)
            m.averageCharWidth = 7;
        return m;
    });
    application.startUp();

    auto canvas = windowCanvas();
    ASSERT_NE(canvas, nullptr);
    auto info = windows.windowInfo(windows.focusWindow());
    ASSERT_TRUE(info);
    EXPECT_TRUE(info->configured);
    EXPECT_EQ(info->title, render::startTitle());
    EXPECT_EQ(canvas->canvas().cellWidth(), 7);
    EXPECT_EQ(application.config().font_size, winrt::fontCell(7, 18));
    EXPECT_EQ(coloursOf(canvas->canvas()), applicationPalette());
    // Sized in the measured cells.
    EXPECT_EQ(appChild().outer.width, 50 * 7 + 16 + 8);
}

class SixteenColourSurfaceWindowTest : public SurfaceWindowTest {
protected:
    static platform::DisplayInfo sixteenColours()
    {
        platform::DisplayInfo d;
        d.bitsPerPixel = 4;
        return d;
    }
    SixteenColourSurfaceWindowTest() : SurfaceWindowTest(sixteenColours()) {}
};

// 256 colours asked of a 16-colour display: the record is lowered to 16 and applied the second
// time; the application palette does not fit, so the window keeps its default one, and the
// surface is still drawn.
TEST_F(SixteenColourSurfaceWindowTest, StartUpSettlesForTheDisplaysColours)
{
    application.startUp();
    auto canvas = windowCanvas();
    ASSERT_NE(canvas, nullptr);
    EXPECT_EQ(canvas->canvas().colourCount(), 16);
    EXPECT_EQ(application.config().colour_count, 16);
    EXPECT_TRUE(windows.windowInfo(windows.focusWindow())->configured);
    const auto defaults = coloursOf(canvas->canvas());

    show(LatticeCode::Fcc, {1, 0, 0});
    canvas = windowCanvas();
    ASSERT_NE(canvas, nullptr);
    EXPECT_EQ(canvas->canvas().colourCount(), 16);
    EXPECT_EQ(coloursOf(canvas->canvas()), defaults);
    EXPECT_GT(state.atoms.count, 0);
    EXPECT_FALSE(allPixels(canvas->canvas(), 0));
}

TEST_F(SurfaceWindowTest, ShowSurfaceTitlesListsAndDrawsTheSurface)
{
    application.startUp();
    const auto startCanvas = windowCanvas();
    show(LatticeCode::Fcc, {1, 1, 1});

    const std::string title = render::surfaceTitle(LatticeCode::Fcc, {1, 1, 1});
    EXPECT_EQ(windows.windowInfo(windows.focusWindow())->title, title);
    EXPECT_EQ(appChild().title, title);
    EXPECT_EQ(screen.childCount(), 1);

    // The caption change gave the window a new canvas; the application palette is on it again.
    auto canvas = windowCanvas();
    ASSERT_NE(canvas, nullptr);
    EXPECT_NE(canvas, startCanvas);
    EXPECT_EQ(coloursOf(canvas->canvas()), applicationPalette());
    EXPECT_EQ(canvas->canvas().width(), 1020);
    EXPECT_EQ(canvas->canvas().cellWidth(), 10);

    // The listing reached the window: the lattice vectors, then the four basis atoms of FCC,
    // one record per row from the top.
    ASSERT_EQ(windowText.records.size(), 1u + 3u + 1u + 4u);
    EXPECT_EQ(withoutLineEnd(windowText.records[0]), " lattice vectors");
    EXPECT_EQ(withoutLineEnd(windowText.records[4]), " basis-atom positions");
    ASSERT_EQ(windowText.piecesAfterLastRecord.size(), windowText.records.size());
    for (std::size_t i = 0; i < windowText.records.size(); ++i) {
        SCOPED_TRACE(i);
        const auto& piece = windowText.piecesAfterLastRecord[i];
        EXPECT_EQ(piece.row, int(i) + 1);
        EXPECT_EQ(piece.firstColumn, 1);
        EXPECT_EQ(piece.text, withoutLineEnd(windowText.records[i]));
    }
    // ... and was cleared away with the dots before the picture.
    EXPECT_TRUE(canvas->canvas().textPieces().empty());

    // The positions file is opened afresh and left empty.
    EXPECT_TRUE(fs::is_regular_file(directory.path() / "posit.txt"));
    EXPECT_EQ(fs::file_size(directory.path() / "posit.txt"), 0u);
    EXPECT_TRUE(reports.texts.empty());
    EXPECT_TRUE(end.codes.empty());

    // Sorted deepest first, and drawn: blue balls in the visible area, nothing beyond the clip
    // box (a ball's corner lies at most at 500, 450).
    const auto& a = state.atoms;
    ASSERT_GT(a.count, 0);
    for (int k = 1; k < a.count; ++k)
        ASSERT_LE(a.viewZ[a.drawOrder[k]], a.viewZ[a.drawOrder[k + 1]]) << k;
    EXPECT_GT(countInVisibleArea(canvas->canvas(), 68), 0);
    for (int y = 0; y < canvas->canvas().height(); ++y) {
        for (int x = 0; x < canvas->canvas().width(); ++x) {
            if (x > 500 + 32 || y > 450 + 32) {
                ASSERT_EQ(canvas->canvas().pixel(x, y), 0) << x << "," << y;
            }
        }
    }

    // The last ball drawn on the canvas is covered by nothing: its blue disc's left and right
    // edges are blue inside the black rim.
    int16_t x = -1, y = -1;
    for (int k = a.count; k >= 1 && x < 0; --k) {
        int16_t bx = 0, by = 0;
        if (render::ballCorner(a, a.drawOrder[k], bx, by) && bx >= 0 && by >= 0)
            x = bx, y = by;
    }
    ASSERT_GE(x, 0) << "no ball lies wholly on the canvas";
    EXPECT_EQ(canvas->canvas().pixel(x, y + 16), 0);
    EXPECT_EQ(canvas->canvas().pixel(x + 1, y + 16), 68);
    EXPECT_EQ(canvas->canvas().pixel(x + 31, y + 16), 68);
    EXPECT_EQ(canvas->canvas().pixel(x + 32, y + 16), 0);
}

// Every new surface gets a new canvas with the default palette; the application palette has to
// be installed each time, also after the previous surface's palette was changed.
TEST_F(SurfaceWindowTest, EveryNewSurfaceRestoresTheApplicationPalette)
{
    application.startUp();
    show(LatticeCode::Bcc, {1, 0, 0});
    std::vector<uint32_t> grey(256, 0x808080);
    ASSERT_EQ(windowCanvas()->remap_all_palette(grey), 0);

    show(LatticeCode::HcpB, {0, 0, 1});
    auto canvas = windowCanvas();
    ASSERT_NE(canvas, nullptr);
    EXPECT_EQ(coloursOf(canvas->canvas()), applicationPalette());
    EXPECT_EQ(appChild().title, render::surfaceTitle(LatticeCode::HcpB, {0, 0, 1}));
    EXPECT_EQ(appChild().title.substr(0, 20), "HCP (  0,  0,  1)  B");
    EXPECT_GT(countInVisibleArea(canvas->canvas(), 68), 0);
    EXPECT_EQ(screen.childCount(), 1);

    // setSurfaceTitle alone does the same.
    ASSERT_EQ(canvas->remap_all_palette(grey), 0);
    state.latticeCode = LatticeCode::ZincBlendeA;
    state.miller = {1, 1, 0};
    application.setSurfaceTitle();
    canvas = windowCanvas();
    EXPECT_EQ(coloursOf(canvas->canvas()), applicationPalette());
    EXPECT_EQ(appChild().title.substr(0, 26), "Zinc Blend (  1,  1,  0) A");
}

TEST_F(SurfaceWindowTest, ZincBlendeBallsOfTheFirstSpeciesCarryTheMark)
{
    application.startUp();
    show(LatticeCode::Fcc, {1, 1, 0});
    const auto plain = indicesUsed(windowCanvas()->canvas());

    show(LatticeCode::ZincBlendeA, {1, 1, 0});
    const auto& a = state.atoms;
    ASSERT_GT(a.count, 0);
    EXPECT_TRUE(std::any_of(&a.species[1], &a.species[a.count] + 1, [](int16_t s) { return s == 0; }));
    const auto marked = indicesUsed(windowCanvas()->canvas());
    EXPECT_TRUE(std::any_of(marked.begin(), marked.end(), [&](uint8_t i) { return !plain.contains(i); }))
        << "the marked picture adds colours the plain balls do not use";
}

TEST_F(SurfaceWindowTest, IndicesZeroGiveNoAtomsAndAClearedWindow)
{
    application.startUp();
    show(LatticeCode::Fcc, {1, 1, 1});
    ASSERT_FALSE(allPixels(windowCanvas()->canvas(), 0));

    show(LatticeCode::Fcc, {0, 0, 0});
    EXPECT_EQ(state.atoms.count, 0);
    auto canvas = windowCanvas();
    ASSERT_NE(canvas, nullptr);
    EXPECT_TRUE(allPixels(canvas->canvas(), 0));
    EXPECT_TRUE(canvas->canvas().textPieces().empty());
    EXPECT_EQ(appChild().title.substr(0, 18), "FCC (  0,  0,  0) ");
    EXPECT_EQ(coloursOf(canvas->canvas()), applicationPalette());
    EXPECT_TRUE(reports.texts.empty());

    // Turning an empty surface draws nothing and does not fail.
    application.applyView(45.0f, 60.0f);
    application.resetView();
    EXPECT_TRUE(allPixels(windowCanvas()->canvas(), 0));
}

TEST_F(SurfaceWindowTest, RotateChangesThePictureAndResetRestoresItExactly)
{
    application.startUp();
    show(LatticeCode::Fcc, {1, 0, 0});
    auto canvas = windowCanvas();
    ASSERT_NE(canvas, nullptr);
    const auto first = pixelsOf(canvas->canvas());
    const auto& a = state.atoms;
    ASSERT_GT(a.count, 0);
    const std::vector<int32_t> firstOrder(&a.drawOrder[1], &a.drawOrder[a.count] + 1);

    application.applyView(90.0f, 0.0f);
    for (int k = 1; k <= a.count; ++k) {
        ASSERT_EQ(a.viewX[k], a.frameY[k]) << k;
        ASSERT_EQ(a.viewY[k], -a.frameX[k]) << k;
        ASSERT_EQ(a.viewZ[k], a.frameZ[k]) << k;
    }
    EXPECT_EQ(state.view.sortedTiltCos, 1.0f); // the rotation alone does not re-sort
    // (100) has a square net that a quarter turn may map onto itself: an eighth turn cannot.
    application.applyView(45.0f, 0.0f);
    EXPECT_NE(pixelsOf(canvas->canvas()), first);
    EXPECT_EQ(windowCanvas(), canvas); // drawn on the same window, not a new one

    application.resetView();
    EXPECT_EQ(pixelsOf(canvas->canvas()), first);
    EXPECT_EQ(std::vector<int32_t>(&a.drawOrder[1], &a.drawOrder[a.count] + 1), firstOrder);
    for (int k = 1; k <= a.count; ++k) {
        ASSERT_EQ(a.viewX[k], a.frameX[k]) << k;
        ASSERT_EQ(a.viewY[k], a.frameY[k]) << k;
    }
}

TEST_F(SurfaceWindowTest, TiltReSortsOnlyPastTheThreshold)
{
    application.startUp();
    show(LatticeCode::Bcc, {1, 1, 0});
    const auto& a = state.atoms;
    ASSERT_GT(a.count, 0);
    const auto sortedByViewZ = [&a] {
        for (int k = 1; k < a.count; ++k)
            if (a.viewZ[a.drawOrder[k]] > a.viewZ[a.drawOrder[k + 1]])
                return false;
        return true;
    };

    application.applyView(0.0f, 25.0f); // cosine 0.906: within the threshold of 1
    EXPECT_EQ(state.view.sortedTiltCos, 1.0f);
    EXPECT_FALSE(sortedByViewZ()) << "the tilt should have changed the depth order without a re-sort";

    application.applyView(0.0f, 26.0f); // cosine 0.899: past it
    EXPECT_EQ(state.view.sortedTiltCos, render::cosDegrees(26.0f));
    EXPECT_TRUE(sortedByViewZ());
    auto canvas = windowCanvas();
    EXPECT_GT(countInVisibleArea(canvas->canvas(), 68), 0);

    application.applyView(0.0f, 60.0f);
    EXPECT_EQ(state.view.sortedTiltCos, render::cosDegrees(60.0f));
    EXPECT_TRUE(sortedByViewZ());

    // Reset sorts the frame coordinates but keeps the tilt reference.
    application.resetView();
    EXPECT_EQ(state.view.sortedTiltCos, render::cosDegrees(60.0f));
    EXPECT_TRUE(sortedByViewZ());
}

TEST_F(SurfaceWindowTest, PositionsFileThatCannotBeOpenedEndsTheProgramWithoutAPicture)
{
    application.startUp();
    fs::create_directory(directory.path() / "posit.txt");

    show(LatticeCode::Fcc, {1, 1, 1});

    ASSERT_EQ(reports.texts.size(), 1u);
    EXPECT_EQ(reports.texts[0], "rtxrtl: severe (30): open failure, unit 11, file posit.txt\r\n");
    EXPECT_EQ(end.codes, std::vector<int>{1});
    EXPECT_EQ(end.exits.size(), 1u);

    // Where the end returns (as here), no atom was generated and the window is merely cleared.
    EXPECT_EQ(state.atoms.count, 0);
    auto canvas = windowCanvas();
    ASSERT_NE(canvas, nullptr);
    EXPECT_TRUE(allPixels(canvas->canvas(), 0));
    EXPECT_EQ(appChild().title, render::surfaceTitle(LatticeCode::Fcc, {1, 1, 1}));
    EXPECT_TRUE(fs::is_directory(directory.path() / "posit.txt"));
}

} // namespace
