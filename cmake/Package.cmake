# The Debian packages: cpack -G DEB in the build folder makes one per install component,
# powerclamp (the window) and powerclamp-cli (the headless program and its service).
set(CPACK_PACKAGE_NAME powerclamp)
set(CPACK_PACKAGE_VENDOR "powerclamp developers")
set(CPACK_PACKAGE_CONTACT "powerclamp developers <powerclamp@example.org>")
set(CPACK_PACKAGE_HOMEPAGE_URL ${POWERCLAMP_HOMEPAGE})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The install puts the defaults file in /etc and writes the service's unit itself, so the package
# is staged the way `DESTDIR=... cmake --install` stages it.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_COMPONENTS_ALL window cli)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
# Library dependencies come from dpkg-shlibdeps (dpkg-dev), which reads the binaries with `file`.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

# Descriptions: the summary line, then one paragraph wrapped as Debian shows it.
set(CPACK_DEBIAN_WINDOW_PACKAGE_NAME powerclamp)
string(JOIN "\n" CPACK_DEBIAN_WINDOW_DESCRIPTION
    "desktop companion for a three-phase clamp power meter"
    "Finds the meter on serial ports 1 to 16 and shows four live readings,"
    "refreshed every 1.5 s. Downloads the records stored in the meter into a"
    "table; saves the readings as a picture or text, the records as a text"
    "table or a spreadsheet workbook, and prints either view. The meter"
    "simulator and the headless logger are in powerclamp-cli.")

set(CPACK_DEBIAN_CLI_PACKAGE_NAME powerclamp-cli)
string(JOIN "\n" CPACK_DEBIAN_CLI_DESCRIPTION
    "three-phase clamp power meter on the command line, and a logging service"
    "powerclamp-cli lists the ports, prints live readings once or as they come,"
    "downloads the meter's records to text, CSV or a spreadsheet workbook, and"
    "logs every reading to daily CSV files. The powerclamp-logger service runs"
    "that log from boot as the system user powerclamp; it is installed but not"
    "enabled. Needs no display. Includes powerclamp-metersim, a meter simulator"
    "on a pseudo-terminal.")
# The user is made through systemd-sysusers, which systemd brings.
set(CPACK_DEBIAN_CLI_PACKAGE_RECOMMENDS systemd)
set(CPACK_DEBIAN_CLI_PACKAGE_CONTROL_EXTRA
    ${PROJECT_SOURCE_DIR}/dist/powerclamp-cli-package/conffiles
    ${PROJECT_SOURCE_DIR}/dist/powerclamp-cli-package/postinst
    ${PROJECT_SOURCE_DIR}/dist/powerclamp-cli-package/prerm
    ${PROJECT_SOURCE_DIR}/dist/powerclamp-cli-package/postrm)
set(CPACK_DEBIAN_CLI_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
