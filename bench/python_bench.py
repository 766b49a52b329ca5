#!/usr/bin/python3
"""The Python module against ASE and pymatgen in one run: slabs into ase.Atoms.

  scripts/python bench/python_bench.py [slabs] [pymatgen slabs]

1. 10000 slabs of mixed planes and materials (16 materials of 12 structure types, the planes of
   index up to 2 of the cell as given), each into an ase.Atoms: FACETOR's facetor.slab(); ASE's
   surface() on the same bulk cell, plane and vacuum (2 of its layers); pymatgen's SlabGenerator
   (2 planes of its d-spacing) with AseAtomsAdaptor. FACETOR builds the same slabs as ASE: the
   atomic planes ASE's slab holds and, where ASE's in-plane cell is a supercell of FACETOR's
   primitive one, as many cells, so that both slabs hold the same atoms. pymatgen is slow enough
   that it builds fewer slabs (the second argument, 300 unless given) over the same mix, and its
   time is scaled to the full count; the table says so.
2. One slab of about a million atoms of Pt (1 1 1): facetor.slab(..., size=(316, 316)); ASE's
   surface().repeat(); pymatgen's get_slab() and make_supercell() at a tenth of the atoms, scaled
   by 10 (both steps are linear in the atoms).

Times are the process's CPU time (numpy held to one thread, so every program runs on one core):
on a machine shared with other work, wall-clock times swing with the load, CPU times much less.
The ratios within one run are the figures to read.
"""

import os

for _variable in ("OPENBLAS_NUM_THREADS", "OMP_NUM_THREADS", "MKL_NUM_THREADS"):
    os.environ.setdefault(_variable, "1")

import statistics  # noqa: E402
import sys  # noqa: E402
import time  # noqa: E402
import warnings  # noqa: E402

import numpy as np  # noqa: E402

import facetor  # noqa: E402

warnings.filterwarnings("ignore")

from ase import Atoms  # noqa: E402
from ase.build import surface  # noqa: E402
from pymatgen.core import Lattice, Structure  # noqa: E402
from pymatgen.core.surface import SlabGenerator  # noqa: E402
from pymatgen.io.ase import AseAtomsAdaptor  # noqa: E402

SLABS = int(sys.argv[1]) if len(sys.argv) > 1 else 10000
PYMATGEN_SLABS = int(sys.argv[2]) if len(sys.argv) > 2 else 300

MATERIALS = ["Cu", "Pt", "Fe", "W", "Mg", "Ru", "GaAs", "Si", "MgO", "NiAl", "Cu3Au", "SrTiO3", "CeO2", "TiO2",
             "ZnO", "Al2O3"]
PLANES = [(1, 0, 0), (0, 1, 0), (0, 0, 1), (1, 1, 0), (1, 0, 1), (1, 1, 1), (2, 1, 0), (2, 0, 1), (2, 1, 1),
          (1, 1, 2), (2, 2, 1), (2, 1, 2)]


def planes_of(atoms):
    """The atomic planes of a slab: heights more than 0.1 Angstrom apart (FACETOR's tolerance)."""
    z = np.sort(atoms.positions[:, 2])
    return 1 + int(np.count_nonzero(np.diff(z) > 0.1))


def bulks():
    """Each material's bulk cell as ASE and pymatgen take it: the cell FACETOR's preset has."""
    out = {}
    for name in MATERIALS:
        b = facetor.bulk(name)
        out[name] = (Atoms(b.symbols, scaled_positions=b.fractional, cell=b.cell, pbc=True),
                     Structure(Lattice(b.cell), b.symbols, b.fractional))
    return out


