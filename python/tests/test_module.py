"""The Python module against ASE's own builders and the batch front end: the same slabs, the same
dicts, the same files, the same messages, the same results from many threads as from one, and
the package as cmake --install installs it."""

import json
import os
import re
import subprocess
import sys
from concurrent.futures import ThreadPoolExecutor

import numpy as np
import pytest

import facetor

FACETOR = os.environ.get("FACETOR", "facetor")


def batch(*args):
    return subprocess.run([FACETOR, *args], capture_output=True, text=True)


def batch_json(*args):
    run = batch(*args, "--format", "json")
    assert run.returncode == 0, run.stderr
    return json.loads(run.stdout)


# ASE's builders of the same surfaces. The drawn lattices stack (1 1 1) of FCC and (0 0 0 1) of
# HCP the other way round from ASE's builders as seen from the top (ABC where ASE has ACB): the
# same surface turned half a turn about its normal, which these rows undo.
@pytest.mark.parametrize("material,hkl,builder,half_turn", [
    ("Pt", (1, 1, 1), "fcc111", True),
    ("Pt", (1, 0, 0), "fcc100", False),
    ("Fe", (1, 0, 0), "bcc100", False),
    ("Fe", (1, 1, 1), "bcc111", False),
    ("Mg", (0, 0, 0, 1), "hcp0001", True),
])
def test_slabs_are_ases_builders_up_to_an_inplane_translation(material, hkl, builder, half_turn):
    ase_build = pytest.importorskip("ase.build")
    preset = next(m for m in facetor.materials() if m["name"] == material)
    constants = {"a": preset["a"]} if preset["c"] is None else {"a": preset["a"], "c": preset["c"]}
    theirs = getattr(ase_build, builder)(material, (1, 1, 4), vacuum=10, **constants)
    ours = facetor.slab(material, hkl, layers=4, vacuum=10)
    # The same 2D lattice (either basis an integer, unimodular combination of the other), the
    # same height, the same periodicity.
    change = theirs.cell[:2, :2] @ np.linalg.inv(ours.cell[:2, :2])
    assert np.allclose(change, np.round(change)) and abs(round(np.linalg.det(change))) == 1
    assert np.isclose(ours.cell[2, 2], theirs.cell[2, 2])
    assert list(ours.pbc) == [True, True, False]
    # The same tags at the same heights (ASE lists the atoms from the bottom, FACETOR from the top).
    assert sorted(zip(ours.get_tags(), ours.positions[:, 2].round(9))) == sorted(
        zip(theirs.get_tags(), theirs.positions[:, 2].round(9)))
    # Plane by plane the same in-plane registry once the top atoms coincide.
    positions = ours.positions * ([-1, -1, 1] if half_turn else [1, 1, 1])
    tags = ours.get_tags()
    shift = theirs.positions[theirs.get_tags() == 1][0] - positions[tags == 1][0]
    for tag in range(1, 5):
        p = theirs.cell.scaled_positions(positions[tags == tag] + shift)[:, :2]
        q = theirs.cell.scaled_positions(theirs.positions[theirs.get_tags() == tag])[:, :2]
        d = p[:, None, :] - q[None, :, :]
        assert np.all(np.any(np.all(np.abs(d - np.round(d)) < 1e-9, axis=2), axis=1)), f"plane {tag}"


