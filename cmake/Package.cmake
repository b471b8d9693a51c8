# `make package`: a Debian package of what cmake/Install.cmake installs, its
# dependencies computed from the programs by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tilvex)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Tilvex developers <tilvex@example.org>")
set(TILVEX_PACKAGE_DESCRIPTION
    "grow symmetric quilt patterns from iterated maps
Tilvex draws quilts: wallpaper-like patterns that appear as a point jumps
about a tile under a chaotic map with the tile's symmetry. Square,
hexagonal, 4-6-12, 4-8-8, 3-12-12 and Wild Corner quilts; palettes from the
visit counts; pictures saved as BMP, PCX or PNG; sessions saved in .qlt files.
A studio renderer makes large, smooth, true-colour pictures of a quilt on
every core, and a gallery makes many random quilts at once, scored and shown
best first.
.
This package holds the Qt desktop program tilvex (with its studio export and
preview, the parameter editor, the Variations and Explore Gallery windows) and
tilvex-cli, which makes the same quilts from the command line: render, info,
studio, gallery, params and variations.")
string(REGEX REPLACE "\n.*" "" CPACK_PACKAGE_DESCRIPTION_SUMMARY "${TILVEX_PACKAGE_DESCRIPTION}")
string(REGEX REPLACE "^[^\n]*\n" "" CPACK_PACKAGE_DESCRIPTION "${TILVEX_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Added to the computed list: Qt finds its windowing plugins at run time only.
if(TARGET tilvex-desktop)
    set(CPACK_DEBIAN_TILVEX_PACKAGE_DEPENDS "qt6-qpa-plugins")
endif()
# One package per install component: tilvex, python3-tilvex and tilvex-mpi
# when they are built; each description starts with its own summary line.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL tilvex)
set(CPACK_DEBIAN_TILVEX_PACKAGE_NAME tilvex)
set(CPACK_DEBIAN_TILVEX_DESCRIPTION "${TILVEX_PACKAGE_DESCRIPTION}")
if(TARGET tilvex_python)
    list(APPEND CPACK_COMPONENTS_ALL python)
    set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME python3-tilvex)
    set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
    set(CPACK_DEBIAN_PYTHON_DESCRIPTION
        "Python module for Tilvex quilt patterns
The module tilvex makes the quilts of Tilvex (wallpaper-like patterns grown
by chaotic maps with a tile's symmetry) from Python: their density grids,
exact pictures and smooth true-colour pictures as NumPy arrays, galleries of
random quilts made on every core, and sessions that tilvex and tilvex-cli
open.")
    math(EXPR TILVEX_PYTHON_NEXT "${Python3_VERSION_MINOR} + 1")
    set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS
        "python3 (>= ${Python3_VERSION_MAJOR}.${Python3_VERSION_MINOR}), python3 (<< ${Python3_VERSION_MAJOR}.${TILVEX_PYTHON_NEXT}), python3-numpy")
endif()
if(TARGET tilvex-mpi)
    list(APPEND CPACK_COMPONENTS_ALL mpi)
    set(CPACK_DEBIAN_MPI_PACKAGE_NAME tilvex-mpi)
    set(CPACK_DEBIAN_MPI_PACKAGE_SECTION science)
    # mpirun starts the job; under Slurm, srun can instead.
    set(CPACK_DEBIAN_MPI_PACKAGE_RECOMMENDS "openmpi-bin")
    set(CPACK_DEBIAN_MPI_DESCRIPTION "Tilvex quilt posters, galleries and films on an MPI cluster
tilvex-mpi runs the studio, gallery and animate commands of tilvex-cli over
the processes of an MPI job, started by mpirun or by Slurm. A poster's
samples are shared among the processes and summed onto the first, a
gallery's quilts and a film's frames dealt among them. The files are those tilvex-cli writes, byte for
byte, whatever the number of processes.
.
The package holds tilvex-mpi, its manual page, bash completion and an
example Slurm batch script.")
endif()
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR})
include(CPack)
