#pragma once
// The Surface menu: the real material of the surface on screen, its slab exported to the files
// simulation codes read, its crystallographic report, its figure and its diffraction pattern.
// Its items run on the message thread and work from a snapshot of the surface on screen that
// the program thread publishes; they never read the program thread's tables.

#include "app/AdsorbateDialog.h"
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
#include <functional>
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

// The real-crystal surface of a snapshot made of material, or of bulk when one is given (its
// plane the snapshot's indices in the bulk's own cell).
crystal::SurfaceSpec surfaceSpec(const SurfaceSnapshot& snapshot, const crystal::Material& material,
                                 const std::optional<crystal::BulkChoice>& bulk = std::nullopt);

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
    // The bulk crystal that stands for the material of a lattice (a compound preset or a file
    // read), if any.
    std::optional<crystal::BulkChoice> bulk(geometry::LatticeKind lattice) const;
    // Makes bulk the material of the lattice on screen: the report, the pattern, the figure,
    // the shape and the exports follow it, while the drawn surface stays as it is.
    void setBulk(crystal::BulkChoice bulk);
    // The real-crystal surface of the snapshot in the material of its lattice.
    crystal::SurfaceSpec currentSpec(const SurfaceSnapshot& snapshot) const;

    // The menu's items.
    void chooseMaterial();
    void exportSlab();
    void showReport();
    void exportFigure();
    void showDiffraction();
    // The equilibrium shape of the material on screen from its broken-bond energies, in a window
    // of its own that then follows the material.
    void showShape();
    // The figure of the surface on screen in the window "figure", which then follows the
    // surface, its material and the view.
    void showFigure();
    // Reads a CIF, POSCAR or extended XYZ file chosen in the open-file dialog as the material of
    // the lattice on screen and shows its surface in the figure window.
    void openBulk();
    // Reads that file as the material on screen (what openBulk does once a file is chosen).
    platform::Status openBulkFile(const std::string& path);

    // The diffraction pattern's settings: energy in eV, the superstructure as typed (Wood
    // notation or a matrix, empty for none) and whether every domain is shown.
    struct DiffractionSettings {
        double energy = 100.0;
        std::string superstructure;
        bool domains = false;
    };
    // Draws the pattern of the surface on screen with settings in the pattern window, opening it
    // the first time; the window then follows the surface. Refused, with the reason, for a
    // superstructure that does not read; one the surface cannot carry is left out of the
    // pattern, and the value (else empty) and the window's caption say why.
    platform::Result<std::string> showPattern(const DiffractionSettings& settings);

    // Adsorbates: the Adsorbate dialog, its settings as typed, and setting them (refused with the
    // one-line reason, nothing changed, when they do not read or the surface on screen cannot carry
    // them; empty adsorbates clear them). Export Slab, Export Figure, the figure, the pattern and
    // the report then show them on every surface that can carry them.
    void chooseAdsorbates();
    AdsorbateSettings adsorbateSettings() const;
    platform::Status setAdsorbates(const AdsorbateSettings& settings);
    // The chosen adsorbates placed on spec's primitive cell.
    SurfaceOverlayer overlayerOn(const crystal::SurfaceSpec& spec) const;
    // Marks the sites on the figure window (opening it) or takes the marks away again.
    void toggleSites();
    bool sitesShown() const;

    // The report and pattern windows' handles, -1 while not open.
    int32_t reportWindow() const { return m_reportWindow.load(); }
    int32_t patternWindow() const { return m_patternWindow.load(); }
    int32_t shapeWindow() const { return m_shapeWindow.load(); }
    int32_t figureWindow() const { return m_figureWindow.load(); }

    // The largest index of the planes the shape window takes.
    static constexpr int ShapeMaxIndex = 3;

private:
    void writeReport(const crystal::SurfaceSpec& spec);
    void followPattern(const crystal::SurfaceSpec& spec);
    platform::Result<std::string> drawPattern(const crystal::SurfaceSpec& spec, const DiffractionSettings& settings);
    platform::Status drawShape(const crystal::SurfaceSpec& spec);
    platform::Status drawFigure(const crystal::SurfaceSpec& spec, const SurfaceSnapshot& view);
    // The open windows show spec's surface (after a new surface or material).
    void follow(const SurfaceSnapshot& snapshot);
    // Makes the values typed in the Material dialog the material of lattice: the empty text,
    // else the problem (the dialog then comes back with them). shown: what the dialog showed.
    std::string applyMaterial(geometry::LatticeKind lattice, const std::array<std::string, 4>& typed,
                              const std::array<std::string, 4>& shown);
    int32_t openWindow(const char* title, int columns, int rows, int cellWidth, int cellHeight);
    // Draws a picture window again when the user gives it another size.
    void redrawOnResize(int32_t handle, std::function<void()> redraw);
    void failed(const std::string& text);
    // Says in the status bar which file was written.
    void wrote(const std::string& path);

    winrt::FrameRuntime& m_frame;
    winrt::WindowRuntime& m_windows;
    platform::ChildWindows& m_children;
    platform::SystemDialogs& m_systemDialogs;
    dialogs::DialogRuntime& m_dialogs;

    mutable std::mutex m_mutex; // the snapshot and the materials
    SurfaceSnapshot m_snapshot;
    bool m_published = false;
    int m_menuNumber = 0; // the menu's place in the menu bar, once installed
    std::array<std::optional<crystal::Material>, 4> m_materials;
    std::array<std::optional<crystal::BulkChoice>, 4> m_bulks;

    // The menu's windows are written by whichever thread changed what they show; one at a
    // time, through the menu's own units.
    std::mutex m_writing;
    class WindowUnits;
    std::unique_ptr<WindowUnits> m_units;
    std::atomic<int32_t> m_reportWindow{-1};
    std::atomic<int32_t> m_patternWindow{-1};
    std::atomic<int32_t> m_shapeWindow{-1};
    std::atomic<int32_t> m_figureWindow{-1};
    DiffractionSettings m_diffraction;                    // under m_mutex
    AdsorbateSettings m_adsorbateSettings;                // under m_mutex
    std::optional<crystal::OverlayerRequest> m_overlayer; // under m_mutex
    bool m_sites = false;                                 // under m_mutex
};

} // namespace app
