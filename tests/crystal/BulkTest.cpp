// Bulk crystals read from POSCAR, extended XYZ and CIF: one crystal written in many forms reads
// back as the same atoms; bad files are refused with a line naming the file, line and problem.

#include "crystal/Bulk.h"
#include "crystal/StructureFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace crystal {
namespace {

// The atoms as sorted (element, rounded Cartesian position) rows, comparable across cells that
// differ only in how the file wrote them.
std::vector<std::string> atomsOf(const BulkCrystal& b)
{
    std::vector<std::string> out;
    for (const BulkSite& s : b.sites) {
        const Position r = s.fractional[0] * b.cell[0] + s.fractional[1] * b.cell[1] + s.fractional[2] * b.cell[2];
        char row[96];
        std::snprintf(row, sizeof row, "%s %.4f %.4f %.4f", s.element.c_str(), r.x + 0.0, r.y + 0.0, r.z + 0.0);
        out.push_back(row);
    }
    std::sort(out.begin(), out.end());
    return out;
}

// Rutile TiO2 (a = 4.594, c = 2.959, u = 0.305) in six forms.
constexpr const char* RutileDirect =
    "TiO2 rutile\n1.0\n4.594 0 0\n0 4.594 0\n0 0 2.959\nTi O\n2 4\nDirect\n"
    "0 0 0\n0.5 0.5 0.5\n0.305 0.305 0\n0.695 0.695 0\n0.805 0.195 0.5\n0.195 0.805 0.5\n";
// The same with the volume as a negative scale, selective dynamics and Cartesian positions.
constexpr const char* RutileCartesian = "TiO2\n-62.449\n1 0 0\n0 1 0\n0 0 0.644101\nTi_pv O\n2 4\n"
                                        "Selective dynamics\nCartesian\n0 0 0 T T F\n0.5 0.5 0.322050 T T T\n"
                                        "0.305 0.305 0 F F F\n0.695 0.695 0 T T T\n0.805 0.195 0.32205 T T T\n"
                                        "0.195 0.805 0.32205 T T T\n";
constexpr const char* RutileXyz = "6\nLattice=\"4.594 0 0 0 4.594 0 0 0 2.959\" Properties=species:S:1:pos:R:3 "
                                  "pbc=\"T T T\"\nTi 0 0 0\nTi 2.297 2.297 1.4795\nO 1.40117 1.40117 0\n"
                                  "O 3.19283 3.19283 0\nO 3.69817 0.89583 1.4795\nO 0.89583 3.69817 1.4795\n";
// The asymmetric unit with the space group's name, and with its operations listed.
constexpr const char* RutileCif = "data_rutile\n_cell_length_a 4.594\n_cell_length_b 4.594\n_cell_length_c 2.959(1)\n"
                                  "_cell_angle_alpha 90\n_cell_angle_beta 90\n_cell_angle_gamma 90\n"
                                  "_symmetry_space_group_name_H-M 'P 42/m n m'\nloop_\n_atom_site_label\n"
                                  "_atom_site_type_symbol\n_atom_site_fract_x\n_atom_site_fract_y\n_atom_site_fract_z\n"
                                  "_atom_site_occupancy\nTi1 Ti4+ 0 0 0 1.0\nO1 O2- 0.305 0.305 0 1\n";
constexpr const char* RutileCifOps =
    "data_other\n_cell_length_a 1\n_cell_length_b 1\n_cell_length_c 1\n_atom_site_label x\n"
    "_atom_site_fract_x 0\n_atom_site_fract_y 0\n_atom_site_fract_z 0\n"
    "data_rutile_ops\n_cell_length_a 4.594\n_cell_length_b 4.594\n_cell_length_c 2.959\n"
    "_cell_angle_alpha 90\n_cell_angle_beta 90\n_cell_angle_gamma 90\nloop_\n_space_group_symop_operation_xyz\n"
    "x,y,z\n-x,-y,z\n-y+1/2,x+1/2,z+1/2\ny+1/2,-x+1/2,z+1/2\n-x+1/2,y+1/2,-z+1/2\nx+1/2,-y+1/2,-z+1/2\n"
    "y,x,-z\n-y,-x,-z\n-x,-y,-z\nx,y,-z\ny+1/2,-x+1/2,-z+1/2\n-y+1/2,x+1/2,-z+1/2\nx+1/2,-y+1/2,z+1/2\n"
    "-x+1/2,y+1/2,z+1/2\n-y,-x,z\ny,x,z\nloop_\n_atom_site_label\n_atom_site_fract_x\n_atom_site_fract_y\n"
    "_atom_site_fract_z\nTi 0 0 0\nO 0.305 0.305 0\n";

TEST(Bulk, OneCrystalInEveryFormReadsBackAsTheSameAtoms)
{
    const auto reference = readBulk(RutileDirect, StructureFormat::Poscar, "POSCAR");
    ASSERT_TRUE(reference) << reference.error().message;
    ASSERT_EQ(reference->sites.size(), 6u);
    EXPECT_EQ(reference->name, "TiO2 rutile");
    const struct {
        const char* text;
        StructureFormat format;
        const char* block;
    } rows[] = {
        {RutileCartesian, StructureFormat::Poscar, ""},
        {RutileXyz, StructureFormat::ExtendedXyz, ""},
        {RutileCif, StructureFormat::Cif, ""},
        {RutileCifOps, StructureFormat::Cif, "rutile_ops"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        const auto b = readBulk(row.text, row.format, "f", row.block);
        ASSERT_TRUE(b) << b.error().message;
        EXPECT_EQ(atomsOf(*b), atomsOf(*reference));
        EXPECT_NEAR(dot(b->cell[2], cross(b->cell[0], b->cell[1])), 4.594 * 4.594 * 2.959, 1e-2);
    }
    // The charges of a CIF's type symbols are the atoms' oxidation states.
    const auto cif = readBulk(RutileCif, StructureFormat::Cif, "f");
    ASSERT_TRUE(cif);
    for (const BulkSite& s : cif->sites)
        EXPECT_EQ(s.oxidation, s.element == "Ti" ? 4 : -2);
}

TEST(Bulk, SymmetryImagesOnSpecialPositionsAreOneAtom)
{
    // Rock salt from its two sites: 192 operations give 4 Na and 4 Cl in the cell.
    const char* text = "data_NaCl\n_cell_length_a 5.64\n_cell_length_b 5.64\n_cell_length_c 5.64\n"
                       "_space_group_IT_number 225\nloop_\n_atom_site_label\n_atom_site_fract_x\n"
                       "_atom_site_fract_y\n_atom_site_fract_z\nNa 0 0 0\nCl 0.5 0.5 0.5\n";
    const auto b = readBulk(text, StructureFormat::Cif, "nacl.cif");
    ASSERT_TRUE(b) << b.error().message;
    EXPECT_EQ(std::count_if(b->sites.begin(), b->sites.end(), [](const BulkSite& s) { return s.element == "Na"; }), 4);
    EXPECT_EQ(b->sites.size(), 8u);
}

TEST(Bulk, BadFilesAreRefusedNamingFileLineAndProblem)
{
    const struct {
        const char* text;
        StructureFormat format;
        const char* message;
    } rows[] = {
        {"t\n1\n1 0 0\n0 1 0\n0 0 1\n2\nDirect\n0 0 0\n0.5 0.5 0.5\n", StructureFormat::Poscar,
         "P: line 6: element symbols expected (the VASP 5 form, with its line of elements)"},
        {"t\n1\n1 0 0\n0 1 0\n0 0 1\nCu Xx\n1 1\nDirect\n", StructureFormat::Poscar,
         "P: line 6: \"Xx\" is not an element symbol"},
        {"t\n1\n1 0 0\n0 1 0\n0 0 1\nCu\n2\nDirect\n0 0 0\n0.5 zero 0\n", StructureFormat::Poscar,
         "P: line 10: \"zero\" in an atom's position is not a number"},
        {"t\n1\n1 0 0\n0 1 0\n0 0 1\nCu\n2\nDirect\n0 0 0\n", StructureFormat::Poscar,
         "P: the file ends before an atom's position"},
        {"t\n1\n1 0 0\n0 1 0\n0 0 1\nCu\n1\nPolar\n0 0 0\n", StructureFormat::Poscar,
         "P: line 8: \"Direct\" or \"Cartesian\" expected"},
        {"t\n1\n0 1 0\n1 0 0\n0 0 1\nCu\n1\nDirect\n0 0 0\n", StructureFormat::Poscar,
         "P: the cell vectors are left-handed (negative volume)"},
        {"t\n1\n1 0 0\n0 1 0\n0 0 1\nCu Au\n1 1\nDirect\n0 0 0\n1.0 0 0\n", StructureFormat::Poscar,
         "P: atoms of Cu and Au at one place"},
        {"1\npbc=\"T T T\"\nCu 0 0 0\n", StructureFormat::ExtendedXyz,
         "P: line 2: no Lattice=\"...\": the file gives no cell"},
        {"2\nLattice=\"3 0 0 0 3 0 0 0 3\"\nCu 0 0 0\n", StructureFormat::ExtendedXyz,
         "P: the file ends before all 2 atoms are listed"},
        {"data_x\n_cell_length_a 4\n_cell_length_b 4\n_cell_length_c 4\nloop_\n_atom_site_label\n"
         "_atom_site_fract_x\n_atom_site_fract_y\n_atom_site_fract_z\n_atom_site_occupancy\nFe 0 0 0 0.5\n",
         StructureFormat::Cif, "P: data_x: atom Fe has occupancy 0.5: partly occupied sites are not supported"},
        {"data_x\n_cell_length_a 4\n_cell_length_c 4\n", StructureFormat::Cif, "P: data_x: _cell_length_b is missing"},
        {"data_x\n_cell_length_a\n", StructureFormat::Cif, "P:2 in data_x: _cell_length_a has no value"},
        {RutileCif, StructureFormat::Cif, "P: no data block \"other\""},
    };
    for (const auto& row : rows) {
        const auto b = readBulk(row.text, row.format, "P", row.text == RutileCif ? "other" : "");
        ASSERT_FALSE(b) << row.message;
        EXPECT_EQ(b.error().message, row.message);
    }
}

} // namespace
} // namespace crystal
