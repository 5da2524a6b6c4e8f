// The compiler's quick paths against the general ones they stand for: the
// reader and tokenizer (whole and in windows), the name index and the field
// scan, on texts with every kind of byte that matters to them.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "codec/classic/engine.h"
#include "codec/classic/engine_internals.h"
#include "codec/classic/source.h"

using namespace quillon;

namespace {

// Texts built from pieces that the reader treats differently.
std::string RandomText(std::mt19937& rng, std::size_t pieces) {
    static const char* const kPieces[] = {"Sleep", "(",
                                          ")",     ",",
                                          ":",     ";",
                                          "\t",    "\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t",
                                          " ",     "\r",
                                          "\n",    "\r\n",
                                          "/",     "//",
                                          "/*",    "*/",
                                          "*",     "",
                                          "12",    "-3",
                                          "0x1F",  "abcdefghijklmnopqrstuvwxyz0123456789",
                                          "{",     "}",
                                          "if",    "\xFF"};
    std::string text;
    for (std::size_t i = 0; i < pieces; ++i) {
        const std::size_t k = rng() % std::size(kPieces);
        if (k == 17) // a NUL byte
            text.push_back('\0');
        else
            text += kPieces[k];
    }
    return text;
}

struct Line {
    LineRead how;
    std::int32_t position;
    std::string line;
    std::vector<std::string> tokens;
    bool operator==(const Line&) const = default;
};

std::vector<Line> General(std::string_view text) {
    std::vector<Line> lines;
    std::int32_t pos = 0;
    for (;;) {
        std::string line;
        const LineRead how = ReadLineInWindow(kCompilerLineOptions, text, true, pos, line);
        std::vector<std::string_view> views;
        SplitTokens(line, views);
        lines.push_back({how, pos, line, std::vector<std::string>(views.begin(), views.end())});
        if (how != LineRead::Complete) return lines;
    }
}

// The quick reader on windows of `step` more bytes at a time, read again
// from the line's start whenever it asks for more.
std::vector<Line> Quick(std::string_view text, std::size_t step) {
    std::vector<Line> lines;
    std::int32_t pos = 0;
    std::size_t end = std::min(step, text.size());
    for (;;) {
        std::string line;
        std::vector<std::string_view> tokens;
        std::int32_t at = pos, first = 0;
        const bool last = end == text.size();
        const LineRead how = ReadCompilerLine(text.substr(0, end), last, at, line, tokens, first);
        if (how == LineRead::NeedMore) {
            EXPECT_FALSE(last);
            end = std::min(end + step, text.size());
            continue;
        }
        pos = at;
        lines.push_back({how, pos, line, std::vector<std::string>(tokens.begin(), tokens.end())});
        if (how != LineRead::Complete) return lines;
    }
}

TEST(CodecQuick, ReaderMatchesTheGeneralReaderInAnyWindows) {
    std::mt19937 rng(7);
    for (int round = 0; round < 400; ++round) {
        const std::string text = RandomText(rng, 1 + rng() % 60);
        const std::vector<Line> expected = General(text);
        for (std::size_t step : {std::size_t(1), std::size_t(3), std::size_t(17), text.size() + 1})
            ASSERT_TRUE(Quick(text, step) == expected) << "round " << round << " step " << step;
    }
}

TEST(CodecQuick, NameIndexFindsTheFirstRowOfEachName) {
    for (const Dialect* d : {&RetailDialect(), &PrototypeDialect()}) {
        ScriptContext ctx(*d);
        std::vector<std::string> words = {
            "",     "x",      "Sleep", "sleep",         "Sleeping",    "nop",
            "goto", "return", "}",     "UnknownOpcode", "Sce_espr_on2"};
        for (int op = 0; op < 256; ++op) {
            const std::string name = d->Name(static_cast<std::uint8_t>(op));
            words.push_back(name);
            words.push_back(name + "_");
            words.push_back(name.substr(0, name.size() / 2));
        }
        for (const std::string& word : words) {
            ctx.tokens = {word, "Sub05"};
            ctx.tokenCount = ctx.liveTokens = 2;
            const int expected = detail::InstructionOf(ctx);
            EXPECT_EQ(detail::QuickInstructionOf(ctx), expected) << word;
            // As the compiler's reader leaves it: bytes after the word.
            const std::string text = word + " Sub05 " + std::string(32, 'x');
            ctx.tokens = {std::string_view(text).substr(0, word.size()),
                          std::string_view(text).substr(word.size() + 1, 5)};
            ctx.lineCopied = false;
            EXPECT_EQ(detail::QuickInstructionOf(ctx), expected) << word;
            ctx.lineCopied = true;
        }
    }
}

// Every line that the quick scan takes writes the bytes of ScanFields.
TEST(CodecQuick, FieldScanWritesTheGeneralScansBytes) {
    std::mt19937 rng(11);
    const char* const kTokens[] = {
        "0",          "7",        "-1",        "255",   "300", "65535", "-32768",
        "0x7F",       "0XfF",     "ff",        "12ab",  "+4",  "-",     "",
        "4294967296", "{",        "=",         "!=",    "?",   "~>>",   "<<",
        "%",          "12345678", "123456789", "-0099", "1a",  "19/",   "00000000"};
    for (const Dialect* d : {&RetailDialect(), &PrototypeDialect()}) {
        for (int op = 0; op < 0x90; ++op) {
            const Form& form = *d->forms[op];
            for (int round = 0; round < 100; ++round) {
                std::vector<std::string> words = {d->Name(static_cast<std::uint8_t>(op))};
                for (std::size_t n = rng() % 30; n > 0; --n)
                    words.push_back(kTokens[rng() % std::size(kTokens)]);
                ScriptContext quick(*d), general(*d);
                for (ScriptContext* c : {&quick, &general}) {
                    for (std::size_t i = 0; i < sizeof c->code; ++i)
                        c->code[i] = static_cast<std::uint8_t>(i * 37);
                    c->compiling = 1;
                    c->opcode = static_cast<std::uint8_t>(op);
                    c->tokens.assign(words.begin(), words.end());
                    c->tokenCount = c->liveTokens = static_cast<std::int32_t>(words.size());
                }
                // Half the time the tokens lie as in the compiler's reader,
                // with bytes after the last that may be read.
                std::string text;
                if (round % 2) {
                    std::vector<std::size_t> at;
                    for (const std::string& w : words) {
                        at.push_back(text.size());
                        text += w + " ";
                    }
                    text.append(16, '7');
                    for (std::size_t i = 0; i < words.size(); ++i)
                        quick.tokens[i] = std::string_view(text).substr(at[i], words[i].size());
                    quick.lineCopied = false;
                }
                if (!detail::QuickScanFields(quick, form)) continue;
                detail::ScanFields(general, form);
                ASSERT_EQ(std::string(quick.code, quick.code + sizeof quick.code),
                          std::string(general.code, general.code + sizeof general.code))
                    << d->Name(static_cast<std::uint8_t>(op));
            }
        }
    }
}

} // namespace
