# Scripted games replayed by zep-headless and compared with their expected
# traces, state digests and golden shots (tests/runner/), and the runner's
# own errors. Only when the runner is part of the build.
if(TARGET zep-headless)
  set(ZEP_RUNNER_DIR ${CMAKE_CURRENT_SOURCE_DIR}/runner)
  file(GLOB ZEP_RUNNER_CASES CONFIGURE_DEPENDS ${ZEP_RUNNER_DIR}/cases/*.in)
  foreach(case_file ${ZEP_RUNNER_CASES})
    get_filename_component(case ${case_file} NAME_WE)
    add_test(NAME runner.${case}
      COMMAND sh ${ZEP_RUNNER_DIR}/case.sh $<TARGET_FILE:zep-headless> ${CMAKE_BINARY_DIR} ${case})
    set_tests_properties(runner.${case} PROPERTIES TIMEOUT 300)
  endforeach()
  add_test(NAME runner.cli
    COMMAND sh ${ZEP_RUNNER_DIR}/cli.sh $<TARGET_FILE:zep-headless> ${CMAKE_BINARY_DIR})
  set_tests_properties(runner.cli PROPERTIES TIMEOUT 300)
endif()
