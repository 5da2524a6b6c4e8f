#!/usr/bin/env bash
# Native build with g++, warnings as errors (preset ci), and all unit and
# end-to-end tests. QUILLON_BUILD_PREFIX (default build) names the build
# folders of every stage: PREFIX, PREFIX-minimal, PREFIX-asan, ...
set -euo pipefail
cd "$(dirname "$0")/../.."
build="${QUILLON_BUILD_PREFIX:-build}"
cmake --preset ci -B "$build" >/dev/null
cmake --build "$build" -j2
ctest --test-dir "$build" --output-on-failure -j2
