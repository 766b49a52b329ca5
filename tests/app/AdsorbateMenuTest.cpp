// The Surface menu's sites and adsorbates on the headless platform: the marks on the figure
// window, and the overlayer in the exported slab, the pattern and the dialog's refusals, each
// against what the batch front end makes of the same surface.

#include "app/LeedWindow.h"
#include "cli/Batch.h"
#include "figure/ElementColours.h"
#include "tests/app/MenuSession.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace fs = std::filesystem;
using menutest::contents;
using menutest::Host;

namespace {

const app::SurfaceSnapshot Fcc111{geometry::LatticeCode::Fcc, {1, 1, 1}, 0.0f, 0.0f};

// A session with copper (1 1 1) on screen.
struct Session : menutest::Session {
    Session() { menu.publish(Fcc111); }
};

} // namespace

TEST(AdsorbateMenu, SitesMarkTheFigureAndUnmarkingRestoresIt)
{
    Session s;
    // The item ticks as it marks the sites, opening the figure window; unticked, the marks go.
    const auto sitesItem = [&s] { return s.frame.menuBar().back().items.at(8); };
    ASSERT_EQ(sitesItem().text, "S&ites");
    s.frame.command(sitesItem().id);
    const int32_t figure = s.menu.figureWindow();
    ASSERT_GE(figure, 0);
    EXPECT_TRUE(s.menu.sitesShown() && sitesItem().checked);
    const auto marked = s.pixels(figure);
    s.frame.command(sitesItem().id);
    EXPECT_FALSE(sitesItem().checked);
    EXPECT_NE(s.pixels(figure), marked);
    s.frame.command(sitesItem().id);
    EXPECT_EQ(s.pixels(figure), marked);
}

TEST(AdsorbateMenu, TheChosenOverlayerIsInTheSlabAndThePatternAsTheBatchMakesThem)
{
    Session s;
    s.host.addSteps({Host::Type{app::BoxAdsorbates, "O@fcc"}, Host::Type{app::BoxCoverage, "p(2x2)"}, Host::Enter{}});
    s.menu.chooseAdsorbates();
    ASSERT_TRUE(s.screen.messageBoxes().empty());

    const fs::path dir = fs::temp_directory_path() / ("adsorbate-menu-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    s.screen.queueSaveFileAnswer((dir / "desk.xyz").string());
    s.menu.exportSlab();
    ASSERT_EQ(cli::runBatch({"export", "--material", "Cu", "--hkl", "1", "1", "1", "--adsorbate", "O@fcc", "--coverage",
                             "p(2x2)", "--out", (dir / "batch.xyz").string()}),
              0);
    EXPECT_NE(contents(dir / "desk.xyz").find("\nO "), std::string::npos);
    EXPECT_EQ(contents(dir / "desk.xyz"), contents(dir / "batch.xyz"));

    // The pattern: the overlayer cell's in the three domains the substrate makes, the caption
    // naming the adsorbates.
    ASSERT_TRUE(s.menu.setAdsorbates({"O@fcc", "p(2x1)", ""}));
    const crystal::SurfaceSpec spec = s.menu.currentSpec(Fcc111);
    const auto withO = app::patternPicture(spec, {100.0, "", false}, 600, 600, s.menu.overlayerOn(spec));
    const auto wood = app::patternPicture(spec, {100.0, "p(2x1)", true}, 600, 600);
    ASSERT_TRUE(withO && wood);
    ASSERT_EQ(withO->layout.spots.size(), wood->layout.spots.size());
    for (std::size_t i = 0; i < wood->layout.spots.size(); ++i) {
        EXPECT_EQ(withO->layout.spots[i].centre.x, wood->layout.spots[i].centre.x) << i;
        EXPECT_EQ(withO->layout.spots[i].centre.y, wood->layout.spots[i].centre.y) << i;
        EXPECT_EQ(withO->layout.spots[i].role, wood->layout.spots[i].role) << i;
    }
    EXPECT_NE(withO->layout.caption.front().text.find("O@fcc p(2x1), 3 domains"), std::string::npos);

    // The report lists the overlayer; the figure draws it.
    s.menu.showReport();
    s.menu.showFigure();
    const platform::Rgb oxygen = *figure::elementColour("O");
    EXPECT_GT(s.near(s.menu.figureWindow(), oxygen), 100);
    EXPECT_NE(s.text(s.menu.reportWindow()).find("O@fcc          fcc"), std::string::npos);

    // A surface without fcc hollows: the export refuses, the report says why.
    s.menu.publish({geometry::LatticeCode::Fcc, {1, 0, 0}, 0.0f, 0.0f});
    s.screen.queueSaveFileAnswer((dir / "none.xyz").string());
    s.menu.exportSlab();
    EXPECT_FALSE(fs::exists(dir / "none.xyz"));
    ASSERT_EQ(s.screen.messageBoxes().size(), 1u);
    EXPECT_NE(s.text(s.menu.reportWindow()).find("No adsorbates: site \"fcc\""), std::string::npos);
    s.menu.publish(Fcc111);

    // Empty text clears them: the clean slab, report and figure again.
    ASSERT_TRUE(s.menu.setAdsorbates({}));
    EXPECT_EQ(s.text(s.menu.reportWindow()).find("O@fcc"), std::string::npos);
    EXPECT_EQ(s.near(s.menu.figureWindow(), oxygen), 0);
    s.screen.queueSaveFileAnswer((dir / "clean.xyz").string());
    s.menu.exportSlab();
    EXPECT_EQ(contents(dir / "clean.xyz").find("\nO "), std::string::npos);
    fs::remove_all(dir);
}

TEST(AdsorbateMenu, BadValuesAreRefusedWithTheBatchLineAndTheDialogKeepsThem)
{
    const struct {
        app::AdsorbateSettings typed;
        const char* says;
    } rows[] = {
        {{"Xq@fcc", "p(2x2)", ""}, "The adsorbates were not changed: adsorbate \"Xq@fcc\""},
        {{"O@fcc", "(1.5x1)", ""}, "factor \"1.5\""},
        {{"O@fcc", "p(2x2)", "-1"}, "height \"-1\" is not a number of Angstrom above 0"},
        {{"O@4-fold", "p(2x2)", ""}, "4-fold"},
    };
    for (const auto& row : rows) {
        Session s;
        app::AdsorbateSettings kept;
        s.host.addSteps({Host::Type{app::BoxAdsorbates, row.typed.adsorbates},
                         Host::Type{app::BoxCoverage, row.typed.coverage}, Host::Type{app::BoxHeight, row.typed.height},
                         Host::Enter{}, Host::Inspect([&](Host& host, platform::DialogWindow d) {
                             kept = {host.control(d, app::BoxAdsorbates)->text, host.control(d, app::BoxCoverage)->text,
                                     host.control(d, app::BoxHeight)->text};
                         }),
                         Host::Escape{}});
        s.menu.chooseAdsorbates();
        EXPECT_EQ(kept, row.typed) << row.says;
        ASSERT_EQ(s.screen.messageBoxes().size(), 1u) << row.says;
        const std::string said = s.screen.messageBoxes()[0].text;
        EXPECT_NE(said.find(row.says), std::string::npos) << said;
        EXPECT_EQ(said.find('\n'), std::string::npos) << said;
        EXPECT_EQ(s.menu.adsorbateSettings(), app::AdsorbateSettings{}) << row.says;
    }
}
