# The Debian package: cpack -G DEB in the build folder. Its files are the install rules'.
set(CPACK_PACKAGE_NAME powerclamp)
set(CPACK_PACKAGE_VENDOR "powerclamp developers")
set(CPACK_PACKAGE_CONTACT "powerclamp developers <powerclamp@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop companion for a three-phase clamp power meter")
# One paragraph, wrapped as Debian shows it.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Finds the meter on serial ports 1 to 16 and shows four live readings,"
    "refreshed every 1.5 s. Downloads the records stored in the meter into a"
    "table; saves the readings as a picture or text, the records as a text"
    "table or a spreadsheet workbook, and prints either view. Includes"
    "powerclamp-metersim, a meter simulator on a pseudo-terminal.")
set(CPACK_PACKAGE_HOMEPAGE_URL ${POWERCLAMP_HOMEPAGE})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
# Library dependencies come from dpkg-shlibdeps (dpkg-dev), which reads the binaries with `file`.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

include(CPack)
