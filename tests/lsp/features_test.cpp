// The features through the protocol, on texts whose front-end events are
// recorded here: the Recording below stands in for what the compiler tells
// its listener, so that each feature is checked against known events.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "codec/exact/naming.h"
#include "lsp/instructions.h"
#include "testkit/lsp_client.h"
#include "testkit/lsp_recording.h"

using namespace quillon_test;
using quillon::Meaning;
using quillon::exact::TokenRole;
namespace exact = quillon::exact;
namespace lsp = quillon::lsp;
namespace fs = std::filesystem;

namespace {

const Meaning G = Meaning::FlagGroup, I = Meaning::FlagIndex, N = Meaning::None;

// A room's main text and its init text, as the compiler tells them (the
// offsets are those of `disassemble --exact --offsets`).
Recording MainText() {
    Recording r("// quillon exact\n"
                "#include <bio2.h>\n"
                "#define MY_FLAG 24\n"
                "\n"
                "int Sub00(void) {\n"
                "\tif(Ck(FG_STATUS, MY_FLAG, 0)) {\n"
                "\t\tSet(FG_ROOM, 5, 1);\n"
                "\t}\n"
                "\tgoto L1;\n"
                "L1:\n"
                "\tEvt_exec(1, 2, Sub01);\n"
                "\treturn 0;\n"
                "}\n"
                "\n"
                "int Sub01(void) {\n"
                "\tSub00();\n"
                "\treturn 0;\n"
                "}\n");
    r.Token(2, "#include", TokenRole::Directive).Token(2, "<bio2.h>", TokenRole::HeaderName);
    r.Token(3, "#define", TokenRole::Directive).Define(3, "MY_FLAG", 24, N, "24");
    r.Token(3, "24", TokenRole::Number);
    r.Token(6, "if", TokenRole::Keyword);
    r.Instruction(6, "Ck",
                  {{"FG_STATUS", 1, G, TokenRole::Builtin},
                   {"MY_FLAG", 24, I, TokenRole::Macro},
                   {"0", 0, N}},
                  0, 0x08);
    r.Instruction(7, "Set", {{"FG_ROOM", 5, G, TokenRole::Builtin}, {"5", 5, I}, {"1", 1, N}}, 0,
                  0x0C);
    r.Block(6, "if", 8);
    r.Token(9, "goto", TokenRole::Keyword).Token(9, "L1", TokenRole::Label);
    r.Token(10, "L1", TokenRole::Label, true);
    r.Instruction(11, "Evt_exec",
                  {{"1", 1, N}, {"2", 2, N}, {"Sub01", 1, Meaning::Procedure, TokenRole::Function}},
                  0, 0x18);
    r.Function(5, "Sub00", 0, 13);
    r.Token(16, "Sub00", TokenRole::Function);
    r.Function(15, "Sub01", 1, 18);
    return r;
}

Recording InitText() {
    Recording r("// quillon exact\n"
                "#include <bio2.h>\n"
                "\n"
                "int Sub00(void) {\n"
                "\tCk(5, 5, 0);\n"
                "\treturn 0;\n"
                "}\n");
    r.Instruction(5, "Ck", {{"5", 5, G}, {"5", 5, I}, {"0", 0, N}}, 0, 4);
    r.Function(4, "Sub00", 0, 7);
    return r;
}

const std::string kMain = "file:///rooms/room100.main.c";
const std::string kInit = "file:///rooms/room100.init.c";

// Each feature is checked twice: on the recorded events, and on what the
// compiler's own front end tells of the same texts.
class LspFeatures : public ::testing::TestWithParam<bool> {
  protected:
    void SetUp() override {
        header_ = fs::temp_directory_path() / ("quillon-bio2-" + std::to_string(getpid()) + ".h");
        std::ofstream(header_) << "/* names */\n#define FG_SYSTEM 0\n#define FG_STATUS 1\n";
        client_ = std::make_unique<LspClient>(lsp::Server::Environment{
            GetParam() ? Fake({&main_, &init_}) : lsp::CompilerFrontEnd(), header_.string()});
        client_->Initialize();
        client_->Open(kMain, main_.Text());
        client_->Open(kInit, init_.Text());
    }
    void TearDown() override { fs::remove(header_); }

    // A request at a place (line and character from 0) of the main text.
    Json At(const std::string& method, int line, int character, Json extra = Json::object(),
            const std::string& uri = kMain) {
        extra["textDocument"] = {{"uri", uri}};
        extra["position"] = {{"line", line}, {"character", character}};
        return client_->Request(method, extra);
    }
    static std::vector<std::string> Labels(const Json& items) {
        std::vector<std::string> out;
        for (const Json& i : items) out.push_back(i["label"]);
        return out;
    }
    static bool Has(const std::vector<std::string>& v, const std::string& s) {
        return std::find(v.begin(), v.end(), s) != v.end();
    }

