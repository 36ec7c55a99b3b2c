# zep-headless: the real game on the headless platform, driven by a script
# (tests/runner/ replays games with it); and the frame-cost benchmark's
# programs (bench/run). Built beside zep in the build folder's root.
add_executable(zep-headless tools/Headless.cpp)
target_link_libraries(zep-headless PRIVATE zepcore)
add_dependencies(zep-headless zep-assets)

# The cost of the worst play frame, a typical one and the menu, against the
# same drawing done by a plain loop.
if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/bench/FrameBench.cpp)
  add_executable(zep-frame-bench bench/FrameBench.cpp)
  target_link_libraries(zep-frame-bench PRIVATE zepcore)
  add_dependencies(zep-frame-bench zep-assets)
endif()

# Bare SDL start-up to a first present, the yardstick for the game's start-up.
if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/bench/BareSdl.cpp)
  add_executable(zep-bare-sdl bench/BareSdl.cpp)
  target_link_libraries(zep-bare-sdl PRIVATE SDL2::SDL2)
endif()

# Preloaded into the real game under Xvfb by bench/run: counts its presents.
if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/bench/PresentCount.cpp)
  add_library(zep-bench-presents MODULE bench/PresentCount.cpp)
  target_link_libraries(zep-bench-presents PRIVATE ${CMAKE_DL_LIBS})
  set_target_properties(zep-bench-presents PROPERTIES PREFIX "" OUTPUT_NAME "zep-bench-presents")
endif()
