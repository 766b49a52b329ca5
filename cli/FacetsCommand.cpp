// facetor facets and facetor wulff: every plane of a crystal up to an index with its
// broken-bond energies, and the equilibrium shape from those or from the user's energies.

#include "cli/Commands.h"

#include "crystal/Facets.h"
#include "crystal/SurfaceCell.h"
#include "crystal/Symmetry.h"
#include "crystal/Wulff.h"
#include "figure/WulffPicture.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <numbers>

namespace cli {

namespace {

using platform::fourDigits;
using platform::jsonNumber;
using platform::jsonString;

std::string indexJson(const crystal::Miller& hkl, bool hexagonal)
{
    std::string out = "[" + std::to_string(hkl[0]) + ", " + std::to_string(hkl[1]);
    if (hexagonal)
        out += ", " + std::to_string(-(hkl[0] + hkl[1]));
    return out + ", " + std::to_string(hkl[2]) + "]";
}

struct Analysed {
    crystal::BulkCrystal bulk;
    crystal::CrystalSymmetry symmetry;
    bool hexagonal = false;
};

platform::Result<Analysed> analysed(const BatchCommand& cmd)
{
    auto bulk = bulkCrystal(cmd);
    if (!bulk)
        return bulk.error();
    auto symmetry = crystal::analyseSymmetry(*bulk);
    if (!symmetry)
        return symmetry.error();
    const bool hexagonal = crystal::hasHexagonalAxes(bulk->cell);
    return Analysed{std::move(*bulk), std::move(*symmetry), hexagonal};
}

std::string facetsText(const std::string& name, const Analysed& a, int maxIndex,
                       const std::vector<crystal::Facet>& facets)
{
    std::string out = name + ": space group " + a.symmetry.symbol + " (" + std::to_string(a.symmetry.number) + "), "
        + std::to_string(facets.size()) + " distinct planes with no index above " + std::to_string(maxIndex) + "\n";
    out += "broken bonds per Angstrom^2 and energies in bond energies per Angstrom^2 (nearest neighbours)\n";
    for (const crystal::Facet& f : facets) {
        out += crystal::planeText(f.hkl, a.hexagonal) + ": multiplicity " + std::to_string(f.multiplicity)
            + ", spacing " + fourDigits(f.spacing) + " Angstrom, " + std::to_string(f.terminations.size())
            + (f.terminations.size() == 1 ? " termination\n" : " terminations\n");
        for (const crystal::FacetTermination& t : f.terminations)
            out += "  termination " + std::to_string(t.index) + ": broken bonds " + fourDigits(t.brokenBondsPerArea)
                + ", energy " + fourDigits(t.energy)
                + (t.index == f.lowest && f.terminations.size() > 1 ? " (lowest)" : "") + "\n";
    }
    return out;
}

std::string facetsJson(const Analysed& a, const std::vector<crystal::Facet>& facets)
{
    std::string out = "{\"space_group\": {\"symbol\": " + jsonString(a.symmetry.symbol)
        + ", \"number\": " + std::to_string(a.symmetry.number) + "}, \"planes\": [";
    for (std::size_t i = 0; i < facets.size(); ++i) {
        const crystal::Facet& f = facets[i];
        out += (i ? ", " : "") + std::string("{\"hkl\": ") + indexJson(f.hkl, a.hexagonal)
            + ", \"multiplicity\": " + std::to_string(f.multiplicity) + ", \"spacing\": " + jsonNumber(f.spacing)
            + ", \"lowest\": " + std::to_string(f.lowest) + ", \"terminations\": [";
        for (std::size_t k = 0; k < f.terminations.size(); ++k) {
            const crystal::FacetTermination& t = f.terminations[k];
            out += (k ? ", " : "") + std::string("{\"index\": ") + std::to_string(t.index)
                + ", \"broken_bonds_per_area\": " + jsonNumber(t.brokenBondsPerArea)
                + ", \"energy\": " + jsonNumber(t.energy) + "}";
        }
        out += "]}";
    }
    return out + "]}\n";
}

} // namespace

int runFacets(const BatchCommand& cmd)
{
    const auto a = analysed(cmd);
    if (!a)
        return fileError(a.error().message);
    const auto facets = crystal::distinctFacets(a->bulk, a->symmetry, cmd.maxIndex, cmd.planeTolerance);
    if (!facets)
        return fileError(facets.error().message);
    std::cout << (cmd.textFormat == TextFormat::Json ? facetsJson(*a, *facets)
                                                     : facetsText(bulkName(cmd), *a, cmd.maxIndex, *facets));
    std::cout.flush();
    return std::cout ? 0 : 1;
}

int runWulff(const BatchCommand& cmd)
{
    const auto a = analysed(cmd);
    if (!a)
        return fileError(a.error().message);

    // The families and their energies: every distinct plane's lowest broken-bond energy, or the
    // planes of the user's file (each standing for its family; planes it leaves out are not
    // exposed).
    std::vector<crystal::WulffFamily> families;
    std::string unit = "bond energies per Angstrom^2";
    if (cmd.energiesPath.empty()) {
        const auto facets = crystal::distinctFacets(a->bulk, a->symmetry, cmd.maxIndex, cmd.planeTolerance);
        if (!facets)
            return fileError(facets.error().message);
        for (const crystal::Facet& f : *facets) {
            const double energy = f.terminations[std::size_t(f.lowest - 1)].energy;
            if (!(energy > 0.0))
                return fileError("the broken-bond model gives " + crystal::planeText(f.hkl, a->hexagonal)
                                 + " no energy (no nearest-neighbour bond crosses it): give --energies");
            families.push_back({f.hkl, crystal::equivalentPlanes(a->symmetry, f.hkl), energy});
        }
    } else {
        const auto text = platform::readWholeFile(cmd.energiesPath, std::size_t(1) << 20);
        if (!text)
            return fileError(text.error().message);
        const auto energies = crystal::readSurfaceEnergies(*text, cmd.energiesPath);
        if (!energies)
            return fileError(energies.error().message);
        unit = "J/m^2";
        for (const crystal::PlaneEnergy& e : *energies) {
            const auto members = crystal::equivalentPlanes(a->symmetry, e.hkl);
            for (const crystal::WulffFamily& other : families)
                if (std::find(members.begin(), members.end(), other.hkl) != members.end())
                    return fileError(cmd.energiesPath + ":" + std::to_string(e.line) + ": "
                                     + crystal::planeText(e.hkl, a->hexagonal) + " is equivalent to "
                                     + crystal::planeText(other.hkl, a->hexagonal) + ", given before");
            families.push_back({e.hkl, members, e.energy});
        }
    }
    const auto shape = crystal::wulffShape(a->bulk.cell, families);
    if (!shape)
        return fileError(shape.error().message);

    // Scaled to the sphere of the same volume, diameter cmd.diameter nm.
    const double volume = std::numbers::pi * std::pow(cmd.diameter, 3) / 6.0;
    const double scale = std::cbrt(volume / shape->volume);
    const double area = shape->area * scale * scale;
    std::vector<std::string> labels;
    for (const crystal::WulffFamily& f : families)
        labels.push_back(crystal::planeText(f.hkl, a->hexagonal));

    if (cmd.textFormat == TextFormat::Json) {
        std::string out = "{\"energy_unit\": " + jsonString(unit) + ", \"facets\": [";
        bool first = true;
        for (std::size_t f = 0; f < families.size(); ++f) {
            if (!(shape->areaFractions[f] > 0.0))
                continue;
            out += (first ? "" : ", ") + std::string("{\"hkl\": ") + indexJson(families[f].hkl, a->hexagonal)
                + ", \"area_fraction\": " + jsonNumber(shape->areaFractions[f])
                + ", \"energy\": " + jsonNumber(families[f].energy) + "}";
            first = false;
        }
        out += "], \"diameter\": " + jsonNumber(cmd.diameter) + ", \"volume\": " + jsonNumber(volume)
            + ", \"area\": " + jsonNumber(area) + ", \"weighted_energy\": " + jsonNumber(shape->weightedEnergy) + "}\n";
        std::cout << out;
    } else {
        std::string out = bulkName(cmd) + ": equilibrium shape from " + std::to_string(families.size())
            + " plane families, energies in " + unit + "\n";
        for (std::size_t f = 0; f < families.size(); ++f)
            if (shape->areaFractions[f] > 0.0)
                out += "facet " + labels[f] + ": area fraction " + fourDigits(shape->areaFractions[f]) + ", energy "
                    + fourDigits(families[f].energy) + "\n";
        out += "not exposed:";
        std::size_t hidden = 0;
        for (std::size_t f = 0; f < families.size(); ++f)
            if (!(shape->areaFractions[f] > 0.0) && hidden++ < 12)
                out += " " + labels[f];
        if (hidden > 12)
            out += " and " + std::to_string(hidden - 12) + " more";
        out += hidden ? "\n" : " none\n";
        out += "volume " + fourDigits(volume) + " nm^3 (a sphere " + fourDigits(cmd.diameter) + " nm across), area "
            + fourDigits(area) + " nm^2, weighted energy " + fourDigits(shape->weightedEnergy) + "\n";
        std::cout << out;
    }
    std::cout.flush();
    if (!std::cout)
        return 1;
    if (cmd.out.empty())
        return 0;
    const auto format = figure::figureFormatOfPath(cmd.out);
    const int width = cmd.figure.width;
    const figure::WulffLayout layout = figure::layoutWulffPicture(
        *shape, labels, a->hexagonal, {cmd.wulffRotation, cmd.wulffTilt},
        format == figure::FigureFormat::Png ? width : 360.0, bulkName(cmd) + " equilibrium shape");
    const auto bytes = figure::paintWulffPicture(layout, *format);
    if (!bytes) {
        std::cerr << "facetor: " << bytes.error().message << '\n';
        return 1;
    }
    return writeOutput(cmd.out, *bytes);
}

} // namespace cli
