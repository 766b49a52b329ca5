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
    float offset = 0.0f;
    switch (code) {
    case LatticeCode::Bcc:
        setVectors(l, {0.816f, 0.0f, 0.0f}, {0.0f, 0.816f, 0.0f}, {0.0f, 0.0f, 0.816f});
        l.basis[0] = {0.0f, 0.0f, 0.0f};
        l.basis[1] = {0.5f, 0.5f, 0.5f};
        l.basisCount = 2;
        l.displayScale = 1.4f;
        offset = -12.0f;
        l.depthHigh = 1.0f;
        break;
    case LatticeCode::Fcc:
    case LatticeCode::ZincBlendeA:
    case LatticeCode::ZincBlendeB:
        setVectors(l, {1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f});
        setFccBasis(l);
        l.displayScale = std::sqrt(2.0f);
        offset = -10.0f;
        if (code == LatticeCode::Fcc) {
            l.basisCount = 4;
            l.depthHigh = 0.1f;
        } else {
            // The second species sits a quarter of the cube diagonal from the first.
            l.basisCount = 8;
            for (int b = 0; b < 4; ++b)
                for (int j = 0; j < 3; ++j)
                    l.basis[b + 4][j] = l.basis[b][j] + 0.25f;
            l.displayScale = 2.0f;
            l.depthHigh = code == LatticeCode::ZincBlendeA ? 1.0f : -1.0f;
        }
        break;
    case LatticeCode::HcpA:
    case LatticeCode::HcpB:
        setVectors(l, {0.8660254f, -0.5f, 0.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.6329932f});
        l.basis[0] = {0.0f, 0.0f, 0.0f};
        l.basis[1] = {0.666667f, 0.3333333f, 0.5f};
        l.basisCount = 2;
        l.displayScale = 1.0f;
        offset = -12.0f;
        l.depthHigh = code == LatticeCode::HcpA ? -1.0f : 1.0f;
        break;
    }
    l.depthLow = offset - 40.0f;
}

} // namespace geometry
