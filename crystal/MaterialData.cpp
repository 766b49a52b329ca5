// The preset materials: room-temperature lattice constants in Angstrom.
//
// Sources:
//   metals: CRC Handbook of Chemistry and Physics, "Crystal structures and lattice parameters of
//           allotropes of the elements" (values at room temperature), which agree with the
//           room-temperature table of Ashcroft and Mermin, "Solid State Physics", chapter 4;
//   the alkali metals Na and K: their room-temperature values from the same CRC table (Kittel's
//           "Introduction to Solid State Physics" lists the lower values at 5 K);
//   semiconductors and diamond: CRC Handbook, "Properties of semiconductors" (300 K), as in
//           Kittel, "Introduction to Solid State Physics", chapter 1, table 4.
#include "crystal/MaterialData.h"

namespace crystal {

namespace {

constexpr const char* Metals = "CRC Handbook, lattice parameters of the elements, room temperature";
constexpr const char* Alkali = "CRC Handbook, lattice parameters of the elements, room temperature (not 5 K)";
constexpr const char* Semiconductors = "CRC Handbook, properties of semiconductors, 300 K";

Material fcc(const char* symbol, double a) { return {symbol, LatticeKind::Fcc, {symbol}, a, 0.0, Metals}; }

Material bcc(const char* symbol, double a, const char* source = Metals)
{
    return {symbol, LatticeKind::Bcc, {symbol}, a, 0.0, source};
}

Material hcp(const char* symbol, double a, double c) { return {symbol, LatticeKind::Hcp, {symbol}, a, c, Metals}; }

Material zincBlende(const char* name, const char* first, const char* second, double a)
{
    return {name, LatticeKind::ZincBlende, {first, second}, a, 0.0, Semiconductors};
}

Material diamond(const char* symbol, double a)
{
    return {symbol, LatticeKind::ZincBlende, {symbol}, a, 0.0, Semiconductors};
}

} // namespace

const std::vector<Material>& presetTable()
{
    static const std::vector<Material> table = {
        // Face-centred cubic: a is the cube edge.
        fcc("Cu", 3.6149),
        fcc("Ag", 4.0853),
        fcc("Au", 4.0782),
        fcc("Ni", 3.5240),
        fcc("Pd", 3.8907),
        fcc("Pt", 3.9242),
        fcc("Al", 4.0495),
        fcc("Ir", 3.8390),
        fcc("Rh", 3.8034),
        fcc("Pb", 4.9508),
        // Body-centred cubic: a is the cube edge.
        bcc("Fe", 2.8665),
        bcc("W", 3.1652),
        bcc("Mo", 3.1470),
        bcc("Cr", 2.8846),
        bcc("Nb", 3.3004),
        bcc("Ta", 3.3013),
        bcc("V", 3.0240),
        bcc("Na", 4.2906, Alkali),
        bcc("K", 5.3280, Alkali),
        // Hexagonal close-packed: the basal a and the real c.
        hcp("Mg", 3.2094, 5.2108),
        hcp("Zn", 2.6649, 4.9468),
        hcp("Ti", 2.9508, 4.6855),
        hcp("Co", 2.5071, 4.0695),
        hcp("Ru", 2.7059, 4.2815),
        hcp("Zr", 3.2317, 5.1476),
        hcp("Cd", 2.9794, 5.6186),
        hcp("Be", 2.2858, 3.5843),
        hcp("Re", 2.7609, 4.4576),
        hcp("Os", 2.7344, 4.3173),
        // Zinc blende: the first element on the marked sublattice (the FCC sites), the second a
        // quarter of the cube diagonal away; a is the cube edge.
        zincBlende("GaAs", "Ga", "As", 5.6533),
        zincBlende("InP", "In", "P", 5.8687),
        zincBlende("InAs", "In", "As", 6.0583),
        zincBlende("GaP", "Ga", "P", 5.4505),
        zincBlende("ZnS", "Zn", "S", 5.4102),
        zincBlende("CdTe", "Cd", "Te", 6.4810),
        zincBlende("InSb", "In", "Sb", 6.4794),
        zincBlende("AlAs", "Al", "As", 5.6611),
        // The diamond structure: zinc blende with one element on both sublattices.
        diamond("C", 3.5668),
        diamond("Si", 5.4310),
        diamond("Ge", 5.6579),
    };
    return table;
}

} // namespace crystal
