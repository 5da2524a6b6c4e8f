# Runs the Windows programs of this build under Wine: CTest starts every test
# program through build/wine-run, which calls tools/wine-run with the Wine
# prefix and the virtual display of this build folder (not those of another
# build). GoogleTest lists its tests in text mode (CR LF); for CTest's test
# discovery the list is given with plain LF line ends.
set(_runner ${PROJECT_BINARY_DIR}/wine-run)
file(CONFIGURE OUTPUT ${_runner} @ONLY NEWLINE_STYLE UNIX CONTENT [=[#!/usr/bin/env bash
# Made by CMake (cmake/wine-emulator.cmake): tools/wine-run for this build.
set -o pipefail
export QUILLON_WINEPREFIX="${QUILLON_WINEPREFIX:-@PROJECT_BINARY_DIR@/wineprefix}"
for arg in "$@"; do
    if [ "$arg" = --gtest_list_tests ]; then
        "@PROJECT_SOURCE_DIR@/tools/wine-run" "$@" | tr -d '\r'
        exit $?
    fi
done
exec "@PROJECT_SOURCE_DIR@/tools/wine-run" "$@"
]=])
file(CHMOD ${_runner} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
     GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${_runner})
