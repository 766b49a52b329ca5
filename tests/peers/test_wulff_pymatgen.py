"""FACETOR's Wulff shapes against pymatgen's WulffShape for the same energies: the area fractions
of the facets and the weighted energy agree. (pymatgen expands each plane by the point group of
the lattice; for the crystals here that is the crystal's own, so the families are the same.)"""

import json
import os
import subprocess

import pytest

pytest.importorskip("pymatgen.analysis.wulff")
from pymatgen.analysis.wulff import WulffShape  # noqa: E402
from pymatgen.core import Lattice, Structure  # noqa: E402

FACETOR = os.environ.get("FACETOR", "facetor")

PT = ("Fm-3m", Lattice.cubic(3.9242), ["Pt"], [[0, 0, 0]])
RUTILE = ("P4_2/mnm", Lattice.tetragonal(4.594, 2.959), ["Ti", "O"], [[0, 0, 0], [0.305, 0.305, 0]])
ROWS = [
    # bulk, {plane: J/m^2}
    (PT, {(1, 1, 1): 1.5, (1, 0, 0): 1.8, (1, 1, 0): 1.9}),
    (PT, {(1, 1, 1): 1.0, (1, 0, 0): 1.5, (3, 1, 1): 1.12}),
    (RUTILE, {(1, 1, 0): 0.5, (1, 0, 0): 0.7, (1, 0, 1): 0.8, (0, 0, 1): 0.9}),
]


@pytest.mark.parametrize("bulk,energies", ROWS)
def test_area_fractions_match_pymatgen(bulk, energies, tmp_path):
    structure = Structure.from_spacegroup(*bulk)
    structure.to(filename=str(tmp_path / "bulk.vasp"), fmt="poscar")
    path = tmp_path / "energies.txt"
    path.write_text("".join(f"{h} {k} {l} {e}\n" for (h, k, l), e in energies.items()))
    out = subprocess.run(
        [FACETOR, "wulff", "--bulk", str(tmp_path / "bulk.vasp"), "--energies", str(path), "--format", "json"],
        check=True, capture_output=True, text=True,
    ).stdout
    ours = {tuple(f["hkl"]): f["area_fraction"] for f in json.loads(out)["facets"]}
    shape = WulffShape(structure.lattice, list(energies), list(energies.values()))
    theirs = {hkl: fraction for hkl, fraction in shape.area_fraction_dict.items() if fraction > 1e-9}
    assert set(ours) == set(theirs)
    for hkl, fraction in theirs.items():
        assert ours[hkl] == pytest.approx(fraction, abs=1e-6), hkl
    assert json.loads(out)["weighted_energy"] == pytest.approx(shape.weighted_surface_energy, rel=1e-6)
