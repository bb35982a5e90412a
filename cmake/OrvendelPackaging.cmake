# Debian packages of the three programs, one per install component: orvendel (app), orvendel-cli (cli) and
# orvendel-delay-service (service). `scripts/package` builds them with cpack; everything lands under /usr.
include(GNUInstallDirs)

set(_orv_packaging ${PROJECT_SOURCE_DIR}/packaging)
set(_orv_generated ${PROJECT_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${_orv_generated})

# The changelog's newest entry is the version the packages carry; a release that forgets it is caught here.
file(STRINGS ${_orv_packaging}/changelog _orv_changelog_head LIMIT_COUNT 1)
if(NOT _orv_changelog_head MATCHES "^orvendel \\(${PROJECT_VERSION}\\) ")
  message(WARNING "packaging/changelog does not start with version ${PROJECT_VERSION}: ${_orv_changelog_head}")
endif()

# Debian ships changelogs and manual pages compressed at the highest level and without a time stamp.
function(_orv_gzip source output)
  execute_process(COMMAND gzip -9nc ${source} OUTPUT_FILE ${output} COMMAND_ERROR_IS_FATAL ANY)
  set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
endfunction()
_orv_gzip(${_orv_packaging}/changelog ${_orv_generated}/changelog.gz)
foreach(_page orvendel.1 orvendel-cli.1 orvendel-delay-service.1)
  _orv_gzip(${_orv_packaging}/man/${_page} ${_orv_generated}/${_page}.gz)
endforeach()

# What every package carries: its program, its manual page, the licence and the changelog.
foreach(_entry "app;orvendel;orvendel" "cli;orvendel-cli;orvendel-cli"
               "service;orvendel-delay-service;orvendel-delay-service")
  list(GET _entry 0 _component)
  list(GET _entry 1 _package)
  list(GET _entry 2 _program)
  install(TARGETS ${_program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT ${_component})
  install(FILES ${_orv_generated}/${_program}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${_component})
  install(FILES ${_orv_packaging}/copyright ${_orv_generated}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${_package} COMPONENT ${_component})
endforeach()

# Both front ends read the plant's configuration file; each package shows how to write one.
install(FILES ${_orv_packaging}/orvendel.conf DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/orvendel/examples
        COMPONENT app)
install(FILES ${_orv_packaging}/orvendel.conf DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/orvendel-cli/examples
        COMPONENT cli)

# The desktop entry, its icon in every size and the software centres' description.
set(ORVENDEL_DESKTOP_ID com.kesta.orvendel)
install(FILES ${_orv_packaging}/${ORVENDEL_DESKTOP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications
        COMPONENT app)
install(FILES ${_orv_packaging}/${ORVENDEL_DESKTOP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo
        COMPONENT app)
install(FILES ${_orv_packaging}/icons/${ORVENDEL_DESKTOP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps COMPONENT app)
foreach(_size 16 24 32 48 64 128 256 512)
  install(FILES ${_orv_packaging}/icons/${_size}x${_size}/${ORVENDEL_DESKTOP_ID}.png
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/${_size}x${_size}/apps COMPONENT app)
endforeach()

# The reference service as a system service; not enabled on install (no maintainer scripts).
install(FILES ${_orv_packaging}/orvendel-delay-service.service DESTINATION lib/systemd/system
        COMPONENT service)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvendel)
set(CPACK_PACKAGE_VENDOR KESTA)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Orvendel maintainers <maintainers@orvendel.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL app cli service)
set(CPACK_COMPONENTS_GROUPING IGNORE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://orvendel.example/)

set(CPACK_DEBIAN_APP_PACKAGE_NAME orvendel)
set(CPACK_DEBIAN_APP_PACKAGE_SECTION x11)
# Opened by the core at run time (libcurl for the first request, libsecret for the first secret), so
# dpkg-shlibdeps cannot see them.
set(_orvendel_runtime_loaded "libcurl4 (>= 7.68), libsecret-1-0")
# Loaded by Qt at run time too: the QML modules the screens import and the SVG image plugin of the icons.
# Wayland is optional.
set(CPACK_DEBIAN_APP_PACKAGE_DEPENDS
    "${_orvendel_runtime_loaded}, qml6-module-qtquick, qml6-module-qtquick-controls, qml6-module-qtquick-layouts, qml6-module-qtquick-templates, qml6-module-qtquick-window, qml6-module-qtqml-workerscript, qml6-module-qtquick-dialogs, qml6-module-qt-labs-folderlistmodel, libqt6svg6")
set(CPACK_DEBIAN_APP_PACKAGE_RECOMMENDS "qt6-wayland")
set(CPACK_COMPONENT_APP_DESCRIPTION
    "meltshop delay classification for tablets
Orvendel shows the heats of an electric-arc furnace from the last 24 hours
with their power-off delays, as a list and as charts, and lets operators
classify each delay: assign a reason, write a comment or split it, then
save the edits to the plant's delay web service.")

set(CPACK_DEBIAN_CLI_PACKAGE_NAME orvendel-cli)
set(CPACK_DEBIAN_CLI_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_CLI_PACKAGE_DEPENDS "${_orvendel_runtime_loaded}")
set(CPACK_COMPONENT_CLI_DESCRIPTION
    "command-line client for the Orvendel delay service
orvendel-cli signs in against a meltshop's delay web service, lists the
furnaces, heats and delays, and classifies, comments, splits and saves
delays from a shell or a script, with JSON output for scripts.")

set(CPACK_DEBIAN_SERVICE_PACKAGE_NAME orvendel-delay-service)
set(CPACK_DEBIAN_SERVICE_PACKAGE_SECTION net)
set(CPACK_COMPONENT_SERVICE_DESCRIPTION
    "reference delay web service for Orvendel demo and test plants
orvendel-delay-service answers the Orvendel application's requests from its
own SQLite database with a reproducible demo plant, and can inject faults
for tests. A systemd unit is included but not enabled.")

include(CPack)

# The install test: the packages into a scratch root, then the installed programs against each other.
add_test(NAME package.install COMMAND ${PROJECT_SOURCE_DIR}/tests/package/install_test.sh ${PROJECT_BINARY_DIR})
set_tests_properties(package.install PROPERTIES LABELS package TIMEOUT 300 SKIP_RETURN_CODE 77)
