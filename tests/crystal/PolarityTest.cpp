// Atomic planes by height and the polarity of cuts: periodic grouping, formal charges that make
// the cell neutral, and Tasker's three types on the textbook stackings.

#include "crystal/Polarity.h"

#include <gtest/gtest.h>

namespace crystal {
namespace {

TEST(Polarity, PlanesGroupBySingleLinkageAcrossThePeriodsEnd)
{
    const struct {
        std::vector<double> heights;
        double tolerance;
        std::vector<std::vector<std::size_t>> planes; // from the top
    } rows[] = {
        {{0.0, 1.0, 2.0}, 0.1, {{2}, {1}, {0}}},
        {{0.0, 0.05, 0.12, 1.0}, 0.1, {{3}, {0, 1, 2}}}, // a chain: 0.12 is 0.07 from 0.05
        {{0.02, 1.0, 2.97}, 0.1, {{2, 0}, {1}}},         // 2.97 and 3.02 are one plane
        {{0.0, 1.0, 2.0}, 1.5, {}},                      // one plane round the period: none
    };
    for (const auto& row : rows) {
        const auto planes = groupIntoPlanes(row.heights, 3.0, row.tolerance);
        ASSERT_EQ(planes.size(), row.planes.size());
        for (std::size_t i = 0; i < planes.size(); ++i)
            EXPECT_EQ(planes[i].atoms, row.planes[i]) << i;
        for (std::size_t i = 1; i < planes.size(); ++i)
            EXPECT_GT(planes[i - 1].height, planes[i].height);
    }
}

TEST(Polarity, FormalChargesMakeTheCellNeutralWithTheMostCommonStates)
{
    const auto bulk = [](std::vector<std::string> elements) {
        BulkCrystal b;
        for (auto& e : elements)
            b.sites.push_back({e, {}, std::nullopt});
        return b;
    };
    const struct {
        std::vector<std::string> elements;
        std::vector<int> charges; // empty: none
    } rows[] = {
        {{"Ti", "Ti", "O", "O", "O", "O"}, {4, 4, -2, -2, -2, -2}},
        {{"Cu", "Cu", "O"}, {1, 1, -2}}, // cuprite: Cu +1, not its more common +2
        {{"Ga", "As"}, {3, -3}},
        {{"Fe", "Fe", "Fe", "O", "O", "O", "O"}, {}}, // mixed valence: no one state per element
        {{"Ni", "Al"}, {}},                           // an alloy
        {{"Si", "Si"}, {}},                           // an element
    };
    for (const auto& row : rows) {
        const auto charges = formalCharges(bulk(row.elements));
        EXPECT_EQ(charges ? charges->charges : std::vector<int>{}, row.charges) << row.elements.size();
    }
    // Oxidation states a file gives win over the table.
    BulkCrystal given = bulk({"Fe", "O"});
    given.sites[0].oxidation = 2;
    given.sites[1].oxidation = -2;
    EXPECT_EQ(formalCharges(given)->charges, (std::vector<int>{2, -2}));
}

TEST(Polarity, TaskerTypesOfTheTextbookStackings)
{
    const struct {
        std::vector<PlaneCharge> period;
        int tasker;
        double dipole; // e/Angstrom over an area of 2
    } rows[] = {
        {{{0, 0.0}, {0, -1.95}}, 1, 0.0},                                    // SrTiO3 (1 0 0): SrO, TiO2
        {{{-2, 0.0}, {2, -1.2}}, 3, (-2 * 0.0 + 2 * -1.2) / 2},              // MgO (1 1 1): O above Mg
        {{{-2, 0.0}, {4, -0.6}, {-2, -1.2}}, 2, 0.0},                        // fluorite (1 1 1): F Ca F
        {{{4, 0.0}, {-2, -0.6}, {-2, -1.8}}, 3, (-2 * -0.6 - 2 * -1.8) / 2}, // the same cut through it
    };
    for (const auto& row : rows) {
        const Polarity p = taskerType(row.period, 2.0);
        EXPECT_EQ(p.tasker, row.tasker);
        EXPECT_NEAR(p.dipolePerArea, row.dipole, 1e-12);
    }
}

} // namespace
} // namespace crystal
