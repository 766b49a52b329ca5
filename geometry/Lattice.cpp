#include "geometry/Lattice.h"

#include <cmath>

namespace geometry {

LatticeKind latticeKind(LatticeCode code)
{
    switch (code) {
    case LatticeCode::Bcc: return LatticeKind::Bcc;
    case LatticeCode::Fcc: return LatticeKind::Fcc;
    case LatticeCode::HcpA:
    case LatticeCode::HcpB: return LatticeKind::Hcp;
    case LatticeCode::ZincBlendeA:
    case LatticeCode::ZincBlendeB: return LatticeKind::ZincBlende;
    }
    return LatticeKind::Fcc;
}

Termination termination(LatticeCode code)
{
    switch (code) {
    case LatticeCode::HcpA:
    case LatticeCode::ZincBlendeA: return Termination::A;
    case LatticeCode::HcpB:
    case LatticeCode::ZincBlendeB: return Termination::B;
    default: return Termination::None;
    }
}

std::optional<LatticeCode> latticeCodeFor(LatticeKind kind, Termination term)
{
    switch (kind) {
    case LatticeKind::Bcc: return term == Termination::None ? std::optional(LatticeCode::Bcc) : std::nullopt;
    case LatticeKind::Fcc: return term == Termination::None ? std::optional(LatticeCode::Fcc) : std::nullopt;
    case LatticeKind::Hcp:
        if (term == Termination::None)
            return std::nullopt;
        return term == Termination::A ? LatticeCode::HcpA : LatticeCode::HcpB;
    case LatticeKind::ZincBlende:
        if (term == Termination::None)
            return std::nullopt;
        return term == Termination::A ? LatticeCode::ZincBlendeA : LatticeCode::ZincBlendeB;
    }
    return std::nullopt;
}

std::string_view latticeName(LatticeKind kind)
{
    switch (kind) {
    case LatticeKind::Bcc: return "bcc";
    case LatticeKind::Fcc: return "fcc";
    case LatticeKind::Hcp: return "hcp";
    case LatticeKind::ZincBlende: return "zincblende";
    }
    return "";
}

std::optional<LatticeKind> parseLatticeName(std::string_view name)
{
    for (LatticeKind k : {LatticeKind::Bcc, LatticeKind::Fcc, LatticeKind::Hcp, LatticeKind::ZincBlende})
        if (latticeName(k) == name)
            return k;
    return std::nullopt;
}

DepthWindow depthWindow(LatticeCode code)
{
    // The window starts 40 units below an offset of the lattice's own and ends just above
    // (or, for the other termination, just below) the top plane through the origin.
    constexpr double Depth = 40.0;
    switch (code) {
    case LatticeCode::Bcc: return {-12.0 - Depth, 1.0};
    case LatticeCode::Fcc: return {-10.0 - Depth, 0.1};
    case LatticeCode::HcpA: return {-12.0 - Depth, -1.0};
    case LatticeCode::HcpB: return {-12.0 - Depth, 1.0};
    case LatticeCode::ZincBlendeA: return {-10.0 - Depth, 1.0};
    case LatticeCode::ZincBlendeB: return {-10.0 - Depth, -1.0};
    }
    return {};
}

std::array<double, 3> angstromPerLatticeUnit(LatticeKind kind, double a, double c)
{
    switch (kind) {
    case LatticeKind::Bcc: {
        const double s = a / double(DrawnBccCubeEdge);
        return {s, s, s};
    }
    case LatticeKind::Hcp: return {a, a, c / double(DrawnHcpC)};
    case LatticeKind::Fcc:
    case LatticeKind::ZincBlende: break;
    }
    return {a, a, a};
}

namespace {

void setVectors(LatticeDefinition& l, std::array<float, 3> a1, std::array<float, 3> a2, std::array<float, 3> a3)
{
    l.latticeVectors = {a1, a2, a3};
}

void setFccBasis(LatticeDefinition& l)
{
    l.basis[0] = {0.0f, 0.0f, 0.0f};
    l.basis[1] = {0.0f, 0.5f, 0.5f};
    l.basis[2] = {0.5f, 0.0f, 0.5f};
    l.basis[3] = {0.5f, 0.5f, 0.0f};
}

} // namespace

void selectLattice(LatticeCode code, LatticeDefinition& l)
{
    switch (code) {
    case LatticeCode::Bcc:
        setVectors(l, {DrawnBccCubeEdge, 0.0f, 0.0f}, {0.0f, DrawnBccCubeEdge, 0.0f}, {0.0f, 0.0f, DrawnBccCubeEdge});
        l.basis[0] = {0.0f, 0.0f, 0.0f};
        l.basis[1] = {0.5f, 0.5f, 0.5f};
        l.basisCount = 2;
        l.displayScale = 1.4f;
        break;
    case LatticeCode::Fcc:
    case LatticeCode::ZincBlendeA:
    case LatticeCode::ZincBlendeB:
        setVectors(l, {1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f});
        setFccBasis(l);
        l.displayScale = std::sqrt(2.0f);
        if (code == LatticeCode::Fcc) {
            l.basisCount = 4;
        } else {
            // The second species sits a quarter of the cube diagonal from the first.
            l.basisCount = 8;
            for (int b = 0; b < 4; ++b)
                for (int j = 0; j < 3; ++j)
                    l.basis[b + 4][j] = l.basis[b][j] + 0.25f;
            l.displayScale = 2.0f;
        }
        break;
    case LatticeCode::HcpA:
    case LatticeCode::HcpB:
        setVectors(l, {0.8660254f, -0.5f, 0.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, DrawnHcpC});
        l.basis[0] = {0.0f, 0.0f, 0.0f};
        l.basis[1] = {0.666667f, 0.3333333f, 0.5f};
        l.basisCount = 2;
        l.displayScale = 1.0f;
        break;
    }
    const DepthWindow window = depthWindow(code);
    l.depthLow = float(window.low);
    l.depthHigh = float(window.high);
}

} // namespace geometry
