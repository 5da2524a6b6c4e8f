// What the exact front end reads, told to whoever listens. The compile
// itself needs none of it; the language server, the atlas and any later
// tool learn what a text means from these events, so that none of them
// reads an exact text on its own. Every call has a default that does
// nothing: a listener overrides what it needs. Views and strings passed to
// a call live only for that call.
#pragma once

#include <cstdint>
#include <string_view>

#include "codec/isa/kinds.h"
#include "codec/isa/meanings.h"

namespace quillon::exact {

// Where something stands: in the text itself (source 0) or in a header that
// it includes (source N, numbered as Listener::Source tells them); line and
// column from 1, length in bytes. What a macro made stands at the macro's
// use, with `expanded` set.
struct Span {
    std::uint32_t source = 0;
    int line = 0;
    int column = 0;
    int length = 0;
    bool expanded = false;
};

// What a token is to the text.
enum class TokenRole : std::uint8_t {
    Keyword,     // int, void, if, else, while, do, for, switch, case, default, goto, raw
    Directive,   // "#define", "#include", "#if", ... (the word with its "#")
    HeaderName,  // <bio2.h>, "flags.h"
    Instruction, // an instruction's name
    Function,    // a function's name: at its head (a definition) or a reference to it
    Label,       // a label: where it stands (a definition) or a goto's target
    Macro,       // a name that the text or its headers define: at its #define, or a use
    Parameter,   // a parameter of a macro, in its definition
    Builtin,     // a built-in name (those of bio2.h)
    Number,      // a number or a character constant
    Operator,    // an operator of an expression, or the one a form writes itself
};

struct TokenEvent {
    Span span;
    TokenRole role = TokenRole::Number;
    bool definition = false; // a function's head, a label's line, a #define's name
    std::string_view text;
};

// One argument of an instruction line, whole (a name, a number or an
// expression), with what its place is and what it gives.
struct ArgumentEvent {
    Span span;                            // the argument's text, from its first to its last byte
    std::uint8_t opcode = 0;              // the instruction's
    int index = 0;                        // the argument's place among the line's, from 0
    int offset = 0;                       // the byte offset of its field in the instruction
    Kind kind = Kind::U8;                 // the field's kind
    Meaning meaning = Meaning::None;      // the meaning of its place; None where no name fits
    bool known = false;                   // whether `value` is known (false after an error)
    std::int64_t value = 0;               // what the field holds
    Meaning valueMeaning = Meaning::None; // the meaning of the name that gave it, if any
};

// An instruction as the layout places it, told in the order laid out once
// the text ends: its chunk offset counts the procedure table, whose size is
// known only then. A block's closing instruction (the encoder's own) is not
// told.
struct InstructionEvent {
    Span span; // the instruction's name (a condition's, a block keyword's)
    std::uint8_t opcode = 0;
    int size = 0;           // bytes
    int procedure = 0;      // its function's index in the procedure table
    std::int64_t at = -1;   // its offset in the chunk; -1 where nothing could be laid out
    int depth = 0;          // blocks open around it (if, else, while, do, for, switch, case)
    bool condition = false; // a condition of the block that opens before it
};

// A function, told at its closing brace.
struct FunctionEvent {
    Span name;                       // its name at its head
    int index = 0;                   // in the procedure table
    int firstLine = 0, lastLine = 0; // its head and its closing brace (source 0)
};

// A block, told at its end: if, else, while, do, for, switch, case, default.
struct BlockEvent {
    Span keyword;
    int firstLine = 0, lastLine = 0;
};

// A name defined by "#define", told at its definition.
struct DefineEvent {
    Span name;
    bool function = false;           // a macro with parameters
    bool valued = false;             // a name of values, as names of operands are defined
    int count = 0;                   // how many values (valued)
    std::int64_t value = 0;          // the first value (valued)
    Meaning meaning = Meaning::None; // the meaning of the first value
    std::string_view body;           // the definition's text after the name (and parameters)
};

class Listener {
  public:
    virtual ~Listener() = default;
    // A header is read for the first time: its number, its key (the path
    // the include reader gave) and the name that the #include line wrote.
    virtual void Source(std::uint32_t, std::string_view /*key*/, std::string_view /*name*/) {}
    virtual void Token(const TokenEvent&) {}
    virtual void Argument(const ArgumentEvent&) {}
    virtual void Instruction(const InstructionEvent&) {}
    virtual void Function(const FunctionEvent&) {}
    virtual void Block(const BlockEvent&) {}
    virtual void Define(const DefineEvent&) {}
};

} // namespace quillon::exact
