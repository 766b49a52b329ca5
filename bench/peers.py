#!/usr/bin/python3
"""FACETOR against its peers in one run, each timed as its user pays for it: the median wall time
of repeated runs (FACETOR as a whole process, start-up and file reading included; pymatgen and ASE
inside one Python process, their import excluded).

  /usr/bin/python3 bench/peers.py [path/to/facetor] [runs]

1. Reading a CIF of corundum (its conventional hexagonal cell holds 30 atoms, the CIF lists the
   asymmetric unit) and listing the terminations of a plane: FACETOR's `terminations`, pymatgen's
   SlabGenerator.get_slabs (one slab per termination it finds). ASE's surface() builds one slab
   and lists no terminations; it is timed for scale.
3. Every distinct plane up to index 3 with its broken-bond energies, and the Wulff shape of those
   energies, of Pt (cubic) and Mg (hexagonal): FACETOR's `wulff --max-index 3`; pymatgen's
   get_symmetrically_distinct_miller_indices and WulffShape for the same energies.
2. A slab of about 100000 atoms of an oxide (MgO (1 1 1)) written as extended XYZ: FACETOR's
   `export`, ASE's surface().repeat() and write(), pymatgen's SlabGenerator.get_slab with a
   supercell, written through its ASE adaptor.
"""

import os
import statistics
import subprocess
import sys
import tempfile
import time
import warnings

warnings.filterwarnings("ignore")

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
FACETOR = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build/dev/facetor/facetor"))
RUNS = int(sys.argv[2]) if len(sys.argv) > 2 else 5

from ase.build import surface  # noqa: E402
from ase.io import read, write  # noqa: E402
from pymatgen.core import Lattice, Structure  # noqa: E402
from pymatgen.core.surface import SlabGenerator  # noqa: E402
from pymatgen.io.ase import AseAtomsAdaptor  # noqa: E402
from pymatgen.io.cif import CifParser, CifWriter  # noqa: E402


def median_time(work, runs=RUNS):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        work()
        times.append(time.perf_counter() - start)
    return statistics.median(times)


def facetor(*args):
    return lambda: subprocess.run([FACETOR, *args], check=True, stdout=subprocess.DEVNULL)


def row(task, program, seconds, reference=None):
    ratio = f"{reference / seconds:8.0f}x" if reference else ""
    print(f"| {task} | {program} | {seconds * 1000:10.1f} ms | {ratio} |")


def main():
    work = tempfile.mkdtemp()
    os.chdir(work)
    corundum = Structure.from_spacegroup(
        "R-3c", Lattice.hexagonal(4.759, 12.991), ["Al", "O"], [[0, 0, 0.3523], [0.3064, 0, 0.25]])
    assert len(corundum) == 30
    CifWriter(corundum, symprec=0.01).write_file("corundum.cif")
    mgo = Structure.from_spacegroup("Fm-3m", Lattice.cubic(4.212), ["Mg", "O"], [[0, 0, 0], [0.5, 0.5, 0.5]])
    CifWriter(mgo, symprec=0.01).write_file("mgo.cif")

    print(f"| task | program | median of {RUNS} | pymatgen / program |")
    print("|---|---|---|---|")
    for hkl in ((1, 0, 4), (0, 0, 1)):
        task = f"corundum CIF, terminations of ({' '.join(map(str, hkl))})"
        ours = median_time(facetor("terminations", "--bulk", "corundum.cif", "--hkl", *map(str, hkl)))
        count = []

        def pymatgen_slabs():
            bulk = CifParser("corundum.cif").get_structures(primitive=False)[0]
            count.append(len(SlabGenerator(bulk, hkl, 10, 10, primitive=True).get_slabs()))

        theirs = median_time(pymatgen_slabs, max(1, RUNS // 2))
        ase_time = median_time(lambda: surface(read("corundum.cif"), hkl, 3, vacuum=10))
        row(task, "FACETOR", ours, theirs)
        row(task, f"pymatgen ({count[0]} slabs)", theirs, theirs)
        row(task, "ASE (one slab, no terminations)", ase_time, theirs)

    # MgO (1 1 1): 1 atom per plane per primitive cell; 16 planes of 79 x 79 cells = 99856 atoms.
    task = "MgO (1 1 1), 99856 atoms, extended XYZ"
    ours = median_time(facetor("export", "--bulk", "mgo.cif", "--hkl", "1", "1", "1", "--layers", "16",
                               "--size", "79x79", "--out", "facetor.xyz"))
    with open("facetor.xyz") as written:
        assert written.readline().strip() == "99856"
    # ASE's surface() keeps the in-plane cell of the cell it is given: the primitive rock-salt
    # cell (ase.build.bulk), whose (1 1 1) is the same plane, gives the 2-atom cell per period.
    from ase.build import bulk as ase_bulk_of

    ase_bulk = ase_bulk_of("MgO", "rocksalt", a=4.212)

    def ase_slab():
        slab = surface(ase_bulk, (1, 1, 1), 8, vacuum=10).repeat((79, 79, 1))
        assert len(slab) == 99856
        write("ase.xyz", slab, format="extxyz")

    def pymatgen_slab():
        bulk = CifParser("mgo.cif").get_structures(primitive=False)[0]
        slab = SlabGenerator(bulk, (1, 1, 1), 8, 10, primitive=True, in_unit_planes=True).get_slab()
        slab.make_supercell([79, 79, 1])
        assert len(slab) == 99856
        write("pymatgen.xyz", AseAtomsAdaptor.get_atoms(slab), format="extxyz")

    theirs = median_time(pymatgen_slab, 1)
    row(task, "FACETOR", ours, theirs)
    row(task, "ASE", median_time(ase_slab, max(1, RUNS // 2)), theirs)
    row(task, "pymatgen", theirs, theirs)

    wulff_rows()


def wulff_rows():
    import json

    from pymatgen.analysis.wulff import WulffShape
    from pymatgen.core.surface import get_symmetrically_distinct_miller_indices

    bulks = {
        "Pt": Structure.from_spacegroup("Fm-3m", Lattice.cubic(3.9242), ["Pt"], [[0, 0, 0]]),
        "Mg": Structure.from_spacegroup("P6_3/mmc", Lattice.hexagonal(3.2094, 5.2108), ["Mg"], [[1 / 3, 2 / 3, 0.25]]),
    }
    for name, structure in bulks.items():
        task = f"{name}: facets up to index 3 and the Wulff shape"
        ours = median_time(facetor("wulff", "--material", name, "--max-index", "3"))
        facets = json.loads(subprocess.run([FACETOR, "facets", "--material", name, "--max-index", "3", "--format",
                                            "json"], check=True, capture_output=True, text=True).stdout)
        millers = [tuple(p["hkl"][:2] + p["hkl"][-1:]) for p in facets["planes"]]
        energies = [min(t["energy"] for t in p["terminations"]) for p in facets["planes"]]

        def pymatgen_wulff():
            get_symmetrically_distinct_miller_indices(structure, 3)
            WulffShape(structure.lattice, millers, energies).area_fraction_dict

        theirs = median_time(pymatgen_wulff, max(1, RUNS // 2))
        row(task, "FACETOR", ours, theirs)
        row(task, "pymatgen (same energies)", theirs, theirs)


if __name__ == "__main__":
    main()
