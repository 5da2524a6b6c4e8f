// quillon_bench --digest: checksums of every output, for checking that an
// optimisation changes no byte.
#pragma once

namespace quillon::bench {

// Prints one line of checksums per dialect and input; the exit status.
int PrintDigests();

} // namespace quillon::bench
