#include "codec/exact/printer.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "codec/base/text.h"
#include "codec/isa/exact_rows.h"

namespace quillon::exact {

void Printer::LabelName(std::int32_t at) {
    text_ += 'L';
    AppendHex(text_, static_cast<std::uint32_t>(at), 4);
}

void Printer::Tell(const exact::Procedure& proc, const Item& e, bool condition) {
    const char* data = text_.data();
    for (const char* p = data + counted_;
         (p = static_cast<const char*>(
              std::memchr(p, '\n', static_cast<std::size_t>(data + text_.size() - p))));
         ++p) {
        ++line_;
        lineStart_ = static_cast<std::size_t>(p - data) + 1;
    }
    counted_ = text_.size();
    PrintedInstruction i;
    i.procedure = number_;
    i.at = e.at;
    i.bytes = reinterpret_cast<const std::uint8_t*>(proc.pool.data() + e.first);
    i.size = e.count;
    i.raw = e.raw;
    i.condition = condition;
    i.line = line_;
    i.column = static_cast<int>(text_.size() - lineStart_) + 1;
    i.depth = depth_ - 1;
    options_.listener->Printed(i);
}

void Printer::Code(const exact::Procedure& proc, const Item& e, bool condition) {
    if (options_.listener) Tell(proc, e, condition);
    if (e.raw) {
        text_ += "raw(";
        if (e.count) {
            AppendHex(text_, static_cast<std::uint8_t>(proc.pool[e.first]), 2);
            Bytes(proc, e, 1);
        }
        text_ += condition ? ")" : ");";
        return;
    }
    Fields(proc, e);
    const bool ended = text_.back() == ';';
    if (condition && ended)
        text_.pop_back();
    else if (!condition && !ended)
        text_ += ';';
}

void Printer::Conditions(const exact::Procedure& proc, std::size_t& k) {
    Code(proc, proc.items[++k], true);
    while (k + 1 < proc.items.size() && proc.items[k + 1].kind == ItemKind::Code &&
           proc.items[k + 1].condition) {
        text_ += " && ";
        Code(proc, proc.items[++k], true);
    }
}

void Printer::Open(const exact::Procedure& proc, std::size_t& k) {
    const Item& e = proc.items[k];
    const std::uint8_t op = static_cast<std::uint8_t>(proc.pool[e.first]);
    if (!ExactRows().row[op].condition) return Fields(proc, e);
    text_ += ExactRows().dialect.Name(op);
    text_ += '(';
    Conditions(proc, k);
    text_ += ") {";
}

void Printer::Offsets(const exact::Procedure& proc, std::size_t first, std::size_t last) {
    std::int32_t at = -1;
    for (std::size_t k = first; k <= last && at < 0; ++k) at = proc.items[k].at;
    if (at < 0) return;
    text_ += " // ";
    AppendHex(text_, static_cast<std::uint32_t>(at), 4);
    text_ += ':';
    for (std::size_t k = first; k <= last; ++k) Bytes(proc, proc.items[k], 0);
}

void Printer::Bytes(const exact::Procedure& proc, const Item& e, std::uint8_t from) {
    for (std::uint8_t b = from; b < e.count; ++b) {
        text_ += ' ';
        AppendHex(text_, static_cast<std::uint8_t>(proc.pool[e.first + b]), 2);
    }
}

void Printer::Procedure(const exact::Procedure& proc, int number,
                        const std::vector<std::int32_t>& labelAt) {
    text_ += "int ";
    char name[16];
    text_.append(name, WriteProcedureName(static_cast<std::uint32_t>(number), name));
    text_ += "(void) {\r\n";
    number_ = number;
    int& depth = depth_;
    depth = 1;
    const auto& items = proc.items;
    for (std::size_t k = 0; k < items.size(); ++k) {
        const Item& e = items[k];
        const std::size_t first = k;
        switch (e.kind) {
        case ItemKind::Code:
            Tabs(depth);
            Code(proc, e, false);
            break;
        case ItemKind::Label:
            LabelName(labelAt[e.label]);
            text_ += ':';
            break;
        case ItemKind::Goto:
            Tabs(depth);
            if (std::equal(std::begin(kUsualGotoBytes), std::end(kUsualGotoBytes),
                           proc.pool.begin() + e.first + 1, [](std::uint8_t usual, char b) {
                               return usual == static_cast<std::uint8_t>(b);
                           })) {
                text_ += "goto ";
                LabelName(labelAt[e.label]);
                text_ += ';';
                break;
            }
            text_ += "goto(";
            LabelName(labelAt[e.label]);
            text_ += ", ";
            Fields(proc, e);
            break;
        case ItemKind::Open:
            Tabs(depth);
            Open(proc, k);
            ++depth;
            break;
        case ItemKind::Else:
            Tabs(depth - 1);
            text_ += "} else {";
            break;
        case ItemKind::Case:
        case ItemKind::Default:
            // Case and default lines stand one level out, at the level of
            // their switch.
            Tabs(depth - 1);
            Fields(proc, e);
            break;
        case ItemKind::Close:
            --depth;
            Tabs(depth);
            if (e.block == Block::Do) {
                text_ += "} while(";
                Conditions(proc, k);
                text_ += ");";
            } else {
                text_ += '}';
            }
            break;
        }
        if (options_.offsets) Offsets(proc, first, k);
        text_ += "\r\n";
    }
    text_ += "}\r\n";
}

} // namespace quillon::exact
