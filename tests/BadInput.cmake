# The bad-input matrix: the real program started on every broken file and
# broken environment (tests/badinput/run.sh, one ctest entry per group so
# they can run side by side, each under its own X server).
find_program(ZEP_BADINPUT_XVFB Xvfb)
find_program(ZEP_BADINPUT_XDOTOOL xdotool)
if(NOT ZEP_BADINPUT_XVFB OR NOT ZEP_BADINPUT_XDOTOOL)
  message(STATUS "Bad-input tests left out: Xvfb or xdotool missing (see scripts/install-deps)")
  return()
endif()

set(ZEP_BADINPUT_RUN ${CMAKE_CURRENT_SOURCE_DIR}/badinput/run.sh)
# The read-only folder at a win needs the headless runner to reach a win.
set(ZEP_BADINPUT_HEADLESS "")
if(TARGET zep-headless)
  set(ZEP_BADINPUT_HEADLESS $<TARGET_FILE:zep-headless>)
endif()

foreach(group images music scores environment folder)
  add_test(NAME badinput.${group}
           COMMAND sh ${ZEP_BADINPUT_RUN} $<TARGET_FILE:zep> ${group} ${ZEP_BADINPUT_HEADLESS})
  # 77: the group cannot run on this machine (no read-only mount, no runner).
  set_tests_properties(badinput.${group} PROPERTIES TIMEOUT 600 SKIP_RETURN_CODE 77 LABELS badinput)
endforeach()
