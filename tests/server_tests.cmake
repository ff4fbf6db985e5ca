# Tests of zorlith-drawd: its units in-process, and the real binary as a child process on a
# free loopback port.
set(ZORLITH_SERVER_TESTS
  draw_making_test
  draw_book_test
  exchange_keys_test
  token_book_test
  service_protocol_test
  trend_page_test
  drawd_process_test
  drawd_client_test)

foreach(test_name IN LISTS ZORLITH_SERVER_TESTS)
  add_executable(${test_name} ${CMAKE_CURRENT_LIST_DIR}/${test_name}.cpp)
  target_link_libraries(${test_name} PRIVATE
    zorlith_drawd_lib zorlith_core zorlith_warnings PkgConfig::HTTPLIB GTest::gtest_main)
  target_compile_definitions(${test_name} PRIVATE ZORLITH_DRAWD="$<TARGET_FILE:zorlith-drawd>")
  add_dependencies(${test_name} zorlith-drawd)
  gtest_discover_tests(${test_name} DISCOVERY_TIMEOUT 30 PROPERTIES TIMEOUT 120 LABELS drawd)
endforeach()
