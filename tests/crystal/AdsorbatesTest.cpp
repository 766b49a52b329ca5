// Adsorbate overlayers: what a slab with one must hold whatever the surface, the cell and the
// coverage (compounds and the refusals are tested as a user meets them, in tests/cli).

#include "crystal/Adsorbates.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace crystal;

namespace {

SurfaceSpec specOf(const char* name, Miller hkl)
{
    const Material& m = *findMaterial(name);
    return {m, hkl, m.lattice == LatticeKind::Hcp ? Termination::A : Termination::None};
}

// The overlayer, the slab with it, and each adsorbate there: its item and its atoms, bound one first.
struct Built {
    Overlayer overlayer;
    PeriodicSlab slab;
    std::vector<std::pair<std::size_t, std::vector<SlabAtom>>> molecules;
};

// The slab of two planes of spec's cell with the overlayer, its size the smallest multiple of
// repeatA x repeatB that holds it.
Built build(const SurfaceSpec& spec, InPlaneCell kind, const char* items, const char* coverage,
            std::optional<double> height = {}, int repeatA = 1, int repeatB = 1)
{
    const SurfaceCell cell = *surfaceCell(spec, kind);
    Built b;
    auto overlayer = placeOverlayer(spec, cell, {*parseAdsorbates(items), *readSuperstructure(coverage), height});
    EXPECT_TRUE(overlayer) << (overlayer ? "" : overlayer.error().message);
    if (!overlayer)
        return b;
    b.overlayer = *overlayer;
    const auto [ra, rb] = overlayerRepeats(b.overlayer, repeatA, repeatB);
    b.slab = buildSlab(cell, {2, int(ra), int(rb), 8.0});
    EXPECT_TRUE(addOverlayer(b.slab, b.overlayer));
    // Adsorbate atoms come point by point, item by item, each molecule whole.
    std::size_t item = 0, left = 0;
    for (const SlabAtom& atom : b.slab.atoms) {
        if (atom.plane != -1)
            continue;
        if (left == 0) {
            item = b.molecules.empty() ? 0 : (b.molecules.back().first + 1) % b.overlayer.adsorbates.size();
            b.molecules.push_back({item, {}});
            left = b.overlayer.adsorbates[item].item.species.atoms.size();
        }
        b.molecules.back().second.push_back(atom);
        --left;
    }
    return b;
}

// The shortest distance between p and the images of q under the slab's cell, but for p itself.
double periodicDistance(const PeriodicSlab& slab, Position p, Position q)
{
    const Fractional f = wrapped(inPlaneFractional(p - q, slab.a, slab.b));
    double best = INFINITY;
    for (int i = -2; i <= 1; ++i)
        for (int j = -2; j <= 1; ++j) {
            const Position d = (f.u + i) * slab.a + (f.v + j) * slab.b;
            const double r = std::hypot(std::hypot(d.x, d.y), p.z - q.z);
            if (r > 1e-6)
                best = std::min(best, r);
        }
    return best;
}

} // namespace

// Each item holds one adsorbate per overlayer cell: per substrate cell 1 / |det M|, counted over the
// whole slab, whatever the surface, the cell (primitive or rectangular) and the size asked for;
// and adsorbates of one item sit the overlayer's shortest lattice vector apart.
TEST(Adsorbates, OnePerOverlayerCell)
{
    using enum InPlaneCell;
    const struct Row {
        const char* material;
        Miller hkl;
        InPlaneCell kind;
        const char* items;
        const char* coverage;
        int repeatA, repeatB;
        double substrateCells; // per overlayer cell
        double shortest;       // Angstrom, the overlayer's shortest lattice vector
    } rows[] = {
        {"Pt", {1, 1, 1}, Primitive, "O@fcc", "p(2x2)", 1, 1, 4, 2 * 2.77482},
        {"Pt", {1, 1, 1}, Orthogonal, "CO@top,H@hcp", "(sqrt3 x sqrt3)R30", 2, 3, 3, 1.73205 * 2.77482},
        {"Pt", {1, 1, 1}, Orthogonal, "O@fcc", "p(2x2)", 3, 1, 4, 2 * 2.77482},
        {"Cu", {1, 0, 0}, Primitive, "O@hollow", "c(2x2)", 3, 5, 2, 3.6149},
        {"Cu", {1, 1, 0}, Orthogonal, "O@long-bridge", "2 1 0 1", 1, 1, 2, 3.6149},
        {"Fe", {1, 1, 0}, Primitive, "N@3-fold-hollow", "p(2x2)", 2, 1, 4, 2 * 2.48246},
        {"Ru", {0, 0, 1}, Primitive, "O@hcp,H2O@top", "(2sqrt3x2sqrt3)R30", 1, 1, 12, 3.4641 * 2.7059},
    };
    for (const Row& row : rows) {
        const Built b =
            build(specOf(row.material, row.hkl), row.kind, row.items, row.coverage, {}, row.repeatA, row.repeatB);
        const std::string where = std::string(row.material) + " " + row.coverage;
        const double cells =
            std::abs(cross(b.slab.a, b.slab.b).z) / std::abs(cross(b.overlayer.primitiveA, b.overlayer.primitiveB).z);
        for (std::size_t item = 0; item < b.overlayer.adsorbates.size(); ++item) {
            std::vector<Position> bound;
            for (const auto& [of, atoms] : b.molecules)
                if (of == item)
                    bound.push_back(atoms.front().position);
            EXPECT_NEAR(double(bound.size()) * row.substrateCells, cells, 1e-6) << where;
            double nearest = INFINITY;
            for (std::size_t i = 0; i < bound.size(); ++i)
                for (std::size_t j = 0; j <= i; ++j)
                    nearest = std::min(nearest, periodicDistance(b.slab, bound[i], bound[j]));
            EXPECT_NEAR(nearest, row.shortest, 1e-3) << where;
        }
    }
}

