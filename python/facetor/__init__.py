"""FACETOR from Python: bulk crystals, their surfaces, slabs as ASE atoms, at C++ speed.

    >>> import facetor
    >>> slab = facetor.slab("Pt", (1, 1, 1), layers=4, size=(2, 2))   # an ase.Atoms
    >>> facetor.terminations("TiO2", (1, 1, 0))["terminations"][0]["tasker"]
    3
    >>> [s["label"] for s in facetor.sites("Pt", (1, 1, 1))["sites"]]
    ['top', 'bridge', 'fcc', 'hcp']
    >>> facetor.leed("Pt", (1, 1, 1), energy=100, wood="p(2x2)")["spots"][1]["kind"]
    'superstructure'
    >>> facetor.figure("Pt", (1, 1, 1), out="pt111.svg", cell=True, axes=True)

A bulk is a preset's name ("Cu", "TiO2", ...; facetor.materials() lists them), the path of a CIF,
POSCAR or extended XYZ file, an ase.Atoms with a cell, or a facetor.Bulk. Miller indices refer to
the cell as given (four, h k i l, on hexagonal axes). A surface's termination is "A" or "B" on the
preset lattices (HCP and zinc blende), 1, 2, ... on every other crystal (terminations() lists
them); none means the first. The results are those of the `facetor` command for the same
arguments: the same dicts as its JSON, the same messages. Bad arguments raise ValueError, a file
that cannot be read or written raises OSError. The long calls release the GIL: threads build
slabs in parallel.

Adsorbates (slab, report, leed, figure), as `--adsorbate`, `--coverage` and `--height`:
adsorbates "SPECIES@SITE[,SPECIES@SITE...]" ("O@fcc", "CO@top", "H@hcp,O@fcc"; or a list of such
items), a species an element or a molecule (CO, NO, OH, H2O, CH3, NH3) bound by its first atom,
upright; coverage the overlayer's cell on the substrate in Wood notation or as a matrix ("p(2x2)",
"c(2x2)", "(sqrt3xsqrt3)R30", "2 0 0 2" or four integers; p(1x1) unless given), one adsorbate of
each item per overlayer cell at the named site nearest the cell's origin; height the bound atoms'
height above the top plane, Angstrom (by default their covalent bond length to the site's
atoms).
"""

import json as _json
import math as _math
import warnings as _warnings

import numpy as _np

from . import _facetor

__version__ = _facetor.version
Bulk = _facetor.Bulk

__all__ = ["Bulk", "bulk", "materials", "slab", "terminations", "report", "sites", "leed", "figure", "__version__"]


def materials():
    """Every preset: a list of dicts with its name, lattice (the four drawn lattices) or structure
    and space group (compounds), lattice constants, elements and the source of its constants."""
    return _facetor.materials()


def bulk(crystal):
    """The bulk crystal of a preset's name, a structure file's path, or an ase.Atoms with a cell."""
    if isinstance(crystal, Bulk):
        return crystal
    if isinstance(crystal, str):
        # A preset is made once; a file is read each time (it may have changed).
        made = _presets.get(crystal)
        if made is None:
            if not _facetor.is_preset(crystal):
                return _facetor.preset_or_file(crystal)
            made = _presets.setdefault(crystal, _facetor.preset_or_file(crystal))
        return made
    if hasattr(crystal, "get_scaled_positions") and hasattr(crystal, "get_chemical_symbols"):
        return _facetor.from_arrays(crystal.get_chemical_formula(), crystal.cell[:],
                                    crystal.get_scaled_positions(wrap=True), crystal.get_chemical_symbols())
    raise TypeError("a bulk is a preset's name, a file's path, an ase.Atoms or a facetor.Bulk, not "
                    + type(crystal).__name__)


_presets = {}