# The module's call and the batch front end's arguments for the same surface and options.
SAME = [
    (lambda: facetor.terminations("TiO2", (1, 1, 0)), ["terminations", "--material", "TiO2", "--hkl", "1", "1", "0"]),
    (lambda: facetor.terminations("Mg", (1, 0, -1, 0), plane_tolerance=0.3),
     ["terminations", "--material", "Mg", "--hkl", "1", "0", "-1", "0", "--plane-tolerance", "0.3"]),
    (lambda: facetor.report("SrTiO3", (1, 0, 0), termination=2),
     ["report", "--material", "SrTiO3", "--hkl", "1", "0", "0", "--termination", "2"]),
    (lambda: facetor.report("Mg", (1, 0, -1, 0), termination="B"),
     ["report", "--material", "Mg", "--hkl", "1", "0", "-1", "0", "--termination", "B"]),
    (lambda: facetor.report("Pt", (2, 1, 1)), ["report", "--material", "Pt", "--hkl", "2", "1", "1"]),
    (lambda: facetor.sites("Pt", (1, 1, 1)), ["sites", "--material", "Pt", "--hkl", "1", "1", "1"]),
    (lambda: facetor.sites("Fe", (1, 1, 0)), ["sites", "--material", "Fe", "--hkl", "1", "1", "0"]),
    (lambda: facetor.sites("TiO2", (1, 1, 0), termination=2),
     ["sites", "--material", "TiO2", "--hkl", "1", "1", "0", "--termination", "2"]),
    (lambda: facetor.leed("Pt", (1, 1, 1), energy=100), ["leed", "--material", "Pt", "--hkl", "1", "1", "1",
                                                         "--energy", "100"]),
    (lambda: facetor.leed("Pt", (1, 1, 1), 80, wood="p(2x1)", domains=True),
     ["leed", "--material", "Pt", "--hkl", "1", "1", "1", "--energy", "80", "--wood", "p(2x1)", "--domains"]),
    (lambda: facetor.leed("Pt", (1, 1, 1), 60, wood="(sqrt3xsqrt3)R30"),
     ["leed", "--material", "Pt", "--hkl", "1", "1", "1", "--energy", "60", "--wood", "(sqrt3xsqrt3)R30"]),
    (lambda: facetor.leed("TiO2", (1, 1, 0), 70, matrix=[[2, 0], [1, 1]], domains=True),
     ["leed", "--material", "TiO2", "--hkl", "1", "1", "0", "--energy", "70", "--matrix", "2 0 1 1", "--domains"]),
    (lambda: facetor.report("Pt", (1, 1, 1), adsorbates=["O@fcc", "H@hcp"], coverage="p(2x2)"),
     ["report", "--material", "Pt", "--hkl", "1", "1", "1", "--adsorbate", "O@fcc,H@hcp", "--coverage", "p(2x2)"]),
    (lambda: facetor.report("TiO2", (1, 1, 0), adsorbates="CO@top", coverage=[1, 0, 0, 2], height=2.1),
     ["report", "--material", "TiO2", "--hkl", "1", "1", "0", "--adsorbate", "CO@top", "--coverage", "1 0 0 2",
      "--height", "2.1"]),
    (lambda: facetor.leed("Pt", (1, 1, 1), 90, adsorbates="O@fcc", coverage="p(2x1)"),
     ["leed", "--material", "Pt", "--hkl", "1", "1", "1", "--energy", "90", "--adsorbate", "O@fcc", "--coverage",
      "p(2x1)"]),
]


@pytest.mark.parametrize("call,args", SAME)
def test_results_equal_the_batch_front_ends_json(call, args):
    assert call() == batch_json(*args)


def surface_numbered(data):
    return re.sub(rb'<g id="surface[0-9]+"', b'<g id="surface"', data)


