// The compound presets: experimental room-temperature lattice constants (Angstrom) and internal
// parameters, each with its source. Internal parameters: rutile u = x of O at 4f (u, u, 0);
// anatase z of O at 8e (0, 0, z), origin choice 1; wurtzite u = z of the anion; corundum z of
// the cation at 12c and x of O at 18e, hexagonal axes; 2H-MoS2 z of S at 4f (1/3, 2/3, z).

#include "crystal/Compound.h"

#include <algorithm>

namespace crystal {

namespace {

constexpr const char* Wyckoff = "Wyckoff, Crystal Structures, vol. 1, 2nd ed. (1963)";

Species ion(const char* element, int oxidation) { return {element, oxidation}; }
Species metal(const char* element) { return {element, std::nullopt}; }

Compound cubic(const char* name, Prototype prototype, std::vector<Species> species, double a, const char* source)
{
    return {name, prototype, std::move(species), {a, 0.0, {}}, source};
}

Compound layered(const char* name, Prototype prototype, std::vector<Species> species, double a, double c, double u,
                 double x, const char* source)
{
    return {name, prototype, std::move(species), {a, c, {u, x}}, source};
}

const std::vector<Compound>& table()
{
    using P = Prototype;
    static const std::vector<Compound> compounds = {
        // Rock salt.
        cubic("MgO", P::RockSalt, {ion("Mg", 2), ion("O", -2)}, 4.2117,
              "Hazen, Am. Mineral. 61, 266 (1976), single-crystal X-ray, room temperature"),
        cubic("NiO", P::RockSalt, {ion("Ni", 2), ion("O", -2)}, 4.1769,
              "Anthony et al., Handbook of Mineralogy, bunsenite (synthetic)"),
        cubic("CaO", P::RockSalt, {ion("Ca", 2), ion("O", -2)}, 4.8105, Wyckoff),
        cubic("NaCl", P::RockSalt, {ion("Na", 1), ion("Cl", -1)}, 5.6402, Wyckoff),
        cubic("KCl", P::RockSalt, {ion("K", 1), ion("Cl", -1)}, 6.2931, Wyckoff),
        // CsCl and the B2 alloys.
        cubic("CsCl", P::CesiumChloride, {ion("Cs", 1), ion("Cl", -1)}, 4.123, Wyckoff),
        cubic("NiAl", P::CesiumChloride, {metal("Ni"), metal("Al")}, 2.887,
              "Villars and Calvert, Pearson's Handbook of Crystallographic Data (stoichiometric NiAl)"),
        // L1_2: the first element on the face centres.
        cubic("Cu3Au", P::L12, {metal("Cu"), metal("Au")}, 3.749,
              "Villars and Calvert, Pearson's Handbook of Crystallographic Data (ordered Cu3Au)"),
        cubic("Ni3Al", P::L12, {metal("Ni"), metal("Al")}, 3.572,
              "Villars and Calvert, Pearson's Handbook of Crystallographic Data (stoichiometric Ni3Al)"),
        // Cubic perovskites: A, B, O.
        cubic("SrTiO3", P::Perovskite, {ion("Sr", 2), ion("Ti", 4), ion("O", -2)}, 3.9053,
              "gamma-ray diffraction at 293 K, Acta Cryst. B (IUCr paper sh5025)"),
        cubic("KTaO3", P::Perovskite, {ion("K", 1), ion("Ta", 5), ion("O", -2)}, 3.9885,
              "Zhurova et al., Acta Cryst. B56, 594 (2000), single-crystal X-ray, room temperature"),
        cubic("BaZrO3", P::Perovskite, {ion("Ba", 2), ion("Zr", 4), ion("O", -2)}, 4.193,
              "Villars and Calvert, Pearson's Handbook of Crystallographic Data"),
        // Fluorite.
        cubic("CaF2", P::Fluorite, {ion("Ca", 2), ion("F", -1)}, 5.463, "Wyckoff, Crystal Structures, vol. 1 (1963)"),
        cubic("CeO2", P::Fluorite, {ion("Ce", 4), ion("O", -2)}, 5.411, "ICDD powder diffraction file 34-394"),
        cubic("BaF2", P::Fluorite, {ion("Ba", 2), ion("F", -1)}, 6.200, Wyckoff),
        cubic("ThO2", P::Fluorite, {ion("Th", 4), ion("O", -2)}, 5.597, Wyckoff),
        // Rutile.
        layered("TiO2", P::Rutile, {ion("Ti", 4), ion("O", -2)}, 4.593659, 2.958682, 0.30479, 0.0,
                "Abrahams and Bernstein, J. Chem. Phys. 55, 3206 (1971), X-ray, 298 K"),
        layered("SnO2", P::Rutile, {ion("Sn", 4), ion("O", -2)}, 4.7374, 3.1864, 0.3056, 0.0,
                "Bolzan et al., Acta Cryst. B53, 373 (1997), neutron powder"),
        layered("RuO2", P::Rutile, {ion("Ru", 4), ion("O", -2)}, 4.4968, 3.1049, 0.3053, 0.0,
                "Bolzan et al., Acta Cryst. B53, 373 (1997), neutron powder"),
        layered("IrO2", P::Rutile, {ion("Ir", 4), ion("O", -2)}, 4.5051, 3.1586, 0.3077, 0.0,
                "Bolzan et al., Acta Cryst. B53, 373 (1997), neutron powder"),
        layered("GeO2", P::Rutile, {ion("Ge", 4), ion("O", -2)}, 4.4066, 2.8619, 0.3060, 0.0,
                "Bolzan et al., Acta Cryst. B53, 373 (1997), neutron powder"),
        // Anatase.
        layered("TiO2-anatase", P::Anatase, {ion("Ti", 4), ion("O", -2)}, 3.7845, 9.5143, 0.2081, 0.0,
                "a, c: Anthony et al., Handbook of Mineralogy, anatase (synthetic); z: Burdett et al., "
                "J. Am. Chem. Soc. 109, 3639 (1987), neutron powder, 295 K"),
        // Wurtzite.
        layered("ZnO", P::Wurtzite, {ion("Zn", 2), ion("O", -2)}, 3.2496, 5.2042, 0.3819, 0.0,
                "Kisi and Elcombe, Acta Cryst. C45, 1867 (1989), neutron powder, room temperature"),
        layered("GaN", P::Wurtzite, {ion("Ga", 3), ion("N", -3)}, 3.18940, 5.18614, 0.3789, 0.0,
                "Paszkowicz et al., J. Alloys Compd. 382, 100 (2004), X-ray powder, room temperature"),
        layered("AlN", P::Wurtzite, {ion("Al", 3), ion("N", -3)}, 3.11197, 4.98089, 0.3869, 0.0,
                "Paszkowicz et al., J. Alloys Compd. 382, 100 (2004), X-ray powder, room temperature"),
        // Corundum, hexagonal axes.
        layered("Al2O3", P::Corundum, {ion("Al", 3), ion("O", -2)}, 4.76050, 12.9956, 0.35216, 0.30668,
                "Lutterotti and Scardi, J. Appl. Cryst. 23, 246 (1990), X-ray powder (COD 1000032)"),
        layered("Fe2O3", P::Corundum, {ion("Fe", 3), ion("O", -2)}, 5.038, 13.772, 0.35534, 0.3056,
                "Finger and Hazen, J. Appl. Phys. 51, 5362 (1980), single-crystal X-ray, 1 bar"),
        layered("Cr2O3", P::Corundum, {ion("Cr", 3), ion("O", -2)}, 4.958, 13.593, 0.3475, 0.3058,
                "a, c: ICDD powder diffraction file 6-504; z, x: Finger and Hazen, J. Appl. Phys. 51, 5362 "
                "(1980)"),
        // Cuprite.
        cubic("Cu2O", P::Cuprite, {ion("Cu", 1), ion("O", -2)}, 4.2685,
              "Restori and Schwarzenbach, Acta Cryst. B42, 201 (1986), as in ICSD"),
        // Layered crystals.
        layered("C-graphite", P::Graphite, {metal("C")}, 2.464, 6.711, 0.0, 0.0,
                "Trucano and Chen, Nature 258, 136 (1975), neutron diffraction"),
        layered("MoS2", P::Molybdenite, {ion("Mo", 4), ion("S", -2)}, 3.1604, 12.295, 0.621, 0.0,
                "Schoenfeld, Huang and Moss, Acta Cryst. B39, 404 (1983), single-crystal X-ray"),
        layered("BN", P::HexagonalBoronNitride, {ion("B", 3), ion("N", -3)}, 2.504, 6.661, 0.0, 0.0,
                "Pease, Acta Cryst. 5, 356 (1952), X-ray powder"),
    };
    return compounds;
}

bool equalIgnoringCase(std::string_view x, std::string_view y)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return x.size() == y.size()
        && std::equal(x.begin(), x.end(), y.begin(), [&](char p, char q) { return lower(p) == lower(q); });
}

} // namespace

std::span<const Compound> compoundPresets() { return table(); }

const Compound* findCompound(std::string_view name)
{
    for (const Compound& c : table())
        if (equalIgnoringCase(c.name, name))
            return &c;
    return nullptr;
}

} // namespace crystal