// The bound atom sits its bond length, the sum of the covalent radii (Cordero et al. 2008), from
// each atom of its site and no nearer to any other; a given height puts it that high above the top
// plane instead. Molecules are rigid and upright: their gas-phase bond lengths and angles, every
// other atom above the bound one, their centre straight above it.
TEST(Adsorbates, BondsAndUprightMolecules)
{
    const struct Row {
        const char* material;
        Miller hkl;
        const char* item;
        int fold;
        double bond; // Angstrom; 0 where a height is given
        std::optional<double> height;
        double length, angle; // Angstrom and degrees: the molecule's bonds from its bound atom
    } rows[] = {
        {"Pt", {1, 1, 1}, "O@fcc", 3, 0.66 + 1.36, {}, 0, 0},
        {"Pt", {1, 1, 1}, "O@hcp", 3, 0.66 + 1.36, {}, 0, 0},
        {"Cu", {1, 0, 0}, "O@4-fold", 4, 0.66 + 1.32, {}, 0, 0},
        {"Cu", {1, 1, 0}, "S@short-bridge", 2, 1.05 + 1.32, {}, 0, 0},
        {"Pt", {1, 1, 1}, "O@fcc", 3, 0.0, 1.1, 0, 0},
        {"Cu", {1, 0, 0}, "Xe@top", 1, 0.0, 3.5, 0, 0},
        {"Pt", {1, 1, 1}, "CO@bridge", 2, 0.76 + 1.36, {}, 1.128, 0},
        {"Pt", {1, 1, 1}, "NO@fcc", 3, 0.71 + 1.36, {}, 1.151, 0},
        {"Ru", {0, 0, 1}, "OH@hcp", 3, 0.66 + 1.46, {}, 0.970, 0},
        {"Cu", {1, 0, 0}, "H2O@top", 1, 0.66 + 1.32, {}, 0.957, 104.5},
        {"Pt", {1, 1, 1}, "CH3@top", 1, 0.76 + 1.36, {}, 1.087, 109.47},
        {"Fe", {1, 1, 0}, "NH3@top", 1, 0.71 + 1.32, {}, 1.012, 106.7},
    };
    for (const Row& row : rows) {
        const Built b = build(specOf(row.material, row.hkl), InPlaneCell::Primitive, row.item, "p(2x2)", row.height);
        double top = -INFINITY;
        for (const SlabAtom& atom : b.slab.atoms)
            top = std::max(top, atom.plane == 0 ? atom.position.z : top);
        ASSERT_FALSE(b.molecules.empty()) << row.item;
        for (const auto& [item, atoms] : b.molecules) {
            const Position p = atoms.front().position;
            std::vector<double> distances;
            for (const SlabAtom& atom : b.slab.atoms)
                if (atom.plane >= 0)
                    distances.push_back(periodicDistance(b.slab, p, atom.position));
            std::sort(distances.begin(), distances.end());
            const double bond = row.height ? distances.front() : row.bond;
            for (int k = 0; k < row.fold; ++k)
                EXPECT_NEAR(distances[std::size_t(k)], bond, 1e-6) << row.item;
            EXPECT_GT(distances[std::size_t(row.fold)], bond + 0.05) << row.item;
            EXPECT_NEAR(p.z - top, row.height.value_or(p.z - top), 1e-9) << row.item;
            Position centre;
            for (std::size_t k = 1; k < atoms.size(); ++k) {
                const Position d = atoms[k].position - p;
                EXPECT_NEAR(norm(d), row.length, 2e-3) << row.item;
                EXPECT_GT(d.z, 0.0) << row.item;
                centre = centre + d;
                for (std::size_t l = 1; l < k; ++l) {
                    const Position e = atoms[l].position - p;
                    EXPECT_NEAR(std::acos(dot(d, e) / (norm(d) * norm(e))) * 180 / 3.14159265, row.angle, 0.1)
                        << row.item;
                }
            }
            EXPECT_NEAR(std::hypot(centre.x, centre.y), 0.0, 1e-9) << row.item;
        }
    }
}
