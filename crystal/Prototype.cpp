// The structure prototypes: each builder places its species at the Wyckoff positions of the
// type's space group (International Tables, vol. A; the origin choice named where the group has
// two), repeated by the centring translations of the lattice.

#include "crystal/Compound.h"
#include "crystal/Prototype.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <initializer_list>
#include <vector>

namespace crystal {

using platform::fail;
using platform::Result;

namespace {

using Fraction = std::array<double, 3>;

constexpr double Third = 1.0 / 3.0;
constexpr double TwoThirds = 2.0 / 3.0;

// Centring translations.
constexpr Fraction Primitive[] = {{0, 0, 0}};
constexpr Fraction FaceCentred[] = {{0, 0, 0}, {0, 0.5, 0.5}, {0.5, 0, 0.5}, {0.5, 0.5, 0}};
constexpr Fraction BodyCentred[] = {{0, 0, 0}, {0.5, 0.5, 0.5}};
// Rhombohedral lattice in hexagonal axes (obverse setting).
constexpr Fraction Rhombohedral[] = {{0, 0, 0}, {TwoThirds, Third, Third}, {Third, TwoThirds, TwoThirds}};

// The same limits as a custom material's: far beyond any crystal on both sides.
constexpr double MinLength = 0.1;
constexpr double MaxLength = 1000.0;

const StructureType Types[] = {
    {Prototype::Fcc, "fcc", "Fm-3m", 225, "A", false, {}},
    {Prototype::Bcc, "bcc", "Im-3m", 229, "A", false, {}},
    {Prototype::Hcp, "hcp", "P6_3/mmc", 194, "A", true, {}},
    {Prototype::Diamond, "diamond", "Fd-3m", 227, "A", false, {}},
    {Prototype::ZincBlende, "zinc blende", "F-43m", 216, "AB", false, {}},
    {Prototype::RockSalt, "rock salt", "Fm-3m", 225, "AX", false, {}},
    {Prototype::CesiumChloride, "CsCl (B2)", "Pm-3m", 221, "AB", false, {}},
    {Prototype::L12, "L1_2 (Cu3Au)", "Pm-3m", 221, "A3B", false, {}},
    {Prototype::Perovskite, "cubic perovskite", "Pm-3m", 221, "ABX3", false, {}},
    {Prototype::Fluorite, "fluorite", "Fm-3m", 225, "AX2", false, {}},
    {Prototype::Rutile, "rutile", "P4_2/mnm", 136, "AX2", true, {"u"}},
    {Prototype::Anatase, "anatase", "I4_1/amd", 141, "AX2", true, {"z"}},
    {Prototype::Wurtzite, "wurtzite", "P6_3mc", 186, "AX", true, {"u"}},
    {Prototype::Corundum, "corundum", "R-3c", 167, "A2X3", true, {"z", "x"}},
    {Prototype::Cuprite, "cuprite", "Pn-3m", 224, "A2X", false, {}},
    {Prototype::Graphite, "graphite", "P6_3/mmc", 194, "A", true, {}},
    {Prototype::Molybdenite, "2H-MoS2", "P6_3/mmc", 194, "AX2", true, {"z"}},
    {Prototype::HexagonalBoronNitride, "h-BN", "P6_3/mmc", 194, "AX", true, {}},
};

// The atoms of one cell, placed site by site.
class SiteList {
public:
    // The species at each position, repeated by each centring translation.
    void add(const Species& species, std::initializer_list<Fraction> positions,
             std::span<const Fraction> centring = Primitive)
    {
        for (const Fraction& t : centring)
            for (const Fraction& p : positions)
                m_sites.push_back({species.element, {p[0] + t[0], p[1] + t[1], p[2] + t[2]}, species.oxidation});
    }
    std::vector<BulkSite> take() { return std::move(m_sites); }

private:
    std::vector<BulkSite> m_sites;
};

std::array<Position, 3> tetragonalCell(double a, double c)
{
    return {Position{a, 0, 0}, Position{0, a, 0}, Position{0, 0, c}};
}

// a along x, b at 120 degrees, c along z; cos 120 and sin 120 written exactly.
std::array<Position, 3> hexagonalCell(double a, double c)
{
    return {Position{a, 0, 0}, Position{-0.5 * a, 0.5 * std::sqrt(3.0) * a, 0}, Position{0, 0, c}};
}

bool isHexagonal(int spaceGroup) { return spaceGroup >= 143 && spaceGroup <= 194; }

} // namespace

int StructureType::speciesCount() const
{
    return int(std::count_if(formula.begin(), formula.end(), [](char c) { return std::isupper((unsigned char)c); }));
}

std::span<const StructureType> structureTypes() { return Types; }

const StructureType& structureType(Prototype prototype) { return Types[std::size_t(prototype)]; }

Result<BulkCrystal> buildPrototype(Prototype prototype, std::string name, std::span<const Species> species,
                                   const PrototypeParameters& p)
{
    const StructureType& type = structureType(prototype);
    const std::string what = std::string(type.name) + ": ";
    if (int(species.size()) != type.speciesCount())
        return fail(what + "needs " + std::to_string(type.speciesCount()) + " element"
                    + (type.speciesCount() == 1 ? "" : "s") + " (" + std::string(type.formula) + ")");
    if (!(p.a >= MinLength && p.a <= MaxLength))
        return fail(what + "lattice constant a must be from 0.1 to 1000 Angstrom");
    if (type.hasC && !(p.c >= MinLength && p.c <= MaxLength))
        return fail(what + "lattice constant c must be from 0.1 to 1000 Angstrom");
    for (std::size_t i = 0; i < p.internal.size(); ++i)
        if (!type.internal[i].empty() && !(p.internal[i] >= 0.0 && p.internal[i] <= 1.0))
            return fail(what + "internal parameter " + std::string(type.internal[i]) + " must be from 0 to 1");

    const double a = p.a;
    const double c = type.hasC ? p.c : a;
    const std::array<Position, 3> cell =
        isHexagonal(type.spaceGroupNumber) ? hexagonalCell(a, c) : tetragonalCell(a, c);
    const double u = p.internal[0];
    const double x = p.internal[1];
    SiteList s;
    switch (prototype) {
    case Prototype::Fcc: // 4a
        s.add(species[0], {{0, 0, 0}}, FaceCentred);
        break;
    case Prototype::Bcc: // 2a
        s.add(species[0], {{0, 0, 0}}, BodyCentred);
        break;
    case Prototype::Hcp: // 2c
        s.add(species[0], {{Third, TwoThirds, 0.25}, {TwoThirds, Third, 0.75}});
        break;
    case Prototype::Diamond: // 8a, origin choice 1
        s.add(species[0], {{0, 0, 0}, {0.25, 0.25, 0.25}}, FaceCentred);
        break;
    case Prototype::ZincBlende: // A 4a, B 4c
        s.add(species[0], {{0, 0, 0}}, FaceCentred);
        s.add(species[1], {{0.25, 0.25, 0.25}}, FaceCentred);
        break;
    case Prototype::RockSalt: // A 4a, X 4b
        s.add(species[0], {{0, 0, 0}}, FaceCentred);
        s.add(species[1], {{0.5, 0.5, 0.5}}, FaceCentred);
        break;
    case Prototype::CesiumChloride: // A 1a, B 1b
        s.add(species[0], {{0, 0, 0}});
        s.add(species[1], {{0.5, 0.5, 0.5}});
        break;
    case Prototype::L12: // A 3c (face centres), B 1a (corner)
        s.add(species[0], {{0, 0.5, 0.5}, {0.5, 0, 0.5}, {0.5, 0.5, 0}});
        s.add(species[1], {{0, 0, 0}});
        break;
    case Prototype::Perovskite: // A 1a (corner), B 1b (body centre), X 3c (face centres)
        s.add(species[0], {{0, 0, 0}});
        s.add(species[1], {{0.5, 0.5, 0.5}});
        s.add(species[2], {{0, 0.5, 0.5}, {0.5, 0, 0.5}, {0.5, 0.5, 0}});
        break;
    case Prototype::Fluorite: // A 4a, X 8c
        s.add(species[0], {{0, 0, 0}}, FaceCentred);
        s.add(species[1], {{0.25, 0.25, 0.25}, {0.25, 0.25, 0.75}}, FaceCentred);
        break;
    case Prototype::Rutile: // A 2a, X 4f (u, u, 0)
        s.add(species[0], {{0, 0, 0}, {0.5, 0.5, 0.5}});
        s.add(species[1], {{u, u, 0}, {-u, -u, 0}, {0.5 - u, 0.5 + u, 0.5}, {0.5 + u, 0.5 - u, 0.5}});
        break;
    case Prototype::Anatase: // origin choice 1: A 4a, X 8e (0, 0, z)
        s.add(species[0], {{0, 0, 0}, {0, 0.5, 0.25}}, BodyCentred);
        s.add(species[1], {{0, 0, u}, {0, 0.5, u + 0.25}, {0.5, 0, 0.75 - u}, {0.5, 0.5, 0.5 - u}}, BodyCentred);
        break;
    case Prototype::Wurtzite: // A 2b (1/3, 2/3, 0), X 2b (1/3, 2/3, u)
        s.add(species[0], {{Third, TwoThirds, 0}, {TwoThirds, Third, 0.5}});
        s.add(species[1], {{Third, TwoThirds, u}, {TwoThirds, Third, u + 0.5}});
        break;
    case Prototype::Corundum: // hexagonal axes: A 12c (0, 0, z), X 18e (x, 0, 1/4)
        s.add(species[0], {{0, 0, u}, {0, 0, 0.5 - u}, {0, 0, -u}, {0, 0, 0.5 + u}}, Rhombohedral);
        s.add(species[1], {{x, 0, 0.25}, {0, x, 0.25}, {-x, -x, 0.25}, {-x, 0, 0.75}, {0, -x, 0.75}, {x, x, 0.75}},
              Rhombohedral);
        break;
    case Prototype::Cuprite: // origin choice 2: A 4b, X 2a
        s.add(species[0], {{0, 0, 0}, {0.5, 0.5, 0}, {0.5, 0, 0.5}, {0, 0.5, 0.5}});
        s.add(species[1], {{0.25, 0.25, 0.25}, {0.75, 0.75, 0.75}});
        break;
    case Prototype::Graphite: // 2b and 2c
        s.add(species[0], {{0, 0, 0.25}, {0, 0, 0.75}, {Third, TwoThirds, 0.25}, {TwoThirds, Third, 0.75}});
        break;
    case Prototype::Molybdenite: // A 2c, X 4f (1/3, 2/3, z)
        s.add(species[0], {{Third, TwoThirds, 0.25}, {TwoThirds, Third, 0.75}});
        s.add(
            species[1],
            {{Third, TwoThirds, u}, {TwoThirds, Third, u + 0.5}, {TwoThirds, Third, -u}, {Third, TwoThirds, 0.5 - u}});
        break;
    case Prototype::HexagonalBoronNitride: // A 2c, X 2d: each A above an X of the next layer
        s.add(species[0], {{Third, TwoThirds, 0.25}, {TwoThirds, Third, 0.75}});
        s.add(species[1], {{Third, TwoThirds, 0.75}, {TwoThirds, Third, 0.25}});
        break;
    }
    auto bulk = makeBulk(std::move(name), cell, s.take());
    if (!bulk)
        return fail(what + bulk.error().message);
    return bulk;
}

namespace {

// The formal charge of an element as the anion of a tetrahedral semiconductor or salt: 8 less
// its group (As -3, S -2, Cl -1, C -4).
std::optional<int> anionCharge(std::string_view element)
{
    static constexpr std::pair<std::string_view, int> Anions[] = {
        {"C", -4}, {"Si", -4}, {"Ge", -4}, {"Sn", -4}, {"N", -3}, {"P", -3},  {"As", -3}, {"Sb", -3},
        {"O", -2}, {"S", -2},  {"Se", -2}, {"Te", -2}, {"F", -1}, {"Cl", -1}, {"Br", -1}, {"I", -1},
    };
    for (const auto& [symbol, charge] : Anions)
        if (symbol == element)
            return charge;
    return std::nullopt;
}

} // namespace

Prototype prototypeOf(const Material& m)
{
    switch (m.lattice) {
    case LatticeKind::Fcc: return Prototype::Fcc;
    case LatticeKind::Bcc: return Prototype::Bcc;
    case LatticeKind::Hcp: return Prototype::Hcp;
    case LatticeKind::ZincBlende: break;
    }
    return m.elements.empty() || m.element(0) == m.element(1) ? Prototype::Diamond : Prototype::ZincBlende;
}

Result<BulkCrystal> bulkOf(const Material& m)
{
    if (m.elements.empty())
        return fail(m.name + ": no element");
    PrototypeParameters p;
    p.a = m.a;
    p.c = m.c;
    const Species first{m.element(0), std::nullopt};
    const Prototype prototype = prototypeOf(m);
    if (prototype != Prototype::ZincBlende)
        return buildPrototype(prototype, m.name, std::span(&first, 1), p);
    const std::optional<int> anion = anionCharge(m.element(1));
    const Species pair[] = {{m.element(0), anion ? std::optional<int>(-*anion) : std::nullopt}, {m.element(1), anion}};
    return buildPrototype(Prototype::ZincBlende, m.name, pair, p);
}

Result<BulkCrystal> bulkOf(const Compound& compound)
{
    return buildPrototype(compound.prototype, compound.name, compound.species, compound.parameters);
}

} // namespace crystal
