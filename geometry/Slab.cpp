#include "geometry/Slab.h"

namespace geometry {

int cellsPerEdge(LatticeCode code) { return code == LatticeCode::Bcc || code == LatticeCode::Fcc ? 21 : 26; }

void fillSlab(LatticeCode code, const LatticeDefinition& lattice, const SurfaceFrame& frame, AtomTable& atoms,
              ProgressOutput& progress)
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

    // Every value below is formed by the same single-precision operations in the same order as
    // position = basis * 32 + cell * 32 - half * 32, u = p1 a1 + p2 a2 + p3 a3, w = e . u:
    // products and partial sums that do not change in the inner loops are formed once, and the
    // depth is tested before the in-plane components are formed.
    float cellTerm[27];
    for (int i = 1; i <= n; ++i)
        cellTerm[i] = float(i) * CellLength;
    const float halfTerm = float(half) * CellLength;
    float basisTerm[MaxBasis][3];
    for (int b = 0; b < basisCount; ++b)
        for (int j = 0; j < 3; ++j)
            basisTerm[b][j] = lattice.basis[b][j] * CellLength;

    // p2 a3 per cell row, basis atom and component: the same for every i1 and i2.
    float third[27][MaxBasis][3];
    for (int i3 = 1; i3 <= n; ++i3)
        for (int b = 0; b < basisCount; ++b) {
            const float p2 = (basisTerm[b][2] + cellTerm[i3]) - halfTerm;
            for (int j = 0; j < 3; ++j)
                third[i3][b][j] = p2 * a[2][j];
        }

    for (int i1 = 1; i1 <= n; ++i1) {
        for (int i2 = 1; i2 <= n; ++i2) {
            progress.writeText(".");
            // p1 a1 + p2 a2 per basis atom and component.
            float partial[MaxBasis][3];
            for (int b = 0; b < basisCount; ++b) {
                const float p0 = (basisTerm[b][0] + cellTerm[i1]) - halfTerm;
                const float p1 = (basisTerm[b][1] + cellTerm[i2]) - halfTerm;
                for (int j = 0; j < 3; ++j)
                    partial[b][j] = p0 * a[0][j] + p1 * a[1][j];
            }
            for (int i3 = 1; i3 <= n; ++i3) {
                for (int b = 0; b < basisCount; ++b) {
                    if (atoms.count == AtomTable::Capacity)
                        return;
                    float u[3];
                    for (int j = 0; j < 3; ++j)
                        u[j] = partial[b][j] + third[i3][b][j];
                    const float depth = e[2][0] * u[0] + e[2][1] * u[1] + e[2][2] * u[2];
                    if (!(lattice.depthLow < depth && depth < lattice.depthHigh))
                        continue;
                    const float w0 = e[0][0] * u[0] + e[0][1] * u[1] + e[0][2] * u[2];
                    const float w1 = e[1][0] * u[0] + e[1][1] * u[1] + e[1][2] * u[2];

                    const int k = ++atoms.count;
                    atoms.drawOrder[k] = k;
                    atoms.frameX[k] = atoms.viewX[k] = -w0 * scale;
                    atoms.frameY[k] = atoms.viewY[k] = w1 * scale;
                    atoms.frameZ[k] = atoms.viewZ[k] = depth * scale;
                    atoms.species[k] = b >= 4 ? 1 : 0;
                }
            }
        }
    }
}

void generateSlab(LatticeCode code, const MillerIndices& miller, const LatticeDefinition& lattice, SurfaceFrame& frame,
                  AtomTable& atoms, ProgressOutput& progress)
{
    frame = orientSurface(miller, lattice);
    fillSlab(code, lattice, frame, atoms, progress);
}

} // namespace geometry
