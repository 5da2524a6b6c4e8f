#!/usr/bin/env bash
# The Windows build (MinGW-w64) and its tests under Wine: configures and builds
# build-win, runs every *_tests.exe there through tools/wine-run, and checks
# the export table of quillon.exe. QUILLON_BUILD_WIN names another build folder
# (its Wine prefix and Xvfb record then live there too).
set -euo pipefail
cd "$(dirname "$0")/../.."
build="${QUILLON_BUILD_WIN:-build-win}"
export QUILLON_WINEPREFIX="${QUILLON_WINEPREFIX:-$PWD/$build/wineprefix}"

cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2

# One Xvfb and one Wine prefix serve every test program; both go at the end.
trap 'tools/wine-run --stop' EXIT

mapfile -t programs < <(find "$build" -name '*_tests.exe' -type f -not -path '*/wineprefix/*' | sort)
if [ ${#programs[@]} -eq 0 ]; then
    echo "30-windows: no *_tests.exe was built" >&2
    exit 1
fi

passed=0
failed=0
broken=()
for program in "${programs[@]}"; do
    echo "==> $program"
    log="$program.log"
    status=0
    timeout 1200 tools/wine-run "$program" --gtest_color=no 2>&1 | tee "$log" || status=$?
    n=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\{0,1\}\..*/\1/p' "$log" | tail -1)
    f=$(sed -n 's/^ *\([0-9]*\) FAILED TESTS\{0,1\}$/\1/p' "$log" | tail -1)
    passed=$((passed + ${n:-0}))
    failed=$((failed + ${f:-0}))
    if [ "$status" -ne 0 ]; then
        broken+=("$program (exit $status)")
        [ -n "$f" ] || failed=$((failed + 1))
    fi
done

tests/util/check-exports.sh "$build/shell/quillon.exe"

echo "windows: $passed passed, $failed failed"
if [ ${#broken[@]} -gt 0 ]; then
    printf '30-windows: failed: %s\n' "${broken[@]}" >&2
    exit 1
fi
