// Real crystals: the surface cell of a high-index plane, a 10000-atom periodic slab and its
// structure files.

#include "crystal/Adsorbates.h"
#include "crystal/Bulk.h"
#include "crystal/BulkSurface.h"
#include "crystal/Compound.h"
#include "crystal/Facets.h"
#include "crystal/Sites.h"
#include "crystal/Slab.h"
#include "crystal/StructureFile.h"
#include "crystal/SurfaceCell.h"
#include "crystal/Symmetry.h"
#include "crystal/Wulff.h"

#include <benchmark/benchmark.h>

namespace {

crystal::SurfaceSpec highIndex() { return {*crystal::findMaterial("Pt"), {7, 5, 3}, crystal::Termination::None}; }

// 100 planes of a 10 x 10 repeat of the one-atom primitive cell: 10000 atoms.
const crystal::SlabOptions TenThousand{100, 10, 10, 10.0};

void surfaceCell(benchmark::State& st, crystal::SurfaceSpec spec, crystal::InPlaneCell kind)
{
    for (auto _ : st)
        benchmark::DoNotOptimize(crystal::surfaceCell(spec, kind));
}
// The adsorption sites of a stepped high-index surface, its cell and point group included.
void sitesOf(benchmark::State& st, crystal::SurfaceSpec spec)
{
    for (auto _ : st) {
        const auto cell = crystal::surfaceCell(spec, crystal::InPlaneCell::Primitive);
        benchmark::DoNotOptimize(crystal::findSites(spec, *cell));
    }
}
BENCHMARK_CAPTURE(sitesOf, Pt_553, (crystal::SurfaceSpec{*crystal::findMaterial("Pt"), {5, 5, 3}}))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(sitesOf, Cu_975, (crystal::SurfaceSpec{*crystal::findMaterial("Cu"), {9, 7, 5}}))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(surfaceCell, Pt_753_primitive, highIndex(), crystal::InPlaneCell::Primitive);
BENCHMARK_CAPTURE(surfaceCell, Pt_753_orthogonal, highIndex(), crystal::InPlaneCell::Orthogonal);
BENCHMARK_CAPTURE(surfaceCell, GaAs_111_B,
                  (crystal::SurfaceSpec{*crystal::findMaterial("GaAs"), {1, 1, 1}, crystal::Termination::B}),
                  crystal::InPlaneCell::Primitive);

// The whole export: cell, 10000-atom slab, extended XYZ text.
void cellSlabAndFile(benchmark::State& st, crystal::StructureFormat format)
{
    const auto spec = highIndex();
    std::size_t bytes = 0;
    for (auto _ : st) {
        const auto cell = crystal::surfaceCell(spec, crystal::InPlaneCell::Primitive);
        const auto slab = crystal::buildSlab(*cell, TenThousand);
        const std::string text = crystal::formatStructure(slab, format, crystal::surfaceTitle(spec));
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
        if (slab.atoms.size() != 10000)
            st.SkipWithError("not 10000 atoms");
    }
    st.counters["bytes"] = double(bytes);
}
BENCHMARK_CAPTURE(cellSlabAndFile, Pt_753_10000_atoms_extxyz, crystal::StructureFormat::ExtendedXyz)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(cellSlabAndFile, Pt_753_10000_atoms_poscar, crystal::StructureFormat::Poscar)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(cellSlabAndFile, Pt_753_10000_atoms_cif, crystal::StructureFormat::Cif)
    ->Unit(benchmark::kMillisecond);

void buildSlabOnly(benchmark::State& st)
{
    const auto spec = highIndex();
    const auto cell = crystal::surfaceCell(spec, crystal::InPlaneCell::Primitive);
    for (auto _ : st)
        benchmark::DoNotOptimize(crystal::buildSlab(*cell, TenThousand));
}
BENCHMARK(buildSlabOnly)->Unit(benchmark::kMillisecond);

// Reading a CIF of corundum's asymmetric unit (30 atoms in the hexagonal cell once expanded),
// its symmetry and the terminations of a plane: what `facetor terminations` does after start-up.
constexpr std::string_view Corundum = "data_corundum\n_cell_length_a 4.759\n_cell_length_b 4.759\n"
                                      "_cell_length_c 12.991\n_cell_angle_alpha 90\n_cell_angle_beta 90\n"
                                      "_cell_angle_gamma 120\n_symmetry_space_group_name_H-M 'R -3 c'\n"
                                      "loop_\n_atom_site_label\n_atom_site_type_symbol\n_atom_site_fract_x\n"
                                      "_atom_site_fract_y\n_atom_site_fract_z\nAl1 Al 0 0 0.3523\nO1 O 0.3064 0 0.25\n";

void corundumTerminations(benchmark::State& st, crystal::Miller hkl)
{
    for (auto _ : st) {
        const auto bulk = crystal::readBulk(Corundum, crystal::StructureFormat::Cif, "corundum.cif");
        const auto symmetry = crystal::analyseSymmetry(*bulk);
        benchmark::DoNotOptimize(crystal::bulkSurface(*bulk, *symmetry, hkl));
    }
}
BENCHMARK_CAPTURE(corundumTerminations, Al2O3_104, (crystal::Miller{{1, 0, 4}}))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(corundumTerminations, Al2O3_001, (crystal::Miller{{0, 0, 1}}))->Unit(benchmark::kMicrosecond);

// The crystal's symmetry, every distinct plane up to index 3 with its broken-bond energies, and
// the Wulff shape of their lowest energies: what `facetor wulff --max-index 3` computes.
void facetsAndWulff(benchmark::State& st, const char* name)
{
    const auto bulk = crystal::bulkOf(*crystal::findMaterial(name));
    for (auto _ : st) {
        const auto symmetry = crystal::analyseSymmetry(*bulk);
        const auto facets = crystal::distinctFacets(*bulk, *symmetry, 3);
        std::vector<crystal::WulffFamily> families;
        for (const crystal::Facet& f : *facets)
            families.push_back(
                {f.hkl, crystal::equivalentPlanes(*symmetry, f.hkl), f.terminations[std::size_t(f.lowest - 1)].energy});
        benchmark::DoNotOptimize(crystal::wulffShape(bulk->cell, families));
    }
}
BENCHMARK_CAPTURE(facetsAndWulff, Pt_fcc, "Pt")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(facetsAndWulff, Mg_hcp, "Mg")->Unit(benchmark::kMillisecond);

// An overlayer on Pt (1 1 1): O in the fcc hollows of a p(2x2).
crystal::SurfaceSpec platinum111() { return {*crystal::findMaterial("Pt"), {1, 1, 1}, crystal::Termination::None}; }

crystal::OverlayerRequest oxygenP2x2()
{
    return {*crystal::parseAdsorbates("O@fcc"), *crystal::readSuperstructure("p(2x2)"), std::nullopt};
}

// Placing it: the surface cell, its sites (with the bulk's symmetry) and the site of each item.
void overlayerPlacement(benchmark::State& st)
{
    const crystal::SurfaceSpec spec = platinum111();
    const crystal::OverlayerRequest request = oxygenP2x2();
    for (auto _ : st) {
        const auto cell = crystal::surfaceCell(spec, crystal::InPlaneCell::Primitive);
        benchmark::DoNotOptimize(crystal::placeOverlayer(spec, *cell, request));
    }
}
BENCHMARK(overlayerPlacement)->Unit(benchmark::kMillisecond);

// The slab with it: 25 planes of a 20 x 20 repeat (10000 atoms) and 100 O, as extended XYZ text.
void overlayerSlabAndFile(benchmark::State& st)
{
    const crystal::SurfaceSpec spec = platinum111();
    const auto cell = crystal::surfaceCell(spec, crystal::InPlaneCell::Primitive);
    const auto overlayer = crystal::placeOverlayer(spec, *cell, oxygenP2x2());
    for (auto _ : st) {
        auto slab = crystal::buildSlab(*cell, {25, 20, 20, 10.0});
        if (!overlayer || !crystal::addOverlayer(slab, *overlayer) || slab.atoms.size() != 10100)
            st.SkipWithError("not 10000 atoms with 100 adsorbates");
        const std::string text = crystal::formatStructure(slab, crystal::StructureFormat::ExtendedXyz, "Pt (1 1 1)");
        benchmark::DoNotOptimize(text.data());
    }
}
BENCHMARK(overlayerSlabAndFile)->Unit(benchmark::kMillisecond);

} // namespace
