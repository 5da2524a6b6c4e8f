#!/usr/bin/env bash
# The whole native suite again under AddressSanitizer and UBSan (clang,
# preset asan).
set -euo pipefail
cd "$(dirname "$0")/../.."
build="${QUILLON_BUILD_PREFIX:-build}-asan"
cmake --preset asan -B "$build" >/dev/null
cmake --build "$build" -j2
ctest --preset asan --test-dir "$build"
