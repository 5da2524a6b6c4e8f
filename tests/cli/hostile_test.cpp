// Inputs made to hurt, through the command line: each is refused with its
// reason, without reading more than it must, and the input is never touched.
#include <gtest/gtest.h>

#include "testkit/cli_support.h"

using namespace quillon_test;

namespace {

// A sparse room of 4 GiB costs nothing on the disk; read whole, it would
// take 4 GiB of memory. Every command that reads a room or a bytecode file
// refuses it by its size.
TEST(Hostile, AHugeSparseFileIsRefusedBeforeItIsRead) {
    TempDir dir;
    const std::string path = dir.str("big.rdt"), script = dir.str("big.scd");
    for (const std::string& p : {path, script}) {
        { std::ofstream f(p, std::ios::binary); }
        fs::resize_file(p, (std::uintmax_t{4} << 30) + 1);
    }
    for (const std::vector<std::string>& args : {std::vector<std::string>{"extract", path},
                                                 {"disassemble", "--exact", path},
                                                 {"inject", "--init", path, path},
                                                 {"disassemble", "--stdout", script}}) {
        SCOPED_TRACE(args[0]);
        const RunResult r = RunQuillon(args);
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_NE(r.err.find("is too large (2 GiB at most)"), std::string::npos) << r.err;
        EXPECT_EQ(fs::file_size(args.back()), (std::uintmax_t{4} << 30) + 1);
    }
    EXPECT_EQ(FolderNames(dir.path()), (std::vector<std::string>{"big.rdt", "big.scd"}));
}

} // namespace
