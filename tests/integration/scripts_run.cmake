# scripts/run against the programs of this build, with the service's former fixed port taken.
if(TARGET orvendel-delay-service AND TARGET orvendel-cli)
  add_test(NAME integration.scripts_run COMMAND ${CMAKE_CURRENT_LIST_DIR}/scripts/run_test.sh ${PROJECT_SOURCE_DIR}
                                                ${CMAKE_BINARY_DIR})
  set_tests_properties(integration.scripts_run PROPERTIES LABELS integration TIMEOUT 120 RESOURCE_LOCK port_8642)
endif()
