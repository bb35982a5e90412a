# Every third-party library comes from Debian's packages (scripts/bootstrap installs them).
find_package(Threads REQUIRED)
find_package(PkgConfig REQUIRED)
find_package(nlohmann_json 3.10 REQUIRED)
find_package(fmt REQUIRED)
find_package(OpenSSL REQUIRED)
find_package(SQLite3 REQUIRED)
find_package(CURL REQUIRED)
find_package(GTest REQUIRED)
# Case mapping and user-perceived characters; the break iterator lives in the common library too.
find_package(ICU REQUIRED COMPONENTS uc)
pkg_check_modules(PLIST REQUIRED IMPORTED_TARGET libplist-2.0)
pkg_check_modules(LIBSECRET REQUIRED IMPORTED_TARGET libsecret-1)
pkg_check_modules(GLIB REQUIRED IMPORTED_TARGET glib-2.0)

# libcurl and libsecret are opened at run time when first needed (see core/platform/shared_library.hpp):
# the code compiles against their headers only. The packages still depend on them. OpenSSL comes with libcurl;
# the core only names its version, so no program links libcrypto for it.
add_library(orvendel_runtime_loaded_headers INTERFACE)
target_include_directories(orvendel_runtime_loaded_headers SYSTEM INTERFACE
                           $<TARGET_PROPERTY:CURL::libcurl,INTERFACE_INCLUDE_DIRECTORIES>
                           $<TARGET_PROPERTY:PkgConfig::LIBSECRET,INTERFACE_INCLUDE_DIRECTORIES>
                           $<TARGET_PROPERTY:OpenSSL::Crypto,INTERFACE_INCLUDE_DIRECTORIES>)
target_compile_options(orvendel_runtime_loaded_headers INTERFACE
                       $<TARGET_PROPERTY:PkgConfig::LIBSECRET,INTERFACE_COMPILE_OPTIONS>)

# Standalone Asio is header-only.
find_path(ASIO_INCLUDE_DIR asio.hpp REQUIRED)
add_library(orvendel_asio INTERFACE)
target_include_directories(orvendel_asio SYSTEM INTERFACE ${ASIO_INCLUDE_DIR})
target_compile_definitions(orvendel_asio INTERFACE ASIO_STANDALONE ASIO_NO_DEPRECATED)
target_link_libraries(orvendel_asio INTERFACE Threads::Threads)

# The reference service (and so cpp-httplib) comes with the programs, and with the app for its tests.
if(NOT ORVENDEL_CORE_ONLY OR ORVENDEL_BUILD_APP)
  find_path(HTTPLIB_INCLUDE_DIR httplib.h REQUIRED)
  # Debian builds cpp-httplib as a shared library; its pkg-config flags carry the feature macros the
  # library was compiled with, which every includer must share (they change class layouts).
  pkg_check_modules(HTTPLIB REQUIRED IMPORTED_TARGET GLOBAL cpp-httplib)
  if(ORVENDEL_BUILD_BENCH AND NOT ORVENDEL_CORE_ONLY)
    find_package(benchmark REQUIRED)
  endif()
endif()

# The tablet application; found here so that every folder (app, tests, bench) sees the same Qt targets.
if(ORVENDEL_BUILD_APP)
  find_package(Qt6 6.4 REQUIRED COMPONENTS Core Gui Qml Quick QuickControls2 Svg Test)
endif()
