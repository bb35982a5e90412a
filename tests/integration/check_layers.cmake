# The layers are checked by the build's tests: the tree passes, and an include against them is refused.
add_test(NAME integration.check_layers COMMAND ${CMAKE_CURRENT_LIST_DIR}/scripts/check_layers_test.sh
                                               ${PROJECT_SOURCE_DIR})
set_tests_properties(integration.check_layers PROPERTIES LABELS integration TIMEOUT 120)
