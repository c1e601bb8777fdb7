# What an installed system gets: the program and the meter simulator, the launcher entry with its
# icons and AppStream metadata, and manual pages.
include(GNUInstallDirs)

set(distSource ${PROJECT_SOURCE_DIR}/dist)
set(distBuild ${PROJECT_BINARY_DIR}/dist)

install(TARGETS powerclamp RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

configure_file(${distSource}/powerclamp.desktop.in ${distBuild}/${POWERCLAMP_APP_ID}.desktop @ONLY)
install(FILES ${distBuild}/${POWERCLAMP_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

configure_file(${distSource}/powerclamp.metainfo.xml.in ${distBuild}/${POWERCLAMP_APP_ID}.metainfo.xml @ONLY)
install(FILES ${distBuild}/${POWERCLAMP_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

set(iconThemeDir ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${PROJECT_SOURCE_DIR}/app/resources/powerclamp.svg
        DESTINATION ${iconThemeDir}/scalable/apps RENAME ${POWERCLAMP_APP_ID}.svg)
# The PNGs are rendered from that SVG; the sizes are the ones desktops ask the theme for.
foreach(size 16 22 24 32 48 64 128 256)
    install(FILES ${distSource}/icons/${size}.png
            DESTINATION ${iconThemeDir}/${size}x${size}/apps RENAME ${POWERCLAMP_APP_ID}.png)
endforeach()

# Manual pages, gzip-compressed as Debian installs them.
if(UNIX)
    find_program(GZIP_PROGRAM gzip REQUIRED)
    set(manualPages ${distBuild}/powerclamp.1)
    configure_file(${distSource}/powerclamp.1.in ${distBuild}/powerclamp.1 @ONLY)

    if(TARGET powerclamp-metersim)
        install(TARGETS powerclamp-metersim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
        # The simulator's page is made from its --help, so it lists the options it really has.
        find_program(HELP2MAN_PROGRAM help2man REQUIRED)
        add_custom_command(OUTPUT ${distBuild}/powerclamp-metersim.1
            COMMAND ${HELP2MAN_PROGRAM} --no-info
                    "--name=simulated power clamp meter on a pseudo-terminal" --output=${distBuild}/powerclamp-metersim.1
                    $<TARGET_FILE:powerclamp-metersim>
            DEPENDS powerclamp-metersim
            VERBATIM)
        list(APPEND manualPages ${distBuild}/powerclamp-metersim.1)
    endif()

    set(compressedPages)
    foreach(page ${manualPages})
        add_custom_command(OUTPUT ${page}.gz
            COMMAND ${GZIP_PROGRAM} -9 -n -c ${page} > ${page}.gz
            DEPENDS ${page})
        list(APPEND compressedPages ${page}.gz)
    endforeach()
    add_custom_target(manual_pages ALL DEPENDS ${compressedPages})
    install(FILES ${compressedPages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
