#pragma once
// The surface report: the crystallography of a plane of a real material in numbers (its 2D
// cell, plane stacking, density, exposed atoms and their coordination, terraces and steps),
// as text for a window or a terminal and as JSON.

#include "crystal/StepNotation.h"
#include "crystal/SurfaceCell.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace crystal {

// Atoms of one coordination number in one atomic plane.
struct CoordinationCount {
    int coordination = 0; // nearest neighbours in the semi-infinite crystal
    int atoms = 0;        // per 2D cell

    friend bool operator==(const CoordinationCount&, const CoordinationCount&) = default;
};

// One of the top atomic planes.
struct ExposedPlane {
    int plane = 0;                         // 1 for the top plane, 2 below it, ...
    std::vector<CoordinationCount> counts; // by increasing coordination
};

struct SurfaceReport {
    std::string title; // the surface's title: material and plane
    LatticeKind lattice = LatticeKind::Fcc;
    Miller hkl{};     // as given (HCP: referring to a1, a2, c)
    Miller reduced{}; // divided by their greatest common divisor
    // HCP and hexagonal bulk cells only: (h k i l) with i = -(h + k), as given and reduced.
    std::optional<std::array<int64_t, 4>> hkil;
    std::optional<std::array<int64_t, 4>> reducedHkil;

    // The primitive 2D cell of surfaceCell, the one exported files, LEED indices and figures use:
    // a <= b in Angstrom, gamma in degrees, area in Angstrom^2, the directions as smallest
    // integer [u v w] of the lattice's own vectors (HCP: a1, a2, c). Where the lattice leaves the
    // choice the angle is 90 degrees or more: 120 for a hexagonal cell, 109.47 for the rhombic
    // centred rectangular one of BCC (1 1 0).
    double a = 0.0;
    double b = 0.0;
    double gamma = 0.0;
    double area = 0.0;
    LatticeDirection aDirection{};
    LatticeDirection bDirection{};
    Lattice2D type = Lattice2D::Oblique;

    // Spacings (Angstrom) from each atomic plane to the next one down, through one stacking
    // period from the top plane: as many as planes in the period, adding up to periodHeight.
    std::vector<double> planeSpacings;
    int planesPerPeriod = 0;
    double periodHeight = 0.0; // Angstrom

    int atomsPerPlane = 0;    // atoms of the top plane per 2D cell
    double atomsPerNm2 = 0.0; // of the top plane

    int bulkCoordination = 0;
    std::vector<ExposedPlane> exposed; // the top three planes

    std::optional<StepNotation> steps; // FCC and BCC vicinals only
};

// The report of spec's surface, or an error naming the fault for a surface that has no cell
// ((0 0 0), indices out of range, a termination the lattice lacks).
platform::Result<SurfaceReport> surfaceReport(const SurfaceSpec& spec);

// Aligned text, one item a line, at most 50 columns for usual indices (long lists wrap), each
// line ending in '\n'.
std::string formatReportText(const SurfaceReport& report);

// One JSON object, ending in '\n': {"cell": {"a", "b", "gamma", "area", "a_direction",
// "b_direction", "type"}, "plane_spacings", "planes_per_period", "atoms_per_nm2", "exposed":
// [{"plane", "coordination": {"CN": atoms per cell}}], "steps": text or null}.
std::string formatReportJson(const SurfaceReport& report);

} // namespace crystal
