#include "crystal/SitesListing.h"

#include "platform/Text.h"

#include <cmath>
#include <cstdio>

namespace crystal {

namespace {

using platform::jsonNumber;
using platform::jsonString;

// The site's point: in the slab's frame, x and y in the surface cell, z the height above the top
// plane's atoms at which oxygen binds there (0 where a radius is unknown).
Position sitePoint(const Site& site) { return {site.inPlane.x, site.inPlane.y, bondHeight(site, "O").value_or(0.0)}; }

// Four significant digits, as the text lines of the other commands print lengths.
std::string number(double x)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.4g", std::abs(x) < 5e-5 ? 0.0 : x);
    return text;
}

std::string boundText(const Site& site)
{
    std::string out;
    for (const BoundAtoms& b : site.bound)
        out += (out.empty() ? "" : " ") + std::to_string(b.count) + " " + b.element;
    return out;
}

} // namespace

std::string formatSitesText(const std::string& title, const std::vector<Site>& sites)
{
    std::string out = title + ": " + std::to_string(sites.size()) + " sites\n";
    for (const Site& site : sites) {
        const Position p = sitePoint(site);
        out += site.label + ": " + siteKindName(site.kind) + ", " + std::to_string(site.multiplicity)
            + " per cell, at (" + number(site.position.u) + ", " + number(site.position.v) + ") of the cell, ("
            + number(p.x) + ", " + number(p.y) + ", " + number(p.z) + ") Angstrom, binds " + boundText(site) + "\n";
    }
    return out;
}

std::string formatSitesJson(const std::vector<Site>& sites)
{
    std::string out = "{\"sites\": [";
    for (std::size_t i = 0; i < sites.size(); ++i) {
        const Site& site = sites[i];
        const Position p = sitePoint(site);
        out += (i ? ", " : "") + std::string("{\"kind\": ") + jsonString(siteKindName(site.kind))
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

} // namespace crystal
