// The Python module's compiled part, facetor._facetor: thin bindings over the core (crystal/ and
// figure/). The package's __init__.py wraps these into the documented API (ASE atoms, dicts from
// JSON).
//
// Every call takes its arguments checked as the batch front end checks them and raises
// ValueError with the batch front end's message, or OSError for a file that cannot be read or
// written. The work runs without the GIL, so threads build slabs in parallel.

#include "crystal/Adsorbates.h"
#include "crystal/Bulk.h"
#include "crystal/BulkSurface.h"
#include "crystal/Compound.h"
#include "crystal/LeedListing.h"
#include "crystal/Material.h"
#include "crystal/Prototype.h"
#include "crystal/Report.h"
#include "crystal/Sites.h"
#include "crystal/SitesListing.h"
#include "crystal/Slab.h"
#include "crystal/Superstructure.h"
#include "crystal/SurfaceCell.h"
#include "crystal/Symmetry.h"
#include "crystal/TerminationsListing.h"
#include "figure/Figure.h"
#include "figure/LeedPicture.h"
#include "platform/FileSystem.h"

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace py = pybind11;

namespace {

// A bulk crystal as Python holds it: shared, never changed after it is made.
struct Bulk {
    std::shared_ptr<const crystal::BulkCrystal> crystal;
    std::shared_ptr<const crystal::CrystalSymmetry> symmetry; // found once, when the bulk is made
    std::shared_ptr<const crystal::NeighbourRule> neighbours; // likewise
    std::string name;
    // A preset of the four lattices: its surfaces are the lattice's, as the batch front end cuts
    // them (terminations A and B), while crystal is its bulk for the terminations.
    std::optional<crystal::Material> material;
};

// The bulk with its symmetry and neighbour rule (spglib's search and the neighbour shells are the
// costliest steps of a small slab: once per bulk, not per slab).
Bulk analysed(crystal::BulkCrystal crystal, std::string name);

[[noreturn]] void raise(const platform::Error& error)
{
    // A file that cannot be read is the system's fault; anything else is the argument's.
    if (error.message.find(": cannot be read") != std::string::npos) {
        PyErr_SetString(PyExc_OSError, error.message.c_str());
        throw py::error_already_set();
    }
    throw py::value_error(error.message);
}

template <class T> T checked(platform::Result<T> result)
{
    if (!result)
        raise(result.error());
    return std::move(*result);
}

Bulk presetOrFile(const std::string& text)
{
    platform::Result<crystal::BulkCrystal> crystal = platform::fail("");
    {
        py::gil_scoped_release released;
        if (const crystal::Compound* compound = crystal::findCompound(text))
            crystal = crystal::bulkOf(*compound);
        else if (const crystal::Material* material = crystal::findMaterial(text))
            crystal = crystal::bulkOf(*material);
        else
            crystal = crystal::readBulkFile(text);
    }
    if (!crystal && !crystal::structureFormatOfPath(text) && text.find('/') == std::string::npos)
        throw py::value_error("unknown material '" + text + "' (facetor.materials() lists them)");
    Bulk bulk = analysed(checked(std::move(crystal)), text.substr(text.rfind('/') + 1));
    if (!crystal::findCompound(text))
        if (const crystal::Material* material = crystal::findMaterial(text))
            bulk.material = *material;
    return bulk;
}

// A cell and atoms: 3 x 3 cell rows in Angstrom, fractional positions, element symbols.
Bulk fromArrays(const std::string& name, py::array_t<double, py::array::c_style | py::array::forcecast> cell,
                py::array_t<double, py::array::c_style | py::array::forcecast> fractional,
                const std::vector<std::string>& symbols)
{
    if (cell.ndim() != 2 || cell.shape(0) != 3 || cell.shape(1) != 3)
        throw py::value_error("the cell must be 3 x 3 (rows a, b, c in Angstrom)");
    if (fractional.ndim() != 2 || fractional.shape(1) != 3 || std::size_t(fractional.shape(0)) != symbols.size())
        throw py::value_error("the positions must be N x 3 fractions, one row per symbol");
    std::array<crystal::Position, 3> rows;
    for (int i = 0; i < 3; ++i)
        rows[std::size_t(i)] = {cell.at(i, 0), cell.at(i, 1), cell.at(i, 2)};
    std::vector<crystal::BulkSite> sites;
    for (std::size_t k = 0; k < symbols.size(); ++k)
        sites.push_back({symbols[k], {fractional.at(k, 0), fractional.at(k, 1), fractional.at(k, 2)}, std::nullopt});
    return analysed(checked(crystal::makeBulk(name, rows, std::move(sites))), name);
}

Bulk analysed(crystal::BulkCrystal crystal, std::string name)
{
    platform::Result<crystal::CrystalSymmetry> symmetry = platform::fail("");
    std::optional<crystal::NeighbourRule> neighbours;
    {
        py::gil_scoped_release released;
        symmetry = crystal::analyseSymmetry(crystal);
        if (symmetry)
            neighbours = crystal::bulkNeighbourRule(crystal, *symmetry);
    }
    return {std::make_shared<const crystal::BulkCrystal>(std::move(crystal)),
            std::make_shared<const crystal::CrystalSymmetry>(checked(std::move(symmetry))),
            std::make_shared<const crystal::NeighbourRule>(std::move(*neighbours)), std::move(name), std::nullopt};
}

// The indices of a plane, checked as the batch front end checks --hkl: four (h k i l) only on
// hexagonal axes (of HCP, for the surface of a lattice).
crystal::Miller millerOf(const crystal::Material* lattice, const std::vector<int64_t>& hkl)
{
    crystal::Miller m{};
    if (hkl.size() == 4) {
        if (lattice && lattice->lattice != crystal::LatticeKind::Hcp)
            throw py::value_error("four Miller indices (h k i l) apply only to hcp");
        m = checked(crystal::fromFourIndex(hkl[0], hkl[1], hkl[2], hkl[3]));
    } else if (hkl.size() == 3) {
        m = {{hkl[0], hkl[1], hkl[2]}};
    } else {
        throw py::value_error("option --hkl needs three indices (four, h k i l, for hcp)");
    }
    if (m == crystal::Miller{{0, 0, 0}})
        throw py::value_error("Miller indices (0 0 0) name no plane");
    return m;
}

// The surface of bulk's plane, its termination ("A" or "B" of a lattice preset, "1", "2", ... of
// any other crystal; none for the first) and plane tolerance (Angstrom, of a bulk crystal only)
// checked as the batch front end checks them.
crystal::SurfaceSpec specOf(const Bulk& bulk, const std::vector<int64_t>& hkl,
                            const std::optional<std::string>& termination, std::optional<double> planeTolerance)
{
    crystal::SurfaceSpec spec;
    spec.hkl = millerOf(bulk.material ? &*bulk.material : nullptr, hkl);
    const std::string t = termination.value_or("");
    const bool letter = t == "A" || t == "a" || t == "B" || t == "b";
    int number = 0;
    if (termination && !letter) {
        std::size_t used = 0;
        try {
            number = std::stoi(t, &used);
        } catch (const std::exception&) {
            used = 0;
        }
        if (used == 0 || used != t.size() || number < 1)
            throw py::value_error("unknown termination '" + t + "' (A or B of a lattice, 1, 2, ... of a bulk crystal)");
    }
    if (bulk.material) {
        if (planeTolerance)
            throw py::value_error("option --plane-tolerance applies only to a bulk crystal (--bulk or a compound)");
        if (number)
            throw py::value_error(
                "option --termination takes A or B on a lattice; numbered terminations belong to a bulk crystal");
        const bool two = bulk.material->lattice == crystal::LatticeKind::Hcp
            || bulk.material->lattice == crystal::LatticeKind::ZincBlende;
        if (letter && !two)
            throw py::value_error("option --termination applies only to hcp and zincblende");
        spec.material = *bulk.material;
        spec.termination = !two                ? crystal::Termination::None
            : letter && (t == "B" || t == "b") ? crystal::Termination::B
                                               : crystal::Termination::A;
        return spec;
    }
    if (letter)
        throw py::value_error(
            "the terminations of a bulk crystal are numbered 1, 2, ... (facetor terminations lists them)");
    crystal::BulkChoice choice;
    choice.crystal = bulk.crystal;
    choice.symmetry = bulk.symmetry;
    choice.neighbours = bulk.neighbours;
    choice.name = bulk.name;
    choice.termination = number ? number : 1;
    choice.planeTolerance = planeTolerance.value_or(crystal::DefaultPlaneTolerance);
    spec.bulk = std::move(choice);
    return spec;
}

// An adsorbate overlayer as `--adsorbate SPEC [--coverage NOTATION] [--height ANGSTROM]` asks for
// it (the height checked by the caller), or none.
std::optional<crystal::OverlayerRequest> requestOf(const std::optional<std::string>& adsorbates,
                                                   const std::optional<std::string>& coverage,
                                                   std::optional<double> height)
{
    if (!adsorbates) {
        if (coverage || height)
            throw py::value_error(std::string("option ") + (coverage ? "--coverage" : "--height")
                                  + " needs --adsorbate");
        return std::nullopt;
    }
    crystal::OverlayerRequest request{checked(crystal::parseAdsorbates(*adsorbates)),
                                      crystal::Superstructure(crystal::IntMatrix2{}), height};
    if (coverage)
        request.coverage = checked(crystal::readSuperstructure(*coverage));
    return request;
}

// The arrays of a slab already built (one with adsorbates, tagged 0 as ASE tags them).
void fillArrays(const crystal::PeriodicSlab& slab, py::dict& out)
{
    const auto n = py::ssize_t(slab.atoms.size());
    py::array_t<double> cell({py::ssize_t(3), py::ssize_t(3)});
    py::array_t<double> positions({n, py::ssize_t(3)});
    py::array_t<int64_t> numbers(n);
    py::array_t<int64_t> tags(n);
    std::vector<int64_t> z;
    for (const std::string& e : slab.elements)
        z.push_back(crystal::atomicNumber(e));
    double* c = cell.mutable_data();
    double* p = positions.mutable_data();
    int64_t* num = numbers.mutable_data();
    int64_t* tag = tags.mutable_data();
    {
        py::gil_scoped_release released;
        for (const crystal::Position& row : {slab.a, slab.b, slab.c}) {
            *c++ = row.x;
            *c++ = row.y;
            *c++ = row.z;
        }
        for (const crystal::SlabAtom& atom : slab.atoms) {
            *p++ = atom.position.x;
            *p++ = atom.position.y;
            *p++ = atom.position.z;
            *num++ = z[std::size_t(atom.species)];
            *tag++ = atom.plane + 1;
        }
    }
    out["cell"] = cell;
    out["positions"] = positions;
    out["numbers"] = numbers;
    out["tags"] = tags;
    out["elements"] = slab.elements;
}

// The slab's arrays, each one buffer: cell (3 x 3), positions (N x 3), numbers (N), tags (N, the
// atomic planes numbered from 1 at the top, as ASE's builders tag their layers), and the
// symbols of the elements.
py::dict slab(const Bulk& bulk, const std::vector<int64_t>& hkl, std::optional<int> layers,
              std::optional<double> thickness, std::pair<int, int> size, double vacuum,
              const std::optional<std::string>& termination, bool orthogonal, bool symmetric,
              std::optional<double> planeTolerance, const std::optional<crystal::OverlayerRequest>& request)
{
    const crystal::SurfaceSpec spec = specOf(bulk, hkl, termination, planeTolerance);
    if (symmetric && bulk.material)
        throw py::value_error("option --symmetric applies only to a bulk crystal (--bulk or a compound)");
    crystal::SlabOptions options;
    options.layers = layers.value_or(options.layers);
    options.repeatA = size.first;
    options.repeatB = size.second;
    options.vacuum = vacuum;
    if (auto valid = crystal::validSlabOptions(options); !valid)
        raise(valid.error());
    crystal::SlabDepth depth;
    depth.layers = options.layers;
    depth.thickness = thickness;
    depth.faces = symmetric ? crystal::SlabFaces::Symmetric : crystal::SlabFaces::AsCut;

    if (request) {
        // With adsorbates: the slab of whole overlayer cells, built, then the overlayer added.
        platform::Result<crystal::PeriodicSlab> built = platform::fail("");
        std::string enlarged, title = crystal::surfaceTitle(spec);
        {
            py::gil_scoped_release released;
            built = [&]() -> platform::Result<crystal::PeriodicSlab> {
                const auto cell = crystal::surfaceCell(
                    spec, orthogonal ? crystal::InPlaneCell::Orthogonal : crystal::InPlaneCell::Primitive);
                if (!cell)
                    return cell.error();
                const auto planes = crystal::slabPlaneCount(*cell, depth);
                if (!planes)
                    return planes.error();
                options.layers = *planes;
                const auto overlayer = crystal::placeOverlayer(spec, *cell, *request);
                if (!overlayer)
                    return overlayer.error();
                const auto grown = crystal::overlayerSlabOptions(*overlayer, options);
                if (!grown)
                    return grown.error();
                if (grown->repeatA != options.repeatA || grown->repeatB != options.repeatB)
                    enlarged = "the slab is " + std::to_string(grown->repeatA) + "x" + std::to_string(grown->repeatB)
                        + " cells, the fewest that hold whole " + overlayer->coverage + " cells";
                options = *grown;
                if (auto fits = crystal::validSlabSize(*cell, options); !fits)
                    return fits.error();
                crystal::PeriodicSlab slab = crystal::buildSlab(*cell, options);
                if (auto added = crystal::addOverlayer(slab, *overlayer); !added)
                    return added.error();
                title += ", " + crystal::overlayerCaption(*overlayer);
                if (symmetric && !crystal::stoichiometric(*cell, options.layers))
                    enlarged += (enlarged.empty() ? "" : "; ") + std::string("the symmetric slab of ")
                        + std::to_string(options.layers) + " atomic planes does not have the bulk's composition";
                return slab;
            }();
        }
        py::dict out;
        fillArrays(checked(std::move(built)), out);
        out["title"] = title;
        if (!enlarged.empty())
            out["note"] = enlarged;
        return out;
    }

    // The surface cell and the planes first; then the arrays, written atom by atom as the slab
    // is generated, with no list of atoms in between (a slab of a million atoms is 40 MB of
    // arrays, and nothing more).
    platform::Result<crystal::SurfaceCell> planned = platform::fail("");
    {
        py::gil_scoped_release released;
        planned = [&]() -> platform::Result<crystal::SurfaceCell> {
            auto cell = crystal::surfaceCell(
                spec, orthogonal ? crystal::InPlaneCell::Orthogonal : crystal::InPlaneCell::Primitive);
            if (!cell)
                return cell.error();
            const auto planes = crystal::slabPlaneCount(*cell, depth);
            if (!planes)
                return planes.error();
            options.layers = *planes;
            if (auto fits = crystal::validSlabSize(*cell, options); !fits)
                return fits.error();
            return cell;
        }();
    }
    const crystal::SurfaceCell surface = checked(std::move(planned));
    const auto n = py::ssize_t(crystal::slabAtomCount(surface, options));
    py::array_t<double> cell({py::ssize_t(3), py::ssize_t(3)});
    py::array_t<double> positions({n, py::ssize_t(3)});
    py::array_t<int64_t> numbers(n);
    py::array_t<int64_t> tags(n);
    {
        std::vector<int64_t> z;
        for (const std::string& e : surface.elements)
            z.push_back(crystal::atomicNumber(e));
        double* c = cell.mutable_data();
        double* p = positions.mutable_data();
        int64_t* num = numbers.mutable_data();
        int64_t* tag = tags.mutable_data();
        py::gil_scoped_release released;
        for (const crystal::Position& row : crystal::slabCell(surface, options)) {
            *c++ = row.x;
            *c++ = row.y;
            *c++ = row.z;
        }
        crystal::visitSlabAtoms(surface, options, [&](const crystal::SlabAtom& atom) {
            *p++ = atom.position.x;
            *p++ = atom.position.y;
            *p++ = atom.position.z;
            *num++ = z[std::size_t(atom.species)];
            *tag++ = atom.plane + 1;
        });
    }
    py::dict out;
    out["cell"] = cell;
    out["positions"] = positions;
    out["numbers"] = numbers;
    out["tags"] = tags;
    out["elements"] = surface.elements;
    out["title"] = crystal::surfaceTitle(spec);
    // What `facetor export` notes beside the file, for a warning.
    if (symmetric && !crystal::stoichiometric(surface, options.layers))
        out["note"] = "the symmetric slab of " + std::to_string(options.layers)
            + " atomic planes does not have the bulk's composition";
    return out;
}

std::string terminationsJson(const Bulk& bulk, const std::vector<int64_t>& hkl, double planeTolerance)
{
    const crystal::Miller m = millerOf(nullptr, hkl);
    platform::Result<std::string> json = platform::fail("");
    {
        py::gil_scoped_release released;
        json = [&]() -> platform::Result<std::string> {
            const auto surface = crystal::bulkSurface(*bulk.crystal, *bulk.symmetry, m, planeTolerance);
            if (!surface)
                return surface.error();
            return crystal::formatTerminationsJson(*surface, *bulk.symmetry, planeTolerance);
        }();
    }
    return checked(std::move(json));
}

std::string reportJson(const Bulk& bulk, const std::vector<int64_t>& hkl, const std::optional<std::string>& termination,
                       std::optional<double> planeTolerance, const std::optional<crystal::OverlayerRequest>& request)
{
    const crystal::SurfaceSpec spec = specOf(bulk, hkl, termination, planeTolerance);
    platform::Result<std::string> json = platform::fail("");
    {
        py::gil_scoped_release released;
        json = [&]() -> platform::Result<std::string> {
            const auto report = crystal::surfaceReport(spec);
            if (!report)
                return report.error();
            const std::string text = crystal::formatReportJson(*report);
            if (!request)
                return text;
            const auto cell = crystal::surfaceCell(spec, crystal::InPlaneCell::Primitive);
            if (!cell)
                return cell.error();
            const auto overlayer = crystal::placeOverlayer(spec, *cell, *request);
            if (!overlayer)
                return overlayer.error();
            return crystal::withOverlayerJson(text, *overlayer);
        }();
    }
    return checked(std::move(json));
}

std::string sitesJson(const Bulk& bulk, const std::vector<int64_t>& hkl, const std::optional<std::string>& termination,
                      std::optional<double> planeTolerance)
{
    const crystal::SurfaceSpec spec = specOf(bulk, hkl, termination, planeTolerance);
    platform::Result<std::string> json = platform::fail("");
    {
        py::gil_scoped_release released;
        json = [&]() -> platform::Result<std::string> {
            const auto cell = crystal::surfaceCell(spec, crystal::InPlaneCell::Primitive);
            if (!cell)
                return cell.error();
            const auto sites = crystal::findSites(spec, *cell);
            if (!sites)
                return sites.error();
            return crystal::formatSitesJson(*sites);
        }();
    }
    return checked(std::move(json));
}

// The superstructure as `leed --wood` or `--matrix` reads it, or none.
std::optional<crystal::Superstructure> superstructureOf(const std::optional<std::string>& wood,
                                                        const std::optional<std::string>& matrix)
{
    if (wood && matrix)
        throw py::value_error("give one superstructure: --wood or --matrix, once");
    if (!wood && !matrix)
        return std::nullopt;
    return checked(crystal::readSuperstructure(wood ? *wood : *matrix,
                                               wood ? crystal::SuperstructureNotation::Wood
                                                    : crystal::SuperstructureNotation::Matrix));
}

// The pattern as `facetor leed --format json` prints it; with out, also drawn into that file as
// `leed --out` draws it.
std::string leedJson(const Bulk& bulk, const std::vector<int64_t>& hkl, const std::optional<std::string>& termination,
                     std::optional<double> planeTolerance, double energy, const std::optional<std::string>& wood,
                     const std::optional<std::string>& matrix, bool domains, const std::optional<std::string>& out,
                     const std::optional<crystal::OverlayerRequest>& request)
{
    const crystal::SurfaceSpec spec = specOf(bulk, hkl, termination, planeTolerance);
    const std::optional<crystal::Superstructure> superstructure = superstructureOf(wood, matrix);
    if (request && superstructure)
        throw py::value_error("option --adsorbate gives the superstructure itself: it excludes --wood and --matrix");
    if (out && !figure::leedFileFormatOfPath(*out))
        throw py::value_error("--out '" + *out + "' must name a .png or .svg file");
    platform::Result<crystal::LeedPattern> pattern = platform::fail("");
    platform::Status written;
    std::string overlayerText; // the overlayer's caption, for the picture
    {
        py::gil_scoped_release released;
        pattern = [&]() -> platform::Result<crystal::LeedPattern> {
            const auto cell = crystal::surfaceCell(spec, crystal::InPlaneCell::Primitive);
            if (!cell)
                return cell.error();
            std::optional<crystal::IntMatrix2> onCell;
            if (superstructure) {
                const auto m = superstructure->on(cell->a, cell->b);
                if (!m)
                    return m.error();
                onCell = *m;
            }
            // An overlayer diffracts as its cell, in every domain the substrate makes.
            auto overlayer = crystal::placeRequestedOverlayer(spec, *cell, request);
            if (!overlayer)
                return overlayer.error();
            if (*overlayer) {
                overlayerText = crystal::overlayerCaption(**overlayer);
                return crystal::surfaceLeedPattern(spec, *cell, energy, (*overlayer)->matrix,
                                                   crystal::LeedDomains::All);
            }
            return crystal::surfaceLeedPattern(spec, *cell, energy, onCell,
                                               domains ? crystal::LeedDomains::All : crystal::LeedDomains::One);
        }();
        if (pattern && out) {
            const std::string given = !overlayerText.empty() ? overlayerText
                : !superstructure                            ? ""
                : superstructure->wood()                     ? superstructure->wood()->text
                                                             : figure::matrixText(*superstructure->matrix());
            const std::string caption =
                figure::leedCaption(crystal::surfaceTitle(spec), given, pattern->domains.size());
            written = figure::writeLeedPicture(
                *out, figure::layoutLeedPicture(*pattern, figure::LeedPictureSide, figure::LeedPictureSide, caption));
        }
    }
    const crystal::LeedPattern p = checked(std::move(pattern));
    if (!written) {
        PyErr_SetString(PyExc_OSError, written.error().message.c_str());
        throw py::error_already_set();
    }
    return crystal::formatLeedJson(p);
}

// The figure of the surface written to out, as `facetor figure` writes it; the options checked
// as its arguments are.
void writeFigure(const Bulk& bulk, const std::vector<int64_t>& hkl, const std::optional<std::string>& termination,
                 std::optional<double> planeTolerance, const std::string& out, const figure::FigureOptions& given,
                 std::optional<double> thickness, const std::optional<crystal::OverlayerRequest>& request)
{
    const crystal::SurfaceSpec spec = specOf(bulk, hkl, termination, planeTolerance);
    if (out.empty())
        throw py::value_error("option --out is required");
    const auto format = figure::figureFormatOfPath(out);
    if (!format)
        throw py::value_error("cannot tell the format of '" + out + "' from its name: use .svg, .pdf or .png");
    platform::Result<std::string> bytes = platform::fail("");
    int error = 0;
    {
        py::gil_scoped_release released;
        bytes = [&]() -> platform::Result<std::string> {
            figure::FigureOptions options = given;
            if (thickness) {
                crystal::SlabDepth depth;
                depth.thickness = thickness;
                const auto planes = figure::figureLayers(spec, depth);
                if (!planes)
                    return planes.error();
                options.layers = *planes;
            }
            std::optional<crystal::Overlayer> overlayer;
            if (request) {
                const auto cell = crystal::surfaceCell(spec, crystal::InPlaneCell::Primitive);
                if (!cell)
                    return cell.error();
                auto on = crystal::placeRequestedOverlayer(spec, *cell, request);
                if (!on)
                    return on.error();
                overlayer = std::move(*on);
            }
            auto scene = figure::buildFigureScene(spec, options, overlayer ? &*overlayer : nullptr);
            if (!scene)
                return scene.error();
            if (overlayer && !scene->caption.empty())
                scene->caption += ", " + crystal::overlayerCaption(*overlayer);
            if (*format == figure::FigureFormat::Png)
                if (auto fits = figure::validPngSize(*scene, options.width); !fits)
                    return fits.error();
            return figure::renderFigure(*scene, *format, options.width);
        }();
        if (bytes)
            error = platform::writeWholeFile(out, *bytes);
    }
    checked(std::move(bytes));
    if (error) {
        PyErr_SetString(PyExc_OSError, ("cannot write " + out + ": " + std::strerror(error)).c_str());
        throw py::error_already_set();
    }
}

py::list materials()
{
    py::list out;
    for (const crystal::Material& m : crystal::materialPresets()) {
        py::dict d;
        d["name"] = m.name;
        d["lattice"] = std::string(geometry::latticeName(m.lattice));
        d["a"] = m.a;
        d["c"] = m.c > 0.0 ? py::object(py::float_(m.c)) : py::object(py::none());
        d["elements"] = m.elements;
        d["source"] = m.source;
        out.append(d);
    }
    for (const crystal::Compound& c : crystal::compoundPresets()) {
        py::dict d;
        d["name"] = c.name;
        d["lattice"] = py::none();
        d["structure"] = std::string(c.type().name);
        d["space_group"] = py::dict(py::arg("symbol") = std::string(c.type().spaceGroupSymbol),
                                    py::arg("number") = c.type().spaceGroupNumber);
        std::vector<std::string> elements;
        for (const crystal::Species& s : c.species)
            elements.push_back(s.element);
        d["elements"] = elements;
        d["source"] = c.source;
        out.append(d);
    }
    return out;
}

} // namespace

