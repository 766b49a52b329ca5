// Structure files: names and formats, and every format read back by a real reader (ASE).

#include "crystal/StructureFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace crystal {
namespace {

TEST(StructureFile, FormatsByNameAndByFileName)
{
    EXPECT_EQ(parseStructureFormat("extxyz"), StructureFormat::ExtendedXyz);
    EXPECT_EQ(parseStructureFormat("poscar"), StructureFormat::Poscar);
    EXPECT_EQ(parseStructureFormat("cif"), StructureFormat::Cif);
    EXPECT_FALSE(parseStructureFormat("xyz2"));
    EXPECT_FALSE(parseStructureFormat(""));
    const struct {
        const char* path;
        std::optional<StructureFormat> format;
    } rows[] = {
        {"cu111.xyz", StructureFormat::ExtendedXyz}, {"dir/cu.extxyz", StructureFormat::ExtendedXyz},
        {"CU.XYZ", StructureFormat::ExtendedXyz},    {"POSCAR", StructureFormat::Poscar},
        {"run/POSCAR", StructureFormat::Poscar},     {"slab.vasp", StructureFormat::Poscar},
        {"slab.poscar", StructureFormat::Poscar},    {"a/b.cif", StructureFormat::Cif},
        {"slab.png", std::nullopt},                  {"slab", std::nullopt},
        {".xyz", std::nullopt},                      {"xyz", std::nullopt},
        {"cif.d/slab", std::nullopt},
    };
    for (const auto& row : rows)
        EXPECT_EQ(structureFormatOfPath(row.path), row.format) << row.path;
}

// Reads each file with ASE and compares atoms, elements and cell with the slab.
constexpr const char* Reader = R"(
import sys
import numpy as np
import ase.io
lines = open(sys.argv[1]).read().split('\n')
n = int(lines[0])
cell = np.array([float(x) for x in lines[1].split()]).reshape(3, 3)
symbols = np.array([l.split()[0] for l in lines[2:2 + n]])
positions = np.array([[float(x) for x in l.split()[1:]] for l in lines[2:2 + n]])
for path, fmt in zip(sys.argv[2::2], sys.argv[3::2]):
    atoms = ase.io.read(path, format=fmt)
    assert len(atoms) == n, (path, len(atoms))
    assert np.allclose(atoms.cell[:], cell, atol=1e-6), (path, atoms.cell[:])
    assert sorted(atoms.get_chemical_symbols()) == sorted(symbols), path
    for s, p in zip(atoms.get_chemical_symbols(), atoms.positions):
        d = np.linalg.norm(positions - p, axis=1)
        assert np.any((d < 1e-5) & (symbols == s)), (path, s, p)
print('read', n)
)";

bool aseAvailable()
{
    return std::system("/usr/bin/python3 -c 'import ase.io' >/dev/null 2>&1") == 0;
}

TEST(StructureFile, AseReadsEveryFormatToTheSameAtomsAndCell)
{
    if (!aseAvailable())
        GTEST_SKIP() << "/usr/bin/python3 cannot import ase (scripts/setup installs python3-ase)";
    char tmpl[] = "/tmp/facetor-crystal-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    const fs::path dir = tmpl;
    std::ofstream(dir / "reader.py") << Reader;

    const struct {
        const char* material;
        Index3 hkl;
        Termination term;
        InPlaneCell kind;
    } rows[] = {
        {"GaAs", {1, 1, 0}, Termination::A, InPlaneCell::Primitive},
        {"Si", {1, 1, 1}, Termination::B, InPlaneCell::Orthogonal},
        {"Mg", {1, 0, 1}, Termination::A, InPlaneCell::Primitive},
        {"Pt", {5, 3, 1}, Termination::None, InPlaneCell::Primitive},
    };
    for (const auto& row : rows) {
        const SurfaceSpec spec{*findMaterial(row.material), row.hkl, row.term};
        SCOPED_TRACE(surfaceTitle(spec));
        std::string error;
        const auto cell = surfaceCell(spec, row.kind, error);
        ASSERT_TRUE(cell) << error;
        const PeriodicSlab slab = buildSlab(*cell, spec.material, {5, 2, 3, 8.0});

        std::ostringstream expected;
        expected.precision(17);
        expected << slab.atoms.size() << '\n';
        for (Vec3 v : {slab.a, slab.b, slab.c})
            expected << v.x << ' ' << v.y << ' ' << v.z << ' ';
        expected << '\n';
        for (const SlabAtom& atom : slab.atoms)
            expected << slab.elements[std::size_t(atom.species)] << ' ' << atom.position.x << ' ' << atom.position.y
                     << ' ' << atom.position.z << '\n';
        std::ofstream(dir / "expected.txt") << expected.str();
        std::string args;
        for (const auto& [name, format, aseFormat] :
             {std::tuple{"slab.xyz", StructureFormat::ExtendedXyz, "extxyz"},
              std::tuple{"POSCAR", StructureFormat::Poscar, "vasp"}, std::tuple{"slab.cif", StructureFormat::Cif, "cif"}}) {
            std::ofstream(dir / name, std::ios::binary) << formatStructure(slab, format, surfaceTitle(spec));
            args += " '" + (dir / name).string() + "' " + aseFormat;
        }
        const std::string command = "/usr/bin/python3 '" + (dir / "reader.py").string() + "' '" +
                                    (dir / "expected.txt").string() + "'" + args + " 2>&1";
        std::string output;
        FILE* pipe = popen(command.c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        char buf[512];
        while (fgets(buf, sizeof buf, pipe))
            output += buf;
        const int status = pclose(pipe);
        EXPECT_EQ(status, 0) << output;
        EXPECT_EQ(output, "read " + std::to_string(slab.atoms.size()) + "\n");
    }
    fs::remove_all(dir);
}

TEST(StructureFile, LayoutOfEachFormat)
{
    const SurfaceSpec spec{*findMaterial("GaAs"), {0, 0, 1}, Termination::A};
    std::string error;
    const auto cell = surfaceCell(spec, InPlaneCell::Primitive, error);
    ASSERT_TRUE(cell);
    const PeriodicSlab slab = buildSlab(*cell, spec.material, {4, 1, 1, 10.0});
    const std::string title = surfaceTitle(spec);

    const std::string xyz = formatStructure(slab, StructureFormat::ExtendedXyz, title);
    EXPECT_EQ(xyz.rfind("4\nLattice=\"", 0), 0u) << xyz;
    EXPECT_NE(xyz.find("\" Properties=species:S:1:pos:R:3 pbc=\"T T F\" title=\"GaAs (0 0 1) termination A\"\nGa "),
              std::string::npos)
        << xyz;

    // Grouped by element, Ga first (species 0), although the planes alternate.
    const std::string poscar = formatStructure(slab, StructureFormat::Poscar, title);
    EXPECT_NE(poscar.find("\n  Ga  As\n  2  2\nCartesian\n"), std::string::npos) << poscar;
    EXPECT_EQ(poscar.rfind("GaAs (0 0 1) termination A\n1.0\n", 0), 0u) << poscar;

    const std::string cif = formatStructure(slab, StructureFormat::Cif, title);
    for (const char* line : {"_symmetry_space_group_name_H-M 'P 1'\n", "_cell_angle_gamma 90.0000000000\n",
                             "_atom_site_fract_z\nGa1 Ga "})
        EXPECT_NE(cif.find(line), std::string::npos) << line << cif;
    EXPECT_EQ(cif.rfind("data_GaAs_0_0_1_termination_A\n", 0), 0u) << cif;
}

} // namespace
} // namespace crystal
