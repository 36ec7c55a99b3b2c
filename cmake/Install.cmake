# `cmake --install BUILD --prefix P`: the game keeps its program, images and
# music together in P/lib/zep/ (start-up finds them beside the real program
# file), with a launcher link in P/bin, a desktop entry, AppStream metainfo,
# icons and a man page. The tools and test programs stay in the build folder.

set(ZEP_INSTALL_GAME_DIR "lib/zep")
set(ZEP_DATA_DIR "${CMAKE_SOURCE_DIR}/data")

install(TARGETS zep RUNTIME DESTINATION "${ZEP_INSTALL_GAME_DIR}")

# The drawn images and the music, from the same list the asset step makes.
set(ZEP_INSTALL_IMAGES ${ZEP_ASSETS})
list(FILTER ZEP_INSTALL_IMAGES INCLUDE REGEX "/Images/[^/]+\\.png$")
set(ZEP_INSTALL_MUSIC ${ZEP_ASSETS})
list(FILTER ZEP_INSTALL_MUSIC INCLUDE REGEX "\\.ogg$")
install(FILES ${ZEP_INSTALL_IMAGES} DESTINATION "${ZEP_INSTALL_GAME_DIR}/Images")
install(FILES ${ZEP_INSTALL_MUSIC} DESTINATION "${ZEP_INSTALL_GAME_DIR}")

# P/bin/zep -> ../lib/zep/zep: relative, so the tree can be moved or staged
# under DESTDIR; the game resolves the link through /proc/self/exe.
install(CODE [[
  set(zep_launcher "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin/zep")
  message(STATUS "Installing: ${zep_launcher} -> ../lib/zep/zep")
  file(MAKE_DIRECTORY "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin")
  file(REMOVE "${zep_launcher}")
  file(CREATE_LINK "../lib/zep/zep" "${zep_launcher}" SYMBOLIC)
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${zep_launcher}")
]])

install(FILES "${ZEP_DATA_DIR}/zep.desktop" DESTINATION share/applications)
install(FILES "${ZEP_DATA_DIR}/org.example.zep.metainfo.xml" DESTINATION share/metainfo)
install(FILES "${ZEP_DATA_DIR}/zep.6" DESTINATION share/man/man6)

# The generator draws the launcher icons along with the other assets.
foreach(size 48 64 128 256)
  install(FILES "${CMAKE_BINARY_DIR}/icons/hicolor/${size}x${size}/apps/zep.png"
          DESTINATION "share/icons/hicolor/${size}x${size}/apps")
endforeach()
