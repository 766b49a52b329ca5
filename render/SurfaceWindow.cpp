#include "render/SurfaceWindow.h"

#include "render/Listing.h"
#include "render/Palette.h"

#include <cassert>

namespace render {

namespace {

constexpr int16_t ChildColumns = 50;
constexpr int16_t ChildRows = 25;
constexpr int16_t KindMaximise = 2;
constexpr int16_t KindPlace = 4;

// The title formats, one per lattice code.
const rt::Format& titleFormat(geometry::LatticeCode code)
{
    static const auto make = [](const char* text) {
        auto f = rt::Format::parse(text);
        assert(f);
        return *f;
    };
    static const rt::Format formats[] = {
        make("('BCC (',I3,',',I3,',',I3,')')"),          make("('FCC (',I3,',',I3,',',I3,')')"),
        make("('HCP (',I3,',',I3,',',I3,') A')"),        make("('HCP (',I3,',',I3,',',I3,')  B')"),
        make("('Zinc Blend (',I3,',',I3,',',I3,') A')"), make("('Zinc Blend (',I3,',',I3,',',I3,') B')"),
    };
    return formats[static_cast<int>(code)];
}

// Progress dots of the slab and the sort on the current window.
class CurrentWindowProgress final : public geometry::ProgressOutput {
public:
    explicit CurrentWindowProgress(winrt::WindowRuntime& windows) : m_windows(windows) {}
    void writeText(std::string_view text) override
    {
        if (auto canvas = m_windows.currentCanvas())
            canvas->out_text(text);
    }
    void clearWindow() override
    {
        if (auto canvas = m_windows.currentCanvas())
            canvas->clear_screen(0);
    }

private:
    winrt::WindowRuntime& m_windows;
};

} // namespace

std::string surfaceTitle(geometry::LatticeCode code, const geometry::MillerIndices& m)
{
    std::string field(40, ' ');
    const rt::Item items[] = {int32_t(m.h), int32_t(m.k), int32_t(m.l)};
    // The longest title is 26 characters: the field always holds it.
    [[maybe_unused]] const int status = rt::internalWrite(field, titleFormat(code), items);
    assert(status == 0);
    return field + std::string(40, ' ');
}

std::string startTitle() { return "planes" + std::string(74, ' '); }

void WindowUnitOutput::writeWindowText(int unit, std::string_view text)
{
    m_windows.write_window_text(m_windows.unitWindow(unit), text);
}

SurfaceWindow::SurfaceWindow(winrt::WindowRuntime& windows, rt::Runtime& runtime, DrawnSurface& surface)
    : m_windows(windows), m_runtime(runtime), m_state(surface)
{
}

void SurfaceWindow::startUp()
{
    m_size = {};
    m_size.kind = KindMaximise;
    m_windows.set_window_size(winrt::FrameHandle, m_size);

    m_config = {};
    m_config.pixel_width = -1;
    m_config.pixel_height = -1;
    m_config.text_columns = -1;
    m_config.text_rows = -1;
    m_config.colour_count = 256;
    m_config.font_size = winrt::fontCell(10, 18);
    m_config.setTitle(startTitle());
    if (!m_windows.set_window_config(m_config))
        m_windows.set_window_config(m_config);

    m_size = {KindPlace, 0, 0, ChildRows, ChildColumns};
    m_windows.set_window_size(0, m_size);

    if (auto canvas = m_windows.currentCanvas()) {
        render::installPalette(*canvas);
        canvas->clear_screen(0);
    }
}

void SurfaceWindow::setSurfaceTitle()
{
    m_config.setTitle(surfaceTitle(m_state.latticeCode, m_state.miller));
    m_windows.set_window_config(m_config);
    if (auto canvas = m_windows.currentCanvas())
        render::installPalette(*canvas);
}

void loadLattice(DrawnSurface& surface) { geometry::selectLattice(surface.latticeCode, surface.lattice); }

bool openPositionsFile(rt::Runtime& runtime)
{
    return runtime.openUnit(PositionsUnit, PositionsFile, rt::OpenStatus::Replace, rt::OpenAction::Write,
                            rt::BlankMode::Null);
}

bool buildSlab(DrawnSurface& surface, rt::Runtime& runtime, geometry::ProgressOutput& progress)
{
    if (!openPositionsFile(runtime)) {
        surface.frame = geometry::orientSurface(surface.miller, surface.lattice);
        surface.atoms.count = 0;
        return false;
    }
    geometry::generateSlab(surface.latticeCode, surface.miller, surface.lattice, surface.frame, surface.atoms,
                           progress);
    return true;
}

void orderByDepth(DrawnSurface& surface, geometry::ProgressOutput& progress) { sortByDepth(surface.atoms, progress); }

void turnView(DrawnSurface& state, float rotation, float tilt, geometry::ProgressOutput& progress)
{
    projectView(rotation, tilt, state.atoms, state.view, progress);
    state.rotation = rotation;
    state.tilt = tilt;
}

void SurfaceWindow::showSurface()
{
    setSurfaceTitle();
    loadLattice(m_state);
    writeStructureListing(m_state.lattice, m_runtime);
    CurrentWindowProgress progress(m_windows);
    buildSlab(m_state, m_runtime, progress);
    auto canvas = m_windows.currentCanvas();
    if (!canvas)
        return;
    canvas->clear_screen(0);
    orderByDepth(m_state, progress);
    render::drawScene(m_state.atoms, m_state.latticeCode, *canvas);
    m_state.rotation = 0.0f;
    m_state.tilt = 0.0f;
    shown();
}

void SurfaceWindow::shown()
{
    if (m_shown)
        m_shown(m_state);
}

void SurfaceWindow::applyView(float rotation, float tilt)
{
    CurrentWindowProgress progress(m_windows);
    turnView(m_state, rotation, tilt, progress);
    if (auto canvas = m_windows.currentCanvas())
        render::drawScene(m_state.atoms, m_state.latticeCode, *canvas);
    shown();
}

void SurfaceWindow::resetView()
{
    CurrentWindowProgress progress(m_windows);
    render::resetViewCoordinates(m_state.atoms, progress);
    if (auto canvas = m_windows.currentCanvas())
        render::drawScene(m_state.atoms, m_state.latticeCode, *canvas);
    m_state.rotation = 0.0f;
    m_state.tilt = 0.0f;
    shown();
}

} // namespace render
