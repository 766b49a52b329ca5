// The Surface menu on the headless platform: its windows follow the surface on screen, its
// exports write files other programs read, its dialogs change what it shows.

#include "app/DialogTemplates.h"
#include "app/SurfaceDialogTemplates.h"
#include "app/LeedWindow.h"
#include "app/SurfaceMenu.h"
#include "crystal/Material.h"
#include "figure/CanvasPicture.h"
#include "figure/ElementColours.h"
#include "figure/LeedPicture.h"
#include "platform/headless/HeadlessDialogHost.h"
#include "platform/headless/HeadlessPlatform.h"
#include "winrt/Canvas.h"
#include "tests/app/MenuSession.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

namespace fs = std::filesystem;
using menutest::contents;
using menutest::Host;
using menutest::Session;

namespace {

const app::SurfaceSnapshot Fcc111{geometry::LatticeCode::Fcc, {1, 1, 1}, 0.0f, 0.0f};
const app::SurfaceSnapshot Fcc100{geometry::LatticeCode::Fcc, {1, 0, 0}, 0.0f, 0.0f};
const app::SurfaceSnapshot Bcc110{geometry::LatticeCode::Bcc, {1, 1, 0}, 0.0f, 0.0f};

} // namespace

TEST(SurfaceMenu, TheMenuHasItsItems)
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
                                        "&Diffraction Pattern...", "&Wulff Shape", "&Show Figure",
                                        "&Open Bulk Structure...", "S&ites", "&Adsorbate..."}));
    // One key, one item: each access letter once.
    std::set<char> keys;
    for (const std::string& item : items)
        EXPECT_TRUE(keys.insert(char(std::tolower(item[item.find('&') + 1]))).second) << item;
    // Gray until a surface is on screen: there is nothing to work on before.
    const auto grayed = [&] {
        std::vector<bool> out;
        const auto menus = s.frame.menuBar(); // a copy: the loop must not outlive it
        for (const auto& item : menus.back().items)
            out.push_back(item.grayed);
        return out;
    };
    EXPECT_EQ(grayed(), std::vector<bool>(10, true));
    s.menu.publish(Fcc100);
    EXPECT_EQ(grayed(), std::vector<bool>(10, false));
}

TEST(SurfaceMenu, ItsWindowsComeToTheFrontAndCloseAndOpenAgain)
{
    Session s;
    s.menu.publish(Fcc100);
    // The picture fills the frame's client area, as it does after a surface is drawn.
    const platform::Size area = s.screen.clientAreaSize();
    const auto pictureId = s.windows.windowInfo(s.windows.focusWindow())->platformWindow;
    s.screen.moveWindow(pictureId, {0, 0, area.width, area.height});

    s.menu.showReport();
    const int32_t report = s.menu.reportWindow();
    const auto id = s.windows.windowInfo(report)->platformWindow;
    const auto shown = [&] { return *s.screen.child(id); };
    const platform::Rect outer = shown().outer;
    EXPECT_EQ(outer.x + outer.width, area.width) << "over the picture, at the frame's right edge";
    EXPECT_GE(outer.x, 0);
    EXPECT_TRUE(shown().visible);
    EXPECT_EQ(s.screen.activeChild(), id);

    // Closed with its close box, it comes back with its report through the menu.
    s.frame.closeRequested(id);
    EXPECT_FALSE(shown().visible);
    s.menu.publish(Fcc111);
    EXPECT_FALSE(shown().visible) << "it follows the surface unseen";
    s.menu.showReport();
    EXPECT_EQ(s.menu.reportWindow(), report);
    EXPECT_TRUE(shown().visible);
    EXPECT_NE(s.text(report).find("Cu (1 1 1)"), std::string::npos) << s.text(report);
    // Chosen from the Window menu's list it shows as well.
    s.screen.moveWindow(id, {area.width + 100, 0, outer.width, outer.height});
    s.screen.activateWindow(pictureId);
    s.frame.windowChosen(id);
    EXPECT_EQ(shown().outer, outer);
    EXPECT_EQ(s.screen.activeChild(), id);
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
    // A bare POSCAR is written as POSCAR under that very name; the status bar names it.
    s.screen.queueSaveFileAnswer((dir / "POSCAR").string());
    s.menu.exportSlab();
    EXPECT_EQ(contents(dir / "POSCAR"), contents(dir / "cu111.vasp"));
    EXPECT_EQ(s.screen.statusText(1), "Wrote POSCAR");
    const auto requests = s.screen.saveFileRequests();
    EXPECT_EQ(requests.back().title, "Export Slab");
    EXPECT_TRUE(platform::keepsTypedName("/tmp/POSCAR", requests.back()));
    EXPECT_FALSE(platform::keepsTypedName("/tmp/slab", requests.back()));

    s.screen.queueSaveFileAnswer((dir / "cu111.svg").string());
    s.menu.exportFigure();
    EXPECT_EQ(contents(dir / "cu111.svg").rfind("<?xml", 0), 0u);
    EXPECT_EQ(s.screen.saveFileRequests().back().title, "Export Figure");
    EXPECT_EQ(s.screen.statusText(1), "Wrote cu111.svg");
    EXPECT_TRUE(s.screen.messageBoxes().empty());

    // A name of no known format: a message box, no file.
    s.screen.queueSaveFileAnswer((dir / "cu111.txt").string());
    s.menu.exportSlab();
    ASSERT_EQ(s.screen.messageBoxes().size(), 1u);
    EXPECT_FALSE(fs::exists(dir / "cu111.txt"));
    // Cancel writes nothing and says nothing.
    s.menu.exportFigure();
    EXPECT_EQ(s.screen.messageBoxes().size(), 1u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 4);
    fs::remove_all(dir);
}

