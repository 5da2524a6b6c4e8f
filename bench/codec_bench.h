// The codec's benchmarks: both directions and dialects, on a typical room
// script and on a 16 MiB stream of every instruction form, in memory and
// through files, beside the floors of the I/O alone.
#pragma once

namespace quillon::bench {

// Registers every benchmark with Google Benchmark, under the names the
// summary looks up ("Disassemble/retail/room", ...).
void Register();

} // namespace quillon::bench
