#pragma once
// A periodic slab for simulation codes: N atomic planes of a surface cell, repeated in plane,
// with vacuum above and below.

#include "crystal/SurfaceCell.h"
#include "platform/Result.h"

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace crystal {

// The bottom face of a slab: where the planes counted from the top end, or grown until the
// slab is its own mirror image.
enum class SlabFaces {
    AsCut,
    Symmetric
};

struct SlabOptions {
    int layers = 6;  // atomic planes, at least 1
    int repeatA = 1; // the in-plane cell repeated repeatA x repeatB times, each at least 1
    int repeatB = 1;
    double vacuum = 10.0; // Angstrom on each side, at least 0
};

// How many planes a slab is to hold: layers, or instead the fewest whole planes whose thickness
// (the distance from the top plane to the bottom plane) is at least thickness (Angstrom, above 0
// and at most MaxSlabThickness), never thinner than asked. Symmetric faces add below them the
// fewest planes that make an operation of the bulk turning the normal over map the slab onto
// itself, so that both faces are the same termination.
struct SlabDepth {
    int layers = 6;
    std::optional<double> thickness;
    SlabFaces faces = SlabFaces::AsCut;
};

inline constexpr double MaxSlabThickness = 1.0e5;

struct SlabAtom {
    int species = 0;   // index into PeriodicSlab::elements
    int plane = 0;     // 0 for the top plane, counting down
    Position position; // in the surface frame
};

// The slab: cell vectors a and b in the x-y plane, c along z (perpendicular to the surface);
// atoms plane by plane from the top, inside the cell; the bottom plane at z = vacuum, the top at
// z = c - vacuum. With no vacuum, c is the thickness plus the spacing from the bottom plane to
// the next plane of the stacking, so that the top plane's periodic image does not sit on the
// bottom plane.
struct PeriodicSlab {
    Position a, b, c;
    std::vector<std::string> elements; // the symbol of each species (the cell's)
    std::vector<SlabAtom> atoms;
};

// Checks options: the error names the first bad value ("--layers must be from 1 to 1000", ...).
platform::Status validSlabOptions(const SlabOptions& options);

// The most atoms a slab may hold (the files of larger ones are of no use to anyone).
inline constexpr long long MaxSlabAtoms = 5'000'000;

// The number of atomic planes of the slab of cell that depth asks for (SlabDepth). An error
// when symmetric faces are asked for and no operation of the bulk turns the normal over, or none
// maps any slab of the cell's termination onto itself, or beyond the largest slab.
platform::Result<int> slabPlaneCount(const SurfaceCell& cell, const SlabDepth& depth);

// The thickness of a slab of n >= 1 planes of cell: the top plane's height above the bottom
// plane, Angstrom.
double slabThickness(const SurfaceCell& cell, int planes);

// Whether the slab of the top n planes of cell has the bulk's composition: its atoms of each
// species in the same proportions as the planes of one period.
bool stoichiometric(const SurfaceCell& cell, int planes);

// The operation of the bulk that maps the slab of the top n planes of cell onto itself turning
// the normal over (its turnOverDepths entry), or nothing.
std::optional<double> slabMirror(const SurfaceCell& cell, int planes);

// The number of atoms the slab of cell with options holds.
long long slabAtomCount(const SurfaceCell& cell, const SlabOptions& options);

// Checks that the slab of cell with options stays within MaxSlabAtoms; the error says so.
platform::Status validSlabSize(const SurfaceCell& cell, const SlabOptions& options);

// Builds the slab of options.layers planes of cell (options already checked).
PeriodicSlab buildSlab(const SurfaceCell& cell, const SlabOptions& options);

// The slab's cell vectors a, b, c, as buildSlab makes them.
std::array<Position, 3> slabCell(const SurfaceCell& cell, const SlabOptions& options);

// Hands each atom of the slab to visit, in buildSlab's order, keeping none: for a caller that
// writes them into arrays of its own (slabAtomCount of them) without a copy in between.
void visitSlabAtoms(const SurfaceCell& cell, const SlabOptions& options,
                    const std::function<void(const SlabAtom&)>& visit);

} // namespace crystal
