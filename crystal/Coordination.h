#pragma once
// Coordination numbers at a surface: the nearest neighbours (the cell's NeighbourRule) an atom
// keeps in the semi-infinite crystal, whose atoms fill the planes of the stacking from the top
// plane down and none above it.

#include "crystal/Slab.h"
#include "crystal/SurfaceCell.h"

#include <vector>

namespace crystal {

// The position of atom i of atomic plane p (0 the top plane, counting down through as many
// stacking periods as p needs) in the surface frame, Angstrom: u a + v b, z the plane's depth
// (0 for the top plane), plus the period vector once per period below the first.
Position planeAtomPosition(const SurfaceCell& cell, int plane, int atom);

// The atoms of the semi-infinite crystal that are neighbours of an atom of the species at site,
// a point in the surface frame (the frame of planeAtomPosition), not counting an atom at the
// site itself.
int siteCoordination(const SurfaceCell& cell, int species, Position site);

// The coordination number of each atom of atomic plane p (0 the top plane), in the order of
// that plane's atoms in the cell.
std::vector<int> planeCoordination(const SurfaceCell& cell, int plane);

// The coordination number of each atom of slab, in the order of slab.atoms, with the slab taken
// as the top of the semi-infinite crystal of cell (the cell slab was built from, primitive or
// orthogonal): the top plane loses its neighbours above, the bottom plane keeps those below.
std::vector<int> slabCoordination(const PeriodicSlab& slab, const SurfaceCell& cell);

} // namespace crystal
