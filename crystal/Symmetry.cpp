// The space group with spglib (its C interface: cells as columns, errors read after the call).

#include "crystal/Symmetry.h"

#include "platform/Text.h"

#include <spglib.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <numeric>
#include <optional>
#include <utility>

namespace crystal {

using platform::fail;
using platform::Result;

namespace {

// spglib keeps its last error in one global: calls are made one at a time so that the error
// read belongs to the call made.
std::mutex spglibMutex;

struct DatasetFree {
    void operator()(SpglibDataset* d) const { spg_free_dataset(d); }
};

using Matrix3 = std::array<std::array<double, 3>, 3>;

Position combination(const std::array<double, 3>& f, const std::array<Position, 3>& cell)
{
    return f[0] * cell[0] + f[1] * cell[1] + f[2] * cell[2];
}

// Fractional coordinates of the Cartesian r in the cell (rows).
std::array<double, 3> fractionalIn(const std::array<Position, 3>& cell, Position r)
{
    const double v = dot(cell[0], cross(cell[1], cell[2]));
    return {dot(r, cross(cell[1], cell[2])) / v, dot(r, cross(cell[2], cell[0])) / v,
            dot(r, cross(cell[0], cell[1])) / v};
}

double wrapped(double x)
{
    const double f = x - std::floor(x);
    return f >= 1.0 ? 0.0 : f;
}

// A translation wrapped into [0, 1), with values within rounding of a whole number made exact.
double wrappedTranslation(double x)
{
    const double f = wrapped(x);
    return (f < RoundingTolerance || f > 1.0 - RoundingTolerance) ? 0.0 : f;
}

// The given-to-conventional change of cell as exact rationals. spglib's P (x_conventional =
// P x + p) expresses the given lattice vectors in the conventional ones, whole numbers up to the
// conventional cell's centrings (halves, thirds): 6 P = Q is an integer matrix, and the
// conventional rows are (P^-1)^T = 6 adj(Q)^T / det(Q) times the given rows.
std::optional<RationalMatrix3> rationalChange(const Matrix3& p)
{
    std::array<std::array<int64_t, 3>, 3> q;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            const double x = 6.0 * p[i][j];
            if (!(std::abs(x) < 1e9) || std::abs(x - std::round(x)) > RegistryTolerance)
                return std::nullopt;
            q[i][j] = int64_t(std::round(x));
        }
    RationalMatrix3 r;
    r.denominator = q[0][0] * (q[1][1] * q[2][2] - q[1][2] * q[2][1])
        - q[0][1] * (q[1][0] * q[2][2] - q[1][2] * q[2][0]) + q[0][2] * (q[1][0] * q[2][1] - q[1][1] * q[2][0]);
    if (r.denominator <= 0)
        return std::nullopt;
    int64_t g = r.denominator;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            // (adj Q)^T [i][j] is the cofactor of Q's entry (i, j).
            const int i1 = (i + 1) % 3, i2 = (i + 2) % 3, j1 = (j + 1) % 3, j2 = (j + 2) % 3;
            r.numerator[i][j] = 6 * (q[i1][j1] * q[i2][j2] - q[i1][j2] * q[i2][j1]);
            g = std::gcd(g, r.numerator[i][j]);
        }
    r.denominator /= g;
    for (auto& row : r.numerator)
        for (int64_t& x : row)
            x /= g;
    return r;
}

// The sites' types for spglib: one number per (element, oxidation state).
struct SiteTypes {
    std::vector<int> types;
    std::vector<BulkSite> representative; // by type: element and oxidation, no position
};

SiteTypes siteTypes(const std::vector<BulkSite>& sites)
{
    SiteTypes out;
    std::map<std::pair<std::string, std::optional<int>>, int> index;
    for (const BulkSite& s : sites) {
        const auto [it, added] = index.try_emplace({s.element, s.oxidation}, int(out.representative.size()));
        if (added)
            out.representative.push_back(BulkSite{s.element, {}, s.oxidation});
        out.types.push_back(it->second);
    }
    return out;
}

