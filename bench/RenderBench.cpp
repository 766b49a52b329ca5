// The picture: depth sort, drawing and the view change of the 10000-atom surface.

#include "platform/PngFile.h"
#include "platform/headless/BuiltinGlyphs.h"
#include "geometry/Slab.h"
#include "render/Palette.h"
#include "render/Scene.h"
#include "winrt/WindowCanvas.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace {

struct Surface {
    geometry::LatticeCode code = geometry::LatticeCode::ZincBlendeA;
    geometry::LatticeDefinition lattice;
    geometry::SurfaceFrame frame;
    geometry::AtomTable atoms;
};

// The slab of code (h k l), generated once per benchmark.
Surface& surface(geometry::LatticeCode code, geometry::MillerIndices m)
{
    static Surface s;
    s.code = code;
    geometry::selectLattice(code, s.lattice);
    s.frame = geometry::orientSurface(m, s.lattice);
    geometry::NoProgress none;
    geometry::fillSlab(code, s.lattice, s.frame, s.atoms, none);
    return s;
}

// The application's window canvas on a 1024 x 768 screen: 102 x 42 cells of 10 x 18.
winrt::WindowCanvas& canvas()
{
    static platform::BuiltinGlyphs glyphs;
    static winrt::WindowCanvas c(*winrt::Canvas::create(1020, 756, 256, 10, 18, glyphs));
    static bool palette = (render::installPalette(c), true);
    (void)palette;
    return c;
}

void restoreGenerationOrder(geometry::AtomTable& a)
{
    for (int k = 1; k <= a.count; ++k)
        a.drawOrder[k] = k;
}

void BM_SortByDepth_ZincBlendeA_111(benchmark::State& st)
{
    auto& s = surface(geometry::LatticeCode::ZincBlendeA, {1, 1, 1});
    render::CanvasProgress progress(canvas());
    for (auto _ : st) {
        st.PauseTiming();
        restoreGenerationOrder(s.atoms);
        st.ResumeTiming();
        render::sortByDepth(s.atoms, progress);
    }
}

void BM_DrawScene(benchmark::State& st, geometry::LatticeCode code, geometry::MillerIndices m)
{
    auto& s = surface(code, m);
    render::CanvasProgress progress(canvas());
    render::sortByDepth(s.atoms, progress);
    for (auto _ : st)
        render::drawScene(s.atoms, s.code, canvas());
}

void BM_ApplyViewWithResort_ZincBlendeA_111(benchmark::State& st)
{
    auto& s = surface(geometry::LatticeCode::ZincBlendeA, {1, 1, 1});
    render::CanvasProgress progress(canvas());
    render::ViewState view;
    bool tilted = false;
    for (auto _ : st) {
        // Alternating between 0 and 30 degrees of tilt moves the cosine by 0.134: every call re-sorts.
        tilted = !tilted;
        render::applyView(15.0f, tilted ? 30.0f : 0.0f, s.atoms, view, s.code, canvas(), progress);
    }
}

void BM_ApplyViewRotateOnly_ZincBlendeA_111(benchmark::State& st)
{
    auto& s = surface(geometry::LatticeCode::ZincBlendeA, {1, 1, 1});
    render::CanvasProgress progress(canvas());
    render::ViewState view;
    float rotation = 0.0f;
    for (auto _ : st) {
        rotation += 7.0f;
        render::applyView(rotation, 0.0f, s.atoms, view, s.code, canvas(), progress);
    }
}

// The visible 500 x 450 part of the drawn zinc blende A (1 1 1) picture as a palette PNG.
void BM_EncodePng_ZincBlendeA_111(benchmark::State& st)
{
    auto& s = surface(geometry::LatticeCode::ZincBlendeA, {1, 1, 1});
    render::CanvasProgress progress(canvas());
    render::sortByDepth(s.atoms, progress);
    render::drawScene(s.atoms, s.code, canvas());
    const auto picture = winrt::capturePicture(canvas().canvas(), winrt::Rect{0, 0, 500, 450});
    size_t bytes = 0;
    for (auto _ : st)
        bytes = platform::encodePng(picture).value_or({}).size();
    st.counters["bytes"] = double(bytes);
}

} // namespace

BENCHMARK(BM_SortByDepth_ZincBlendeA_111)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DrawScene, ZincBlendeA_111, geometry::LatticeCode::ZincBlendeA, geometry::MillerIndices{1, 1, 1})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DrawScene, Fcc_111, geometry::LatticeCode::Fcc, geometry::MillerIndices{1, 1, 1})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ApplyViewWithResort_ZincBlendeA_111)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ApplyViewRotateOnly_ZincBlendeA_111)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodePng_ZincBlendeA_111)->Unit(benchmark::kMillisecond);

#include "render/SurfaceWindow.h"
#include "platform/headless/HeadlessPlatform.h"

#include <memory>

namespace {

struct Quiet final : rt::ReportSink {
    void showReport(uint32_t, std::string_view) override {}
};
struct NoEnd final : rt::ProgramEnd {
    void programEnded(int) override {}
    void exitProcess(uint32_t) override {}
};

// The render subcommand's work without the file: title and configuration, lattice, listing,
// slab with dots, clear, sort, drawing, all on the headless window.
void BM_RenderPipeline(benchmark::State& st, geometry::LatticeCode code, geometry::MillerIndices m)
{
    const auto dir = std::filesystem::temp_directory_path() / "facetor-bench";
    std::filesystem::create_directories(dir);
    std::filesystem::current_path(dir);
    platform::HeadlessPlatform screen;
    winrt::WindowRuntime windows(screen);
    Quiet quiet;
    NoEnd end;
    rt::Runtime runtime(platform::systemFileSystem(), quiet, end);
    render::WindowUnitOutput text(windows);
    for (int unit : {0, 5, 6})
        runtime.units().connectWindow(unit, &text);
    const auto surface = std::make_unique<render::DrawnSurface>();
    render::SurfaceWindow application(windows, runtime, *surface);
    application.startUp();
    application.state().latticeCode = code;
    application.state().miller = m;
    for (auto _ : st)
        application.showSurface();
    runtime.end_program_thread();
}

} // namespace

BENCHMARK_CAPTURE(BM_RenderPipeline, ZincBlendeA_111, geometry::LatticeCode::ZincBlendeA,
                  geometry::MillerIndices{1, 1, 1})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RenderPipeline, Fcc_111, geometry::LatticeCode::Fcc, geometry::MillerIndices{1, 1, 1})
    ->Unit(benchmark::kMillisecond);
