// `quillon lsp` as an editor starts it: framed messages on standard input,
// answers on standard output, the exit status as the protocol has it.
#include <gtest/gtest.h>

#include "testkit/cli_support.h"
#include "testkit/lsp_client.h"

using namespace quillon_test;

namespace {

std::string Message(const Json& m) {
    return quillon::lsp::Frame(m.dump());
}

TEST(CliLsp, ServesUntilExitWithTheProtocolsStatus) {
    TempDir dir;
    const std::string text = ReadFile(fs::path(QUILLON_SOURCE_DIR) / "examples/exact_room.c");
    const std::string uri = "file://" + (dir / "room.c").string();
    std::string session =
        Message(
            {{"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"}, {"params", Json::object()}}) +
        Message({{"jsonrpc", "2.0"}, {"method", "initialized"}, {"params", Json::object()}}) +
        "Content-Length: nonsense\r\n\r\n{}" +
        Message({{"jsonrpc", "2.0"},
                 {"method", "textDocument/didOpen"},
                 {"params",
                  {{"textDocument",
                    {{"uri", uri}, {"version", 1}, {"text", text + "\tSce_rndd();\r\n"}}}}}});
    const std::string end = Message({{"jsonrpc", "2.0"}, {"method", "exit"}});
    const std::string shutdown = Message({{"jsonrpc", "2.0"}, {"id", 2}, {"method", "shutdown"}});

    RunResult r =
        RunQuillon({"lsp"}, RunOptions{session + shutdown + end, dir.path().string(), false});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::vector<Json> out = ReadFramed(r.out);
    ASSERT_EQ(out.size(), 4u) << r.out;
    EXPECT_EQ(out[0]["result"]["serverInfo"]["name"], "quillon");
    EXPECT_EQ(out[1]["error"]["code"], -32700);
    EXPECT_EQ(out[2]["params"]["diagnostics"].size(), 1u);
    EXPECT_EQ(out[3]["id"], 2);

    for (const std::string& input : {session + end, session}) {
        r = RunQuillon({"lsp"}, RunOptions{input, dir.path().string(), false});
        EXPECT_EQ(r.status, 1);
    }
}

} // namespace
