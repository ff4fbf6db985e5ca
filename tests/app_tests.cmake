# The desktop window: widget tests on the offscreen platform, and a smoke test of the real
# programs under Xvfb.
if(NOT ZORLITH_BUILD_APP)
  return()
endif()

find_package(Qt6 6.4 REQUIRED COMPONENTS Gui Network Test)

add_library(app_test_main STATIC app_test_main.cpp)
target_link_libraries(app_test_main
  PUBLIC zorlith_app Qt6::Network Qt6::Test GTest::gtest PkgConfig::HTTPLIB
  PRIVATE zorlith_warnings)
# The window tests run against the real local draw service.
target_compile_definitions(app_test_main PUBLIC ZORLITH_DRAWD="$<TARGET_FILE:zorlith-drawd>")
add_dependencies(app_test_main zorlith-drawd)

set(ZORLITH_APP_TESTS
  main_window_test
  desktop_app_test
  status_window_test
  skin_test
  updater_launch_test
  web_page_test)

foreach(test_name IN LISTS ZORLITH_APP_TESTS)
  add_executable(${test_name} ${test_name}.cpp)
  target_link_libraries(${test_name} PRIVATE app_test_main zorlith_warnings)
  set_target_properties(${test_name} PROPERTIES AUTOMOC ON)
  gtest_discover_tests(${test_name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 60)
endforeach()

# Looks at the real window from outside on an X display (shown, screenshot, close), and the
# real programs under Xvfb with it. The screenshot stays in the build tree as a test artifact.
find_package(X11)
find_program(XVFB_RUN xvfb-run)
if(X11_FOUND)
  add_executable(window_probe window_probe.cpp)
  target_link_libraries(window_probe PRIVATE Qt6::Gui X11::X11 zorlith_warnings)
endif()
if(X11_FOUND AND XVFB_RUN)
  add_test(NAME app_smoke_test
    COMMAND ${XVFB_RUN} -a -s "-screen 0 1280x800x24"
            ${CMAKE_CURRENT_SOURCE_DIR}/app_smoke_test.sh
            $<TARGET_FILE:zorlith-pk10> $<TARGET_FILE:zorlith-drawd> $<TARGET_FILE:window_probe>
            ${PROJECT_SOURCE_DIR}/data/pk10-draws.txt ${CMAKE_BINARY_DIR}/test-artifacts)
  set_tests_properties(app_smoke_test PROPERTIES RESOURCE_LOCK port19200 TIMEOUT 120)
endif()
