#include "figure/Figure.h"

#include "crystal/Coordination.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <numbers>
#include <unordered_map>

namespace figure {

namespace {

using crystal::Position;
using platform::Rgb;

// Sine and cosine of an angle in degrees, exact at the multiples of 90 degrees so that a
// quarter turn maps the lattice onto itself without rounding.
struct SinCos {
    double sin = 0.0;
    double cos = 1.0;
};

SinCos sinCosDegrees(double degrees)
{
    const double r = std::fmod(degrees, 360.0);
    if (r == 0.0)
        return {0.0, 1.0};
    if (r == 90.0 || r == -270.0)
        return {1.0, 0.0};
    if (r == 180.0 || r == -180.0)
        return {0.0, -1.0};
    if (r == 270.0 || r == -90.0)
        return {-1.0, 0.0};
    const double rad = r * std::numbers::pi / 180.0;
    return {std::sin(rad), std::cos(rad)};
}

// The view: the cell frame (x right, y up, z out of the surface) seen from above, turned
// about the normal and then tilted about the figure's horizontal axis. Returns the figure's
// x (right), y (down) and the depth (larger nearer), Angstrom.
class View {
public:
    View(double rotation, double tilt) : m_rot(sinCosDegrees(rotation)), m_tilt(sinCosDegrees(tilt)) {}

