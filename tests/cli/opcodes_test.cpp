// End-to-end tests of `quillon opcodes`: the table of both dialects, and
// that every argument form reads as the disassembler writes the instruction.
#include <gtest/gtest.h>

#include <regex>

#include "codec/classic/engine.h"
#include "testkit/cli_support.h"

using namespace quillon_test;

namespace {

struct Row {
    int opcode = -1;
    int size = -1;
    std::string name, form;
};

// "0x2F       4  Speed_set           Speed_set(U8@1, S16@2);"
std::vector<Row> ParseTable(const std::string& out) {
    std::vector<Row> rows;
    const std::regex row(R"(^0x([0-9A-F]{2}) +([0-9]+)  (.{18})  (.*)$)");
    for (const std::string& line : Lines(out)) {
        std::smatch m;
        if (!std::regex_match(line, m, row)) continue;
        Row r;
        r.opcode = std::stoi(m[1].str(), nullptr, 16);
        r.size = std::stoi(m[2].str());
        r.name = m[3].str();
        r.name.erase(r.name.find_last_not_of(' ') + 1);
        r.form = m[4].str();
        rows.push_back(r);
    }
    return rows;
}

// The text an all-zero field prints as.
std::string ZeroText(const std::string& kind) {
    if (kind == "X8" || kind == "H16") return "0x00";
    if (kind == "X16") return "0x0000";
    if (kind == "ADDR16") return "0x00000000";
    if (kind == "SUB8") return "00";
    if (kind == "HEX8") return "0x0";
    if (kind == "CMP" || kind == "CMP?") return "=";
    if (kind == "OP") return "+";
    return "0";
}

// The form with each KIND@OFFSET replaced by the text of a zero field.
std::string FillZero(const std::string& form) {
    static const std::regex field(
        R"(<?(U8|S8|X8|U16|S16|X16|H16|ADDR16|SUB8|HEX8|CMP\?|CMP|OP)@[0-9]+\*?>?)");
    std::string out;
    auto it = std::sregex_iterator(form.begin(), form.end(), field);
    size_t last = 0;
    for (; it != std::sregex_iterator(); ++it) {
        out += form.substr(last, static_cast<size_t>(it->position()) - last);
        out += ZeroText((*it)[1].str());
        last = static_cast<size_t>(it->position() + it->length());
    }
    return out + form.substr(last);
}

class CliOpcodes : public ::testing::TestWithParam<const char*> {};

TEST_P(CliOpcodes, EveryRowMatchesTheDialect) {
    const std::string dialectName = GetParam();
    const quillon::Dialect& dialect =
        dialectName == "prototype" ? quillon::PrototypeDialect() : quillon::RetailDialect();
    const RunResult r = RunQuillon({"opcodes", "--dialect", dialectName});
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    const std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 258u);
    EXPECT_EQ(lines[0], "# " + dialectName + " dialect (" + dialect.menuName + ")");
    const std::vector<Row> rows = ParseTable(r.out);
    ASSERT_EQ(rows.size(), 256u);
    for (int op = 0; op < 256; ++op) {
        const Row& row = rows[static_cast<size_t>(op)];
        const auto code = static_cast<std::uint8_t>(op);
        EXPECT_EQ(row.opcode, op);
        EXPECT_EQ(row.size, dialect.Size(code)) << op;
        EXPECT_EQ(row.name, dialect.Name(code)) << op;
        if (op >= 0x90) {
            EXPECT_EQ(row.form, "(no line)") << op;
            continue;
        }
        if (row.form == "// unknown opcode" || row.size == 0) continue;
        // The form, its fields filled with zeros, is the disassembler's line
        // for the instruction of all-zero operands.
        quillon::ScriptContext ctx(dialect);
        std::string bytes(static_cast<size_t>(row.size), '\0');
        bytes[0] = static_cast<char>(op);
        const bool conditional = row.form.find("(condition") != std::string::npos;
        if (conditional) bytes.push_back('\0'); // a nop as the condition
        std::string text = quillon::DisassembleBuffer(ctx, bytes, "t");
        const std::string head = "int t(void) {\r\n\r\n\t";
        ASSERT_EQ(text.rfind(head, 0), 0u);
        text = text.substr(head.size(), text.find("\r\n", head.size()) - head.size());
        std::string form = row.form;
        form = form.substr(0, form.find("  [compiling sets"));
        form = form.substr(0, form.find(" or } closing an else block"));
        if (form == "(empty line)") form.clear();
        if (conditional) {
            const size_t at = form.find("condition");
            form.replace(at, 9, "nop();");
        }
        EXPECT_EQ(FillZero(form), text) << "opcode " << op << ": " << row.form;
    }
}

INSTANTIATE_TEST_SUITE_P(Dialects, CliOpcodes, ::testing::Values("retail", "prototype"));

TEST(CliOpcodesRows, ChosenRows) {
    const RunResult retail = RunQuillon({"opcodes"});
    const RunResult proto = RunQuillon({"opcodes", "--dialect=prototype"});
    const std::vector<Row> r = ParseTable(retail.out), p = ParseTable(proto.out);
    ASSERT_EQ(r.size(), 256u);
    ASSERT_EQ(p.size(), 256u);
    EXPECT_EQ(r[0x2F].form, "Speed_set(U8@1, S16@2);");
    EXPECT_EQ(r[0x09].form, "Sleep(U16@2);  [compiling sets 1=0x0A]");
    EXPECT_EQ(r[0x06].form, "if(condition) {");
    EXPECT_EQ(r[0x12].form, "} while(condition);");
    EXPECT_EQ(r[0x18].form, "goto Sub<SUB8@1>();");
    EXPECT_EQ(r[0x23].form, "Cmp(S8@2 CMP@3 S16@4)");
    EXPECT_EQ(r[0x27].form, "Calc2(HEX8@2*, HEX8@3*);  [compiling sets 1=0x00 2=0x10 3=0x07]");
    EXPECT_EQ(r[0x85].form, "// unknown opcode");
    EXPECT_EQ(r[0x04].form, "Evt_exec(U8@1, H16@2);");
    EXPECT_EQ(p[0x04].form, "Evt_exec(U8@1, X16@2);");
    EXPECT_EQ(r[0x2C].size, 20);
    EXPECT_EQ(r[0x2C].name, "Aot_set");
}

} // namespace
