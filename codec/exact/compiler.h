// The exact compiler: an exact text read line by line into the items of each
// procedure (instructions scanned through the exact forms, braces as block
// openings and closings, labels and gotos by name), each function's items
// laid out by the encoder as they come. Anything that would give the game a
// wrong script is an error.
//
// Its steps, a file each: the lexer (lexer.h) cuts a line into tokens, and
// lines that a comment or backslash continues are joined (joined_lines.cpp);
// the line parser (line_parser.cpp) reads a window's lines, tells them apart
// and makes their items, scanning instructions through the field scanner,
// whose diagnostics become messages (diagnostics.cpp); the "#" lines are the
// directives' (directives.h), and while macros or groups are about, the
// preprocessor (preprocess.cpp) passes over the lines a group leaves out and
// expands macros (macros.h); the layout (layout.cpp) hands the items to the
// encoder and puts the procedure table before the procedures; streaming
// (stream.cpp) feeds the text in windows.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
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

// The statements of a line that a macro's expansion or a comment over line
// ends made, [from, to) each: one ends after a ";" or a "{", and after a
// label's or a case's ":", outside parentheses; a "}" stands alone, or with
// the "else {" or "while(...);" that follows it.
void Statements(std::string_view text, std::vector<std::pair<std::size_t, std::size_t>>& out);

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
        int line = line_;
        if (placing_) Place(line, column, &text);
        if (*onMessage_) (*onMessage_)({error, line, column, std::move(text), length});
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

    // ---- lines that C joins (joined_lines.cpp): a comment over line ends, a
    // backslash at a line's end.
    // Reads the logical line that starts at `at` into the joined text and
    // its tokens; returns where the next line starts, or kNone where the
    // window ends first.
    std::size_t Join(std::string_view window, std::size_t at, bool last);
    // The joined line read, a statement at a time; then a comment never
    // closed is an error, and the lines it spanned are counted.
    void JoinedLine();
    // Whether the line just read goes on past its end.
    bool Continued() const {
        const std::string_view t = lexer_.Text();
        return lexer_.Open() || (!t.empty() && t.back() == '\\' && !lexer_.Commented());
    }
    // The place of a message or item, made for a joined line, a macro's
    // expansion or a header (whose messages stand at the text's #include,
    // the header's place in their text).
    void Place(int& line, int& column, std::string* text) const;
    // The line and column of a token, for a message given later.
    std::pair<int, int> PlaceOf(std::string_view token) const {
        int line = line_, column = Column(token);
        if (placing_) Place(line, column, nullptr);
        return {line, column};
    }
    void UpdatePlacing() { placing_ = !breaks_.empty() || expanding_ || !headers_.empty(); }

    // ---- the preprocessor (preprocess.cpp): lines read while macros are
    // defined or a group of "#if" is open.
    void Preprocess();
    void UpdatePreprocessing() {
        preprocessing_ = directives_->Skipping() || !directives_->Macros().Empty();
    }
    // Reads an included header's lines as the text's own.
    bool ReadHeader(std::string_view text, const std::string& key, std::string_view name);
    // The listener told of a directive's words and names (`before` it is
    // read: an #include reads other lines), of what a #define defined
    // (after), and of a macro's uses (preprocess.cpp).
    void TellDirective(bool before);
    void TellToken(std::string_view token, TokenRole role, bool definition = false);
    // Where a token of the line stands in its source.
    Span SpanOf(std::string_view token) const;
    // "line 3", or "flags.h:3" in a header.
    std::string Where() const;

    // ---- the line parser (line_parser.cpp): one step per kind of line.
    void Line();
    void FunctionHead();
    // A "#" line.
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
    void InPlace(std::size_t first, std::size_t end);
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
    // Whether no token of the line stands after the arguments' end; an error if one does.
    bool NothingLeftOver(std::uint8_t op, std::size_t first, std::size_t end, std::size_t closeAt);
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
        if (placing_) Place(e.line, e.column, nullptr);
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
        if (options_->listener) Placed(e, static_cast<const std::uint8_t*>(bytes), laid);
        for (PendingReference& r : waitingReferences_)
            procedureReferences_.push_back({laid ? encoder_.LastAt() + r.offset : -1,
                                            std::move(r.name), r.line, r.column, r.call});
        waitingReferences_.clear();
    }
    void LayoutFailed();
    // For the listener: the instruction of item `e` (laid out or not), told
    // with the others when the text ends and the procedure table's size is
    // known.
    void Placed(const Item& e, const std::uint8_t* bytes, bool laid);
    void TellPlaced();
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
    // The instructions placed, for the listener (their offsets in body_),
    // and the blocks open around them in the current function.
    std::vector<InstructionEvent> placed_;
    std::vector<Block> placedBlocks_;
    std::size_t placedIn_ = 0; // the function (counted from 1) that placedBlocks_ is of
    int headerDepth_ = 0;      // the depth of the block whose conditions come next

    // ---- joined lines, the preprocessor, headers
    bool placing_ = false;
    bool preprocessing_ = false;
    std::deque<JoinedText> joined_;     // the joined line of each header depth
    std::vector<std::uint32_t> breaks_; // where its further physical lines start
    std::size_t unclosed_ = kNone;      // where a comment that the text never closes starts
    std::string expanded_, cut_;        // a line's expansion, cut into lines
    std::vector<std::pair<std::size_t, std::size_t>> statements_;
    std::size_t shift_ = 0; // where the statement read starts in its joined line
    bool expanding_ = false;
    struct Expansion {
        int column;
        std::string macro, where;
    } expansion_;
    struct Reading {
        std::string name; // the header as its #include wrote it
        int line, column; // the outermost #include in the text
    };
    std::vector<Reading> headers_; // being read, outermost first
    std::uint32_t source_ = 0;     // the source being read: 0 the text, N a header
    std::unordered_map<std::string, std::uint32_t> sources_; // headers read, by key
};

} // namespace quillon::exact
