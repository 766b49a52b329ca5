"""FACETOR's adsorption sites against pymatgen's AdsorbateSiteFinder on the same FCC surfaces.

pymatgen is a peer, not the truth. Both find one class of site for each symmetry-distinct point,
so the counts of classes agree once pymatgen's names are read as FACETOR's: its "ontop" is
FACETOR's top, its "hollow" holds FACETOR's fcc and hcp (pymatgen does not tell them apart by the
plane below), and it calls the 4-fold hollow of FCC (1 0 0) and (1 1 0) a "bridge" (it finds the
hollows from triangles of the top atoms, and the centre of a square or rectangle is the midpoint
of a triangle's edge there). FACETOR names that site the 4-fold hollow it is: it binds four atoms.
"""

import json
import os
import subprocess
from collections import Counter

import pytest

pytest.importorskip("pymatgen.analysis.adsorption")
from pymatgen.analysis.adsorption import AdsorbateSiteFinder  # noqa: E402
from pymatgen.core import Lattice, Structure  # noqa: E402
from pymatgen.core.surface import SlabGenerator  # noqa: E402

FACETOR = os.environ.get("FACETOR", "facetor")

# FACETOR's label -> pymatgen's name for the same site.
PYMATGEN_NAME = {"top": "ontop", "bridge": "bridge", "short bridge": "bridge", "long bridge": "bridge",
                 "fcc": "hollow", "hcp": "hollow", "3-fold hollow": "hollow", "4-fold hollow": "bridge"}

ROWS = [("Pt", 3.924, (1, 1, 1)), ("Cu", 3.615, (1, 0, 0)), ("Cu", 3.615, (1, 1, 0))]


@pytest.mark.parametrize("element,a,hkl", ROWS)
def test_site_classes_agree_once_named_alike(element, a, hkl):
    out = subprocess.run([FACETOR, "sites", "--lattice", "fcc", "--elements", element, "--a", str(a), "--hkl",
                          *map(str, hkl), "--format", "json"], check=True, capture_output=True, text=True).stdout
    facetor = Counter(PYMATGEN_NAME[s["label"]] for s in json.loads(out)["sites"])
    bulk = Structure.from_spacegroup("Fm-3m", Lattice.cubic(a), [element], [[0, 0, 0]])
    counts = set()
    for vacuum in (10, 20):
        slab = SlabGenerator(bulk, hkl, 8, vacuum, center_slab=True, primitive=True,
                             reorient_lattice=True).get_slabs()[0]
        sites = AdsorbateSiteFinder(slab).find_adsorption_sites(distance=2.0)
        counts.add(tuple(sorted((k, len(v)) for k, v in sites.items() if k != "all" and v)))
    assert len(counts) == 1
    assert dict(counts.pop()) == dict(facetor)


# Open and stepped surfaces, where atoms of several planes are exposed. pymatgen takes the atoms
# within 0.9 Angstrom of the top as the surface and triangulates their projections; FACETOR takes
# the atoms a probe of the crystal's own size can touch and rests the probe on them in three
# dimensions. On Pt (2 1 1) both find the same classes of each kind: two tops (step edge and
# terrace), four bridges and four hollows (FACETOR's B5 site at the foot of the step, the step fcc
# and hcp hollows and the terrace hcp). On Fe (1 1 1) the tops agree (first- and second-plane
# atoms) but the rest does not: FACETOR's deep hollow over the third-plane atom binds three top
# atoms and its 3-fold hollows between first- and second-plane atoms are where the probe rests on
# three atoms, while pymatgen, triangulating the projected honeycomb, keeps only bridges there (it
# drops the triangles that are obtuse in projection).
KIND = {"top": "ontop", "bridge": "bridge", "hollow": "hollow", "fcc": "hollow", "hcp": "hollow"}

OPEN_ROWS = [("Pt", 3.924, "fcc", "Fm-3m", (2, 1, 1), ("ontop", "bridge", "hollow")),
             ("Fe", 2.8665, "bcc", "Im-3m", (1, 1, 1), ("ontop",))]


@pytest.mark.parametrize("element,a,lattice,group,hkl,agreed", OPEN_ROWS)
def test_open_surfaces_agree_where_both_see_the_same_atoms(element, a, lattice, group, hkl, agreed):
    out = subprocess.run([FACETOR, "sites", "--lattice", lattice, "--elements", element, "--a", str(a), "--hkl",
                          *map(str, hkl), "--format", "json"], check=True, capture_output=True, text=True).stdout
    facetor = Counter(KIND[s["kind"]] for s in json.loads(out)["sites"])
    bulk = Structure.from_spacegroup(group, Lattice.cubic(a), [element], [[0, 0, 0]])
    slab = SlabGenerator(bulk, hkl, 12, 10, center_slab=True, primitive=True, reorient_lattice=True).get_slabs()[0]
    sites = AdsorbateSiteFinder(slab).find_adsorption_sites(distance=2.0)
    for kind in agreed:
        assert facetor[kind] == len(sites[kind]), kind
