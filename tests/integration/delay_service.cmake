# Tests of the reference delay service over real HTTP on loopback. Each suite starts its own service process
# on a free port through the ServiceProcess helper of the test-support library.
if(TARGET orvendel_service_test_support)
  file(GLOB _delay_service_tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/delay_service/*.cpp)
  if(_delay_service_tests)
    add_executable(integration_delay_service_tests ${_delay_service_tests})
    target_link_libraries(integration_delay_service_tests PRIVATE orvendel_service_test_support orvendel_options
                                                                  nlohmann_json::nlohmann_json GTest::gtest
                                                                  GTest::gtest_main)
    add_test(NAME integration.delay_service COMMAND integration_delay_service_tests --gtest_brief=1)
    set_tests_properties(integration.delay_service PROPERTIES LABELS integration TIMEOUT 600)
  endif()
endif()