def test_files_equal_the_batch_front_ends(tmp_path, capfd):
    ase_io = pytest.importorskip("ase.io")
    rows = [  # the module's call writing into out, the batch front end's arguments
        (lambda out: facetor.figure("Pt", (2, 1, 1), out, rotate=20, tilt=-30, size=(3, 2), cell=True, axes=True,
                                    colour="coordination"),
         ["figure", "--material", "Pt", "--hkl", "2", "1", "1", "--rotate", "20", "--tilt", "-30", "--size", "3x2",
          "--cell", "--axes", "--colour", "coordination"], "svg"),
        (lambda out: facetor.figure("ZnO", (1, 0, -1, 0), out, thickness=6.0, width=300, caption=False),
         ["figure", "--material", "ZnO", "--hkl", "1", "0", "-1", "0", "--thickness", "6", "--width", "300",
          "--no-caption"], "png"),
        (lambda out: facetor.leed("Pt", (1, 1, 1), 100, wood="p(2x2)", domains=True, out=out),
         ["leed", "--material", "Pt", "--hkl", "1", "1", "1", "--energy", "100", "--wood", "p(2x2)", "--domains"],
         "png"),
        (lambda out: facetor.figure("Cu", (1, 0, 0), out, adsorbates="CO@top", coverage="c(2x2)"),
         ["figure", "--material", "Cu", "--hkl", "1", "0", "0", "--adsorbate", "CO@top", "--coverage", "c(2x2)"], "svg"),
        (lambda out: facetor.leed("Pt", (1, 1, 1), 100, adsorbates="O@fcc", coverage="p(2x2)", out=out),
         ["leed", "--material", "Pt", "--hkl", "1", "1", "1", "--energy", "100", "--adsorbate", "O@fcc", "--coverage",
          "p(2x2)"], "svg"),
    ]
    for k, (call, args, extension) in enumerate(rows):
        ours, theirs = tmp_path / f"ours{k}.{extension}", tmp_path / f"theirs{k}.{extension}"
        call(str(ours))
        assert capfd.readouterr() == ("", ""), "the module writes nothing on the terminal"
        assert batch(*args, "--out", str(theirs)).returncode == 0
        # Cairo numbers the drawings of a process in an SVG's top group: a long-lived process
        # writes a later number than the batch front end's single drawing.
        assert surface_numbered(ours.read_bytes()) == surface_numbered(theirs.read_bytes()), args
    # The slab holds what the exported file holds, and warns what the export notes.
    out = tmp_path / "rutile.xyz"
    run = batch("export", "--material", "TiO2", "--hkl", "1", "1", "0", "--termination", "1", "--layers", "4",
                "--size", "2x1", "--symmetric", "--out", str(out))
    assert run.returncode == 0 and run.stderr.startswith("facetor: note: ")
    written = ase_io.read(str(out))
    with pytest.warns(UserWarning) as warned:
        ours = facetor.slab("TiO2", (1, 1, 0), termination=1, layers=4, size=(2, 1), symmetric=True)
    assert [str(w.message) for w in warned] == [run.stderr.strip()[len("facetor: note: "):]]
    assert ours.get_chemical_symbols() == written.get_chemical_symbols()
    assert np.allclose(ours.positions, written.positions, atol=1e-6)
    assert np.allclose(ours.cell[:], written.cell[:], atol=1e-6)
    # With adsorbates (tagged 0, as ASE tags them), in a slab grown to whole overlayer cells.
    out = tmp_path / "pt.xyz"
    run = batch("export", "--material", "Pt", "--hkl", "1", "1", "1", "--layers", "3", "--adsorbate", "O@fcc,H@hcp",
                "--coverage", "p(2x2)", "--out", str(out))
    assert run.returncode == 0 and run.stderr.startswith("facetor: note: ")
    written = ase_io.read(str(out))
    with pytest.warns(UserWarning) as warned:
        ours = facetor.slab("Pt", (1, 1, 1), layers=3, adsorbates="O@fcc,H@hcp", coverage="p(2x2)")
    assert [str(w.message) for w in warned] == [run.stderr.strip()[len("facetor: note: "):]]
    assert ours.get_chemical_symbols() == written.get_chemical_symbols()
    assert np.allclose(ours.positions, written.positions, atol=1e-6)
    assert np.allclose(ours.cell[:], written.cell[:], atol=1e-6)
    assert sorted(ours.get_tags()) == [0, 0] + [1] * 4 + [2] * 4 + [3] * 4


def test_the_atoms_are_what_ases_constructor_makes():
    from ase import Atoms

    ours = facetor.slab("SrTiO3", (1, 1, 0), layers=5, size=(2, 3))
    made = Atoms(numbers=ours.numbers, positions=ours.positions, cell=ours.cell, pbc=(True, True, False),
                 tags=ours.get_tags())
    assert set(vars(ours)) == set(vars(made)) and set(ours.arrays) == set(made.arrays)
    assert ours == made and np.array_equal(ours.get_tags(), made.get_tags())
    for name, array in made.arrays.items():
        assert ours.arrays[name].dtype == array.dtype and ours.arrays[name].flags.c_contiguous
    assert len(ours.repeat((2, 1, 1))) == 2 * len(ours) and ours.copy() == made


