#!/usr/bin/env bash
# The libFuzzer harnesses (tools/fuzz), each run for QUILLON_FUZZ_SECONDS
# (default 60) from its kept corpus in fuzz/corpus, which is only read here:
# new inputs go to a scratch folder. A crash, a leak, a hang, too much memory
# or a UB report fails this stage; the input that did it is kept in
# PREFIX-fuzz/artifacts.
set -euo pipefail
cd "$(dirname "$0")/../.."
exec tools/fuzz --no-merge --each "${QUILLON_FUZZ_SECONDS:-60}"
