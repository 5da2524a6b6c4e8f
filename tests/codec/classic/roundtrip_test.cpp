// Round trips over random retail scripts: bytes that the forms show in full
// come back from their disassembly, and any source settles after one
// compile and disassembly.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "codec/base/text.h"
#include "codec/classic/engine.h"
#include "testkit/codec_support.h"

using namespace quillon;
using namespace codec_test;

namespace {

std::string Disassembled(std::string_view bytes) {
    ScriptContext ctx(RetailDialect());
    return DisassembleBuffer(ctx, bytes, "room");
}

std::string Compiled(std::string_view source) {
    ScriptContext ctx(RetailDialect());
    return CompileBuffer(ctx, source);
}

// ---- streams of bytes -------------------------------------------------------------

// Opcodes whose every byte is shown by their line (or set to a fixed value by
// compiling), so that the line compiles back to the same bytes.
const int kShownInFull[] = {
    0x01, 0x02, 0x03, 0x04, 0x05, 0x09, 0x0A, 0x0B, 0x0C, 0x18, 0x19, 0x1D, 0x21, 0x22, 0x24,
    0x25, 0x26, 0x27, 0x28, 0x29, 0x2A, 0x2B, 0x2C, 0x2D, 0x2E, 0x2F, 0x30, 0x31, 0x32, 0x33,
    0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3A, 0x3B, 0x3C, 0x3D, 0x3E, 0x3F, 0x40, 0x41, 0x42,
    0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4A, 0x4B, 0x4C, 0x4D, 0x4E, 0x4F, 0x50, 0x51,
    0x52, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5A, 0x5B, 0x5C, 0x5D, 0x5E, 0x5F, 0x60,
    0x61, 0x62, 0x63, 0x64, 0x65, 0x66, 0x67, 0x6A, 0x6B, 0x6C, 0x6D, 0x6E, 0x6F, 0x70, 0x71,
    0x72, 0x74, 0x75, 0x76, 0x77, 0x79, 0x7C, 0x7D, 0x7E, 0x7F, 0x80, 0x86, 0x87, 0x88,
};

class ByteStreams {
  public:
    explicit ByteStreams(unsigned seed) : rng_(seed) {}

    std::string Stream() {
        std::string s;
        const int items = Pick(1, 30);
        for (int i = 0; i < items; ++i) {
            switch (Pick(0, 9)) {
            case 0: s += IfBlock(); break;
            case 1: s += WhileBlock(); break;
            case 2: s += ForBlock(); break;
            case 3: s += DoBlock(); break;
            case 4: s += '\0'; break; // a nop, with no else block open
            default: s += Instruction(); break;
            }
        }
        return s;
    }

  private:
    int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    char Byte() { return static_cast<char>(Pick(0, 255)); }

    std::string Instruction() {
        const int op = kShownInFull[Pick(0, static_cast<int>(std::size(kShownInFull)) - 1)];
        const int size = RetailDialect().Size(static_cast<std::uint8_t>(op));
        std::string b(1, static_cast<char>(op));
        for (int i = 1; i < size; ++i) b += Byte();
        switch (op) {
        case 0x09: b[1] = 0x0A; break;                                     // Sleep's fixed byte
        case 0x26: b[1] = 0, b[2] = static_cast<char>(Pick(0, 11)); break; // Calc
        case 0x27: b = std::string("\x27\x00\x10\x07", 4); break;          // Calc2
        case 0x2C: b[17] = b[18] = b[19] = 0, b[16] = static_cast<char>(Pick(0, 255)); break;
        case 0x67: b[25] = b[26] = b[27] = 0; break;
        case 0x5C: b[3] = 0; break;
        case 0x3E: b[3] = static_cast<char>(Pick(0, 6)); break; // Member_cmp
        default: break;
        }
        return b;
    }

    std::string Body(bool inElse) {
        std::string b;
        const int n = Pick(0, 4);
        for (int i = 0; i < n; ++i) {
            // A nop inside an else block would close it.
            if (!inElse && Pick(0, 9) == 0)
                b += '\0';
            else
                b += Instruction();
        }
        return b;
    }