# The module's call and the batch front end's arguments that it refuses: the same message.
REFUSED = [
    (lambda: facetor.slab("Pt", (0, 0, 0)), ["export", "--material", "Pt", "--hkl", "0", "0", "0", "--out", "x.xyz"]),
    (lambda: facetor.slab("Pt", (1, 1, 1), layers=3, thickness=5.0),
     ["export", "--material", "Pt", "--hkl", "1", "1", "1", "--layers", "3", "--thickness", "5", "--out", "x.xyz"]),
    (lambda: facetor.slab("Pt", (1, 1, 1), layers=0),
     ["export", "--material", "Pt", "--hkl", "1", "1", "1", "--layers", "0", "--out", "x.xyz"]),
    (lambda: facetor.slab("Pt", (1, 1, 1), vacuum=-1),
     ["export", "--material", "Pt", "--hkl", "1", "1", "1", "--vacuum", "-1", "--out", "x.xyz"]),
    (lambda: facetor.slab("Pt", (1, 1, 1), thickness=-2.5),
     ["export", "--material", "Pt", "--hkl", "1", "1", "1", "--thickness", "-2.5", "--out", "x.xyz"]),
    (lambda: facetor.slab("Pt", (1, 1, 1), symmetric=True),
     ["export", "--material", "Pt", "--hkl", "1", "1", "1", "--symmetric", "--out", "x.xyz"]),
    (lambda: facetor.slab("Cu", (1, 0, -1, 0)),
     ["export", "--material", "Cu", "--hkl", "1", "0", "-1", "0", "--out", "x.xyz"]),
    (lambda: facetor.slab("TiO2", (1, 1, 0), termination=4),
     ["export", "--material", "TiO2", "--hkl", "1", "1", "0", "--termination", "4", "--out", "x.xyz"]),
    (lambda: facetor.slab("TiO2", (1, 1, 0), termination="B"),
     ["export", "--material", "TiO2", "--hkl", "1", "1", "0", "--termination", "B", "--out", "x.xyz"]),
    (lambda: facetor.slab("Mg", (0, 0, 0, 1), termination=2),
     ["export", "--material", "Mg", "--hkl", "0", "0", "0", "1", "--termination", "2", "--out", "x.xyz"]),
    (lambda: facetor.slab("Pt", (1, 1, 1), termination="A"),
     ["export", "--material", "Pt", "--hkl", "1", "1", "1", "--termination", "A", "--out", "x.xyz"]),
    (lambda: facetor.slab("Pt", (1, 1, 1), plane_tolerance=0.2),
     ["export", "--material", "Pt", "--hkl", "1", "1", "1", "--plane-tolerance", "0.2", "--out", "x.xyz"]),
    (lambda: facetor.slab("ZnO", (0, 0, 0, 1), symmetric=True),
     ["export", "--material", "ZnO", "--hkl", "0", "0", "0", "1", "--symmetric", "--out", "x.xyz"]),
    (lambda: facetor.terminations("TiO2", (1, 1, 0), plane_tolerance=12),
     ["terminations", "--material", "TiO2", "--hkl", "1", "1", "0", "--plane-tolerance", "12"]),
    (lambda: facetor.sites("TiO2", (1, 1, 0), termination=9),
     ["sites", "--material", "TiO2", "--hkl", "1", "1", "0", "--termination", "9"]),
    (lambda: facetor.leed("Pt", (1, 1, 1), energy=-1), ["leed", "--material", "Pt", "--hkl", "1", "1", "1",
                                                        "--energy", "-1"]),
    (lambda: facetor.leed("Pt", (1, 1, 1), 1e8), ["leed", "--material", "Pt", "--hkl", "1", "1", "1",
                                                  "--energy", "1e8"]),
    (lambda: facetor.leed("Pt", (1, 1, 1), 100, wood="p(2x2)x"),
     ["leed", "--material", "Pt", "--hkl", "1", "1", "1", "--energy", "100", "--wood", "p(2x2)x"]),
    (lambda: facetor.leed("Pt", (1, 1, 1), 100, matrix="1"),
     ["leed", "--material", "Pt", "--hkl", "1", "1", "1", "--energy", "100", "--matrix", "1"]),
    (lambda: facetor.leed("Cu", (1, 0, 0), 100, wood="(sqrt3xsqrt3)R30"),
     ["leed", "--material", "Cu", "--hkl", "1", "0", "0", "--energy", "100", "--wood", "(sqrt3xsqrt3)R30"]),
    (lambda: facetor.leed("Pt", (1, 1, 1), 100, wood="p(2x2)", matrix="2 0 0 2"),
     ["leed", "--material", "Pt", "--hkl", "1", "1", "1", "--energy", "100", "--wood", "p(2x2)", "--matrix",
      "2 0 0 2"]),
    (lambda: facetor.leed("Pt", (1, 1, 1), 100, out="x.gif"),
     ["leed", "--material", "Pt", "--hkl", "1", "1", "1", "--energy", "100", "--out", "x.gif"]),
    (lambda: facetor.figure("Pt", (1, 1, 1), "x.svg", layers=0),
     ["figure", "--material", "Pt", "--hkl", "1", "1", "1", "--layers", "0", "--out", "x.svg"]),
    (lambda: facetor.figure("Pt", (1, 1, 1), "x.svg", size=(0, 1)),
     ["figure", "--material", "Pt", "--hkl", "1", "1", "1", "--size", "0x1", "--out", "x.svg"]),
    (lambda: facetor.figure("Pt", (1, 1, 1), "x.svg", width=3),
     ["figure", "--material", "Pt", "--hkl", "1", "1", "1", "--width", "3", "--out", "x.svg"]),
    (lambda: facetor.figure("Pt", (1, 1, 1), "x.svg", colour="pink"),
     ["figure", "--material", "Pt", "--hkl", "1", "1", "1", "--colour", "pink", "--out", "x.svg"]),
    (lambda: facetor.figure("Pt", (1, 1, 1), "x.gif"),
     ["figure", "--material", "Pt", "--hkl", "1", "1", "1", "--out", "x.gif"]),
    (lambda: facetor.figure("Pt", (1, 1, 1), "x.svg", thickness=500),
     ["figure", "--material", "Pt", "--hkl", "1", "1", "1", "--thickness", "500", "--out", "x.svg"]),
    (lambda: facetor.slab("Pt", (1, 1, 1), adsorbates="Xx@fcc"),
     ["export", "--material", "Pt", "--hkl", "1", "1", "1", "--adsorbate", "Xx@fcc", "--out", "x.xyz"]),
    (lambda: facetor.slab("Pt", (1, 1, 1), adsorbates="O@4-fold"),
     ["export", "--material", "Pt", "--hkl", "1", "1", "1", "--adsorbate", "O@4-fold", "--out", "x.xyz"]),
    (lambda: facetor.report("Pt", (1, 1, 1), coverage="p(2x2)"),
     ["report", "--material", "Pt", "--hkl", "1", "1", "1", "--coverage", "p(2x2)"]),
    (lambda: facetor.slab("Pt", (1, 1, 1), adsorbates="O@fcc", height=200),
     ["export", "--material", "Pt", "--hkl", "1", "1", "1", "--adsorbate", "O@fcc", "--height", "200", "--out",
      "x.xyz"]),
    (lambda: facetor.leed("Pt", (1, 1, 1), 100, adsorbates="O@fcc", wood="p(2x2)"),
     ["leed", "--material", "Pt", "--hkl", "1", "1", "1", "--energy", "100", "--adsorbate", "O@fcc", "--wood",
      "p(2x2)"]),
    (lambda: facetor.figure("Cu", (1, 0, 0), "x.svg", adsorbates="O@hollow", coverage="(sqrt3xsqrt3)R30"),
     ["figure", "--material", "Cu", "--hkl", "1", "0", "0", "--adsorbate", "O@hollow", "--coverage",
      "(sqrt3xsqrt3)R30", "--out", "x.svg"]),
    (lambda: facetor.figure("Pt", (1, 1, 1), "x.png", size=(200, 200), width=10000),
     ["figure", "--material", "Pt", "--hkl", "1", "1", "1", "--size", "200x200", "--width", "10000", "--layers",
      "1", "--out", "x.png"]),
]


