// Structure prototypes and compound presets: every preset is a crystal of its formula, neutral in
// its formal charges, with the bond lengths and coordination of the published structures.

#include "crystal/Compound.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

namespace crystal {
namespace {

struct Neighbour {
    double distance;
    std::string element;
    Position offset; // from the centre, Angstrom
};

// Every other atom within three cells of atom i, nearest first: complete to at least twice the
// cell's smallest height.
std::vector<Neighbour> neighbours(const BulkCrystal& b, std::size_t i)
{
    std::vector<Neighbour> out;
    for (const BulkSite& s : b.sites)
        for (int n = 0; n < 343; ++n) {
            Position r;
            for (int k = 0, step = 1; k < 3; ++k, step *= 7)
                r = r + (s.fractional[k] - b.sites[i].fractional[k] + n / step % 7 - 3) * b.cell[k];
            if (norm(r) > 1e-9)
                out.push_back({norm(r), s.element, r});
        }
    std::sort(out.begin(), out.end(), [](const Neighbour& p, const Neighbour& q) { return p.distance < q.distance; });
    return out;
}

// The formula in a preset's name, up to a hyphen: "SrTiO3" is Sr 1, Ti 1, O 3.
std::map<std::string, int> formulaOf(const std::string& name)
{
    std::map<std::string, int> out;
    for (std::size_t i = 0; i < name.size() && name[i] != '-';) {
        const std::size_t start = i++;
        while (i < name.size() && std::islower((unsigned char)name[i]))
            ++i;
        const std::size_t digits = i;
        while (i < name.size() && std::isdigit((unsigned char)name[i]))
            ++i;
        out[name.substr(start, digits - start)] += i > digits ? std::stoi(name.substr(digits, i - digits)) : 1;
    }
    return out;
}

TEST(Prototype, EveryCompoundIsACrystalOfItsFormulaNeutralInItsCharges)
{
    // Formula units in the conventional cell, in the order of the enumeration from rock salt on.
    const int units[] = {4, 1, 1, 1, 4, 2, 4, 2, 6, 2, 4, 2, 2};
    const std::set<std::string> nonmetals = {"B", "C", "N", "O", "F", "Si", "P", "S", "Cl", "As", "Se", "Br", "I"};
    std::set<std::string> names;
    std::set<Prototype> prototypes;
    for (const Compound& c : compoundPresets()) {
        SCOPED_TRACE(c.name);
        std::string lower = c.name;
        std::transform(lower.begin(), lower.end(), lower.begin(), [](char ch) { return char(std::tolower(ch)); });
        EXPECT_TRUE(names.insert(lower).second && !c.source.empty() && !findMaterial(c.name)
                    && findCompound(lower) == &c);
        prototypes.insert(c.prototype);
        const auto bulk = bulkOf(c);
        ASSERT_TRUE(bulk) << bulk.error().message;

        // The formula's atoms times the formula units; salts and oxides carry a formal charge on
        // every atom, neutral over the cell, elements and alloys none.
        std::map<std::string, int> expected = formulaOf(c.name), found;
        const bool ionic = expected.size() > 1
            && std::any_of(expected.begin(), expected.end(), [&](auto& e) { return nonmetals.count(e.first); });
        for (auto& [element, count] : expected)
            count *= units[int(c.prototype) - int(Prototype::RockSalt)];
        int charge = 0;
        for (const BulkSite& s : bulk->sites) {
            ++found[s.element];
            EXPECT_EQ(s.oxidation.has_value(), ionic) << s.element;
            charge += s.oxidation.value_or(0);
        }
        EXPECT_EQ(found, expected);
        EXPECT_EQ(charge, 0);

        // No two atoms closer than 1 Angstrom; each element on one Wyckoff orbit, so its atoms see
        // the same distances (graphite's carbon on two: 2b with atoms straight above, 2c without).
        std::map<std::string, std::set<std::vector<long>>> surroundings;
        for (std::size_t i = 0; i < bulk->sites.size(); ++i) {
            std::vector<long> within;
            for (const Neighbour& n : neighbours(*bulk, i))
                if (n.distance < 4.0)
                    within.push_back(std::lround(n.distance * 1e4));
            EXPECT_GT(within.front(), 10000);
            surroundings[bulk->sites[i].element].insert(within);
        }
        for (const auto& [element, kinds] : surroundings)
            EXPECT_EQ(kinds.size(), c.prototype == Prototype::Graphite ? 2u : 1u) << element;
    }
    EXPECT_TRUE(names.size() >= 30 && prototypes.size() >= 10 && !findCompound("Unobtainium"));
}

TEST(Prototype, BondLengthsAndCoordinationAreThePublishedOnes)
{
    // The centre's neighbours of one element: how many in the first shell, the shortest and
    // longest bond (Angstrom), published or worked by hand from the constants; where given, the
    // direction of one bond, which fixes the polar axis.
    const struct {
        const char *compound, *centre, *neighbour;
        int count;
        double shortest, longest;
        Position bond{};
    } rows[] = {
        {"TiO2", "Ti", "O", 6, 1.9485, 1.9800}, // Abrahams and Bernstein
        {"TiO2", "O", "Ti", 3, 1.9485, 1.9800},         {"TiO2-anatase", "Ti", "O", 6, 1.934, 1.980},
        {"ZnO", "Zn", "O", 4, 1.974, 1.987, {0, 0, 1}}, {"GaN", "N", "Ga", 4, 1.946, 1.965, {0, 0, -1}},
        {"Al2O3", "Al", "O", 6, 1.855, 1.972},          {"Al2O3", "O", "Al", 4, 1.855, 1.972},
        {"Fe2O3", "Fe", "O", 6, 1.946, 2.116},          {"Cr2O3", "Cr", "O", 6, 1.965, 2.016},
        {"MgO", "Mg", "O", 6, 2.1059, 2.1059},          {"CaF2", "Ca", "F", 8, 2.3656, 2.3656},
        {"CaF2", "F", "Ca", 4, 2.3656, 2.3656},         {"SrTiO3", "Ti", "O", 6, 1.9527, 1.9527},
        {"SrTiO3", "Sr", "O", 12, 2.7615, 2.7615},      {"NiAl", "Ni", "Al", 8, 2.5002, 2.5002},
        {"Cu3Au", "Au", "Cu", 12, 2.6509, 2.6509},      {"Cu2O", "O", "Cu", 4, 1.8483, 1.8483},
        {"MoS2", "Mo", "S", 6, 2.418, 2.418},           {"BN", "B", "N", 3, 1.4457, 1.4457},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.compound) + " " + row.centre + "-" + row.neighbour);
        const auto bulk = bulkOf(*findCompound(row.compound));
        for (std::size_t i = 0; i < bulk->sites.size(); ++i) {
            if (bulk->sites[i].element != row.centre)
                continue;
            std::vector<Neighbour> shell;
            Position sum;
            for (const Neighbour& n : neighbours(*bulk, i))
                if (n.element == row.neighbour && (shell.empty() || n.distance < 1.15 * shell.front().distance)) {
                    shell.push_back(n);
                    sum = sum + (1.0 / n.distance) * n.offset;
                }
            ASSERT_EQ(int(shell.size()), row.count);
            EXPECT_NEAR(shell.front().distance, row.shortest, 0.01);
            EXPECT_NEAR(shell.back().distance, row.longest, 0.01);
            // The shell surrounds its centre: the bond directions do not all lean one way.
            EXPECT_LT(norm(sum), 1.0);
            EXPECT_TRUE(norm(row.bond) == 0 || std::any_of(shell.begin(), shell.end(), [&](const Neighbour& n) {
                            return dot(n.offset, row.bond) > 0.999 * n.distance;
                        }));
        }
    }
}

