# orvendel_add_program(NAME SOURCES...): an executable that ships (the app, the CLI, the reference service).
#
# The programs carry no library search path of their own: our libraries are static and every shared one is the
# system's, found in the loader's default folders. Qt's standard project set-up would give the installed app
# "$ORIGIN" entries, and CMake then pads the build tree's binary with as many empty entries to make room for
# them at install. The loader reads an empty entry as the current folder, so the program, started from a
# folder holding a libcurl.so.4, would run that file's code when it signs in.
function(orvendel_add_program name)
  add_executable(${name} ${ARGN})
  set_target_properties(${name} PROPERTIES INSTALL_RPATH "" INSTALL_RPATH_USE_LINK_PATH OFF)
endfunction()
