// What follows from a dialect's rows, derived once: the classic dialect's
// sizes, forms, name index and blocks, and the exact configuration of the
// retail dialect.
#include "codec/isa/exact_rows.h"
#include "codec/isa/forms.h"

namespace quillon {

namespace {

// FNV-1a, folded to a slot of Dialect::nameIndex.
std::size_t NameHash(std::string_view word) {
    std::uint32_t h = 2166136261u;
    for (unsigned char c : word) h = (h ^ c) * 16777619u;
    return (h ^ (h >> 16)) % kNameSlots;
}

void AddBlockFacts(Dialect& d, std::uint8_t op, const BlockFacts& facts) {
    d.depthBefore[op] = facts.before;
    d.depthAfter[op] = facts.after;
    d.caseEffect[op] = facts.caseEffect;
    d.closesKinds[op] = facts.closes;
    if (facts.opens >= 0) d.opener[facts.opens] = op;
    for (int k = 0; k < kBlockKinds; ++k) {
        if (facts.closes & KindBit(static_cast<BlockKind>(k))) {
            d.closer[k] = op;
            d.closerOperand[k] = facts.closeOperand;
        }
    }
}

// FindName's index of the dialect's table.
void IndexNames(Dialect& d) {
    const OpcodeTable& table = *d.table;
    std::fill(std::begin(d.nameIndex), std::end(d.nameIndex), std::uint8_t{0});
    for (int op = 0; op < 0x90; ++op) {
        const std::string_view rowName = table[op].name;
        std::size_t slot = NameHash(rowName);
        while (d.nameIndex[slot] != 0 && rowName != table[d.nameIndex[slot] - 1].name)
            slot = (slot + 1) % kNameSlots;
        if (d.nameIndex[slot] == 0) d.nameIndex[slot] = static_cast<std::uint8_t>(op + 1);
    }
}

} // namespace

Dialect MakeDialect(const char* name, const char* menuName, const OpcodeTable& table,
                    bool keywordBlocks, BraceRule braces) {
    Dialect d{};
    d.name = name;
    d.menuName = menuName;
    d.table = &table;
    d.keywordBlocks = keywordBlocks;
    d.braces = braces;
    for (int op = 0; op < 256; ++op) {
        const OpcodeEntry& e = table[op];
        d.forms[op] = e.form;
        d.size[op] = e.size;
        if (e.blocks) AddBlockFacts(d, static_cast<std::uint8_t>(op), *e.blocks);
    }
    IndexNames(d);
    return d;
}

// Every compiled line looks its word up: one hash and, as a rule, one
// comparison instead of a comparison with each of 144 rows.
int Dialect::FindName(std::string_view word) const {
    for (std::size_t slot = NameHash(word); nameIndex[slot] != 0; slot = (slot + 1) % kNameSlots) {
        const int op = nameIndex[slot] - 1;
        if (word == (*table)[op].name) return op;
    }
    return -1;
}

namespace exact {

namespace {

bool HasWideField(const Form& f, int size) {
    for (int i = 0; i < f.fieldCount; ++i)
        if (IsWide(f.fields[i].kind) && FieldApplies(f.fields[i], size)) return true;
    return false;
}

// The exact dialect: the retail one with the game's sizes and names, 8-bit
// fields stored narrow and the exact forms, those of every byte made in `r`.
void FillDialect(Rows& r, const Dialect& retail) {
    Dialect& d = r.dialect;
    d = retail;
    d.narrowStores = true;
    r.table = *retail.table;
    d.table = &r.table;
    Form* made = r.forms;
    auto formOf = [&](const Form* form, int op) {
        if (form != &forms::kEveryByte) return form;
        *made = forms::EveryByte(d.size[op]);
        return static_cast<const Form*>(made++);
    };
    for (int op = 0; op < 256; ++op) {
        OpcodeEntry& e = r.table[op];
        if (e.exactSize) d.size[op] = e.exactSize;
        if (e.exactName) e.name = e.exactName;
        if (e.exactForm) d.forms[op] = formOf(e.exactForm, op);
        r.oldForm[op] = e.exactOldForm ? formOf(e.exactOldForm, op) : nullptr;
    }
    IndexNames(d);
}

// The row of an opcode: its block facts, and where they leave the role to
// the form, a line unless the form is unknown.
Row RowOf(const Dialect& d, std::uint8_t op) {
    const OpcodeEntry& e = (*d.table)[op];
    Row row = e.blocks ? e.blocks->exact : Row{};
    const Form& f = *d.forms[op];
    const bool unknown = f.special == Special::Unknown || &f == &forms::kEmpty;
    if (row.role == Role::Plain) {
        row.role = unknown ? Role::Raw : Role::Plain;
        // Splitting a field for names moves no instruction: the earlier
        // form says whether it starts at an even offset.
        row.aligned = !unknown && HasWideField(e.exactOldForm ? *e.exactOldForm : f, d.Size(op));
    } else {
        // A length or offset field is 16-bit.
        row.aligned = row.lengthAt != 0;
    }
    return row;
}

// Fills the rows in place: the dialect's forms point into them. Built on
// first use, after every form of the classic dialect exists.
void Fill(Rows& r) {
    FillDialect(r, RetailDialect());
    for (int op = 0; op < 256; ++op) {
        const Row& row = r.row[op] = RowOf(r.dialect, static_cast<std::uint8_t>(op));
        if (row.role == Role::Open || row.role == Role::CaseOrDefault)
            r.opener[static_cast<int>(row.block)] = static_cast<std::uint8_t>(op);
        else if (row.role == Role::Else)
            r.opener[static_cast<int>(Block::Else)] = static_cast<std::uint8_t>(op);
        if (row.role == Role::Close)
            r.closer[static_cast<int>(row.block)] = static_cast<std::uint8_t>(op);
        if (row.role == Role::Jump) r.jump = static_cast<std::uint8_t>(op);
    }
    for (const std::uint8_t op : RetailConditions()) r.row[op].joins = true;
    // An else block ends with the pair 00 00 (two nops), as in the classic text.
    r.closer[static_cast<int>(Block::Else)] = r.dialect.closer[static_cast<int>(BlockKind::Else)];
}

} // namespace

const Rows& ExactRows() {
    static Rows rows;
    static const bool built = (Fill(rows), true);
    (void)built;
    return rows;
}

} // namespace exact

} // namespace quillon
