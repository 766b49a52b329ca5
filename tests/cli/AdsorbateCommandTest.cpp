// Adsorbates as a user asks for them: the LEED pattern of an overlayer, exported files read back by
// another program, the figure's atoms, and bad input in one line.

#include "cli/Commands.h"
#include "figure/Figure.h"
#include "tests/cli/CommandRun.h"

#include <cstdlib>
#include <fstream>

namespace cli::test {
namespace {

using AdsorbateCommand = CommandRun;

// An overlayer diffracts as its cell: the pattern is that of --wood or --matrix of the same
// notation with every domain the substrate makes, on surfaces of each 2D lattice.
TEST_F(AdsorbateCommand, LeedOfAnOverlayerIsItsCellsPattern)
{
    const struct Row {
        const char* surface;
        const char* items;
        const char* coverage;
        const char* option;
    } rows[] = {
        {"--material Pt --hkl 1 1 1", "O@fcc", "p(2x2)", "--wood"},
        {"--material Pt --hkl 1 1 1", "CO@top,H@hcp", "(sqrt3 x sqrt3)R30", "--wood"},
        {"--material Pt --hkl 1 1 1", "H@hcp", "p(2x1)", "--wood"},
        {"--material Ru --hkl 0 0 0 1", "O@hcp", "(2x2)", "--wood"},
        {"--material Cu --hkl 1 0 0", "O@hollow", "c(2x2)", "--wood"},
        {"--material Cu --hkl 1 0 0", "O@bridge", "p(2x1)", "--wood"},
        {"--material Cu --hkl 1 1 0", "O@long-bridge", "2 1 0 1", "--matrix"},
        {"--material Fe --hkl 1 1 0", "N@3-fold-hollow", "2 0 1 2", "--matrix"},
        {"--material GaAs --hkl 0 0 1", "O@top", "2 0 0 4", "--matrix"},
        {"--material SrTiO3 --hkl 0 0 1", "O@top", "(sqrt2 x sqrt2)R45", "--wood"},
        {"--material TiO2 --hkl 1 1 0", "H2O@top", "p(2x1)", "--wood"},
    };
    for (const Row& row : rows) {
        const std::string leed = std::string("leed ") + row.surface + " --energy 120 --format json ";
        const CommandResult overlayer = run(leed + "--adsorbate '" + row.items + "' --coverage '" + row.coverage + "'");
        const CommandResult cell = run(leed + row.option + " '" + row.coverage + "' --domains");
        EXPECT_EQ(overlayer.status, 0) << row.surface << overlayer.err;
        EXPECT_EQ(cell.status, 0) << row.surface << cell.err;
        EXPECT_NE(overlayer.out.find("superstructure"), std::string::npos) << row.surface << " " << row.coverage;
        EXPECT_EQ(overlayer.out, cell.out) << row.surface << " " << row.coverage;
    }
}

// The figure draws the adsorbates among the slab's atoms in their element's colour. Every format
// read back by ASE: the elements counted, and each adsorbate atom's distance to the nearest surface
// atom its bond (the sum of the covalent radii) or the molecule's length above it; the slab grows to
// hold whole overlayer cells, and says so.
TEST_F(AdsorbateCommand, ExportsReadBackAndTheFigureDrawsThem)
{
    const crystal::SurfaceSpec spec{*crystal::findMaterial("Pt"), {1, 1, 1}};
    const auto overlayer = crystal::placeOverlayer(
        spec, *crystal::surfaceCell(spec, crystal::InPlaneCell::Primitive),
        {*crystal::parseAdsorbates("O@fcc"), *crystal::readSuperstructure("p(2x2)"), std::nullopt});
    figure::FigureOptions options;
    options.repeatA = options.repeatB = 4;
    const auto scene = figure::buildFigureScene(spec, options, &*overlayer);
    ASSERT_TRUE(scene);
    int oxygen = 0;
    for (const figure::FigureSphere& s : scene->spheres)
        if (s.plane == -1 && s.colour == *figure::elementColour("O"))
            ++oxygen;
    EXPECT_EQ(oxygen, 4); // one in four of the 4 x 4 cells

    const std::string common = "export --material Pt --hkl 1 1 1 --layers 3 --adsorbate CO@top,O@fcc "
                               "--coverage '(sqrt3 x sqrt3)R30' --orthogonal --out ";
    std::string reads;
    for (const char* name : {"s.xyz", "POSCAR", "s.cif"}) {
        const CommandResult r = run(common + name);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "facetor: note: the slab is 3x1 cells, the fewest that hold whole (sqrt3 x sqrt3)R30 cells\n");
        reads += std::string(" ") + name;
    }
    std::ofstream(work() / "check.py")
        << "import sys, ase.io\nfor name in sys.argv[1:]:\n    a = ase.io.read(name)\n"
           "    pt = [i for i in range(len(a)) if a[i].symbol == 'Pt']\n"
           "    print(a.get_chemical_formula(), sorted({(a[i].symbol, round(min(a.get_distances(i, pt, mic=True)), 3)) "
           "for i in range(len(a)) if a[i].symbol in 'CO'}))\n";
    if (std::system("/usr/bin/python3 -c 'import ase.io' 2>/dev/null") != 0)
        GTEST_SKIP() << "/usr/bin/python3 cannot import ase (scripts/setup installs python3-ase)";
    const std::string py = (m_dir / "py").string();
    EXPECT_EQ(
        std::system(("cd '" + work().string() + "' && /usr/bin/python3 check.py" + reads + " >'" + py + "'").c_str()),
        0);
    const std::string line = "C2O4Pt18 [('C', 2.12), ('O', 2.02), ('O', 3.248)]\n";
    EXPECT_EQ(slurp(py), line + line + line);

