// The exact compiler: an exact text read line by line into the items of each
// procedure (instructions scanned through the exact forms, braces as block
// openings and closings, labels and gotos by name), each function's items
// laid out by the encoder as they come. Anything that would give the game a
// wrong script is an error.
//
// Its steps, a file each: the lexer (lexer.h) cuts a line into tokens; the
// line parser (line_parser.cpp) reads a window's lines, tells them apart and
// makes their items, scanning instructions through the field scanner, whose
// diagnostics become messages (diagnostics.cpp); the layout (layout.cpp)
// hands the items to the encoder and puts the procedure table before the
// procedures; streaming (stream.cpp) feeds the text in windows.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "codec/classic/diagnostics.h"
#include "codec/exact/arguments.h"
#include "codec/exact/directives.h"
#include "codec/exact/encoder.h"
#include "codec/exact/exact.h"
#include "codec/exact/field_scanner.h"
#include "codec/exact/ir.h"
#include "codec/exact/lexer.h"
#include "codec/exact/listener.h"
#include "codec/exact/operands.h"

namespace quillon::exact {

// The fields that the arguments of a line of `form` fill, in order.
void ScannedFields(const Form& form, int size, std::vector<Field>& out);

class Compiler : public CompileListener {
  public:
    Compiler();

    // Compiles one text, given in windows: Begin, then Feed with each window
    // of the text in turn, then Finish. A compiler may compile any number of
    // texts in turn (its storage is kept for the next).
    void Begin(const MessageHandler& onMessage, const CompileOptions& options);
    // Reads the lines of `window` that end in it (all of them when `last`);
    // returns the index of the first line not read, which the next window
    // starts with.
    std::size_t Feed(std::string_view window, bool last);
    bool Finish(std::string& chunk);

    // Diagnostics of the field scanner.
    void Report(const Diagnostic& d) override;

  private:
    // ---- messages
    void Message(bool error, int column, std::string text, int length = 0) {
        if (error) ++errors_;
        if (*onMessage_) (*onMessage_)({error, line_, column, std::move(text), length});
    }
    void Error(std::string_view token, std::string text) {
        Message(true, Column(token), std::move(text), static_cast<int>(Original(token).size()));
    }
    // The column of a token of the line; a missing one is placed just after
    // the last token (at the ")" that ends the arguments).
    int Column(std::string_view token) const {
        const std::string_view line = lexer_.Text();
        const char* base = line.data();
        token = Original(token);
        if (!token.empty() && token.data() >= base && token.data() < base + line.size())
            return static_cast<int>(token.data() - base) + 1;
        if (tokens_.empty()) return 1;
        const std::string_view last = Original(tokens_.back());
        if (last.data() < base || last.data() > base + line.size()) return 1;
        return static_cast<int>(last.data() + last.size() - base) + 1;
    }
    // The token of the line that a token made for a name stands for.
    std::string_view Original(std::string_view token) const {
        const char* p = token.data();
        if (p >= standIns_ && p < standIns_ + kStandIns &&
            static_cast<std::size_t>(p - standIns_) < named_.size())
            return named_[static_cast<std::size_t>(p - standIns_)].argument.token;
        return token;
    }
    // An operator as the field scanner reads it: C's spelling of Calc's OR
    // and AND ("|", "&") as the classic one ("||", "&&").
    std::string_view ClassicSpelling(Kind kind, std::string_view token) {
        const int code = ExactSpellingCode(kind, token);
        if (code < 0) return token;
        const std::string_view classic = OperatorText(kind, static_cast<std::uint8_t>(code));
        classic.copy(spelled_, classic.size());
        return std::string_view(spelled_, classic.size());
    }
    // The stand-in of the named value j, scanned by a field of `kind`.
    std::string_view StandIn(std::size_t j, Kind kind) {
        standIns_[j] = IsOperator(kind) ? *OperatorText(kind, 0) : '0';
        return std::string_view(standIns_ + j, 1);
    }

    // ---- the line parser (line_parser.cpp): one step per kind of line.
    void Line();
    void FunctionHead();
    // "#define" and "#include".
    void Directive();
    void LabelLine();
    // if and while: the opening instruction, then its conditions.
    void ConditionBlock();
    // The conditions of a header, tokens [first, end), joined by "&&".
    void Conditions(std::size_t first, std::size_t end);
    bool StartsInstruction(std::string_view word) const;
    // A label's line: a name, then ":".
    bool IsLabel() const;
    // do, for and switch: an opening instruction with fields of its own.
    void FieldBlock();
    void CaseOrDefault();
    // "}", "} else {" and "} while(...);".
    void Brace();
    void Goto();
    // Whether the token at `last` is the "{" that ends an opening line.
    bool Opens(std::size_t last);