def slab(crystal, hkl, layers=None, thickness=None, size=(1, 1), vacuum=10.0, termination=None, orthogonal=False,
         symmetric=False, plane_tolerance=None, adsorbates=None, coverage=None, height=None):
    """The periodic slab of a bulk's plane hkl, as `facetor export` writes it.

    layers: atomic planes (6 unless thickness is given); thickness: the fewest whole planes at
    least that thick, Angstrom, never thinner; size: the in-plane cell repeated (m, n) times;
    vacuum: Angstrom on each side; termination: as terminations() numbers them ("A" or "B" on a
    preset lattice); orthogonal: the smallest rectangular in-plane cell; symmetric: both faces the
    same termination (a bulk crystal's); plane_tolerance: Angstrom, atoms this close along the
    normal share a plane (a bulk crystal's, 0.1 unless given); adsorbates, coverage, height: an
    overlayer (help(facetor) describes it). Returns an ase.Atoms (pbc True, True, False; tags numbering
    the atomic planes from 1 at the top, adsorbates 0, as ASE's own builders do; info["title"])
    when ASE is importable, else a dict of numpy arrays: cell, positions, numbers, tags, pbc, and
    the element list and title. What `facetor export` notes beside its file (a slab grown to hold
    whole overlayer cells, a symmetric slab without the bulk's composition) is a UserWarning.
    """
    if thickness is not None and not (_finite(thickness) and 0 < thickness <= 100000):
        raise ValueError(f"--thickness {_word(thickness)} is not a number of Angstrom above 0 and at most 100000")
    if layers is not None and thickness is not None:
        raise ValueError("options --layers and --thickness exclude each other")
    arrays = _facetor.slab(bulk(crystal), list(hkl), layers, thickness, tuple(size), float(vacuum),
                           _termination(termination), bool(orthogonal), bool(symmetric),
                           _tolerance(plane_tolerance), _overlayer(adsorbates, coverage, height))
    if "note" in arrays:
        for note in arrays.pop("note").split("; "):
            _warnings.warn(note, stacklevel=2)
    atoms = _atoms(arrays)
    if atoms is None:
        arrays["pbc"] = (True, True, False)
        return arrays
    return atoms


def terminations(crystal, hkl, plane_tolerance=None):
    """Every termination of the plane with its planes and polarity: the dict `facetor terminations
    --format json` prints."""
    return _json.loads(_facetor.terminations_json(bulk(crystal), list(hkl), _tolerance(plane_tolerance) or 0.1))


def report(crystal, hkl, termination=None, plane_tolerance=None, adsorbates=None, coverage=None, height=None):
    """The surface report of the plane's termination: the dict `facetor report --format json`
    prints; with adsorbates, its "overlayer" too."""
    return _json.loads(_facetor.report_json(bulk(crystal), list(hkl), _termination(termination),
                                            _tolerance(plane_tolerance), _overlayer(adsorbates, coverage, height)))


def sites(crystal, hkl, termination=None, plane_tolerance=None):
    """The adsorption sites of the surface: the dict `facetor sites --format json` prints, each
    site's kind, label, fold, position (Angstrom; z the height above the top plane at which O
    binds), fractional position, bound atoms and multiplicity."""
    return _json.loads(_facetor.sites_json(bulk(crystal), list(hkl), _termination(termination),
                                           _tolerance(plane_tolerance)))


def leed(crystal, hkl, energy, wood=None, matrix=None, domains=False, termination=None, plane_tolerance=None,
         out=None, adsorbates=None, coverage=None, height=None):
    """The LEED pattern at normal incidence: the dict `facetor leed --format json` prints.

    energy: eV; wood: a superstructure in Wood notation ("p(2x2)", "c(2x2)", "(sqrt3xsqrt3)R30");
    matrix: or as a matrix on the substrate cell ("2 0 0 2", or four integers, or 2 x 2); domains:
    every domain the surface's symmetry makes; out: also draw the pattern into this .png or .svg;
    adsorbates: the pattern of their overlayer's cell, in every domain the substrate makes.
    """
    if not (_finite(energy) and energy > 0):
        raise ValueError(f"--energy {_word(energy)} is not a positive number of eV")
    return _json.loads(_facetor.leed_json(bulk(crystal), list(hkl), _termination(termination),
                                          _tolerance(plane_tolerance), float(energy), wood, _matrix(matrix),
                                          bool(domains), None if out is None else str(out),
                                          _overlayer(adsorbates, coverage, height)))


def figure(crystal, hkl, out, rotate=0.0, tilt=0.0, layers=None, thickness=None, size=None, width=1200, cell=False,
           axes=False, caption=True, colour="element", termination=None, plane_tolerance=None, adsorbates=None,
           coverage=None, height=None):
    """Writes the publication figure of the surface to out (.svg, .pdf or .png), as `facetor
    figure` does.

    rotate, tilt: degrees; layers: atomic planes shown (1 to 60; by default enough to fill the
    gaps) or thickness in Angstrom; size: (m, n) cells (by default about 12 x 10 top atoms);
    width: the PNG's pixels; cell, axes: outline a cell, draw its axes; caption: the title and the
    colour key; colour: "element", "layer" or "coordination"; adsorbates: drawn on the surface.
    """
    for name, angle in (("--rotate", rotate), ("--tilt", tilt)):
        if not _finite(angle):
            raise ValueError(f"{name} {_word(angle)} is not a finite angle in degrees")
    most = _facetor.max_figure_layers
    if layers is not None and not (_integer(layers) and 1 <= layers <= most):
        raise ValueError(f"--layers {_word(layers)} is not a count of planes from 1 to {most}")
    if thickness is not None and not (_finite(thickness) and 0 < thickness <= 100000):
        raise ValueError(f"--thickness {_word(thickness)} is not a number of Angstrom above 0 and at most 100000")
    repeat = _facetor.max_figure_repeat
    if size is not None and not (len(size) == 2 and all(_integer(n) and 1 <= n <= repeat for n in size)):
        raise ValueError(f"--size '{'x'.join(map(str, size))}' is not MxN cells (each from 1 to {repeat}, e.g. 12x10)")
    narrowest, widest = _facetor.figure_widths
    if not (_integer(width) and narrowest <= width <= widest):
        raise ValueError(f"--width {_word(width)} is not a width from {narrowest} to {widest} pixels")
    if layers is not None and thickness is not None:
        raise ValueError("options --layers and --thickness exclude each other")
    _facetor.figure(bulk(crystal), list(hkl), _termination(termination), _tolerance(plane_tolerance), str(out),
                    float(rotate), float(tilt), int(layers or 0), None if thickness is None else float(thickness),
                    tuple(size or (0, 0)), int(width), bool(cell), bool(axes), bool(caption), str(colour),
                    _overlayer(adsorbates, coverage, height))


