"""The Python module against ASE's own builders and the batch front end's JSON: the same slabs, the
same dicts, the same messages, and the same results from many threads as from one."""

import json
import os
import subprocess
from concurrent.futures import ThreadPoolExecutor

import numpy as np
import pytest

import facetor

FACETOR = os.environ.get("FACETOR", "facetor")


def batch_json(*args):
    return json.loads(subprocess.run([FACETOR, *args, "--format", "json"], check=True, capture_output=True,
                                     text=True).stdout)


def test_pt111_is_ases_fcc111_up_to_an_inplane_translation():
    ase_build = pytest.importorskip("ase.build")
    a = facetor.bulk("Pt").cell[0][0]
    ours = facetor.slab("Pt", (1, 1, 1), layers=4, vacuum=10)
    theirs = ase_build.fcc111("Pt", (1, 1, 4), a=a, vacuum=10)
    # The same 2D lattice (ASE takes the 60 degree basis, FACETOR the 120 degree one: either
    # basis is an integer, unimodular combination of the other), the same height.
    change = theirs.cell[:2, :2] @ np.linalg.inv(ours.cell[:2, :2])
    assert np.allclose(change, np.round(change)) and abs(round(np.linalg.det(change))) == 1
    assert np.isclose(ours.cell[2, 2], theirs.cell[2, 2])
    # The same tags at the same heights (ASE lists the atoms from the bottom, FACETOR from the top).
    assert sorted(zip(ours.get_tags(), ours.positions[:, 2].round(9))) == sorted(
        zip(theirs.get_tags(), theirs.positions[:, 2].round(9)))
    assert list(ours.pbc) == [True, True, False]
    # Plane by plane: the same heights, and the same in-plane registry once the top atoms coincide.
    shift = theirs.positions[theirs.get_tags() == 1][0] - ours.positions[ours.get_tags() == 1][0]
    for tag in range(1, 5):
        p = ours.positions[ours.get_tags() == tag] + shift
        q = theirs.positions[theirs.get_tags() == tag]
        assert np.allclose(sorted(p[:, 2]), sorted(q[:, 2]))
        d = theirs.cell.scaled_positions(p)[:, :2] - theirs.cell.scaled_positions(q)[:, :2]
        assert np.allclose(d - np.round(d), 0.0, atol=1e-9)


@pytest.mark.parametrize("material,hkl", [("TiO2", (1, 1, 0)), ("Mg", (1, 0, -1, 0)), ("SrTiO3", (1, 0, 0))])
def test_results_equal_the_batch_front_ends_json(material, hkl):
    indices = [str(i) for i in hkl]
    assert facetor.terminations(material, hkl) == batch_json("terminations", "--material", material, "--hkl",
                                                             *indices)
    if material != "Mg":  # a lattice preset reports through its drawn lattice's A and B
        assert facetor.report(material, hkl) == batch_json("report", "--material", material, "--hkl", *indices)


def test_the_slab_holds_what_the_exported_file_holds(tmp_path):
    ase_io = pytest.importorskip("ase.io")
    out = tmp_path / "rutile.xyz"
    subprocess.run([FACETOR, "export", "--material", "TiO2", "--hkl", "1", "1", "0", "--termination", "2",
                    "--layers", "5", "--size", "2x1", "--out", str(out)], check=True)
    written = ase_io.read(str(out))
    ours = facetor.slab("TiO2", (1, 1, 0), termination=2, layers=5, size=(2, 1))
    assert ours.get_chemical_symbols() == written.get_chemical_symbols()
    assert np.allclose(ours.positions, written.positions, atol=1e-6)
    assert np.allclose(ours.cell[:], written.cell[:], atol=1e-6)


@pytest.mark.parametrize("call,error,message", [
    (lambda: facetor.slab("Pt", (0, 0, 0)), ValueError, "Miller indices (0 0 0) name no plane"),
    (lambda: facetor.slab("Pt", (1, 1, 1), layers=3, thickness=5.0), ValueError,
     "options --layers and --thickness exclude each other"),
    (lambda: facetor.slab("Pt", (1, 1, 1), layers=0), ValueError, "--layers must be from 1 to 100000"),
    (lambda: facetor.slab("TiO2", (1, 1, 0), termination=4), ValueError,
     "termination 4 of TiO2 (1 1 0) does not exist: the plane has 3 terminations (1 to 3)"),
    (lambda: facetor.slab("ZnO", (0, 0, 0, 1), symmetric=True), ValueError,
     "no symmetric slab: no operation of the bulk turns the normal of the plane over"),
    (lambda: facetor.bulk("missing.cif"), OSError, "missing.cif: cannot be read: No such file or directory"),
    (lambda: facetor.bulk("Unobtainium"), ValueError, "unknown material 'Unobtainium' (facetor.materials() lists them)"),
])
def test_bad_arguments_raise_with_the_batch_front_ends_message(call, error, message):
    with pytest.raises(error) as raised:
        call()
    assert str(raised.value) == message


def test_threads_give_what_one_thread_gives():
    planes = [("Cu", (1, 1, 1)), ("TiO2", (1, 1, 0)), ("Al2O3", (0, 0, 1)), ("MgO", (1, 1, 1))] * 8
    one = [facetor.slab(m, hkl, layers=6, size=(3, 3)).positions for m, hkl in planes]
    with ThreadPoolExecutor(4) as pool:
        many = list(pool.map(lambda job: facetor.slab(job[0], job[1], layers=6, size=(3, 3)).positions, planes))
    assert all(np.array_equal(p, q) for p, q in zip(one, many))


def test_an_ase_bulk_and_its_cif_give_one_crystal(tmp_path):
    ase_build = pytest.importorskip("ase.build")
    atoms = ase_build.bulk("NaCl", "rocksalt", a=5.64)
    assert facetor.bulk(atoms).space_group == {"symbol": "Fm-3m", "number": 225}
    assert len(facetor.slab(atoms, (1, 1, 1), layers=4)) == 4
