#!/usr/bin/env bash
# The libFuzzer harnesses (clang, AddressSanitizer, UBSan), each run for a
# bounded time from its seed corpus in fuzz/corpus (which is only read: new
# inputs go to a scratch folder). A crash, a leak, an input running longer
# than 10 s, more than 2 GiB of memory or a UB report stops the fuzzer with an
# error and fails this stage; the input that did it is kept in
# build-fuzz/artifacts. QUILLON_FUZZ_SECONDS sets the time per fuzzer. The
# build is the preset fuzz, in PREFIX-fuzz (QUILLON_BUILD_PREFIX, default build).
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${QUILLON_FUZZ_SECONDS:-60}
fuzzers=(disassemble compile roundtrip exact)

build="${QUILLON_BUILD_PREFIX:-build}-fuzz"
cmake --preset fuzz -B "$build" >/dev/null
cmake --build "$build" -j2 --target "${fuzzers[@]/%/_fuzzer}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
artifacts="$build/artifacts"
mkdir -p "$artifacts"
for name in "${fuzzers[@]}"; do
  mkdir -p "$work/$name"
  log="$work/$name.log"
  status=0
  ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=0 \
  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    timeout $((seconds + 120)) "$build/fuzz/${name}_fuzzer" \
      -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$artifacts/$name-" "$work/$name" "fuzz/corpus/$name" >"$log" 2>&1 ||
    status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  if [ "$status" -ne 0 ]; then
    tail -n 100 "$log"
    echo "40-fuzz: ${name}_fuzzer failed (exit $status) after ${runs:-?} executions;" \
         "the input is in $artifacts" >&2
    exit 1
  fi
  echo "${name}_fuzzer: ${runs:-?} executions in ${seconds} s, no crash, leak, hang or UB report"
done