    // The report lists the overlayer: each item's site (the nearest the origin of those named), height and
    // share of a substrate cell.
    const CommandResult report = run("report --material Cu --hkl 1 1 0 --adsorbate CO@top,O@bridge --coverage "
                                     "'c(2x2)' --format json >r.json && /usr/bin/python3 -c \"import json; "
                                     "o = json.load(open('r.json'))['overlayer']; print(o['cells'], [(a['label'], "
                                     "round(a['height'], 4), round(a['per_cell'], 4)) for a in o['adsorbates']])\"");
    EXPECT_EQ(report.out, "2 [('top', 2.08, 0.5), ('short bridge', 1.5123, 0.5)]\n") << report.err;
}

// Bad input: one line naming it, status 2, nothing written.
TEST_F(AdsorbateCommand, BadInputIsOneLine)
{
    const struct Row {
        const char* args;
        const char* words;
    } rows[] = {
        {"export --material Pt --hkl 1 1 1 --adsorbate Xx@fcc --out x.xyz", "unknown species \"Xx\""},
        {"figure --material Pt --hkl 1 1 1 --adsorbate 'O@fcc,,H@top' --out x.png", "item 2 is empty"},
        {"report --material Pt --hkl 1 1 1 --adsorbate O@fcc,", "item 2 is empty"},
        {"report --material Pt --hkl 1 1 1 --adsorbate O", "item 1 \"O\" has no site"},
        {"report --material Pt --hkl 1 1 1 --adsorbate @top", "no species before @"},
        {"export --material Cu --hkl 1 0 0 --adsorbate O@fcc --out x.xyz",
         "site \"fcc\" of O@fcc is not on Cu (1 0 0) (its sites: top, bridge, 4-fold-hollow)"},
        {"leed --material Cu --hkl 1 0 0 --energy 50 --adsorbate O@hollow --coverage '(sqrt3 x sqrt3)R30'",
         "(sqrt3 x sqrt3)R30 does not describe a superstructure of a square surface"},
        {"export --material Pt --hkl 1 1 1 --adsorbate O@fcc --coverage '2 1 2 1' --out x.xyz", "determinant is 0"},
        {"report --material Pt --hkl 1 1 1 --coverage 'p(2x2)'", "option --coverage needs --adsorbate"},
        {"report --material Pt --hkl 1 1 1 --adsorbate O@fcc --height -1", "--height '-1' is not"},
        {"leed --material Pt --hkl 1 1 1 --energy 50 --adsorbate O@fcc --wood 'p(2x2)'", "excludes --wood"},
        {"export --material Pt --hkl 1 1 1 --adsorbate O@fcc,H@fcc --out x.xyz", "O@fcc and H@fcc take the same site"},
        {"export --material Pt --hkl 1 1 1 --adsorbate Xe@top --out x.xyz", "no covalent radius for Xe"},
        {"export --material Pt --hkl 1 1 1 --adsorbate O@fcc --adsorbate H@top --out x.xyz", "--adsorbate once"},
        {"sites --material Pt --hkl 1 1 1 --adsorbate O@fcc", "unknown option '--adsorbate'"},
        {"figure --material Pt --hkl 1 1 1 --adsorbate O@fcc --coverage '900 0 0 900' --out x.png", "more than 250000"},
    };
    for (const Row& row : rows) {
        const CommandResult r = run(row.args);
        EXPECT_EQ(r.status, 2) << row.args;
        EXPECT_EQ(r.err.rfind("facetor: ", 0), 0u) << r.err;
        EXPECT_NE(r.err.substr(0, r.err.find('\n')).find(row.words), std::string::npos) << row.args << "\n" << r.err;
        EXPECT_TRUE(r.out.empty()) << row.args;
        EXPECT_TRUE(workFiles().empty()) << row.args;
    }
}

} // namespace
} // namespace cli::test