Result<void> checkInput(const BulkCrystal& bulk, double tolerance)
{
    if (!(tolerance > 0.0) || !std::isfinite(tolerance))
        return fail("the symmetry tolerance must be a positive number of Angstrom");
    for (const Position& v : bulk.cell)
        if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z))
            return fail("the cell vectors must be finite");
    const double volume = dot(bulk.cell[0], cross(bulk.cell[1], bulk.cell[2]));
    if (!(volume > 0.0) || !std::isfinite(volume))
        return fail("the cell vectors must span a right-handed cell of some volume");
    double longest = 0.0, thinnest = std::numeric_limits<double>::infinity();
    for (int i = 0; i < 3; ++i) {
        longest = std::max(longest, norm(bulk.cell[i]));
        thinnest = std::min(thinnest, volume / norm(cross(bulk.cell[(i + 1) % 3], bulk.cell[(i + 2) % 3])));
    }
    if (!(longest <= MaxSymmetryCellAspect * thinnest))
        return fail("the cell is too thin for its length: its longest vector is more than "
                    + platform::shortest(MaxSymmetryCellAspect) + " times the least distance between opposite faces");
    if (bulk.sites.empty())
        return fail("the cell holds no atom");
    if (bulk.sites.size() > MaxSymmetrySites)
        return fail("the cell holds " + std::to_string(bulk.sites.size()) + " atoms; symmetry is found for at most "
                    + std::to_string(MaxSymmetrySites));
    for (const BulkSite& s : bulk.sites)
        for (double f : s.fractional)
            if (!std::isfinite(f))
                return fail("a fractional coordinate is not a finite number");
    return {};
}

} // namespace

Result<CrystalSymmetry> analyseSymmetry(const BulkCrystal& bulk, double tolerance)
{
    if (auto ok = checkInput(bulk, tolerance); !ok)
        return ok.error();

    const SiteTypes types = siteTypes(bulk.sites);
    const int count = int(bulk.sites.size());
    double lattice[3][3];
    for (int i = 0; i < 3; ++i) {
        const Position& v = bulk.cell[i];
        lattice[0][i] = v.x;
        lattice[1][i] = v.y;
        lattice[2][i] = v.z;
    }
    std::vector<std::array<double, 3>> positions;
    positions.reserve(bulk.sites.size());
    for (const BulkSite& s : bulk.sites)
        positions.push_back({wrapped(s.fractional[0]), wrapped(s.fractional[1]), wrapped(s.fractional[2])});

    std::unique_ptr<SpglibDataset, DatasetFree> data;
    {
        const std::lock_guard lock(spglibMutex);
        data.reset(spg_get_dataset(lattice, reinterpret_cast<double(*)[3]>(positions.data()), types.types.data(), count,
                                   tolerance));
        if (!data || data->spacegroup_number == 0) {
            const SpglibError code = spg_get_error_code();
            const char* why = code == SPGLIB_SUCCESS ? "no space group fits" : spg_get_error_message(code);
            return fail("no space group found within " + platform::shortest(tolerance) + " Angstrom: " + why);
        }
    }
    const SpglibDataset& d = *data;

    CrystalSymmetry out;
    out.number = d.spacegroup_number;
    out.hallNumber = d.hall_number;
    out.symbol = d.international_symbol;
    out.hallSymbol = d.hall_symbol;
    out.choice = d.choice;
    out.pointGroup = d.pointgroup_symbol;

    out.operations.reserve(std::size_t(d.n_operations));
    for (int k = 0; k < d.n_operations; ++k) {
        SymmetryOperation op;
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j)
                op.rotation[i][j] = d.rotations[k][i][j];
            op.translation[i] = wrappedTranslation(d.translations[k][i]);
        }
        out.operations.push_back(op);
    }
    for (int i = 0; i < count; ++i)
        out.equivalentSites.push_back(std::size_t(std::clamp(d.equivalent_atoms[i], 0, count - 1)));

    // The primitive cell: the given one when it is primitive, else spglib's vectors (columns,
    // in the given frame), each primitive site the first given site that maps to it, its
    // position re-expressed in the primitive cell.
    std::array<Position, 3> primitive = bulk.cell;
    std::vector<BulkSite> primitiveSites;
    if (*std::max_element(d.mapping_to_primitive, d.mapping_to_primitive + count) + 1 == count) {
        primitiveSites = bulk.sites;
    } else {
        for (int i = 0; i < 3; ++i)
            primitive[i] = {d.primitive_lattice[0][i], d.primitive_lattice[1][i], d.primitive_lattice[2][i]};
        if (dot(primitive[0], cross(primitive[1], primitive[2])) < 0.0)
            for (Position& v : primitive)
                v = Position{} - v;
        std::vector<bool> taken(bulk.sites.size(), false);
        for (int i = 0; i < count; ++i) {
            const int m = d.mapping_to_primitive[i];
            if (m < 0 || m >= count || taken[std::size_t(m)])
                continue;
            taken[std::size_t(m)] = true;
            BulkSite s = bulk.sites[std::size_t(i)];
            s.fractional = fractionalIn(primitive, combination(positions[std::size_t(i)], bulk.cell));
            primitiveSites.push_back(std::move(s));
        }
    }
    auto primitiveBulk = makeBulk(bulk.name, primitive, std::move(primitiveSites));
    if (!primitiveBulk)
        return fail("the primitive cell spglib gives is not usable: " + primitiveBulk.error().message);
    out.primitive = std::move(*primitiveBulk);

    // The conventional cell from the exact change of cell, its sites spglib's standardised ones.
    Matrix3 p;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            p[i][j] = d.transformation_matrix[i][j];
    const auto change = rationalChange(p);
    if (!change)
        return fail("the conventional cell spglib gives is not a lattice of the crystal");
    out.conventionalFromGiven = *change;
    std::array<Position, 3> conventional;
    for (int i = 0; i < 3; ++i) {
        Position v;
        for (int j = 0; j < 3; ++j)
            v = v + double(change->numerator[i][j]) * bulk.cell[j];
        conventional[i] = (1.0 / double(change->denominator)) * v;
    }
    // x_conventional = P x + p puts the conventional origin at -p in the conventional cell; taken
    // into the given cell.
    std::array<double, 3> origin = fractionalIn(
        bulk.cell, Position{} - combination({d.origin_shift[0], d.origin_shift[1], d.origin_shift[2]}, conventional));
    for (double& f : origin)
        f = wrappedTranslation(f);
    out.conventionalOrigin = combination(origin, bulk.cell);
    std::vector<BulkSite> conventionalSites;
    for (int i = 0; i < d.n_std_atoms; ++i) {
        const int t = d.std_types[i];
        if (t < 0 || std::size_t(t) >= types.representative.size())
            return fail("the conventional cell spglib gives holds an unknown atom");
        BulkSite s = types.representative[std::size_t(t)];
        s.fractional = {d.std_positions[i][0], d.std_positions[i][1], d.std_positions[i][2]};
        conventionalSites.push_back(std::move(s));
    }
    auto conventionalBulk = makeBulk(bulk.name, conventional, std::move(conventionalSites));
    if (!conventionalBulk)
        return fail("the conventional cell spglib gives is not usable: " + conventionalBulk.error().message);
    out.conventional = std::move(*conventionalBulk);
    return out;
}

