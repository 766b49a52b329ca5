#pragma once
// The application's start-up and the per-surface steps of its main loop, over the program-wide
// state: the chosen surface, the lattice, the frame, the atom table and the view.

#include "geometry/Lattice.h"
#include "geometry/Slab.h"
#include "geometry/Surface.h"
#include "render/Scene.h"
#include "runtime/Runtime.h"
#include "winrt/WindowRuntime.h"

#include <functional>
#include <string>

namespace app {

// Everything the application keeps for the whole run; one instance, overwritten per surface.
struct ApplicationState {
    geometry::LatticeCode latticeCode = geometry::LatticeCode::Fcc;
    geometry::MillerIndices miller{1, 0, 0};
    geometry::LatticeDefinition lattice;
    geometry::SurfaceFrame frame;
    geometry::AtomTable atoms;
    render::ViewState view;
    float rotation = 0.0f; // the view's rotation and tilt, degrees
    float tilt = 0.0f;
    winrt::WindowConfig config;
    winrt::WindowSizeRecord size;
};

// The one instance of the program (static storage: the atom table is large).
ApplicationState& applicationState();

// The main loop's surface steps on the program-wide state, apart from the window they draw on:
// the desktop program and the batch front end run the same ones.
// The lattice of the chosen surface.
void loadLattice(ApplicationState& state);
// The slab of the chosen surface, with the positions file on unit 11 and a dot per row of cells
// to progress. False when the positions file could not be opened (the run-time has reported it).
bool buildSlab(ApplicationState& state, rt::Runtime& runtime, geometry::ProgressOutput& progress);
// The atoms in drawing order, deepest first.
void orderByDepth(ApplicationState& state, geometry::ProgressOutput& progress);
// The view turned by rotation about the plane normal and tilt, degrees.
void turnView(ApplicationState& state, float rotation, float tilt, geometry::ProgressOutput& progress);

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

// The application's routines on one window runtime and one run-time.
class Application {
public:
    Application(winrt::WindowRuntime& windows, rt::Runtime& runtime, ApplicationState& state = applicationState());

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
    void setShownListener(std::function<void(const ApplicationState&)> listener) { m_shown = std::move(listener); }

    ApplicationState& state() { return m_state; }
    rt::Runtime& runtime() { return m_runtime; }

private:
    winrt::WindowRuntime& m_windows;
    rt::Runtime& m_runtime;
    ApplicationState& m_state;
    std::function<void(const ApplicationState&)> m_shown;
    void shown();
};

} // namespace app