    // ---- instructions (line_parser.cpp)
    // Scans tokens [first, end) of the line as one instruction; false after
    // an error.
    bool Instruction(std::size_t first, std::size_t end, bool condition);
    bool RawLine(std::size_t first, std::size_t end, bool condition);
    // Scans the fields of `op` into the bytes of `item` and puts it.
    bool Scan(std::uint8_t op, std::size_t first, std::size_t end, const Item& item);
    // A line that names a function: its call, a Gosub.
    bool Call(std::string_view name, const Item& item);

    // ---- names (names_pass.cpp)
    // The form whose arguments the kept tokens give: the earlier form of an
    // opcode where they are as many as it takes.
    const Form& FormFor(std::uint8_t op, std::size_t arguments);
    // Resolves the names among the kept tokens: the tokens become numbers
    // in the text of the fields they fill; `form` becomes the form that
    // their number asks for. False after an error.
    bool ResolveNames(std::uint8_t op, const Form*& form);
    // After the scan: names that name no value must name procedures, and
    // named values should be of the meaning of their place (a warning).
    bool CheckNames(std::uint8_t op, const std::uint8_t* bytes);
    void UnknownName(std::string_view token);
    // The names of the functions read so far, for guesses.
    std::vector<std::string_view> FunctionNames() const;
    enum class Simple { Done, Failed, No, Text };
    Simple SimpleNames(std::uint8_t op, const Form*& form, std::size_t first, std::size_t end);
    bool OneValue(std::string_view token, Argument& a) const;
    // Whether the kept tokens [first, end) are each one number, one name,
    // a "|" or (at the place of the form's own operator) an operator: the
    // common line, which the tokens tell whole.
    bool PlainArguments(std::uint8_t op, std::size_t first, std::size_t end) const;
    // Whether kept token k stands apart from the one before it as the next
    // argument does (after a "," with no parenthesis, or, the first
    // argument, after the call's one "("), or joined to it by "|" or by the
    // form's own operator (at token `at`).
    bool Separated(std::size_t k, std::size_t firstArgument, std::size_t at) const;
    // The arguments read from the line's text into arguments_, expressions
    // worked out (argument_text.cpp); false after an error.
    bool ArgumentsFromText(std::uint8_t op, const Form& form, std::size_t first, std::size_t end);
    bool ReadArgument(std::string_view piece, std::string_view clean);
    // A for line's count, "n < COUNT", where it is other than one number:
    // worked out as an argument is. False after an error.
    bool ForCount(std::uint8_t op, const Form& form);
    void CleanLine();
    // Writes the named values over their stand-ins in the scanned bytes.
    bool WriteNamed(std::uint8_t op, std::uint8_t* bytes);
    // A reference to the procedure `name` at `offset` of the next
    // instruction put, resolved when the text ends.
    void Refer(std::string_view name, std::uint8_t offset, std::string_view token,
               bool call = false);
    // The references resolved: each procedure's index in its byte.
    void ResolveReferences();
    std::string Unknown(const std::string& name, bool call) const;

    // ---- labels: they belong to their function, and the same name in two
    // functions names two labels.
    std::uint32_t LabelId(std::string_view name) {
        auto [it, added] = labelsHere_.try_emplace(std::string(name),
                                                   static_cast<std::uint32_t>(labelLine_.size()));
        if (added) labelLine_.push_back(0);
        return it->second;
    }

    // ---- what a listener is told (events.cpp)
    Span SpanOf(std::string_view token) const;
    void TellToken(std::string_view text, TokenRole role, bool definition);
    TokenRole NameRole(std::string_view name) const;
    // The tokens of the line read, as C tokens.
    void TellLineTokens();
    // The arguments of an instruction scanned into `bytes` through `form`.
    void TellArguments(std::uint8_t op, const Form& form, const std::uint8_t* bytes);
    // Blocks as they open and end (a case's runs to the line before the
    // next case or the switch's end).
    void OpenBlock(std::string_view keyword, bool isCase = false);
    void CloseBlock(int lastLine);
    void CloseCase(int lastLine);
    struct OpenedBlock {
        Span keyword;
        int firstLine;
        bool isCase;
    };
    Listener* listener_ = nullptr;
    std::vector<OpenedBlock> blocks_;
    Span functionName_; // the head of the function being read
    int functionLine_ = 0;

