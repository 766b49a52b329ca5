# Run by cmake --install: writes facetor/_program.py into the installed package, the path from
# the package to the installed facetor program, so that python3 -m facetor runs it wherever the
# prefix is moved with the package.
if(IS_ABSOLUTE "${FACETOR_PYTHON_INSTALL_DIR}")
  set(package "${FACETOR_PYTHON_INSTALL_DIR}/facetor")
else()
  set(package "${CMAKE_INSTALL_PREFIX}/${FACETOR_PYTHON_INSTALL_DIR}/facetor")
endif()
file(RELATIVE_PATH program "${package}" "${CMAKE_INSTALL_PREFIX}/bin/facetor")
message(STATUS "Installing: $ENV{DESTDIR}${package}/_program.py")
file(WRITE "$ENV{DESTDIR}${package}/_program.py"
     "# Written by cmake --install: the facetor program, relative to this package.\nPROGRAM = \"${program}\"\n")
