# Installs the game as Debian's games are laid out (the executable in games/,
# its data in share/games/rezarudev), with its desktop entry, icons, AppStream
# metainfo and man page; `cpack -G DEB` packs the same files.
include(GNUInstallDirs)
# The game's files; the score board's (server/) are a package of their own.
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME game)

set(REZARUDEV_INSTALL_BINDIR games CACHE STRING "Folder of the executable, under the prefix")
set(REZARUDEV_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/games/rezarudev CACHE STRING
    "Folder of the sounds, under the prefix")

# The game finds its sounds from its own folder, so a relocated install keeps working.
file(RELATIVE_PATH data_from_binary /prefix/${REZARUDEV_INSTALL_BINDIR} /prefix/${REZARUDEV_INSTALL_DATADIR})
set_property(SOURCE src/platform/system/installed_data.cpp APPEND PROPERTY COMPILE_DEFINITIONS
             REZARUDEV_DATA_FROM_BINARY="${data_from_binary}")

set(REZARUDEV_APP_ID io.github.rezarudev.Rezarudev)
configure_file(dist/rezarudev.metainfo.xml.in ${CMAKE_BINARY_DIR}/${REZARUDEV_APP_ID}.metainfo.xml @ONLY)

install(TARGETS rezarudev RUNTIME DESTINATION ${REZARUDEV_INSTALL_BINDIR})
file(GLOB REZARUDEV_SOUNDS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/data/*.ogg)
install(FILES ${REZARUDEV_SOUNDS} DESTINATION ${REZARUDEV_INSTALL_DATADIR})
install(FILES dist/rezarudev.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 16 32 48 64 128 256)
  install(FILES dist/icons/rezarudev-${size}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME rezarudev.png)
endforeach()
install(FILES ${CMAKE_BINARY_DIR}/${REZARUDEV_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# Compressed, as Debian installs man pages.
configure_file(dist/rezarudev.6.in ${CMAKE_BINARY_DIR}/rezarudev.6 @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/rezarudev.6.gz
                   COMMAND gzip -9nf -k ${CMAKE_BINARY_DIR}/rezarudev.6
                   DEPENDS ${CMAKE_BINARY_DIR}/rezarudev.6 VERBATIM)
add_custom_target(man_page ALL DEPENDS ${CMAKE_BINARY_DIR}/rezarudev.6.gz)
install(FILES ${CMAKE_BINARY_DIR}/rezarudev.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES LICENSE README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES assets/256bytes-LICENSE.txt DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME font-LICENSE.txt)

set(CPACK_PACKAGE_NAME rezarudev)
set(CPACK_PACKAGE_VENDOR "The Rezarudev developers")
set(CPACK_PACKAGE_CONTACT "The Rezarudev developers <rezarudev@invalid>")
# Each package's description starts with its own summary line, so CPack is
# given none of its own to put in front of both.
set(REZARUDEV_GAME_SUMMARY "arcade shooter: shoot the burgers, dodge the fries")
set(CPACK_PACKAGE_DESCRIPTION "Fly a small ship over a wrapping playfield, shoot the drifting burgers (they\n\
split into smaller, faster pieces), dodge the fries-carton UFO and catch\n\
power-ups. 60 frames per second, sound effects and music, and a best score\n\
kept for each user.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY rezarudev)
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# SDL opens the OpenGL library only at run time, so shlibdeps cannot see it.
set(CPACK_DEBIAN_GAME_PACKAGE_DEPENDS libgl1)
# Opened likewise, and only by a game that takes part in a score board.
set(CPACK_DEBIAN_GAME_PACKAGE_RECOMMENDS libcurl4)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# One package for each component: rezarudev, and rezarudev-board beside it.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL game)
set(CPACK_DEBIAN_GAME_PACKAGE_NAME rezarudev)
set(CPACK_DEBIAN_GAME_DESCRIPTION "${REZARUDEV_GAME_SUMMARY}\n${CPACK_PACKAGE_DESCRIPTION}")
if(REZARUDEV_BOARD)
  list(APPEND CPACK_COMPONENTS_ALL board)
  set(CPACK_DEBIAN_BOARD_PACKAGE_NAME rezarudev-board)
  set(CPACK_DEBIAN_BOARD_PACKAGE_SECTION net)
  set(CPACK_DEBIAN_BOARD_DESCRIPTION "score board server for Rezarudev\n\
A world table of Rezarudev games that believes only what it has played: it\n\
plays every submitted recording with the game's own code, stores the score\n\
it reached, and serves the table, the recordings and the browser build's\n\
page. SQLite or PostgreSQL keep the games.")
endif()
include(CPack)
