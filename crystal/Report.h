#pragma once
// The surface report: the crystallography of a plane of a real material in numbers (its 2D
// cell, plane stacking, density, exposed atoms and their coordination, terraces and steps),
// as text for a window or a terminal and as JSON.

#include "crystal/Bulk.h"
#include "crystal/BulkSurface.h"
#include "crystal/Sites.h"
#include "crystal/StepNotation.h"
#include "crystal/SurfaceCell.h"

#include <array>
#include <map>
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

// One termination of the plane as the report lists it (crystal/BulkSurface.h).
struct ReportTermination {
    int index = 0;                  // as bulkSurface numbers them
    std::map<std::string, int> top; // the top plane's atoms per 2D cell, by element
    std::optional<int> tasker;      // 1, 2 or 3; none for a crystal without formal charges
    FirstSpacing firstSpacing;
};

// The bulk crystal's side of a plane: its space group, the plane in the standard conventional
// cell, and the plane's terminations.
struct BulkPlaneReport {
    std::string spaceGroup;   // spglib's symbol, "P6_3/mmc"; empty when the symmetry is not known
    int spaceGroupNumber = 0; // 1 to 230, 0 when not known
    // The indices in the standard conventional cell, smallest integers, where they differ from
    // the given ones reduced (a rhombohedral or primitive setting, axes in another order).
    std::optional<Miller> conventionalHkl;
    std::vector<ReportTermination> terminations; // empty when not known
    bool symmetricPossible = false;              // an operation of the bulk turns the normal over
    std::string note;                            // why the space group or the terminations are not known
};

// The space group, conventional indices and terminations of bulk's plane hkl (of bulk's cell,
// not all zero), atoms within planeTolerance (Angstrom) along the normal in one plane. Never
// fails: what cannot be found is left out and note says why.
BulkPlaneReport bulkPlaneReport(const BulkCrystal& bulk, const Miller& hkl,
                                double planeTolerance = DefaultPlaneTolerance);

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

    BulkPlaneReport bulk; // of the material's bulk crystal and the plane
    // HCP and zinc blende: which of the drawn terminations A and B has the shorter spacing from
    // its top plane to the next one, where the two differ.
    std::optional<Termination> shortFirstSpacing;

    std::vector<Site> sites; // of the primitive cell (crystal/Sites.h); empty when not found
};

// The report of spec's surface, or an error naming the fault for a surface that has no cell
// ((0 0 0), indices out of range, a termination the lattice lacks).
platform::Result<SurfaceReport> surfaceReport(const SurfaceSpec& spec);

// Aligned text, one item a line, at most 50 columns for usual indices (long lists wrap), each
// line ending in '\n'; the sites last, one a line: label, multiplicity per cell, bound atoms.
std::string formatReportText(const SurfaceReport& report);

// One JSON object, ending in '\n': {"cell": {"a", "b", "gamma", "area", "a_direction",
// "b_direction", "type"}, "plane_spacings", "planes_per_period", "atoms_per_nm2", "exposed":
// [{"plane", "coordination": {"CN": atoms per cell}}], "steps": text or null, "space_group":
// {"symbol", "number"} or null, "conventional_hkl": [h, k, l] or null, "terminations":
// [{"index", "top": {element: count}, "tasker", "first_spacing", "first_spacing_length",
// "symmetric_possible"}] or null, "short_first_spacing": "A", "B" or null, "sites": [{"kind",
// "label", "step", "multiplicity", "bound": [{"element", "count"}]}]}.
std::string formatReportJson(const SurfaceReport& report);

} // namespace crystal
