#include "crystal/Polarity.h"

#include "crystal/Material.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <numeric>

namespace crystal {

namespace {

// Oxidation states of the elements in their compounds, the most common first (Greenwood and
// Earnshaw, "Chemistry of the Elements", 2nd ed., the states of each element's chapter; the
// order is that of the stable compounds a surface scientist meets: oxides, halides, nitrides).
struct StateRow {
    const char* element;
    std::initializer_list<int> states;
};
const StateRow OxidationStates[] = {
    {"H", {1, -1}},     {"Li", {1}},       {"Be", {2}},       {"B", {3}},         {"C", {4, -4}},  {"N", {-3, 5, 3}},
    {"O", {-2}},        {"F", {-1}},       {"Na", {1}},       {"Mg", {2}},        {"Al", {3}},     {"Si", {4, -4}},
    {"P", {5, -3, 3}},  {"S", {-2, 6, 4}}, {"Cl", {-1}},      {"K", {1}},         {"Ca", {2}},     {"Sc", {3}},
    {"Ti", {4, 3, 2}},  {"V", {5, 4, 3}},  {"Cr", {3, 6, 2}}, {"Mn", {2, 4, 3}},  {"Fe", {3, 2}},  {"Co", {2, 3}},
    {"Ni", {2}},        {"Cu", {2, 1}},    {"Zn", {2}},       {"Ga", {3}},        {"Ge", {4, -4}}, {"As", {-3, 5, 3}},
    {"Se", {-2, 4, 6}}, {"Br", {-1}},      {"Rb", {1}},       {"Sr", {2}},        {"Y", {3}},      {"Zr", {4}},
    {"Nb", {5, 4}},     {"Mo", {6, 4}},    {"Ru", {4, 3}},    {"Rh", {3}},        {"Pd", {2}},     {"Ag", {1}},
    {"Cd", {2}},        {"In", {3}},       {"Sn", {4, 2}},    {"Sb", {3, 5, -3}}, {"Te", {-2, 4}}, {"I", {-1}},
    {"Cs", {1}},        {"Ba", {2}},       {"La", {3}},       {"Ce", {4, 3}},     {"Pr", {3}},     {"Nd", {3}},
    {"Sm", {3}},        {"Eu", {3, 2}},    {"Gd", {3}},       {"Tb", {3}},        {"Dy", {3}},     {"Ho", {3}},
    {"Er", {3}},        {"Tm", {3}},       {"Yb", {3}},       {"Lu", {3}},        {"Hf", {4}},     {"Ta", {5}},
    {"W", {6, 4}},      {"Re", {7, 4}},    {"Os", {4}},       {"Ir", {4, 3}},     {"Pt", {2, 4}},  {"Au", {3, 1}},
    {"Hg", {2}},        {"Tl", {1, 3}},    {"Pb", {2, 4}},    {"Bi", {3}},        {"Th", {4}},     {"U", {4, 6}},
};

std::vector<int> statesOf(std::string_view element)
{
    for (const StateRow& row : OxidationStates)
        if (element == row.element)
            return row.states;
    return {};
}

// The non-metals and the metalloids that take negative or covalent states in their compounds.
constexpr std::string_view NonMetals[] = {"H",  "He", "B",  "C",  "N",  "O",  "F",  "Ne", "Si", "P",  "S",  "Cl",
                                          "Ar", "Ge", "As", "Se", "Br", "Kr", "Sb", "Te", "I",  "Xe", "At", "Rn"};

} // namespace

std::vector<HeightPlane> groupIntoPlanes(const std::vector<double>& heights, double period, double tolerance)
{
    std::vector<std::size_t> order(heights.size());
    std::iota(order.begin(), order.end(), std::size_t(0));
    std::sort(order.begin(), order.end(), [&](std::size_t i, std::size_t j) { return heights[i] < heights[j]; });
    // Runs of atoms from the lowest up, each within tolerance of the one below it.
    std::vector<std::vector<std::size_t>> runs;
    for (std::size_t n = 0; n < order.size(); ++n) {
        if (n == 0 || heights[order[n]] - heights[order[n - 1]] > tolerance)
            runs.emplace_back();
        runs.back().push_back(order[n]);
    }
    if (runs.empty())
        return {};
    // The lowest run joins the highest one a period lower when they are within tolerance.
    const bool wraps = heights[runs.front().front()] + period - heights[runs.back().back()] <= tolerance;
    if (wraps && runs.size() == 1)
        return {};
    std::vector<HeightPlane> planes;
    for (std::size_t r = runs.size(); r-- > 0;) {
        if (wraps && r == 0)
            break;
        HeightPlane plane;
        plane.atoms = runs[r];
        plane.height = heights[runs[r].back()];
        if (wraps && r == runs.size() - 1) {
            plane.atoms.insert(plane.atoms.end(), runs.front().begin(), runs.front().end());
            plane.height = heights[runs.front().back()] + period;
        }
        planes.push_back(std::move(plane));
    }
    return planes;
}

std::optional<int> commonOxidationState(std::string_view element)
{
    const auto states = statesOf(element);
    if (states.empty())
        return std::nullopt;
    return states.front();
}

bool isMetal(std::string_view element)
{
    return isElementSymbol(element)
        && std::find(std::begin(NonMetals), std::end(NonMetals), element) == std::end(NonMetals);
}

std::optional<FormalCharges> formalCharges(const BulkCrystal& bulk, std::string* reason)
{
    const auto refuse = [&](const char* why) -> std::optional<FormalCharges> {
        if (reason)
            *reason = why;
        return std::nullopt;
    };
    FormalCharges out;
    if (std::all_of(bulk.sites.begin(), bulk.sites.end(), [](const BulkSite& s) { return s.oxidation.has_value(); })) {
        long long total = 0;
        for (const BulkSite& s : bulk.sites) {
            out.charges.push_back(*s.oxidation);
            total += *s.oxidation;
        }
        if (total != 0)
            return refuse("the given oxidation states leave the cell charged");
        return out;
    }
    // The elements with their counts, in order of first appearance.
    std::vector<std::string> elements;
    std::map<std::string, long long> count;
    for (const BulkSite& s : bulk.sites) {
        if (count[s.element]++ == 0)
            elements.push_back(s.element);
    }
    if (elements.size() == 1)
        return refuse("an element: its planes carry no formal charge");
    if (std::all_of(elements.begin(), elements.end(), [](const std::string& e) { return isMetal(e); }))
        return refuse("a metal or alloy: its planes carry no formal charge");
    std::vector<std::vector<int>> states;
    for (const std::string& e : elements) {
        states.push_back(statesOf(e));
        if (states.back().empty())
            return refuse("an element without a listed oxidation state");
    }
    // The neutral choice of one state per element with the least sum of ranks (the most common
    // states first), the earlier elements' ranks breaking ties.
    std::optional<std::vector<std::size_t>> best;
    std::size_t bestRank = 0;
    std::vector<std::size_t> pick(elements.size(), 0);
    for (;;) {
        long long total = 0;
        std::size_t rank = 0;
        for (std::size_t i = 0; i < elements.size(); ++i) {
            total += states[i][pick[i]] * count[elements[i]];
            rank += pick[i];
        }
        if (total == 0 && (!best || rank < bestRank)) {
            best = pick;
            bestRank = rank;
        }
        std::size_t i = elements.size();
        while (i-- > 0) {
            if (++pick[i] < states[i].size())
                break;
            pick[i] = 0;
        }
        if (i == std::size_t(-1))
            break;
    }
    if (!best)
        return refuse("no set of common oxidation states makes the cell neutral");
    std::map<std::string, int> chosen;
    for (std::size_t i = 0; i < elements.size(); ++i)
        chosen[elements[i]] = states[i][(*best)[i]];
    for (const BulkSite& s : bulk.sites)
        out.charges.push_back(s.oxidation ? *s.oxidation : chosen[s.element]);
    return out;
}

Polarity taskerType(const std::vector<PlaneCharge>& period, double area)
{
    Polarity p;
    double moment = 0.0;
    double scale = 0.0;
    bool charged = false;
    for (const PlaneCharge& plane : period) {
        moment += plane.charge * plane.height;
        scale += std::abs(plane.charge) * (1.0 + std::abs(plane.height));
        charged = charged || plane.charge != 0.0;
    }
    if (!charged)
        return p;
    // Charges are whole multiples of e, heights exact to rounding: a moment below this part of
    // the charges' own scale is none.
    if (std::abs(moment) <= ExactTolerance * scale) {
        p.tasker = 2;
        return p;
    }
    p.tasker = 3;
    p.dipolePerArea = moment / area;
    return p;
}

} // namespace crystal