@pytest.mark.parametrize("call,args", REFUSED)
def test_bad_arguments_raise_with_the_batch_front_ends_message(call, args, tmp_path, monkeypatch, capfd):
    monkeypatch.chdir(tmp_path)
    run = batch(*args)
    assert run.returncode == 2 and run.stderr.startswith("facetor: ")
    with pytest.raises(ValueError) as raised:
        call()
    assert str(raised.value) == run.stderr.splitlines()[0][len("facetor: "):]
    assert os.listdir(tmp_path) == [] and capfd.readouterr() == ("", "")


def test_files_that_cannot_be_read_or_written_raise_oserror(tmp_path):
    rows = [
        (lambda: facetor.bulk(str(tmp_path / "missing.cif")), ["terminations", "--bulk", str(tmp_path / "missing.cif"),
                                                               "--hkl", "1", "1", "1"]),
        (lambda: facetor.figure("Pt", (1, 1, 1), str(tmp_path / "no" / "x.svg")),
         ["figure", "--material", "Pt", "--hkl", "1", "1", "1", "--out", str(tmp_path / "no" / "x.svg")]),
    ]
    for call, args in rows:
        with pytest.raises(OSError) as raised:
            call()
        assert str(raised.value) == batch(*args).stderr.splitlines()[0][len("facetor: "):]
    with pytest.raises(ValueError, match="unknown material 'Unobtainium'"):
        facetor.bulk("Unobtainium")


