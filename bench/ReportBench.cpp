// The surface report and the coordination of slab atoms, as the report command and the figure
// colouring run them.

#include "crystal/Coordination.h"
#include "crystal/Report.h"

#include <benchmark/benchmark.h>

namespace {

crystal::SurfaceSpec spec(const char* material, crystal::Miller hkl)
{
    return {*crystal::findMaterial(material), hkl, crystal::Termination::None};
}

void reportOf(benchmark::State& state, crystal::SurfaceSpec s)
{
    for (auto _ : state) {
        auto r = crystal::surfaceReport(s);
        benchmark::DoNotOptimize(r);
        benchmark::DoNotOptimize(crystal::formatReportText(*r));
    }
}
BENCHMARK_CAPTURE(reportOf, Cu111, spec("Cu", {1, 1, 1}))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(reportOf, Pt755, spec("Pt", {7, 5, 5}))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(reportOf, Cu_999_997_995, spec("Cu", {999, 997, 995}))->Unit(benchmark::kMillisecond);

// A 7-plane Pt (7 5 5) slab repeated 4 x 4: 112 atoms.
void slabCoordinationPt755(benchmark::State& state)
{
    const auto s = spec("Pt", {7, 5, 5});
    const auto cell = crystal::surfaceCell(s, crystal::InPlaneCell::Primitive);
    const auto slab = crystal::buildSlab(*cell, {7, 4, 4, 10.0});
    for (auto _ : state)
        benchmark::DoNotOptimize(crystal::slabCoordination(slab, *cell));
}
BENCHMARK(slabCoordinationPt755)->Unit(benchmark::kMicrosecond);

} // namespace
