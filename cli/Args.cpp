#include "cli/Args.h"

#include "crystal/Compound.h"
#include "crystal/Facets.h"
#include "crystal/Material.h"
#include "figure/Figure.h"
#include "figure/LeedPicture.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <tuple>
#include <utility>

namespace cli {

namespace {

using platform::fail;
using platform::Status;
using enum Subcommand;

// The word as an error line shows it: quoted, control characters as \xNN, one line.
std::string quotedWord(std::string_view s)
{
    static const char hex[] = "0123456789abcdef";
    std::string out = "'";
    for (unsigned char c : s.substr(0, 200)) {
        if (c < 0x20 || c == 0x7f) {
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += char(c);
        }
    }
    return out + (s.size() > 200 ? "...'" : "'");
}

// The whole text as an integer, or as a finite number; a leading "+" is allowed.
std::optional<int64_t> parseInteger(std::string_view text)
{
    int64_t value = 0;
    const char* first = text.data();
    const char* last = first + text.size();
    if (!text.empty() && *first == '+')
        ++first;
    const auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || ptr != last || first == last)
        return std::nullopt;
    return value;
}

std::optional<double> parseNumber(std::string_view text)
{
    double value = 0.0;
    const char* first = text.data();
    const char* last = first + text.size();
    if (!text.empty() && *first == '+')
        ++first;
    const auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec != std::errc() || ptr != last || first == last || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// An integer from min to max.
std::optional<int64_t> parseInteger(std::string_view text, int64_t min, int64_t max)
{
    const auto value = parseInteger(text);
    if (!value || *value < min || *value > max)
        return std::nullopt;
    return value;
}

std::optional<int> parseInt(std::string_view text)
{
    const auto value = parseInteger(text, std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    return value ? std::optional<int>(int(*value)) : std::nullopt;
}

// A size "MxN": two integers from min to max.
std::optional<std::pair<int, int>> parseSize(std::string_view text, int min = std::numeric_limits<int>::min(),
                                             int max = std::numeric_limits<int>::max())
{
    const auto x = text.find('x');
    if (x == std::string_view::npos)
        return std::nullopt;
    const auto m = parseInteger(text.substr(0, x), min, max);
    const auto n = parseInteger(text.substr(x + 1), min, max);
    if (!m || !n)
        return std::nullopt;
    return std::pair{int(*m), int(*n)};
}

bool isHelp(std::string_view word) { return word == "--help" || word == "-h"; }

// The command line as read so far: the command, and the surface options before the surface
// they name is made.
struct Draft {
    BatchCommand command;
    std::optional<geometry::LatticeKind> lattice;
    geometry::Termination termination = geometry::Termination::None;
    std::optional<int> terminationIndex; // --termination N, of a bulk crystal
    std::vector<int16_t> hkl;            // empty when not given
    std::optional<std::string_view> material;
    std::optional<std::string_view> bulkPath, block;
    std::optional<std::string_view> elements;
    std::optional<double> a, c;
    std::optional<crystal::StructureFormat> structureFormat;
    std::optional<double> energy;
    bool layers = false;                  // --layers given
    std::optional<double> planeTolerance; // --plane-tolerance given
    std::optional<crystal::Superstructure> coverage;
    std::optional<double> height;
};

using SubcommandSet = unsigned;
constexpr SubcommandSet bit(Subcommand s) { return 1u << unsigned(s); }
constexpr SubcommandSet Drawn = bit(Listing) | bit(Slab) | bit(Render);
constexpr SubcommandSet Viewed = bit(Slab) | bit(Render);
constexpr SubcommandSet OnSurface = bit(Export) | bit(Figure) | bit(Leed) | bit(Report) | bit(Sites);
constexpr SubcommandSet WithAdsorbates = bit(Export) | bit(Figure) | bit(Leed) | bit(Report);
// The subcommands on any bulk crystal's plane, and on the crystal as a whole.
constexpr SubcommandSet OnBulk = bit(Terminations);
constexpr SubcommandSet OnCrystal = bit(Facets) | bit(Wulff);

enum class Takes {
    Nothing,
    Value,
    Indices // H K L, and on a real surface also H K I L
};

// One option of the subcommands it names. The reader checks the value (empty for a flag) and
// keeps it in the draft; its error is the line shown.
struct Option {
    std::string_view name;
    Takes takes;
    SubcommandSet subcommands;
    bool namesSurface; // taken out first, wherever it stands, on the subcommands on a surface
    Status (*read)(Draft& draft, std::string_view option, std::string_view value);
};

// --- Readers ------------------------------------------------------------------------------

Status readLattice(Draft& d, std::string_view, std::string_view v)
{
    d.lattice = geometry::parseLatticeName(v);
    if (!d.lattice)
        return fail("unknown lattice " + quotedWord(v) + " (bcc, fcc, hcp or zincblende)");
    return {};
}

Status readTermination(Draft& d, std::string_view, std::string_view v)
{
    const bool onSurface = bit(d.command.subcommand) & OnSurface;
    if (v == "A" || v == "a")
        d.termination = geometry::Termination::A;
    else if (v == "B" || v == "b")
        d.termination = geometry::Termination::B;
    else if (const auto n = parseInteger(v, 1, std::numeric_limits<int>::max()); onSurface && n)
        d.terminationIndex = int(*n);
    else if (onSurface)
        return fail("unknown termination " + quotedWord(v) + " (A or B of a lattice, 1, 2, ... of a bulk crystal)");
    else
        return fail("unknown termination " + quotedWord(v) + " (A or B)");
    return {};
}

// --material NAME, --elements E1[,E2]: checked with the whole surface.
Status readName(Draft& d, std::string_view option, std::string_view v)
{
    (option == "--material" ? d.material : d.elements) = v;
    return {};
}

Status readFlag(Draft& d, std::string_view option, std::string_view)
{
    BatchCommand& cmd = d.command;
    if (option == "--orthogonal")
        cmd.cell = crystal::InPlaneCell::Orthogonal;
    else if (option == "--symmetric")
        cmd.depth.faces = crystal::SlabFaces::Symmetric;
    else if (option == "--domains")
        cmd.domains = crystal::LeedDomains::All;
    else if (option == "--cell")
        cmd.figure.cell = true;
    else if (option == "--axes")
        cmd.figure.axes = true;
    else if (option == "--sites")
        cmd.figure.sites = true;
    else
        cmd.figure.caption = false; // --no-caption
    return {};
}

Status readDrawnAngle(Draft& d, std::string_view option, std::string_view v)
{
    const auto value = parseNumber(v);
    if (!value || !std::isfinite(float(*value)))
        return fail("angle " + quotedWord(v) + " for " + std::string(option) + " is not a finite number");
    (option == "--rotate" ? d.command.rotate : d.command.tilt) = float(*value);
    return {};
}

Status readFigureAngle(Draft& d, std::string_view option, std::string_view v)
{
    const auto angle = parseNumber(v);
    if (!angle)
        return fail(std::string(option) + " " + quotedWord(v) + " is not a finite angle in degrees");
    (option == "--rotate" ? d.command.figure.rotation : d.command.figure.tilt) = *angle;
    return {};
}

Status readOut(Draft& d, std::string_view, std::string_view v)
{
    d.command.out = std::string(v);
    if (v.empty())
        return fail("option --out needs a file name");
    return {};
}

Status readLeedOut(Draft& d, std::string_view, std::string_view v)
{
    d.command.out = std::string(v);
    if (!figure::leedFileFormatOfPath(v))
        return fail("--out " + quotedWord(v) + " must name a .png or .svg file");
    return {};
}

Status readScreen(Draft& d, std::string_view, std::string_view v)
{
    const auto size = parseSize(v, 1, 8192);
    if (!size)
        return fail("screen size " + quotedWord(v) + " is not WxH (1 to 8192 each)");
    std::tie(d.command.screenWidth, d.command.screenHeight) = *size;
    return {};
}

Status readBulkPath(Draft& d, std::string_view, std::string_view v)
{
    d.bulkPath = v;
    return {};
}

Status readBlock(Draft& d, std::string_view, std::string_view v)
{
    d.block = v;
    return {};
}

Status readPlaneTolerance(Draft& d, std::string_view, std::string_view v)
{
    const auto tolerance = parseNumber(v);
    if (!tolerance || !(*tolerance > 0.0 && *tolerance < 10.0))
        return fail("--plane-tolerance " + quotedWord(v) + " is not a number of Angstrom above 0 and below 10");
    d.command.planeTolerance = *tolerance;
    d.planeTolerance = *tolerance;
    return {};
}

Status readConstant(Draft& d, std::string_view option, std::string_view v)
{
    const auto length = parseNumber(v);
    if (!length)
        return fail("lattice constant " + quotedWord(v) + " for " + std::string(option) + " is not a finite number");
    (option == "--a" ? d.a : d.c) = *length;
    return {};
}

Status readSlabFormat(Draft& d, std::string_view, std::string_view v)
{
    if (v != "table" && v != "xyz")
        return fail("unknown format " + quotedWord(v) + " (table or xyz)");
    d.command.format = v == "xyz" ? SlabFormat::Xyz : SlabFormat::Table;
    return {};
}

Status readStructureFormat(Draft& d, std::string_view, std::string_view v)
{
    d.structureFormat = crystal::parseStructureFormat(v);
    if (!d.structureFormat)
        return fail("unknown format " + quotedWord(v) + " (extxyz, poscar or cif)");
    return {};
}

Status readExportLayers(Draft& d, std::string_view, std::string_view v)
{
    const auto n = parseInt(v);
    if (!n)
        return fail("--layers " + quotedWord(v) + " is not an integer");
    d.command.slab.layers = *n;
    d.command.depth.layers = *n;
    d.layers = true;
    return {};
}

Status readThickness(Draft& d, std::string_view, std::string_view v)
{
    const auto thickness = parseNumber(v);
    if (!thickness || !(*thickness > 0.0 && *thickness <= crystal::MaxSlabThickness))
        return fail("--thickness " + quotedWord(v) + " is not a number of Angstrom above 0 and at most 100000");
    d.command.depth.thickness = *thickness;
    return {};
}

Status readExportSize(Draft& d, std::string_view, std::string_view v)
{
    const auto size = parseSize(v);
    if (!size)
        return fail("--size " + quotedWord(v) + " is not MxN (two integers, e.g. 2x2)");
    std::tie(d.command.slab.repeatA, d.command.slab.repeatB) = *size;
    return {};
}

Status readVacuum(Draft& d, std::string_view, std::string_view v)
{
    const auto vacuum = parseNumber(v);
    if (!vacuum)
        return fail("--vacuum " + quotedWord(v) + " is not a finite number");
    d.command.slab.vacuum = *vacuum;
    return {};
}

Status readFigureLayers(Draft& d, std::string_view, std::string_view v)
{
    const auto n = parseInteger(v, 1, figure::MaxLayers);
    if (!n)
        return fail("--layers " + quotedWord(v) + " is not a count of planes from 1 to "
                    + std::to_string(figure::MaxLayers));
    d.command.figure.layers = int(*n);
    d.layers = true;
    return {};
}

Status readFigureSize(Draft& d, std::string_view, std::string_view v)
{
    const auto size = parseSize(v, 1, figure::MaxRepeat);
    if (!size)
        return fail("--size " + quotedWord(v) + " is not MxN cells (each from 1 to " + std::to_string(figure::MaxRepeat)
                    + ", e.g. 12x10)");
    std::tie(d.command.figure.repeatA, d.command.figure.repeatB) = *size;
    return {};
}

Status readWidth(Draft& d, std::string_view, std::string_view v)
{
    const auto w = parseInteger(v, figure::MinWidth, figure::MaxWidth);
    if (!w)
        return fail("--width " + quotedWord(v) + " is not a width from " + std::to_string(figure::MinWidth) + " to "
                    + std::to_string(figure::MaxWidth) + " pixels");
    d.command.figure.width = int(*w);
    return {};
}

Status readColour(Draft& d, std::string_view, std::string_view v)
{
    const auto mode = figure::parseColourMode(v);
    if (!mode)
        return fail("unknown colouring " + quotedWord(v) + " (element, layer or coordination)");
    d.command.figure.colour = *mode;
    return {};
}

Status readEnergy(Draft& d, std::string_view, std::string_view v)
{
    d.energy = parseNumber(v);
    if (!d.energy || !(*d.energy > 0.0))
        return fail("--energy " + quotedWord(v) + " is not a positive number of eV");
    return {};
}

Status readSuperstructure(Draft& d, std::string_view option, std::string_view v)
{
    BatchCommand& cmd = d.command;
    if (cmd.wood || cmd.matrix)
        return fail("give one superstructure: --wood or --matrix, once");
    const auto read = crystal::readSuperstructure(
        v, option == "--wood" ? crystal::SuperstructureNotation::Wood : crystal::SuperstructureNotation::Matrix);
    if (!read)
        return read.error();
    if (read->wood())
        cmd.wood = *read->wood();
    else
        cmd.matrix = *read->matrix();
    return {};
}

Status readLeedFormat(Draft& d, std::string_view, std::string_view v)
{
    if (v != "text" && v != "json")
        return fail("unknown format " + quotedWord(v) + " (text or json)");
    d.command.textFormat = v == "json" ? TextFormat::Json : TextFormat::Text;
    return {};
}

Status readReportFormat(Draft& d, std::string_view, std::string_view v)
{
    if (v != "text" && v != "json")
        return fail("--format " + quotedWord(v) + " is not text or json");
    d.command.textFormat = v == "json" ? TextFormat::Json : TextFormat::Text;
    return {};
}

Status readMaxIndex(Draft& d, std::string_view, std::string_view v)
{
    const auto n = parseInteger(v, 1, crystal::MaxFacetIndex);
    if (!n)
        return fail("--max-index " + quotedWord(v) + " is not an index from 1 to "
                    + std::to_string(crystal::MaxFacetIndex));
    d.command.maxIndex = int(*n);
    return {};
}

Status readEnergiesPath(Draft& d, std::string_view, std::string_view v)
{
    if (v.empty())
        return fail("option --energies needs a file name");
    d.command.energiesPath = std::string(v);
    return {};
}

Status readWulffAngle(Draft& d, std::string_view option, std::string_view v)
{
    const auto angle = parseNumber(v);
    if (!angle)
        return fail(std::string(option) + " " + quotedWord(v) + " is not a finite angle in degrees");
    (option == "--rotate" ? d.command.wulffRotation : d.command.wulffTilt) = *angle;
    return {};
}

Status readDiameter(Draft& d, std::string_view, std::string_view v)
{
    const auto diameter = parseNumber(v);
    if (!diameter || !(*diameter > 0.0 && *diameter <= 1e6))
        return fail("--diameter " + quotedWord(v) + " is not a size in nm above 0 and at most 1000000");
    d.command.diameter = *diameter;
    return {};
}

Status readAdsorbate(Draft& d, std::string_view, std::string_view v)
{
    if (d.command.overlayer)
        return fail("give --adsorbate once, its items separated by commas");
    auto items = crystal::parseAdsorbates(v);
    if (!items)
        return items.error();
    d.command.overlayer =
        crystal::OverlayerRequest{std::move(*items), crystal::Superstructure(crystal::IntMatrix2{}), std::nullopt};
    return {};
}

Status readCoverage(Draft& d, std::string_view, std::string_view v)
{
    if (d.coverage)
        return fail("give --coverage once");
    auto read = crystal::readSuperstructure(v);
    if (!read)
        return read.error();
    d.coverage = std::move(*read);
    return {};
}

Status readHeight(Draft& d, std::string_view, std::string_view v)
{
    d.height = parseNumber(v);
    if (!d.height || !(*d.height > 0.0 && *d.height <= crystal::MaxAdsorbateHeight))
        return fail("--height " + quotedWord(v) + " is not a number of Angstrom above 0 and at most 100");
    return {};
}

// --- The table ------------------------------------------------------------------------------

constexpr bool Surface = true;
constexpr bool Own = false;

const Option Options[] = {
    // The surface: the drawn one, or a real material's (SURFACE in the usage).
    {"--lattice", Takes::Value, Drawn | OnSurface | OnBulk | OnCrystal, Surface, readLattice},
    {"--termination", Takes::Value, Drawn | OnSurface, Surface, readTermination},
    {"--hkl", Takes::Indices, Viewed | OnSurface | OnBulk, Surface, nullptr},
    {"--material", Takes::Value, bit(Slab) | OnSurface | OnBulk | OnCrystal, Surface, readName},
    {"--elements", Takes::Value, OnSurface | OnBulk | OnCrystal, Surface, readName},
    {"--a", Takes::Value, OnSurface | OnBulk | OnCrystal, Surface, readConstant},
    {"--c", Takes::Value, OnSurface | OnBulk | OnCrystal, Surface, readConstant},
    {"--bulk", Takes::Value, OnSurface | OnBulk | OnCrystal, Surface, readBulkPath},
    {"--block", Takes::Value, OnSurface | OnBulk | OnCrystal, Surface, readBlock},
    {"--plane-tolerance", Takes::Value, OnSurface | OnBulk | OnCrystal, Surface, readPlaneTolerance},
    // export, figure, leed, report: an adsorbate overlayer on the surface
    {"--adsorbate", Takes::Value, WithAdsorbates, Own, readAdsorbate},
    {"--coverage", Takes::Value, WithAdsorbates, Own, readCoverage},
    {"--height", Takes::Value, WithAdsorbates, Own, readHeight},
    // listing, slab, render
    {"--rotate", Takes::Value, Viewed, Own, readDrawnAngle},
    {"--tilt", Takes::Value, Viewed, Own, readDrawnAngle},
    {"--format", Takes::Value, bit(Slab), Own, readSlabFormat},
    {"--screen", Takes::Value, bit(Render), Own, readScreen},
    {"--out", Takes::Value, bit(Render) | bit(Export) | bit(Figure), Own, readOut},
    // export
    {"--orthogonal", Takes::Nothing, bit(Export), Own, readFlag},
    {"--layers", Takes::Value, bit(Export), Own, readExportLayers},
    {"--thickness", Takes::Value, bit(Export), Own, readThickness},
    {"--symmetric", Takes::Nothing, bit(Export), Own, readFlag},
    {"--size", Takes::Value, bit(Export), Own, readExportSize},
    {"--vacuum", Takes::Value, bit(Export), Own, readVacuum},
    {"--format", Takes::Value, bit(Export), Own, readStructureFormat},
    // figure
    {"--rotate", Takes::Value, bit(Figure), Own, readFigureAngle},
    {"--tilt", Takes::Value, bit(Figure), Own, readFigureAngle},
    {"--layers", Takes::Value, bit(Figure), Own, readFigureLayers},
    {"--thickness", Takes::Value, bit(Figure), Own, readThickness},
    {"--size", Takes::Value, bit(Figure), Own, readFigureSize},
    {"--width", Takes::Value, bit(Figure), Own, readWidth},
    {"--colour", Takes::Value, bit(Figure), Own, readColour},
    {"--color", Takes::Value, bit(Figure), Own, readColour},
    {"--cell", Takes::Nothing, bit(Figure), Own, readFlag},
    {"--axes", Takes::Nothing, bit(Figure), Own, readFlag},
    {"--sites", Takes::Nothing, bit(Figure), Own, readFlag},
    {"--no-caption", Takes::Nothing, bit(Figure), Own, readFlag},
    // leed
    {"--energy", Takes::Value, bit(Leed), Own, readEnergy},
    {"--wood", Takes::Value, bit(Leed), Own, readSuperstructure},
    {"--matrix", Takes::Value, bit(Leed), Own, readSuperstructure},
    {"--domains", Takes::Nothing, bit(Leed), Own, readFlag},
    {"--format", Takes::Value, bit(Leed), Own, readLeedFormat},
    {"--out", Takes::Value, bit(Leed), Own, readLeedOut},
    // report
    {"--format", Takes::Value, bit(Report) | bit(Sites) | OnBulk | OnCrystal | bit(Materials), Own, readReportFormat},
    // facets, wulff
    {"--max-index", Takes::Value, OnCrystal, Own, readMaxIndex},
    {"--energies", Takes::Value, bit(Wulff), Own, readEnergiesPath},
    {"--rotate", Takes::Value, bit(Wulff), Own, readWulffAngle},
    {"--tilt", Takes::Value, bit(Wulff), Own, readWulffAngle},
    {"--diameter", Takes::Value, bit(Wulff), Own, readDiameter},
    {"--width", Takes::Value, bit(Wulff), Own, readWidth},
    {"--out", Takes::Value, bit(Wulff), Own, readOut},
};

// --- Checks of the whole command --------------------------------------------------------------

// The termination given, or A where the lattice has two and none is given.
platform::Result<geometry::Termination> termination(geometry::LatticeKind lattice, geometry::Termination given)
{
    const bool terminated = lattice == geometry::LatticeKind::Hcp || lattice == geometry::LatticeKind::ZincBlende;
    if (!terminated && given != geometry::Termination::None)
        return fail("option --termination applies only to hcp and zincblende");
    return terminated && given == geometry::Termination::None ? geometry::Termination::A : given;
}

Status checkDrawn(Draft& d)
{
    BatchCommand& cmd = d.command;
    if (!d.lattice)
        return fail("option --lattice is required");
    const auto term = termination(*d.lattice, d.termination);
    if (!term)
        return term.error();
    cmd.code = *geometry::latticeCodeFor(*d.lattice, *term);
    if (cmd.subcommand != Listing) {
        if (d.hkl.empty())
            return fail("option --hkl is required");
        cmd.miller = {d.hkl[0], d.hkl[1], d.hkl[2]};
    }
    cmd.material = std::string(d.material.value_or(""));
    if (!cmd.material.empty()) {
        if (cmd.format != SlabFormat::Xyz)
            return fail("option --material applies only to --format xyz");
        const crystal::Material* m = crystal::findMaterial(cmd.material);
        if (!m)
            return fail("unknown material " + quotedWord(cmd.material) + " (facetor materials lists them)");
        if (m->lattice != *d.lattice)
            return fail("material " + m->name + " is " + std::string(geometry::latticeName(m->lattice)) + ", not "
                        + std::string(geometry::latticeName(*d.lattice)));
    }
    if (cmd.subcommand == Render) {
        if (cmd.out.empty())
            return fail("option --out is required");
        const std::string ext = platform::fileExtension(cmd.out);
        if (ext != "bmp" && ext != "png")
            return fail("output file " + quotedWord(cmd.out) + " must end in .bmp or .png");
    }
    return {};
}

std::vector<std::string> splitElements(std::string_view text)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i)
        if (i == text.size() || text[i] == ',') {
            out.emplace_back(text.substr(start, i - start));
            start = i + 1;
        }
    return out;
}

// The bulk crystal the options name, for the subcommands on any bulk (terminations, facets,
// wulff): a preset, a file or a custom lattice. A preset's name is checked here; a file is read
// when the command runs, so that its faults are reported as the file's.
Status makeBulk(Draft& d)
{
    BatchCommand& cmd = d.command;
    const int sources = int(d.material.has_value()) + int(d.bulkPath.has_value()) + int(d.lattice.has_value());
    if (sources == 0)
        return fail("option --material, --bulk or --lattice is required");
    if (sources > 1)
        return fail("options --material, --bulk and --lattice exclude each other");
    if (d.block && !d.bulkPath)
        return fail("option --block applies only to --bulk");
    if (!d.lattice && (d.elements || d.a || d.c))
        return fail("options --elements, --a and --c apply only to --lattice");
    if (d.material) {
        if (!crystal::findCompound(*d.material) && !crystal::findMaterial(*d.material))
            return fail("unknown material " + quotedWord(*d.material) + " (facetor materials lists them)");
        cmd.bulkPreset = *d.material;
    } else if (d.bulkPath) {
        cmd.bulkPath = *d.bulkPath;
        cmd.block = d.block.value_or("");
    } else {
        if (!d.elements)
            return fail("option --elements is required with --lattice");
        if (!d.a)
            return fail("option --a is required with --lattice");
        auto custom = crystal::customMaterial(*d.lattice, splitElements(*d.elements), *d.a, d.c);
        if (!custom)
            return custom.error();
        cmd.surface.material = std::move(*custom);
    }
    return {};
}

Status makeBulkSurface(Draft& d)
{
    if (auto made = makeBulk(d); !made)
        return made;
    BatchCommand& cmd = d.command;
    const std::vector<int16_t>& i = d.hkl;
    if (i.empty())
        return fail("option --hkl is required");
    if (i.size() == 4) {
        const auto three = crystal::fromFourIndex(i[0], i[1], i[2], i[3]);
        if (!three)
            return three.error();
        cmd.bulkHkl = *three;
    } else {
        cmd.bulkHkl = crystal::Miller{{i[0], i[1], i[2]}};
    }
    if (cmd.bulkHkl == crystal::Miller{{0, 0, 0}})
        return fail("Miller indices (0 0 0) name no plane");
    return {};
}

// The surface of a real material the surface options name: one of the four lattices (a
// material preset or a custom lattice), or any bulk crystal (a compound preset or a file, read
// when the command runs).
Status makeSurface(Draft& d)
{
    crystal::SurfaceSpec& spec = d.command.surface;
    const bool compound = d.material && !crystal::findMaterial(*d.material);
    if (d.bulkPath || compound) {
        if (int(d.bulkPath.has_value()) + int(d.material.has_value()) + int(d.lattice.has_value()) > 1)
            return fail("options --material, --bulk and --lattice exclude each other");
        if (d.lattice || d.elements || d.a || d.c)
            return fail("options --elements, --a and --c apply only to --lattice");
        if (d.termination != geometry::Termination::None)
            return fail("the terminations of a bulk crystal are numbered 1, 2, ... (facetor terminations lists them)");
        if (auto made = makeBulkSurface(d); !made)
            return made;
        spec.hkl = d.command.bulkHkl;
        d.command.bulkTermination = d.terminationIndex.value_or(1);
        return {};
    }
    if (d.block)
        return fail("option --block applies only to --bulk");
    if (d.planeTolerance)
        return fail("option --plane-tolerance applies only to a bulk crystal (--bulk or a compound)");
    if (d.terminationIndex)
        return fail("option --termination takes A or B on a lattice; numbered terminations belong to a bulk crystal");
    if (d.material) {
        if (d.lattice || d.elements || d.a || d.c)
            return fail("option --material excludes --lattice, --elements, --a and --c");
        const crystal::Material* preset = crystal::findMaterial(*d.material);
        if (!preset)
            return fail("unknown material " + quotedWord(*d.material) + " (facetor materials lists them)");
        spec.material = *preset;
    } else if (d.lattice) {
        if (!d.elements)
            return fail("option --elements is required with --lattice");
        if (!d.a)
            return fail("option --a is required with --lattice");
        auto custom = crystal::customMaterial(*d.lattice, splitElements(*d.elements), *d.a, d.c);
        if (!custom)
            return custom.error();
        spec.material = std::move(*custom);
    } else {
        return fail("option --material or --lattice is required");
    }

    const crystal::LatticeKind kind = spec.material.lattice;
    const std::vector<int16_t>& i = d.hkl;
    if (i.empty())
        return fail("option --hkl is required");
    if (i.size() == 4) {
        if (kind != crystal::LatticeKind::Hcp)
            return fail("four Miller indices (h k i l) apply only to hcp");
        const auto three = crystal::fromFourIndex(i[0], i[1], i[2], i[3]);
        if (!three)
            return three.error();
        spec.hkl = *three;
    } else {
        spec.hkl = {i[0], i[1], i[2]};
    }
    if (spec.hkl == crystal::Miller{0, 0, 0})
        return fail("Miller indices (0 0 0) name no plane");
    const auto term = termination(kind, d.termination);
    if (!term)
        return term.error();
    spec.termination = *term;
    return {};
}

// --coverage and --height belong to --adsorbate, which takes them into its request.
Status checkOverlayer(Draft& d)
{
    BatchCommand& cmd = d.command;
    if (!cmd.overlayer) {
        if (d.coverage || d.height)
            return fail(std::string("option ") + (d.coverage ? "--coverage" : "--height") + " needs --adsorbate");
        return {};
    }
    if (d.coverage)
        cmd.overlayer->coverage = std::move(*d.coverage);
    cmd.overlayer->height = d.height;
    return {};
}

Status checkExport(Draft& d)
{
    if (auto overlayer = checkOverlayer(d); !overlayer)
        return overlayer;
    BatchCommand& cmd = d.command;
    if (cmd.out.empty())
        return fail("option --out is required");
    if (!d.structureFormat)
        d.structureFormat = crystal::structureFormatOfPath(cmd.out);
    if (!d.structureFormat)
        return fail("cannot tell the format of " + quotedWord(cmd.out)
                    + " from its name: give --format extxyz, poscar or cif");
    cmd.structureFormat = *d.structureFormat;
    if (d.layers && cmd.depth.thickness)
        return fail("options --layers and --thickness exclude each other");
    if (cmd.depth.faces == crystal::SlabFaces::Symmetric && cmd.bulkPreset.empty() && cmd.bulkPath.empty())
        return fail("option --symmetric applies only to a bulk crystal (--bulk or a compound)");
    return crystal::validSlabOptions(cmd.slab);
}

Status checkFigure(Draft& d)
{
    if (auto overlayer = checkOverlayer(d); !overlayer)
        return overlayer;
    BatchCommand& cmd = d.command;
    if (cmd.out.empty())
        return fail("option --out is required");
    const auto format = figure::figureFormatOfPath(cmd.out);
    if (!format)
        return fail("cannot tell the format of " + quotedWord(cmd.out) + " from its name: use .svg, .pdf or .png");
    cmd.figureFormat = *format;
    if (d.layers && cmd.depth.thickness)
        return fail("options --layers and --thickness exclude each other");
    return {};
}

Status checkLeed(Draft& d)
{
    if (auto overlayer = checkOverlayer(d); !overlayer)
        return overlayer;
    if (d.command.overlayer && (d.command.wood || d.command.matrix))
        return fail("option --adsorbate gives the superstructure itself: it excludes --wood and --matrix");
    if (!d.energy)
        return fail("option --energy is required");
    d.command.energy = *d.energy;
    return {};
}

Status checkFacets(Draft& d)
{
    if (d.command.maxIndex == 0)
        return fail("option --max-index is required");
    return {};
}

Status checkWulff(Draft& d)
{
    BatchCommand& cmd = d.command;
    if (cmd.maxIndex == 0)
        cmd.maxIndex = DefaultWulffIndex;
    if (!cmd.out.empty() && !figure::figureFormatOfPath(cmd.out))
        return fail("cannot tell the format of " + quotedWord(cmd.out) + " from its name: use .svg, .pdf or .png");
    return {};
}

struct SubcommandRow {
    std::string_view name;
    Subcommand subcommand;
    Status (*check)(Draft&); // after all its options are read
};

const SubcommandRow Subcommands[] = {
    {"listing", Listing, checkDrawn},  {"slab", Slab, checkDrawn},         {"render", Render, checkDrawn},
    {"materials", Materials, nullptr}, {"export", Export, checkExport},    {"figure", Figure, checkFigure},
    {"leed", Leed, checkLeed},         {"report", Report, checkOverlayer}, {"terminations", Terminations, nullptr},
    {"facets", Facets, checkFacets},   {"wulff", Wulff, checkWulff},       {"sites", Sites, nullptr},
};

// --- The parse --------------------------------------------------------------------------------

// --hkl's integers from -32768 to 32767, from words[i + 1] on. The drawn surface takes the
// next three words. A real surface takes three or four: a word that is no such integer ends
// them once three are read, and before that is a bad index unless it starts another option.
Status readMiller(Draft& d, const std::vector<std::string_view>& words, std::size_t& i)
{
    const bool four = bit(d.command.subcommand) & (OnSurface | OnBulk);
    if (!four && words.size() - i - 1 < 3)
        return fail("option --hkl needs three indices");
    d.hkl.clear();
    while (i + 1 < words.size() && d.hkl.size() < (four ? 4u : 3u)) {
        const std::string_view w = words[i + 1];
        const auto index = parseInteger(w, INT16_MIN, INT16_MAX);
        if (!index) {
            if (d.hkl.size() < 3 && !(four && w.starts_with("--")))
                return fail("Miller index " + quotedWord(w) + " is not an integer from -32768 to 32767");
            break;
        }
        d.hkl.push_back(int16_t(*index));
        ++i;
    }
    if (d.hkl.size() < 3)
        return fail(four ? "option --hkl needs three indices (four, h k i l, for hcp)"
                         : "option --hkl needs three indices");
    return {};
}

// Reads the options of one pass out of words. The surface pass takes the options that name the
// surface and leaves the other words in their order; the last pass takes the rest and refuses a
// word that is no option of the subcommand, or stops at --help.
Status takeOptions(Draft& d, std::string_view subcommand, std::vector<std::string_view>& words, bool surfacePass)
{
    std::vector<std::string_view> rest;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string_view word = words[i];
        const auto option = std::find_if(std::begin(Options), std::end(Options), [&](const Option& o) {
            return o.name == word && (o.subcommands & bit(d.command.subcommand)) && (o.namesSurface || !surfacePass);
        });
        if (option == std::end(Options)) {
            if (surfacePass) {
                rest.push_back(word);
                continue;
            }
            if (isHelp(word)) {
                d.command.subcommand = Help;
                return {};
            }
            return fail("unknown option " + quotedWord(word) + " for " + std::string(subcommand));
        }
        Status read;
        if (option->takes == Takes::Indices) {
            read = readMiller(d, words, i);
        } else if (option->takes == Takes::Nothing) {
            read = option->read(d, word, {});
        } else {
            if (i + 1 >= words.size())
                return fail("option " + std::string(word) + " needs a value");
            read = option->read(d, word, words[++i]);
        }
        if (!read)
            return read;
    }
    words = std::move(rest);
    return {};
}

} // namespace

