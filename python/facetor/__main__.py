"""python3 -m facetor ARGUMENTS: the batch front end, as the `facetor` program beside the package
or on the PATH runs it."""

import os
import shutil
import sys


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    candidates = [os.environ.get("FACETOR"), os.path.join(here, "..", "..", "facetor", "facetor"),
                  shutil.which("facetor")]
    for program in candidates:
        if program and os.path.isfile(program) and os.access(program, os.X_OK):
            os.execv(program, [program] + sys.argv[1:])
    sys.stderr.write("facetor: the facetor program is neither beside the package nor on the PATH\n")
    sys.exit(2)


main()
