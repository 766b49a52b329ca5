#pragma once
// The Surface menu: the real material of the surface on screen, its slab exported to the files
// simulation codes read, its crystallographic report, its figure and its diffraction pattern.
// Its items run on the message thread and work from a snapshot of the surface on screen that
// the program thread publishes; they never read the program thread's tables.

#include "crystal/SurfaceCell.h"
#include "platform/ChildWindows.h"
#include "platform/Result.h"
#include "platform/SystemDialogs.h"
#include "geometry/Lattice.h"
#include "geometry/Surface.h"
#include "runtime/Runtime.h"
#include "winrt/Frame.h"
#include "winrt/WindowRuntime.h"

#include <array>
#include <atomic>
#include <mutex>
#include <optional>
#include <string>

namespace dialogs {
class DialogRuntime;
}

namespace app {

// The surface on screen as the program thread last showed it.
struct SurfaceSnapshot {
    geometry::LatticeCode code = geometry::LatticeCode::Fcc;
    geometry::MillerIndices miller{1, 0, 0};
    float rotation = 0.0f; // degrees about the plane normal
    float tilt = 0.0f;     // degrees
};

// The real-crystal surface of a snapshot made of material.
crystal::SurfaceSpec surfaceSpec(const SurfaceSnapshot& snapshot, const crystal::Material& material);

class SurfaceMenu {
public:
    SurfaceMenu(winrt::FrameRuntime& frame, winrt::WindowRuntime& windows, platform::ChildWindows& children,
                platform::SystemDialogs& systemDialogs, dialogs::DialogRuntime& dialogs);
    ~SurfaceMenu();
    SurfaceMenu(const SurfaceMenu&) = delete;
    SurfaceMenu& operator=(const SurfaceMenu&) = delete;

    // Appends the menu to the frame's menu bar (program thread, after the start-up).
    void install();

    // A new surface or view is on screen (program thread): the open report and pattern windows
    // follow it.
    void publish(const SurfaceSnapshot& snapshot);

    SurfaceSnapshot snapshot() const;
    // The material of a lattice: the one chosen, else the lattice's default.
    crystal::Material material(geometry::LatticeKind lattice) const;
    // Chooses the material of its lattice (what the Material dialog does); the open windows
    // follow.
    void setMaterial(const crystal::Material& material);

    // The menu's items.
    void chooseMaterial();
    void exportSlab();
    void showReport();
    void exportFigure();
    void showDiffraction();
    // The equilibrium shape of the material on screen from its broken-bond energies, in a window
    // of its own that then follows the material.
    void showShape();

    // The diffraction pattern's settings: energy in eV, the superstructure as typed (Wood
    // notation or a matrix, empty for none) and whether every domain is shown.
    struct DiffractionSettings {
        double energy = 100.0;
        std::string superstructure;
        bool domains = false;
    };
    // Draws the pattern of the surface on screen with settings in the pattern window, opening it
    // the first time; the window then follows the surface. Refused, with the reason, for
    // settings the surface cannot take.
    platform::Status showPattern(const DiffractionSettings& settings);

    // The report and pattern windows' handles, -1 while not open.
    int32_t reportWindow() const { return m_reportWindow.load(); }
    int32_t patternWindow() const { return m_patternWindow.load(); }
    int32_t shapeWindow() const { return m_shapeWindow.load(); }

    // The largest index of the planes the shape window takes.
    static constexpr int ShapeMaxIndex = 3;

private:
    void writeReport(const SurfaceSnapshot& snapshot, const crystal::Material& material);
    void followPattern(const SurfaceSnapshot& snapshot, const crystal::Material& material);
    platform::Status drawPattern(const SurfaceSnapshot& snapshot, const crystal::Material& material,
                                 const DiffractionSettings& settings);
    platform::Status drawShape(const crystal::Material& material);
    int32_t openWindow(const char* title, int columns, int rows, int cellWidth, int cellHeight);
    void failed(const std::string& text);

    winrt::FrameRuntime& m_frame;
    winrt::WindowRuntime& m_windows;
    platform::ChildWindows& m_children;
    platform::SystemDialogs& m_systemDialogs;
    dialogs::DialogRuntime& m_dialogs;

    mutable std::mutex m_mutex; // the snapshot and the materials
    SurfaceSnapshot m_snapshot;
    bool m_published = false;
    std::array<std::optional<crystal::Material>, 4> m_materials;

    // The menu's windows are written by whichever thread changed what they show; one at a
    // time, through the menu's own units.
    std::mutex m_writing;
    class WindowUnits;
    std::unique_ptr<WindowUnits> m_units;
    std::atomic<int32_t> m_reportWindow{-1};
    std::atomic<int32_t> m_patternWindow{-1};
    std::atomic<int32_t> m_shapeWindow{-1};
    DiffractionSettings m_diffraction; // under m_mutex
};

} // namespace app
