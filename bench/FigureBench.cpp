// Publication figures: a 9600-atom slab (Pt (1 1 1), 40 x 40 cells, 6 planes) as SVG, PDF and a
// 2400-pixel PNG, from the surface to the file's bytes.

#include "figure/Figure.h"

#include "crystal/Material.h"

#include <benchmark/benchmark.h>

namespace {

void figureOfPt111(benchmark::State& state, figure::FigureFormat format, double tilt = 0.0)
{
    const crystal::SurfaceSpec spec{*crystal::findMaterial("Pt"), {1, 1, 1}, crystal::Termination::None};
    figure::FigureOptions options;
    options.repeatA = options.repeatB = 40;
    options.layers = 6;
    options.width = 2400;
    options.cell = options.axes = true;
    options.tilt = tilt;
    size_t bytes = 0;
    for (auto _ : state) {
        const auto file = figure::makeFigure(spec, options, format);
        if (!file) {
            state.SkipWithError(file.error().message.c_str());
            break;
        }
        bytes = file->size();
        benchmark::DoNotOptimize(file->data());
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}

void BM_FigureSvg(benchmark::State& state) { figureOfPt111(state, figure::FigureFormat::Svg); }
void BM_FigurePdf(benchmark::State& state) { figureOfPt111(state, figure::FigureFormat::Pdf); }
void BM_FigurePng(benchmark::State& state) { figureOfPt111(state, figure::FigureFormat::Png); }
// Tilted, no atom lies exactly behind another: all 9600 are painted.
void BM_FigureSvgTilted(benchmark::State& state) { figureOfPt111(state, figure::FigureFormat::Svg, 30.0); }
void BM_FigurePdfTilted(benchmark::State& state) { figureOfPt111(state, figure::FigureFormat::Pdf, 30.0); }
void BM_FigurePngTilted(benchmark::State& state) { figureOfPt111(state, figure::FigureFormat::Png, 30.0); }

// The scene alone: slab, projection, depth order, hidden atoms.
void BM_FigureScene(benchmark::State& state)
{
    const crystal::SurfaceSpec spec{*crystal::findMaterial("Pt"), {1, 1, 1}, crystal::Termination::None};
    figure::FigureOptions options;
    options.repeatA = options.repeatB = 40;
    options.layers = 6;
    for (auto _ : state)
        benchmark::DoNotOptimize(figure::buildFigureScene(spec, options));
}

} // namespace

BENCHMARK(BM_FigureSvg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FigurePdf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FigurePng)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FigureSvgTilted)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FigurePdfTilted)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FigurePngTilted)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FigureScene)->Unit(benchmark::kMillisecond);
