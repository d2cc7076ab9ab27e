# What `cmake --install` puts on a system, and the Debian package CPack makes
# of it: the game, its menu entry, its icon and its manual page.
include(GNUInstallDirs)

install(TARGETS blockdrop RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/data/blockdrop.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/blockdrop.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Manual pages ship compressed, reproducibly (no name or time stamp).
find_program(GZIP gzip REQUIRED)
add_custom_command(
  OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/blockdrop.6.gz
  COMMAND ${GZIP} -9nc ${PROJECT_SOURCE_DIR}/data/blockdrop.6 > ${CMAKE_CURRENT_BINARY_DIR}/blockdrop.6.gz
  DEPENDS ${PROJECT_SOURCE_DIR}/data/blockdrop.6
  VERBATIM)
add_custom_target(blockdrop_manpage ALL DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/blockdrop.6.gz)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/blockdrop.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME blockdrop)
set(CPACK_PACKAGE_VENDOR "Block Drop team")
set(CPACK_PACKAGE_CONTACT "Block Drop team <team@blockdrop.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "catch the falling squares in a bucket")
set(CPACK_PACKAGE_DESCRIPTION "Coloured squares drop one row per second down a shaft five columns wide.
Shift the bucket below with the arrow keys so that every square lands in
it: fill all 15 cells to win, let a square land on a full column and lose.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The SDL2 runtime library comes from dpkg-shlibdeps; the message box draws
# its text with the X core fonts, which no library dependency brings in.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "xfonts-base")
set(CPACK_STRIP_FILES ON)
include(CPack)
