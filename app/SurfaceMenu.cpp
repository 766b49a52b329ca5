#include "app/SurfaceMenu.h"

#include "app/DialogFields.h"
#include "app/FigureWindow.h"
#include "app/LeedWindow.h"
#include "app/SurfaceDialogTemplates.h"
#include "app/WindowPicture.h"
#include "crystal/Bulk.h"
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

crystal::SurfaceSpec surfaceSpec(const SurfaceSnapshot& snapshot, const crystal::Material& material,
                                 const std::optional<crystal::BulkChoice>& bulk)
{
    crystal::SurfaceSpec spec;
    spec.material = material;
    spec.hkl = {snapshot.miller.h, snapshot.miller.k, snapshot.miller.l};
    spec.termination = geometry::termination(snapshot.code);
    spec.bulk = bulk;
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
    m_frame.append_menu_item(menu, 0, "&Show Figure", [this](int32_t&) { showFigure(); });
    m_frame.append_menu_item(menu, 0, "&Open Bulk Structure...", [this](int32_t&) { openBulk(); });
    m_frame.append_menu_item(menu, 0, "S&ites", [this](int32_t& checked) {
        toggleSites();
        checked = sitesShown() ? 1 : 0;
    });
    m_frame.append_menu_item(menu, 0, "&Adsorbate...", [this](int32_t&) { chooseAdsorbates(); });
    // Nothing to work on until the first surface is on screen.
    m_menuNumber = menu;
    m_frame.setMenuItemGrayed(menu, 0, true);
}

void SurfaceMenu::publish(const SurfaceSnapshot& snapshot)
{
    bool sameSurface;
    bool first;
    {
        std::lock_guard lock(m_mutex);
        sameSurface = m_published && m_snapshot.code == snapshot.code && m_snapshot.miller == snapshot.miller;
        first = !m_published;
        m_snapshot = snapshot;
        m_published = true;
    }
    if (first && m_menuNumber > 0)
        m_frame.setMenuItemGrayed(m_menuNumber, 0, false);
    if (!sameSurface) {
        follow(snapshot);
        return;
    }
    // Only the view turned: the report, pattern and shape stay true, the figure turns with it.
    if (m_figureWindow.load() >= 0)
        (void)drawFigure(currentSpec(snapshot), snapshot);
}

void SurfaceMenu::follow(const SurfaceSnapshot& snapshot)
{
    const crystal::SurfaceSpec spec = currentSpec(snapshot);
    if (m_reportWindow.load() >= 0)
        writeReport(spec);
    followPattern(spec);
    if (m_shapeWindow.load() >= 0)
        (void)drawShape(spec);
    if (m_figureWindow.load() >= 0)
        (void)drawFigure(spec, snapshot);
}

void SurfaceMenu::followPattern(const crystal::SurfaceSpec& spec)
{
    if (m_patternWindow.load() < 0)
        return;
    DiffractionSettings settings;
    {
        std::lock_guard lock(m_mutex);
        settings = m_diffraction;
    }
    // A superstructure the surface cannot carry is left out of the picture: the user is told, and
    // the setting stays for a surface that takes it.
    if (const auto drawn = drawPattern(spec, settings); drawn && !drawn->empty())
        m_frame.setStatusMessage("The pattern shows the clean surface: " + *drawn);
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
        m_bulks[std::size_t(material.lattice)].reset();
        shown = m_snapshot;
    }
    if (geometry::latticeKind(shown.code) != material.lattice)
        return;
    follow(shown);
}

std::optional<crystal::BulkChoice> SurfaceMenu::bulk(geometry::LatticeKind lattice) const
{
    std::lock_guard lock(m_mutex);
    return m_bulks[std::size_t(lattice)];
}

void SurfaceMenu::setBulk(crystal::BulkChoice bulk)
{
    SurfaceSnapshot shown;
    {
        std::lock_guard lock(m_mutex);
        shown = m_snapshot;
        m_bulks[std::size_t(geometry::latticeKind(shown.code))] = std::move(bulk);
    }
    follow(shown);
}

crystal::SurfaceSpec SurfaceMenu::currentSpec(const SurfaceSnapshot& snapshot) const
{
    const auto lattice = std::size_t(geometry::latticeKind(snapshot.code));
    std::lock_guard lock(m_mutex);
    return surfaceSpec(snapshot,
                       m_materials[lattice].value_or(crystal::defaultMaterial(geometry::LatticeKind(lattice))),
                       m_bulks[lattice]);
}

