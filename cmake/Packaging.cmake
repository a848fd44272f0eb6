# The Debian package built by `cpack -G DEB`: everything cmake/Install.cmake lays down, under /usr,
# with its library dependencies worked out by dpkg-shlibdeps.
set(CPACK_PACKAGE_NAME nelvox)
# The version of project() in the top CMakeLists.txt, as the program and the metainfo name it.
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Nelvox developers")
set(CPACK_PACKAGE_CONTACT "The Nelvox developers <nelvox@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "tray tool that tells you when watched web pages change")
set(CPACK_PACKAGE_DESCRIPTION
    "Nelvox keeps a list of web pages and checks each one hourly, daily, weekly\n"
    "or monthly. It keeps a copy of every page and tells you when a fresh download\n"
    "differs in length from that copy. It lives in the system tray.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
# No Homepage field until Nelvox has a public home.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Beyond the libraries it links: certificates to reach https:// pages, the tools Qt uses to open
# the browser and to draw on X11 and Wayland, Qt's SQLite driver, which reads Firefox's bookmarks, and
# Qt's translations of its own buttons and dialogs.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "ca-certificates")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, qt6-qpa-plugins, libqt6sql6-sqlite, qt6-translations-l10n")

include(CPack)
