// facetor terminations as a user runs it: presets, files and custom lattices, the JSON read by
// Python, and faults named in one line.

#include "tests/cli/CommandRun.h"

#include <fstream>

namespace cli::test {
namespace {

using TerminationsCommand = CommandRun;

TEST_F(TerminationsCommand, PresetsFilesAndFaults)
{
    // Rutile (1 1 0) from a CIF of its asymmetric unit: three cuts, the bridging-oxygen one
    // without a dipole; the same as the preset's.
    std::ofstream(work() / "rutile.cif")
        << "data_rutile\n_cell_length_a 4.594\n_cell_length_b 4.594\n"
           "_cell_length_c 2.959\n_symmetry_space_group_name_H-M 'P 42/m n m'\n"
           "loop_\n_atom_site_label\n_atom_site_type_symbol\n_atom_site_fract_x\n"
           "_atom_site_fract_y\n_atom_site_fract_z\nTi1 Ti4+ 0 0 0\nO1 O2- 0.305 0.305 0\n";
    const std::string check =
        "python3 -c \"import json,sys; d=json.load(sys.stdin); "
        "assert d['space_group']=={'symbol':'P4_2/mnm','number':136}; "
        "assert [t['tasker'] for t in d['terminations']]==[3,2,3]; "
        "assert (d['cell']['a_direction'], d['cell']['b_direction'])==([0,0,1],[1,-1,0]); "
        "assert [t['first_spacing_length'] for t in d['terminations']]==['short','long','long']; "
        "assert abs(d['terminations'][0]['first_spacing']-d['terminations'][0]['planes'][0]['height']"
        "+d['terminations'][0]['planes'][1]['height'])<1e-12; "
        "assert all(abs(sum(p['composition'].get('O',0) for p in t['planes'])"
        "-2*sum(p['composition'].get('Ti',0) for p in t['planes']))==0 for t in d['terminations'])\"";
    for (const std::string source : {"--bulk rutile.cif", "--material TiO2"}) {
        const CommandResult r = run("terminations " + source + " --hkl 1 1 0 --format json");
        EXPECT_EQ(r.status, 0) << source << r.err;
        std::ofstream(m_dir / "t.json") << r.out;
        EXPECT_EQ(std::system((check + " <'" + (m_dir / "t.json").string() + "'").c_str()), 0) << source << r.out;
    }
    // A hexagonal custom lattice with four indices; a metal: no polarity.
    CommandResult r = run("terminations --lattice hcp --elements Zn --a 2.66 --c 4.95 --hkl 1 0 -1 0");
    EXPECT_EQ(r.status, 0) << r.err;
    // Each cut named by its first spacing, a sqrt3 / 2 split in thirds.
    EXPECT_NE(r.out.find("termination 1: top Zn, first spacing 0.7679 Angstrom (short)\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("termination 2: top Zn, first spacing 1.536 Angstrom (long)\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("polarity: none, an element"), std::string::npos) << r.out;

    // A file that cannot be read: one line naming it, no usage; a bad argument: the usage.
    r = run("terminations --bulk missing.cif --hkl 1 1 0");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "facetor: missing.cif: cannot be read: No such file or directory\n");
    r = run("terminations --material TiO2 --bulk rutile.cif --hkl 1 1 0");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err.substr(0, r.err.find('\n')),
              "facetor: options --material, --bulk and --lattice exclude each other");
    EXPECT_NE(r.err.find("usage:"), std::string::npos);
}

} // namespace
} // namespace cli::test
