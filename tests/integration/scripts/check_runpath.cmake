# cmake -DREADELF=... -DPROGRAMS="a;b" -P check_runpath.cmake
# Fails when a program's RUNPATH or RPATH holds an empty or relative entry: the loader resolves those against the
# current folder, so a library planted there would be loaded in place of the system's.
foreach(program IN LISTS PROGRAMS)
  execute_process(COMMAND ${READELF} -d ${program} OUTPUT_VARIABLE dynamic ERROR_VARIABLE problem
                  RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${READELF} could not read ${program}: ${problem}")
  endif()
  string(REGEX MATCHALL "Library (runpath|rpath): \\[[^]\n]*\\]" paths "${dynamic}")
  foreach(path IN LISTS paths)
    string(REGEX REPLACE "^Library (runpath|rpath): \\[(.*)\\]$" "\\2" entries "${path}")
    if(entries STREQUAL "")
      message(FATAL_ERROR "${program}: an empty search path \"${path}\"")
    endif()
    # IN LISTS visits empty elements too, so an empty entry anywhere is seen.
    string(REPLACE ":" ";" entries "${entries}")
    set(index 0)
    foreach(entry IN LISTS entries)
      if(NOT entry MATCHES "^(/|\\$ORIGIN(/|$)|\\$\\{ORIGIN\\}(/|$))")
        message(FATAL_ERROR "${program}: search path entry ${index} is empty or relative (\"${entry}\") in "
                            "\"${path}\"")
      endif()
      math(EXPR index "${index} + 1")
    endforeach()
  endforeach()
  if(NOT paths)
    set(paths "no search path")
  endif()
  message(STATUS "${program}: ${paths}")
endforeach()
