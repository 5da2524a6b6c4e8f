#include "lsp/model.h"

namespace quillon::lsp {

namespace {

bool Covers(const exact::Span& s, std::uint32_t source, int line, int column) {
    return s.source == source && s.line == line && column >= s.column &&
           column <= s.column + s.length;
}

} // namespace

bool Model::Includes(const std::string& key) const {
    for (const std::string& h : headers)
        if (h == key) return true;
    return false;
}

const Token* Model::TokenAt(std::uint32_t source, int line, int column) const {
    // A place just after a token stands on it, unless the next token starts there.
    const Token* found = nullptr;
    for (const Token& t : tokens)
        if (Covers(t.span, source, line, column) && (!found || t.span.column == column)) found = &t;
    return found;
}

const Argument* Model::ArgumentAt(int line, int column) const {
    for (const lsp::Argument& a : arguments)
        if (Covers(a.span, 0, line, column)) return &a;
    return nullptr;
}

const Function* Model::FunctionAt(int line) const {
    for (const lsp::Function& f : functions)
        if (line >= f.firstLine && line <= f.lastLine) return &f;
    return nullptr;
}

const exact::InstructionEvent* Model::InstructionAt(int line, int column) const {
    for (const exact::InstructionEvent& i : instructions)
        if (Covers(i.span, 0, line, column)) return &i;
    return nullptr;
}

const Function* Model::FindFunction(std::string_view name) const {
    for (const lsp::Function& f : functions)
        if (f.text == name) return &f;
    return nullptr;
}

const Define* Model::FindDefine(std::string_view name) const {
    for (const lsp::Define& d : defines)
        if (d.text == name) return &d;
    return nullptr;
}

const Token* Model::FindLabel(std::string_view name, int line) const {
    const Function* in = FunctionAt(line);
    for (const lsp::Token& t : tokens)
        if (t.role == exact::TokenRole::Label && t.definition && TextOf(t) == name &&
            t.span.source == 0 &&
            (!in || (t.span.line >= in->firstLine && t.span.line <= in->lastLine)))
            return &t;
    return nullptr;
}

std::string_view Model::TextOf(const exact::Span& span) const {
    if (span.source >= sources.size()) return {};
    const std::string_view line = sources[span.source].text.Line(span.line - 1);
    const std::size_t at = static_cast<std::size_t>(span.column > 0 ? span.column - 1 : 0);
    return at > line.size() ? std::string_view()
                            : line.substr(at, static_cast<std::size_t>(span.length));
}

std::string_view Model::TextOf(const Token& token) const {
    return token.word == Token::kInSource ? TextOf(token.span)
                                          : std::string_view(words[token.word]);
}

void Model::Fit() {
    tokens.shrink_to_fit();
    words.shrink_to_fit();
    arguments.shrink_to_fit();
    instructions.shrink_to_fit();
    functions.shrink_to_fit();
    blocks.shrink_to_fit();
}

void Recorder::Source(std::uint32_t n, std::string_view key, std::string_view name) {
    if (model_.sources.size() <= n) model_.sources.resize(n + 1);
    lsp::Source& s = model_.sources[n];
    s.key = std::string(key);
    s.name = std::string(name);
    if (const auto it = headers_.find(s.key); it != headers_.end()) s.text.Replace(it->second);
}

void Recorder::Token(const exact::TokenEvent& e) {
    std::uint32_t word = lsp::Token::kInSource;
    if (model_.TextOf(e.span) != e.text) {
        word = static_cast<std::uint32_t>(model_.words.size());
        model_.words.emplace_back(e.text);
    }
    model_.tokens.push_back({e.span, e.role, e.definition, word});
}

void Recorder::Argument(const exact::ArgumentEvent& e) {
    // Nothing wider fits an instruction's field; were it told, it is left out.
    if (e.index > 0xFF || e.offset > 0xFF || e.value < INT32_MIN || e.value > INT32_MAX) return;
    model_.arguments.push_back({e.span, e.opcode, static_cast<std::uint8_t>(e.index),
                                static_cast<std::uint8_t>(e.offset), e.kind, e.meaning,
                                e.valueMeaning, e.known, static_cast<std::int32_t>(e.value)});
}

void Recorder::Function(const exact::FunctionEvent& e) {
    model_.functions.push_back(
        {e.name, e.index, e.firstLine, e.lastLine, std::string(model_.TextOf(e.name))});
}

void Recorder::Define(const exact::DefineEvent& e) {
    model_.defines.push_back({e.name, std::string(model_.TextOf(e.name)), e.function, e.valued,
                              e.count, e.value, e.meaning, std::string(e.body)});
}

} // namespace quillon::lsp
