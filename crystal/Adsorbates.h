#pragma once
// Adsorbates on a surface: what the user asks for ("O@fcc", "CO@top", "H@hcp,O@fcc"), placed as
// an overlayer whose cell is a superstructure of the substrate's (p(2x2), c(2x2),
// (sqrt3 x sqrt3)R30, or a matrix, read as crystal/Superstructure.h reads them), and added to a
// periodic slab.
//
// One adsorbate per overlayer cell per item, at the site of that name (crystal/Sites.h) nearest
// the overlayer cell's origin, repeated over the overlayer lattice. The bound atom sits at the
// height above the top plane's atoms that makes its covalent bond length (bondHeight) to the
// site's atoms, unless a height is given. Molecules are rigid and upright: their first atom is
// the bound one, the rest above it.

#include "crystal/Leed.h"
#include "crystal/Sites.h"
#include "crystal/Slab.h"
#include "crystal/Superstructure.h"
#include "crystal/SurfaceCell.h"
#include "platform/Result.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace crystal {

// An atom of an adsorbed species, relative to the bound atom, Angstrom, in the surface frame
// (z along the outward normal).
struct FragmentAtom {
    std::string element;
    Position offset;
};

// A species to adsorb: one atom of any element, or a rigid molecule whose first atom binds.
struct AdsorbateSpecies {
    std::string name;                // "O", "CO", "H2O", ...
    std::vector<FragmentAtom> atoms; // atoms[0] is the bound atom, at offset 0
};

// The species of that name: a molecule of the table (CO, NO, OH, H2O, CH3, NH3; letter case
// matters, so Co is cobalt), else an element symbol; nothing for any other word.
std::optional<AdsorbateSpecies> findAdsorbateSpecies(std::string_view name);

// The molecules findAdsorbateSpecies knows, for messages: "CO, NO, OH, H2O, CH3, NH3".
std::string moleculeNames();

// One item of an adsorbate list: a species at a site, the site as typed.
struct AdsorbateItem {
    AdsorbateSpecies species;
    std::string site; // "fcc", "top", "short-bridge", "4-fold hollow", ...
};

// Reads SPECIES@SITE[,SPECIES@SITE...]. The species must be known; the site is checked against
// a surface later (placeOverlayer). A refusal is one line, "adsorbate \"<text>\": <what>", naming
// the bad item.
platform::Result<std::vector<AdsorbateItem>> parseAdsorbates(std::string_view text);

// The item as written back: "O@fcc".
std::string itemText(const AdsorbateItem& item);

// Whether a site name as typed names site: its label (blanks, '-' and '_' alike, letter case
// ignored: "short-bridge", "4-fold-hollow", "top-Ti"), its label without " hollow" ("4-fold"), or
// its kind: "top", "bridge" (every bridge), "hollow" (every hollow, fcc and hcp among them), "fcc",
// "hcp".
bool siteNamed(std::string_view name, const Site& site);

// What the user asks for: the items, the overlayer cell on the substrate's primitive cell, and a
// height for every bound atom instead of the covalent one.
struct OverlayerRequest {
    std::vector<AdsorbateItem> items;
    Superstructure coverage{IntMatrix2{}}; // p(1x1) unless told
    std::optional<double> height;          // Angstrom above the top plane's atoms
};

// The largest height accepted, Angstrom.
inline constexpr double MaxAdsorbateHeight = 100.0;

// An item placed on its site in one overlayer cell.
struct PlacedAdsorbate {
    AdsorbateItem item;
    Site site;      // the site chosen, as findSites gives it
    Position bound; // the bound atom in the cell's frame: x, y near the origin, z its height above the top plane
};

// The overlayer on one surface cell, every item placed.
struct Overlayer {
    IntMatrix2 matrix;    // the overlayer cell on the primitive cell (rows a', b')
    std::string coverage; // as given: Wood notation, or the matrix as "[M11 M12; M21 M22]"
    // The primitive cell's vectors in the frame of the cell the overlayer was placed on, and that
    // cell's vectors as integer combinations of them (rows; the identity for the primitive cell).
    Position primitiveA, primitiveB;
    IntMatrix2 cellInPrimitive;
    // The fewest repeats of the cell along its a and b that hold whole overlayer cells.
    int repeatA = 1, repeatB = 1;
    std::vector<PlacedAdsorbate> adsorbates;

    // Adsorbates of each item per primitive substrate cell: 1 / |det matrix|.
    double perSubstrateCell() const;
};

// Places request's items on cell (spec's surface, primitive or rectangular). Refused with one line
// when the coverage is no superlattice of the substrate, a site is not on this surface (the names
// of its sites given), an element has no covalent radius and no height is given, the height is
// out of range, or two items take one site.
platform::Result<Overlayer> placeOverlayer(const SurfaceSpec& spec, const SurfaceCell& cell,
                                           const OverlayerRequest& request);

// The same for a request that may be absent: no overlayer without one.
platform::Result<std::optional<Overlayer>> placeRequestedOverlayer(const SurfaceSpec& spec, const SurfaceCell& cell,
                                                                   const std::optional<OverlayerRequest>& request);

// The smallest repeats of the cell, multiples of repeatA and repeatB (each at least 1), that hold
// whole overlayer cells: each the least common multiple with the overlayer's own.
std::pair<int64_t, int64_t> overlayerRepeats(const Overlayer& overlayer, int repeatA, int repeatB);

// Adds the overlayer's atoms to slab, built by buildSlab from the overlayer's cell with repeats
// that overlayerRepeats allows: every overlayer lattice point in the slab's cell gets each item,
// its atoms with plane -1 (new elements appended to slab.elements), the bound atom wrapped into
// the cell in plane and a molecule's other atoms kept beside it; c grows by the overlayer's height so that the vacuum above the adsorbates stays.
// An error when the slab's cell does not hold whole overlayer cells.
platform::Status addOverlayer(PeriodicSlab& slab, const Overlayer& overlayer);

// The overlayer as captions and file titles write it: "O@fcc, H@hcp p(2x2)".
std::string overlayerCaption(const Overlayer& overlayer);

// The options of a slab that holds whole overlayer cells: options' repeats grown to the fewest
// that do (overlayerRepeats). An error, worded for --size, when they grow beyond the slab's limits.
platform::Result<SlabOptions> overlayerSlabOptions(const Overlayer& overlayer, SlabOptions options);

// The report's JSON object (formatReportJson, ending in "}\n") with the overlayer
// (formatOverlayerJson) as its last member, "overlayer".
std::string withOverlayerJson(std::string reportJson, const Overlayer& overlayer);

// The overlayer as lines of the surface report (label in 17 columns, within 50): its cell, and
// each item's site, height and adsorbates per substrate cell.
std::string formatOverlayerText(const Overlayer& overlayer);

// The overlayer as a JSON object: {"coverage", "matrix" [[M11, M12], [M21, M22]], "cells" (substrate
// cells per overlayer cell), "adsorbates": [{"species", "site" (as typed), "label" (the site's),
// "height" (Angstrom), "per_cell" (per substrate cell), "atoms": [{"element", "position"}]}]}, the
// atoms of one overlayer cell in the cell's frame, z above the top plane.
std::string formatOverlayerJson(const Overlayer& overlayer);

} // namespace crystal
