// Incremental edits in the protocol's positions: a text changed by random
// edits equals the same edits applied by a plain reference (positions
// counted from the start of the text), and its diagnostics equal those of
// the result sent whole.
#include <cstdint>
#include <string>

#include "fuzz/harness.h"
#include "lsp/server.h"

using namespace quillon;

namespace {

// The byte offset of (line, character in UTF-16 units), clamped as the
// protocol has it, counted from the start of the text.
QUILLON_FUZZ_CHECK std::size_t Reference(const std::string& text, int line, int character) {
    std::size_t i = 0;
    for (int l = 0; l < line; ++l) {
        while (i < text.size() && text[i] != '\n' && text[i] != '\r') ++i;
        if (i == text.size()) return i;
        i += text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n' ? 2 : 1;
    }
    for (int units = 0;
         units < character && i < text.size() && text[i] != '\n' && text[i] != '\r';) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t n = lead < 0xC0   ? 1
                              : lead < 0xE0 ? 2
                              : lead < 0xF0 ? 3
                              : lead < 0xF8 ? 4
                                            : 1;
        if (i + n > text.size()) break;
        std::size_t k = 1;
        while (k < n && text[i + k] != '\n' && text[i + k] != '\r') ++k;
        if (k < n) break;
        units += n == 4 ? 2 : 1;
        i += n;
    }
    return i;
}

// What a client sends of bytes: UTF-8, anything else replaced.
std::string Sent(const std::string& bytes) {
    return lsp::Json::parse(
               lsp::Json(bytes).dump(-1, ' ', false, lsp::Json::error_handler_t::replace))
        .get<std::string>();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::size_t at = 0;
    auto byte = [&]() -> int { return at < size ? data[at++] : 0; };
    const std::size_t first = std::min<std::size_t>(size, static_cast<std::size_t>(byte()) * 4);
    std::string text(reinterpret_cast<const char*>(data) + at, std::min(first, size - at));
    at += text.size();
    text = Sent(text);

    lsp::Json last;
    lsp::Server server(
        [&](const std::string& body) {
            const lsp::Json m = lsp::Json::parse(body);
            if (m.value("method", "") == "textDocument/publishDiagnostics")
                last = m["params"]["diagnostics"];
        },
        {});
    server.Receive(R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{}})");
    lsp::Json open = {
        {"jsonrpc", "2.0"},
        {"method", "textDocument/didOpen"},
        {"params", {{"textDocument", {{"uri", "file:///a.c"}, {"version", 1}, {"text", text}}}}}};
    server.Receive(open.dump());
    for (int version = 2; at < size && version < 64; ++version) {
        int l1 = byte() % 8, c1 = byte() % 12, l2 = l1 + byte() % 3, c2 = byte() % 12;
        if (l2 == l1 && c2 < c1) std::swap(c1, c2);
        const std::size_t n =
            std::min<std::size_t>(static_cast<std::size_t>(byte() % 8), size - at);
        const std::string with = Sent(std::string(reinterpret_cast<const char*>(data) + at, n));
        at += n;
        const std::size_t from = Reference(text, l1, c1), to = Reference(text, l2, c2);
        if (to < from) continue; // a range that ends before it starts: refused
        text.replace(from, to - from, with);
        lsp::Json change = {{"jsonrpc", "2.0"},
                            {"method", "textDocument/didChange"},
                            {"params",
                             {{"textDocument", {{"uri", "file:///a.c"}, {"version", version}}},
                              {"contentChanges",
                               {{{"range",
                                  {{"start", {{"line", l1}, {"character", c1}}},
                                   {"end", {{"line", l2}, {"character", c2}}}}},
                                 {"text", with}}}}}}};
        server.Receive(change.dump());
    }
    const lsp::OpenDocument* d = server.State().Find("file:///a.c");
    if (!d) fuzzing::Fail("the document is not open");
    if (d->text.Text() != text)
        fuzzing::Fail("the edited text differs from the reference", d->text.Text());
    const lsp::Json edited = last;
    open["params"]["textDocument"]["uri"] = "file:///b.c";
    open["params"]["textDocument"]["text"] = text;
    server.Receive(open.dump());
    if (edited != last) fuzzing::Fail("diagnostics differ from those of the text sent whole", text);
    return 0;
}
