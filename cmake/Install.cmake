# What `cmake --install` puts where: the programs and what a Linux desktop
# needs to show them (menu entry, icon, file type, software-centre metadata),
# manual pages and shell completion.
include(GNUInstallDirs)

set(TILVEX_APP_ID org.tilvex.Tilvex)
set(TILVEX_RELEASE_DATE 2026-12-08)
set(TILVEX_DATA ${CMAKE_SOURCE_DIR}/data)
set(TILVEX_GENERATED ${CMAKE_BINARY_DIR}/generated/data)
# Packages want 0755 directories whatever the umask of the one who builds.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# Everything belongs to the package tilvex but tilvex-mpi's own files, which
# go into the package tilvex-mpi (component mpi), so the desktop's package
# does not pull Open MPI in.
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME tilvex)
install(TARGETS tilvex-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET tilvex-desktop)
    install(TARGETS tilvex-desktop RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

install(FILES ${TILVEX_DATA}/${TILVEX_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${TILVEX_DATA}/tilvex-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME tilvex.xml)
configure_file(${TILVEX_DATA}/${TILVEX_APP_ID}.metainfo.xml.in ${TILVEX_GENERATED}/${TILVEX_APP_ID}.metainfo.xml @ONLY)
install(FILES ${TILVEX_GENERATED}/${TILVEX_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

install(FILES ${TILVEX_DATA}/icons/tilvex.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 22 24 32 48 64 128 256)
    install(FILES ${TILVEX_DATA}/icons/tilvex-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME tilvex.png)
endforeach()

install(FILES ${TILVEX_DATA}/completion/tilvex-cli DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

# Manual pages and the package's changelog carry the version and are kept
# compressed, as Debian wants them (-n: no name or time stamp inside).
find_program(GZIP_PROGRAM gzip REQUIRED)
function(tilvex_compressed source output)
    configure_file(${source} ${TILVEX_GENERATED}/${output} @ONLY)
    execute_process(COMMAND ${GZIP_PROGRAM} -9 -n -f -k ${TILVEX_GENERATED}/${output} COMMAND_ERROR_IS_FATAL ANY)
endfunction()
foreach(page tilvex.1 tilvex-cli.1)
    tilvex_compressed(${TILVEX_DATA}/man/${page} ${page})
    install(FILES ${TILVEX_GENERATED}/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
tilvex_compressed(${TILVEX_DATA}/doc/changelog changelog)
install(FILES ${TILVEX_GENERATED}/changelog.gz ${TILVEX_DATA}/doc/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tilvex)
if(TARGET tilvex_python)
    install(FILES ${TILVEX_GENERATED}/changelog.gz ${TILVEX_DATA}/doc/copyright
            DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/python3-tilvex COMPONENT python)
endif()

if(TARGET tilvex-mpi)
    install(TARGETS tilvex-mpi RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT mpi)
    tilvex_compressed(${TILVEX_DATA}/man/tilvex-mpi.1 tilvex-mpi.1)
    install(FILES ${TILVEX_GENERATED}/tilvex-mpi.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT mpi)
    # tilvex-cli's completion knows tilvex-mpi's commands too.
    install(FILES ${TILVEX_DATA}/completion/tilvex-cli DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
            RENAME tilvex-mpi COMPONENT mpi)
    install(FILES ${TILVEX_GENERATED}/changelog.gz ${TILVEX_DATA}/doc/copyright
            DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tilvex-mpi COMPONENT mpi)
    install(FILES ${TILVEX_DATA}/tilvex-poster.sbatch DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tilvex-mpi/examples
            COMPONENT mpi)
endif()