void SurfaceMenu::failed(const std::string& text)
{
    m_systemDialogs.messageBox(
        {"FACETOR", text, platform::MessageIcon::Error, platform::MessageButtons::Ok, std::nullopt});
}

void SurfaceMenu::exportSlab()
{
    const crystal::SurfaceSpec spec = currentSpec(snapshot());
    platform::SaveFileRequest request;
    request.filters = {{"Extended XYZ (*.xyz)", "*.xyz"}, {"VASP POSCAR (*.vasp)", "*.vasp"}, {"CIF (*.cif)", "*.cif"}};
    request.defaultExtension = "xyz";
    request.title = "Export Slab";
    request.bareNames = {"POSCAR", "CONTCAR"};
    const auto path = m_systemDialogs.saveFileDialog(request);
    if (!path)
        return;
    const auto format = crystal::structureFormatOfPath(*path);
    if (!format) {
        failed("The slab was not saved: " + *path + " names no structure file (.xyz, .vasp, POSCAR or .cif).");
        return;
    }
    const auto cell = crystal::surfaceCell(spec, crystal::InPlaneCell::Primitive);
    if (!cell) {
        failed("The slab was not saved: " + cell.error().message);
        return;
    }
    const auto overlayer = overlayerOn(spec);
    const auto text = overlayer ? slabFileText(spec, *cell, *overlayer ? &**overlayer : nullptr, *format)
                                : platform::Result<std::string>(overlayer.error());
    if (!text) {
        failed("The slab was not saved: " + text.error().message);
        return;
    }
    if (const int err = platform::writeWholeFile(*path, *text))
        failed("The slab was not saved: cannot write " + *path + ": " + std::strerror(err));
    else
        wrote(*path);
}

void SurfaceMenu::wrote(const std::string& path)
{
    m_frame.setStatusMessage("Wrote " + path.substr(path.find_last_of('/') + 1));
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
    // Beside the picture at the frame's top; where the picture leaves no room beside it, as far
    // right as the frame shows, over the picture (bringToFront keeps it inside the frame).
    const auto info = m_windows.windowInfo(handle);
    const auto picture = m_windows.windowInfo(m_windows.focusWindow());
    if (info && picture) {
        const platform::Rect beside = m_children.windowRect(picture->platformWindow);
        const platform::Rect own = m_children.windowRect(info->platformWindow);
        m_children.moveWindow(info->platformWindow,
                              {beside.x + beside.width + WindowGap, std::max(beside.y, 0), own.width, own.height});
    }
    m_windows.allowUserClose(handle);
    return handle;
}

void SurfaceMenu::redrawOnResize(int32_t handle, std::function<void()> redraw)
{
    m_windows.setResizeListener(handle, [this, handle, redraw = std::move(redraw)](platform::Size) {
        // A window the user closed is drawn again when it is shown.
        if (const auto info = m_windows.windowInfo(handle); info && !info->hidden)
            redraw();
    });
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
    m_windows.bringToFront(handle);
    writeReport(currentSpec(snapshot()));
}

void SurfaceMenu::writeReport(const crystal::SurfaceSpec& spec)
{
    std::string text;
    if (const auto report = crystal::surfaceReport(spec)) {
        text = crystal::formatReportText(*report);
        if (const auto overlayer = overlayerOn(spec); !overlayer)
            text += "No adsorbates: " + overlayer.error().message + "\n";
        else if (*overlayer)
            text += crystal::formatOverlayerText(**overlayer);
    } else {
        text = "No report: " + report.error().message + "\n";
    }
    std::lock_guard lock(m_writing);
    if (auto canvas = m_windows.windowCanvas(m_reportWindow.load()))
        canvas->clear_screen(0);
    m_units->write(ReportUnit, text);
}

} // namespace app

