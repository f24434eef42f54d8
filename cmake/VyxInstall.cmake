# cmake --install: the program with its language files in <prefix>/lib/zyntra-terminal (the program
# looks for them in VYX-Resourcen beside its own file), a symbolic link in <prefix>/bin, the desktop
# entry and the icons (PNGs made from the page's icon files, and the page's logo as the scalable
# one). The program is copied as it is: its resource archive is appended to the file, so the
# install step must not rewrite it (no RPATH editing, no stripping).
if(TARGET zyntra-terminal)
    include(GNUInstallDirs)
    set(_vyx_libdir ${CMAKE_INSTALL_LIBDIR}/zyntra-terminal)
    install(PROGRAMS $<TARGET_FILE:zyntra-terminal> DESTINATION ${_vyx_libdir})
    file(GLOB _vyx_install_lng CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/page/*.lng)
    install(FILES ${_vyx_install_lng} DESTINATION ${_vyx_libdir}/VYX-Resourcen)
    # A relative link, so a staged install (DESTDIR) and a moved prefix keep working.
    install(CODE "
        file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
        file(RELATIVE_PATH _target \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\"
             \"\${CMAKE_INSTALL_PREFIX}/${_vyx_libdir}/zyntra-terminal\")
        message(STATUS \"Installing: \$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/zyntra-terminal -> \${_target}\")
        file(CREATE_LINK \"\${_target}\" \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/zyntra-terminal\" SYMBOLIC)
    ")
    install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/zyntra-terminal.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    foreach(size 16 32 48)
        install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/zyntra-terminal-${size}.png
                DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
                RENAME zyntra-terminal.png)
    endforeach()
    install(FILES ${CMAKE_SOURCE_DIR}/resources/page/logo.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME zyntra-terminal.svg)
endif()
