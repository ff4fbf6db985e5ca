# The update: the version check of the start-up, zorlith-updater's parts, the updater run as a
# program against the real zorlith-drawd, and the desktop tool's hand-off.

add_executable(update_check_test update_check_test.cpp)
target_link_libraries(update_check_test PRIVATE zorlith_core zorlith_warnings GTest::gtest_main)
gtest_discover_tests(update_check_test DISCOVERY_TIMEOUT 30)

if(NOT ZORLITH_BUILD_APP)
  return()
endif()

# Stand-in builds of the desktop tool: each leaves "ran-<tag>" beside itself and exits; the
# lingering one only after a while, like a program that takes its time to end.
foreach(probe IN ITEMS old new failing lingering)
  add_executable(update_probe_${probe} update_probe.cpp)
  target_link_libraries(update_probe_${probe} PRIVATE zorlith_warnings)
  set(probe_exit 0)
  set(probe_linger_ms 0)
  if(probe STREQUAL "failing")
    set(probe_exit 3)
  elseif(probe STREQUAL "lingering")
    set(probe_linger_ms 1500)
  endif()
  target_compile_definitions(update_probe_${probe} PRIVATE ZORLITH_PROBE_TAG="${probe}"
    ZORLITH_PROBE_EXIT=${probe_exit} ZORLITH_PROBE_LINGER_MS=${probe_linger_ms})
endforeach()

set(ZORLITH_UPDATER_TEST_DEFINITIONS
  ZORLITH_UPDATER="$<TARGET_FILE:zorlith-updater>"
  ZORLITH_DRAWD="$<TARGET_FILE:zorlith-drawd>"
  ZORLITH_PK10="$<TARGET_FILE:zorlith-pk10>"
  ZORLITH_PROBE_OLD="$<TARGET_FILE:update_probe_old>"
  ZORLITH_PROBE_NEW="$<TARGET_FILE:update_probe_new>"
  ZORLITH_PROBE_FAILING="$<TARGET_FILE:update_probe_failing>"
  ZORLITH_PROBE_LINGERING="$<TARGET_FILE:update_probe_lingering>")
set(ZORLITH_UPDATER_TEST_PROGRAMS
  zorlith-updater zorlith-drawd update_probe_old update_probe_new update_probe_failing
  update_probe_lingering)

foreach(test_name IN ITEMS update_request_test executable_check_test download_test
                           updater_process_test)
  add_executable(${test_name} ${test_name}.cpp)
  target_link_libraries(${test_name} PRIVATE
    zorlith_updater_lib zorlith_warnings PkgConfig::HTTPLIB GTest::gtest_main)
  target_compile_definitions(${test_name} PRIVATE ${ZORLITH_UPDATER_TEST_DEFINITIONS})
  add_dependencies(${test_name} ${ZORLITH_UPDATER_TEST_PROGRAMS})
  gtest_discover_tests(${test_name} DISCOVERY_TIMEOUT 30 PROPERTIES TIMEOUT 120)
endforeach()

# The update from the window's start-up to the restarted program, with the updater image
# embedded as in zorlith-pk10. The test itself keeps the updater from opening message boxes.
add_executable(update_end_to_end_test update_end_to_end_test.cpp)
target_link_libraries(update_end_to_end_test PRIVATE
  app_test_main zorlith_updater_image zorlith_warnings PkgConfig::HTTPLIB)
target_compile_definitions(update_end_to_end_test PRIVATE ${ZORLITH_UPDATER_TEST_DEFINITIONS})
add_dependencies(update_end_to_end_test ${ZORLITH_UPDATER_TEST_PROGRAMS} zorlith-pk10)
gtest_discover_tests(update_end_to_end_test DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120)

# The updater's window and message box on an X display. The screenshot stays in the build tree.
find_program(XVFB_RUN xvfb-run)
if(XVFB_RUN AND TARGET window_probe)
  add_test(NAME updater_window_test
    COMMAND ${XVFB_RUN} -a -s "-screen 0 1024x768x24"
            ${CMAKE_CURRENT_SOURCE_DIR}/updater_window_test.sh
            $<TARGET_FILE:zorlith-updater> $<TARGET_FILE:update_probe_old>
            $<TARGET_FILE:window_probe> ${CMAKE_BINARY_DIR}/test-artifacts)
  set_tests_properties(updater_window_test PROPERTIES TIMEOUT 60)
endif()
