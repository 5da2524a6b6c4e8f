#include "codec/classic/print_plan.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

#include "codec/isa/field_walk.h"

namespace quillon {

namespace {

PaddedText Pad(const std::string& text) {
    PaddedText p;
    if (text.size() < kPaddedText) {
        p.length = static_cast<std::uint8_t>(text.size());
        text.copy(p.padded, text.size());
    } else {
        p.length = kLongText;
        p.whole = text;
    }
    return p;
}

std::size_t LengthOf(const PaddedText& t) {
    return t.length == kLongText ? t.whole.size() : t.length;
}

} // namespace

LinePlan PlanLine(const Dialect& d, const Form& form, std::uint8_t opcode) {
    LinePlan line;
    const char* name = form.head ? form.head : d.Name(opcode);
    line.head = Pad(std::string(name) + form.open);
    line.close = Pad(form.close);
    line.closeLine = Pad(std::string(form.close) + "\r\n");
    line.plain = form.special == Special::None || form.special == Special::For ||
                 form.special == Special::CloseBrace;
    const int size = d.Size(opcode);
    // The texts are copied whole when long and as their pads otherwise.
    std::size_t room = std::max(LengthOf(line.head), kPaddedText) +
                       std::max(LengthOf(line.closeLine), kPaddedText);
    for (const Field& f : AppliedFields(form, size, FieldWalk::Printed)) {
        FieldPlan& p = line.fields[line.fieldCount];
        p.offset = f.offset;
        p.kind = f.kind;
        const char* sep = line.fieldCount == 0 ? "" : f.flags & kAppended ? ", " : form.sep;
        p.sepText = sep;
        p.sepLength = static_cast<std::uint8_t>(std::strlen(sep));
        if (p.sepLength <= kPaddedSep) std::memcpy(p.sep, sep, p.sepLength);
        room += std::max<std::size_t>(p.sepLength, kPaddedSep) + kFieldRoom;
        ++line.fieldCount;
    }
    line.room = room;
    return line;
}

const PrintPlan& PlanOf(const Dialect& d) {
    static std::mutex lock;
    static std::map<const Dialect*, std::unique_ptr<PrintPlan>> plans;
    const std::lock_guard<std::mutex> guard(lock);
    std::unique_ptr<PrintPlan>& plan = plans[&d];
    if (!plan) {
        plan = std::make_unique<PrintPlan>();
        for (int op = 0; op < 256; ++op)
            plan->lines[op] = PlanLine(d, *d.forms[op], static_cast<std::uint8_t>(op));
    }
    return *plan;
}

} // namespace quillon
