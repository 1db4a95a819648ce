# What `cmake --install` puts where, and the Debian package that `cpack -G DEB` makes of it:
# programs in bin, each window program with its desktop entry and icon.
include(GNUInstallDirs)

# Installs a window program with packaging/NAME.desktop and packaging/NAME.svg.
function(tavrel_install_window_program target name)
    install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/${name}.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/${name}.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endfunction()

set(CPACK_PACKAGE_NAME tavrel-brisko)
set(CPACK_PACKAGE_VENDOR "Tavrel and Brisko developers")
set(CPACK_PACKAGE_CONTACT "Tavrel and Brisko developers <tools@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Game data tools: the table editor Tavrel, the pack creator Brisko and zpk")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
# The libraries the programs link, found by dpkg-shlibdeps (Qt, zlib, the C++ runtime), and Qt's
# platform plugins, which the windows load at run time and no linked library names.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_STRIP_FILES ON)
include(CPack)
