"""python3 -m facetor ARGUMENTS: the batch front end, as the `facetor` program runs it: the one
FACETOR names, else the one cmake --install put beside this package's prefix, else the build
tree's, else the one on the PATH."""

import os
import shutil
import sys


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    try:
        from ._program import PROGRAM  # written by cmake --install
        installed = os.path.normpath(os.path.join(here, PROGRAM))
    except ImportError:
        installed = None
    candidates = [os.environ.get("FACETOR"), installed, os.path.join(here, "..", "..", "facetor", "facetor"),
                  shutil.which("facetor")]
    for program in candidates:
        if program and os.path.isfile(program) and os.access(program, os.X_OK):
            os.execv(program, [program] + sys.argv[1:])
    sys.stderr.write("facetor: the facetor program is neither beside the package nor on the PATH\n")
    sys.exit(2)


main()
