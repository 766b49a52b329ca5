// The preset table and custom materials.

#include "crystal/Material.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace crystal {
namespace {

TEST(Material, PresetsCoverEveryLatticeWithRealConstants)
{
    const std::pair<LatticeKind, std::vector<std::string>> required[] = {
        {LatticeKind::Fcc, {"Cu", "Ag", "Au", "Ni", "Pd", "Pt", "Al", "Ir", "Rh", "Pb"}},
        {LatticeKind::Bcc, {"Fe", "W", "Mo", "Cr", "Nb", "Ta", "V", "Na", "K"}},
        {LatticeKind::Hcp, {"Mg", "Zn", "Ti", "Co", "Ru", "Zr", "Cd", "Be", "Re", "Os"}},
        {LatticeKind::ZincBlende, {"GaAs", "InP", "InAs", "GaP", "ZnS", "CdTe", "InSb", "AlAs", "C", "Si", "Ge"}},
    };
    for (const auto& [lattice, names] : required)
        for (const std::string& name : names) {
            ASSERT_NE(findMaterial(name), nullptr) << name;
            EXPECT_EQ(findMaterial(name)->lattice, lattice) << name;
        }
    std::set<std::string> names;
    for (const Material& m : materialPresets()) {
        SCOPED_TRACE(m.name);
        EXPECT_TRUE(names.insert(m.name).second && !m.source.empty());
        // Room-temperature constants of real solids: a from 2 to 7 Angstrom, c/a of real HCP metals.
        EXPECT_TRUE(m.a > 2.0 && m.a < 7.0);
        EXPECT_TRUE(m.lattice == LatticeKind::Hcp ? m.c / m.a > 1.5 && m.c / m.a < 1.9 : m.c == 0.0);
        EXPECT_TRUE(m.elements.size() == 1 || (m.elements.size() == 2 && m.lattice == LatticeKind::ZincBlende));
        for (const std::string& e : m.elements)
            EXPECT_TRUE(isElementSymbol(e)) << e;
        // The first element on species 0; diamond has its one element on both.
        EXPECT_EQ(m.element(0), m.elements.front());
        EXPECT_EQ(m.element(1), m.elements.back());
    }
    EXPECT_GE(names.size(), 30u);
    EXPECT_EQ(findMaterial("gaas"), findMaterial("GaAs"));
    EXPECT_EQ(findMaterial("Unobtainium"), nullptr);
    EXPECT_EQ(defaultMaterial(LatticeKind::Fcc).name + defaultMaterial(LatticeKind::Bcc).name
                  + defaultMaterial(LatticeKind::Hcp).name + defaultMaterial(LatticeKind::ZincBlende).name,
              "CuFeMgGaAs");
}

TEST(Material, CustomMaterialsAreChecked)
{
    const struct {
        LatticeKind lattice;
        std::vector<std::string> elements;
        double a;
        std::optional<double> c;
        bool good;
    } rows[] = {
        {LatticeKind::Fcc, {"Cu"}, 3.6, std::nullopt, true},
        {LatticeKind::Hcp, {"Mg"}, 3.2, 5.2, true},
        {LatticeKind::ZincBlende, {"Ga", "N"}, 4.5, {}, true},
        {LatticeKind::ZincBlende, {"Si"}, 5.43, {}, true},
        {LatticeKind::Fcc, {"CU"}, 3.6, {}, false},
        {LatticeKind::Fcc, {"Xx"}, 3.6, {}, false},
        {LatticeKind::Fcc, {}, 3.6, {}, false},
        {LatticeKind::Fcc, {"Cu", "Ag"}, 3.6, {}, false},
        {LatticeKind::ZincBlende, {"Ga", "As", "P"}, 5.6, {}, false},
        {LatticeKind::Fcc, {"Cu"}, -3.6, {}, false},
        {LatticeKind::Fcc, {"Cu"}, 1001.0, {}, false},
        {LatticeKind::Fcc, {"Cu"}, NAN, {}, false},
        {LatticeKind::Fcc, {"Cu"}, 3.6, 5.0, false},
        {LatticeKind::Hcp, {"Mg"}, 3.2, {}, false},
        {LatticeKind::Hcp, {"Mg"}, 3.2, 0.0, false},
        {LatticeKind::Hcp, {"Mg"}, 3.2, NAN, false},
    };
    for (const auto& row : rows) {
        const auto m = customMaterial(row.lattice, row.elements, row.a, row.c);
        EXPECT_EQ(m.ok(), row.good) << row.a << " " << (row.elements.empty() ? "" : row.elements[0]);
        EXPECT_TRUE(m || !m.error().message.empty());
        EXPECT_TRUE(!m || m->c == (row.lattice == LatticeKind::Hcp ? *row.c : 0.0));
    }
}

} // namespace
} // namespace crystal
