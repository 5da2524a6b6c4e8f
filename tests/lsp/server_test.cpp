// The language server through its protocol: the life of a session, the
// protocol's errors, open documents and their edits, settings, and
// diagnostics that are the exact compiler's own messages.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "codec/exact/exact.h"
#include "testkit/lsp_client.h"

using namespace quillon_test;

namespace {

namespace fs = std::filesystem;

const std::string kUri = "file:///rooms/r100.main.c";

std::string Room(const std::string& body) {
    return "// quillon exact\r\n#include <bio2.h>\r\n\r\nint Sub00(void) {\r\n" + body +
           "\treturn 0;\r\n}\r\n";
}

TEST(LspServer, ErrorsOfTheProtocol) {
    LspClient client;
    // Before initialize: requests are refused, notifications dropped.
    Json answer = client.Request("textDocument/hover", {});
    EXPECT_EQ(answer["error"]["code"], -32002);
    EXPECT_TRUE(client
                    .Notify("textDocument/didOpen",
                            {{"textDocument", {{"uri", kUri}, {"version", 1}, {"text", "x"}}}})
                    .empty());

    answer = client.Initialize();
    EXPECT_EQ(answer["result"]["capabilities"]["textDocumentSync"]["change"], 2);
    EXPECT_EQ(client.Request("initialize", Json::object())["error"]["code"], -32600);

    struct Case {
        const char* what;
        std::string bytes;
        int code;
    };
    const Case cases[] = {
        {"malformed JSON", quillon::lsp::Frame("{\"jsonrpc\":"), -32700},
        {"a wrong length", "Content-Length: x\r\n\r\n{}", -32700},
        {"no method", quillon::lsp::Frame(R"({"jsonrpc":"2.0","id":7})"), -32600},
        {"an id of no kind", quillon::lsp::Frame(R"({"jsonrpc":"2.0","id":[1],"method":"x"})"),
         -32600},
        {"an unknown method", quillon::lsp::Frame(R"({"jsonrpc":"2.0","id":8,"method":"x/y"})"),
         -32601},
        {"params of the wrong shape",
         quillon::lsp::Frame(
             R"({"jsonrpc":"2.0","id":9,"method":"textDocument/hover","params":{"textDocument":3}})"),
         -32602},
    };
    for (const Case& c : cases) {
        const auto messages = client.SendBytes(c.bytes);
        ASSERT_EQ(messages.size(), 1u) << c.what;
        EXPECT_EQ(messages[0]["error"]["code"], c.code) << c.what;
    }
    // An unknown notification and an edit of a text that is not open are no
    // requests: nothing answers them but a log line.
    EXPECT_TRUE(client.Notify("$/unknown", {}).empty());
    const auto logged = client.Notify(
        "textDocument/didChange", {{"textDocument", {{"uri", "file:///none.c"}, {"version", 2}}},
                                   {"contentChanges", Json::array()}});
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0]["method"], "window/logMessage");

    // The server still works.
    EXPECT_EQ(client.Open(kUri, Room("")), Json::array());
    // A request of a place without its position (the fuzzer's find: the
    // completion read before the line).
    for (const char* method :
         {"textDocument/hover", "textDocument/definition", "textDocument/references",
          "textDocument/documentHighlight", "textDocument/completion", "textDocument/signatureHelp",
          "textDocument/prepareRename", "textDocument/rename"})
        EXPECT_EQ(client.Request(method, {{"textDocument", {{"uri", kUri}}}})["error"]["code"],
                  -32602)
            << method;
    EXPECT_EQ(client.Request("shutdown", nullptr)["result"], nullptr);
    EXPECT_EQ(client.Request("shutdown", nullptr)["error"]["code"], -32600);
    EXPECT_FALSE(client.Server().Exited());
    client.Notify("exit", nullptr);
    EXPECT_TRUE(client.Server().Exited());
    EXPECT_EQ(client.Server().ExitStatus(), 0);
}

TEST(LspServer, ExitStatusIsOneWithoutShutdown) {
    for (const bool shutdown : {false, true}) {
        std::string input =
            quillon::lsp::Frame(R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{}})");
        if (shutdown)
            input += quillon::lsp::Frame(R"({"jsonrpc":"2.0","id":2,"method":"shutdown"})");
        input += quillon::lsp::Frame(R"({"jsonrpc":"2.0","method":"exit"})");
        input += quillon::lsp::Frame(R"({"jsonrpc":"2.0","id":3,"method":"shutdown"})");
        std::size_t at = 0;
        std::string output;
        const int status = quillon::lsp::Serve(
            [&](char* into, std::size_t room) {
                const std::size_t n = std::min(room, input.size() - at);
                input.copy(into, n, at);
                at += n;
                return n;
            },
            [&](std::string_view bytes) { output += bytes; }, {});
        EXPECT_EQ(status, shutdown ? 0 : 1);
        // Nothing is read after exit.
        EXPECT_EQ(ReadFramed(output).size(), shutdown ? 2u : 1u);
    }
}

