// Names in an exact text: the arguments of a line read as values (numbers,
// names, values joined by "|"), each name scanned as a stand-in and its value
// written after the scan; procedures named by their functions, resolved when
// the text ends; names of the wrong meaning for their place warned about.

#include "codec/base/closest.h"
#include "codec/base/text.h"
#include "codec/exact/compiler.h"
#include "codec/exact/naming.h"

namespace quillon::exact {

// The fields that the arguments of a line of `form` fill, in order.
void ScannedFields(const Form& form, int size, std::vector<Field>& out) {
    out.clear();
    for (int k = 0; k < form.fieldCount; ++k) {
        const Field& f = form.fields[k];
        if (!(f.flags & kNoScan) && FieldApplies(f, size)) out.push_back(f);
    }
}

namespace {

bool IsHexText(std::string_view t) {
    return t.size() > 2 && t[0] == '0' && (t[1] | 0x20) == 'x';
}

bool Fits(const Meaning place, const Meaning name) {
    return place == name ||
           (name == Meaning::Item && (place == Meaning::KeyLock || place == Meaning::FlagIndex));
}

} // namespace

const Form& Compiler::FormFor(std::uint8_t op, std::size_t arguments) {
    const Form& form = *rows_.dialect.forms[op];
    const Form* old = rows_.oldForm[op];
    argumentFields_ = scanned_[op];
    if (!old || arguments == scanned_[op].size() || arguments != oldScanned_[op].size())
        return form;
    argumentFields_ = oldScanned_[op];
    return *old;
}

bool Compiler::ResolveNames(std::uint8_t op, const Form*& form) {
    std::vector<std::string_view>& tokens = tokens_;
    const std::size_t first = form->firstToken;
    std::size_t end = tokens.size();
    while (end > first && tokens[end - 1] == "{") --end;
    if (first >= end) return true;
    const std::span<const std::string_view> args(tokens.data() + first, end - first);
    if (const std::size_t at = first + static_cast<std::size_t>(operatorAt_[op]); at < end)
        tokens[at] = ClassicSpelling(scanned_[op][static_cast<std::size_t>(operatorAt_[op])].kind,
                                     tokens[at]);
    const Simple simple = SimpleNames(op, form, first, end);
    if (simple == Simple::Done || simple == Simple::Failed) return simple == Simple::Done;
    if (simple == Simple::Text || !PlainArguments(op, first, end)) {
        if (!ArgumentsFromText(op, *form, first, end)) return false;
    } else {
        std::string error;
        std::string_view at;
        if (!ReadArguments(args, book_, arguments_, error, at)) {
            Error(at, std::move(error));
            return false;
        }
    }
    form = &FormFor(op, arguments_.size());
    // An unknown name where the arguments do not add up may be a name of
    // several values: it is the mistake to name.
    if (arguments_.size() != argumentFields_.size())
        for (const Argument& a : arguments_)
            if (a.unresolved) return UnknownName(a.token), false;
    // A named value is scanned as a stand-in that its field takes (a token
    // of its own, so that messages find the name), and its value written
    // over it after the scan (WriteNamed).
    lineTokens_.assign(tokens.begin(), tokens.begin() + static_cast<std::ptrdiff_t>(first));
    named_.clear();
    for (std::size_t k = 0; k < arguments_.size(); ++k) {
        Argument& a = arguments_[k];
        const Kind kind = k < argumentFields_.size() ? argumentFields_[k].kind : Kind::S16;
        // A number in hexadecimal fills a decimal field too (a set of bits
        // prints a bit without a name so).
        if ((a.number &&
             (!IsHexText(a.token) || ScansHex(kind) || !ParseNumber(a.token, a.value))) ||
            named_.size() == kStandIns) {
            lineTokens_.push_back(a.token);
            continue;
        }
        a.number = false;
        lineTokens_.push_back(StandIn(named_.size(), kind));
        named_.push_back({k, a});
    }
    lineTokens_.insert(lineTokens_.end(), tokens.begin() + static_cast<std::ptrdiff_t>(end),
                       tokens.end());
    scanner_.Replace(lineTokens_);
    return true;
}

// One token's value where it stands for one value: a number, a name of the
// user's or a built-in one, or a name of no value (unresolved). False for a
// name of several values.
bool Compiler::OneValue(std::string_view t, Argument& a) const {
    a = Argument();
    a.token = t;
    if (!IsNameStart(t[0])) return ParseNumber(t, a.value);
    return NameValue(book_, a) == nullptr;
}

// The common line, resolved in place: names of one value each, values
// joined by "|". Each named value's first token becomes its stand-in, and
// the tokens that "|" joined to it leave the line (the stand-ins have room
// after them, as the line's tokens do). Simple::No leaves the line as it was;
// Simple::Text too, for a line whose arguments are not each one token.
Compiler::Simple Compiler::SimpleNames(std::uint8_t op, const Form*& form, std::size_t first,
                                       std::size_t end) {
    named_.clear();
    std::size_t count = 0; // arguments
    bool joined = false, hex = false;
    Argument a, b;
    const std::size_t at = first + static_cast<std::size_t>(operatorAt_[op]);
    for (std::size_t r = first; r < end; ++r) {
        const std::string_view t = tokens_[r];
        // The arguments are apart where ", " stands before a token (as texts
        // print them; a parenthesis there is around it alone), and the first
        // one just after the "("; elsewhere the gap is looked at.
        if (r == first ? t.data() != tokens_[r - 1].data() + tokens_[r - 1].size() + 1
                       : t.data()[-2] != ',')
            if (!Separated(r, first, at)) return Simple::Text;
        hex = hex || IsHexText(t);
        if (t.size() == 1 && t[0] == '|') {
            joined = true;
            // Joins the argument before it and the value after it.
            if (count == 0 || r + 1 >= end || !OneValue(tokens_[r + 1], b) || b.unresolved)
                return Simple::No;
            if (named_.empty() || named_.back().field != count - 1) {
                if (!OneValue(tokens_[r - 1], a)) return Simple::No;
                a.number = false;
                named_.push_back({count - 1, a});
            }
            Argument& left = named_.back().argument;
            if (left.unresolved || named_.size() == kStandIns) return Simple::No;
            left.value |= b.value;
            if (left.meaning == Meaning::None) left.meaning = b.meaning;
            ++r;
            continue;
        }
        if (IsNameStart(t[0])) {
            if (!OneValue(t, a) || named_.size() == kStandIns) return Simple::No;
            // A name found is a name whole; a token of no value may be an
            // expression ("A+1").
            if (a.unresolved && !IsIdentifier(t)) return Simple::Text;
            named_.push_back({count, a});
        } else if (!PlainToken(t, r == at)) {
            return Simple::Text;
        }
        ++count;
    }
    form = &FormFor(op, count);
    // An unknown name where the arguments do not add up may be a name of
    // several values: it is the mistake to name.
    if (count != argumentFields_.size())
        for (const NamedArgument& n : named_)
            if (n.argument.unresolved) return UnknownName(n.argument.token), Simple::Failed;
    if (!joined && !hex) {
        // Each name's token becomes its stand-in where it stands.
        for (std::size_t j = 0; j < named_.size(); ++j) {
            const std::size_t k = named_[j].field;
            tokens_[first + k] =
                StandIn(j, k < argumentFields_.size() ? argumentFields_[k].kind : Kind::S16);
        }
        return Simple::Done;
    }
    InPlace(first, end);
    return Simple::Done;
}

// The line written again in place: the arguments, values joined by "|" as
// one stand-in, then what follows them ("{").
void Compiler::InPlace(std::size_t first, std::size_t end) {
    Argument a;
    std::size_t w = first, j = 0;
    for (std::size_t r = first; r < tokens_.size(); ++r) {
        if (r < end && tokens_[r] == "|") {
            ++r;
            continue;
        }
        tokens_[w] = tokens_[r];
        const std::size_t k = w - first;
        // A number in hexadecimal fills a decimal field too (a set of bits
        // prints a bit without a name so).
        const Kind kind = k < argumentFields_.size() ? argumentFields_[k].kind : Kind::S16;
        if (r < end && (j == named_.size() || named_[j].field != k) && IsHexText(tokens_[r]) &&
            !ScansHex(kind) && !IsOperator(kind) && OneValue(tokens_[r], a) &&
            named_.size() < kStandIns) {
            a.number = false;
            named_.insert(named_.begin() + static_cast<std::ptrdiff_t>(j), {k, a});
        }
        if (r < end && j < named_.size() && named_[j].field == k) tokens_[w] = StandIn(j++, kind);
        ++w;
    }
    tokens_.resize(w);
    scanner_.Recount();
}

std::vector<std::string_view> Compiler::FunctionNames() const {
    std::vector<std::string_view> names;
    for (const auto& f : functionLines_) names.push_back(f.first);
    return names;
}

void Compiler::UnknownName(std::string_view token) {
    const std::string near = ClosestValueName(token, book_, FunctionNames());
    Error(token,
          FormatText("unknown name '%s'%s", MessageWord(token).c_str(), DidYouMean(near).c_str()));
}

bool Compiler::WriteNamed(std::uint8_t op, std::uint8_t* bytes) {
    for (const NamedArgument& n : named_) {
        const std::size_t k = n.field;
        const Argument& a = n.argument;
        if (k >= argumentFields_.size() || a.unresolved) continue;
        const Field& f = argumentFields_[k];
        const std::int64_t v = a.value;
        if (IsOperator(f.kind)) {
            if (v < 0 || v > 0xFF || !*OperatorText(f.kind, static_cast<std::uint8_t>(v))) {
                Error(a.token,
                      FormatText("argument %zu of '%s': '%s' is not an operator of its "
                                 "list",
                                 k + 1, rows_.dialect.Name(op), MessageWord(a.token).c_str()));
                return false;
            }
        } else if (v < RangeOf(f.kind).low || v >= std::int64_t{1} << (8 * WidthOf(f.kind))) {
            Message(false, Column(a.token),
                    FormatText("argument %zu of '%s': %s (%lld) does not fit (%d to %d); only its "
                               "low %d bits are kept",
                               k + 1, rows_.dialect.Name(op), MessageWord(a.token).c_str(),
                               static_cast<long long>(v), RangeOf(f.kind).low, RangeOf(f.kind).high,
                               WidthOf(f.kind) * 8),
                    static_cast<int>(a.token.size()));
        }
        bytes[f.offset] = static_cast<std::uint8_t>(v & 0xFF);
        if (IsWide(f.kind)) bytes[f.offset + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
    }
    return true;
}

bool Compiler::CheckNames(std::uint8_t op, const std::uint8_t* bytes) {
    const Naming& naming = Naming::Builtin();
    for (const NamedArgument& n : named_) {
        const std::size_t k = n.field;
        const Argument& a = n.argument;
        if (k >= argumentFields_.size()) continue;
        const Position* p = naming.At(bytes, argumentFields_[k].offset);
        if (a.unresolved) {
            // A procedure's place, or a field that reads "Sub07" as 7.
            if ((p && p->meaning == Meaning::Procedure) ||
                RowOf(argumentFields_[k].kind).subPrefix) {
                Refer(a.token, argumentFields_[k].offset, a.token);
                continue;
            }
            UnknownName(a.token);
            return false;
        }
        if (p && a.meaning != Meaning::None && !Fits(p->meaning, a.meaning))
            Message(false, Column(a.token),
                    FormatText("'%s' is %s; argument %zu of %s is %s", MessageWord(a.token).c_str(),
                               MeaningOf(a.meaning).noun, k + 1, rows_.dialect.Name(op),
                               MeaningOf(p->meaning).noun),
                    static_cast<int>(a.token.size()));
    }
    return true;
}

void Compiler::Refer(std::string_view name, std::uint8_t offset, std::string_view token,
                     bool call) {
    const auto [line, column] = PlaceOf(token);
    waitingReferences_.push_back({offset, std::string(name), line, column, call});
}

// Where a name is no function: the closest function's name, or, for a line
// of the name alone, the closest instruction's too.
std::string Compiler::Unknown(const std::string& name, bool call) const {
    std::vector<std::string_view> names = FunctionNames();
    if (call)
        for (int op = 0; op < 0x90; ++op)
            names.push_back(rows_.dialect.Name(static_cast<std::uint8_t>(op)));
    const std::string near = ClosestOf(name, names);
    return FormatText(call ? "unknown instruction or function '%s'%s" : "'%s' is no function%s",
                      MessageWord(name).c_str(), DidYouMean(near).c_str());
}

void Compiler::ResolveReferences() {
    for (const ProcedureReference& r : procedureReferences_) {
        std::int64_t index = -1;
        if (const auto it = functions_.find(r.name); it != functions_.end()) {
            index = it->second;
        } else if (r.name.size() > 3 && r.name.compare(0, 3, "Sub") == 0 &&
                   r.name.find_first_not_of("0123456789", 3) == std::string::npos &&
                   r.name.size() <= 6) {
            // "Sub07" names procedure 7 where no function is so named, as
            // the texts of earlier versions do; a room may refer past its
            // table, but more often a function is missing.
            index = std::stoll(r.name.substr(3));
            if (index <= 0xFF && *onMessage_)
                (*onMessage_)({false, r.line, r.column,
                               FormatText("no function is named '%s': compiled as procedure "
                                          "%lld of a table of %zu",
                                          r.name.c_str(), static_cast<long long>(index), count_),
                               static_cast<int>(r.name.size())});
        }
        if (index < 0 || index > 0xFF) {
            ++errors_;
            if (*onMessage_)
                (*onMessage_)({true, r.line, r.column,
                               index > 0xFF ? FormatText("procedure %lld does not fit a byte",
                                                         static_cast<long long>(index))
                                            : Unknown(r.name, r.call),
                               static_cast<int>(r.name.size())});
            continue;
        }
        if (r.at >= 0) body_[static_cast<std::size_t>(r.at)] = static_cast<char>(index);
    }
}

bool Compiler::Call(std::string_view name, const Item& item) {
    // The Gosub opcode is the marker that stands before a procedure.
    const std::uint8_t bytes[2] = {kGosubMarker, 0};
    Refer(name, 1, name, true);
    Put(item, bytes, 2, false);
    return true;
}

} // namespace quillon::exact
