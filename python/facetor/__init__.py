"""FACETOR from Python: bulk crystals, their surfaces, slabs as ASE atoms, at C++ speed.

    >>> import facetor
    >>> slab = facetor.slab("Pt", (1, 1, 1), layers=4, size=(2, 2))   # an ase.Atoms
    >>> facetor.terminations("TiO2", (1, 1, 0))["terminations"][0]["tasker"]
    3

A bulk is a preset's name ("Cu", "TiO2", ...; facetor.materials() lists them), the path of a CIF,
POSCAR or extended XYZ file, an ase.Atoms with a cell, or a facetor.Bulk. Miller indices refer to
the cell as given (four, h k i l, on hexagonal axes). Bad arguments raise ValueError with the
message the `facetor` command prints; a file that cannot be read raises OSError.
"""

import functools as _functools
import json as _json

from . import _facetor

__version__ = _facetor.version
Bulk = _facetor.Bulk

__all__ = ["Bulk", "bulk", "materials", "slab", "terminations", "report", "__version__"]


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
        return _preset(crystal) if _facetor.is_preset(crystal) else _facetor.preset_or_file(crystal)
    if hasattr(crystal, "get_scaled_positions") and hasattr(crystal, "get_chemical_symbols"):
        return _facetor.from_arrays(crystal.get_chemical_formula(), crystal.cell[:],
                                    crystal.get_scaled_positions(wrap=True), crystal.get_chemical_symbols())
    raise TypeError("a bulk is a preset's name, a file's path, an ase.Atoms or a facetor.Bulk, not "
                    + type(crystal).__name__)


@_functools.lru_cache(maxsize=None)
def _preset(name):
    return _facetor.preset_or_file(name)


def slab(crystal, hkl, layers=None, thickness=None, size=(1, 1), vacuum=10.0, termination=1, orthogonal=False,
         symmetric=False, plane_tolerance=0.1):
    """The periodic slab of a bulk's plane hkl.

    layers: atomic planes (6 unless thickness is given); thickness: the fewest whole planes at
    least that thick, Angstrom, never thinner; size: the in-plane cell repeated (m, n) times;
    vacuum: Angstrom on each side; termination: 1, 2, ... as terminations() numbers them;
    orthogonal: the smallest rectangular in-plane cell; symmetric: both faces the same
    termination. Returns an ase.Atoms (pbc True, True, False; tags numbering the atomic planes
    from 1 at the top, as ASE's own builders do) when ASE is importable, else a dict of numpy
    arrays: cell, positions, numbers, tags, and the element list.
    """
    arrays = _facetor.slab(bulk(crystal), list(hkl), layers, thickness, tuple(size), float(vacuum), int(termination),
                           bool(orthogonal), bool(symmetric), float(plane_tolerance))
    try:
        from ase import Atoms
    except ImportError:
        arrays["pbc"] = (True, True, False)
        return arrays
    atoms = Atoms(numbers=arrays["numbers"], positions=arrays["positions"], cell=arrays["cell"],
                  pbc=(True, True, False), tags=arrays["tags"])
    atoms.info["title"] = arrays["title"]
    return atoms


def terminations(crystal, hkl, plane_tolerance=0.1):
    """Every termination of the plane with its planes and polarity: the dict `facetor terminations
    --format json` prints."""
    return _json.loads(_facetor.terminations_json(bulk(crystal), list(hkl), float(plane_tolerance)))


def report(crystal, hkl, termination=1, plane_tolerance=0.1):
    """The surface report of the plane's termination: the dict `facetor report --format json`
    prints."""
    return _json.loads(_facetor.report_json(bulk(crystal), list(hkl), int(termination), float(plane_tolerance)))
