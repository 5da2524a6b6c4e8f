// What the front end told about one text as it compiled it: its tokens,
// arguments, instructions, functions, blocks and definitions, the headers
// that it read, and its errors and warnings. The features answer from it
// alone; it is made anew from the text after each edit.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "codec/exact/exact.h"
#include "codec/exact/listener.h"
#include "lsp/document.h"

namespace quillon::lsp {

// A token as the front end read it. Its text is the source's own bytes at
// its span, or else (a macro's expansion) a word that the model keeps.
struct Token {
    static constexpr std::uint32_t kInSource = 0xFFFFFFFF;
    exact::Span span;
    exact::TokenRole role;
    bool definition;
    std::uint32_t word; // into Model::words, or kInSource
};

// An argument as the front end read it (its fields are at most 16 bits wide
// and stand in instructions of at most 255 bytes).
struct Argument {
    exact::Span span;
    std::uint8_t opcode;
    std::uint8_t index;
    std::uint8_t offset;
    Kind kind;
    Meaning meaning;
    Meaning valueMeaning;
    bool known;
    std::int32_t value;
};

struct Function {
    exact::Span name;
    int index;
    int firstLine, lastLine;
    std::string text;
};

struct Define {
    exact::Span name;
    std::string text;
    bool function, valued;
    int count;
    std::int64_t value;
    Meaning meaning;
    std::string body;
};

// A text that the front end read: the document itself (source 0) or a
// header that it includes.
struct Source {
    std::string key;  // the include reader's key (a path); the document's own
    std::string name; // as the #include line wrote it
    Document text;
};

// Many such models stay open at once: what they hold is kept small.
struct Model {
    std::vector<Source> sources;
    std::vector<Token> tokens;
    std::vector<std::string> words; // the texts of tokens that their sources do not hold
    std::vector<Argument> arguments;
    std::vector<exact::InstructionEvent> instructions;
    std::vector<Function> functions;
    std::vector<exact::BlockEvent> blocks;
    std::vector<Define> defines;
    std::vector<exact::Message> messages;
    std::vector<std::string> headers; // the keys of the headers read, nested ones too
    bool Includes(const std::string& key) const;

    // What stands at a byte column (from 1) of a line (from 1) of a source.
    const Token* TokenAt(std::uint32_t source, int line, int column) const;
    const Argument* ArgumentAt(int line, int column) const;
    // The innermost function, the instruction whose name is at the place.
    const Function* FunctionAt(int line) const;
    const exact::InstructionEvent* InstructionAt(int line, int column) const;
    // The definition of a name, by its role: a function, a label of the
    // function around `line`, a macro.
    const Function* FindFunction(std::string_view name) const;
    const Define* FindDefine(std::string_view name) const;
    const Token* FindLabel(std::string_view name, int line) const;
    // The text of a span, as its source holds it; of a token, as read.
    std::string_view TextOf(const exact::Span& span) const;
    std::string_view TextOf(const Token& token) const;
    // Gives back what the vectors hold spare, once the model is made.
    void Fit();
};

// Fills a model from the events of one compile.
class Recorder : public exact::Listener {
  public:
    // `headers` holds the texts of the headers read, by key.
    Recorder(Model& model, const std::unordered_map<std::string, std::string>& headers)
        : model_(model), headers_(headers) {}
    void Source(std::uint32_t n, std::string_view key, std::string_view name) override;
    void Token(const exact::TokenEvent& e) override;
    void Argument(const exact::ArgumentEvent& e) override;
    void Instruction(const exact::InstructionEvent& e) override {
        model_.instructions.push_back(e);
    }
    void Function(const exact::FunctionEvent& e) override;
    void Block(const exact::BlockEvent& e) override { model_.blocks.push_back(e); }
    void Define(const exact::DefineEvent& e) override;

  private:
    Model& model_;
    const std::unordered_map<std::string, std::string>& headers_;
};

} // namespace quillon::lsp
