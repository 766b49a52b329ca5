#pragma once
// The drawn-surface pipeline: the chosen surface, its lattice, slab, depth order and view, on
// state its caller owns; and the window that shows it, with the start-up and the per-surface
// steps of the program's main loop. The desktop program and the batch front end run the same.

#include "geometry/Lattice.h"
#include "geometry/Slab.h"
#include "geometry/Surface.h"
#include "render/Scene.h"
#include "runtime/Runtime.h"
#include "winrt/WindowRuntime.h"

#include <functional>
#include <string>

namespace render {

// A drawn surface, overwritten per surface. Its owner keeps it for as long as it is shown
// (about 300 KB: allocate it on the heap).
struct DrawnSurface {
    geometry::LatticeCode latticeCode = geometry::LatticeCode::Fcc;
    geometry::MillerIndices miller{1, 0, 0};
    geometry::LatticeDefinition lattice;
    geometry::SurfaceFrame frame;
    geometry::AtomTable atoms;
    ViewState view;
    float rotation = 0.0f; // the view's rotation and tilt, degrees
    float tilt = 0.0f;
};

// The unit and file name of the positions file, created empty for every surface.
inline constexpr int PositionsUnit = 11;
inline constexpr const char* PositionsFile = "posit.txt";

// The pipeline's steps, apart from the window they draw on.
// The lattice of the chosen surface.
void loadLattice(DrawnSurface& surface);
// The positions file opened (replaced) on unit 11; false when it could not be opened (the
// run-time has reported it).
bool openPositionsFile(rt::Runtime& runtime);
// The slab of the chosen surface after opening the positions file, with a dot per row of cells
// to progress. False, and no atom, when the positions file could not be opened.
bool buildSlab(DrawnSurface& surface, rt::Runtime& runtime, geometry::ProgressOutput& progress);
// The atoms in drawing order, deepest first.
void orderByDepth(DrawnSurface& surface, geometry::ProgressOutput& progress);
// The view turned by rotation about the plane normal and tilt, degrees.
void turnView(DrawnSurface& surface, float rotation, float tilt, geometry::ProgressOutput& progress);

// The 80-character window title of a surface: "FCC (  1,  1,  1)" and the like, each index in
// three characters ("***" when it does not fit), left-aligned in 40 characters, then 40 blanks.
std::string surfaceTitle(geometry::LatticeCode code, const geometry::MillerIndices& miller);

// The title before the first surface: "planes" and 74 blanks.
std::string startTitle();

// Records of a unit connected to a window go to that window's text.
class WindowUnitOutput final : public rt::WindowTextSink {
public:
    explicit WindowUnitOutput(winrt::WindowRuntime& windows) : m_windows(windows) {}
    void writeWindowText(int unit, std::string_view text) override;

private:
    winrt::WindowRuntime& m_windows;
};

// The window that shows a drawn surface, on one window runtime and one run-time, with the
// program's start-up and main-loop steps.
class SurfaceWindow {
public:
    SurfaceWindow(winrt::WindowRuntime& windows, rt::Runtime& runtime, DrawnSurface& surface);

    // Maximises the frame, configures the child window (256 colours, 10 x 18 cell, "planes"),
    // applying the record a second time when the runtime adjusted it, sizes it to 50 columns by
    // 25 rows at the frame's top left corner, installs the palette and clears the window.
    void startUp();

    // Titles the window after the current surface, applies the configuration again and installs
    // the palette again (the new canvas has the default palette).
    void setSurfaceTitle();

    // The main loop's steps for the chosen surface: title, lattice, listing, slab with its dots,
    // clear, depth sort, drawing.
    void showSurface();

    // The view dialog's Rotate and Reset View.
    void applyView(float rotation, float tilt);
    void resetView();

    // Called on the program thread whenever a new surface or view is on screen.
    void setShownListener(std::function<void(const DrawnSurface&)> listener) { m_shown = std::move(listener); }

    DrawnSurface& state() { return m_state; }
    rt::Runtime& runtime() { return m_runtime; }
    // The child window's configuration and size as last applied.
    const winrt::WindowConfig& config() const { return m_config; }
    const winrt::WindowSizeRecord& size() const { return m_size; }

private:
    winrt::WindowRuntime& m_windows;
    rt::Runtime& m_runtime;
    DrawnSurface& m_state;
    winrt::WindowConfig m_config;
    winrt::WindowSizeRecord m_size;
    std::function<void(const DrawnSurface&)> m_shown;
    void shown();
};

} // namespace render
