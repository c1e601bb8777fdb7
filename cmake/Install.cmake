# What an installed system gets, in two components that the Debian packages follow:
#   window: the program with its launcher entry, icons, AppStream metadata and manual page;
#   cli:    the headless program, the logger service with its user and settings, the meter
#           simulator, and their manual pages.
include(GNUInstallDirs)

set(distSource ${PROJECT_SOURCE_DIR}/dist)
set(distBuild ${PROJECT_BINARY_DIR}/dist)

install(TARGETS powerclamp RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT window)

configure_file(${distSource}/powerclamp.desktop.in ${distBuild}/${POWERCLAMP_APP_ID}.desktop @ONLY)
install(FILES ${distBuild}/${POWERCLAMP_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
        COMPONENT window)

configure_file(${distSource}/powerclamp.metainfo.xml.in ${distBuild}/${POWERCLAMP_APP_ID}.metainfo.xml @ONLY)
install(FILES ${distBuild}/${POWERCLAMP_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
        COMPONENT window)

set(iconThemeDir ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${PROJECT_SOURCE_DIR}/app/resources/powerclamp.svg
        DESTINATION ${iconThemeDir}/scalable/apps RENAME ${POWERCLAMP_APP_ID}.svg COMPONENT window)
# The PNGs are rendered from that SVG; the sizes are the ones desktops ask the theme for.
foreach(size 16 22 24 32 48 64 128 256)
    install(FILES ${distSource}/icons/${size}.png
            DESTINATION ${iconThemeDir}/${size}x${size}/apps RENAME ${POWERCLAMP_APP_ID}.png COMPONENT window)
endforeach()

install(TARGETS powerclamp-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT cli)

# The logger service, for systemd. The unit names the program by its installed path, which only
# the install knows: cpack and `cmake --install --prefix` choose the prefix after configuring.
if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
    install(CODE "
        set(POWERCLAMP_INSTALL_BINDIR \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
        set(unit \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/lib/systemd/system/powerclamp-logger.service\")
        message(STATUS \"Installing: \${unit}\")
        configure_file(\"${distSource}/powerclamp-logger.service.in\" \"\${unit}\" @ONLY)"
        COMPONENT cli)
    install(FILES ${distSource}/powerclamp.sysusers DESTINATION lib/sysusers.d RENAME powerclamp.conf
            COMPONENT cli)
    # The unit reads its settings from here whatever the prefix.
    install(FILES ${distSource}/powerclamp-logger.default DESTINATION /etc/default RENAME powerclamp-logger
            COMPONENT cli)
endif()

# Manual pages, gzip-compressed as Debian installs them.
if(UNIX)
    find_program(GZIP_PROGRAM gzip REQUIRED)

    set(compressedPages)
    # powerclamp_manual_page(PAGE COMPONENT): installs ${distBuild}/PAGE, made by a rule or configured.
    function(powerclamp_manual_page page component)
        add_custom_command(OUTPUT ${distBuild}/${page}.gz
            COMMAND ${GZIP_PROGRAM} -9 -n -c ${distBuild}/${page} > ${distBuild}/${page}.gz
            DEPENDS ${distBuild}/${page})
        install(FILES ${distBuild}/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${component})
        set(compressedPages ${compressedPages} ${distBuild}/${page}.gz PARENT_SCOPE)
    endfunction()

    configure_file(${distSource}/powerclamp.1.in ${distBuild}/powerclamp.1 @ONLY)
    powerclamp_manual_page(powerclamp.1 window)
    configure_file(${distSource}/powerclamp-cli.1.in ${distBuild}/powerclamp-cli.1 @ONLY)
    powerclamp_manual_page(powerclamp-cli.1 cli)

    if(TARGET powerclamp-metersim)
        install(TARGETS powerclamp-metersim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT cli)
        # The simulator's page is made from its --help, so it lists the options it really has.
        find_program(HELP2MAN_PROGRAM help2man REQUIRED)
        add_custom_command(OUTPUT ${distBuild}/powerclamp-metersim.1
            COMMAND ${HELP2MAN_PROGRAM} --no-info
                    "--name=simulated power clamp meter on a pseudo-terminal" --output=${distBuild}/powerclamp-metersim.1
                    $<TARGET_FILE:powerclamp-metersim>
            DEPENDS powerclamp-metersim
            VERBATIM)
        powerclamp_manual_page(powerclamp-metersim.1 cli)
    endif()
    add_custom_target(manual_pages ALL DEPENDS ${compressedPages})
endif()
