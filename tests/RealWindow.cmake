# Tests of the real program in real windows: each script starts its own Xvfb
# on a display the server picks (so they can run side by side), runs a copy
# of the built game in it, drives it with xdotool and reads screenshots with
# ImageMagick. The X helpers are plain Xlib programs.
find_package(X11)
find_program(ZEP_XVFB Xvfb)
find_program(ZEP_XDOTOOL xdotool)
if(NOT X11_FOUND OR NOT ZEP_XVFB OR NOT ZEP_XDOTOOL)
  message(STATUS "Real-window tests left out: Xlib, Xvfb or xdotool missing (see scripts/install-deps)")
  return()
endif()

enable_language(C)

# Sends the window manager's close request (WM_DELETE_WINDOW) to a window.
add_executable(zep-close-request realwindow/close-request.c)
target_link_libraries(zep-close-request PRIVATE X11::X11)

# Another program's window that takes the keyboard focus.
add_executable(zep-focus-window realwindow/focus-window.c)
target_link_libraries(zep-focus-window PRIVATE X11::X11)

# Counts the steps the game makes; for realwindow/measure-pacing.sh,
# which is run by hand, not by ctest.
add_library(zep-count-presents SHARED realwindow/count-steps.c)
target_link_libraries(zep-count-presents PRIVATE ${CMAKE_DL_LIBS})

set(ZEP_RW_SCRIPTS ${CMAKE_CURRENT_SOURCE_DIR}/realwindow)
set(ZEP_RW_OUT ${CMAKE_CURRENT_BINARY_DIR}/realwindow)

# Each test gets the game, its screenshot folder, and the helper it needs.
add_test(NAME realwindow.window
         COMMAND bash ${ZEP_RW_SCRIPTS}/window.sh $<TARGET_FILE:zep> ${ZEP_RW_OUT}/window)
add_test(NAME realwindow.menu-play
         COMMAND bash ${ZEP_RW_SCRIPTS}/menu-play.sh $<TARGET_FILE:zep> ${ZEP_RW_OUT}/menu-play)
add_test(NAME realwindow.other-folder
         COMMAND bash ${ZEP_RW_SCRIPTS}/other-folder.sh $<TARGET_FILE:zep> ${ZEP_RW_OUT}/other-folder)
add_test(NAME realwindow.close-signals
         COMMAND bash ${ZEP_RW_SCRIPTS}/close-signals.sh $<TARGET_FILE:zep> ${ZEP_RW_OUT}/close-signals
                 $<TARGET_FILE:zep-close-request>)
add_test(NAME realwindow.focus
         COMMAND bash ${ZEP_RW_SCRIPTS}/focus.sh $<TARGET_FILE:zep> ${ZEP_RW_OUT}/focus
                 $<TARGET_FILE:zep-focus-window>)
set(ZEP_RW_TESTS realwindow.window realwindow.menu-play realwindow.other-folder realwindow.close-signals
    realwindow.focus)
find_program(ZEP_SETXKBMAP setxkbmap)
if(ZEP_SETXKBMAP)
  add_test(NAME realwindow.layout
           COMMAND bash ${ZEP_RW_SCRIPTS}/layout.sh $<TARGET_FILE:zep> ${ZEP_RW_OUT}/layout)
  list(APPEND ZEP_RW_TESTS realwindow.layout)
  # Alone: under a loaded machine its timing-sensitive screenshots have misread.
  set_tests_properties(realwindow.layout PROPERTIES RUN_SERIAL TRUE)
else()
  message(STATUS "Keyboard-layout test left out: setxkbmap missing (see scripts/install-deps)")
endif()
# Each test has its own X server, so they need no lock against each other.
set_tests_properties(${ZEP_RW_TESTS} PROPERTIES TIMEOUT 120 LABELS realwindow)
