# Runs the Windows programs of this build under Wine: CTest starts every test
# program through build/wine-run, which calls tools/wine-run with the Wine
# prefix and the virtual display of this build folder (not those of another
# build) and one wine server kept up between the tests (the test wine.stop
# ends it). Wine's services outlive the program and would hold a pipe of
# CTest open: the program writes to files, which are copied to CTest after
# it ends. GoogleTest lists its tests in text mode (CR LF); for CTest's test
# discovery the list is given with plain LF line ends.
set(_runner ${PROJECT_BINARY_DIR}/wine-run)
file(CONFIGURE OUTPUT ${_runner} @ONLY NEWLINE_STYLE UNIX CONTENT [=[#!/usr/bin/env bash
# Made by CMake (cmake/wine-emulator.cmake): tools/wine-run for this build.
export QUILLON_WINEPREFIX="${QUILLON_WINEPREFIX:-@PROJECT_BINARY_DIR@/wineprefix}"
export QUILLON_WINE_PERSISTENT=1
if [ "${1:-}" = --stop ] || [ "${1:-}" = --display ]; then
    exec "@PROJECT_SOURCE_DIR@/tools/wine-run" "$@"
fi
out=$(mktemp)
err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
status=0
"@PROJECT_SOURCE_DIR@/tools/wine-run" "$@" >"$out" 2>"$err" || status=$?
if [[ " $* " == *" --gtest_list_tests "* ]]; then
    tr -d '' <"$out"
else
    cat "$out"
fi
cat "$err" >&2
exit "$status"
]=])
file(CHMOD ${_runner} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
     GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${_runner})
