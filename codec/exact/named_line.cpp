#include "codec/exact/named_line.h"

#include "codec/base/text.h"
#include "codec/classic/fields.h"
#include "codec/isa/exact_rows.h"

namespace quillon::exact {

namespace {

std::string_view TextOf(const PaddedText& t) {
    return t.length == kLongText ? std::string_view(t.whole) : std::string_view(t.padded, t.length);
}

std::string_view SepOf(const FieldPlan& f) {
    return f.sepLength <= kPaddedSep ? std::string_view(f.sep, f.sepLength)
                                     : std::string_view(f.sepText, f.sepLength);
}

// The field's value as stored, unsigned.
std::uint32_t ValueOf(const FieldPlan& f, const std::uint8_t* code) {
    return IsWide(f.kind) ? code[f.offset] | code[f.offset + 1] << 8 : code[f.offset];
}

} // namespace

void AppendProcedureName(std::uint32_t number, std::string& out) {
    out += "Sub";
    if (number < 10) out += '0';
    AppendDecimal(out, static_cast<int>(number));
}

NamedLines::NamedLines(const PrintOptions& options)
    : plan_(PlanOf(ExactRows().dialect)), naming_(Naming::Builtin()), numbers_(options.numbers),
      book_(options.names && !options.names->Empty() ? options.names : nullptr) {}

bool NamedLines::UserName(const LinePlan& line, int k, const Position& p, std::uint32_t value,
                          const std::uint8_t* code, std::string& out, int& taken) const {
    const auto* names = book_->PrintedFor(p.meaning, value);
    if (!names) return false;
    for (const NameBook::Printed& n : *names) {
        const auto& values = n.definition->values;
        const int more = static_cast<int>(values.size()) - 1;
        if (k + more >= line.fieldCount) continue;
        bool same = true;
        for (int j = 1; j <= more && same; ++j) {
            const FieldPlan& f = line.fields[k + j];
            same = !IsOperator(f.kind) &&
                   static_cast<std::int64_t>(ValueOf(f, code)) == values[j].value;
        }
        if (!same) continue;
        out += n.name;
        taken = more;
        return true;
    }
    return false;
}

bool NamedLines::Name(const LinePlan& line, int k, const std::uint8_t* code, std::string& out,
                      int& taken) const {
    const FieldPlan& f = line.fields[k];
    if (IsOperator(f.kind)) return false;
    const Position* p = naming_.At(code, f.offset);
    if (!p) return false;
    const std::uint32_t value = ValueOf(f, code);
    if (p->meaning == Meaning::Procedure) {
        AppendProcedureName(value, out);
        return true;
    }
    if (numbers_) return false;
    if (book_ && UserName(line, k, *p, value, code, out, taken)) return true;
    return naming_.Append(p->meaning, value, code[p->groupAt], out);
}

void NamedLines::Append(const std::uint8_t* code, std::string& out) const {
    const LinePlan& line = plan_.lines[code[0]];
    // With numbers, only procedures have names.
    if (numbers_ ? !naming_.Refers(code[0]) : !naming_.Names(code[0]))
        return AppendInstruction(line, code, out);
    out += TextOf(line.head);
    for (int k = 0; k < line.fieldCount; ++k) {
        const FieldPlan& f = line.fields[k];
        out += SepOf(f);
        int taken = 0;
        if (Name(line, k, code, out, taken)) {
            k += taken;
            continue;
        }
        AppendField(f, code, out);
    }
    out += TextOf(line.close);
}

} // namespace quillon::exact