    Recording main_ = MainText(), init_ = InitText();
    fs::path header_;
    std::unique_ptr<LspClient> client_;
};

TEST_P(LspFeatures, Hover) {
    struct Case {
        int line, character;
        std::vector<std::string> says;
    };
    const Case cases[] = {
        {5,
         4,
         {"**Ck**: opcode 0x21, 4 bytes", "Ck(U8@1, U8@2, U8@3)\n", "a flag group at byte 1",
          "At 0x0008 in the chunk (procedure 0)"}},
        {6,
         15,
         {"Argument 2 of **Set**", "a flag index", "Value 5 (0x5)", "Byte 2 of the instruction"}},
        {5, 20, {"Name **MY_FLAG**, defined at line 3", "#define MY_FLAG 24", "Value 24 (0x18)"}},
        {5, 8, {"Built-in name **FG_STATUS**", "a flag group: 1 (0x1)"}},
        {14, 5, {"Function **Sub01**: procedure 1 of the table, at line 15", "1 reference"}},
        {9, 0, {"Label **L1** at line 10"}},
    };
    for (const Case& c : cases) {
        const Json hover = At("textDocument/hover", c.line, c.character);
        ASSERT_TRUE(hover["result"].is_object()) << c.line << ":" << c.character;
        const std::string text = hover["result"]["contents"]["value"];
        for (const std::string& s : c.says)
            EXPECT_NE(text.find(s), std::string::npos) << s << " in\n" << text;
    }
    EXPECT_EQ(At("textDocument/hover", 3, 0)["result"], nullptr);
    EXPECT_EQ(At("textDocument/hover", 99, 0)["error"]["code"], -32602);
}

TEST_P(LspFeatures, DefinitionReferencesAndHighlights) {
    struct Case {
        int line, character;
        std::string uri;
        int toLine, toCharacter;
    };
    const Case cases[] = {
        {10, 17, kMain, 14, 4},                      // Sub01 -> its head
        {8, 7, kMain, 9, 0},                         // goto L1 -> L1:
        {5, 20, kMain, 2, 8},                        // MY_FLAG -> its #define
        {5, 10, "file://" + header_.string(), 2, 8}, // FG_STATUS -> the names header
        {1, 12, "file://" + header_.string(), 0, 0}, // <bio2.h>
    };
    for (const Case& c : cases) {
        const Json d = At("textDocument/definition", c.line, c.character)["result"];
        EXPECT_EQ(d["uri"], c.uri) << c.line;
        EXPECT_EQ(d["range"]["start"], (Json{{"line", c.toLine}, {"character", c.toCharacter}}))
            << c.line;
    }
    // The flag FG_ROOM, 5 in both texts of the room, the group written as a name or a number.
    const Json refs = At("textDocument/references", 6, 16)["result"];
    ASSERT_EQ(refs.size(), 2u) << refs.dump();
    EXPECT_EQ(refs[0]["uri"], kInit);
    EXPECT_EQ(refs[1]["uri"], kMain);
    // Sub00: its head and its call; without the definition, the call alone.
    EXPECT_EQ(At("textDocument/references", 4, 5)["result"].size(), 2u);
    EXPECT_EQ(At("textDocument/references", 4, 5,
                 {{"context", {{"includeDeclaration", false}}}})["result"]
                  .size(),
              1u);
    const Json highlights = At("textDocument/documentHighlight", 9, 0)["result"];
    ASSERT_EQ(highlights.size(), 2u);
    EXPECT_EQ(highlights[0]["kind"], 2);
    EXPECT_EQ(highlights[1]["kind"], 3);
}

TEST_P(LspFeatures, CompletionAndSignatureHelp) {
    // On an instruction's name: instructions with their arguments as snippets.
    Json items = At("textDocument/completion", 6, 3)["result"]["items"];
    bool snippet = false;
    for (const Json& i : items)
        if (i["label"] == "Set")
            snippet = i["insertText"] == "Set(${1:U8@1}, ${2:U8@2}, ${3:U8@3});";
    EXPECT_TRUE(snippet);
    // At a flag group: flag groups only; at a procedure: the functions; after goto: labels.
    auto groups = Labels(At("textDocument/completion", 6, 8)["result"]["items"]);
    EXPECT_TRUE(Has(groups, "FG_ROOM"));
    EXPECT_FALSE(Has(groups, "ITEM_KNIFE"));
    EXPECT_EQ(Labels(At("textDocument/completion", 10, 16)["result"]["items"]),
              (std::vector<std::string>{"Sub00", "Sub01"}));
    EXPECT_EQ(Labels(At("textDocument/completion", 8, 7)["result"]["items"]),
              std::vector<std::string>{"L1"});

    const Json help = At("textDocument/signatureHelp", 6, 16)["result"];
    EXPECT_EQ(help["signatures"][0]["label"], "Set(U8@1, U8@2, U8@3);");
    EXPECT_EQ(help["activeParameter"], 1);
    EXPECT_EQ(help["signatures"][0]["parameters"][1]["label"], Json({10, 14}));
}

TEST_P(LspFeatures, OutlineFoldingAndSemanticTokens) {
    const Json doc = {{"textDocument", {{"uri", kMain}}}};
    const Json symbols = client_->Request("textDocument/documentSymbol", doc)["result"];
    ASSERT_EQ(symbols.size(), 3u);
    EXPECT_EQ(symbols[0]["name"], "MY_FLAG");
    EXPECT_EQ(symbols[1]["name"], "Sub00");
    EXPECT_EQ(symbols[1]["range"]["end"]["line"], 12);
    ASSERT_EQ(symbols[1]["children"].size(), 1u);
    EXPECT_EQ(symbols[1]["children"][0]["name"], "L1");

    const Json folds = client_->Request("textDocument/foldingRange", doc)["result"];
    EXPECT_EQ(
        folds,
        Json::parse(
            R"([{"startLine":4,"endLine":12},{"startLine":14,"endLine":17},{"startLine":5,"endLine":7}])"));

    const Json data = client_->Request("textDocument/semanticTokens/full", doc)["result"]["data"];
    ASSERT_EQ(data.size() % 5, 0u);
    // The first tokens: "#include" (a directive) on line 1, "<bio2.h>" after it.
    EXPECT_EQ(Json(std::vector<int>(data.begin(), data.begin() + 10)),
              Json({1, 0, 8, 1, 0, 0, 9, 8, 2, 0}));
    // FG_STATUS on line 5: a built-in flag name (defaultLibrary | flag).
    bool flag = false;
    for (std::size_t k = 0; k < data.size(); k += 5)
        flag = flag || (data[k + 3] == 8 && data[k + 4] == 6);
    EXPECT_TRUE(flag);
}

TEST_P(LspFeatures, RenameAndCodeActions) {
    const Json edit = At("textDocument/rename", 10, 17, {{"newName", "Opening"}})["result"];
    ASSERT_EQ(edit["changes"][kMain].size(), 2u);
    EXPECT_EQ(edit["changes"][kMain][0]["newText"], "Opening");
    const Json refused = At("textDocument/rename", 6, 8, {{"newName", "X"}});
    EXPECT_EQ(refused["error"]["message"],
              "'FG_ROOM' is a built-in name of <bio2.h>; it cannot be renamed");
    EXPECT_EQ(At("textDocument/rename", 10, 17, {{"newName", "2x"}})["error"]["code"], -32602);
    EXPECT_EQ(At("textDocument/prepareRename", 10, 17)["result"]["placeholder"], "Sub01");

    auto actions = [&](const std::string& uri, int line, Json diagnostics) {
        const Json range = {{"start", {{"line", line}, {"character", 0}}},
                            {"end", {{"line", line}, {"character", 0}}}};
        return client_->Request("textDocument/codeAction",
                                {{"textDocument", {{"uri", uri}}},
                                 {"range", range},
                                 {"context", {{"diagnostics", diagnostics}}}})["result"];
    };
    Json a = actions(kInit, 4, Json::array());
    ASSERT_GE(a.size(), 1u);
    EXPECT_EQ(a[0]["title"], "Write 5 as FG_ROOM");
    a = actions(kMain, 5, Json::array());
    ASSERT_GE(a.size(), 2u);
    EXPECT_EQ(a[0]["title"], "Write FG_STATUS as 1");
    EXPECT_EQ(a[1]["title"], "Write MY_FLAG as 24");
    const Json typo = {
        {"range",
         {{"start", {{"line", 6}, {"character", 6}}}, {"end", {{"line", 6}, {"character", 14}}}}},
        {"message", "unknown name 'FG_ROMM'; did you mean 'FG_ROOM'?"}};
    a = actions(kMain, 3, Json::array({typo}));
    ASSERT_EQ(a.size(), 1u);
    EXPECT_EQ(a[0]["kind"], "quickfix");
    EXPECT_EQ(a[0]["edit"]["changes"][kMain][0]["newText"], "FG_ROOM");
}

INSTANTIATE_TEST_SUITE_P(RecordedAndCompiled, LspFeatures, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "Recorded" : "Compiled";
                         });

} // namespace
