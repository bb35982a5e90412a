# Tests of the reference delay service over real HTTP on loopback. Each suite starts its own service process
# on a free port through the ServiceProcess helper, which other integration suites link too.
if(TARGET orvendel-delay-service)
  add_library(orvendel_service_test_support STATIC ${CMAKE_CURRENT_LIST_DIR}/support/service_process.cpp
                                                   ${CMAKE_CURRENT_LIST_DIR}/support/service_client.cpp)
  target_include_directories(orvendel_service_test_support PUBLIC ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(orvendel_service_test_support PUBLIC orvendel_wire PkgConfig::HTTPLIB Threads::Threads)
  target_compile_definitions(orvendel_service_test_support
                             PRIVATE ORVENDEL_DELAY_SERVICE_BINARY="$<TARGET_FILE:orvendel-delay-service>")
  add_dependencies(orvendel_service_test_support orvendel-delay-service)

  file(GLOB _delay_service_tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/delay_service/*.cpp)
  if(_delay_service_tests)
    add_executable(integration_delay_service_tests ${_delay_service_tests})
    target_link_libraries(integration_delay_service_tests PRIVATE orvendel_service_test_support
                                                                  nlohmann_json::nlohmann_json GTest::gtest
                                                                  GTest::gtest_main)
    add_test(NAME integration.delay_service COMMAND integration_delay_service_tests --gtest_brief=1)
    set_tests_properties(integration.delay_service PROPERTIES LABELS integration TIMEOUT 600)
  endif()
endif()