    // A condition; `offset1` is what the buffer holds at offset 1 when the
    // condition is compiled (Cmp keeps that byte).
    std::string Condition(char offset1) {
        std::string c;
        switch (Pick(0, 2)) {
        case 0: c = std::string("\x21", 1) + Byte() + Byte() + Byte(); break;
        case 1:
            c = std::string("\x23", 1) + offset1 + Byte() + static_cast<char>(Pick(0, 5)) + Byte() +
                Byte();
            break;
        default:
            c = std::string("\x3E", 1) + Byte() + Byte() + static_cast<char>(Pick(0, 6)) + Byte() +
                Byte();
            break;
        }
        return c;
    }

    std::string IfBlock() {
        std::string b = std::string("\x06\x00\x00\x00", 4) + Condition(0) + Body(false);
        if (Pick(0, 1))
            return b + std::string("\x07\x00\x00\x00", 4) + Body(true) + std::string(2, '\0');
        return b + std::string("\x08\x00", 2);
    }
    std::string WhileBlock() {
        return std::string("\x0F\x00\x00\x00", 4) + Condition(0) + Body(false) +
               std::string("\x08\x00", 2);
    }
    std::string ForBlock() {
        return std::string("\x0D\x00\x00\x00", 4) + Byte() + Byte() + Body(false) +
               std::string("\x0E\x00", 2);
    }
    std::string DoBlock() {
        return std::string("\x11\x00\x00\x00", 4) + Body(false) + std::string("\x12\x04", 2) +
               Condition(4);
    }

    std::mt19937 rng_;
};

TEST(CodecRoundTrip, DisassemblyCompilesBackToTheSameBytes) {
    ByteStreams streams(20240521u);
    for (int i = 0; i < 400; ++i) {
        const std::string bytes = streams.Stream();
        const std::string text = Disassembled(bytes);
        const std::string back = Compiled(text);
        ASSERT_EQ(Hex(back), Hex(bytes)) << "stream " << i << ":\n" << text;
        ASSERT_EQ(Disassembled(back), text);
    }
}

TEST(CodecRoundTrip, EveryShownInFullOpcodeWithExtremeValues) {
    for (int op : kShownInFull) {
        for (int fill : {0x00, 0xFF, 0x80, 0x7F}) {
            const int size = RetailDialect().Size(static_cast<std::uint8_t>(op));
            std::string b(1, static_cast<char>(op));
            for (int i = 1; i < size; ++i) b += static_cast<char>(fill);
            if (op == 0x09) b[1] = 0x0A;
            if (op == 0x26) b[1] = 0, b[2] = 4;
            if (op == 0x27) b = std::string("\x27\x00\x10\x07", 4);
            // The last 8-bit argument prints unsigned, so the surplus that
            // compiling stores after it (Aot_set, Aot_set_4p, Sce_shake_on) is 0.
            const size_t surplus = op == 0x2C ? 17 : op == 0x67 ? 25 : op == 0x5C ? 3 : b.size();
            for (size_t k = surplus; k < b.size(); ++k) b[k] = 0;
            if (op == 0x3E) b[3] = 2;
            SCOPED_TRACE(Hex(b));
            EXPECT_EQ(Hex(Compiled(Disassembled(b))), Hex(b));
        }
    }
}

// ---- streams of source lines ---------------------------------------------------

class SourceStreams {
  public:
    explicit SourceStreams(unsigned seed) : rng_(seed) {
        const Dialect& d = RetailDialect();
        for (int op = 0x01; op <= 0x88; ++op) {
            const std::string name = d.Name(static_cast<std::uint8_t>(op));
            if (d.FindName(name) != op) continue; // only the first row of a name
            if (name == "UnknownOpcode" || name == "if" || name == "while" || name == "do" ||
                name == "for" || name == "switch" || name == "case" || name == "default" ||
                name == "Cmp" || name == "Calc" || name == "Member_cmp" || name[0] == '}')
                continue;
            names_.push_back(name);
        }
    }

