#!/usr/bin/env bash
# The build with only a compiler and CMake: GoogleTest, Google Benchmark and
# nlohmann-json are hidden from CMake (preset minimal). The converter must
# build, report its version, convert the bundled example to the text it comes
# with, and say that it has no language server.
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
# Without nlohmann-json there is no language server, and the help says so.
"$build/quillon" --help | grep -q "not in this build: it was built without nlohmann-json"
if "$build/quillon" lsp </dev/null 2>/dev/null; then
  echo "15-minimal: quillon lsp ran in a build without nlohmann-json" >&2
  exit 1
fi
echo "15-minimal: quillon built without GoogleTest, Google Benchmark and nlohmann-json converts room100.scd"
