# The installed game (tests/install/): `cmake --install` into a prefix in the
# build folder, the exact tree, the desktop entry and metainfo through their
# validators, the game started through its launcher under Xvfb, and a
# scripted win whose best score must land in the right file. The install
# runs once as a fixture; the prefix is removed at the end.
set(ZEP_INSTALL_TESTS ${CMAKE_CURRENT_SOURCE_DIR}/install)
set(ZEP_INSTALL_PREFIX ${CMAKE_CURRENT_BINARY_DIR}/install-prefix)

add_test(NAME install.tree
  COMMAND sh ${ZEP_INSTALL_TESTS}/tree.sh ${CMAKE_BINARY_DIR} ${ZEP_INSTALL_PREFIX})
set_tests_properties(install.tree PROPERTIES FIXTURES_SETUP zep-installed TIMEOUT 120)

add_test(NAME install.validate COMMAND sh ${ZEP_INSTALL_TESTS}/validate.sh ${ZEP_INSTALL_PREFIX})
add_test(NAME install.launcher COMMAND sh ${ZEP_INSTALL_TESTS}/launcher.sh ${ZEP_INSTALL_PREFIX})
set_tests_properties(install.validate install.launcher PROPERTIES FIXTURES_REQUIRED zep-installed TIMEOUT 120)

if(TARGET zep-headless)
  add_test(NAME install.scores
    COMMAND sh ${ZEP_INSTALL_TESTS}/scores.sh $<TARGET_FILE:zep-headless> ${ZEP_INSTALL_PREFIX}
            ${CMAKE_CURRENT_SOURCE_DIR}/runner/cases/win.in)
  set_tests_properties(install.scores PROPERTIES
    FIXTURES_REQUIRED zep-installed SKIP_RETURN_CODE 77 TIMEOUT 300)
endif()

add_test(NAME install.cleanup COMMAND ${CMAKE_COMMAND} -E rm -rf ${ZEP_INSTALL_PREFIX})
set_tests_properties(install.cleanup PROPERTIES FIXTURES_CLEANUP zep-installed)
