// Slabs of any bulk crystal: over compounds, a CIF and planes, every termination's cell carries
// one period of the bulk, its slabs keep the bulk around every inner atom across the periodic
// boundaries, thicknesses are never thinner than asked and minimal, and symmetric slabs have
// two alike faces.

#include "crystal/Bulk.h"
#include "crystal/Compound.h"
#include "crystal/Coordination.h"
#include "crystal/Polarity.h"
#include "crystal/Slab.h"
#include "crystal/Symmetry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace crystal {
namespace {

// Neighbours within this radius make an atom's surroundings: beyond every first shell here.
constexpr double Reach = 3.0;

struct Row {
    const char* source; // a compound preset, or a file of tests/data
    Miller hkl;
};

const Row Rows[] = {
    {"MgO", {1, 1, 1}},  {"TiO2", {1, 1, 0}}, {"SrTiO3", {1, 0, 0}}, {"Al2O3", {0, 0, 1}},      {"ZnO", {1, 0, 0}},
    {"CeO2", {1, 1, 1}}, {"NiAl", {1, 1, 0}}, {"SrTiO3", {1, 1, 1}}, {"rutile.cif", {1, 0, 1}},
};

std::shared_ptr<const BulkCrystal> crystalOf(const std::string& source)
{
    auto bulk = source.ends_with(".cif") ? readBulkFile(std::string(FACETOR_SOURCE_DIR "/tests/data/") + source)
                                         : bulkOf(*findCompound(source));
    EXPECT_TRUE(bulk) << bulk.error().message;
    return std::make_shared<const BulkCrystal>(std::move(*bulk));
}

SurfaceSpec specOf(const std::shared_ptr<const BulkCrystal>& crystal, const Miller& hkl, int termination)
{
    SurfaceSpec spec;
    spec.hkl = hkl;
    spec.bulk = BulkChoice{crystal, crystal->name, termination, DefaultPlaneTolerance};
    return spec;
}

// An atom's surroundings: its element and each neighbour's element and distance, sorted.
using Surroundings = std::pair<std::string, std::vector<std::pair<std::string, double>>>;

bool alike(const Surroundings& p, const Surroundings& q)
{
    if (p.first != q.first || p.second.size() != q.second.size())
        return false;
    for (std::size_t i = 0; i < p.second.size(); ++i)
        if (p.second[i].first != q.second[i].first || std::fabs(p.second[i].second - q.second[i].second) > 1e-6)
            return false;
    return true;
}

// The surroundings of every site of the bulk, from its cell as given.
std::vector<Surroundings> bulkSurroundings(const BulkCrystal& b)
{
    auto at = [&](const BulkSite& s) {
        return s.fractional[0] * b.cell[0] + s.fractional[1] * b.cell[1] + s.fractional[2] * b.cell[2];
    };
    std::vector<Surroundings> out;
    for (const BulkSite& s : b.sites) {
        Surroundings x{s.element, {}};
        for (const BulkSite& t : b.sites)
            for (int i = -2; i <= 2; ++i)
                for (int j = -2; j <= 2; ++j)
                    for (int k = -2; k <= 2; ++k) {
                        const double d =
                            norm(at(t) + double(i) * b.cell[0] + double(j) * b.cell[1] + double(k) * b.cell[2] - at(s));
                        if (d > 1e-6 && d <= Reach)
                            x.second.push_back({t.element, d});
                    }
        std::sort(x.second.begin(), x.second.end());
        out.push_back(std::move(x));
    }
    return out;
}

// The surroundings of slab atom i, its in-plane images counted.
Surroundings slabSurroundings(const PeriodicSlab& slab, std::size_t i)
{
    const double area = std::fabs(slab.a.x * slab.b.y - slab.a.y * slab.b.x);
    const int ka = int(std::ceil(Reach * norm(slab.b) / area)) + 1;
    const int kb = int(std::ceil(Reach * norm(slab.a) / area)) + 1;
    const SlabAtom& atom = slab.atoms[i];
    Surroundings x{slab.elements[std::size_t(atom.species)], {}};
    for (const SlabAtom& other : slab.atoms)
        for (int m = -ka; m <= ka; ++m)
            for (int n = -kb; n <= kb; ++n) {
                const double d = norm(other.position + double(m) * slab.a + double(n) * slab.b - atom.position);
                if (d > 1e-6 && d <= Reach)
                    x.second.push_back({slab.elements[std::size_t(other.species)], d});
            }
    std::sort(x.second.begin(), x.second.end());
    return x;
}

// Every inner atom (farther than Reach from both faces) has the surroundings of a bulk site, and
// its coordination is its element's bulk one.
void expectBulkInside(const SurfaceCell& cell, const BulkCrystal& bulk, const std::string& what)
{
    SlabOptions options;
    options.vacuum = 8.0;
    options.layers = *slabPlaneCount(cell, {1, 2.0 * Reach + cell.periodHeight() + 0.5, SlabFaces::AsCut});
    const PeriodicSlab slab = buildSlab(cell, options);
    const std::vector<Surroundings> reference = bulkSurroundings(bulk);
    const std::vector<int> cns = slabCoordination(slab, cell);
    const double top = slab.c.z - options.vacuum;
    int inner = 0;
    for (std::size_t i = 0; i < slab.atoms.size(); ++i) {
        const double z = slab.atoms[i].position.z;
        if (z > top - Reach - 1e-6 || z < options.vacuum + Reach + 1e-6)
            continue;
        ++inner;
        const Surroundings s = slabSurroundings(slab, i);
        EXPECT_TRUE(std::any_of(reference.begin(), reference.end(), [&](const Surroundings& r) { return alike(r, s); }))
            << what << ": atom " << i << " (" << s.first << ") in plane " << slab.atoms[i].plane;
        EXPECT_EQ(cns[i], cell.neighbours.bulk[std::size_t(slab.atoms[i].species)]) << what << ": atom " << i;
    }
    EXPECT_GT(inner, 0) << what;
}

TEST(BulkSlab, EveryTerminationCarriesTheBulk)
{
    for (const Row& row : Rows) {
        const auto crystal = crystalOf(row.source);
        const auto symmetry = analyseSymmetry(*crystal);
        ASSERT_TRUE(symmetry);
        std::map<std::string, int> primitive;
        for (const BulkSite& s : symmetry->primitive.sites)
            ++primitive[s.element];
        const auto& p = symmetry->primitive.cell;
        const double volume = std::fabs(dot(p[0], cross(p[1], p[2])));
        for (int t = 1;; ++t) {
            const std::string what = std::string(row.source) + " termination " + std::to_string(t);
            for (InPlaneCell kind : {InPlaneCell::Primitive, InPlaneCell::Orthogonal}) {
                const auto cell = surfaceCell(specOf(crystal, row.hkl, t), kind);
                if (!cell) {
                    EXPECT_NE(cell.error().message.find("termination"), std::string::npos) << cell.error().message;
                    EXPECT_GT(t, 1) << what;
                    goto nextRow;
                }
                // One period per cell holds the primitive cells of its volume, element by element.
                std::map<std::string, int> period;
                for (const AtomicPlane& plane : cell->planes)
                    for (const CellAtom& atom : plane.atoms)
                        ++period[cell->elements[std::size_t(atom.species)]];
                const double cells = cell->area() * cell->periodHeight() / volume;
                for (const auto& [element, count] : primitive)
                    EXPECT_NEAR(period[element], count * cells, 1e-6) << what << " " << element;
                EXPECT_EQ(period.size(), primitive.size()) << what;
                // The top plane at depth 0, the others below it within one period.
                EXPECT_EQ(cell->planes.front().depth, 0.0) << what;
                for (const AtomicPlane& plane : cell->planes)
                    EXPECT_TRUE(plane.depth <= 0.0 && plane.depth > -cell->periodHeight()) << what;
                // The cell's directions: lattice vectors of the plane, along a and b.
                EXPECT_EQ(dot(row.hkl, cell->aDirection), 0) << what;
                EXPECT_EQ(dot(row.hkl, cell->bDirection), 0) << what;
                for (const auto& [direction, axis] :
                     {std::pair{cell->aDirection, cell->a}, std::pair{cell->bDirection, cell->b}}) {
                    const auto& c = crystal->cell;
                    const Position v =
                        double(direction[0]) * c[0] + double(direction[1]) * c[1] + double(direction[2]) * c[2];
                    const auto& o = cell->orientation;
                    const Position inFrame{dot(v, o[0]), dot(v, o[1]), dot(v, o[2])};
                    EXPECT_NEAR(norm(cross(inFrame, axis)), 0.0, 1e-6 * norm(v) * norm(axis)) << what;
                    EXPECT_GT(dot(inFrame, axis), 0.0) << what;
                }
                if (kind == InPlaneCell::Orthogonal) {
                    EXPECT_NEAR(dot(cell->a, cell->b), 0.0, 1e-9) << what;
                } else {
                    expectBulkInside(*cell, *crystal, what);
                }
            }
        }
    nextRow:;
    }
}

TEST(BulkSlab, BulkCoordinationOfTheStructureTypes)
{
    const std::pair<const char*, std::map<std::string, int>> rows[] = {
        {"MgO", {{"Mg", 6}, {"O", 6}}},
        {"TiO2", {{"Ti", 6}, {"O", 3}}},
        {"SrTiO3", {{"Sr", 12}, {"Ti", 6}, {"O", 6}}},
        {"Al2O3", {{"Al", 6}, {"O", 4}}},
        {"ZnO", {{"Zn", 4}, {"O", 4}}},
        {"CeO2", {{"Ce", 8}, {"O", 4}}},
        {"NiAl", {{"Ni", 8}, {"Al", 8}}},
        {"Cu3Au", {{"Cu", 12}, {"Au", 12}}},
    };
    for (const auto& [name, expected] : rows) {
        const auto cell = surfaceCell(specOf(crystalOf(name), {0, 0, 1}, 1), InPlaneCell::Primitive);
        ASSERT_TRUE(cell) << cell.error().message;
        std::map<std::string, int> found;
        for (std::size_t s = 0; s < cell->elements.size(); ++s)
            found[cell->elements[s]] = cell->neighbours.bulk[s];
        EXPECT_EQ(found, expected) << name;
    }
}

TEST(BulkSlab, ThicknessNeverThinnerAndMinimal)
{
    for (const Row& row : Rows) {
        const auto cell = surfaceCell(specOf(crystalOf(row.source), row.hkl, 1), InPlaneCell::Primitive);
        ASSERT_TRUE(cell);
        for (double asked : {0.05, 1.0, 4.2, 9.99, 13.7, slabThickness(*cell, 7)}) {
            const auto n = slabPlaneCount(*cell, {6, asked, SlabFaces::AsCut});
            ASSERT_TRUE(n) << n.error().message;
            EXPECT_GE(slabThickness(*cell, *n), asked - 1e-9) << row.source << " " << asked;
            if (*n > 1) {
                EXPECT_LT(slabThickness(*cell, *n - 1), asked) << row.source << " " << asked;
            }
        }
        EXPECT_EQ(*slabPlaneCount(*cell, {6, slabThickness(*cell, 7), SlabFaces::AsCut}), 7) << row.source;
        EXPECT_FALSE(slabPlaneCount(*cell, {6, -1.0, SlabFaces::AsCut})) << row.source;
    }
}

// The planes' compositions and spacings read the same from either face, the top plane's atoms
// have the surroundings of the bottom plane's, and no thinner slab from the layers asked for has.
bool facesAlike(const SurfaceCell& cell, int planes)
{
    SlabOptions options;
    options.layers = planes;
    options.vacuum = 8.0;
    const PeriodicSlab slab = buildSlab(cell, options);
    std::vector<std::map<int, int>> composition(std::size_t(planes), std::map<int, int>{});
    std::vector<double> heights(std::size_t(planes), 0.0);
    std::vector<Surroundings> top, bottom;
    for (std::size_t i = 0; i < slab.atoms.size(); ++i) {
        const SlabAtom& a = slab.atoms[i];
        ++composition[std::size_t(a.plane)][a.species];
        heights[std::size_t(a.plane)] = a.position.z;
        if (a.plane == 0 || a.plane == planes - 1) {
            // Seen from outside: the bottom face turned over.
            Surroundings s = slabSurroundings(slab, i);
            (a.plane == 0 ? top : bottom).push_back(std::move(s));
        }
    }
    for (int p = 0; p < planes; ++p) {
        const auto q = std::size_t(planes - 1 - p);
        if (composition[std::size_t(p)] != composition[q])
            return false;
        if (p + 1 < planes
            && std::fabs((heights[std::size_t(p)] - heights[std::size_t(p + 1)]) - (heights[q - 1] - heights[q]))
                > 1e-4)
            return false;
    }
    if (top.size() != bottom.size())
        return false;
    for (const Surroundings& t : top)
        if (!std::any_of(bottom.begin(), bottom.end(), [&](const Surroundings& b) { return alike(t, b); }))
            return false;
    return true;
}

TEST(BulkSlab, SymmetricSlabsHaveTwoAlikeFaces)
{
    struct Symmetric {
        const char* source;
        Miller hkl;
        int termination;
        int planes; // from 3 asked for
        bool stoichiometric;
    };
    const Symmetric rows[] = {
        {"MgO", {1, 1, 1}, 1, 3, false},    {"MgO", {1, 1, 1}, 2, 3, false},       {"TiO2", {1, 1, 0}, 3, 4, false},
        {"TiO2", {1, 1, 0}, 1, 5, false},   {"TiO2", {1, 1, 0}, 2, 3, true},       {"SrTiO3", {1, 0, 0}, 1, 3, false},
        {"SrTiO3", {1, 0, 0}, 2, 3, false}, {"Al2O3", {0, 0, 1}, 1, 0, false},     {"CeO2", {1, 1, 1}, 1, 4, false},
        {"CeO2", {1, 1, 1}, 2, 3, true},    {"rutile.cif", {1, 1, 0}, 2, 3, true},
    };
    for (const Symmetric& row : rows) {
        const std::string what = std::string(row.source) + " termination " + std::to_string(row.termination);
        const auto cell = surfaceCell(specOf(crystalOf(row.source), row.hkl, row.termination), InPlaneCell::Primitive);
        ASSERT_TRUE(cell) << what;
        const auto n = slabPlaneCount(*cell, {3, std::nullopt, SlabFaces::Symmetric});
        ASSERT_TRUE(n) << what << ": " << n.error().message;
        if (row.planes) {
            EXPECT_EQ(*n, row.planes) << what;
        }
        EXPECT_TRUE(facesAlike(*cell, *n)) << what << ", " << *n << " planes";
        for (int fewer = 3; fewer < *n; ++fewer)
            EXPECT_FALSE(facesAlike(*cell, fewer)) << what << ", " << fewer << " planes";
        EXPECT_EQ(stoichiometric(*cell, *n), row.stoichiometric) << what;
    }
    // Wurtzite (0 0 1): no operation turns the polar axis over.
    const auto zno = surfaceCell(specOf(crystalOf("ZnO"), {0, 0, 1}, 1), InPlaneCell::Primitive);
    ASSERT_TRUE(zno);
    const auto none = slabPlaneCount(*zno, {3, std::nullopt, SlabFaces::Symmetric});
    ASSERT_FALSE(none);
    EXPECT_NE(none.error().message.find("no symmetric slab"), std::string::npos);
}

} // namespace
} // namespace crystal
