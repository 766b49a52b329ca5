#include "app/SurfaceMenu.h"

#include "app/SurfaceDialogTemplates.h"
#include "crystal/Compound.h"
#include "crystal/Facets.h"
#include "crystal/Leed.h"
#include "crystal/Superstructure.h"
#include "crystal/Report.h"
#include "crystal/Slab.h"
#include "crystal/StructureFile.h"
#include "crystal/SurfaceCell.h"
#include "crystal/SurfaceSymmetry.h"
#include "crystal/Wulff.h"
#include "platform/FileSystem.h"
#include "dialogs/Dialog.h"
#include "figure/Figure.h"
#include "figure/IndexedCanvas.h"
#include "figure/LeedPicture.h"
#include "figure/WulffPicture.h"
#include "winrt/BitmapFile.h"
#include "winrt/WindowCanvas.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace app {

namespace {

// The menu's units: one window unit per window of the menu.
constexpr int ReportUnit = 7;

// Where the report window sits: right of the picture window, at the frame's top.
constexpr int ReportColumns = 64;
constexpr int ReportRows = 40;
constexpr int WindowGap = 4;

} // namespace

// Records of the menu's units go to the window each is connected to.
class SurfaceMenu::WindowUnits final : public rt::WindowTextSink {
public:
    explicit WindowUnits(winrt::WindowRuntime& windows) : m_windows(windows), m_units(platform::systemFileSystem()) {}

    void connect(int unit, int32_t handle)
    {
        m_handles[std::size_t(unit)] = handle;
        m_units.connectWindow(unit, this);
    }

    // Writes text, one record per line.
    void write(int unit, std::string_view text)
    {
        while (!text.empty()) {
            const auto end = text.find('\n');
            m_units.writeRecord(unit, text.substr(0, end));
            text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        }
    }

    void writeWindowText(int unit, std::string_view text) override
    {
        m_windows.write_window_text(m_handles[std::size_t(unit)], text);
    }

private:
    winrt::WindowRuntime& m_windows;
    rt::Units m_units;
    std::array<int32_t, rt::Units::MaxUnits> m_handles{};
};

crystal::SurfaceSpec surfaceSpec(const SurfaceSnapshot& snapshot, const crystal::Material& material)
{
    crystal::SurfaceSpec spec;
    spec.material = material;
    spec.hkl = {snapshot.miller.h, snapshot.miller.k, snapshot.miller.l};
    spec.termination = geometry::termination(snapshot.code);
    return spec;
}

SurfaceMenu::SurfaceMenu(winrt::FrameRuntime& frame, winrt::WindowRuntime& windows, platform::ChildWindows& children,
                         platform::SystemDialogs& systemDialogs, dialogs::DialogRuntime& dialogs)
    : m_frame(frame), m_windows(windows), m_children(children), m_systemDialogs(systemDialogs), m_dialogs(dialogs),
      m_units(std::make_unique<WindowUnits>(windows))
{
}

SurfaceMenu::~SurfaceMenu() = default;

void SurfaceMenu::install()
{
    const int menu = int(m_frame.menuBar().size()) + 1;
    m_frame.append_menu_item(menu, 0, "S&urface", [](int32_t&) {});
    m_frame.append_menu_item(menu, 0, "&Material...", [this](int32_t&) { chooseMaterial(); });
    m_frame.append_menu_item(menu, 0, "&Export Slab...", [this](int32_t&) { exportSlab(); });
    m_frame.append_menu_item(menu, 0, "&Report", [this](int32_t&) { showReport(); });
    m_frame.append_menu_item(menu, 0, "Export &Figure...", [this](int32_t&) { exportFigure(); });
    m_frame.append_menu_item(menu, 0, "&Diffraction Pattern...", [this](int32_t&) { showDiffraction(); });
    m_frame.append_menu_item(menu, 0, "&Wulff Shape", [this](int32_t&) { showShape(); });
}