    Position project(Position p) const
    {
        const double fx = p.x;
        const double fy = -p.y; // the figure's y runs down
        const double x = m_rot.cos * fx + m_rot.sin * fy;
        const double w = m_rot.cos * fy - m_rot.sin * fx;
        const double depth = m_tilt.cos * p.z + m_tilt.sin * w;
        const double y = m_tilt.cos * w - m_tilt.sin * p.z;
        return {x, y, depth};
    }

private:
    SinCos m_rot;
    SinCos m_tilt;
};

// Distinct colours for planes and coordination numbers, easy to tell apart in print.
constexpr std::array<uint32_t, 10> Qualitative{0x1F77B4, 0xFF7F0E, 0x2CA02C, 0xD62728, 0x9467BD,
                                               0x8C564B, 0xE377C2, 0xBCBD22, 0x17BECF, 0x393B79};
constexpr uint32_t BulkGrey = 0xB4B4B4;
// By coordination number modulo 10, so that a number keeps its colour from figure to figure:
// 4 red, 5 orange, 6 pink, 7 gold, 8 green, 9 blue, 10 cyan, 11 brown, 3 purple, 2 olive.
constexpr std::array<uint32_t, 10> ByCoordination{0x17BECF, 0x8C564B, 0xBCBD22, 0x9467BD, 0xD62728,
                                                  0xFF7F0E, 0xE377C2, 0xE6C229, 0x2CA02C, 0x1F77B4};

Rgb planeColour(int plane) { return Rgb::fromHex(Qualitative[static_cast<size_t>(plane) % Qualitative.size()]); }

Rgb coordinationColour(int cn, int bulk)
{
    if (cn >= bulk)
        return Rgb::fromHex(BulkGrey);
    return Rgb::fromHex(ByCoordination[static_cast<size_t>(std::max(cn, 0)) % ByCoordination.size()]);
}

Rgb elementOrGrey(const std::string& symbol) { return elementColour(symbol).value_or(unknownElementColour()); }

// Deeper planes are darkened by their depth below the top plane, in nearest-neighbour
// distances, up to a limit that keeps the colour recognisable.
double dimming(double depthBelowTop, double nearestNeighbour)
{
    return std::clamp(0.3 * depthBelowTop / nearestNeighbour, 0.0, 0.6);
}

std::string planeLabel(int plane, int layers)
{
    std::string label = plane + static_cast<int>(Qualitative.size()) < layers ? "planes " : "plane ";
    for (int p = plane; p < layers; p += static_cast<int>(Qualitative.size())) {
        if (p != plane)
            label += ", ";
        label += std::to_string(p + 1);
    }
    return label;
}

// Removes the spheres that a single nearer sphere covers entirely: in an untilted view the
// planes of one stacking period hide the ones below them, which would only fill the file.
void dropHiddenSpheres(std::vector<FigureSphere>& spheres)
{
    if (spheres.empty())
        return;
    const double tolerance = 1e-6;
    const auto key = [&](double x, double y) {
        const auto qx = static_cast<int64_t>(std::floor(x / tolerance / 4.0));
        const auto qy = static_cast<int64_t>(std::floor(y / tolerance / 4.0));
        return std::pair{qx, qy};
    };
    struct Hash {
        size_t operator()(const std::pair<int64_t, int64_t>& k) const
        {
            return std::hash<int64_t>()(k.first * 1000003 ^ k.second);
        }
    };
    // The nearest sphere seen so far at each (quantised) centre, walking front to back.
    std::unordered_map<std::pair<int64_t, int64_t>, size_t, Hash> nearest;
    std::vector<bool> hidden(spheres.size(), false);
    for (size_t n = spheres.size(); n-- > 0;) {
        const FigureSphere& s = spheres[n];
        const auto [qx, qy] = key(s.centre.x, s.centre.y);
        for (int64_t dx = -1; dx <= 1 && !hidden[n]; ++dx)
            for (int64_t dy = -1; dy <= 1 && !hidden[n]; ++dy) {
                const auto it = nearest.find({qx + dx, qy + dy});
                if (it == nearest.end())
                    continue;
                const FigureSphere& front = spheres[it->second];
                const double d = std::hypot(front.centre.x - s.centre.x, front.centre.y - s.centre.y);
                if (front.depth > s.depth && d + s.radius <= front.radius + tolerance)
                    hidden[n] = true;
            }
        if (!hidden[n])
            nearest.try_emplace({qx, qy}, n);
    }
    size_t kept = 0;
    for (size_t n = 0; n < spheres.size(); ++n)
        if (!hidden[n])
            spheres[kept++] = spheres[n];
    spheres.resize(kept);
}

// Depth below the top plane of plane k of the period continued downwards (k >= 0).
double planeDepth(const crystal::SurfaceCell& cell, int k)
{
    const int n = static_cast<int>(cell.planes.size());
    return -cell.planes[static_cast<size_t>(k % n)].depth + (k / n) * cell.periodHeight();
}

} // namespace

std::optional<ColourMode> parseColourMode(std::string_view name)
{
    if (name == "element")
        return ColourMode::Element;
    if (name == "layer")
        return ColourMode::Layer;
    if (name == "coordination")
        return ColourMode::Coordination;
    return std::nullopt;
}

std::optional<FigureFormat> figureFormatOfPath(std::string_view path)
{
    const std::string ext = platform::fileExtension(path);
    if (ext == "svg")
        return FigureFormat::Svg;
    if (ext == "pdf")
        return FigureFormat::Pdf;
    if (ext == "png")
        return FigureFormat::Png;
    return std::nullopt;
}

platform::Status validFigureOptions(const FigureOptions& options)
{
    if (!std::isfinite(options.rotation))
        return platform::fail("--rotate must be a finite angle in degrees");
    if (!std::isfinite(options.tilt))
        return platform::fail("--tilt must be a finite angle in degrees");
    if (options.layers < 0 || options.layers > MaxLayers)
        return platform::fail("--layers must be from 1 to " + std::to_string(MaxLayers));
    if (options.repeatA < 0 || options.repeatA > MaxRepeat || options.repeatB < 0 || options.repeatB > MaxRepeat)
        return platform::fail("--size must be MxN with each from 1 to " + std::to_string(MaxRepeat));
    if (options.width < MinWidth || options.width > MaxWidth)
        return platform::fail("--width must be from " + std::to_string(MinWidth) + " to " + std::to_string(MaxWidth)
                              + " pixels");
    return {};
}

FigureScene layoutSlab(const SlabFigureInput& input, const FigureOptions& options)
{
    FigureScene scene;
    const crystal::PeriodicSlab& slab = input.slab;
    const std::vector<int>& coordination = input.coordination;
    const double nearestNeighbour = input.nearestNeighbour;
    // Atoms are coloured by their coordination below their species' bulk one. Where every
    // species has one bulk coordination the key shows it as "CN n (bulk)"; else the atoms with
    // their bulk coordination share one key entry, "bulk".
    const std::vector<int>& bulks = input.bulkCoordination;
    const bool oneBulk = bulks.empty() || std::equal(bulks.begin() + 1, bulks.end(), bulks.begin());
    constexpr int BulkKey = std::numeric_limits<int>::max();
    const int bulk = bulks.empty() ? 0 : bulks.front();
    const View view(options.rotation, options.tilt);
    const double radius = 0.5 * nearestNeighbour;

    double zTop = -1e300;
    for (const crystal::SlabAtom& atom : slab.atoms)
        if (atom.plane == 0)
            zTop = std::max(zTop, atom.position.z);

    // Every atom moved by whole cells to within half a cell of the first top-plane atom, so that
    // the repeated deeper planes lie under the repeated top plane instead of jutting out on one
    // side of it.
    Position reference;
    for (const crystal::SlabAtom& atom : slab.atoms)
        if (atom.plane == 0) {
            reference = atom.position;
            break;
        }
    const double det = slab.a.x * slab.b.y - slab.a.y * slab.b.x;
    const auto underTopPlane = [&](Position p) {
        if (det == 0.0)
            return p;
        const crystal::Fractional f = crystal::inPlaneFractional(p - reference, slab.a, slab.b);
        return p - std::round(f.u) * slab.a - std::round(f.v) * slab.b;
    };

    // Colour classes present, for the key: element symbol, plane or coordination number.
    std::map<std::string, Rgb> elementsSeen;
    std::map<int, Rgb> classesSeen;

    scene.spheres.reserve(slab.atoms.size() * static_cast<size_t>(options.repeatA * options.repeatB));
    for (size_t i = 0; i < slab.atoms.size(); ++i) {
        const crystal::SlabAtom& atom = slab.atoms[i];
        if (atom.plane >= options.layers)
            continue;
        const int cn = i < coordination.size() ? coordination[i] : 0;
        Rgb base;
        switch (options.colour) {
        case ColourMode::Element: {
            const std::string& symbol = slab.elements.at(static_cast<size_t>(atom.species));
            base = elementOrGrey(symbol);
            elementsSeen.emplace(symbol, base);
            break;
        }
        case ColourMode::Layer:
            base = planeColour(atom.plane);
            classesSeen.emplace(atom.plane % static_cast<int>(Qualitative.size()), base);
            break;
        case ColourMode::Coordination: {
            const int own =
                static_cast<size_t>(atom.species) < bulks.size() ? bulks[static_cast<size_t>(atom.species)] : 0;
            base = coordinationColour(cn, own);
            classesSeen.emplace(oneBulk ? std::min(cn, own) : cn >= own ? BulkKey : cn, base);
            break;
        }
        }
        const double shade = dimming(zTop - atom.position.z, nearestNeighbour);
        const Position start = underTopPlane(atom.position);
        for (int ia = 0; ia < options.repeatA; ++ia)
            for (int ib = 0; ib < options.repeatB; ++ib) {
                const Position p = start + static_cast<double>(ia) * slab.a + static_cast<double>(ib) * slab.b
                    - Position{0.0, 0.0, zTop};
                const Position v = view.project(p);
                scene.spheres.push_back({{v.x, v.y}, radius, v.z, base, shade, atom.plane, atom.species, cn});
            }
    }
    std::stable_sort(scene.spheres.begin(), scene.spheres.end(),
                     [](const FigureSphere& p, const FigureSphere& q) { return p.depth < q.depth; });
    dropHiddenSpheres(scene.spheres);

    // The region the spheres cover, with a margin, and the shift that puts it at the origin.
    double minX = 0.0, minY = 0.0, maxX = 0.0, maxY = 0.0;
    if (!scene.spheres.empty()) {
        minX = minY = 1e300;
        maxX = maxY = -1e300;
        for (const FigureSphere& s : scene.spheres) {
            minX = std::min(minX, s.centre.x - s.radius);
            maxX = std::max(maxX, s.centre.x + s.radius);
            minY = std::min(minY, s.centre.y - s.radius);
            maxY = std::max(maxY, s.centre.y + s.radius);
        }
    }
    const double margin = std::max(radius, 0.03 * std::max(maxX - minX, maxY - minY));
    const double shiftX = margin - minX;
    const double shiftY = margin - minY;
    for (FigureSphere& s : scene.spheres) {
        s.centre.x += shiftX;
        s.centre.y += shiftY;
    }
    scene.width = maxX - minX + 2.0 * margin;
    scene.height = maxY - minY + 2.0 * margin;

    if (options.cell) {
        // One cell with its corner on a top-plane atom near the middle of the repeated slab.
        Position origin =
            static_cast<double>(options.repeatA / 2) * slab.a + static_cast<double>(options.repeatB / 2) * slab.b;
        for (const crystal::SlabAtom& atom : slab.atoms)
            if (atom.plane == 0) {
                origin = origin + Position{atom.position.x, atom.position.y, 0.0};
                break;
            }
        for (Position corner : {Position{}, slab.a, slab.a + slab.b, slab.b}) {
            const Position v = view.project(origin + corner);
            scene.cellOutline.push_back({v.x + shiftX, v.y + shiftY});
        }
    }

    if (options.sites && !input.sites.empty()) {
        // Every site under the repeated top plane, within the drawn region.
        scene.siteMarkRadius = 0.12 * nearestNeighbour;
        for (const SlabFigureInput::SitePoint& site : input.sites) {
            const Position start = underTopPlane(site.position);
            for (int ia = 0; ia < options.repeatA; ++ia)
                for (int ib = 0; ib < options.repeatB; ++ib) {
                    const Position p = start + static_cast<double>(ia) * slab.a + static_cast<double>(ib) * slab.b
                        - Position{0.0, 0.0, zTop};
                    const Position v = view.project(p);
                    const FigurePoint c{v.x + shiftX, v.y + shiftY};
                    if (c.x > 0.0 && c.y > 0.0 && c.x < scene.width && c.y < scene.height)
                        scene.siteMarks.push_back({c, site.kind, site.step});
                }
        }
        for (const SlabFigureInput::SitePoint& site : input.sites) {
            std::string label = std::string(site.step ? "step " : "") + crystal::siteKindName(site.kind);
            if (std::none_of(scene.siteKey.begin(), scene.siteKey.end(),
                             [&](const SiteKey& k) { return k.label == label; }))
                scene.siteKey.push_back({site.kind, site.step, std::move(label)});
        }
    }

    if (options.axes) {
        const Position pa = view.project(slab.a);
        const Position pb = view.project(slab.b);
        const double longest = std::max(std::hypot(pa.x, pa.y), std::hypot(pb.x, pb.y));
        const double k = longest > 0.0 ? 1.0 / longest : 0.0;
        scene.axes.push_back({{k * pa.x, k * pa.y}, input.aDirection});
        scene.axes.push_back({{k * pb.x, k * pb.y}, input.bDirection});
    }

    if (options.caption) {
        scene.caption = input.caption;
        if (options.colour == ColourMode::Element) {
            // In the order of the species, not alphabetically: Ga before As.
            for (const std::string& symbol : slab.elements)
                if (const auto it = elementsSeen.find(symbol); it != elementsSeen.end()) {
                    scene.legend.push_back({it->second, symbol});
                    elementsSeen.erase(it);
                }
        } else {
            for (const auto& [key, colour] : classesSeen) {
                std::string label = options.colour == ColourMode::Layer ? planeLabel(key, options.layers)
                    : key == BulkKey                                    ? std::string("bulk")
                                     : "CN " + std::to_string(key) + (oneBulk && key == bulk ? " (bulk)" : "");
                scene.legend.push_back({colour, std::move(label)});
            }
        }
    }
    return scene;
}

platform::Result<FigureScene> buildFigureScene(const crystal::SurfaceSpec& spec, const FigureOptions& options,
                                               const crystal::Overlayer* overlayer)
{
    if (auto valid = validFigureOptions(options); !valid)
        return valid.error();
    const auto cell = crystal::surfaceCell(spec, crystal::InPlaneCell::Primitive);
    if (!cell)
        return cell.error();
    if (cell->planes.empty() || cell->periodHeight() <= 0.0)
        return platform::fail("the plane has no atomic planes");
    // The spheres touch along the shortest bond: a bulk's shortest cut-off over the shell tolerance.
    double nn = 0.0;
    if (spec.bulk) {
        nn = cell->neighbours.longest();
        for (const auto& row : cell->neighbours.cutoffs)
            for (double c : row)
                nn = std::min(nn, c);
        nn /= 1.0 + crystal::NeighbourShellTolerance;
    } else {
        nn = crystal::nearestNeighbourDistance(spec.material);
    }

    FigureOptions chosen = options;
    if (chosen.layers == 0) {
        // Enough planes that the gaps of the top ones show atoms beneath, not background.
        chosen.layers = 4;
        while (chosen.layers < MaxLayers && planeDepth(*cell, chosen.layers) <= 2.0 * nn)
            ++chosen.layers;
    }
    // About 12 x 10 atoms of the top plane: a region 12 mean top-plane spacings along a and 10
    // across, so that a stepped surface with a long cell shows several steps, not one strip.
    const double area = std::abs(crystal::cross(cell->a, cell->b).z);
    const double topAtoms = static_cast<double>(std::max<size_t>(1, cell->planes.front().atoms.size()));
    const double spacing = std::sqrt(area / topAtoms);
    const auto cells = [](double extent, double step) {
        return std::clamp(static_cast<int>(std::lround(extent / step)), 1, MaxRepeat);
    };
    if (chosen.repeatA == 0)
        chosen.repeatA = cells(12.0 * spacing, crystal::norm(cell->a));
    if (chosen.repeatB == 0)
        chosen.repeatB = cells(10.0 * spacing, area / crystal::norm(cell->a));

    crystal::SlabOptions slabOptions;
    slabOptions.layers = chosen.layers;
    slabOptions.vacuum = 0.0;
    if (overlayer) {
        // The drawn cell is the smallest that holds whole overlayer cells, repeated as often as
        // covers the region chosen.
        slabOptions.repeatA = overlayer->repeatA;
        slabOptions.repeatB = overlayer->repeatB;
        chosen.repeatA = std::max(1, (chosen.repeatA + overlayer->repeatA - 1) / overlayer->repeatA);
        chosen.repeatB = std::max(1, (chosen.repeatB + overlayer->repeatB - 1) / overlayer->repeatB);
    }

    long atomsPerCell = 0;
    for (int k = 0; k < chosen.layers; ++k)
        atomsPerCell += static_cast<long>(cell->planes[static_cast<size_t>(k) % cell->planes.size()].atoms.size());
    const long long total = static_cast<long long>(atomsPerCell) * chosen.repeatA * chosen.repeatB * slabOptions.repeatA
        * slabOptions.repeatB;
    if (total > MaxAtoms)
        return platform::fail("the figure would hold " + std::to_string(total) + " atoms, more than "
                              + std::to_string(MaxAtoms) + ": ask for fewer --layers or a smaller --size");

    SlabFigureInput input;
    input.slab = crystal::buildSlab(*cell, slabOptions);
    input.aDirection = cell->aDirection;
    input.bDirection = cell->bDirection;
    input.nearestNeighbour = nn;
    if (chosen.colour == ColourMode::Coordination) {
        input.coordination = crystal::slabCoordination(input.slab, *cell);
        input.bulkCoordination = cell->neighbours.bulk;
    }
    input.caption = crystal::surfaceTitle(spec);
    if (chosen.sites) {
        auto sites = crystal::findSites(spec, *cell);
        if (!sites)
            return sites.error();
        // The cell's frame to the slab's: the first top-plane atom of each.
        const Position shift =
            input.slab.atoms.front().position - cell->inPlane(cell->planes.front().atoms.front().position);
        // In every cell of the drawn one (more than one when it holds whole overlayer cells).
        for (const crystal::Site& site : *sites)
            for (const crystal::Fractional& f : site.orbit)
                for (int i = 0; i < slabOptions.repeatA; ++i)
                    for (int j = 0; j < slabOptions.repeatB; ++j)
                        input.sites.push_back({cell->inPlane(f + crystal::Fractional{double(i), double(j)}) + shift,
                                               site.kind, site.step});
    }
    if (overlayer) {
        if (auto added = crystal::addOverlayer(input.slab, *overlayer); !added)
            return added.error();
    }
    return layoutSlab(input, chosen);
}

platform::Result<int> figureLayers(const crystal::SurfaceSpec& spec, const crystal::SlabDepth& depth)
{
    const auto cell = crystal::surfaceCell(spec, crystal::InPlaneCell::Primitive);
    if (!cell)
        return cell.error();
    const auto planes = crystal::slabPlaneCount(*cell, depth);
    if (!planes)
        return planes.error();
    if (*planes > MaxLayers)
        return platform::fail("a figure shows at most " + std::to_string(MaxLayers)
                              + " atomic planes: ask for a smaller --thickness");
    return *planes;
}

platform::Result<std::string> makeFigure(const crystal::SurfaceSpec& spec, const FigureOptions& options,
                                         FigureFormat format)
{
    const auto scene = buildFigureScene(spec, options);
    if (!scene)
        return scene.error();
    return renderFigure(*scene, format, options.width);
}

} // namespace figure
