#include "crystal/Material.h"

#include "crystal/MaterialData.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace crystal {

namespace {

// The symbols of the periodic table, 1 to 118.
constexpr std::string_view Elements[] = {
    "H",  "He", "Li", "Be", "B",  "C",  "N",  "O",  "F",  "Ne", "Na", "Mg", "Al", "Si", "P",  "S",  "Cl",
    "Ar", "K",  "Ca", "Sc", "Ti", "V",  "Cr", "Mn", "Fe", "Co", "Ni", "Cu", "Zn", "Ga", "Ge", "As", "Se",
    "Br", "Kr", "Rb", "Sr", "Y",  "Zr", "Nb", "Mo", "Tc", "Ru", "Rh", "Pd", "Ag", "Cd", "In", "Sn", "Sb",
    "Te", "I",  "Xe", "Cs", "Ba", "La", "Ce", "Pr", "Nd", "Pm", "Sm", "Eu", "Gd", "Tb", "Dy", "Ho", "Er",
    "Tm", "Yb", "Lu", "Hf", "Ta", "W",  "Re", "Os", "Ir", "Pt", "Au", "Hg", "Tl", "Pb", "Bi", "Po", "At",
    "Rn", "Fr", "Ra", "Ac", "Th", "Pa", "U",  "Np", "Pu", "Am", "Cm", "Bk", "Cf", "Es", "Fm", "Md", "No",
    "Lr", "Rf", "Db", "Sg", "Bh", "Hs", "Mt", "Ds", "Rg", "Cn", "Nh", "Fl", "Mc", "Lv", "Ts", "Og",
};

// Far beyond any crystal's on both sides: the files' fixed decimals resolve every position,
// and every coordinate stays a number of modest length.
constexpr double MinLatticeConstant = 0.1;
constexpr double MaxLatticeConstant = 1000.0;

bool equalIgnoringCase(std::string_view x, std::string_view y)
{
    return x.size() == y.size() && std::equal(x.begin(), x.end(), y.begin(), [](char p, char q) {
               auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
               return lower(p) == lower(q);
           });
}

// A word as an error line shows it: printable, one line, not overly long.
std::string shown(std::string_view s)
{
    std::string out = "'";
    for (unsigned char c : s.substr(0, 40))
        out += c < 0x20 || c >= 0x7f ? '?' : char(c);
    return out + (s.size() > 40 ? "...'" : "'");
}

} // namespace

const std::string& Material::element(int species) const
{
    static const std::string none;
    if (elements.empty())
        return none;
    return species == 1 && elements.size() > 1 ? elements[1] : elements[0];
}

std::span<const Material> materialPresets() { return presetTable(); }

const Material* findMaterial(std::string_view name)
{
    for (const Material& m : presetTable())
        if (equalIgnoringCase(m.name, name))
            return &m;
    return nullptr;
}

const Material& defaultMaterial(LatticeKind lattice)
{
    switch (lattice) {
    case LatticeKind::Bcc: return *findMaterial("Fe");
    case LatticeKind::Hcp: return *findMaterial("Mg");
    case LatticeKind::ZincBlende: return *findMaterial("GaAs");
    case LatticeKind::Fcc: break;
    }
    return *findMaterial("Cu");
}

int atomicNumber(std::string_view symbol)
{
    const auto found = std::find(std::begin(Elements), std::end(Elements), symbol);
    return found == std::end(Elements) ? 0 : int(found - std::begin(Elements)) + 1;
}

bool isElementSymbol(std::string_view symbol) { return atomicNumber(symbol) != 0; }

platform::Result<Material> customMaterial(LatticeKind lattice, std::vector<std::string> elements, double a,
                                          std::optional<double> c)
{
    const bool compound = lattice == LatticeKind::ZincBlende;
    if (elements.empty() || elements.size() > (compound ? 2u : 1u))
        return platform::fail(compound ? "zinc blende needs one or two element symbols"
                                       : "this lattice needs one element symbol");
    for (const std::string& e : elements)
        if (!isElementSymbol(e))
            return platform::fail("unknown element symbol " + shown(e)
                                  + " (a capital letter and perhaps a small one, e.g. Cu)");
    if (!(a >= MinLatticeConstant && a <= MaxLatticeConstant))
        return platform::fail("lattice constant a must be from 0.1 to 1000 Angstrom");
    if (lattice == LatticeKind::Hcp) {
        if (!c)
            return platform::fail("HCP needs the lattice constant c");
        if (!(*c >= MinLatticeConstant && *c <= MaxLatticeConstant))
            return platform::fail("lattice constant c must be from 0.1 to 1000 Angstrom");
    } else if (c) {
        return platform::fail("lattice constant c applies only to HCP");
    }
    Material m;
    m.name = "custom";
    m.lattice = lattice;
    m.elements = std::move(elements);
    m.a = a;
    m.c = lattice == LatticeKind::Hcp ? *c : 0.0;
    m.source = "given by the user";
    return m;
}

} // namespace crystal
