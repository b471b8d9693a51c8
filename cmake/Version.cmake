# One version number for every program: the project's, in a generated header.
configure_file(${CMAKE_CURRENT_LIST_DIR}/TilvexVersion.h.in ${CMAKE_BINARY_DIR}/generated/TilvexVersion.h @ONLY)
include_directories(${CMAKE_BINARY_DIR}/generated)