namespace app {

namespace {

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

// The pattern window's first size: the batch front end's picture, 600 x 600 pixels.
constexpr int PatternColumns = 75;
constexpr int PatternRows = 50;
constexpr int PatternCellWidth = 8;
constexpr int PatternCellHeight = 12;
// The shape window's: 448 x 448 pixels.
constexpr int ShapeColumns = 56;
constexpr int ShapeRows = 32;
constexpr int ShapeCellWidth = 8;
constexpr int ShapeCellHeight = 14;
// The figure window's: 560 x 480 pixels.
constexpr int FigureColumns = 70;
constexpr int FigureRows = 40;

} // namespace

namespace {

// A material the user made: the preset it equals, else named by its elements and constants,
// "Au (a = 4.000)", so that report, captions and files never pass it off as the preset.
crystal::Material labelled(crystal::Material custom)
{
    for (const crystal::Material& preset : crystal::materialPresets())
        if (preset.lattice == custom.lattice && preset.elements == custom.elements
            && std::abs(preset.a - custom.a) < 1e-9 && std::abs(preset.c - custom.c) < 1e-9)
            return preset;
    char constants[64];
    if (custom.lattice == geometry::LatticeKind::Hcp)
        std::snprintf(constants, sizeof constants, " (a = %.3f, c = %.3f)", custom.a, custom.c);
    else
        std::snprintf(constants, sizeof constants, " (a = %.3f)", custom.a);
    custom.name.clear();
    for (const std::string& element : custom.elements)
        custom.name += element;
    custom.name += constants;
    return custom;
}

std::vector<std::string> presetItems()
{
    // The lattices' presets lattice by lattice, then the compounds structure type by structure
    // type, each named after its group: "FCC: Cu", "rutile: TiO2".
    std::vector<std::string> items;
    for (const auto lattice : {geometry::LatticeKind::Fcc, geometry::LatticeKind::Bcc, geometry::LatticeKind::Hcp,
                               geometry::LatticeKind::ZincBlende})
        for (const crystal::Material& m : crystal::materialPresets())
            if (m.lattice == lattice)
                items.push_back(latticeText(lattice) + ": " + m.name);
    std::vector<const crystal::Compound*> compounds;
    for (const crystal::Compound& c : crystal::compoundPresets())
        compounds.push_back(&c);
    std::stable_sort(compounds.begin(), compounds.end(), [](const crystal::Compound* x, const crystal::Compound* y) {
        return x->prototype < y->prototype;
    });
    for (const crystal::Compound* c : compounds)
        items.push_back(std::string(c->type().name) + ": " + c->name);
    return items;
}

std::string presetName(const std::string& text)
{
    const auto colon = text.rfind(": ");
    return colon == std::string::npos ? text : trimmed(text.substr(colon + 2));
}

} // namespace

void SurfaceMenu::chooseMaterial()
{
    const SurfaceSnapshot shown = snapshot();
    const geometry::LatticeKind lattice = geometry::latticeKind(shown.code);
    const crystal::Material current = material(lattice);
    const auto currentBulk = bulk(lattice);
    const std::string name = currentBulk ? currentBulk->name : crystal::findMaterial(current.name) ? current.name : "";
    const std::string a = lengthText(current.a);
    const std::string c = current.c > 0.0 ? lengthText(current.c) : "";
    const std::string elements = joined(current.elements);
    const std::vector<std::string> items = presetItems();
    // What the boxes show: the material's values, then after an error what the user typed.
    std::array<std::string, 4> typed{name, a, c, elements};
    for (;;) {
        dialogs::Dialog dialog;
        if (!dialogs::DialogLoad(MaterialDialogId, dialog, m_dialogs)) {
            dialogs::DialogRelease(dialog);
            return;
        }
        dialogs::DialogSetInteger(dialog, BoxPreset, int32_t(items.size()), dialogs::ValueIndex::ItemCount);
        for (std::size_t i = 0; i < items.size(); ++i)
            dialogs::DialogSetText(dialog, BoxPreset, items[i], dialogs::itemNumber(int32_t(i + 1)));
        dialogs::DialogSetText(dialog, BoxPreset, typed[0]);
        dialogs::DialogSetText(dialog, BoxLatticeA, typed[1]);
        dialogs::DialogSetText(dialog, BoxLatticeC, typed[2]);
        dialogs::DialogSetText(dialog, BoxElements, typed[3]);
        const int32_t end = dialogs::DialogRunModal(dialog);
        typed = {presetName(fieldText(dialog, BoxPreset)), fieldText(dialog, BoxLatticeA),
                 fieldText(dialog, BoxLatticeC), fieldText(dialog, BoxElements)};
        dialogs::DialogRelease(dialog);
        if (end != 1)
            return;
        const std::string problem = applyMaterial(lattice, typed, {name, a, c, elements});
        if (problem.empty())
            return;
        failed("The material was not changed: " + problem);
    }
}

std::string SurfaceMenu::applyMaterial(geometry::LatticeKind lattice, const std::array<std::string, 4>& typed,
                                       const std::array<std::string, 4>& shown)
{
    const auto& [newName, newA, newC, newElements] = typed;
    // Changed values make a material of the user's own; else a changed name picks a preset.
    if (newA != shown[1] || newC != shown[2] || newElements != shown[3]) {
        const auto valueA = numberOf(newA);
        const auto valueC = newC.empty() ? std::optional<double>() : numberOf(newC);
        if (!valueA || (!newC.empty() && !valueC))
            return "\"" + (valueA ? newC : newA) + "\" is not a length in Angstrom.";
        auto custom = crystal::customMaterial(lattice, elementsOf(newElements), *valueA, valueC);
        if (!custom)
            return custom.error().message;
        setMaterial(labelled(*custom));
        return {};
    }
    if (newName == shown[0])
        return {};
    if (const crystal::Compound* compound = crystal::findCompound(newName)) {
        auto crystal = crystal::bulkOf(*compound);
        if (!crystal)
            return crystal.error().message;
        crystal::BulkChoice choice;
        choice.crystal = std::make_shared<const crystal::BulkCrystal>(std::move(*crystal));
        choice.name = compound->name;
        setBulk(std::move(choice));
        return {};
    }
    const crystal::Material* preset = crystal::findMaterial(newName);
    if (!preset)
        return "there is no preset named \"" + newName + "\".";
    if (preset->lattice != lattice)
        return preset->name + " is " + latticeText(preset->lattice) + ", the surface on screen " + latticeText(lattice)
            + ".";
    setMaterial(*preset);
    return {};
}

void SurfaceMenu::exportFigure()
{
    const SurfaceSnapshot shown = snapshot();
    const crystal::SurfaceSpec spec = currentSpec(shown);
    platform::SaveFileRequest request;
    request.filters = {
        {"SVG Figures (*.svg)", "*.svg"}, {"PDF Figures (*.pdf)", "*.pdf"}, {"PNG Pictures (*.png)", "*.png"}};
    request.defaultExtension = "svg";
    request.title = "Export Figure";
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
    options.sites = sitesShown();
    const auto scene = surfaceFigureScene(spec, options, overlayerOn(spec));
    const auto bytes =
        scene ? figure::renderFigure(*scene, *format, options.width) : platform::Result<std::string>(scene.error());
    if (!bytes) {
        failed("The figure was not saved: " + bytes.error().message);
        return;
    }
    if (const int err = platform::writeWholeFile(*path, *bytes))
        failed("The figure was not saved: cannot write " + *path + ": " + std::strerror(err));
    else
        wrote(*path);
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
    else if (!shown->empty())
        failed("The pattern shows the clean surface: " + *shown + ".");
}

platform::Result<std::string> SurfaceMenu::showPattern(const DiffractionSettings& settings)
{
    const crystal::SurfaceSpec spec = currentSpec(snapshot());
    int32_t handle = m_patternWindow.load();
    if (handle < 0) {
        handle = openWindow("LEED", PatternColumns, PatternRows, PatternCellWidth, PatternCellHeight);
        if (handle < 0)
            return platform::fail("no window for the pattern");
        m_patternWindow.store(handle);
        redrawOnResize(handle, [this] { followPattern(currentSpec(snapshot())); });
    }
    const auto drawn = drawPattern(spec, settings);
    if (!drawn)
        return drawn.error();
    {
        std::lock_guard lock(m_mutex);
        m_diffraction = settings;
    }
    m_windows.bringToFront(handle);
    return *drawn;
}

platform::Result<std::string> SurfaceMenu::drawPattern(const crystal::SurfaceSpec& spec,
                                                       const DiffractionSettings& settings)
{
    std::lock_guard lock(m_writing);
    auto canvas = fittedCanvas(m_windows, m_children, m_patternWindow.load(), "LEED");
    if (!canvas)
        return platform::fail("no window for the pattern");
    const auto picture =
        patternPicture(spec, settings, canvas->canvas().width(), canvas->canvas().height(), overlayerOn(spec));
    if (!picture)
        return picture.error();
    WindowPicture painted(*canvas);
    if (const auto shown = showPatternPicture(picture->layout, painted); !shown)
        return shown.error();
    return picture->leftOut;
}

void SurfaceMenu::showShape()
{
    const crystal::SurfaceSpec spec = currentSpec(snapshot());
    int32_t handle = m_shapeWindow.load();
    if (handle < 0) {
        handle = openWindow("Wulff shape", ShapeColumns, ShapeRows, ShapeCellWidth, ShapeCellHeight);
        if (handle < 0)
            return;
        m_shapeWindow.store(handle);
        redrawOnResize(handle, [this] { (void)drawShape(currentSpec(snapshot())); });
    }
    if (auto drawn = drawShape(spec); !drawn)
        failed("No shape: " + drawn.error().message);
    m_windows.bringToFront(handle);
}

platform::Status SurfaceMenu::drawShape(const crystal::SurfaceSpec& spec)
{
    // The broken-bond energies of every distinct plane up to index 3, each family at its lowest
    // termination's energy.
    const auto bulk =
        spec.bulk ? platform::Result<crystal::BulkCrystal>(*spec.bulk->crystal) : crystal::bulkOf(spec.material);
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
    WindowPicture painted(*canvas);
    figure::paintWulffShape(*shape, labels, hexagonal, {},
                            (spec.bulk ? spec.bulk->name : spec.material.name) + " equilibrium shape", painted);
    return {};
}

void SurfaceMenu::showFigure()
{
    const SurfaceSnapshot shown = snapshot();
    int32_t handle = m_figureWindow.load();
    if (handle < 0) {
        handle = openWindow("figure", FigureColumns, FigureRows, PatternCellWidth, PatternCellHeight);
        if (handle < 0)
            return;
        m_figureWindow.store(handle);
        redrawOnResize(handle, [this] {
            const SurfaceSnapshot now = snapshot();
            (void)drawFigure(currentSpec(now), now);
        });
    }
    if (auto drawn = drawFigure(currentSpec(shown), shown); !drawn)
        failed("No figure: " + drawn.error().message);
    m_windows.bringToFront(handle);
}

platform::Status SurfaceMenu::drawFigure(const crystal::SurfaceSpec& spec, const SurfaceSnapshot& view)
{
    std::lock_guard lock(m_writing);
    auto canvas = fittedCanvas(m_windows, m_children, m_figureWindow.load(), "figure");
    if (!canvas)
        return platform::fail("no window for the figure");
    const auto picture = figureWindowPicture(spec, figureWindowOptions(view.rotation, view.tilt, sitesShown()),
                                             overlayerOn(spec), {canvas->canvas().width(), canvas->canvas().height()});
    WindowPicture painted(*canvas);
    if (!picture) {
        // The window says why it shows no figure of this surface.
        const platform::Rgb paperAndInk[] = {platform::Rgb::fromHex(0xffffff), platform::Rgb::fromHex(0x000000)};
        painted.setPalette(paperAndInk);
        painted.clear(0);
        painted.writeText(1, 1, "No figure: " + picture.error().message, 1, 0);
        return picture.error();
    }
    figure::showPicture(*picture, painted);
    return {};
}

void SurfaceMenu::openBulk()
{
    platform::OpenFileRequest request;
    request.filters = {{"Crystal structures (*.cif *.vasp *.poscar *.xyz *.extxyz POSCAR* CONTCAR*)",
                        "*.cif *.vasp *.poscar *.xyz *.extxyz POSCAR* CONTCAR*"},
                       {"All files (*)", "*"}};
    const auto path = m_systemDialogs.openFileDialog(request);
    if (!path)
        return;
    if (const auto read = openBulkFile(*path); !read)
        failed("The structure was not read: " + read.error().message);
}

platform::Status SurfaceMenu::openBulkFile(const std::string& path)
{
    auto crystal = crystal::readBulkFile(path);
    if (!crystal)
        return crystal.error();
    crystal::BulkChoice choice;
    choice.crystal = std::make_shared<const crystal::BulkCrystal>(std::move(*crystal));
    // Named without its folders, as titles and file headers take it.
    choice.name = path.substr(path.rfind('/') + 1);
    // An open figure window follows the new bulk with the others; else it opens on it.
    const bool figureOpen = m_figureWindow.load() >= 0;
    setBulk(std::move(choice));
    if (!figureOpen)
        showFigure();
    else
        m_windows.bringToFront(m_figureWindow.load());
    return {};
}

} // namespace app
