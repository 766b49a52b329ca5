// The preset table and custom materials.

#include "crystal/Material.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

namespace crystal {
namespace {

TEST(Material, PresetsCoverEveryLatticeWithRealConstants)
{
    const struct {
        LatticeKind lattice;
        std::vector<std::string> names;
    } required[] = {
        {LatticeKind::Fcc, {"Cu", "Ag", "Au", "Ni", "Pd", "Pt", "Al", "Ir", "Rh", "Pb"}},
        {LatticeKind::Bcc, {"Fe", "W", "Mo", "Cr", "Nb", "Ta", "V", "Na", "K"}},
        {LatticeKind::Hcp, {"Mg", "Zn", "Ti", "Co", "Ru", "Zr", "Cd", "Be", "Re", "Os"}},
        {LatticeKind::ZincBlende, {"GaAs", "InP", "InAs", "GaP", "ZnS", "CdTe", "InSb", "AlAs", "C", "Si", "Ge"}},
    };
    for (const auto& row : required)
        for (const std::string& name : row.names) {
            const Material* m = findMaterial(name);
            ASSERT_NE(m, nullptr) << name;
            EXPECT_EQ(m->lattice, row.lattice) << name;
        }
    std::set<std::string> names;
    for (const Material& m : materialPresets()) {
        SCOPED_TRACE(m.name);
        EXPECT_TRUE(names.insert(m.name).second) << "listed twice";
        EXPECT_FALSE(m.source.empty());
        // Room-temperature constants of real solids lie between 2 and 7 Angstrom.
        EXPECT_GT(m.a, 2.0);
        EXPECT_LT(m.a, 7.0);
        if (m.lattice == LatticeKind::Hcp) {
            EXPECT_GT(m.c / m.a, 1.5);
            EXPECT_LT(m.c / m.a, 1.9);
        } else {
            EXPECT_EQ(m.c, 0.0);
        }
        const std::size_t count = m.elements.size();
        EXPECT_TRUE(count == 1 || (count == 2 && m.lattice == LatticeKind::ZincBlende));
        for (const std::string& e : m.elements)
            EXPECT_TRUE(isElementSymbol(e)) << e;
        // A compound puts its first element on species 0; diamond has one element on both.
        EXPECT_EQ(m.element(0), m.elements.front());
        EXPECT_EQ(m.element(1), m.elements.back());
    }
    EXPECT_GE(names.size(), 30u);
    EXPECT_EQ(findMaterial("gaas"), findMaterial("GaAs"));
    EXPECT_EQ(findMaterial("Unobtainium"), nullptr);
    EXPECT_EQ(findMaterial("GaAs")->element(1), "As");
    EXPECT_EQ(defaultMaterial(LatticeKind::Fcc).name, "Cu");
    EXPECT_EQ(defaultMaterial(LatticeKind::Bcc).name, "Fe");
    EXPECT_EQ(defaultMaterial(LatticeKind::Hcp).name, "Mg");
    EXPECT_EQ(defaultMaterial(LatticeKind::ZincBlende).name, "GaAs");
}

TEST(Material, CustomMaterialsAreChecked)
{
    const double inf = INFINITY;
    const struct {
        LatticeKind lattice;
        std::vector<std::string> elements;
        double a;
        std::optional<double> c;
        bool good;
    } rows[] = {
        {LatticeKind::Fcc, {"Cu"}, 3.6, std::nullopt, true},
        {LatticeKind::Hcp, {"Mg"}, 3.2, 5.2, true},
        {LatticeKind::ZincBlende, {"Ga", "N"}, 4.5, std::nullopt, true},
        {LatticeKind::ZincBlende, {"Si"}, 5.43, std::nullopt, true},
        {LatticeKind::Fcc, {"CU"}, 3.6, std::nullopt, false},
        {LatticeKind::Fcc, {"Xx"}, 3.6, std::nullopt, false},
        {LatticeKind::Fcc, {""}, 3.6, std::nullopt, false},
        {LatticeKind::Fcc, {}, 3.6, std::nullopt, false},
        {LatticeKind::Fcc, {"Cu", "Ag"}, 3.6, std::nullopt, false},
        {LatticeKind::ZincBlende, {"Ga", "As", "P"}, 5.6, std::nullopt, false},
        {LatticeKind::Fcc, {"Cu"}, 0.0, std::nullopt, false},
        {LatticeKind::Fcc, {"Cu"}, -3.6, std::nullopt, false},
        {LatticeKind::Fcc, {"Cu"}, inf, std::nullopt, false},
        {LatticeKind::Fcc, {"Cu"}, NAN, std::nullopt, false},
        {LatticeKind::Fcc, {"Cu"}, 3.6, 5.0, false},
        {LatticeKind::Hcp, {"Mg"}, 3.2, std::nullopt, false},
        {LatticeKind::Hcp, {"Mg"}, 3.2, 0.0, false},
        {LatticeKind::Hcp, {"Mg"}, 3.2, inf, false},
    };
    for (const auto& row : rows) {
        std::string error;
        const auto m = customMaterial(row.lattice, row.elements, row.a, row.c, error);
        EXPECT_EQ(m.has_value(), row.good) << row.a << " " << (row.elements.empty() ? "" : row.elements[0]);
        EXPECT_EQ(error.empty(), row.good) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos);
        if (m) {
            EXPECT_EQ(m->c, row.lattice == LatticeKind::Hcp ? *row.c : 0.0);
        }
    }
}

} // namespace
} // namespace crystal
