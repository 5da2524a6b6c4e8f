// The line parser: each line of an exact text told apart by its first word
// (a function's head, a label, a block's opening or closing line, a case or
// default, a goto, or an instruction) and made into its items.
#include <algorithm>
#include <string>

#include "codec/base/text.h"
#include "codec/exact/compiler.h"

namespace quillon::exact {

namespace {

// "Sub03" for procedure 3 (at least two digits).
bool IsSubName(std::string_view word, std::size_t number) {
    char digits[24];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + number % 10);
        number /= 10;
    } while (number > 0);
    if (n < 2) digits[n++] = '0';
    if (word.size() != 3 + static_cast<std::size_t>(n) || word.substr(0, 3) != "Sub") return false;
    for (int i = 0; i < n; ++i)
        if (word[3 + static_cast<std::size_t>(i)] != digits[n - 1 - i]) return false;
    return true;
}

bool IsLabelName(std::string_view word) {
    if (word.size() < 2 || word[0] != 'L') return false;
    return std::all_of(word.begin() + 1, word.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
    });
}

// The first characters of the words that Line() tells apart: int, void, if,
// while, do, for, switch, case, default, "}", goto and labels.
struct KeywordStarts {
    bool of[256] = {};
    constexpr KeywordStarts() {
        for (unsigned char c : {'i', 'v', 'w', 'd', 'f', 's', 'c', '}', 'g', 'L'}) of[c] = true;
    }
};
constexpr KeywordStarts kKeywordStarts;

} // namespace

void Compiler::Line() {
    if (tokens_.empty()) return;
    const std::string_view word = tokens_[0];
    // Most lines are instructions: a word that no keyword or label starts
    // with is one.
    if (!kKeywordStarts.of[static_cast<unsigned char>(word[0])]) {
        if (inFunction_)
            Instruction(0, tokens_.size(), false);
        else
            Error(word, "a line outside any function");
        return;
    }
    if (word == "int" || word == "void") return FunctionHead();
    if (!inFunction_) return Error(word, "a line outside any function");
    if (tokens_.size() == 1 && IsLabelName(word)) return LabelLine();
    if (word == "if" || word == "while") return ConditionBlock();
    if (word == "do" || word == "for" || word == "switch") return FieldBlock();
    if (word == "case" || word == "default") return CaseOrDefault();
    if (word == "}") return Brace();
    if (word == "goto" && tokens_.size() > 1 && IsLabelName(tokens_[1])) return Goto();
    Instruction(0, tokens_.size(), false);
}

bool Compiler::Opens(std::size_t last) {
    if (tokens_[last] == "{") return true;
    Error(tokens_[last], "'{' expected at the end of the line");
    return false;
}

void Compiler::FunctionHead() {
    const std::string_view word = tokens_[0];
    const std::size_t n = tokens_.size();
    if (inFunction_) return Error(word, "a function begins before the one above it ends");
    inFunction_ = true;
    open_ = 0;
    labelsHere_.clear();
    labelLine_.clear();
    references_.clear();
    ++count_;
    BeginProcedure();
    if (n < 2 || !IsSubName(tokens_[1], count_ - 1))
        Message(false, Column(n > 1 ? tokens_[1] : word),
                FormatText("procedure %zu of the table is named Sub%02zu", count_ - 1, count_ - 1));
}

void Compiler::LabelLine() {
    const std::string_view word = tokens_[0];
    const std::uint32_t id = LabelId(word);
    if (labelLine_[id])
        return Error(word, FormatText("label '%s' is already defined on line %d",
                                      std::string(word).c_str(), labelLine_[id]));
    labelLine_[id] = line_;
    Item e = Make(ItemKind::Label, word);
    e.label = id;
    Put(e, nullptr, 0, false);
}

void Compiler::ConditionBlock() {
    const std::string_view word = tokens_[0];
    const std::size_t n = tokens_.size();
    if (!Opens(n - 1)) return;
    const std::uint8_t op = rows_.opener[static_cast<int>(word == "if" ? Block::If : Block::While)];
    const std::uint8_t bytes[4] = {op, 0, 0, 0};
    Item e = Make(ItemKind::Open, word);
    e.block = rows_.row[op].block;
    Put(e, bytes, 4, false);
    ++open_;
    Instruction(1, n - 1, true);
}

void Compiler::FieldBlock() {
    const std::string_view word = tokens_[0];
    const std::size_t n = tokens_.size();
    if (!Opens(n - 1)) return;
    const Block block = word == "do" ? Block::Do : word == "for" ? Block::For : Block::Switch;
    const std::uint8_t op = rows_.opener[static_cast<int>(block)];
    ++open_;
    Item e = Make(ItemKind::Open, word);
    e.block = block;
    Scan(op, 0, n, e);
}

void Compiler::CaseOrDefault() {
    const std::string_view word = tokens_[0];
    const Block block = word == "case" ? Block::Case : Block::Default;
    Scan(rows_.opener[static_cast<int>(block)], 0, tokens_.size(),
         Make(word == "case" ? ItemKind::Case : ItemKind::Default, word));
}

void Compiler::Brace() {
    const std::string_view word = tokens_[0];
    const std::size_t n = tokens_.size();
    if (n == 1) {
        if (open_ == 0) {
            inFunction_ = false;
            return CloseProcedure();
        }
        --open_;
        return Put(Make(ItemKind::Close, word), nullptr, 0, false);
    }
    if (tokens_[1] == "else") {
        if (open_ == 0) return Error(word, "'} else {' follows no if block");
        if (n != 3 || tokens_[2] != "{") return Error(tokens_[1], "'} else {' expected");
        const std::uint8_t op = rows_.opener[static_cast<int>(Block::Else)];
        const std::uint8_t bytes[4] = {op, 0, 0, 0};
        return Put(Make(ItemKind::Else, word), bytes, 4, false);
    }
    if (tokens_[1] == "while") {
        if (open_ == 0) return Error(word, "'}' closes no open block");
        --open_;
        Item e = Make(ItemKind::Close, word);
        e.block = Block::Do;
        Put(e, nullptr, 0, false);
        Instruction(2, n, true);
        return;
    }
    Error(tokens_[1], "'}' expected alone, or as '} else {' or '} while(...);'");
}

void Compiler::Goto() {
    const std::uint32_t id = LabelId(tokens_[1]);
    references_.push_back({id, line_, Column(tokens_[1]), std::string(tokens_[1])});
    // Bytes 1 to 3 follow the label.
    Item e = Make(ItemKind::Goto, tokens_[0]);
    e.label = id;
    Scan(rows_.jump, 0, tokens_.size(), e);
}

} // namespace quillon::exact
