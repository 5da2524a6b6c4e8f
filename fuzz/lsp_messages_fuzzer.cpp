// The language server's message reader and dispatch on arbitrary bytes: no
// crash, no hang, and afterwards a request still gets its own answer.
#include <cstdint>
#include <string>

#include "fuzz/harness.h"
#include "lsp/framing.h"
#include "lsp/server.h"

using namespace quillon;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::string answers;
    lsp::Server server([&](const std::string& body) { answers = body; }, {});
    std::size_t at = 0;
    // Pieces of odd sizes, as a pipe gives them.
    lsp::MessageReader reader(
        [&](char* into, std::size_t room) {
            const std::size_t n = std::min({room, bytes.size() - at, std::size_t{1} + at % 13});
            bytes.copy(into, n, at);
            at += n;
            return n;
        },
        1 << 20);
    std::string body, why;
    for (;;) {
        const auto s = reader.Next(body, why);
        if (s == lsp::MessageReader::Status::End || server.Exited()) break;
        if (s == lsp::MessageReader::Status::Error)
            server.Unreadable(why);
        else
            server.Receive(body);
    }
    if (server.Exited()) return 0;
    answers.clear();
    server.Receive(R"({"jsonrpc":"2.0","id":"probe","method":"textDocument/hover","params":{}})");
    const lsp::Json answer = lsp::Json::parse(answers, nullptr, false);
    if (answer.is_discarded() || !answer.is_object() || answer.value("id", "") != "probe" ||
        !answer.contains("error"))
        fuzzing::Fail("the probe got no answer of its own", answers);
    return 0;
}
