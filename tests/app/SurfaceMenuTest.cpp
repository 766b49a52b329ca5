// The Surface menu on the headless platform: its windows follow the surface on screen, its
// exports write files other programs read, its dialogs change what it shows.

#include "app/DialogTemplates.h"
#include "app/SurfaceDialogTemplates.h"
#include "app/SurfaceMenu.h"
#include "figure/LeedPicture.h"
#include "platform/headless/HeadlessDialogHost.h"
#include "platform/headless/HeadlessPlatform.h"
#include "winrt/Canvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;
using Host = platform::HeadlessDialogHost;

namespace {

struct QuietEnd final : rt::ProgramEnd {
    void programEnded(int) override {}
    void exitProcess(uint32_t) override {}
};

struct QuietReports final : rt::ReportSink {
    void showReport(uint32_t, std::string_view) override {}
};

struct Session {
    platform::HeadlessPlatform screen;
    winrt::WindowRuntime windows{screen};
    winrt::FrameRuntime frame{screen, windows, "facetor"};
    QuietReports reports;
    QuietEnd end;
    rt::Runtime runtime{platform::systemFileSystem(), reports, end};
    Host host;
    dialogs::DialogRuntime dialogs{host, app::applicationDialogResources(), runtime};
    app::SurfaceMenu menu{frame, windows, screen, screen, dialogs};

    Session()
    {
        frame.start();
        windows.currentWindow();
        menu.install();
    }

    std::string text(int32_t handle)
    {
        std::string all;
        if (auto canvas = windows.windowCanvas(handle))
            for (const auto& piece : canvas->canvas().textPieces())
                all += piece.text + "\n";
        return all;
    }

