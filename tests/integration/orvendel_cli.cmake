# orvendel-cli driven through pipes against the reference delay service.
if(TARGET orvendel-cli AND TARGET orvendel_service_test_support)
  file(GLOB _cli_tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/cli/*.cpp)
  add_executable(integration_cli_tests ${_cli_tests})
  target_link_libraries(integration_cli_tests PRIVATE orvendel_service_test_support orvendel_core orvendel_options
                                                      nlohmann_json::nlohmann_json fmt::fmt GTest::gtest
                                                      GTest::gtest_main)
  target_compile_definitions(integration_cli_tests PRIVATE ORVENDEL_CLI_BINARY="$<TARGET_FILE:orvendel-cli>")
  add_dependencies(integration_cli_tests orvendel-cli)
  add_test(NAME integration.cli COMMAND integration_cli_tests --gtest_brief=1)
  set_tests_properties(integration.cli PROPERTIES LABELS integration TIMEOUT 600)
endif()