TEST(Prototype, DrawnLatticePresetsAsBulkCrystals)
{
    // III-V and II-VI zinc blendes carry their formal charges, the first element positive.
    const std::map<std::string, int> charges = {{"GaAs", 3}, {"InP", 3},  {"InAs", 3}, {"GaP", 3},
                                                {"InSb", 3}, {"AlAs", 3}, {"ZnS", 2},  {"CdTe", 2}};
    for (const Material& m : materialPresets()) {
        SCOPED_TRACE(m.name);
        const auto bulk = bulkOf(m);
        ASSERT_TRUE(bulk) << bulk.error().message;
        // Atoms per cell and nearest-neighbour distance of BCC, FCC, HCP and zinc blende.
        const double a = m.a,
                     nearest[] = {a * std::sqrt(3.0) / 2, a / std::sqrt(2.0),
                                  std::min(a, std::sqrt(a * a / 3 + m.c * m.c / 4)), a * std::sqrt(3.0) / 4};
        const std::size_t atoms[] = {2, 4, 2, 8};
        ASSERT_EQ(bulk->sites.size(), atoms[int(m.lattice)]);
        const int q = charges.count(m.name) ? charges.at(m.name) : 0;
        for (std::size_t i = 0; i < bulk->sites.size(); ++i) {
            const BulkSite& s = bulk->sites[i];
            const auto near = neighbours(*bulk, i);
            EXPECT_NEAR(near.front().distance, nearest[int(m.lattice)], 1e-9);
            EXPECT_EQ(s.oxidation, q ? std::optional(s.element == m.elements.front() ? q : -q) : std::nullopt);
            // As the drawn zinc blende: the second element a quarter of the cube diagonal from
            // the first along +[1 1 1].
            EXPECT_TRUE(
                m.elements.size() == 1 || s.element != m.elements.front()
                || std::any_of(near.begin(), near.end(), [&](const Neighbour& n) {
                       return n.element == m.elements.back() && norm(n.offset - 0.25 * Position{a, a, a}) < 1e-9;
                   }));
        }
    }
}

TEST(Prototype, BadParametersAreRefused)
{
    const Species ti{"Ti", 4}, o{"O", -2};
    const auto refusal = [](std::vector<Species> species, PrototypeParameters p) {
        const auto bulk = buildPrototype(Prototype::Rutile, "x", species, p);
        return bulk ? std::string() : bulk.error().message;
    };
    EXPECT_EQ(refusal({ti}, {4.6, 3.0, {0.3, 0}}), "rutile: needs 2 elements (AX2)");
    EXPECT_EQ(refusal({ti, o}, {4.6, 0.0, {0.3, 0}}), "rutile: lattice constant c must be from 0.1 to 1000 Angstrom");
    EXPECT_EQ(refusal({ti, o}, {4.6, 3.0, {1.5, 0}}), "rutile: internal parameter u must be from 0 to 1");
}

} // namespace
} // namespace crystal
