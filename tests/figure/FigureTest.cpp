// Figures are what they claim: depth order, colours, cell and axes when asked, vector files
// without raster, PNGs of the asked width.

#include "figure/Figure.h"

#include "crystal/Compound.h"
#include "crystal/Material.h"
#include "tests/platform/PngRead.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

using figure::ColourMode;
using figure::FigureFormat;
using figure::FigureOptions;
using figure::FigureScene;

crystal::SurfaceSpec surface(const char* material, crystal::Miller hkl,
                             crystal::Termination t = crystal::Termination::None)
{
    const crystal::Material* m = crystal::findMaterial(material);
    EXPECT_NE(m, nullptr) << material;
    return {*m, hkl, t};
}

FigureScene scene(const crystal::SurfaceSpec& spec, const FigureOptions& options)
{
    const auto s = figure::buildFigureScene(spec, options);
    EXPECT_TRUE(s) << s.error().message;
    return s.value_or(FigureScene{});
}

size_t count(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// Paths drawn on the page, after the definitions (gradients, glyph outlines).
size_t drawnPaths(const std::string& svg)
{
    const size_t defsEnd = svg.rfind("</defs>");
    return count(defsEnd == std::string::npos ? svg : svg.substr(defsEnd), "<path");
}

std::string render(const FigureScene& s, FigureFormat format, int width = 400)
{
    const auto bytes = figure::renderFigure(s, format, width);
    EXPECT_TRUE(bytes) << bytes.error().message;
    return bytes.value_or("");
}

uint32_t bigEndian(const std::string& b, size_t at)
{
    return (uint32_t(uint8_t(b[at])) << 24) | (uint32_t(uint8_t(b[at + 1])) << 16) | (uint32_t(uint8_t(b[at + 2])) << 8)
        | uint32_t(uint8_t(b[at + 3]));
}

TEST(ElementColours, JmolTableHoldsEveryPresetElement)
{
    const struct {
        const char* symbol;
        uint32_t rgb;
    } rows[] = {{"Cu", 0xC88033}, {"Au", 0xFFD123}, {"Ga", 0xC28F8F},
                {"As", 0xBD80E3}, {"Si", 0xF0C8A0}, {"H", 0xFFFFFF}};
    for (const auto& row : rows) {
        const auto c = figure::elementColour(row.symbol);
        ASSERT_TRUE(c) << row.symbol;
        EXPECT_EQ(c->hex(), row.rgb) << row.symbol;
    }
    EXPECT_FALSE(figure::elementColour("CU"));
    EXPECT_FALSE(figure::elementColour("Xx"));
    for (const crystal::Material& m : crystal::materialPresets())
        for (const std::string& e : m.elements)
            EXPECT_TRUE(figure::elementColour(e)) << m.name << " " << e;
}

TEST(FigureScene, PaintsDeepestFirstAndHidesCoveredAtoms)
{
    FigureOptions flat;
    flat.layers = 6;
    flat.repeatA = flat.repeatB = 8;
    const FigureScene s = scene(surface("Pt", {1, 1, 1}), flat);
    ASSERT_FALSE(s.spheres.empty());
    for (size_t k = 1; k < s.spheres.size(); ++k) {
        EXPECT_LE(s.spheres[k - 1].depth, s.spheres[k].depth);
        EXPECT_GE(s.spheres[k - 1].plane, s.spheres[k].plane);
    }
    // Seen straight down, ABC stacking: planes 3 to 5 lie exactly under planes 0 to 2.
    EXPECT_EQ(s.spheres.size(), 3u * 64u);
    EXPECT_EQ(s.spheres.front().plane, 2);
    // The deeper planes lie under the top plane, not jutting out on one side: no centre is
    // farther than half a cell outside the top plane's.
    double minX = 1e9, maxX = -1e9, minY = 1e9, maxY = -1e9;
    for (const auto& p : s.spheres) {
        if (p.plane == 0) {
            minX = std::min(minX, p.centre.x);
            maxX = std::max(maxX, p.centre.x);
            minY = std::min(minY, p.centre.y);
            maxY = std::max(maxY, p.centre.y);
        }
    }
    const auto cell = crystal::surfaceCell(surface("Pt", {1, 1, 1}), crystal::InPlaneCell::Primitive);
    ASSERT_TRUE(cell) << cell.error().message;
    const double halfX = 0.5 * (std::abs(cell->a.x) + std::abs(cell->b.x)) + 1e-9;
    const double halfY = 0.5 * (std::abs(cell->a.y) + std::abs(cell->b.y)) + 1e-9;
    for (const auto& p : s.spheres) {
        EXPECT_GE(p.centre.x, minX - halfX);
        EXPECT_LE(p.centre.x, maxX + halfX);
        EXPECT_GE(p.centre.y, minY - halfY);
        EXPECT_LE(p.centre.y, maxY + halfY);
    }

    FigureOptions tilted = flat;
    tilted.tilt = 40.0;
    const FigureScene t = scene(surface("Pt", {1, 1, 1}), tilted);
    EXPECT_GT(t.spheres.size(), s.spheres.size());
    EXPECT_TRUE(std::is_sorted(t.spheres.begin(), t.spheres.end(),
                               [](const auto& p, const auto& q) { return p.depth < q.depth; }));
}

TEST(FigureScene, DefaultSizeAndDeeperPlanesDimmed)
{
    const FigureScene s = scene(surface("Cu", {1, 0, 0}), {});
    const auto top = std::count_if(s.spheres.begin(), s.spheres.end(), [](const auto& p) { return p.plane == 0; });
    EXPECT_EQ(top, 12 * 10);
    const auto cu = *figure::elementColour("Cu");
    for (const auto& p : s.spheres) {
        EXPECT_EQ(p.colour, cu);
        if (p.plane == 0) {
            EXPECT_EQ(p.shade, 0.0);
        } else {
            EXPECT_GT(p.shade, 0.0);
        }
    }
}

TEST(FigureScene, RotationAndTiltTurnTheSlabLikeTheDrawnPicture)
{
    FigureOptions o;
    o.axes = true;
    o.repeatA = o.repeatB = 4;
    o.layers = 2;
    const auto spec = surface("Cu", {1, 0, 0});
    const FigureScene plain = scene(spec, o);
    ASSERT_EQ(plain.axes.size(), 2u);
    // a runs along x; a positive rotation turns it counter-clockwise, up the figure.
    EXPECT_NEAR(plain.axes[0].tip.x, 1.0, 1e-12);
    EXPECT_NEAR(plain.axes[0].tip.y, 0.0, 1e-12);
    o.rotation = 90.0;
    const FigureScene turned = scene(spec, o);
    EXPECT_EQ(turned.axes[0].tip.x, 0.0);
    EXPECT_EQ(turned.axes[0].tip.y, -1.0);

    // A positive tilt moves the top plane up the figure and brings its lower part nearer.
    o.rotation = 0.0;
    o.tilt = 30.0;
    const FigureScene tilted = scene(spec, o);
    const auto nearest = std::max_element(tilted.spheres.begin(), tilted.spheres.end(),
                                          [](const auto& p, const auto& q) { return p.depth < q.depth; });
    for (const auto& p : tilted.spheres) {
        if (p.plane == 0) {
            EXPECT_LE(p.centre.y, nearest->centre.y + 1e-9);
        }
    }
    // Tilted a quarter turn, the slab is seen edge-on with the top plane uppermost.
    o.tilt = 90.0;
    const FigureScene edgeOn = scene(spec, o);
    double lowestTop = -1e9, highestSecond = 1e9;
    for (const auto& p : edgeOn.spheres) {
        if (p.plane == 0)
            lowestTop = std::max(lowestTop, p.centre.y);
        else
            highestSecond = std::min(highestSecond, p.centre.y);
    }
    EXPECT_LT(lowestTop, highestSecond);
}

TEST(FigureScene, SeenFromAboveNotMirrored)
{
    // The surface cell is right-handed about the outward normal (a x b along +z), so seen from
    // above b lies counter-clockwise from a at any rotation and any tilt short of edge-on. The
    // figure's y runs down: the drawn a x b is negative. A mirror image (a chiral surface drawn
    // as its enantiomer) turns it positive.
    FigureOptions o;
    o.cell = o.axes = true;
    o.repeatA = o.repeatB = 2;
    o.layers = 1;
    const auto cross = [](figure::FigurePoint from, figure::FigurePoint a, figure::FigurePoint b) {
        return (a.x - from.x) * (b.y - from.y) - (a.y - from.y) * (b.x - from.x);
    };
    for (double rotation : {0.0, 35.0, 90.0, 200.0})
        for (double tilt : {0.0, 50.0, -70.0}) {
            o.rotation = rotation;
            o.tilt = tilt;
            const FigureScene s = scene(surface("Cu", {6, 4, 3}), o);
            ASSERT_EQ(s.cellOutline.size(), 4u);
            const auto& c = s.cellOutline;
            EXPECT_LT(cross(c[0], c[1], c[3]), 0.0) << rotation << " " << tilt;
            EXPECT_LT(cross({}, s.axes[0].tip, s.axes[1].tip), 0.0) << rotation << " " << tilt;
        }
}

TEST(FigureScene, CellAndAxesOnlyWhenAsked)
{
    const auto spec = surface("Cu", {2, 1, 1});
    const auto cell = crystal::surfaceCell(spec, crystal::InPlaneCell::Primitive);
    ASSERT_TRUE(cell) << cell.error().message;
    for (bool withCell : {false, true})
        for (bool withAxes : {false, true}) {
            FigureOptions o;
            o.cell = withCell;
            o.axes = withAxes;
            const FigureScene s = scene(spec, o);
            ASSERT_EQ(s.cellOutline.size(), withCell ? 4u : 0u);
            ASSERT_EQ(s.axes.size(), withAxes ? 2u : 0u);
            if (withCell) {
                const auto side = [&](int i, int j) {
                    return std::hypot(s.cellOutline[j].x - s.cellOutline[i].x, s.cellOutline[j].y - s.cellOutline[i].y);
                };
                EXPECT_NEAR(side(0, 1), crystal::norm(cell->a), 1e-9);
                EXPECT_NEAR(side(1, 2), crystal::norm(cell->b), 1e-9);
            }
            if (withAxes) {
                EXPECT_EQ(s.axes[0].direction, cell->aDirection);
                EXPECT_EQ(s.axes[1].direction, cell->bDirection);
            }
            // Drawn paths (glyph outlines are kept apart, in the definitions): the outline is a
            // halo and a line, each arrow a shaft and a head, each negative index a bar.
            size_t bars = 0;
            for (const auto& d : {cell->aDirection, cell->bDirection})
                bars += static_cast<size_t>(std::count_if(d.begin(), d.end(), [](int64_t i) { return i < 0; }));
            const size_t extra =
                drawnPaths(render(s, FigureFormat::Svg)) - drawnPaths(render(scene(spec, {}), FigureFormat::Svg));
            EXPECT_EQ(extra, (withCell ? 2u : 0u) + (withAxes ? 4u + bars : 0u));
        }
}

// --sites marks every site of every drawn cell, each kind with its own symbol in the key: the
// marks per cell are the sites' multiplicities added up whatever the repeats, the step variants filled, and a painted
// file draws a path for each mark and key symbol.
TEST(FigureScene, SitesMarkedOnlyWhenAsked)
{
    const struct Row {
        crystal::SurfaceSpec spec;
        int repeatA, repeatB;
    } rows[] = {{surface("Pt", {1, 1, 1}), 3, 2}, {surface("Pt", {2, 1, 1}), 3, 2}, {surface("Pt", {2, 1, 1}), 2, 5}};
    for (const Row& row : rows) {
        const crystal::SurfaceSpec& spec = row.spec;
        const std::size_t cells = std::size_t(row.repeatA * row.repeatB);
        FigureOptions o;
        o.repeatA = row.repeatA;
        o.repeatB = row.repeatB;
        o.caption = true;
        const FigureScene plain = scene(spec, o);
        EXPECT_TRUE(plain.siteMarks.empty());
        o.sites = true;
        const FigureScene marked = scene(spec, o);
        const auto cell = crystal::surfaceCell(spec, crystal::InPlaneCell::Primitive);
        const auto sites = crystal::findSites(spec, *cell);
        ASSERT_TRUE(sites);
        std::size_t perCell = 0, steps = 0;
        for (const crystal::Site& site : *sites) {
            perCell += std::size_t(site.multiplicity);
            steps += site.step ? std::size_t(site.multiplicity) : 0;
        }
        EXPECT_EQ(marked.siteMarks.size(), cells * perCell) << spec.material.name;
        EXPECT_EQ(std::size_t(std::count_if(marked.siteMarks.begin(), marked.siteMarks.end(),
                                            [](const figure::SiteMark& m) { return m.step; })),
                  cells * steps);
        std::set<std::pair<int, bool>> kinds;
        for (const figure::SiteMark& m : marked.siteMarks)
            kinds.insert({int(m.kind), m.step});
        EXPECT_EQ(kinds.size(), marked.siteKey.size());
        EXPECT_GE(drawnPaths(render(marked, FigureFormat::Svg)) - drawnPaths(render(plain, FigureFormat::Svg)),
                  marked.siteMarks.size() + marked.siteKey.size());
    }
}

TEST(FigureScene, ColoursByElementLayerAndCoordination)
{
    FigureOptions o;
    o.repeatA = o.repeatB = 3;
    o.layers = 2;
    const FigureScene gaas = scene(surface("GaAs", {1, 1, 0}), o);
    for (const auto& p : gaas.spheres) {
        if (p.plane == 0) {
            EXPECT_EQ(p.colour, *figure::elementColour(p.species == 0 ? "Ga" : "As"));
        }
    }
    ASSERT_EQ(gaas.legend.size(), 2u);
    EXPECT_EQ(gaas.legend[0].label, "Ga");
    EXPECT_EQ(gaas.legend[1].label, "As");

    o.colour = ColourMode::Layer;
    o.layers = 3;
    const FigureScene layers = scene(surface("Cu", {1, 1, 0}), o);
    EXPECT_EQ(layers.legend.size(), 3u);

    // Coordination in the semi-infinite crystal: the exposed atoms of the low-index faces.
    o.colour = ColourMode::Coordination;
    const struct {
        const char* material;
        crystal::Miller hkl;
        int top, second;
    } rows[] = {{"Cu", {1, 1, 1}, 9, 12},
                {"Cu", {1, 0, 0}, 8, 12},
                {"Cu", {1, 1, 0}, 7, 11},
                {"Fe", {1, 1, 0}, 6, 8},
                {"Fe", {1, 0, 0}, 4, 8}};
    for (const auto& row : rows) {
        const FigureScene s = scene(surface(row.material, row.hkl), o);
        for (const auto& p : s.spheres)
            EXPECT_EQ(p.coordination, p.plane == 0 ? row.top : row.second) << row.material << " plane " << p.plane;
    }
}

// Every symbol the crystal readers accept has a colour, none the grey of an unknown element.
TEST(ElementColours, EverySymbolOfThePeriodicTable)
{
    int elements = 0;
    for (char first = 'A'; first <= 'Z'; ++first)
        for (char second : std::string("\0abcdefghijklmnopqrstuvwxyz", 27)) {
            const std::string symbol = second ? std::string{first, second} : std::string{first};
            if (!crystal::isElementSymbol(symbol))
                continue;
            ++elements;
            const auto c = figure::elementColour(symbol);
            ASSERT_TRUE(c) << symbol;
            EXPECT_NE(c->hex(), figure::unknownElementColour().hex()) << symbol;
        }
    EXPECT_EQ(elements, 118);
}

// A bulk crystal's figure: every element in the key, in the order of the crystal's sites, and
// coordination counted with the bulk's own neighbour shells.
TEST(FigureScene, BulkCrystalsColourEveryElement)
{
    auto bulk = [](const char* name, crystal::Miller hkl, int termination) {
        crystal::SurfaceSpec spec;
        spec.hkl = hkl;
        spec.bulk = crystal::BulkChoice{
            std::make_shared<const crystal::BulkCrystal>(*crystal::bulkOf(*crystal::findCompound(name))), name,
            termination, 0.1};
        return spec;
    };
    FigureOptions o;
    o.repeatA = o.repeatB = 2;
    o.layers = 4;
    const FigureScene sto = scene(bulk("SrTiO3", {1, 1, 0}, 1), o);
    std::vector<std::string> labels;
    for (const figure::LegendEntry& e : sto.legend)
        labels.push_back(e.label);
    EXPECT_EQ(labels, (std::vector<std::string>{"Sr", "Ti", "O"}));
    for (const figure::LegendEntry& e : sto.legend)
        EXPECT_EQ(e.colour, *figure::elementColour(e.label));

    // Rutile (1 1 0) with the bridging oxygen on top: 2-fold O, then 5- and 6-fold Ti with
    // 3-fold O, the atoms of the bulk in one key entry.
    o.colour = ColourMode::Coordination;
    o.layers = 3;
    const FigureScene rutile = scene(bulk("TiO2", {1, 1, 0}, 2), o);
    std::map<int, std::multiset<int>> byPlane;
    for (const auto& p : rutile.spheres)
        byPlane[p.plane].insert(p.coordination);
    EXPECT_EQ(byPlane[0], (std::multiset<int>{2, 2, 2, 2}));
    EXPECT_EQ(byPlane[1], (std::multiset<int>{3, 3, 3, 3, 3, 3, 3, 3, 5, 5, 5, 5, 6, 6, 6, 6}));
    ASSERT_FALSE(rutile.legend.empty());
    EXPECT_EQ(rutile.legend.back().label, "bulk");
}

TEST(FigureScene, RefusesWhatItCannotDraw)
{
    const auto none = figure::buildFigureScene(surface("Cu", {0, 0, 0}), {});
    ASSERT_FALSE(none);
    EXPECT_FALSE(none.error().message.empty());
    FigureOptions huge;
    huge.layers = figure::MaxLayers;
    huge.repeatA = huge.repeatB = figure::MaxRepeat;
    const auto tooLarge = figure::buildFigureScene(surface("Cu", {1, 1, 1}), huge);
    ASSERT_FALSE(tooLarge);
    EXPECT_NE(tooLarge.error().message.find("atoms"), std::string::npos) << tooLarge.error().message;
    FigureOptions bad;
    bad.tilt = std::nan("");
    EXPECT_FALSE(figure::validFigureOptions(bad));
    bad = {};
    bad.width = 3;
    EXPECT_FALSE(figure::validFigureOptions(bad));
}

TEST(FigureFiles, VectorWithoutRasterAndPngOfTheAskedWidth)
{
    FigureOptions o;
    o.cell = o.axes = true;
    o.repeatA = o.repeatB = 4;
    const FigureScene s = scene(surface("GaAs", {1, 1, 0}), o);

    const std::string svg = render(s, FigureFormat::Svg);
    EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
    EXPECT_EQ(count(svg, "<image"), 0u);
    // One gradient per sphere, and one per swatch of the key.
    EXPECT_EQ(count(svg, "<radialGradient"), s.spheres.size() + s.legend.size());

    const std::string pdf = render(s, FigureFormat::Pdf);
    EXPECT_EQ(pdf.rfind("%PDF-", 0), 0u);
    EXPECT_EQ(count(pdf, "/Image"), 0u);
    EXPECT_GT(count(pdf, "/ShadingType"), 0u);

    for (int width : {16, 333, 1200}) {
        const std::string png = render(s, FigureFormat::Png, width);
        ASSERT_GT(png.size(), 24u);
        EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n");
        EXPECT_EQ(png.substr(12, 4), "IHDR");
        EXPECT_EQ(bigEndian(png, 16), uint32_t(width));
        const int height = int(std::ceil(figure::figureHeight(s, width)));
        EXPECT_EQ(bigEndian(png, 20), uint32_t(height));
        // The last row is paper, however the height rounds: no dark seam along the bottom.
        const auto rgb = platform::test::decodeRgb(std::span(reinterpret_cast<const uint8_t*>(png.data()), png.size()),
                                                   width, height);
        ASSERT_FALSE(rgb.empty());
        const auto bottom = std::span(rgb).last(std::size_t(3 * width));
        EXPECT_EQ(std::count(bottom.begin(), bottom.end(), uint8_t(255)), 3 * width) << "width " << width;
    }
}

// Spheres are painted darker by their shade: two of one colour side by side, the second shaded.
TEST(FigureFiles, ShadedSpheresArePaintedDarker)
{
    FigureScene s;
    s.width = 4.0;
    s.height = 2.0;
    const platform::Rgb cu = *figure::elementColour("Cu");
    s.spheres.push_back({{1.0, 1.0}, 0.8, 0.0, cu, 0.0});
    s.spheres.push_back({{3.0, 1.0}, 0.8, 0.0, cu, 0.5});
    const int height = int(std::ceil(figure::figureHeight(s, 400)));
    const std::string png = render(s, FigureFormat::Png, 400);
    const auto rgb =
        platform::test::decodeRgb(std::span(reinterpret_cast<const uint8_t*>(png.data()), png.size()), 400, height);
    ASSERT_FALSE(rgb.empty());
    // 100 pixels to the Angstrom: the centres at (100, 100) and (300, 100).
    const auto brightness = [&](int x, int y) {
        const std::size_t at = 3 * (std::size_t(y) * 400 + std::size_t(x));
        return int(rgb[at]) + rgb[at + 1] + rgb[at + 2];
    };
    EXPECT_LT(brightness(300, 100), brightness(100, 100) * 3 / 4);
}

} // namespace
