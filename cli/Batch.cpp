#include "cli/Batch.h"

#include "cli/Args.h"
#include "cli/Commands.h"
#include "crystal/Material.h"
#include "crystal/Vectors.h"
#include "platform/headless/HeadlessPlatform.h"
#include "winrt/BitmapFile.h"
#include "geometry/Slab.h"
#include "render/Listing.h"
#include "render/Scene.h"
#include "render/SurfaceWindow.h"
#include "runtime/ConsoleEvents.h"
#include "runtime/Runtime.h"
#include "platform/FileSystem.h"
#include "platform/PngFile.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <algorithm>
#include <string>

namespace cli {

namespace {

constexpr std::string_view Version = "facetor 0.1.0";

// Unit 6 on standard output: each record one line, its CR LF turned into the line end.
class StdoutLines final : public rt::WindowTextSink {
public:
    void writeWindowText(int, std::string_view text) override
    {
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.remove_suffix(1);
        std::cout << text << '\n';
    }
};

void writeTable(const geometry::AtomTable& a)
{
    std::string out = "count " + std::to_string(a.count) + "\n";
    for (int k = 1; k <= a.count; ++k) {
        out += std::to_string(k);
        out += ' ';
        out += std::to_string(a.species[k]);
        for (float v : {a.frameX[k], a.frameY[k], a.frameZ[k], a.viewX[k], a.viewY[k], a.viewZ[k]}) {
            out += ' ';
            out += shortest(v);
        }
        out += ' ';
        out += std::to_string(a.drawOrder[k]);
        out += '\n';
    }
    std::cout << out;
}

std::string surfaceName(geometry::LatticeCode code, const geometry::MillerIndices& m)
{
    std::string name(geometry::latticeName(geometry::latticeKind(code)));
    switch (geometry::termination(code)) {
    case geometry::Termination::A: name += " termination A"; break;
    case geometry::Termination::B: name += " termination B"; break;
    case geometry::Termination::None: break;
    }
    name += " (" + std::to_string(m.h) + " " + std::to_string(m.k) + " " + std::to_string(m.l) + ")";
    return name;
}

// The drawn block in Angstrom with the material's symbols. Each atom goes back to the crystal's
// axes, is stretched to the material's constants (the catalogue's named conversion from lattice
// units) and is expressed in the frame of the same plane of the material: the in-plane axis e2
// stays, the normal follows the stretch (normals scale inversely), e1 completes the right-handed
// frame.
void writeMaterialXyz(const BatchCommand& cmd, const render::DrawnSurface& s, const crystal::Material& m)
{
    const auto& a = s.atoms;
    const auto& e = s.frame.rows;
    const double unit = double(geometry::CellLength) * double(s.lattice.displayScale);
    const std::array<double, 3> stretch = geometry::angstromPerLatticeUnit(m.lattice, m.a, m.c);
    const crystal::UnitVector e2{e[1][0], e[1][1], e[1][2]};
    const crystal::ReciprocalVector normal{e[2][0] / stretch[0], e[2][1] / stretch[1], e[2][2] / stretch[2]};
    const crystal::UnitVector e3 = crystal::unit(normal);
    const crystal::UnitVector e1 = crystal::cross(e2, e3);

    std::string out = std::to_string(a.count) + "\n";
    out += m.name + " " + surfaceName(cmd.code, cmd.miller) + ", Angstrom, z along the outward plane normal\n";
    for (int k = 1; k <= a.count; ++k) {
        const std::array<float, 3> f = geometry::frameComponents(a, k);
        const double w[3] = {f[0] / unit, f[1] / unit, f[2] / unit};
        crystal::Position u;
        u.x = (e[0][0] * w[0] + e[1][0] * w[1] + e[2][0] * w[2]) * stretch[0];
        u.y = (e[0][1] * w[0] + e[1][1] * w[1] + e[2][1] * w[2]) * stretch[1];
        u.z = (e[0][2] * w[0] + e[1][2] * w[1] + e[2][2] * w[2]) * stretch[2];
        out += m.element(a.species[k]);
        for (double v : {crystal::dot(e1, u), crystal::dot(e2, u), crystal::dot(e3, u)}) {
            out += ' ';
            out += shortest(v);
        }
        out += '\n';
    }
    std::cout << out;
}

// Lattice units in a right-handed frame whose z is the outward plane normal.
void writeXyz(const BatchCommand& cmd, const render::DrawnSurface& s)
{
    if (!cmd.material.empty())
        return writeMaterialXyz(cmd, s, *crystal::findMaterial(cmd.material));
    const auto& a = s.atoms;
    const float unit = geometry::CellLength * s.lattice.displayScale;
    std::string out = std::to_string(a.count) + "\n";
    out += surfaceName(cmd.code, cmd.miller) + ", lattice units, z along the outward plane normal\n";
    for (int k = 1; k <= a.count; ++k) {
        out += a.species[k] ? "Y" : "X";
        const std::array<float, 3> f = geometry::frameComponents(a, k);
        for (float v : {f[0] / unit, f[1] / unit, f[2] / unit}) {
            out += ' ';
            out += shortest(v);
        }
        out += '\n';
    }
    std::cout << out;
}

int runListing(const BatchCommand& cmd, rt::Runtime& runtime)
{
    geometry::LatticeDefinition lattice;
    geometry::selectLattice(cmd.code, lattice);
    render::writeStructureListing(lattice, runtime);
    return 0;
}

// The main loop's steps for the surface, then the view when one is given.
int runSlab(const BatchCommand& cmd, rt::Runtime& runtime)
{
    const auto surface = std::make_unique<render::DrawnSurface>();
    render::DrawnSurface& s = *surface;
    s.latticeCode = cmd.code;
    s.miller = cmd.miller;
    geometry::NoProgress progress;
    render::loadLattice(s);
    if (!render::buildSlab(s, runtime, progress))
        return 1;
    render::orderByDepth(s, progress);
    if (cmd.rotate || cmd.tilt)
        render::turnView(s, cmd.rotate.value_or(0.0f), cmd.tilt.value_or(0.0f), progress);
    if (cmd.format == SlabFormat::Xyz)
        writeXyz(cmd, s);
    else
        writeTable(s.atoms);
    return 0;
}

// The part of the canvas the child window shows: 50 columns by 25 rows of 10 x 18 cells.
constexpr int VisibleWidth = 500;
constexpr int VisibleHeight = 450;

// The desktop program's start-up and main-loop steps on a headless screen, then the visible
// part of the window written as a picture.
int runRender(const BatchCommand& cmd, rt::Runtime& runtime, winrt::WindowRuntime& windows)
{
    const auto surface = std::make_unique<render::DrawnSurface>();
    render::SurfaceWindow application(windows, runtime, *surface);
    application.startUp();
    auto& s = application.state();
    s.latticeCode = cmd.code;
    s.miller = cmd.miller;
    application.showSurface();
    if (cmd.rotate || cmd.tilt)
        application.applyView(cmd.rotate.value_or(0.0f), cmd.tilt.value_or(0.0f));

    auto canvas = windows.windowCanvas(windows.focusWindow());
    if (!canvas) {
        std::cerr << "facetor: the window has no picture\n";
        return 1;
    }
    platform::Result<std::vector<uint8_t>> file = std::vector<uint8_t>();
    {
        auto lock = canvas->lockDrawing();
        const winrt::Canvas& c = canvas->canvas();
        const int width = std::min(VisibleWidth, c.width());
        const int height = std::min(VisibleHeight, c.height());
        if (platform::fileExtension(cmd.out) == "png") {
            // Encoded from the canvas's own rows, without a copy of the picture.
            const std::vector<platform::Rgb> palette = winrt::paletteOf(c);
            file = platform::encodePng(
                platform::PngPicture{width, height, c.pixels().data(), std::size_t(c.width()), palette});
        } else {
            file = winrt::encodeBitmap(c, winrt::Rect{0, 0, width, height});
        }
    }
    if (!file) {
        std::cerr << "facetor: cannot write " << cmd.out << ": " << file.error().message << '\n';
        return 1;
    }
    return writeOutput(cmd.out, {reinterpret_cast<const char*>(file->data()), file->size()});
}

} // namespace

int argumentError(std::string_view message)
{
    std::cerr << "facetor: " << message << '\n' << usage();
    return 2;
}

int fileError(std::string_view message)
{
    std::cerr << "facetor: " << message << '\n';
    return 2;
}

int writeOutput(const std::string& path, std::string_view bytes)
{
    if (const int err = platform::writeWholeFile(path, bytes)) {
        std::cerr << "facetor: cannot write " << path << ": " << std::strerror(err) << '\n';
        return 1;
    }
    return 0;
}

int runBatch(const std::vector<std::string_view>& args)
{
    rt::ConsoleReportSink reports;
    rt::ProcessExit end;
    rt::Runtime runtime(platform::systemFileSystem(), reports, end);
    // Control-C and the other console events end every subcommand with message 200.
    rt::ConsoleEventWatch events(runtime);

    const auto parsed = parseCommand(args);
    if (!parsed)
        return argumentError(parsed.error().message);
    const BatchCommand& cmd = *parsed;
    switch (cmd.subcommand) {
    case Subcommand::Help: std::cout << usage(); return 0;
    case Subcommand::Version: std::cout << Version << '\n'; return 0;
    case Subcommand::Materials: return runMaterials(cmd);
    case Subcommand::Export: return runExport(cmd);
    case Subcommand::Figure: return runFigure(cmd);
    case Subcommand::Leed: return runLeed(cmd);
    case Subcommand::Report: return runReport(cmd);
    case Subcommand::Terminations: return runTerminations(cmd);
    case Subcommand::Facets: return runFacets(cmd);
    case Subcommand::Wulff: return runWulff(cmd);
    case Subcommand::Sites: return runSites(cmd);
    case Subcommand::Listing:
    case Subcommand::Slab:
    case Subcommand::Render: break;
    }

    StdoutLines lines;
    platform::DisplayInfo display;
    display.screenWidth = cmd.screenWidth;
    display.screenHeight = cmd.screenHeight;
    platform::HeadlessPlatform screen(display);
    winrt::WindowRuntime windows(screen);
    render::WindowUnitOutput windowText(windows);
    rt::WindowTextSink* unitSink =
        cmd.subcommand == Subcommand::Render ? static_cast<rt::WindowTextSink*>(&windowText) : &lines;
    for (int unit : {0, 5, 6})
        runtime.units().connectWindow(unit, unitSink);

    int status = 0;
    switch (cmd.subcommand) {
    case Subcommand::Listing: status = runListing(cmd, runtime); break;
    case Subcommand::Slab: status = runSlab(cmd, runtime); break;
    case Subcommand::Render: status = runRender(cmd, runtime, windows); break;
    default: break;
    }
    std::cout.flush();
    runtime.end_program_thread();
    return status;
}

} // namespace cli
