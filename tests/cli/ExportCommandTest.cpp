// facetor materials, facetor export and slab --material as a user runs them: the real executable
// in a scratch directory.

#include "crystal/Material.h"
#include "tests/cli/CommandRun.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
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
    EXPECT_EQ(lines, crystal::materialPresets().size());
    for (const char* line : {"Cu fcc 3.6149 - Cu\n", "Fe bcc 2.8665 - Fe\n", "Mg hcp 3.2094 5.2108 Mg\n",
                             "GaAs zincblende 5.6533 - Ga,As\n", "Si zincblende 5.431 - Si\n"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line;
    EXPECT_EQ(run("materials --all").status, 2);
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
