// Slab generation, the heaviest geometry step: up to 26^3 cells of 8 atoms per surface.

#include "render/SurfaceWindow.h"
#include "runtime/Runtime.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

namespace {

struct Quiet final : rt::ReportSink {
    void showReport(uint32_t, std::string_view) override {}
};
struct NoEnd final : rt::ProgramEnd {
    void programEnded(int) override {}
    void exitProcess(uint32_t) override {}
};

render::DrawnSurface& surface()
{
    static render::DrawnSurface s;
    return s;
}

void generate(benchmark::State& st, geometry::LatticeCode code, geometry::MillerIndices m)
{
    const auto dir = std::filesystem::temp_directory_path() / "facetor-bench";
    std::filesystem::create_directories(dir);
    std::filesystem::current_path(dir);
    Quiet quiet;
    NoEnd end;
    rt::Runtime runtime(platform::systemFileSystem(), quiet, end);
    geometry::NoProgress progress;
    auto& s = surface();
    s.latticeCode = code;
    s.miller = m;
    render::loadLattice(s);
    // The positions file opened and the slab generated, as for every surface.
    for (auto _ : st) {
        render::buildSlab(s, runtime, progress);
        benchmark::DoNotOptimize(s.atoms.count);
    }
    st.counters["atoms"] = s.atoms.count;
    runtime.end_program_thread();
}

void BM_GenerateSlab_ZincBlendeA_111(benchmark::State& st)
{
    generate(st, geometry::LatticeCode::ZincBlendeA, {1, 1, 1});
}
void BM_GenerateSlab_Fcc_111(benchmark::State& st) { generate(st, geometry::LatticeCode::Fcc, {1, 1, 1}); }
void BM_GenerateSlab_ZincBlendeA_001(benchmark::State& st)
{
    generate(st, geometry::LatticeCode::ZincBlendeA, {0, 0, 1});
}

} // namespace

BENCHMARK(BM_GenerateSlab_ZincBlendeA_111)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GenerateSlab_Fcc_111)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GenerateSlab_ZincBlendeA_001)->Unit(benchmark::kMillisecond);
