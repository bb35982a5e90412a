# The core's service client (login and download managers over libcurl) against the reference delay service.
if(TARGET orvendel_service_test_support)
  file(GLOB _service_client_tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/service_client/*.cpp)
  add_executable(integration_service_client_tests ${_service_client_tests})
  target_link_libraries(integration_service_client_tests PRIVATE orvendel_core orvendel_service_test_support
                                                                 orvendel_options GTest::gtest GTest::gtest_main)
  add_test(NAME integration.service_client COMMAND integration_service_client_tests --gtest_brief=1)
  set_tests_properties(integration.service_client PROPERTIES LABELS integration TIMEOUT 600)
endif()
