# The shipped programs search no folder but the system's and absolute ones for their libraries.
set(_programs "")
foreach(_program IN ITEMS orvendel orvendel-cli orvendel-delay-service)
  if(TARGET ${_program})
    list(APPEND _programs $<TARGET_FILE:${_program}>)
  endif()
endforeach()
if(_programs AND CMAKE_READELF)
  add_test(NAME integration.runpath COMMAND ${CMAKE_COMMAND} -DREADELF=${CMAKE_READELF} "-DPROGRAMS=${_programs}" -P
                                            ${CMAKE_CURRENT_LIST_DIR}/scripts/check_runpath.cmake)
  set_tests_properties(integration.runpath PROPERTIES LABELS integration TIMEOUT 60)
endif()
