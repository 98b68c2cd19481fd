# The Debian package: "cpack -G DEB" in the build folder (scripts/build-deb.sh).
# dpkg-shlibdeps finds the libraries the programs link; the packages below are
# what they load at run time and no linker sees.

set(CPACK_PACKAGE_NAME "quillet")
set(CPACK_PACKAGE_VENDOR "Orlan")
set(CPACK_PACKAGE_CONTACT "Orlan <support@orlan.example>")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "submission aid for authors of downloadable software")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Quillet keeps a database of software submission sites, your company details and one record per program, and "
    "fills the sites' submit forms in its embedded browser. quillet-cli works on the same data from scripts.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://www.orlan.example/quillet.html")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The web engine's helper process, the SQLite driver and the SVG icon plugin.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6webenginecore6-bin, libqt6sql6-sqlite, libqt6svg6")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")

include(CPack)
