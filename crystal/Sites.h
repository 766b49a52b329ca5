#pragma once
// Adsorption sites of a surface, found by geometry from its top atomic plane and reduced by the
// surface's point group (crystal/SurfaceSymmetry.h). They depend on the surface cell alone, so
// vacuum, slab thickness and the in-plane repeat of a slab never change them.
//
// The hollows are the vertices of the Voronoi diagram of the top plane's atoms (the centres of
// the empty circles through three or more of them); the fold is the number of atoms on that
// circle. The bridges are the midpoints of the Delaunay edges (pairs of atoms on one empty
// circle) that are not themselves hollows, so the diagonal of a square (the 4-fold hollow of
// FCC and BCC (1 0 0)) is never a bridge. Where bridges of two lengths exist they are the short
// and the long bridge. A 3-fold hollow is fcc (no atom of the second plane directly below) or hcp
// (one directly below) when the surface has both kinds; otherwise it is a "3-fold hollow".

#include "crystal/SurfaceCell.h"
#include "crystal/Leed.h"
#include "platform/Result.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace crystal {

enum class SiteKind {
    Top,
    Bridge,
    Hollow, // neither fcc nor hcp: a 4-fold hollow, or 3-fold where the two kinds are one
    Fcc,
    Hcp
};

// Its name in files and on the command line: "top", "bridge", "hollow", "fcc", "hcp".
const char* siteKindName(SiteKind kind);

// The surface atoms a site binds, by element.
struct BoundAtoms {
    std::string element;
    int count = 0;
};

struct Site {
    SiteKind kind = SiteKind::Top;
    std::string label;     // "top", "short bridge", "long bridge", "bridge", "fcc", "hcp", "4-fold hollow", ...
    int fold = 1;          // surface atoms bound: 1 top, 2 bridge, 3 or 4 (or more) hollow
    Fractional position;   // in the surface cell, the representative of the class in [0, 1)
    Position inPlane;      // the same point, Angstrom, in the surface frame, z = 0 (the top plane)
    double distance = 0.0; // in-plane distance to each bound atom, Angstrom
    std::vector<BoundAtoms> bound;
    int multiplicity = 1; // equivalent sites per surface cell
};

// The covalent radius of an element, Angstrom: the single-bond radii of B. Cordero et al.,
// "Covalent radii revisited", Dalton Trans. (2008) 2832 (carbon sp3, iron, manganese and cobalt
// low spin). Nothing for an element the table lacks.
std::optional<double> covalentRadius(std::string_view symbol);

// The height above the top plane at which an atom of the element, bound at site, is its covalent
// bond length (the sum of the radii, the bound atoms' radius their mean) from each bound atom;
// nothing when a radius is unknown. Where the bond is shorter than the in-plane distance the
// atom sits in the plane (height 0).
std::optional<double> bondHeight(const Site& site, std::string_view element);

// The sites of cell, one per class of sites equivalent under operations (the surface's point
// group acting on a and b, as surfacePointGroup gives it; the translation that goes with each is
// found from the atoms): tops first, then bridges from short to long, then hollows by
// decreasing fold, fcc before hcp.
std::vector<Site> findSites(const SurfaceCell& cell, const std::vector<IntMatrix2>& operations);

// The sites of spec's surface on cell (surfaceCell of spec); an error when its point group
// cannot be found.
platform::Result<std::vector<Site>> findSites(const SurfaceSpec& spec, const SurfaceCell& cell);

} // namespace crystal