std::string usage()
{
    return "usage: facetor                       start the desktop program\n"
           "       facetor listing --lattice {bcc,fcc,hcp,zincblende} [--termination A|B]\n"
           "       facetor slab    --lattice L [--termination A|B] --hkl H K L [--rotate DEG] [--tilt DEG]\n"
           "                       [--format table|xyz [--material NAME]]\n"
           "       facetor render  --lattice L [--termination A|B] --hkl H K L [--rotate DEG] [--tilt DEG]\n"
           "                       [--screen WxH] --out FILE.bmp|FILE.png\n"
           "       facetor materials [--format text|json]  list the preset materials\n"
           "       facetor export  SURFACE [ADSORBATES] [--layers N | --thickness ANGSTROM] [--symmetric]\n"
           "                       [--size MxN] [--vacuum ANGSTROM] [--orthogonal] [--format extxyz|poscar|cif]\n"
           "                       --out FILE\n"
           "       facetor figure  SURFACE [ADSORBATES] [--rotate DEG] [--tilt DEG]\n"
           "                       [--layers N | --thickness ANGSTROM] [--size MxN] [--width PX] [--cell] [--axes]\n"
           "                       [--sites] [--no-caption]\n"
           "                       [--colour element|layer|coordination] --out FILE.svg|FILE.pdf|FILE.png\n"
           "       facetor report  SURFACE [ADSORBATES] [--format text|json]\n"
           "       facetor sites   SURFACE [--format text|json]\n"
           "       facetor leed    SURFACE --energy EV [--wood NOTATION | --matrix \"M11 M12 M21 M22\" | ADSORBATES]\n"
           "                       [--domains] [--format text|json] [--out FILE.png|FILE.svg]\n"
           "       facetor terminations CRYSTAL --hkl H K L [--plane-tolerance ANGSTROM] [--format text|json]\n"
           "       facetor facets  CRYSTAL --max-index N [--format text|json]\n"
           "       facetor wulff   CRYSTAL [--max-index N] [--energies FILE] [--diameter NM] [--format text|json]\n"
           "                       [--out FILE.svg|FILE.pdf|FILE.png [--rotate DEG] [--tilt DEG] [--width PX]]\n"
           "       facetor --help | --version\n"
           "SURFACE = (--material NAME | --lattice L --elements E1[,E2] --a ANGSTROM [--c ANGSTROM])\n"
           "          --hkl H K L (hcp also H K I L) [--termination A|B]\n"
           "        | (--material COMPOUND | --bulk FILE [--block NAME]) --hkl H K L (a hexagonal cell also\n"
           "          H K I L) [--termination N] [--plane-tolerance ANGSTROM]\n"
           "ADSORBATES = --adsorbate SPECIES@SITE[,SPECIES@SITE...] [--coverage NOTATION] [--height ANGSTROM]\n"
           "          (SPECIES an element or CO, NO, OH, H2O, CH3, NH3; SITE as facetor sites names it,\n"
           "          e.g. top, bridge, short-bridge, fcc, hcp, hollow; NOTATION as for --wood or --matrix)\n"
           "CRYSTAL = --material NAME | --bulk FILE [--block NAME] | --lattice L --elements E1[,E2] --a ANGSTROM\n"
           "          [--c ANGSTROM]; NAME a compound or material; its --hkl also H K I L on hexagonal axes\n";
}