// The messages of `compile --exact` on a text, as the server should publish them.
std::vector<quillon::exact::Message> CompilerMessages(const std::string& text) {
    std::vector<quillon::exact::Message> out;
    std::string chunk;
    quillon::exact::CompileChunk(text, chunk,
                                 [&](const quillon::exact::Message& m) { out.push_back(m); });
    return out;
}

TEST(LspServer, DiagnosticsAreTheCompilersMessagesAfterEachEdit) {
    LspClient client;
    client.Initialize();
    // "é" takes one UTF-16 unit and two bytes, "𝄞" two units and four bytes.
    const std::string text = Room("\t// é𝄞\r\n\tSet(FG_STATSU, 24, 1);\r\n");
    const Json diagnostics = client.Open(kUri, text);
    const auto expected = CompilerMessages(text);
    ASSERT_EQ(expected.size(), 1u);
    ASSERT_EQ(diagnostics.size(), 1u);
    EXPECT_EQ(diagnostics[0]["message"], expected[0].text);
    EXPECT_EQ(diagnostics[0]["severity"], 1);
    EXPECT_EQ(diagnostics[0]["range"]["start"]["line"], expected[0].line - 1);
    EXPECT_EQ(diagnostics[0]["range"]["start"]["character"], expected[0].column - 1);

    // Incremental edits, in UTF-16 units: the comment's "𝄞" becomes "x",
    // then the typo is mended, then a new one is typed on a line of its own.
    auto change = [&](int line, int from, int to, const std::string& with, int version) {
        return LspClient::DiagnosticsFor(
            kUri, client.Notify("textDocument/didChange",
                                {{"textDocument", {{"uri", kUri}, {"version", version}}},
                                 {"contentChanges",
                                  {{{"range",
                                     {{"start", {{"line", line}, {"character", from}}},
                                      {"end", {{"line", line}, {"character", to}}}}},
                                    {"text", with}}}}}));
    };
    EXPECT_EQ(change(4, 5, 7, "x", 2).size(), 1u);
    EXPECT_EQ(change(5, 8, 14, "STATUS", 3), Json::array());
    const Json typo = change(6, 0, 0, "\tSce_rndd();\r\n", 4);
    const std::string now = Room("\t// éx\r\n\tSet(FG_STATUS, 24, 1);\r\n\tSce_rndd();\r\n");
    EXPECT_EQ(client.Server().State().Find(kUri)->text.Text(), now);
    const auto again = CompilerMessages(now);
    ASSERT_EQ(typo.size(), again.size());
    EXPECT_EQ(typo[0]["message"], again[0].text);
    EXPECT_EQ(typo[0]["range"]["start"]["line"], 6);

    // A position past its line stands at the line's end; a range that ends
    // before it starts changes nothing, not even the changes before it, in
    // the text or in the model that shares its bytes.
    EXPECT_EQ(change(6, 99, 99, "", 5).size(), 1u);
    const Json at = {{"line", 6}, {"character", 0}};
    const auto logged = client.Notify("textDocument/didChange",
                                      {{"textDocument", {{"uri", kUri}, {"version", 6}}},
                                       {"contentChanges",
                                        {{{"range", {{"start", at}, {"end", at}}}, {"text", "y"}},
                                         {{"range",
                                           {{"start", {{"line", 6}, {"character", 3}}},
                                            {"end", {{"line", 6}, {"character", 1}}}}},
                                          {"text", "x"}}}}});
    ASSERT_EQ(logged.size(), 1u);
    const quillon::lsp::OpenDocument& d = *client.Server().State().Find(kUri);
    EXPECT_EQ(d.text.Text(), now);
    EXPECT_EQ(d.model->sources[0].text.Text(), now);
}

