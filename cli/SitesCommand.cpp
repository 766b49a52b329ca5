#include "cli/Commands.h"

#include "crystal/Sites.h"

#include <cmath>
#include <cstdio>
#include <iostream>

namespace cli {

namespace {

using platform::jsonNumber;
using platform::jsonString;

// The site's point: in the slab's frame, x and y in the surface cell, z the height above the top
// plane's atoms at which oxygen binds there (0 where a radius is unknown).
crystal::Position sitePoint(const crystal::Site& site)
{
    return {site.inPlane.x, site.inPlane.y, crystal::bondHeight(site, "O").value_or(0.0)};
}

// Four significant digits, as the text lines of the other commands print lengths.
std::string number(double x)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.4g", std::abs(x) < 5e-5 ? 0.0 : x);
    return text;
}

std::string boundText(const crystal::Site& site)
{
    std::string out;
    for (const crystal::BoundAtoms& b : site.bound)
        out += (out.empty() ? "" : " ") + std::to_string(b.count) + " " + b.element;
    return out;
}

std::string formatText(const std::string& title, const std::vector<crystal::Site>& sites)
{
    std::string out = title + ": " + std::to_string(sites.size()) + " sites\n";
    for (const crystal::Site& site : sites) {
        const crystal::Position p = sitePoint(site);
        out += site.label + ": " + crystal::siteKindName(site.kind) + ", " + std::to_string(site.multiplicity)
            + " per cell, at (" + number(site.position.u) + ", " + number(site.position.v) + ") of the cell, ("
            + number(p.x) + ", " + number(p.y) + ", " + number(p.z) + ") Angstrom, binds " + boundText(site) + "\n";
    }
    return out;
}

std::string formatJson(const std::vector<crystal::Site>& sites)
{
    std::string out = "{\"sites\": [";
    for (std::size_t i = 0; i < sites.size(); ++i) {
        const crystal::Site& site = sites[i];
        const crystal::Position p = sitePoint(site);
        out += (i ? ", " : "") + std::string("{\"kind\": ") + jsonString(crystal::siteKindName(site.kind))
            + ", \"label\": " + jsonString(site.label) + ", \"step\": " + (site.step ? "true" : "false")
            + ", \"fold\": " + std::to_string(site.fold) + ", \"position\": [" + jsonNumber(p.x) + ", "
            + jsonNumber(p.y) + ", " + jsonNumber(p.z) + "], \"fractional\": [" + jsonNumber(site.position.u) + ", "
            + jsonNumber(site.position.v) + "], \"bound\": [";
        for (std::size_t k = 0; k < site.bound.size(); ++k)
            out += (k ? ", " : "") + std::string("{\"element\": ") + jsonString(site.bound[k].element)
                + ", \"count\": " + std::to_string(site.bound[k].count) + "}";
        out += "], \"multiplicity\": " + std::to_string(site.multiplicity) + "}";
    }
    return out + "]}\n";
}

} // namespace

int runSites(const BatchCommand& cmd)
{
    const auto spec = surfaceSpec(cmd);
    if (!spec)
        return fileError(spec.error().message);
    const auto cell = crystal::surfaceCell(*spec, crystal::InPlaneCell::Primitive);
    if (!cell)
        return argumentError(cell.error().message);
    const auto sites = crystal::findSites(*spec, *cell);
    if (!sites)
        return fileError(sites.error().message);
    std::cout << (cmd.textFormat == TextFormat::Json ? formatJson(*sites)
                                                     : formatText(crystal::surfaceTitle(*spec), *sites));
    std::cout.flush();
    return std::cout ? 0 : 1;
}

} // namespace cli
