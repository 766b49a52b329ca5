#pragma once
// Adsorption sites of a surface, found by geometry from its exposed atoms and reduced by the
// surface's point group (crystal/SurfaceSymmetry.h). They depend on the surface cell alone, so
// vacuum, slab thickness and the in-plane repeat of a slab never change them.
//
// The exposed atoms are those a probe can touch from above: the probe is a ball whose radius R
// is the crystal's shortest interatomic distance (an adatom of the crystal's own size), and an
// atom is exposed when that ball can rest against it from some direction of the upper half
// space (tried in steps of 5 degrees) keeping more than R (by 1 percent) from every other atom.
// The top plane is always exposed. On flat low-index surfaces nothing else is: the second plane
// of FCC (1 1 0) lies exactly R from the probe in the 4-fold hollow, not beyond it, so it stays
// the floor of that hollow. On open surfaces atoms of several planes are (BCC (1 1 1),
// FCC (2 1 1), the five rows of a Pt (5 5 3) terrace, the five-fold Ti and in-plane O of
// TiO2 (1 1 0) beside its bridging O rows). The probe reaches at most 2 R below the top plane.
//
// When the top plane alone is exposed the sites are found in its plane. The hollows are the
// vertices of the Voronoi diagram of the top plane's atoms (the centres of the empty circles
// through three or more of them); the fold is the number of atoms on that circle. The bridges
// are the midpoints of the Delaunay edges (pairs of atoms on one empty circle) that are not
// themselves hollows, so the diagonal of a square (the 4-fold hollow of FCC and BCC (1 0 0)) is
// never a bridge. Where bridges of two lengths exist they are the short and the long bridge. A
// 3-fold hollow is fcc (no atom of the second plane directly below) or hcp (one directly below)
// when the surface has both kinds; otherwise it is a "3-fold hollow".
//
// When atoms of lower planes are exposed, the sites are the resting points of the probe ball on
// them (in one plane these are the points above): a top rests on one atom, directly above it
// (an exposed atom that the ball touches only from the side, like the inner corner of a step,
// has none); a bridge on two, at the highest point where it touches both; a hollow on three or
// more, where it touches them all. No atom, exposed or not, is nearer the ball's centre than R.
// Each site's bound atoms are the exposed atoms the ball touches there, at equal distance R in
// three dimensions. A 3-fold hollow is hcp when an atom on the far side of its triangle is a
// nearest neighbour of its three atoms (the tetrahedral hole), fcc when not (the octahedral
// one), again when both kinds exist: the triangle's own normal decides the side, so the hollows
// of a tilted terrace are told apart. Tops of lower planes are numbered ("top 2") or, where the
// tops' elements differ, named by element. Bridges are short or long by the distance between
// their two atoms.
//
// On a stepped surface (an FCC or BCC plane with a step notation, crystal/StepNotation.h) the top
// plane is the outermost row of the step edge: a site that binds one of its atoms is that site's
// step variant, labelled "step top", "step bridge", "step fcc", ... (Site::step).

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
    double distance = 0.0; // in-plane distance to each bound atom (the farthest one), Angstrom
    std::vector<BoundAtoms> bound;
    int multiplicity = 1;          // equivalent sites per surface cell
    std::vector<Fractional> orbit; // all of them, position first
    bool step = false;             // binds an atom of the step edge of a stepped surface
    // The bound atoms relative to inPlane, Angstrom: x and y their in-plane offsets, z their
    // height relative to the top plane (0 there, negative below).
    std::vector<Position> contacts;
};

// Whether a surface has steps whose edge the sites name.
enum class StepEdges {
    None,
    TopPlane // the top plane is the outermost row of the step edges
};

// The covalent radius of an element, Angstrom: the single-bond radii of B. Cordero et al.,
// "Covalent radii revisited", Dalton Trans. (2008) 2832 (carbon sp3, iron, manganese and cobalt
// low spin). Nothing for an element the table lacks.
std::optional<double> covalentRadius(std::string_view symbol);

// The height above the top plane at which an atom of the element, bound at site, is its covalent
// bond length (the sum of the radii, the bound atoms' radius their mean) from each bound atom in
// the top plane, and no nearer than that to a bound atom below it (the height at which the
// nearest of them is at the bond length); nothing when a radius is unknown. Where the bond is
// shorter than the in-plane distance to an atom, that atom holds the height at its own.
std::optional<double> bondHeight(const Site& site, std::string_view element);

// The sites of cell, one per class of sites equivalent under operations (the surface's point
// group acting on a and b, as surfacePointGroup gives it; the translation that goes with each is
// found from the atoms): tops first, then bridges from short to long, then hollows by
// decreasing fold, fcc before hcp.
std::vector<Site> findSites(const SurfaceCell& cell, const std::vector<IntMatrix2>& operations,
                            StepEdges steps = StepEdges::None);

// The sites of spec's surface on cell (surfaceCell of spec), with step variants where the plane
// has a step notation; an error when its point group cannot be found.
platform::Result<std::vector<Site>> findSites(const SurfaceSpec& spec, const SurfaceCell& cell);

} // namespace crystal