    // How many pixels of the window show palette entry index.
    long pixelsOf(int32_t handle, int index)
    {
        auto canvas = windows.windowCanvas(handle);
        if (!canvas)
            return 0;
        const auto pixels = canvas->canvas().pixels();
        return long(std::count(pixels.begin(), pixels.end(), uint8_t(index)));
    }
};

std::string contents(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

const app::SurfaceSnapshot Fcc111{geometry::LatticeCode::Fcc, {1, 1, 1}, 0.0f, 0.0f};
const app::SurfaceSnapshot Fcc100{geometry::LatticeCode::Fcc, {1, 0, 0}, 0.0f, 0.0f};
const app::SurfaceSnapshot Bcc110{geometry::LatticeCode::Bcc, {1, 1, 0}, 0.0f, 0.0f};

} // namespace

TEST(SurfaceMenu, TheMenuHasItsSixItems)
{
    Session s;
    const auto bar = s.frame.menuBar();
    ASSERT_FALSE(bar.empty());
    EXPECT_EQ(bar.back().text, "S&urface");
    std::vector<std::string> items;
    for (const auto& item : bar.back().items)
        items.push_back(item.text);
    EXPECT_EQ(items,
              (std::vector<std::string>{"&Material...", "&Export Slab...", "&Report", "Export &Figure...",
                                        "&Diffraction Pattern...", "&Wulff Shape"}));
}

TEST(SurfaceMenu, TheReportFollowsTheSurfaceAndTheMaterial)
{
    Session s;
    s.menu.publish(Fcc111);
    s.menu.showReport();
    const int32_t report = s.menu.reportWindow();
    ASSERT_GE(report, 0);
    EXPECT_NE(report, s.windows.focusWindow());
    EXPECT_EQ(s.windows.windowInfo(report)->title.substr(0, 6), "report");
    EXPECT_NE(s.text(report).find("hexagonal"), std::string::npos) << s.text(report);
    EXPECT_NE(s.text(report).find("Cu"), std::string::npos) << "FCC starts as copper";

    s.menu.setMaterial(*crystal::findMaterial("Ag"));
    EXPECT_NE(s.text(report).find("Ag"), std::string::npos);
    EXPECT_EQ(s.text(report).find("Cu"), std::string::npos) << "a new material writes a new report";

    s.menu.publish(Bcc110);
    EXPECT_NE(s.text(report).find("centred rectangular"), std::string::npos) << s.text(report);
    EXPECT_NE(s.text(report).find("Fe"), std::string::npos);
    EXPECT_EQ(s.menu.material(geometry::LatticeKind::Fcc).name, "Ag") << "each lattice keeps its material";
}

TEST(SurfaceMenu, ExportsWriteTheChosenFormatOrNothing)
{
    Session s;
    s.menu.publish(Fcc111);
    const fs::path dir = fs::temp_directory_path() / ("surface-menu-" + std::to_string(::getpid()));
    fs::create_directories(dir);

    s.screen.queueSaveFileAnswer((dir / "cu111.cif").string());
    s.menu.exportSlab();
    EXPECT_NE(contents(dir / "cu111.cif").find("_cell_length_a"), std::string::npos);
    s.screen.queueSaveFileAnswer((dir / "cu111.vasp").string());
    s.menu.exportSlab();
    EXPECT_NE(contents(dir / "cu111.vasp").find("Cu"), std::string::npos);

    s.screen.queueSaveFileAnswer((dir / "cu111.svg").string());
    s.menu.exportFigure();
    EXPECT_EQ(contents(dir / "cu111.svg").rfind("<?xml", 0), 0u);
    EXPECT_TRUE(s.screen.messageBoxes().empty());

    // A name of no known format: a message box, no file.
    s.screen.queueSaveFileAnswer((dir / "cu111.txt").string());
    s.menu.exportSlab();
    ASSERT_EQ(s.screen.messageBoxes().size(), 1u);
    EXPECT_FALSE(fs::exists(dir / "cu111.txt"));
    // Cancel writes nothing and says nothing.
    s.menu.exportFigure();
    EXPECT_EQ(s.screen.messageBoxes().size(), 1u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 3);
    fs::remove_all(dir);
}

TEST(SurfaceMenu, ThePatternShowsSpotsAndRefusesASuperstructureTheSurfaceCannotTake)
{
    Session s;
    s.menu.publish(Fcc100);
    auto shown = s.menu.showPattern({100.0, "", false});
    ASSERT_TRUE(shown) << shown.error().message;
    const int32_t leed = s.menu.patternWindow();
    ASSERT_GE(leed, 0);
    // Entries 3, 4 and 5 hold the specular, substrate and superstructure beams, in their colours.
    EXPECT_GE(s.pixelsOf(leed, 3), 36) << "the (0 0) beam: a disc at least 6 pixels across";
    EXPECT_GT(s.pixelsOf(leed, 4), 4 * 36);
    EXPECT_EQ(s.pixelsOf(leed, 5), 0);
    const winrt::Canvas& canvas = s.windows.windowCanvas(leed)->canvas();
    EXPECT_EQ(canvas.paletteEntry(3), figure::leedColour(figure::LeedRole::Specular));
    EXPECT_EQ(canvas.paletteEntry(4), figure::leedColour(figure::LeedRole::Substrate));
    EXPECT_EQ(canvas.paletteEntry(5), figure::leedColour(figure::LeedRole::Superstructure));

    shown = s.menu.showPattern({100.0, "c(2x2)", false});
    ASSERT_TRUE(shown) << shown.error().message;
    const long c2x2 = s.pixelsOf(leed, 5);
    EXPECT_GT(c2x2, 36);
    // The caption and the beams' indices in the window's character cells, (0 2) at the top.
    const std::string text = s.text(leed);
    for (const char* shown : {"Cu (1 0 0)\n100 eV", "1/2 1/2", "-3/2 -1/2", "0 -2\n"})
        EXPECT_NE(text.find(shown), std::string::npos) << shown << " in\n" << text;
    EXPECT_LT(text.find(" 0 2\n"), text.find("0 -2"));
    // The same superstructure as a matrix, written as the batch front end takes it.
    for (const char* matrix : {"1,1,-1,1", "1 1 -1 1"}) {
        shown = s.menu.showPattern({100.0, matrix, false});
        ASSERT_TRUE(shown) << matrix << ": " << shown.error().message;
        EXPECT_EQ(s.pixelsOf(leed, 5), c2x2) << matrix;
    }

    shown = s.menu.showPattern({100.0, "(sqrt3 x sqrt3)R30", false});
    ASSERT_FALSE(shown);
    EXPECT_EQ(shown.error().message, "(sqrt3 x sqrt3)R30 does not describe a superstructure of a square surface");
    shown = s.menu.showPattern({100.0, "(1.5x1)", false});
    ASSERT_FALSE(shown);
    EXPECT_NE(shown.error().message.find("factor \"1.5\""), std::string::npos) << shown.error().message;

    // The window follows the surface; the hexagonal surface takes the root-three structure.
    s.menu.publish(Fcc111);
    shown = s.menu.showPattern({60.0, "(sqrt3 x sqrt3)R30", false});
    ASSERT_TRUE(shown) << shown.error().message;
    EXPECT_GT(s.pixelsOf(leed, 5), 36);
    s.menu.publish(Fcc100); // c(2x2) is gone with the square surface: the clean pattern stays
    EXPECT_EQ(s.pixelsOf(leed, 5), 0);
    EXPECT_GT(s.pixelsOf(leed, 4), 36);
}

TEST(SurfaceMenu, TheMaterialDialogChoosesAPresetOrMakesAMaterial)
{
    Session s;
    s.menu.publish(Fcc111);
    s.host.addSteps({Host::Type{app::BoxPreset, "Pt"}, Host::Enter{}});
    s.menu.chooseMaterial();
    EXPECT_EQ(s.menu.material(geometry::LatticeKind::Fcc).name, "Pt");

    s.host.addSteps({Host::Type{app::BoxLatticeA, "4.2"}, Host::Type{app::BoxElements, "Xe"}, Host::Enter{}});
    s.menu.chooseMaterial();
    const auto custom = s.menu.material(geometry::LatticeKind::Fcc);
    EXPECT_DOUBLE_EQ(custom.a, 4.2);
    EXPECT_EQ(custom.elements, std::vector<std::string>{"Xe"});

    // A preset of another lattice and a length that does not read are refused with a box.
    s.host.addSteps({Host::Type{app::BoxPreset, "Fe"}, Host::Enter{}});
    s.menu.chooseMaterial();
    s.host.addSteps({Host::Type{app::BoxLatticeA, "abc"}, Host::Enter{}});
    s.menu.chooseMaterial();
    EXPECT_EQ(s.screen.messageBoxes().size(), 2u);
    EXPECT_DOUBLE_EQ(s.menu.material(geometry::LatticeKind::Fcc).a, 4.2);
}

TEST(SurfaceMenu, TheShapeWindowDrawsTheMaterialsShapeAndFollowsIt)
{
    Session s;
    s.menu.publish(Fcc111);
    s.menu.showShape();
    const int32_t shape = s.menu.shapeWindow();
    ASSERT_GE(shape, 0);
    EXPECT_EQ(s.windows.windowInfo(shape)->title.substr(0, 11), "Wulff shape");
    // Copper's broken-bond shape: octahedron faces truncated by the cube's, both in the key.
    const std::string text = s.text(shape);
    EXPECT_NE(text.find("Cu equilibrium shape"), std::string::npos) << text;
    EXPECT_NE(text.find("(1 1 1) 0.776"), std::string::npos) << text;
    EXPECT_NE(text.find("(1 0 0) 0.224"), std::string::npos) << text;
    // Faces in their own palette entries, outlined in ink, on paper.
    long faces = 0;
    for (int index = 2; index < 20; ++index)
        faces += s.pixelsOf(shape, index);
    EXPECT_GT(faces, 448 * 448 / 4);
    EXPECT_GT(s.pixelsOf(shape, 1), 0);
    EXPECT_GT(s.pixelsOf(shape, 0), 0);
    EXPECT_TRUE(s.screen.messageBoxes().empty());

    // Magnesium: hexagonal axes, four indices.
    s.menu.publish({geometry::LatticeCode::HcpA, {0, 0, 1}, 0.0f, 0.0f});
    EXPECT_NE(s.text(shape).find("(0 0 0 1)"), std::string::npos) << s.text(shape);
}
