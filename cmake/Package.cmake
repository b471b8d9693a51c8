# `make package`: a Debian package of what cmake/Install.cmake installs, its
# dependencies computed from the programs by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tilvex)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Tilvex developers <tilvex@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "grow symmetric quilt patterns from iterated maps")
set(CPACK_PACKAGE_DESCRIPTION
    "Tilvex draws quilts: wallpaper-like patterns that appear as a point jumps
about a tile under a chaotic map with the tile's symmetry. Square,
hexagonal, 4-6-12, 4-8-8, 3-12-12 and Wild Corner quilts; palettes from the
visit counts; pictures saved as BMP, PCX or PNG; sessions saved in .qlt files.
A studio renderer makes large, smooth, true-colour pictures of a quilt on
every core, and a gallery makes many random quilts at once, scored and shown
best first.
.
This package holds the Qt desktop program tilvex (with its studio export and
preview and the Explore Gallery window) and tilvex-cli, which makes the same
quilts from the command line: render, info, studio and gallery.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Added to the computed list: Qt finds its windowing plugins at run time only.
if(TARGET tilvex-desktop)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
endif()
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR})
include(CPack)
