# Tests of the service client, the start-up stages, the issue clock and the live console.

# A real server that speaks the cloud service protocol, for the tests and the benchmark.
add_library(zorlith_protocol_test_server STATIC protocol_test_server.cpp)
target_include_directories(zorlith_protocol_test_server PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(zorlith_protocol_test_server
  PUBLIC zorlith_core PkgConfig::HTTPLIB nlohmann_json::nlohmann_json
  PRIVATE zorlith_warnings)

add_executable(zorlith-protocol-test-server protocol_test_server_main.cpp)
target_link_libraries(zorlith-protocol-test-server
  PRIVATE zorlith_protocol_test_server zorlith_warnings)

set(ZORLITH_SERVICE_TESTS
  protection_test
  json_wrappers_test
  http_transport_test
  service_endpoint_test
  service_client_test
  issue_clock_test
  startup_stages_test
  draw_timer_test)

foreach(test_name IN LISTS ZORLITH_SERVICE_TESTS)
  add_executable(${test_name} ${test_name}.cpp)
  target_link_libraries(${test_name}
    PRIVATE zorlith_core zorlith_protocol_test_server zorlith_warnings GTest::gtest_main)
  gtest_discover_tests(${test_name} DISCOVERY_TIMEOUT 30 PROPERTIES TIMEOUT 120)
endforeach()

# The live console front end, run as a separate process against the in-test server.
foreach(test_name IN ITEMS cli_live_test cli_fallback_test)
  add_executable(${test_name} ${test_name}.cpp)
  target_link_libraries(${test_name}
    PRIVATE zorlith_protocol_test_server zorlith_warnings GTest::gtest_main)
  target_compile_definitions(${test_name} PRIVATE ZORLITH_CLI="$<TARGET_FILE:zorlith-pk10-cli>")
  add_dependencies(${test_name} zorlith-pk10-cli)
endforeach()
gtest_discover_tests(cli_live_test DISCOVERY_TIMEOUT 30 PROPERTIES TIMEOUT 120)
# It binds the fallback port 19200 itself.
gtest_discover_tests(cli_fallback_test DISCOVERY_TIMEOUT 30
  PROPERTIES TIMEOUT 120 RESOURCE_LOCK port19200)
