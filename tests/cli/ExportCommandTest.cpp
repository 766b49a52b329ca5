// facetor materials (text and JSON), facetor export and slab --material as a user runs them: the real executable
// in a scratch directory.

#include "crystal/Compound.h"
#include "crystal/Material.h"
#include "crystal/Symmetry.h"
#include "tests/cli/CommandRun.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

using ExportRun = cli::test::CommandResult;
using cli::test::slurp;

class ExportCommand : public cli::test::CommandRun {};

TEST_F(ExportCommand, MaterialsListsEveryPreset)
{
    const ExportRun r = run("materials");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    std::size_t lines = 0;
    for (char c : r.out)
        lines += c == '\n';
    EXPECT_EQ(lines, 1 + crystal::materialPresets().size() + crystal::compoundPresets().size());
    // The header, then the lattice presets' rows as they always were, then the compounds.
    EXPECT_EQ(r.out.rfind("name structure a c elements\nCu fcc 3.6149 - Cu\nAg fcc 4.0853 - Ag\n", 0), 0u) << r.out;
    for (const char* line : {"Fe bcc 2.8665 - Fe\n", "Mg hcp 3.2094 5.2108 Mg\n", "GaAs zincblende 5.6533 - Ga,As\n",
                             "Ge zincblende 5.6579 - Ge\nMgO rock-salt 4.2117 - Mg,O\n",
                             "TiO2 rutile 4.593659 2.958682 Ti,O\n", "SrTiO3 cubic-perovskite 3.9053 - Sr,Ti,O\n",
                             "NiAl CsCl(B2) 2.887 - Ni,Al\n", "Al2O3 corundum 4.7605 12.9956 Al,O\n"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line;
    EXPECT_EQ(run("materials --all").status, 2);
    EXPECT_EQ(run("materials --format xml").status, 2);
}

TEST_F(ExportCommand, MaterialsJsonNamesEachPresetsSpaceGroup)
{
    const ExportRun r = run("materials --format json");
    ASSERT_EQ(r.status, 0) << r.err;
    // Every compound's space group is its bulk crystal's, as analyseSymmetry finds it.
    auto group = [](const platform::Result<crystal::BulkCrystal>& bulk) {
        const auto s = crystal::analyseSymmetry(*bulk);
        return "\"space_group\": {\"symbol\": \"" + s->symbol + "\", \"number\": " + std::to_string(s->number) + "}";
    };
    for (const crystal::Compound& c : crystal::compoundPresets())
        EXPECT_NE(r.out.find("{\"name\": \"" + c.name + "\", \"lattice\": null, \"structure\": \""
                             + std::string(c.type().name) + "\", " + group(crystal::bulkOf(c))),
                  std::string::npos)
            << c.name;
    // Known groups, and the whole read back by Python.
    std::ofstream(m_dir / "m.json") << r.out;
    const std::string check =
        "/usr/bin/python3 -c \"import json,sys; p={x['name']: x for x in json.load(sys.stdin)['presets']}; "
        "known={'NaCl':('Fm-3m',225),'TiO2':('P4_2/mnm',136),'ZnO':('P6_3mc',186),'Al2O3':('R-3c',167),"
        "'SrTiO3':('Pm-3m',221),'CaF2':('Fm-3m',225),'CsCl':('Pm-3m',221),'Mg':('P6_3/mmc',194),"
        "'Si':('Fd-3m',227),'GaAs':('F-43m',216),'Cu':('Fm-3m',225),'Fe':('Im-3m',229)}; "
        "assert (p['Si']['lattice'],p['Si']['structure'],p['GaAs']['structure'])==('zincblende','diamond','zinc "
        "blende'); "
        "assert all((p[n]['space_group']['symbol'],p[n]['space_group']['number'])==g for n,g in known.items()); "
        "assert all(set(x)=={'name','lattice','structure','space_group','a','c','elements','source'} and x['source'] "
        "for x in p.values()); "
        "assert p['TiO2']['c']==2.958682 and p['TiO2']['elements']==['Ti','O'] and p['Cu']['c'] is None; "
        "print(len(p))\" <'"
        + (m_dir / "m.json").string() + "'";
    FILE* pipe = popen(check.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char count[32] = {};
    const bool read = std::fgets(count, sizeof count, pipe) != nullptr;
    EXPECT_EQ(pclose(pipe), 0);
    ASSERT_TRUE(read);
    EXPECT_EQ(std::stoul(count), crystal::materialPresets().size() + crystal::compoundPresets().size());
}

TEST_F(ExportCommand, WritesEachFormat)
{
    ExportRun r = run("export --material Cu --hkl 1 1 1 --out cu111.xyz");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out + r.err, "");
    const std::string xyz = slurp(work() / "cu111.xyz");
    EXPECT_EQ(xyz.rfind("6\nLattice=\"", 0), 0u) << xyz;
    EXPECT_NE(xyz.find("title=\"Cu (1 1 1)\"\nCu "), std::string::npos) << xyz;

    r = run("export --material Mg --hkl 1 0 -1 0 --termination B --layers 4 --size 2x3 --vacuum 7.5 "
            "--format poscar --out slab.txt");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string poscar = slurp(work() / "slab.txt");
    EXPECT_EQ(poscar.rfind("Mg (1 0 -1 0) termination B\n1.0\n", 0), 0u) << poscar;
    EXPECT_NE(poscar.find("\n  Mg\n  24\nCartesian\n"), std::string::npos) << poscar;

    r = run("export --lattice zincblende --elements Ga,N --a 4.5 --hkl 1 1 1 --orthogonal --out gan.cif");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string cif = slurp(work() / "gan.cif");
    EXPECT_NE(cif.find("_cell_angle_gamma 90.0000000000\n"), std::string::npos) << cif;
    EXPECT_NE(cif.find(" N "), std::string::npos);

    // The previous file stays as it was when a later run is refused.
    EXPECT_EQ(run("export --material Cu --hkl 0 0 0 --out cu111.xyz").status, 2);
    EXPECT_EQ(slurp(work() / "cu111.xyz"), xyz);
}

TEST_F(ExportCommand, BadInputNamesItAndWritesNothing)
{
    const struct {
        const char* args;
        const char* words;
    } rows[] = {
        {"--material Unobtainium --hkl 1 1 1 --out x.xyz", "unknown material 'Unobtainium'"},
        {"--material Cu --hkl 0 0 0 --out x.xyz", "(0 0 0)"},
        {"--material Mg --hkl 1 0 0 0 --out x.xyz", "-(h + k) = -1"},
        {"--material Cu --hkl 1 0 -1 0 --out x.xyz", "only to hcp"},
        {"--material Cu --hkl 1 1 1 --layers 0 --out x.xyz", "--layers must be"},
        {"--material Cu --hkl 1 1 1 --vacuum -1 --out x.xyz", "--vacuum must be"},
        {"--material Cu --hkl 1 1 1 --size 0x2 --out x.xyz", "--size must be"},
        {"--material Cu --hkl 1 1 1 --format pdb --out x.xyz", "unknown format 'pdb'"},
        {"--material Cu --hkl 1 1 1 --out x.pdb", "cannot tell the format of 'x.pdb'"},
        {"--material Cu --hkl 1 1 1", "--out is required"},
        {"--material Cu --hkl 1 1 1 --termination A --out x.xyz", "--termination applies only"},
        {"--lattice hcp --elements Mg --a 3.2 --hkl 0 0 1 --out x.xyz", "needs the lattice constant c"},
        {"--material Mg --hkl -3 -2 5 -3 --orthogonal --out x.xyz", "no rectangular"},
        {"--material Cu --hkl 1 1 1 --layers 100000 --size 100x100 --out x.xyz", "atoms"},
    };
    for (const auto& row : rows) {
        const ExportRun r = run(std::string("export ") + row.args);
        EXPECT_EQ(r.status, 2) << row.args;
        EXPECT_EQ(r.err.rfind("facetor: ", 0), 0u) << r.err;
        EXPECT_NE(r.err.substr(0, r.err.find('\n')).find(row.words), std::string::npos) << row.args << "\n" << r.err;
        EXPECT_NE(r.err.find("\nusage: "), std::string::npos);
        EXPECT_TRUE(fs::is_empty(work())) << row.args;
    }
    // A file that cannot be written: one line and status 1.
    const ExportRun r = run("export --material Cu --hkl 1 0 0 --out missing/cu.xyz");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "facetor: cannot write missing/cu.xyz: No such file or directory\n");
    EXPECT_TRUE(fs::is_empty(work()));
}

// A bulk crystal's slab: from a compound or a CIF, its termination, thickness and symmetric faces;
// faults one line with status 2 and no file.
TEST_F(ExportCommand, SlabsOfAnyBulkCrystal)
{
    std::ofstream(work() / "rutile.cif") << slurp(FACETOR_SOURCE_DIR "/tests/data/rutile.cif");
    // Atoms per element of an extended XYZ file, and its title.
    auto read = [&](const std::string& name) {
        std::istringstream in(workFile(name));
        std::size_t count = 0;
        std::string header, line;
        in >> count;
        std::getline(in, line);
        std::getline(in, header);
        std::map<std::string, int> elements;
        for (std::size_t i = 0; i < count && std::getline(in, line); ++i)
            ++elements[line.substr(0, line.find(' '))];
        return std::pair{elements, header.substr(header.find("title="))};
    };
    const struct {
        const char* args;
        std::map<std::string, int> atoms;
        const char* title;
        const char* note; // on standard error, or empty
    } rows[] = {
        // Rutile (1 1 0), bridging oxygen on top, 3 planes a period: 9 planes.
        {"--bulk rutile.cif --hkl 1 1 0 --termination 2 --layers 9",
         {{"O", 12}, {"Ti", 6}},
         "title=\"rutile.cif (1 1 0) termination 2\"",
         ""},
        {"--material TiO2 --hkl 1 1 0 --termination 2 --layers 9",
         {{"O", 12}, {"Ti", 6}},
         "title=\"TiO2 (1 1 0) termination 2\"",
         ""},
        // SrTiO3 (1 0 0) planes 1.95 Angstrom apart: 7.8 Angstrom is 5 planes, at least.
        {"--material SrTiO3 --hkl 1 0 0 --termination 2 --thickness 7.8",
         {{"O", 8}, {"Sr", 2}, {"Ti", 3}},
         "title=\"SrTiO3 (1 0 0) termination 2\"",
         ""},
        {"--material SrTiO3 --hkl 1 0 0 --thickness 7.81", {{"O", 7}, {"Sr", 3}, {"Ti", 2}}, "", ""},
        {"--material SrTiO3 --hkl 1 0 0 --thickness 7.82", {{"O", 9}, {"Sr", 3}, {"Ti", 3}}, "", ""},
        // MgO (1 1 1) symmetric: Mg on both faces, one Mg more than O.
        {"--material MgO --hkl 1 1 1 --layers 4 --symmetric", {{"Mg", 3}, {"O", 2}}, "", "not have the bulk's"},
        {"--material ZnO --hkl 1 0 -1 0 --termination 2 --layers 2 --orthogonal",
         {{"O", 2}, {"Zn", 2}},
         "title=\"ZnO (1 0 -1 0) termination 2\"",
         ""},
    };
    for (const auto& row : rows) {
        const ExportRun r = run(std::string("export ") + row.args + " --out s.xyz");
        ASSERT_EQ(r.status, 0) << row.args << "\n" << r.err;
        const auto [atoms, title] = read("s.xyz");
        EXPECT_EQ(atoms, row.atoms) << row.args;
        if (*row.title) {
            EXPECT_EQ(title, row.title) << row.args;
        }
        if (*row.note) {
            EXPECT_NE(r.err.find(row.note), std::string::npos) << row.args << r.err;
        } else {
            EXPECT_EQ(r.err, "") << row.args;
        }
        fs::remove(work() / "s.xyz");
    }

    const struct {
        const char* args;
        const char* words;
    } faults[] = {
        {"--material TiO2 --hkl 1 1 0 --termination 4", "the plane has 3 terminations (1 to 3)"},
        {"--material TiO2 --hkl 1 1 0 --termination A", "numbered 1, 2, ..."},
        {"--material Cu --hkl 1 1 1 --termination 2", "takes A or B on a lattice"},
        {"--material TiO2 --hkl 1 1 0 --layers 4 --thickness 8", "--layers and --thickness exclude"},
        {"--material TiO2 --hkl 1 1 0 --thickness -2", "--thickness '-2'"},
        {"--material Cu --hkl 1 1 1 --symmetric", "--symmetric applies only to a bulk"},
        {"--material ZnO --hkl 0 0 1 --symmetric", "no symmetric slab"},
        {"--material Cu --hkl 1 1 1 --plane-tolerance 0.2", "--plane-tolerance applies only"},
        {"--bulk rutile.cif --material TiO2 --hkl 1 1 0", "exclude each other"},
        {"--bulk missing.cif --hkl 1 1 0", "missing.cif"},
    };
    for (const auto& row : faults) {
        const ExportRun r = run(std::string("export ") + row.args + " --out s.xyz");
        EXPECT_EQ(r.status, 2) << row.args;
        EXPECT_NE(r.err.substr(0, r.err.find('\n')).find(row.words), std::string::npos) << row.args << "\n" << r.err;
        EXPECT_FALSE(fs::exists(work() / "s.xyz")) << row.args;
    }

    // Every element in a POSCAR's element line, three for a perovskite.
    EXPECT_EQ(run("export --material SrTiO3 --hkl 1 1 0 --layers 4 --out POSCAR").status, 0);
    EXPECT_NE(workFile("POSCAR").find("  Sr  Ti  O\n  2  2  6\nCartesian\n"), std::string::npos) << workFile("POSCAR");

    // leed, figure and report on the same crystal.
    ExportRun r = run("leed --bulk rutile.cif --hkl 1 1 0 --energy 80 --out l.png");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("rutile.cif (1 1 0) termination 1, rectangular cell a = 2.9590", 0), 0u) << r.out;
    EXPECT_TRUE(fs::exists(work() / "l.png"));
    r = run("figure --material SrTiO3 --hkl 1 1 1 --termination 2 --thickness 5 --out f.svg");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::exists(work() / "f.svg"));
    r = run("figure --material SrTiO3 --hkl 1 1 1 --layers 3 --thickness 5 --out g.svg");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err.rfind("facetor: options --layers and --thickness exclude each other\n", 0), 0u) << r.err;
    EXPECT_FALSE(fs::exists(work() / "g.svg"));
    // A hexagonal cell's plane also with four indices; a crystal whose elements differ in
    // coordination names no one bulk number.
    r = run("report --material ZnO --hkl 1 0 -1 0");
    EXPECT_NE(r.out.find("\nplane (h k i l)  (1 0 -1 0)\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\ncoordination     CN: atoms per cell, bulk 4\n"), std::string::npos) << r.out;
    EXPECT_NE(run("report --material SrTiO3 --hkl 1 0 0").out.find("\ncoordination     CN: atoms per cell\n"),
              std::string::npos);
    r = run("report --material TiO2 --hkl 1 1 0 --termination 2 --format json");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\"exposed\": [{\"plane\": 1, \"coordination\": {\"2\": 1}}, {\"plane\": 2, \"coordination\": "
                         "{\"3\": 2, \"5\": 1, \"6\": 1}}"),
              std::string::npos)
        << r.out;
}