platform::Result<BatchCommand> parseCommand(const std::vector<std::string_view>& args)
{
    if (args.empty())
        return fail("no subcommand given");
    Draft d;
    if (isHelp(args[0]) || args[0] == "--version") {
        d.command.subcommand = args[0] == "--version" ? Version : Help;
        return d.command;
    }
    const auto row = std::find_if(std::begin(Subcommands), std::end(Subcommands),
                                  [&](const SubcommandRow& r) { return r.name == args[0]; });
    if (row == std::end(Subcommands))
        return fail("unknown subcommand " + quotedWord(args[0]));
    d.command.subcommand = row->subcommand;
    std::vector<std::string_view> words(args.begin() + 1, args.end());

    // On a real surface the surface options may stand anywhere and are read first; --help
    // anywhere asks for the usage.
    if (bit(row->subcommand) & (OnSurface | OnBulk | OnCrystal)) {
        if (std::any_of(words.begin(), words.end(), isHelp))
            return BatchCommand{};
        if (auto taken = takeOptions(d, row->name, words, true); !taken)
            return taken.error();
        const auto made = bit(row->subcommand) & OnCrystal ? makeBulk(d)
            : bit(row->subcommand) & OnBulk                ? makeBulkSurface(d)
                                                           : makeSurface(d);
        if (!made)
            return made.error();
    }
    if (auto taken = takeOptions(d, row->name, words, false); !taken)
        return taken.error();
    if (d.command.subcommand == Help)
        return BatchCommand{};
    if (row->check)
        if (auto checked = row->check(d); !checked)
            return checked.error();
    return d.command;
}

} // namespace cli