TEST(SurfaceMenu, ThePatternWindowShowsTheBatchPictureAndSaysWhatItLeftOut)
{
    Session s;
    s.menu.publish(Fcc100);
    auto shown = s.menu.showPattern({100.0, "", false});
    ASSERT_TRUE(shown) << shown.error().message;
    EXPECT_EQ(*shown, "");
    const int32_t leed = s.menu.patternWindow();
    ASSERT_GE(leed, 0);
    // The batch front end's picture of Cu (1 0 0) at 100 eV, 600 x 600, in the canvas's 256
    // colours: every pixel close to the PNG's.
    const winrt::Canvas& canvas = s.windows.windowCanvas(leed)->canvas();
    ASSERT_EQ(canvas.width(), 600);
    ASSERT_EQ(canvas.height(), 600);
    const auto layout =
        app::patternPicture(app::surfaceSpec(Fcc100, *crystal::findMaterial("Cu")), {100.0, "", false}, 600, 600);
    ASSERT_TRUE(layout);
    const auto png = figure::paintLeedPicture(layout->layout, figure::LeedFileFormat::Png);
    ASSERT_TRUE(png);
    const auto batch = figure::decodePng(*png);
    ASSERT_TRUE(batch);
    long far = 0;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 600; ++x)
            far += platform::colourDistance(canvas.pixelColour(x, y), batch->pixels[std::size_t(y * 600 + x)])
                > 3 * 12 * 12;
    EXPECT_LT(far, 600 * 600 / 1000) << "pixels of the window far from the batch picture";
    EXPECT_EQ(s.near(leed, figure::leedColour(figure::LeedRole::Superstructure)), 0);
    const long substrate = s.near(leed, figure::leedColour(figure::LeedRole::Substrate));
    EXPECT_GT(substrate, 12 * 20);

    shown = s.menu.showPattern({100.0, "c(2x2)", false});
    ASSERT_TRUE(shown) << shown.error().message;
    const long c2x2 = s.near(leed, figure::leedColour(figure::LeedRole::Superstructure));
    EXPECT_GT(c2x2, 36);
    // The same superstructure as a matrix, written as the batch front end takes it (the caption
    // names it otherwise, so the palette differs a little).
    for (const char* matrix : {"1,1,-1,1", "1 1 -1 1"}) {
        shown = s.menu.showPattern({100.0, matrix, false});
        ASSERT_TRUE(shown) << matrix << ": " << shown.error().message;
        EXPECT_NEAR(s.near(leed, figure::leedColour(figure::LeedRole::Superstructure)), c2x2, c2x2 / 10) << matrix;
    }

    // A superstructure the surface cannot carry: the clean pattern, and the reason.
    shown = s.menu.showPattern({100.0, "(sqrt3 x sqrt3)R30", false});
    ASSERT_TRUE(shown) << shown.error().message;
    EXPECT_EQ(*shown, "(sqrt3 x sqrt3)R30 does not describe a superstructure of a square surface");
    EXPECT_EQ(s.near(leed, figure::leedColour(figure::LeedRole::Superstructure)), 0);
    // A text that is no superstructure is refused and the window keeps what it showed.
    shown = s.menu.showPattern({100.0, "(1.5x1)", false});
    ASSERT_FALSE(shown);
    EXPECT_NE(shown.error().message.find("factor \"1.5\""), std::string::npos) << shown.error().message;

    // The window follows the surface; the hexagonal surface takes the root-three structure.
    s.menu.publish(Fcc111);
    shown = s.menu.showPattern({60.0, "(sqrt3 x sqrt3)R30", false});
    ASSERT_TRUE(shown) << shown.error().message;
    EXPECT_GT(s.near(leed, figure::leedColour(figure::LeedRole::Superstructure)), 36);
    s.menu.publish(Fcc100); // the square surface cannot carry it: the clean pattern, and a word
    EXPECT_EQ(s.near(leed, figure::leedColour(figure::LeedRole::Superstructure)), 0);
    EXPECT_GT(s.near(leed, figure::leedColour(figure::LeedRole::Substrate)), 36);
    EXPECT_EQ(s.screen.statusText(1),
              "The pattern shows the clean surface: (sqrt3 x sqrt3)R30 does not describe a "
              "superstructure of a square surface");

    // The picture follows its window's size as the user changes it.
    const auto id = s.windows.windowInfo(leed)->platformWindow;
    const platform::Rect outer = s.screen.child(id)->outer;
    s.screen.moveWindow(id, {outer.x, outer.y, outer.width + 200, outer.height + 150});
    s.frame.resized(id);
    const platform::Size client = s.screen.clientSize(id);
    EXPECT_EQ(s.windows.windowCanvas(leed)->canvas().width(), client.width);
    EXPECT_EQ(s.windows.windowCanvas(leed)->canvas().height(), client.height);
}

