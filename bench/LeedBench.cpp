// The LEED pattern and its picture: beams of a clean and a reconstructed surface, the layout
// with its label placement, and the painted PNG.
#include "crystal/Leed.h"
#include "figure/LeedPicture.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

constexpr double A = 2.556;
const crystal::Position HexA{A, 0, 0}, HexB{-A / 2, A*std::sqrt(3.0) / 2, 0};
const crystal::Position SquareA{A, 0, 0}, SquareB{0, A, 0};

crystal::LeedPattern make(crystal::Position a, crystal::Position b, double energy, std::optional<crystal::IntMatrix2> m)
{
    return *crystal::leedPattern(a, b, energy, {m, crystal::LeedDomains::All});
}

void cleanHexagonal100eV(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(make(HexA, HexB, 100, std::nullopt));
}
BENCHMARK(cleanHexagonal100eV);

// 413 beams of two domains.
void p2x1Domains1000eV(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(make(SquareA, SquareB, 1000, crystal::IntMatrix2{2, 0, 0, 1}));
}
BENCHMARK(p2x1Domains1000eV);

// 413 beams, near the most that get labels: every label tried against every disc.
void layoutP2x1Domains1000eV(benchmark::State& state)
{
    const auto p = make(SquareA, SquareB, 1000, crystal::IntMatrix2{2, 0, 0, 1});
    for (auto _ : state)
        benchmark::DoNotOptimize(figure::layoutLeedPicture(p, 600, 600, "Cu (1 0 0)  p(2x1)"));
}
BENCHMARK(layoutP2x1Domains1000eV);

void pngRoot3At100eV(benchmark::State& state)
{
    const auto p = make(HexA, HexB, 100, crystal::IntMatrix2{2, 1, -1, 1});
    const auto layout = figure::layoutLeedPicture(p, 600, 600, "Cu (1 1 1)  (√3×√3)R30°");
    for (auto _ : state)
        benchmark::DoNotOptimize(figure::paintLeedPicture(layout, figure::LeedFileFormat::Png));
}
BENCHMARK(pngRoot3At100eV);

} // namespace