def test_threads_give_what_one_thread_gives():
    planes = [("Cu", (1, 1, 1)), ("TiO2", (1, 1, 0)), ("Al2O3", (0, 0, 1)), ("MgO", (1, 1, 1)), ("Mg", (1, 0, -1, 1))]

    def work(job):
        material, hkl = job
        return (facetor.slab(material, hkl, layers=6, size=(3, 3)).positions, facetor.sites(material, hkl),
                facetor.leed(material, hkl, 120, matrix="2 0 0 2", domains=True))

    one = [work(job) for job in planes * 4]
    with ThreadPoolExecutor(4) as pool:
        many = list(pool.map(work, planes * 4))
    for (p, s, l), (q, t, m) in zip(one, many):
        assert np.array_equal(p, q) and s == t and l == m


def test_an_ase_bulk_and_its_cif_give_one_crystal(tmp_path):
    ase_build = pytest.importorskip("ase.build")
    atoms = ase_build.bulk("NaCl", "rocksalt", a=5.64)
    assert facetor.bulk(atoms).space_group == {"symbol": "Fm-3m", "number": 225}
    assert len(facetor.slab(atoms, (1, 1, 1), layers=4)) == 4


def test_cmake_install_installs_a_working_package(tmp_path):
    build = os.environ.get("FACETOR_BUILD")
    if not build:
        pytest.skip("FACETOR_BUILD names no build tree")
    with open(os.path.join(build, "CMakeCache.txt")) as cache:
        site = next(line.split("=", 1)[1].strip() for line in cache if line.startswith("FACETOR_PYTHON_INSTALL_DIR:"))
    if os.path.isabs(site):
        pytest.skip("the build tree installs the package outside any prefix")
    prefix = tmp_path / "prefix"
    subprocess.run(["cmake", "--install", build, "--prefix", str(prefix)], check=True, capture_output=True)
    env = {k: v for k, v in os.environ.items() if k not in ("FACETOR", "PYTHONPATH")}
    env["PYTHONPATH"] = str(prefix / site)
    # The figure draws with the drawing module installed beside the package.
    script = ("import facetor, sys; facetor.figure('Cu', (1, 0, 0), sys.argv[1], width=64); "
              "print(facetor.__file__); print(*(line.split()[-1] for line in open('/proc/self/maps') "
              "if 'libfacetor_cairo' in line))")
    run = subprocess.run([sys.executable, "-c", script, str(tmp_path / "cu.png")], env=env, capture_output=True,
                         text=True, cwd=tmp_path)
    assert run.returncode == 0, run.stderr
    package, drawing = run.stdout.splitlines()
    assert package.startswith(str(prefix)) and drawing.startswith(str(prefix))
    assert (tmp_path / "cu.png").stat().st_size > 0
    version = subprocess.run([sys.executable, "-m", "facetor", "--version"], env=env, capture_output=True, text=True,
                             cwd=tmp_path)
    assert version.stdout == batch("--version").stdout != ""