TEST(SurfaceMenu, TheFigureWindowFollowsTheViewTheMaterialAndABulkFile)
{
    Session s;
    s.menu.publish(Fcc111);
    s.menu.showFigure();
    const int32_t figure = s.menu.figureWindow();
    ASSERT_GE(figure, 0);
    EXPECT_EQ(s.windows.windowInfo(figure)->title.substr(0, 6), "figure");
    const platform::Rgb cu = *figure::elementColour("Cu"), ti = *figure::elementColour("Ti"),
                        o = *figure::elementColour("O");
    EXPECT_GT(s.near(figure, cu), 2000);
    const std::vector<uint8_t> flat(s.windows.windowCanvas(figure)->canvas().pixels().begin(),
                                    s.windows.windowCanvas(figure)->canvas().pixels().end());
    // The view turns: the figure turns with it.
    s.menu.publish({geometry::LatticeCode::Fcc, {1, 1, 1}, 30.0f, 40.0f});
    const auto turned = s.windows.windowCanvas(figure)->canvas().pixels();
    EXPECT_FALSE(std::equal(flat.begin(), flat.end(), turned.begin(), turned.end()));
    s.menu.setMaterial(*crystal::findMaterial("Ni"));
    EXPECT_GT(s.near(figure, *figure::elementColour("Ni")), 2000);

    // A rutile CIF: titanium and oxygen in the figure, the report and the exports of rutile.
    EXPECT_FALSE(s.menu.openBulkFile(FACETOR_SOURCE_DIR "/tests/data/missing.cif"));
    ASSERT_TRUE(s.menu.openBulkFile(FACETOR_SOURCE_DIR "/tests/data/rutile.cif"));
    s.menu.publish({geometry::LatticeCode::Fcc, {1, 1, 0}, 0.0f, 0.0f});
    EXPECT_GT(s.near(figure, ti), 500);
    EXPECT_GT(s.near(figure, o), 1000);
    EXPECT_EQ(s.near(figure, *figure::elementColour("Ni")), 0);
    s.menu.showReport();
    const std::string report = s.text(s.menu.reportWindow());
    EXPECT_NE(report.find("rutile.cif (1 1 0)"), std::string::npos) << report;
    EXPECT_NE(report.find("P4_2/mnm"), std::string::npos) << report;
    const fs::path dir = fs::temp_directory_path() / ("surface-menu-bulk-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    s.screen.queueSaveFileAnswer((dir / "POSCAR.vasp").string());
    s.menu.exportSlab();
    EXPECT_NE(contents(dir / "POSCAR.vasp").find("Ti"), std::string::npos);
    fs::remove_all(dir);
    // A lattice preset takes the bulk's place again.
    s.menu.setMaterial(*crystal::findMaterial("Cu"));
    EXPECT_EQ(s.near(figure, o), 0);
    EXPECT_FALSE(s.menu.bulk(geometry::LatticeKind::Fcc));
}

TEST(SurfaceMenu, TheMaterialDialogChoosesAPresetOrMakesAMaterial)
{
    Session s;
    s.menu.publish(Fcc111);
    // The presets are listed by structure, the compounds among them.
    std::vector<std::string> items;
    s.host.addSteps(
        {Host::Inspect([&](Host& host, platform::DialogWindow d) { items = host.control(d, app::BoxPreset)->items; }),
         Host::Type{app::BoxPreset, "FCC: Pt"}, Host::Enter{}});
    s.menu.chooseMaterial();
    EXPECT_EQ(s.menu.material(geometry::LatticeKind::Fcc).name, "Pt");
    for (const char* item : {"FCC: Cu", "BCC: Fe", "HCP: Mg", "zinc blende: GaAs", "rutile: TiO2", "rock salt: MgO"})
        EXPECT_NE(std::find(items.begin(), items.end(), item), items.end()) << item;
    EXPECT_LT(std::find(items.begin(), items.end(), "FCC: Cu"), std::find(items.begin(), items.end(), "BCC: Fe"));
    EXPECT_LT(std::find(items.begin(), items.end(), "rock salt: MgO"),
              std::find(items.begin(), items.end(), "rutile: TiO2"));

    s.host.addSteps({Host::Type{app::BoxLatticeA, "4.2"}, Host::Type{app::BoxElements, "Xe"}, Host::Enter{}});
    s.menu.chooseMaterial();
    const auto custom = s.menu.material(geometry::LatticeKind::Fcc);
    EXPECT_DOUBLE_EQ(custom.a, 4.2);
    EXPECT_EQ(custom.elements, std::vector<std::string>{"Xe"});
    // A material of the user's own is named by its constants, unless it is a preset's.
    EXPECT_EQ(custom.name, "Xe (a = 4.200)");
    s.host.addSteps({Host::Type{app::BoxLatticeA, "4.0"}, Host::Type{app::BoxElements, "Au"}, Host::Enter{}});
    s.menu.chooseMaterial();
    s.menu.showReport();
    EXPECT_NE(s.text(s.menu.reportWindow()).find("Au (a = 4.000) (1 1 1)"), std::string::npos)
        << s.text(s.menu.reportWindow());
    s.host.addSteps({Host::Type{app::BoxLatticeA, std::to_string(crystal::findMaterial("Au")->a)}, Host::Enter{}});
    s.menu.chooseMaterial();
    EXPECT_EQ(s.menu.material(geometry::LatticeKind::Fcc).name, "Au");
    s.host.addSteps({Host::Type{app::BoxLatticeA, "4.2"}, Host::Type{app::BoxElements, "Xe"}, Host::Enter{}});
    s.menu.chooseMaterial();

    // A preset of another lattice and a length that does not read are refused with a box, and
    // the dialog comes back with what was typed.
    s.host.addSteps({Host::Type{app::BoxPreset, "Fe"}, Host::Enter{}, Host::Escape{}});
    s.menu.chooseMaterial();
    std::string typedA;
    s.host.addSteps(
        {Host::Type{app::BoxLatticeA, "abc"}, Host::Enter{},
         Host::Inspect([&](Host& host, platform::DialogWindow d) { typedA = host.control(d, app::BoxLatticeA)->text; }),
         Host::Escape{}});
    s.menu.chooseMaterial();
    EXPECT_EQ(typedA, "abc");
    EXPECT_EQ(s.screen.messageBoxes().size(), 2u);
    EXPECT_DOUBLE_EQ(s.menu.material(geometry::LatticeKind::Fcc).a, 4.2);

    // A compound preset becomes the bulk of the surface on screen.
    s.host.addSteps({Host::Type{app::BoxPreset, "rutile: TiO2"}, Host::Enter{}});
    s.menu.chooseMaterial();
    ASSERT_TRUE(s.menu.bulk(geometry::LatticeKind::Fcc));
    EXPECT_EQ(s.menu.bulk(geometry::LatticeKind::Fcc)->name, "TiO2");
    EXPECT_EQ(crystal::surfaceTitle(s.menu.currentSpec(Fcc111)).substr(0, 4), "TiO2");
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
