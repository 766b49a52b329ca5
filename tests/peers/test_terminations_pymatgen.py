"""FACETOR's terminations against pymatgen's SlabGenerator, on bulks built by pymatgen itself and
handed over as POSCAR files.

pymatgen is a peer, not the truth. Every cut it makes must be one of FACETOR's terminations (the
top plane's atoms per area agree), and FACETOR never finds fewer. Where FACETOR finds more, it
is on purpose: pymatgen keeps one slab of each set that StructureMatcher calls equal, and that
matcher turns slabs over, so a slab whose top is A and bottom B counts as the one whose top is
B and bottom A. MgO (1 1 1) then has one slab, but the Mg- and O-terminated surfaces are two
surfaces; SrTiO3 (1 0 0) has one, but SrO and TiO2 terminations are two. FACETOR counts two
cuts as one only when an operation keeping the outward normal maps one onto the other.
"""

import json
import os
import subprocess
from collections import Counter

import pytest

pymatgen = pytest.importorskip("pymatgen.core")
from pymatgen.core import Lattice, Structure  # noqa: E402
from pymatgen.core.surface import SlabGenerator  # noqa: E402

FACETOR = os.environ.get("FACETOR", "facetor")

BULKS = {
    "MgO": ("Fm-3m", Lattice.cubic(4.212), ["Mg", "O"], [[0, 0, 0], [0.5, 0.5, 0.5]]),
    "TiO2": ("P4_2/mnm", Lattice.tetragonal(4.594, 2.959), ["Ti", "O"], [[0, 0, 0], [0.305, 0.305, 0]]),
    "SrTiO3": ("Pm-3m", Lattice.cubic(3.905), ["Sr", "Ti", "O"], [[0, 0, 0], [0.5, 0.5, 0.5], [0.5, 0.5, 0]]),
    "CeO2": ("Fm-3m", Lattice.cubic(5.411), ["Ce", "O"], [[0, 0, 0], [0.25, 0.25, 0.25]]),
    "ZnO": ("P6_3mc", Lattice.hexagonal(3.25, 5.207), ["Zn", "O"], [[1 / 3, 2 / 3, 0], [1 / 3, 2 / 3, 0.382]]),
    "Al2O3": ("R-3c", Lattice.hexagonal(4.759, 12.991), ["Al", "O"], [[0, 0, 0.3523], [0.3064, 0, 0.25]]),
}

# bulk, plane, FACETOR's count, pymatgen's count; where they differ, pymatgen has merged the two
# faces of one cut (see above), named in the comment.
ROWS = [
    ("MgO", (1, 0, 0), 1, 1),
    ("MgO", (1, 1, 1), 2, 1),  # Mg and O on top
    ("TiO2", (0, 0, 1), 1, 1),
    ("TiO2", (1, 1, 0), 3, 2),  # Ti2O2 on top, and the O row above it
    ("SrTiO3", (1, 0, 0), 2, 1),  # SrO and TiO2 on top
    ("CeO2", (1, 1, 1), 3, 2),  # Ce on top, and O over O
    ("ZnO", (0, 0, 1), 2, 2),
    ("ZnO", (1, 0, 0), 2, 2),
    ("Al2O3", (0, 0, 1), 3, 2),  # Al over Al, and O3 on top
    # Planes the literature's cases do not name.
    ("MgO", (1, 1, 0), 1, 1),
    ("TiO2", (1, 0, 1), 3, 2),  # Ti2 on top, and the O2 row above it
    ("SrTiO3", (1, 1, 0), 2, 1),  # SrTiO and O2 on top
    ("CeO2", (1, 1, 0), 1, 1),
    ("ZnO", (1, 1, 0), 1, 1),
    ("Al2O3", (1, 0, 4), 5, 3),  # two cuts with both faces listed (dipoles of opposite sign)
]


def bulk(name, tmp_path):
    group, lattice, species, coords = BULKS[name]
    structure = Structure.from_spacegroup(group, lattice, species, coords)
    path = tmp_path / f"{name}.vasp"
    structure.to(filename=str(path), fmt="poscar")
    return structure, path


def density(counts, area):
    """Atoms per 100 square Angstrom by element, rounded: comparable across cells."""
    return tuple(sorted((element, round(100.0 * n / area, 2)) for element, n in counts.items()))


def top_face(slab, tolerance=0.1):
    """The elements of a pymatgen slab's highest atomic plane (single linkage along the normal)."""
    heights = sorted(((site.coords @ slab.normal, site.specie.symbol) for site in slab), reverse=True)
    counts = Counter([heights[0][1]])
    for (previous, _), (height, element) in zip(heights, heights[1:]):
        if previous - height > tolerance:
            break
        counts[element] += 1
    return density(counts, slab.surface_area)


@pytest.mark.parametrize("name,hkl,ours,theirs", ROWS)
def test_every_pymatgen_cut_is_a_termination(name, hkl, ours, theirs, tmp_path):
    structure, path = bulk(name, tmp_path)
    out = subprocess.run(
        [FACETOR, "terminations", "--bulk", str(path), "--hkl", *map(str, hkl), "--format", "json"],
        check=True, capture_output=True, text=True,
    ).stdout
    report = json.loads(out)
    area = report["cell"]["area"]
    facetor_tops = {density(t["top"], area) for t in report["terminations"]}

    slabs = SlabGenerator(structure, hkl, 10, 10, center_slab=True, primitive=True).get_slabs()
    assert len(report["terminations"]) == ours
    assert len(slabs) == theirs
    for slab in slabs:
        assert top_face(slab) in facetor_tops, (name, hkl, top_face(slab), facetor_tops)


@pytest.mark.parametrize("name", sorted(BULKS))
def test_asymmetric_unit_gives_the_crystal_of_its_p1_form(name, tmp_path):
    """A CIF that lists only the asymmetric unit and the group's operations, and the same crystal
    written out atom by atom in P1, have the same space group and the same terminations."""
    from pymatgen.io.cif import CifParser, CifWriter

    structure, _ = bulk(name, tmp_path)
    reports = []
    for form, symprec in (("asym", 0.01), ("p1", None)):
        path = tmp_path / f"{name}-{form}.cif"
        CifWriter(structure, symprec=symprec).write_file(str(path))
        if form == "asym":  # fewer atoms listed than the cell holds: the operations must fill it
            assert len(CifParser(str(path)).as_dict()[next(iter(CifParser(str(path)).as_dict()))]["_atom_site_label"]) < len(structure)
        out = subprocess.run(
            [FACETOR, "terminations", "--bulk", str(path), "--hkl", "1", "0", "1", "--format", "json"],
            check=True, capture_output=True, text=True,
        ).stdout
        reports.append(json.loads(out))
    assert reports[0]["space_group"]["symbol"] == BULKS[name][0]
    assert rounded(reports[0]) == rounded(reports[1])


def rounded(value):
    """The report with every number to 6 decimals: two readings of one crystal may differ in the
    last bits of the cell."""
    if isinstance(value, dict):
        return {k: rounded(v) for k, v in value.items()}
    if isinstance(value, list):
        return [rounded(v) for v in value]
    return round(value, 6) if isinstance(value, float) else value