// slab --format xyz --material: the drawn atoms in Angstrom with the material's symbols.
TEST_F(ExportCommand, DrawnSlabInAngstrom)
{
    auto atoms = [](const std::string& text) {
        std::istringstream in(text.substr(text.find('\n', text.find('\n') + 1) + 1));
        std::vector<double> xyz;
        std::string symbol;
        double x, y, z;
        while (in >> symbol >> x >> y >> z && xyz.size() < 150)
            xyz.insert(xyz.end(), {x, y, z});
        return xyz;
    };
    // Angstrom per lattice unit along the frame's x, y and z: one factor for the cubic
    // lattices; a in the basal plane and c over the ideal c along the normal for HCP (0 0 1).
    const struct {
        const char* args;
        const char* symbol;
        double scale[3];
    } rows[] = {
        {"fcc --hkl 1 1 0 --material Cu", "\nCu ", {3.6149, 3.6149, 3.6149}},
        {"bcc --hkl 2 1 1 --material W", "\nW ", {3.1652 / 0.816f, 3.1652 / 0.816f, 3.1652 / 0.816f}},
        {"zincblende --termination B --hkl 1 1 1 --material GaAs", "\nAs ", {5.6533, 5.6533, 5.6533}},
        {"hcp --termination B --hkl 0 0 1 --material Zn", "\nZn ", {2.6649, 2.6649, 4.9468 / 1.6329932f}},
    };
    for (const auto& row : rows) {
        const std::string args = std::string("slab --format xyz --lattice ") + row.args;
        const auto p = atoms(run(args.substr(0, args.find(" --material"))).out);
        const ExportRun real = run(args);
        ASSERT_EQ(real.status, 0) << real.err;
        EXPECT_TRUE(real.out.find("\nX ") == std::string::npos && real.out.find(row.symbol) != std::string::npos);
        const auto q = atoms(real.out);
        ASSERT_EQ(p.size(), 150u);
        ASSERT_EQ(q.size(), 150u);
        for (std::size_t k = 0; k < p.size(); ++k)
            EXPECT_NEAR(q[k], p[k] * row.scale[k % 3], 1e-4) << row.args << " " << k;
    }
    for (const char* bad : {"--format xyz --material Fe", "--material Cu", "--format xyz --material Qq"})
        EXPECT_EQ(run(std::string("slab --lattice fcc --hkl 1 1 1 ") + bad).status, 2) << bad;
}

} // namespace
