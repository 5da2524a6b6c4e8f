#include "codec/exact/named_line.h"

#include <cstring>

#include "codec/base/text.h"
#include "codec/classic/fields.h"
#include "codec/isa/exact_rows.h"

namespace quillon::exact {

namespace {

char* PutText(char* p, const PaddedText& t) {
    return Put(p, t.length == kLongText ? std::string_view(t.whole)
                                        : std::string_view(t.padded, t.length));
}

std::string_view SepOf(const FieldPlan& f) {
    return f.sepLength <= kPaddedSep ? std::string_view(f.sep, f.sepLength)
                                     : std::string_view(f.sepText, f.sepLength);
}

// The field's value as stored, unsigned.
std::uint32_t ValueOf(const FieldPlan& f, const std::uint8_t* code) {
    return IsWide(f.kind) ? code[f.offset] | code[f.offset + 1] << 8 : code[f.offset];
}

// The most bytes a line may take: its texts, and each field's longest name.
constexpr std::size_t kLineRoom =
    3 * kPaddedText + kFieldSlots * (kPaddedSep + kFieldRoom + Naming::kLongestName);

} // namespace

char* WriteProcedureName(std::uint32_t number, char* p) {
    p = Put(p, "Sub");
    if (number < 10) *p++ = '0';
    return WriteDecimal(p, static_cast<int>(number));
}

NamedLines::NamedLines(const PrintOptions& options)
    : plan_(PlanOf(ExactRows().dialect)), naming_(Naming::Builtin()), numbers_(options.numbers),
      book_(options.names && !options.names->Empty() ? options.names : nullptr) {
    for (int op = 0; op < 256; ++op)
        for (int k = 0; k < plan_.lines[op].fieldCount; ++k)
            spelled_[op] = spelled_[op] || plan_.lines[op].fields[k].kind == Kind::CalcOp;
}

char* NamedLines::UserName(const LinePlan& line, int k, const Position& p, std::uint32_t value,
                           const std::uint8_t* code, char* out, int& taken) const {
    const auto* names = book_->PrintedFor(p.meaning, value);
    if (!names) return nullptr;
    for (const NameBook::Printed& n : *names) {
        const auto& values = n.definition->values;
        const int more = static_cast<int>(values.size()) - 1;
        if (k + more >= line.fieldCount || n.name.size() > Naming::kLongestName) continue;
        bool same = true;
        for (int j = 1; j <= more && same; ++j) {
            const FieldPlan& f = line.fields[k + j];
            same = !IsOperator(f.kind) &&
                   static_cast<std::int64_t>(ValueOf(f, code)) == values[j].value;
        }
        if (!same) continue;
        taken = more;
        return Put(out, n.name);
    }
    return nullptr;
}

char* NamedLines::Name(const LinePlan& line, int k, const std::uint8_t* code, char* out,
                       int& taken) const {
    const FieldPlan& f = line.fields[k];
    if (IsOperator(f.kind)) {
        const char* text = ExactOperatorText(f.kind, code[f.offset]);
        return text == OperatorText(f.kind, code[f.offset]) ? nullptr : Put(out, text);
    }
    const Position* p = naming_.At(code, f.offset);
    if (!p) return nullptr;
    const std::uint32_t value = ValueOf(f, code);
    if (p->meaning == Meaning::Procedure) return WriteProcedureName(value, out);
    if (numbers_) return nullptr;
    if (book_)
        if (char* end = UserName(line, k, *p, value, code, out, taken)) return end;
    return naming_.Write(p->meaning, value, code[p->groupAt], out);
}

void NamedLines::Append(const std::uint8_t* code, std::string& out) const {
    const LinePlan& line = plan_.lines[code[0]];
    // With numbers, only procedures have names (and operators their
    // spelling).
    if ((numbers_ ? !naming_.Refers(code[0]) : !naming_.Names(code[0])) && !spelled_[code[0]])
        return AppendInstruction(line, code, out);
    char text[kLineRoom];
    char* p = PutText(text, line.head);
    for (int k = 0; k < line.fieldCount; ++k) {
        const FieldPlan& f = line.fields[k];
        p = Put(p, SepOf(f));
        int taken = 0;
        if (char* end = Name(line, k, code, p, taken)) {
            p = end;
            k += taken;
            continue;
        }
        p = WriteField(f, code, p);
    }
    p = PutText(p, line.close);
    out.append(text, static_cast<std::size_t>(p - text));
}

} // namespace quillon::exact
