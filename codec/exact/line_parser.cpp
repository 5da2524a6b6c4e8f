// The line parser: the lines of a window read in turn, each told apart by
// its first word (a function's head, a label, a block's opening or closing
// line, a case or default, a goto, or an instruction) and made into its
// items; an instruction's line is raw bytes, or its fields scanned through
// its exact form by the field scanner.
#include <algorithm>
#include <iterator>
#include <string>

#include "codec/base/text.h"
#include "codec/exact/compiler.h"
#include "codec/exact/naming.h"

namespace quillon::exact {

namespace {

// The first characters of the words that Line() tells apart: int, void, if,
// while, do, for, switch, case, default, "}", goto and "#" lines. (Labels
// and calls are told by what follows their word.)
struct KeywordStarts {
    bool of[256] = {};
    constexpr KeywordStarts() {
        for (unsigned char c : {'i', 'v', 'w', 'd', 'f', 's', 'c', '}', 'g', '#'}) of[c] = true;
    }
};
constexpr KeywordStarts kKeywordStarts;

} // namespace

std::size_t Compiler::Feed(std::string_view window, bool last) {
    std::size_t at = 0;
    while (at < window.size()) {
        std::size_t next = lexer_.Line(window, at, tokens_);
        // A line that runs to the window's end, or a CR there (a LF may
        // follow), waits for the next window.
        if (!last && (!lexer_.Ended() || (next == window.size() && window.back() == '\r'))) break;
        ++line_;
        if (Continued()) {
            next = Join(window, at, last);
            if (next == kNone) {
                --line_;
                break;
            }
            JoinedLine();
            at = next;
            continue;
        }
        // Numbers may be read several bytes at a time where the window
        // holds enough after the line.
        const std::string_view text = lexer_.Text();
        scanner_.StartLine(window.size() - static_cast<std::size_t>(text.data() - window.data()) -
                               text.size() >=
                           FieldScanner::kReadable);
        Line();
        at = next;
    }
    return at;
}

void Compiler::Line() {
    if (preprocessing_) return Preprocess();
    if (tokens_.empty()) return;
    if (listener_) TellLineTokens();
    const std::string_view word = tokens_[0];
    // Most lines are instructions: a word that no keyword or label starts
    // with is one.
    if (!kKeywordStarts.of[static_cast<unsigned char>(word[0])] && !IsLabel()) {
        if (inFunction_)
            Instruction(0, tokens_.size(), false);
        else
            Error(word, "a line outside any function");
        return;
    }
    if (word[0] == '#') return Directive();
    if (word == "int" || word == "void") return FunctionHead();
    if (!inFunction_) return Error(word, "a line outside any function");
    if (IsLabel()) return LabelLine();
    if (word == "if" || word == "while") return ConditionBlock();
    if (word == "do" || word == "for" || word == "switch") return FieldBlock();
    if (word == "case" || word == "default") return CaseOrDefault();
    if (word == "}") return Brace();
    if (word == "goto") return Goto();
    Instruction(0, tokens_.size(), false);
}

bool Compiler::IsLabel() const {
    if (tokens_.size() != 1 || !IsIdentifier(tokens_[0]) || tokens_[0] == "default") return false;
    const std::string_view line = lexer_.Text();
    std::size_t k = static_cast<std::size_t>(tokens_[0].data() + tokens_[0].size() - line.data());
    while (k < line.size() && (line[k] == ' ' || line[k] == '\t')) ++k;
    return k < line.size() && line[k] == ':';
}

void Compiler::Directive() {
    std::string error;
    std::string_view at;
    // An #include reads other lines into the line's tokens.
    const bool define = tokens_[0] == "#define";
    if (options_->listener) TellDirective(true);
    if (!directives_->Line(lexer_.Text(), tokens_, Where(), error, at)) Error(at, std::move(error));
    for (const auto& [where, text] : directives_->Warnings()) Message(false, Column(where), text);
    UpdatePreprocessing();
    if (options_->listener && define) TellDirective(false);
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
    functionName_ = SpanOf(n > 1 ? tokens_[1] : word);
    functionLine_ = line_;
    if (n < 2 || !IsIdentifier(tokens_[1]))
        return Error(n > 1 ? tokens_[1] : word, "a function's name expected after its type");
    const std::string name(tokens_[1]);
    static const std::string_view kWords[] = {"raw", "goto", "case", "default", "int", "void"};
    if (rows_.dialect.FindName(name) >= 0 || book_.Find(name) || Naming::Builtin().Find(name) ||
        std::find(std::begin(kWords), std::end(kWords), name) != std::end(kWords))
        return Error(tokens_[1],
                     FormatText("'%s' is an instruction, a keyword or a value: a function "
                                "may not take its name",
                                name.c_str()));
    if (!functions_.try_emplace(name, static_cast<std::uint32_t>(count_ - 1)).second) {
        // The functions named so far, in order: a function whose head was
        // refused is among the procedures but not here.
        const auto first = std::find_if(functionLines_.begin(), functionLines_.end(),
                                        [&](const auto& f) { return f.first == name; });
        return Error(tokens_[1], FormatText("function '%s' is already defined on line %d",
                                            name.c_str(), first->second));
    }
    functionLines_.push_back({name, line_});
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
    OpenBlock(word);
    Conditions(1, n - 1);
}

void Compiler::Conditions(std::size_t first, std::size_t end) {
    // "&&" joins conditions where an instruction follows it (Calc writes
    // its own "&&" between numbers).
    std::vector<std::size_t> cuts;
    for (std::size_t k = first + 1; k + 1 < end; ++k)
        if (tokens_[k] == "&&" && StartsInstruction(tokens_[k + 1])) cuts.push_back(k);
    if (cuts.empty()) {
        Instruction(first, end, true);
        return;
    }
    cuts.push_back(end);
    const std::vector<std::string_view> line(tokens_.begin(), tokens_.end());
    const bool copied = scanner_.Copied();
    std::size_t from = first;
    for (const std::size_t cut : cuts) {
        scanner_.Restore(line, copied);
        if (!Instruction(from, cut, true)) return;
        from = cut + 1;
    }
}

bool Compiler::StartsInstruction(std::string_view word) const {
    return word == "raw" || rows_.dialect.FindName(word) >= 0 ||
           functions_.count(std::string(word));
}

void Compiler::FieldBlock() {
    const std::string_view word = tokens_[0];
    const std::size_t n = tokens_.size();
    if (!Opens(n - 1)) return;
    const Block block = word == "do" ? Block::Do : word == "for" ? Block::For : Block::Switch;
    const std::uint8_t op = rows_.opener[static_cast<int>(block)];
    ++open_;
    OpenBlock(word);
    Item e = Make(ItemKind::Open, word);
    e.block = block;
    Scan(op, 0, n, e);
}

void Compiler::CaseOrDefault() {
    const std::string_view word = tokens_[0];
    const Block block = word == "case" ? Block::Case : Block::Default;
    CloseCase(line_ - 1);
    OpenBlock(word, true);
    Scan(rows_.opener[static_cast<int>(block)], 0, tokens_.size(),
         Make(word == "case" ? ItemKind::Case : ItemKind::Default, word));
}

void Compiler::Brace() {
    const std::string_view word = tokens_[0];
    const std::size_t n = tokens_.size();
    if (n == 1) {
        CloseCase(line_ - 1);
        if (open_ == 0) {
            inFunction_ = false;
            if (listener_) {
                blocks_.clear();
                listener_->Function(
                    {functionName_, static_cast<int>(count_) - 1, functionLine_, line_});
            }
            return CloseProcedure();
        }
        --open_;
        CloseBlock(line_);
        return Put(Make(ItemKind::Close, word), nullptr, 0, false);
    }
    if (tokens_[1] == "else") {
        if (open_ == 0) return Error(word, "'} else {' follows no if block");
        if (n != 3 || tokens_[2] != "{") return Error(tokens_[1], "'} else {' expected");
        const std::uint8_t op = rows_.opener[static_cast<int>(Block::Else)];
        const std::uint8_t bytes[4] = {op, 0, 0, 0};
        CloseCase(line_ - 1);
        CloseBlock(line_);
        OpenBlock(tokens_[1]);
        return Put(Make(ItemKind::Else, word), bytes, 4, false);
    }
    if (tokens_[1] == "while") {
        if (open_ == 0) return Error(word, "'}' closes no open block");
        --open_;
        CloseCase(line_ - 1);
        CloseBlock(line_);
        Item e = Make(ItemKind::Close, word);
        e.block = Block::Do;
        Put(e, nullptr, 0, false);
        Conditions(2, n);
        return;
    }
    Error(tokens_[1], "'}' expected alone, or as '} else {' or '} while(...);'");
}

// "goto(L0132, 0, 0, 0);" jumps with its three bytes, "goto L0132;" with the
// usual ones; "goto Sub03();" is the earlier texts' call.
void Compiler::Goto() {
    const std::string_view line = lexer_.Text();
    const auto after = [&](std::string_view token) {
        std::size_t p = static_cast<std::size_t>(token.data() + token.size() - line.data());
        while (p < line.size() && (line[p] == ' ' || line[p] == '\t')) ++p;
        return p < line.size() ? line[p] : '\0';
    };
    const std::size_t n = tokens_.size();
    const bool paren = after(tokens_[0]) == '(';
    if (!paren && n == 2 && after(tokens_[1]) == '(') {
        Instruction(0, n, false);
        return;
    }
    if ((paren ? n != 5 : n != 2) || !IsIdentifier(tokens_[1]))
        return Error(n > 1 ? tokens_[1] : tokens_[0],
                     FormatText("a goto takes its label and three bytes, as in 'goto(L0132, 255, "
                                "255, 0);', or its label alone for those bytes, as in 'goto "
                                "L0132;'"));
    const std::uint32_t id = LabelId(tokens_[1]);
    const auto [at, column] = PlaceOf(tokens_[1]);
    references_.push_back({id, at, column, std::string(tokens_[1])});
    // Bytes 1 to 3 follow the label.
    Item e = Make(ItemKind::Goto, tokens_[0]);
    e.label = id;
    if (paren) {
        Scan(rows_.jump, 0, n, e);
        return;
    }
    std::uint8_t bytes[64] = {rows_.jump};
    std::copy(std::begin(kUsualGotoBytes), std::end(kUsualGotoBytes), bytes + 1);
    Put(e, bytes, static_cast<std::size_t>(rows_.dialect.Size(rows_.jump)), true);
}

bool Compiler::RawLine(std::size_t first, std::size_t end, bool condition) {
    const std::string_view word = tokens_[first];
    std::string bytes;
    for (std::size_t k = first + 1; k < end; ++k) {
        bool overflow = false;
        const auto v = ScanHex(tokens_[k], &overflow);
        if (!v || overflow || *v < 0 || *v > 255 ||
            tokens_[k].find_first_not_of("0123456789abcdefABCDEFxX") != std::string_view::npos) {
            Error(tokens_[k], FormatText("'%s' is not a byte in hexadecimal (00 to FF)",
                                         MessageWord(tokens_[k]).c_str()));
            return false;
        }
        bytes += static_cast<char>(*v);
    }
    if (bytes.empty()) {
        Error(word, "'raw' needs at least one byte");
        return false;
    }
    for (std::size_t at = 0; at < bytes.size(); at += 255) {
        Item e = Make(ItemKind::Code, word);
        e.raw = true;
        e.condition = condition;
        Put(e, bytes.data() + at, std::min<std::size_t>(255, bytes.size() - at), false);
    }
    return true;
}

bool Compiler::Instruction(std::size_t first, std::size_t end, bool condition) {
    if (first >= end) {
        Error(std::string_view(), "the condition is missing");
        return false;
    }
    const std::string_view word = tokens_[first];
    if (word == "raw") return RawLine(first, end, condition);
    scanner_.Keep(first, end);
    const int op = scanner_.InstructionOf();
    if (op < 0) {
        // "Sub03();" calls the function of that name.
        if (end == first + 1 && IsIdentifier(word) && !book_.Find(word) &&
            !Naming::Builtin().Find(word)) {
            Item e = Make(ItemKind::Code, word);
            e.condition = condition;
            return Call(word, e);
        }
        Error(word, FormatText("unknown instruction '%s'", MessageWord(word).c_str()));
        return false;
    }
    if (rows_.row[op].role != Role::Plain) {
        Error(word, FormatText("'%s' has no line of its own in exact mode; write its bytes with "
                               "raw(...)",
                               std::string(word).c_str()));
        return false;
    }
    Item e = Make(ItemKind::Code, word);
    e.condition = condition;
    return Scan(static_cast<std::uint8_t>(op), first, end, e);
}

bool Compiler::Scan(std::uint8_t op, std::size_t first, std::size_t end, const Item& item) {
    scanner_.Keep(first, end);
    missingReported_ = false;
    const int before = errors_;
    const Form* chosen = rows_.dialect.forms[op];
    named_.clear();
    if (chosen->special == Special::For ? !ForCount(op, *chosen) : !ResolveNames(op, chosen))
        return false;
    const Form& form = *chosen;
    std::uint8_t* const bytes = scanner_.Scan(op, form);
    // The scanner checks for surplus arguments where a form has fields; here
    // every line is checked (the for line's own words and a final "{" aside).
    if (form.fieldCount == 0 && form.special != Special::For) {
        std::size_t live = tokens_.size();
        while (live > 1 && tokens_[live - 1] == "{") --live;
        if (live > form.firstToken)
            Report({Issue::SurplusArgument, -1, tokens_[form.firstToken], op, 1, 0, Kind::U8});
    }
    if (errors_ > before || (!named_.empty() && (!WriteNamed(op, bytes) || !CheckNames(op, bytes))))
        return false;
    if (listener_) TellArguments(op, form, bytes);
    Put(item, bytes, static_cast<std::size_t>(rows_.dialect.Size(op)), true);
    return true;
}

} // namespace quillon::exact
