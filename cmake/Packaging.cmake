# The Debian package, made by `cpack -G DEB` (scripts/package). Configure with
# CMAKE_INSTALL_PREFIX=/usr so that the library goes to the multiarch folder
# the package's paths are computed for.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kresta)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "Kresta")
set(CPACK_PACKAGE_CONTACT "Kresta developers <dev@kresta.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "vector graphics editor")
set(CPACK_PACKAGE_DESCRIPTION
"Kresta draws images made of figures with the mouse: polylines, rectangles,
polygons, rounded rectangles, ellipses, pies, chords, single-line texts and
BMP pictures. Every figure stays an editable object that can be selected,
moved, reshaped by its control points, restyled and reordered. Images are
kept in the program's own .kri files and export as BMP pictures.

The package also holds kri, a command-line tool that prints, converts and
renders .kri images without a display.

The user interface is in Russian.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The library dependencies come from dpkg-shlibdeps. It finds libranklib in
# the staged tree through the programs' $ORIGIN run path and, as the library
# ships in this package, asks for no other package for it.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Russian for Qt's own dialogs; the fonts the program puts in place of the
# typefaces stored images name (Arial, Times New Roman, Courier New).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-liberation2, fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "qt6-wayland")

include(CPack)
