# Warnings and sanitizers applied to every target of the project. Each target links it PRIVATE, so that
# -Werror and the sanitizer flags never travel to a consumer through a library's usage requirements.
add_library(orvendel_options INTERFACE)
target_compile_options(orvendel_options INTERFACE -Wall -Wextra -Wpedantic)
if(ORVENDEL_WERROR)
  target_compile_options(orvendel_options INTERFACE -Werror)
endif()

if(ORVENDEL_SANITIZE)
  list(JOIN ORVENDEL_SANITIZE "," _orv_san)
  target_compile_options(orvendel_options INTERFACE -fsanitize=${_orv_san} -fno-omit-frame-pointer
                                                    -fno-sanitize-recover=all)
  target_link_options(orvendel_options INTERFACE -fsanitize=${_orv_san})
  if("thread" IN_LIST ORVENDEL_SANITIZE)
    # GCC warns that TSan does not model std::atomic_thread_fence (used inside Asio); the fences we rely on
    # are paired with mutexes, so the warning is noise here.
    target_compile_options(orvendel_options INTERFACE -Wno-tsan)
  endif()
endif()

if(ORVENDEL_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "ORVENDEL_FUZZ needs clang (libFuzzer)")
  endif()
  # Coverage instrumentation for every library the targets link; only the targets themselves link the
  # fuzzer's main (-fsanitize=fuzzer, see fuzz/CMakeLists.txt).
  target_compile_options(orvendel_options INTERFACE -fsanitize=fuzzer-no-link)
endif()