def jobs(cells):
    """The mix: (material, plane, FACETOR's layers and size) where both programs build the same atoms."""
    out = []
    for name in MATERIALS:
        for hkl in PLANES:
            theirs = surface(cells[name][0], hkl, 2, vacuum=10)
            layers = planes_of(theirs)
            try:
                ours = facetor.slab(name, hkl, layers=layers)
            except ValueError:
                continue
            if len(theirs) % len(ours) == 0:
                out.append((name, hkl, layers, (len(theirs) // len(ours), 1)))
    return out


def timed(work, runs=3):
    times = []
    for _ in range(runs):
        start = time.process_time()
        result = work()
        times.append(time.process_time() - start)
    return statistics.median(times), result


def row(task, program, seconds, count, atoms, reference):
    print(f"| {task} | {program} | {seconds * 1e6 / count:.1f} us | {atoms:,} | {ratio(reference / seconds)} |")


def ratio(x):
    return f"{x:.0f}x" if x >= 10 else f"{x:.2g}x"


def mixed_slabs(cells):
    mix = jobs(cells)
    plan = [mix[i % len(mix)] for i in range(SLABS)]
    pymatgen_plan = plan[:PYMATGEN_SLABS]

    def ours():
        return sum(len(facetor.slab(name, hkl, layers=layers, size=size)) for name, hkl, layers, size in plan)

    def ases():
        return sum(len(surface(cells[name][0], hkl, 2, vacuum=10)) for name, hkl, _, _ in plan)

    def pymatgens():
        atoms = 0
        for name, hkl, _, _ in pymatgen_plan:
            slab = SlabGenerator(cells[name][1], hkl, 2, 10, in_unit_planes=True, primitive=False).get_slab()
            atoms += len(AseAtomsAdaptor.get_atoms(slab))
        return atoms

    facetor_time, facetor_atoms = timed(ours)
    ase_time, ase_atoms = timed(ases, 1)
    pymatgen_time, pymatgen_atoms = timed(pymatgens, 1)
    task = f"{SLABS} slabs, {len(mix)} planes of {len(MATERIALS)} materials, into ase.Atoms"
    print("| task | program | per slab | atoms | ASE / program |")
    print("|---|---|---|---|---|")
    row(task, "FACETOR facetor.slab()", facetor_time, SLABS, facetor_atoms, ase_time)
    row(task, "ASE surface()", ase_time, SLABS, ase_atoms, ase_time)
    row(task, f"pymatgen SlabGenerator ({PYMATGEN_SLABS} slabs, scaled)", pymatgen_time, PYMATGEN_SLABS,
        pymatgen_atoms * SLABS // PYMATGEN_SLABS, ase_time * PYMATGEN_SLABS / SLABS)


def million_atoms(cells):
    task = "Pt (1 1 1), 10 planes, one slab of about 10^6 atoms, into ase.Atoms"
    facetor_time, ours = timed(lambda: facetor.slab("Pt", (1, 1, 1), layers=10, size=(316, 316)))
    # ASE's surface() of the cubic cell has 4 atoms a plane in its in-plane cell, 4 times
    # FACETOR's primitive one: half the repeats along each side.
    ase_time, theirs = timed(lambda: surface(cells["Pt"][0], (1, 1, 1), 10, vacuum=10).repeat((158, 158, 1)), 1)
    assert len(theirs) == len(ours) == 998560

    def pymatgens():
        slab = SlabGenerator(cells["Pt"][1], (1, 1, 1), 10, 10, in_unit_planes=True, primitive=False).get_slab()
        side = int(round((len(ours) / 10 / len(slab)) ** 0.5))
        slab.make_supercell([side, side, 1])
        return AseAtomsAdaptor.get_atoms(slab)

    pymatgen_time, pymatgen_atoms = timed(pymatgens, 1)
    scale = len(ours) / len(pymatgen_atoms)
    print()
    print("| task | program | time | atoms | ASE / program |")
    print("|---|---|---|---|---|")
    for program, seconds, count in (("FACETOR facetor.slab()", facetor_time, len(ours)),
                                    ("ASE surface().repeat()", ase_time, len(theirs)),
                                    (f"pymatgen get_slab().make_supercell() ({len(pymatgen_atoms):,} atoms, scaled)",
                                     pymatgen_time * scale, len(ours))):
        print(f"| {task} | {program} | {seconds * 1e3:.1f} ms | {count:,} | {ratio(ase_time / seconds)} |")


def main():
    cells = bulks()
    mixed_slabs(cells)
    million_atoms(cells)


if __name__ == "__main__":
    main()
