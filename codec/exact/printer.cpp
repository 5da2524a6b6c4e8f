#include "codec/exact/printer.h"

#include "codec/base/text.h"
#include "codec/isa/exact_rows.h"

namespace quillon::exact {

void Printer::LabelName(std::int32_t at) {
    text_ += 'L';
    AppendHex(text_, static_cast<std::uint32_t>(at), 4);
}

void Printer::Code(const exact::Procedure& proc, const Item& e, bool condition) {
    if (!e.raw) return Fields(proc, e);
    text_ += "raw(";
    for (std::uint8_t k = 0; k < e.count; ++k) {
        if (k) text_ += ' ';
        AppendHex(text_, static_cast<std::uint8_t>(proc.pool[e.first + k]), 2);
    }
    text_ += condition ? ")" : ");";
}

void Printer::Open(const exact::Procedure& proc, std::size_t& k) {
    const Item& e = proc.items[k];
    const std::uint8_t op = static_cast<std::uint8_t>(proc.pool[e.first]);
    if (!ExactRows().row[op].condition) return Fields(proc, e);
    text_ += ExactRows().dialect.Name(op);
    text_ += '(';
    Code(proc, proc.items[++k], true);
    text_ += ") {";
}

void Printer::Procedure(const exact::Procedure& proc, int number,
                        const std::vector<std::int32_t>& labelAt) {
    text_ += "int Sub";
    if (number < 10) text_ += '0';
    AppendDecimal(text_, number);
    text_ += "(void) {\r\n";
    int depth = 1;
    const auto& items = proc.items;
    for (std::size_t k = 0; k < items.size(); ++k) {
        const Item& e = items[k];
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
                Code(proc, items[++k], true);
                text_ += ");";
            } else {
                text_ += '}';
            }
            break;
        }
        text_ += "\r\n";
    }
    text_ += "}\r\n";
}

} // namespace quillon::exact