TEST(LspServer, HeadersFromIncludeFoldersAndOpenDocuments) {
    const fs::path dir =
        fs::temp_directory_path() /
        ("quillon-lsp-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    fs::create_directories(dir / "rooms");
    fs::create_directories(dir / "shared");
    std::ofstream(dir / "shared/flags.h") << "#define MET_CLAIRE FG_SCENARIO, 18\r\n";
    const std::string uri = "file://" + (dir / "rooms/r.c").string();
    const std::string text = Room("\tSet(MET_CLAIRE, 1);\r\n");
    const std::string withInclude =
        "// quillon exact\r\n#include <bio2.h>\r\n#include \"flags.h\"\r\n" +
        text.substr(text.find("\r\n\r\n") + 2);

    LspClient client;
    client.Initialize({{"includePaths", {(dir / "shared").string()}}});
    EXPECT_EQ(client.Open(uri, withInclude), Json::array());

    // A header changed on disk reaches the texts that include it once the
    // editor tells of it; one that nothing includes changes nothing.
    std::ofstream(dir / "shared/flags.h") << "#define MET_LEON FG_SCENARIO, 18\r\n";
    const auto changed = [&](const fs::path& file) {
        return client.Notify(
            "workspace/didChangeWatchedFiles",
            {{"changes", {{{"uri", "file://" + (dir / file).string()}, {"type", 2}}}}});
    };
    EXPECT_TRUE(changed("shared/other.h").empty());
    EXPECT_FALSE(LspClient::DiagnosticsFor(uri, changed("shared/flags.h")).empty());
    std::ofstream(dir / "shared/flags.h") << "#define MET_CLAIRE FG_SCENARIO, 18\r\n";
    EXPECT_EQ(LspClient::DiagnosticsFor(uri, changed("shared/flags.h")), Json::array());

    // Settings from the client's configuration: no include folder, the header is missing.
    std::vector<Json> sent =
        client.Notify("workspace/didChangeConfiguration",
                      {{"settings", {{"quillon", {{"includePaths", Json::array()}}}}}});
    EXPECT_FALSE(LspClient::DiagnosticsFor(uri, sent).empty());

    // An open header is read as the editor holds it, and its edits reach the
    // texts that include it.
    const std::string header = "file://" + (dir / "rooms/flags.h").string();
    sent = client.Notify(
        "textDocument/didOpen",
        {{"textDocument",
          {{"uri", header}, {"version", 1}, {"text", "#define MET_CLAIRE FG_SCENARIO, 18\r\n"}}}});
    EXPECT_EQ(LspClient::DiagnosticsFor(uri, sent), Json::array());
    sent =
        client.Notify("textDocument/didChange",
                      {{"textDocument", {{"uri", header}, {"version", 2}}},
                       {"contentChanges", {{{"text", "#define MET_LEON FG_SCENARIO, 18\r\n"}}}}});
    EXPECT_FALSE(LspClient::DiagnosticsFor(uri, sent).empty());
    fs::remove_all(dir);
}

} // namespace

namespace {

// Hostile texts get diagnostics, and the server answers on.
TEST(LspServer, HostileTextsGetDiagnostics) {
    const fs::path dir = fs::temp_directory_path() /
                         ("quillon-lsp-hostile-" +
                          std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    fs::create_directories(dir);
    std::ofstream(dir / "a.h") << "#include \"b.h\"\r\n";
    std::ofstream(dir / "b.h") << "#include \"a.h\"\r\n";
    std::string nested;
    for (int i = 0; i < 100000; ++i) nested += "if(Ck(FG_STATUS, 24, 0)) {\n";
    for (int i = 0; i < 100000; ++i) nested += "}\n";
    const std::string texts[] = {
        Room(nested),
        Room("\tSet(FG_STATUS, " + std::string(64 << 20, '1') + ", 1);\r\n"),
        "// quillon exact\r\n#include \"a.h\"\r\n",
    };
    LspClient client;
    client.Initialize();
    int n = 0;
    for (const std::string& text : texts) {
        const std::string uri = "file://" + (dir / ("t" + std::to_string(n++) + ".c")).string();
        const Json diagnostics = client.Open(uri, text);
        ASSERT_TRUE(diagnostics.is_array()) << n;
        EXPECT_FALSE(diagnostics.empty()) << n;
    }
    EXPECT_EQ(client.Request("shutdown", nullptr)["result"], nullptr);
    fs::remove_all(dir);
}

} // namespace

namespace {

// A client that answers workspace/configuration is asked for the settings
// after initialized, and again when they change without being sent.
TEST(LspServer, SettingsAskedOfTheClient) {
    LspClient client;
    client.Request("initialize", {{"capabilities", {{"workspace", {{"configuration", true}}}}}});
    std::vector<Json> sent = client.Notify("initialized", Json::object());
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0]["method"], "workspace/configuration");
    EXPECT_EQ(sent[0]["params"]["items"][0]["section"], "quillon");
    client.Open(kUri, Room("\tSet(MET_CLAIRE, 1);\r\n"));

    // A names header that cannot be read is shown to the user.
    sent = client.Send({{"jsonrpc", "2.0"},
                        {"id", sent[0]["id"]},
                        {"result", {{{"namesHeader", "/nonexistent/names.h"}}}}});
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent[0]["method"], "window/showMessage");
    EXPECT_NE(sent[0]["params"]["message"].get<std::string>().find("/nonexistent/names.h"),
              std::string::npos);
    EXPECT_FALSE(LspClient::DiagnosticsFor(kUri, sent).is_null());

    sent = client.Notify("workspace/didChangeConfiguration", {{"settings", nullptr}});
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0]["method"], "workspace/configuration");
}

} // namespace
