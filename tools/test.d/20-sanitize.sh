#!/usr/bin/env bash
# The whole native suite again under AddressSanitizer and UBSan (clang,
# preset asan).
set -euo pipefail
cd "$(dirname "$0")/../.."
build="${QUILLON_BUILD_PREFIX:-build}-asan"
cmake --preset asan -B "$build" >/dev/null
cmake --build "$build" -j2
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    ctest --test-dir "$build" --output-on-failure -j2
