# GoogleTest for the MinGW-w64 build, compiled from the sources that Debian's
# `googletest` package installs. Include this file from a WIN32 build and link
# a test program with `gtest_main_mingw` (or `gtest_mingw` with its own main):
#
#   include(${PROJECT_SOURCE_DIR}/cmake/mingw-gtest.cmake)
#   add_executable(foo_tests foo_test.cpp)
#   target_link_libraries(foo_tests PRIVATE gtest_main_mingw)
#
# Both libraries are static, and programs that link them are linked with
# -static (libgcc, libstdc++ and winpthread included), so that the .exe files
# run under Wine without any extra DLL.
include_guard(GLOBAL)

if(NOT WIN32)
  message(FATAL_ERROR "mingw-gtest.cmake is meant for the MinGW-w64 (WIN32) build")
endif()

set(QUILLON_GTEST_ROOT /usr/src/googletest/googletest
    CACHE PATH "GoogleTest sources (Debian package googletest)")
if(NOT EXISTS ${QUILLON_GTEST_ROOT}/src/gtest-all.cc)
  message(FATAL_ERROR "GoogleTest sources not found under ${QUILLON_GTEST_ROOT}: "
                      "install the Debian package googletest (tools/setup does)")
endif()

add_library(gtest_mingw STATIC ${QUILLON_GTEST_ROOT}/src/gtest-all.cc)
target_include_directories(gtest_mingw SYSTEM PUBLIC ${QUILLON_GTEST_ROOT}/include)
target_include_directories(gtest_mingw PRIVATE ${QUILLON_GTEST_ROOT})
# The sources are not ours: no warnings of our own flags for them.
target_compile_options(gtest_mingw PRIVATE -w)
target_link_options(gtest_mingw INTERFACE -static -static-libgcc -static-libstdc++)

add_library(gtest_main_mingw STATIC ${QUILLON_GTEST_ROOT}/src/gtest_main.cc)
target_include_directories(gtest_main_mingw PRIVATE ${QUILLON_GTEST_ROOT})
target_compile_options(gtest_main_mingw PRIVATE -w)
target_link_libraries(gtest_main_mingw PUBLIC gtest_mingw)

# Registers the GoogleTest program `target` with CTest, one test per test
# case named `target.Suite.Case`, run under the cross-compiling emulator
# (Wine). The tests are listed when CTest starts. They share one virtual
# display, its keyboard and one Wine prefix, so they run one at a time; the
# display and Wine stop after the last of them (the fixture "wine" of
# tests/windows).
function(quillon_windows_tests target)
  # In the function: GoogleTest keeps the path of its discovery script in a
  # variable of the scope that includes it, and this file is read only once.
  include(GoogleTest)
  gtest_discover_tests(${target}
    TEST_PREFIX "${target}."
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 300
    PROPERTIES RESOURCE_LOCK wine FIXTURES_REQUIRED wine TIMEOUT 300)
endfunction()
