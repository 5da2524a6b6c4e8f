#!/usr/bin/env bash
# The build with only a compiler and CMake: GoogleTest and Google Benchmark are
# hidden from CMake (preset minimal). The converter must build, report its
# version and convert the bundled example to the text it comes with.
set -euo pipefail
cd "$(dirname "$0")/../.."
build="${QUILLON_BUILD_PREFIX:-build}-minimal"
cmake --preset minimal -B "$build" | grep -E '^-- Quillon:' || true
cmake --build "$build" -j2
ctest --test-dir "$build" --output-on-failure -j2

"$build/quillon" --version
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp examples/room100.scd "$work/"
"$build/quillon" disassemble "$work/room100.scd"
cmp "$work/room100.c" examples/room100.c
echo "15-minimal: quillon built without GoogleTest and Google Benchmark converts room100.scd"
