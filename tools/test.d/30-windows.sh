#!/usr/bin/env bash
# The Windows build (MinGW-w64, preset windows) and its tests, which CTest
# runs under Wine (tools/wine-run through the build's wine-run): the GoogleTest
# programs util_tests and shell_tests one test at a time, quillon-cli.exe on
# the bundled examples, and the export table of quillon.exe.
# QUILLON_BUILD_WIN names another build folder (default PREFIX-win); its Wine
# prefix and Xvfb record live there.
set -euo pipefail
cd "$(dirname "$0")/../.."
build="${QUILLON_BUILD_WIN:-${QUILLON_BUILD_PREFIX:-build}-win}"
export QUILLON_WINEPREFIX="${QUILLON_WINEPREFIX:-$PWD/$build/wineprefix}"

cmake --preset windows -B "$build" >/dev/null
cmake --build "$build" -j2

# The display and Wine go at the end, also when a test hangs or fails.
trap 'tools/wine-run --stop' EXIT
ctest --test-dir "$build" --output-on-failure
