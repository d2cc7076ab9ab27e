# What `cmake --install` puts on a system, and the Debian package CPack makes
# of it: the game, its menu entry, icon, AppStream metainfo and manual page.
#
# A user's own install (`cmake --install build-play --prefix ~/.local`) puts
# the game in bin/. The Debian package puts it in /usr/games, as Debian does
# with every game: scripts/check-package.sh configures with
# -DCMAKE_INSTALL_BINDIR=games and with dpkg-buildflags' hardened flags.
include(GNUInstallDirs)

# The menu entry, the icon and the metainfo are named after the game's
# AppStream id, as software centres expect.
set(blockdrop_id invalid.blockdrop.blockdrop)

install(TARGETS blockdrop RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Stripping (cpack, or `cmake --install --strip`) also drops the compiler's
# notes, which a stripped game has no use for.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/$<TARGET_FILE_NAME:blockdrop>\"
      COMMAND_ERROR_IS_FATAL ANY)
  endif()")
install(FILES ${PROJECT_SOURCE_DIR}/data/${blockdrop_id}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/blockdrop.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME ${blockdrop_id}.svg)
install(FILES ${PROJECT_SOURCE_DIR}/data/${blockdrop_id}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The manual page and the change log ship compressed, reproducibly (no name
# or time stamp in the gzip header). The game's target builds them, so that
# building just the game is enough to install it.
find_program(GZIP gzip REQUIRED)
foreach(source data/blockdrop.6 packaging/changelog)
  get_filename_component(name ${source} NAME)
  add_custom_command(
    OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/${name}.gz
    COMMAND ${GZIP} -9nc ${PROJECT_SOURCE_DIR}/${source} > ${CMAKE_CURRENT_BINARY_DIR}/${name}.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/${source}
    VERBATIM)
endforeach()
add_custom_target(blockdrop_compressed_docs
  DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/blockdrop.6.gz ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
add_dependencies(blockdrop blockdrop_compressed_docs)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/blockdrop.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz ${PROJECT_SOURCE_DIR}/packaging/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME blockdrop)
set(CPACK_PACKAGE_VENDOR "The Block Drop developers")
set(CPACK_PACKAGE_CONTACT "The Block Drop developers <team@blockdrop.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "catch the falling squares in a bucket")
set(CPACK_PACKAGE_DESCRIPTION "Coloured squares drop one row per second down a shaft five columns wide.
Shift the bucket below with the arrow keys so that every square lands in
it: fill all 15 cells to win, let a square land on a full column and lose.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries come from dpkg-shlibdeps; the font the game draws its
# dialogs' text with is read at run time, so no library brings it in.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core")
# A frontend that plays the libretro core: RetroArch, or Kodi's wrapper.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "retroarch | kodi-game-libretro")
set(CPACK_STRIP_FILES ON)
# CPack counts Installed-Size from the directories' sizes on disk; this puts
# dpkg's count, from the files alone, in its place.
set(CPACK_BLOCKDROP_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/packaging/installed-size.cmake)
include(CPack)
