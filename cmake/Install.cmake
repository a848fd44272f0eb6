# What `cmake --install` lays down: the program out of the way in libexec, the `nelvox` launcher that
# starts it in the user's data directory, and the desktop entry, metainfo, icons and help page.
include(GNUInstallDirs)

set(NELVOX_APP_ID io.github.nelvox.Nelvox)
set(NELVOX_PROGRAM_DIR ${CMAKE_INSTALL_LIBEXECDIR}/nelvox)
set(NELVOX_HELP_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/nelvox/help)
set(nelvoxResources ${PROJECT_SOURCE_DIR}/src/res)

install(TARGETS nelvox RUNTIME DESTINATION ${NELVOX_PROGRAM_DIR})

# The launcher finds the program by the path from its own directory, which stays right wherever the
# tree is unpacked as long as both directories hang off the same prefix.
file(RELATIVE_PATH NELVOX_LAUNCHER_PROGRAM ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBEXECDIR}/nelvox/nelvox)
configure_file(${PROJECT_SOURCE_DIR}/scripts/nelvox-launcher.in ${PROJECT_BINARY_DIR}/launcher/nelvox @ONLY)
install(PROGRAMS ${PROJECT_BINARY_DIR}/launcher/nelvox DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES ${nelvoxResources}/desktop/${NELVOX_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
# The metainfo's newest release carries the project's version.
configure_file(${nelvoxResources}/desktop/${NELVOX_APP_ID}.metainfo.xml.in
               ${PROJECT_BINARY_DIR}/desktop/${NELVOX_APP_ID}.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/desktop/${NELVOX_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)

foreach(size 16 32 48 64 128)
    install(FILES ${nelvoxResources}/icons/nelvox-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/${size}x${size}/apps
            RENAME ${NELVOX_APP_ID}.png)
endforeach()
install(FILES ${nelvoxResources}/icons/nelvox.svg
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps
        RENAME ${NELVOX_APP_ID}.svg)

install(FILES ${nelvoxResources}/help/index.html ${nelvoxResources}/help/index.de.html
              ${nelvoxResources}/help/index.fr.html DESTINATION ${NELVOX_HELP_DIR})
# The program reads its translations from its resources; the files are here for the desktop's tools.
install(FILES ${NELVOX_QM_FILES} DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/nelvox/translations)