void SurfaceMenu::publish(const SurfaceSnapshot& snapshot)
{
    crystal::Material material;
    {
        std::lock_guard lock(m_mutex);
        const bool sameSurface =
            m_published && m_snapshot.code == snapshot.code && m_snapshot.miller == snapshot.miller;
        m_snapshot = snapshot;
        m_published = true;
        if (sameSurface)
            return; // only the view turned: the report stays true
        material = m_materials[std::size_t(geometry::latticeKind(snapshot.code))].value_or(
            crystal::defaultMaterial(geometry::latticeKind(snapshot.code)));
    }
    if (m_reportWindow.load() >= 0)
        writeReport(snapshot, material);
    followPattern(snapshot, material);
    if (m_shapeWindow.load() >= 0)
        (void)drawShape(material);
}

void SurfaceMenu::followPattern(const SurfaceSnapshot& snapshot, const crystal::Material& material)
{
    if (m_patternWindow.load() < 0)
        return;
    DiffractionSettings settings;
    {
        std::lock_guard lock(m_mutex);
        settings = m_diffraction;
    }
    // A superstructure the new surface cannot take gives way to the clean surface's pattern.
    if (!drawPattern(snapshot, material, settings) && !settings.superstructure.empty()) {
        settings.superstructure.clear();
        (void)drawPattern(snapshot, material, settings);
    }
}

SurfaceSnapshot SurfaceMenu::snapshot() const
{
    std::lock_guard lock(m_mutex);
    return m_snapshot;
}

crystal::Material SurfaceMenu::material(geometry::LatticeKind lattice) const
{
    std::lock_guard lock(m_mutex);
    return m_materials[std::size_t(lattice)].value_or(crystal::defaultMaterial(lattice));
}

void SurfaceMenu::setMaterial(const crystal::Material& material)
{
    SurfaceSnapshot shown;
    {
        std::lock_guard lock(m_mutex);
        m_materials[std::size_t(material.lattice)] = material;
        shown = m_snapshot;
    }
    if (geometry::latticeKind(shown.code) != material.lattice)
        return;
    if (m_reportWindow.load() >= 0)
        writeReport(shown, material);
    followPattern(shown, material);
    if (m_shapeWindow.load() >= 0)
        (void)drawShape(material);
}

void SurfaceMenu::failed(const std::string& text)
{
    m_systemDialogs.messageBox(
        {"FACETOR", text, platform::MessageIcon::Error, platform::MessageButtons::Ok, std::nullopt});
}

void SurfaceMenu::exportSlab()
{
    const SurfaceSnapshot shown = snapshot();
    const crystal::Material material = this->material(geometry::latticeKind(shown.code));
    platform::SaveFileRequest request;
    request.filters = {{"Extended XYZ (*.xyz)", "*.xyz"}, {"VASP POSCAR (*.vasp)", "*.vasp"}, {"CIF (*.cif)", "*.cif"}};
    request.defaultExtension = "xyz";
    const auto path = m_systemDialogs.saveFileDialog(request);
    if (!path)
        return;
    const auto format = crystal::structureFormatOfPath(*path);
    if (!format) {
        failed("The slab was not saved: " + *path + " names no structure file (.xyz, .vasp, POSCAR or .cif).");
        return;
    }
    const crystal::SurfaceSpec spec = surfaceSpec(shown, material);
    const auto cell = crystal::surfaceCell(spec, crystal::InPlaneCell::Primitive);
    if (!cell) {
        failed("The slab was not saved: " + cell.error().message);
        return;
    }
    const crystal::PeriodicSlab slab = crystal::buildSlab(*cell, crystal::SlabOptions{});
    const std::string text = crystal::formatStructure(slab, *format, crystal::surfaceTitle(spec));
    if (const int err = platform::writeWholeFile(*path, text))
        failed("The slab was not saved: cannot write " + *path + ": " + std::strerror(err));
}

