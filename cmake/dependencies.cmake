# The optional dependencies. A compiler and CMake build the programs; the
# tests need GoogleTest and the benchmarks Google Benchmark, and are left out,
# with a note, when these are missing (tools/setup installs both).
#
# Sets QUILLON_BUILD_TESTS and QUILLON_BUILD_BENCH.
set(QUILLON_BUILD_TESTS OFF)
set(QUILLON_BUILD_BENCH OFF)
set(_skipped)

if(QUILLON_TESTS)
  if(WIN32)
    # GoogleTest compiled with MinGW from the sources of Debian's googletest.
    set(QUILLON_GTEST_ROOT /usr/src/googletest/googletest
        CACHE PATH "GoogleTest sources for the MinGW build (Debian package googletest)")
    if(CMAKE_DISABLE_FIND_PACKAGE_GTest)
      list(APPEND _skipped "tests (GoogleTest disabled)")
    elseif(NOT EXISTS ${QUILLON_GTEST_ROOT}/src/gtest-all.cc)
      list(APPEND _skipped "tests (no GoogleTest sources in ${QUILLON_GTEST_ROOT}: "
                           "install googletest)")
    else()
      set(QUILLON_BUILD_TESTS ON)
    endif()
  else()
    find_package(GTest QUIET)
    if(GTest_FOUND)
      set(QUILLON_BUILD_TESTS ON)
    elseif(CMAKE_DISABLE_FIND_PACKAGE_GTest)
      list(APPEND _skipped "tests (GoogleTest disabled)")
    else()
      list(APPEND _skipped "tests (GoogleTest not found: install libgtest-dev)")
    endif()
  endif()
endif()

if(QUILLON_BENCH AND NOT WIN32 AND NOT QUILLON_FUZZ)
  find_package(benchmark QUIET)
  if(benchmark_FOUND)
    set(QUILLON_BUILD_BENCH ON)
  elseif(CMAKE_DISABLE_FIND_PACKAGE_benchmark)
    list(APPEND _skipped "benchmarks (Google Benchmark disabled)")
  else()
    list(APPEND _skipped "benchmarks (Google Benchmark not found: install libbenchmark-dev)")
  endif()
endif()

foreach(_what IN LISTS _skipped)
  message(STATUS "Quillon: not building the ${_what}")
endforeach()