    // ---- the layout (layout.cpp)
    // An item read at `token`, its fields to be filled in before Put.
    Item Make(ItemKind kind, std::string_view token) const {
        Item e;
        e.kind = kind;
        e.line = line_;
        e.column = Column(token);
        return e;
    }
    // Hands the item with its `n` bytes to the layout of the function (which
    // may read kQuickCopy of them when `padded`).
    void Put(Item e, const void* bytes, std::size_t n, bool padded) {
        e.count = static_cast<std::uint8_t>(n);
        if (recordFirst_) {
            starts_.back().second = e.line;
            recordFirst_ = false;
        }
        const bool laid =
            !errors_ && laying_ && encoder_.Add(e, static_cast<const char*>(bytes), padded);
        if (!errors_ && laying_ && !laid) LayoutFailed();
        for (PendingReference& r : waitingReferences_)
            procedureReferences_.push_back({laid ? encoder_.LastAt() + r.offset : -1,
                                            std::move(r.name), r.line, r.column, r.call});
        waitingReferences_.clear();
    }
    void LayoutFailed();
    // A function begins: its procedure is laid out after the one before.
    void BeginProcedure();
    // The end of a function: its labels checked, its items laid out.
    void CloseProcedure();

    const Rows& rows_;
    const OperandTable& operands_;
    const MessageHandler* onMessage_ = nullptr;
    FieldScanner scanner_;
    std::vector<std::string_view>& tokens_ = scanner_.Tokens(); // the tokens of the line
    Lexer lexer_;
    ProcedureEncoder encoder_; // lays out the function being read
    bool recordFirst_ = false; // the next item's line is its function's first
    std::size_t count_ = 0;    // functions begun
    std::string body_;         // the procedures laid out, after the table
    std::vector<std::pair<std::uint32_t, int>> starts_; // each one's offset in body_, first line
    bool laying_ = true;                                // no error yet: procedures are laid out
    EncodeError layoutError_;
    std::size_t layoutFailedAt_ = 0; // the procedure that failed to lay out (kNone: none)
    static constexpr std::size_t kNone = ~std::size_t{0};
    bool inFunction_ = false;
    int open_ = 0; // blocks open in the current function
    int line_ = 0;
    int errors_ = 0;
    bool missingReported_ = false;
    // The labels of the current function by name; where each is defined (0
    // while it is not); the gotos to them.
    std::unordered_map<std::string, std::uint32_t> labelsHere_;
    std::vector<int> labelLine_;
    struct Reference {
        std::uint32_t label;
        int line, column;
        std::string name;
    };
    std::vector<Reference> references_;

    // ---- names
    const CompileOptions* options_ = nullptr;
    NameBook book_; // the names that the text and its headers define
    std::unique_ptr<Directives> directives_;
    std::vector<Argument> arguments_; // the line's, with names resolved
    std::string clean_;               // the line, its comments blanked
    struct NamedArgument {
        std::size_t field; // the argument's place: the field it fills
        Argument argument;
    };
    std::vector<NamedArgument> named_; // the line's names (and numbers made values)
    static constexpr std::size_t kStandIns = 4 * kFieldSlots;
    char standIns_[kStandIns + kReadableFromToken] = {};
    char spelled_[4 + kReadableFromToken] = {}; // an operator in its classic spelling
    std::span<const Field> argumentFields_;     // the field that each fills
    // The fields that the arguments of each opcode's form fill, and of its
    // earlier form.
    std::vector<Field> scanned_[256], oldScanned_[256];
    // The argument that each opcode's form writes as its own operator (a
    // large number where none).
    int operatorAt_[256] = {};
    std::vector<std::string_view> lineTokens_;
    std::unordered_map<std::string, std::uint32_t> functions_; // by name: their index
    std::vector<std::pair<std::string, int>> functionLines_;
    struct PendingReference {
        std::uint8_t offset;
        std::string name;
        int line, column;
        bool call;
    };
    std::vector<PendingReference> waitingReferences_; // of the instruction being put
    struct ProcedureReference {
        std::int64_t at; // in body_; -1 where nothing was laid out
        std::string name;
        int line, column;
        bool call; // a line of the name alone: an instruction may be meant
    };
    std::vector<ProcedureReference> procedureReferences_;
};

} // namespace quillon::exact