int32_t SurfaceMenu::openWindow(const char* title, int columns, int rows, int cellWidth, int cellHeight)
{
    const int32_t handle = m_windows.open_unit_window(title);
    if (handle < 0)
        return -1;
    // The window is configured as the message thread's current window for a moment.
    const int32_t previous = m_windows.currentWindow();
    m_windows.set_current_window(handle);
    winrt::WindowConfig config;
    config.text_columns = int16_t(columns);
    config.text_rows = int16_t(rows);
    config.colour_count = 256;
    config.font_size = winrt::fontCell(cellWidth, cellHeight);
    config.setTitle(title);
    if (!m_windows.set_window_config(config))
        m_windows.set_window_config(config);
    if (previous >= 0)
        m_windows.set_current_window(previous);
    // Beside the picture, at the frame's top.
    const auto info = m_windows.windowInfo(handle);
    const auto picture = m_windows.windowInfo(m_windows.focusWindow());
    if (info && picture) {
        const platform::Rect beside = m_children.windowRect(picture->platformWindow);
        const platform::Rect own = m_children.windowRect(info->platformWindow);
        m_children.moveWindow(info->platformWindow,
                              {beside.x + beside.width + WindowGap, beside.y, own.width, own.height});
    }
    return handle;
}

void SurfaceMenu::showReport()
{
    int32_t handle = m_reportWindow.load();
    if (handle < 0) {
        handle = openWindow("report", ReportColumns, ReportRows, 10, 18);
        if (handle < 0)
            return;
        {
            std::lock_guard lock(m_writing);
            m_units->connect(ReportUnit, handle);
        }
        m_reportWindow.store(handle);
    }
    if (const auto info = m_windows.windowInfo(handle))
        m_children.activateWindow(info->platformWindow);
    const SurfaceSnapshot shown = snapshot();
    writeReport(shown, material(geometry::latticeKind(shown.code)));
}

void SurfaceMenu::writeReport(const SurfaceSnapshot& snapshot, const crystal::Material& material)
{
    std::string text;
    if (const auto report = crystal::surfaceReport(surfaceSpec(snapshot, material)))
        text = crystal::formatReportText(*report);
    else
        text = "No report: " + report.error().message + "\n";
    std::lock_guard lock(m_writing);
    if (auto canvas = m_windows.windowCanvas(m_reportWindow.load()))
        canvas->clear_screen(0);
    m_units->write(ReportUnit, text);
}

} // namespace app

