#include "geometry/Slab.h"

#include "runtime/Runtime.h"

namespace geometry {

int cellsPerEdge(LatticeCode code)
{
    return code == LatticeCode::Bcc || code == LatticeCode::Fcc ? 21 : 26;
}

void fillSlab(LatticeCode code, const LatticeDefinition& lattice, const SurfaceFrame& frame,
              AtomTable& atoms, ProgressOutput& progress)
{
    atoms.count = 0;
    if (!frame.planeDefined)
        return;

    const int n = cellsPerEdge(code);
    const int half = n / 2;
    const auto& a = lattice.latticeVectors;
    const auto& e = frame.rows;
    const float scale = lattice.displayScale;
    const int basisCount = lattice.basisCount < MaxBasis ? lattice.basisCount : MaxBasis;

    for (int i1 = 1; i1 <= n; ++i1) {
        for (int i2 = 1; i2 <= n; ++i2) {
            progress.writeText(".");
            for (int i3 = 1; i3 <= n; ++i3) {
                const int cell[3] = {i1, i2, i3};
                for (int b = 0; b < basisCount; ++b) {
                    if (atoms.count == AtomTable::Capacity)
                        return;
                    float p[3];
                    for (int j = 0; j < 3; ++j)
                        p[j] = lattice.basis[b][j] * CellLength + float(cell[j]) * CellLength
                               - float(half) * CellLength;
                    float u[3];
                    for (int j = 0; j < 3; ++j)
                        u[j] = p[0] * a[0][j] + p[1] * a[1][j] + p[2] * a[2][j];
                    float w[3];
                    for (int r = 0; r < 3; ++r)
                        w[r] = e[r][0] * u[0] + e[r][1] * u[1] + e[r][2] * u[2];
                    if (!(lattice.depthLow < w[2] && w[2] < lattice.depthHigh))
                        continue;

                    const int k = ++atoms.count;
                    atoms.drawOrder[k] = k;
                    atoms.frameX[k] = atoms.viewX[k] = -w[0] * scale;
                    atoms.frameY[k] = atoms.viewY[k] = w[1] * scale;
                    atoms.frameZ[k] = atoms.viewZ[k] = w[2] * scale;
                    atoms.species[k] = b >= 4 ? 1 : 0;
                }
            }
        }
    }
}

void generateSlab(LatticeCode code, const MillerIndices& miller, const LatticeDefinition& lattice,
                  SurfaceFrame& frame, AtomTable& atoms, rt::Runtime& runtime, ProgressOutput& progress)
{
    atoms.count = 0;
    frame = orientSurface(miller, lattice);
    if (!runtime.openUnit(PositionsUnit, PositionsFile, rt::OpenStatus::Replace, rt::OpenAction::Write,
                          rt::BlankMode::Null))
        return;
    fillSlab(code, lattice, frame, atoms, progress);
}

} // namespace geometry