PYBIND11_MODULE(_facetor, m)
{
    m.doc() = "The compiled core of the facetor package; use the package's functions.";
    m.attr("version") = FACETOR_VERSION;

    py::class_<Bulk>(m, "Bulk", "A bulk crystal: its cell, atoms and name. Make one with facetor.bulk().")
        .def_property_readonly("name", [](const Bulk& b) { return b.name; })
        .def_property_readonly(
            "cell",
            [](const Bulk& b) {
                std::vector<std::vector<double>> rows;
                for (const crystal::Position& p : b.crystal->cell)
                    rows.push_back({p.x, p.y, p.z});
                return rows;
            },
            "The cell vectors a, b, c as rows, Angstrom.")
        .def_property_readonly(
            "symbols",
            [](const Bulk& b) {
                std::vector<std::string> out;
                for (const crystal::BulkSite& s : b.crystal->sites)
                    out.push_back(s.element);
                return out;
            },
            "The element of each atom of the cell.")
        .def_property_readonly(
            "fractional",
            [](const Bulk& b) {
                std::vector<std::array<double, 3>> out;
                for (const crystal::BulkSite& s : b.crystal->sites)
                    out.push_back(s.fractional);
                return out;
            },
            "The fractional coordinates of each atom of the cell.")
        .def_property_readonly(
            "space_group",
            [](const Bulk& b) {
                return py::dict(py::arg("symbol") = b.symmetry->symbol, py::arg("number") = b.symmetry->number);
            },
            "The space group found by spglib: {'symbol', 'number'}.")
        .def("__repr__", [](const Bulk& b) {
            return "<facetor.Bulk " + b.name + ", " + std::to_string(b.crystal->sites.size()) + " atoms>";
        });

    py::class_<crystal::OverlayerRequest>(m, "OverlayerRequest",
                                          "Adsorbates, their coverage and height, as facetor.slab() and the others "
                                          "take them (adsorbates=, coverage=, height=).");
    m.def("overlayer_request", &requestOf, py::arg("adsorbates"), py::arg("coverage"), py::arg("height"));
    m.attr("max_adsorbate_height") = crystal::MaxAdsorbateHeight;
    m.def("preset_or_file", &presetOrFile, py::arg("text"));
    m.def("is_preset", [](const std::string& name) {
        return crystal::findCompound(name) != nullptr || crystal::findMaterial(name) != nullptr;
    });
    m.def("from_arrays", &fromArrays, py::arg("name"), py::arg("cell"), py::arg("fractional"), py::arg("symbols"));
    m.def("slab", &slab, py::arg("bulk"), py::arg("hkl"), py::arg("layers"), py::arg("thickness"), py::arg("size"),
          py::arg("vacuum"), py::arg("termination"), py::arg("orthogonal"), py::arg("symmetric"),
          py::arg("plane_tolerance"), py::arg("overlayer"));
    m.def("terminations_json", &terminationsJson, py::arg("bulk"), py::arg("hkl"), py::arg("plane_tolerance"));
    m.def("report_json", &reportJson, py::arg("bulk"), py::arg("hkl"), py::arg("termination"),
          py::arg("plane_tolerance"), py::arg("overlayer"));
    m.def("materials", &materials);
    m.def("sites_json", &sitesJson, py::arg("bulk"), py::arg("hkl"), py::arg("termination"),
          py::arg("plane_tolerance"));
    m.def("leed_json", &leedJson, py::arg("bulk"), py::arg("hkl"), py::arg("termination"), py::arg("plane_tolerance"),
          py::arg("energy"), py::arg("wood"), py::arg("matrix"), py::arg("domains"), py::arg("out"),
          py::arg("overlayer"));
    m.def(
        "figure",
        [](const Bulk& bulk, const std::vector<int64_t>& hkl, const std::optional<std::string>& termination,
           std::optional<double> planeTolerance, const std::string& out, double rotate, double tilt, int layers,
           std::optional<double> thickness, std::pair<int, int> size, int width, bool cell, bool axes, bool caption,
           const std::string& colour, const std::optional<crystal::OverlayerRequest>& request) {
            figure::FigureOptions options;
            options.rotation = rotate;
            options.tilt = tilt;
            options.layers = layers;
            std::tie(options.repeatA, options.repeatB) = size;
            options.width = width;
            options.cell = cell;
            options.axes = axes;
            options.caption = caption;
            const auto mode = figure::parseColourMode(colour);
            if (!mode)
                throw py::value_error("unknown colouring '" + colour + "' (element, layer or coordination)");
            options.colour = *mode;
            writeFigure(bulk, hkl, termination, planeTolerance, out, options, thickness, request);
        },
        py::arg("bulk"), py::arg("hkl"), py::arg("termination"), py::arg("plane_tolerance"), py::arg("out"),
        py::arg("rotate"), py::arg("tilt"), py::arg("layers"), py::arg("thickness"), py::arg("size"), py::arg("width"),
        py::arg("cell"), py::arg("axes"), py::arg("caption"), py::arg("colour"), py::arg("overlayer"));
    m.attr("max_figure_layers") = figure::MaxLayers;
    m.attr("max_figure_repeat") = figure::MaxRepeat;
    m.attr("figure_widths") = std::make_pair(figure::MinWidth, figure::MaxWidth);
}
