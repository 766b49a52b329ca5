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
    EXPECT_EQ(parseStructureFormat("poscar"), StructureFormat::Poscar);
    EXPECT_FALSE(parseStructureFormat("xyz2"));
    const std::pair<const char*, std::optional<StructureFormat>> rows[] = {
        {"CU.EXTXYZ", StructureFormat::ExtendedXyz},
        {"run/POSCAR", StructureFormat::Poscar},
        {"slab.vasp", StructureFormat::Poscar},
        {"a/b.cif", StructureFormat::Cif},
        {".xyz", std::nullopt},
        {"cif.d/slab", std::nullopt},
    };
    for (const auto& [path, format] : rows)
        EXPECT_EQ(structureFormatOfPath(path), format) << path;
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

bool aseAvailable() { return std::system("/usr/bin/python3 -c 'import ase.io' >/dev/null 2>&1") == 0; }

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
        Miller hkl;
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
        const auto cell = surfaceCell(spec, row.kind);
        ASSERT_TRUE(cell) << cell.error().message;
        const PeriodicSlab slab = buildSlab(*cell, {5, 2, 3, 8.0});

        std::ostringstream expected;
        expected.precision(17);
        expected << slab.atoms.size() << '\n';
        for (Position v : {slab.a, slab.b, slab.c})
            expected << v.x << ' ' << v.y << ' ' << v.z << ' ';
        expected << '\n';
        for (const SlabAtom& atom : slab.atoms)
            expected << slab.elements[std::size_t(atom.species)] << ' ' << atom.position.x << ' ' << atom.position.y
                     << ' ' << atom.position.z << '\n';
        std::ofstream(dir / "expected.txt") << expected.str();
        std::string args;
        for (const auto& [name, format, aseFormat] : {std::tuple{"slab.xyz", StructureFormat::ExtendedXyz, "extxyz"},
                                                      std::tuple{"POSCAR", StructureFormat::Poscar, "vasp"},
                                                      std::tuple{"slab.cif", StructureFormat::Cif, "cif"}}) {
            std::ofstream(dir / name, std::ios::binary) << formatStructure(slab, format, surfaceTitle(spec));
            args += " '" + (dir / name).string() + "' " + aseFormat;
        }
        const std::string command = "/usr/bin/python3 '" + (dir / "reader.py").string() + "' '"
            + (dir / "expected.txt").string() + "'" + args + " 2>&1";
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

} // namespace
} // namespace crystal
