#pragma once
// The conventions of the real crystals, for every file of crystal/ and their callers.
//
// Units. Lengths in Angstrom, reciprocal vectors in 1/Angstrom (areas Angstrom^2), energies in
// eV, angles in degrees wherever they are given or printed (radians only inside a computation).
// Values are double; where indices meet, the arithmetic is exact in 64-bit integers. The types
// of crystal/Vectors.h carry the unit: Position, ReciprocalVector, AreaVector, UnitVector,
// Fractional, Miller, LatticeDirection.
//
// Frames. All are right-handed unless said otherwise.
// - The crystal frame: the Cartesian frame of the lattice's conventional vectors scaled to the
//   material (latticeVectors()): cube edges along x, y, z; HCP a1 = a (sqrt3/2, -1/2, 0),
//   a2 = a (0, 1, 0), c along z. Miller indices and direction indices refer to these vectors.
//   A bulk crystal read from a file keeps the file's frame (from cell parameters: a along x, b in
//   the x-y plane); its sites' fractional coordinates run along its a, b, c.
// - The surface frame, which slabs, sites, coordination, figures and LEED work in: x along the
//   cell vector a, z the outward normal of the plane as given (so (1 1 1) and (-1 -1 -1) are
//   opposite faces), y = z x x. The 2D cell a, b lies in z = 0 with a x b along +z; the top
//   atomic plane is at depth 0, deeper planes negative.
// - The drawn frame (geometry/, single precision): rows e1, e2, e3 in the crystal frame, e3 the
//   outward normal. The drawn slab stores frameX = -(e1 . r), frameY = e2 . r, frameZ = e3 . r:
//   its x axis is -e1, and geometry::frameComponents gives the e1 component back.
//
// Matrices. A std::array of vectors is a matrix by rows: latticeVectors() rows a1, a2, a3;
// SurfaceCell::orientation rows are the surface frame's x, y, z in the crystal frame, so a
// crystal-frame vector's surface components are its dot products with the rows, and the way
// back is the transpose (r = x o[0] + y o[1] + z o[2]). An IntMatrix2's rows are vectors in the
// substrate's basis (m11 a + m12 b, m21 a + m22 b): a superstructure's cell vectors, or the
// images of a and b under a point-group operation (crystal/Leed.h).
//
// Reciprocal vectors. A plane normal h b1 + k b2 + l b3 uses the basis with a_i . b_j = 1 for
// i = j (no 2 pi; |G| is 1 / spacing of the lattice planes); LEED's a*, b* carry 2 pi
// (a . a* = 2 pi), as diffraction vectors do.
//
// Tolerances. Comparisons of computed quantities use these, by what they compare; the limits on
// what a file or a user gives (a cell's least volume, an occupancy of 1) stay where they are
// checked.

namespace crystal {

// Relative: the rounding of a double computation, far below any real difference. A Gauss
// reduction step must shorten a vector by more than this; a beam at |g| = k (grazing exit) still
// propagates; components smaller than this part of |a*| print as 0; a symmetry operation's
// translation this near a whole number of cells is that number.
inline constexpr double RoundingTolerance = 1e-12;

// Relative, or in fractions of a cell vector: quantities that the lattice's integer arithmetic
// makes exact but that are computed in double (equal lengths and right angles of a lattice's
// cell, a fraction on a cell edge, beams of one shell, a whole number of terrace rows, the
// dipole of charges that cancel).
inline constexpr double ExactTolerance = 1e-9;

// Relative: lengths, squared lengths and angles of a 2D lattice built from given constants
// count as equal within this part (the 2D lattice type, its point group, the lengths of a Wood
// cell, the report's rhombic cell, the neighbour shell of HCP without a gap above it).
inline constexpr double ShapeTolerance = 1e-6;

// Angstrom: distances and plane spacings that differ by less are equal; an atom this close to a
// site is the site itself.
inline constexpr double LengthTolerance = 1e-6;

// Angstrom: atoms whose heights differ by less lie in one atomic plane.
inline constexpr double PlaneHeightTolerance = 1e-5;

// Fractions of a cell vector: a computed offset that the lattice makes whole (an in-plane offset
// summed over stacking periods; sixths of the symmetry search's change of cell) is whole when
// each of its coordinates is within this of a whole number.
inline constexpr double RegistryTolerance = 1e-6;

// Radians: the least tolerance on a Wood notation's rotation (the written angle's own is half a
// unit of its last digit; with no angle written, the cell may turn by no more than this).
inline constexpr double AngleTolerance = 1e-6;

// Degrees: a rotation angle this little below 0 is 0, not nearly 360.
inline constexpr double AngleToleranceDegrees = 1e-6;

} // namespace crystal
