# The Debian package zarvo_<version>-<revision>_<arch>.deb, made by cpack from
# what `cmake --install` installs under /usr.

set(ZARVO_PACKAGE_MAINTAINER "Zarvo developers <maintainers@zarvo.invalid>"
    CACHE STRING "The Maintainer of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zarvo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Zarvo developers")
set(CPACK_PACKAGE_CONTACT "${ZARVO_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "design, preview and print pre-printed business forms")
set(CPACK_PACKAGE_DESCRIPTION
"Zarvo designs pre-printed business forms (delivery notes, statements,
receipts) and test-prints them with sample data. A form is a report file in
Big5 (Traditional Chinese) text that describes its ruled lines, fixed
captions and named data frames in millimetres.

The designer edits a report as text or row by row, places frames with the
mouse over a scan of the stationery, previews the form filled with test data
and prints it on CUPS printers or into PDF files, every sheet on its own
paper size and orientation. A CSV or JSON data file fills one form per
record, and each printer can be calibrated so that the data lands in the
printed boxes.

The zarvo-render command draws the same forms into PNG images, PDF files or
print jobs without a window. The zarvo-service user service prints them for
other programs on the same computer, asked over HTTP on the loopback
addresses or given data files in watched folders.")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# The libraries the programs link come from dpkg-shlibdeps; these are what
# they load at run time, which no linker sees: Qt's platform and image format
# plugins (TIFF scans of the stationery), Qt's Traditional Chinese texts, the
# AR PL faces that stand in for the forms' two Chinese faces, the
# monospaced face of the source editor, Qt's SQL drivers for forms filled
# from a database, and Qt SVG, which draws the pictures of forms (linked,
# named here too so that a package built without shlibdeps has it).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, qt6-image-formats-plugins, libqt6svg6, qt6-translations-l10n, fonts-arphic-uming, fonts-arphic-ukai, fonts-dejavu-core, libqt6sql6-sqlite, libqt6sql6-psql, libqt6sql6-mysql, libqt6sql6-odbc")
# Zarvo talks to CUPS through libcups (a linked library, so above); the CUPS
# client commands are what users check its printer names against (lpstat -e).
# ODBC drivers reach the databases Qt has no driver of its own for.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "cups-client, odbc-postgresql, odbc-mariadb, tdsodbc, libsqliteodbc")

include(CPack)