def _overlayer(adsorbates, coverage, height):
    if height is not None and not (_finite(height) and 0 < height <= _facetor.max_adsorbate_height):
        raise ValueError(f"--height {_word(height)} is not a number of Angstrom above 0 and at most 100")
    if adsorbates is not None and not isinstance(adsorbates, str):
        adsorbates = ",".join(adsorbates)
    return _facetor.overlayer_request(adsorbates, _matrix(coverage),
                                      None if height is None else float(height))


def _matrix(matrix):
    """A superstructure as the batch front end reads it: the text, or four integers as "2 0 0 2"."""
    if matrix is None or isinstance(matrix, str):
        return matrix
    return " ".join(str(m) for m in _np.ravel(matrix))


def _termination(termination):
    return None if termination is None else str(termination)


def _tolerance(plane_tolerance):
    if plane_tolerance is None:
        return None
    if not (_finite(plane_tolerance) and 0 < plane_tolerance < 10):
        raise ValueError(f"--plane-tolerance {_word(plane_tolerance)} is not a number of Angstrom above 0 and below 10")
    return float(plane_tolerance)


def _finite(x):
    return isinstance(x, (int, float, _np.integer, _np.floating)) and not isinstance(x, bool) and _math.isfinite(x)


def _integer(x):
    return isinstance(x, (int, _np.integer)) and not isinstance(x, bool)


def _word(x):
    """A value as the batch front end's messages quote the word that gave it: '2', '-1.5'."""
    if isinstance(x, float) and x.is_integer():
        x = int(x)
    return f"'{x}'"


def _ase_atoms_fields():
    """ASE's Atoms and Cell, and the attributes and arrays Atoms(numbers, positions, cell, pbc, tags)
    sets; None without ASE."""
    try:
        from ase import Atoms
        from ase.cell import Cell
    except ImportError:
        return None
    probe = Atoms(numbers=[1], positions=[[0.0, 0.0, 0.0]], cell=_np.eye(3), pbc=(True, True, False), tags=[1])
    return Atoms, Cell, set(vars(probe)), set(probe.arrays)


_ASE = _ase_atoms_fields()
# What ase.Atoms.__init__ sets for these arguments, as the fast path below sets it.
_FAST_FIELDS = ({"_cellobj", "_pbc", "arrays", "_celldisp", "_constraints", "info", "_calc"},
                {"numbers", "positions", "tags"})


def _atoms(arrays):
    """The ase.Atoms of a slab's arrays (None without ASE). Where this ASE's Atoms holds what it
    always has, the arrays become its arrays as they are, without the constructor's copies and
    checks (they are fresh, of the types it keeps); otherwise the constructor makes it."""
    if _ASE is None:
        return None
    Atoms, Cell, fields, array_names = _ASE
    if (fields, array_names) == _FAST_FIELDS:
        atoms = Atoms.__new__(Atoms)
        atoms.arrays = {"numbers": arrays["numbers"], "positions": arrays["positions"], "tags": arrays["tags"]}
        atoms._cellobj = Cell(arrays["cell"])
        atoms._pbc = _np.array((True, True, False))
        atoms._celldisp = _np.zeros((3, 1))
        atoms._constraints = []
        atoms.info = {"title": arrays["title"]}
        atoms._calc = None
        return atoms
    atoms = Atoms(numbers=arrays["numbers"], positions=arrays["positions"], cell=arrays["cell"],
                  pbc=(True, True, False), tags=arrays["tags"])
    atoms.info["title"] = arrays["title"]
    return atoms