namespace app {

namespace {

std::string trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

std::string fieldText(dialogs::Dialog& dialog, int32_t id)
{
    std::string text(64, ' ');
    dialogs::DialogGetText(dialog, id, text);
    return trimmed(text);
}

// A length as the dialog shows it: up to six decimals, trailing zeros dropped.
std::string lengthText(double value)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.6f", value);
    std::string text = buffer;
    while (!text.empty() && text.back() == '0')
        text.pop_back();
    if (!text.empty() && text.back() == '.')
        text.pop_back();
    return text;
}

// The whole text as a finite number, or nothing.
std::optional<double> numberOf(const std::string& text)
{
    double value = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string joined(const std::vector<std::string>& parts)
{
    std::string text;
    for (const auto& part : parts)
        text += (text.empty() ? "" : ",") + part;
    return text;
}

std::vector<std::string> elementsOf(const std::string& text)
{
    std::vector<std::string> parts;
    std::string part;
    for (char c : text + ",") {
        if (c == ',' || c == ' ') {
            if (!part.empty())
                parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    return parts;
}

std::string latticeText(geometry::LatticeKind lattice)
{
    switch (lattice) {
    case geometry::LatticeKind::Bcc: return "BCC";
    case geometry::LatticeKind::Fcc: return "FCC";
    case geometry::LatticeKind::Hcp: return "HCP";
    case geometry::LatticeKind::ZincBlende: return "zinc blende";
    }
    return "";
}

constexpr int PatternColumns = 56; // 8 x 14 cells: a 448 x 448 picture
constexpr int PatternRows = 32;
constexpr int PatternCellWidth = 8;
constexpr int PatternCellHeight = 14;

// A picture window's canvas as the figure painters draw on it: the LEED pattern's and the
// equilibrium shape's windows, both of PatternColumns x PatternRows cells.
class PatternCanvas final : public figure::IndexedCanvas {
public:
    explicit PatternCanvas(winrt::WindowCanvas& canvas) : m_canvas(canvas) {}

    platform::Size size() const override { return {m_canvas.canvas().width(), m_canvas.canvas().height()}; }
    // The grid the window was configured with.
    figure::TextGrid textGrid() const override { return {PatternColumns, PatternCellWidth, PatternCellHeight}; }

    // As an 8-bit bitmap with the canvas's own palette, copied onto the canvas.
    void drawPixels(platform::Rect area, std::span<const uint8_t> indices) override
    {
        const int bits = 8;
        const int64_t row = winrt::bitmapRowBytes(area.width, bits);
        std::vector<uint8_t> image(std::size_t(winrt::bitmapHeaderBytes(bits) + row * area.height), 0);
        winrt::storeBitmapHeaders(image, area.width, area.height, bits);
        for (int i = 0; i < 256; ++i) {
            const platform::Rgb c = m_canvas.canvas().paletteEntry(i);
            uint8_t* entry = image.data() + 54 + 4 * i;
            entry[0] = c.blue;
            entry[1] = c.green;
            entry[2] = c.red;
        }
        uint8_t* bits0 = image.data() + winrt::bitmapHeaderBytes(bits);
        for (int y = 0; y < area.height; ++y)
            std::copy_n(indices.data() + std::size_t(y) * std::size_t(area.width), area.width,
                        bits0 + std::size_t(area.height - 1 - y) * std::size_t(row));
        m_canvas.put_image(int16_t(area.x), int16_t(area.y), image, 3);
    }

    void setPalette(std::span<const platform::Rgb> colours) override
    {
        std::vector<uint32_t> palette(std::size_t(m_canvas.canvas().colourCount()), 0);
        for (std::size_t i = 0; i < colours.size() && i < palette.size(); ++i)
            palette[i] = colours[i].paletteValue();
        (void)m_canvas.remap_all_palette(palette);
    }
    void clear(uint8_t index) override
    {
        (void)m_canvas.setBackgroundColour(index);
        (void)m_canvas.clear_screen(0);
    }
    void fillEllipse(platform::Rect box, uint8_t index) override
    {
        (void)m_canvas.set_colour(index);
        (void)m_canvas.draw_ellipse(3, int16_t(box.x), int16_t(box.y), int16_t(box.right()), int16_t(box.bottom()));
    }
    void writeText(int row, int column, std::string_view text, uint8_t ink, uint8_t paper) override
    {
        (void)m_canvas.setTextColour(ink);
        (void)m_canvas.setBackgroundColour(paper);
        m_canvas.setTextPosition(int16_t(row), int16_t(column));
        m_canvas.out_text(text);
    }

private:
    winrt::WindowCanvas& m_canvas;
};

} // namespace

void SurfaceMenu::chooseMaterial()
{
    const SurfaceSnapshot shown = snapshot();
    const geometry::LatticeKind lattice = geometry::latticeKind(shown.code);
    const crystal::Material current = material(lattice);
    dialogs::Dialog dialog;
    if (!dialogs::DialogLoad(MaterialDialogId, dialog, m_dialogs)) {
        dialogs::DialogRelease(dialog);
        return;
    }
    const std::string name = crystal::findMaterial(current.name) ? current.name : "";
    const std::string a = lengthText(current.a);
    const std::string c = current.c > 0.0 ? lengthText(current.c) : "";
    const std::string elements = joined(current.elements);
    dialogs::DialogSetText(dialog, BoxPreset, name);
    dialogs::DialogSetText(dialog, BoxLatticeA, a);
    dialogs::DialogSetText(dialog, BoxLatticeC, c);
    dialogs::DialogSetText(dialog, BoxElements, elements);
    const int32_t end = dialogs::DialogRunModal(dialog);
    const std::string newName = fieldText(dialog, BoxPreset);
    const std::string newA = fieldText(dialog, BoxLatticeA);
    const std::string newC = fieldText(dialog, BoxLatticeC);
    const std::string newElements = fieldText(dialog, BoxElements);
    dialogs::DialogRelease(dialog);
    if (end != 1)
        return;

    // Changed values make a material of the user's own; else a changed name picks a preset.
    if (newA != a || newC != c || newElements != elements) {
        const auto valueA = numberOf(newA);
        const auto valueC = newC.empty() ? std::optional<double>() : numberOf(newC);
        if (!valueA || (!newC.empty() && !valueC)) {
            failed("The material was not changed: \"" + (valueA ? newC : newA) + "\" is not a length in Angstrom.");
            return;
        }
        if (auto custom = crystal::customMaterial(lattice, elementsOf(newElements), *valueA, valueC))
            setMaterial(*custom);
        else
            failed("The material was not changed: " + custom.error().message);
        return;
    }
    if (newName == name)
        return;
    const crystal::Material* preset = crystal::findMaterial(newName);
    if (!preset) {
        failed("The material was not changed: there is no preset named \"" + newName + "\".");
        return;
    }
    if (preset->lattice != lattice) {
        failed("The material was not changed: " + preset->name + " is " + latticeText(preset->lattice)
               + ", the surface on screen " + latticeText(lattice) + ".");
        return;
    }
    setMaterial(*preset);
}

void SurfaceMenu::exportFigure()
{
    const SurfaceSnapshot shown = snapshot();
    const crystal::Material material = this->material(geometry::latticeKind(shown.code));
    platform::SaveFileRequest request;
    request.filters = {
        {"SVG Figures (*.svg)", "*.svg"}, {"PDF Figures (*.pdf)", "*.pdf"}, {"PNG Pictures (*.png)", "*.png"}};
    request.defaultExtension = "svg";
    const auto path = m_systemDialogs.saveFileDialog(request);
    if (!path)
        return;
    const auto format = figure::figureFormatOfPath(*path);
    if (!format) {
        failed("The figure was not saved: " + *path + " names no figure file (.svg, .pdf or .png).");
        return;
    }
    figure::FigureOptions options;
    options.rotation = shown.rotation;
    options.tilt = shown.tilt;
    options.cell = true;
    options.axes = true;
    const auto bytes = figure::makeFigure(surfaceSpec(shown, material), options, *format);
    if (!bytes) {
        failed("The figure was not saved: " + bytes.error().message);
        return;
    }
    if (const int err = platform::writeWholeFile(*path, *bytes))
        failed("The figure was not saved: cannot write " + *path + ": " + std::strerror(err));
}

void SurfaceMenu::showDiffraction()
{
    DiffractionSettings settings;
    {
        std::lock_guard lock(m_mutex);
        settings = m_diffraction;
    }
    dialogs::Dialog dialog;
    if (!dialogs::DialogLoad(DiffractionDialogId, dialog, m_dialogs)) {
        dialogs::DialogRelease(dialog);
        return;
    }
    dialogs::DialogSetText(dialog, BoxEnergy, lengthText(settings.energy));
    dialogs::DialogSetText(dialog, BoxSuperstructure, settings.superstructure);
    dialogs::DialogSetLogical(dialog, CheckDomains, settings.domains ? dialogs::True : dialogs::False);
    const int32_t end = dialogs::DialogRunModal(dialog);
    const std::string energy = fieldText(dialog, BoxEnergy);
    settings.superstructure = fieldText(dialog, BoxSuperstructure);
    dialogs::Logical domains = dialogs::False;
    dialogs::DialogGetLogical(dialog, CheckDomains, domains);
    settings.domains = dialogs::isTrue(domains);
    dialogs::DialogRelease(dialog);
    if (end != 1)
        return;
    const auto value = numberOf(energy);
    if (!value || *value <= 0.0) {
        failed("No pattern: the energy \"" + energy + "\" is not a positive number of eV.");
        return;
    }
    settings.energy = *value;
    if (const auto shown = showPattern(settings); !shown)
        failed("No pattern: " + shown.error().message);
}

platform::Status SurfaceMenu::showPattern(const DiffractionSettings& settings)
{
    const SurfaceSnapshot shown = snapshot();
    const crystal::Material material = this->material(geometry::latticeKind(shown.code));
    int32_t handle = m_patternWindow.load();
    if (handle < 0) {
        handle = openWindow("LEED", PatternColumns, PatternRows, PatternCellWidth, PatternCellHeight);
        if (handle < 0)
            return platform::fail("no window for the pattern");
        m_patternWindow.store(handle);
    }
    if (auto drawn = drawPattern(shown, material, settings); !drawn)
        return drawn;
    {
        std::lock_guard lock(m_mutex);
        m_diffraction = settings;
    }
    if (const auto info = m_windows.windowInfo(handle))
        m_children.activateWindow(info->platformWindow);
    return {};
}

platform::Status SurfaceMenu::drawPattern(const SurfaceSnapshot& snapshot, const crystal::Material& material,
                                          const DiffractionSettings& settings)
{
    const crystal::SurfaceSpec spec = surfaceSpec(snapshot, material);
    const auto cell = crystal::surfaceCell(spec, crystal::InPlaneCell::Primitive);
    if (!cell)
        return cell.error();
    crystal::LeedOptions options;
    options.domains = settings.domains ? crystal::LeedDomains::All : crystal::LeedDomains::One;
    if (!settings.superstructure.empty()) {
        // A matrix or Wood notation, whichever the text is, as the batch front end reads them.
        const auto superstructure = crystal::readSuperstructure(settings.superstructure);
        if (!superstructure)
            return superstructure.error();
        const auto matrix = superstructure->on(cell->a, cell->b);
        if (!matrix)
            return matrix.error();
        options.superstructure = *matrix;
        if (settings.domains) {
            auto group = crystal::surfacePointGroup(spec, *cell);
            if (!group)
                return group.error();
            options.pointGroup = std::move(*group);
        }
    }
    const auto pattern = crystal::leedPattern(cell->a, cell->b, settings.energy, options);
    if (!pattern)
        return pattern.error();

    std::lock_guard lock(m_writing);
    auto canvas = m_windows.windowCanvas(m_patternWindow.load());
    if (!canvas)
        return platform::fail("no window for the pattern");
    PatternCanvas painted(*canvas);
    figure::paintLeedPattern(*pattern, crystal::surfaceTitle(spec), painted);
    return {};
}

void SurfaceMenu::showShape()
{
    const SurfaceSnapshot shown = snapshot();
    const crystal::Material material = this->material(geometry::latticeKind(shown.code));
    int32_t handle = m_shapeWindow.load();
    if (handle < 0) {
        handle = openWindow("Wulff shape", PatternColumns, PatternRows, PatternCellWidth, PatternCellHeight);
        if (handle < 0)
            return;
        m_shapeWindow.store(handle);
    }
    if (auto drawn = drawShape(material); !drawn)
        failed("No shape: " + drawn.error().message);
    if (const auto info = m_windows.windowInfo(handle))
        m_children.activateWindow(info->platformWindow);
}

platform::Status SurfaceMenu::drawShape(const crystal::Material& material)
{
    // The broken-bond energies of every distinct plane up to index 3, each family at its lowest
    // termination's energy.
    const auto bulk = crystal::bulkOf(material);
    if (!bulk)
        return bulk.error();
    const auto symmetry = crystal::analyseSymmetry(*bulk);
    if (!symmetry)
        return symmetry.error();
    const auto facets = crystal::distinctFacets(*bulk, *symmetry, ShapeMaxIndex);
    if (!facets)
        return facets.error();
    const bool hexagonal = crystal::hasHexagonalAxes(bulk->cell);
    std::vector<crystal::WulffFamily> families;
    std::vector<std::string> labels;
    for (const crystal::Facet& f : *facets) {
        families.push_back(
            {f.hkl, crystal::equivalentPlanes(*symmetry, f.hkl), f.terminations[std::size_t(f.lowest - 1)].energy});
        labels.push_back(crystal::planeText(f.hkl, hexagonal));
    }
    const auto shape = crystal::wulffShape(bulk->cell, families);
    if (!shape)
        return shape.error();

    std::lock_guard lock(m_writing);
    auto canvas = m_windows.windowCanvas(m_shapeWindow.load());
    if (!canvas)
        return platform::fail("no window for the shape");
    PatternCanvas painted(*canvas);
    figure::paintWulffShape(*shape, labels, hexagonal, {}, material.name + " equilibrium shape", painted);
    return {};
}

} // namespace app