std::string readableSymbol(std::string_view symbol)
{
    std::string out;
    for (std::size_t i = 0; i < symbol.size(); ++i) {
        const char c = symbol[i];
        const bool digitNext = i + 1 < symbol.size() && symbol[i + 1] >= '0' && symbol[i + 1] <= '9';
        if (c == '_' && digitNext) {
            // U+2080 + digit, SUBSCRIPT ZERO onwards.
            out += "\xE2\x82";
            out += char(0x80 + (symbol[++i] - '0'));
        } else if (c == '-' && digitNext) {
            out += symbol[++i];
            out += "\xCC\x85"; // U+0305 COMBINING OVERLINE
        } else {
            out += c;
        }
    }
    return out;
}

Miller conventionalMiller(const CrystalSymmetry& symmetry, const Miller& hkl)
{
    // a_s . G for G = h a* + k b* + l c*: the numerator applied to (h k l) as a column, the
    // common denominator dropped with the gcd.
    const auto& m = symmetry.conventionalFromGiven.numerator;
    Miller out{};
    for (int i = 0; i < 3; ++i)
        out[i] = m[i][0] * hkl[0] + m[i][1] * hkl[1] + m[i][2] * hkl[2];
    const int64_t g = std::gcd(std::gcd(out[0], out[1]), out[2]);
    if (g > 1)
        for (int64_t& x : out)
            x /= g;
    return out;
}

bool keepsPlaneNormal(const SymmetryOperation& operation, const Miller& hkl)
{
    // A plane h . x = const goes to h R^-1 . x' = const under x' = R x + t; its normal stays
    // where it was when h R^-1 = h, that is h R = h.
    for (int j = 0; j < 3; ++j) {
        int64_t row = 0;
        for (int i = 0; i < 3; ++i)
            row += hkl[i] * operation.rotation[i][j];
        if (row != hkl[j])
            return false;
    }
    return true;
}

std::vector<SymmetryOperation> operationsKeepingNormal(const CrystalSymmetry& symmetry, const Miller& hkl)
{
    std::vector<SymmetryOperation> out;
    for (const SymmetryOperation& op : symmetry.operations)
        if (keepsPlaneNormal(op, hkl))
            out.push_back(op);
    return out;
}

} // namespace crystal