    std::string Source() {
        std::string s = "int room(void) {\r\n\r\n";
        const int items = Pick(1, 25);
        for (int i = 0; i < items; ++i) {
            switch (Pick(0, 8)) {
            case 0:
                s += "if(" + Condition() + ") {\r\n" + Body(false);
                if (Pick(0, 1)) s += "} else {\r\n" + Body(true);
                s += "}\r\n";
                break;
            case 1: s += "while(" + Condition() + ") {\r\n" + Body(false) + "}\r\n"; break;
            case 2:
                s += "for(n = 0; n < " + Number() + "; n++) {\r\n" + Body(false) + "}\r\n";
                break;
            case 3: s += "do {\r\n" + Body(false) + "} while(" + Condition() + ");\r\n"; break;
            case 4: s += "nop();\r\n"; break;
            default: s += Statement(); break;
            }
        }
        return s + "}";
    }

  private:
    int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

    // Arguments of every sort: in range, out of range, hexadecimal, not numbers.
    std::string Number() {
        switch (Pick(0, 9)) {
        case 0: return std::to_string(Pick(-70000, 70000));
        case 1: return "0x" + FormatText("%X", static_cast<unsigned>(Pick(0, 0xFFFF)));
        case 2: return "abc";
        case 3: return "12abc";
        case 4: return "4294967297";
        case 5: return FormatText("%X", static_cast<unsigned>(Pick(0, 0xFF)));
        default: return std::to_string(Pick(-128, 255));
        }
    }

    std::string Arguments(int count) {
        std::string a;
        for (int i = 0; i < count; ++i) {
            if (i) a += ", ";
            a += Number();
        }
        return a;
    }

    std::string Statement() {
        const std::string& name =
            names_[static_cast<size_t>(Pick(0, static_cast<int>(names_.size()) - 1))];
        if (name == "return") return "return " + Number() + ";\r\n";
        if (name == "break") return "break;\r\n";
        switch (Pick(0, 6)) {
        case 0: return "goto Sub" + FormatText("%02d", Pick(0, 255)) + "();\r\n";
        case 1: return "return Sub" + FormatText("%02d", Pick(0, 255)) + "();\r\n";
        case 2:
            return Comparison("Calc",
                              {"+", "-", "*", "/", "%", "||", "&&", "^", "~", "<<", ">>", "~>>"}) +
                   "\r\n";
        default: return name + "(" + Arguments(Pick(0, 26)) + ");\r\n";
        }
    }

    std::string Comparison(const char* name, const std::vector<const char*>& operators) {
        return std::string(name) + "(" + Number() + " " +
               operators[static_cast<size_t>(Pick(0, static_cast<int>(operators.size()) - 1))] +
               " " + Number() + ")";
    }

    std::string Condition() {
        switch (Pick(0, 2)) {
        case 0: return "Ck(" + Arguments(3) + ")";
        case 1: return Comparison("Cmp", {"=", ">", ">=", "<", "<=", "!="});
        default: return Comparison("Member_cmp", {"=", ">", ">=", "<", "<=", "!=", "?"});
        }
    }

    std::string Body(bool inElse) {
        std::string b;
        const int n = Pick(0, 4);
        for (int i = 0; i < n; ++i) b += !inElse && Pick(0, 9) == 0 ? "nop();\r\n" : Statement();
        return b;
    }

    std::mt19937 rng_;
    std::vector<std::string> names_;
};

TEST(CodecRoundTrip, CompiledSourceSettlesAfterOneDisassembly) {
    SourceStreams sources(7u);
    for (int i = 0; i < 400; ++i) {
        const std::string source = sources.Source();
        const std::string first = Compiled(source);
        const std::string text = Disassembled(first);
        const std::string second = Compiled(text);
        ASSERT_EQ(Disassembled(second), text) << "source " << i << ":\n" << source;
        ASSERT_EQ(Hex(Compiled(Disassembled(second))), Hex(second)) << "source " << i << ":\n"
                                                                    << source;
    }
}

} // namespace
