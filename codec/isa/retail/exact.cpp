// The exact configuration of the retail dialect: the classic engine with the
// game's sizes, forms that show every byte of an instruction and the rows of
// the block instructions.
#include "codec/isa/exact_rows.h"
#include "codec/isa/forms.h"

namespace quillon::exact {

namespace {

using K = Kind;

Field F(int offset, Kind kind, std::uint8_t flags = 0) {
    return Field{static_cast<std::uint8_t>(offset), kind, flags};
}

Form Bytes(int count) {
    Form f = Call({});
    AddRun(f, 1, count, K::U8);
    return f;
}

Form Appending(Form f, int offset, int count) {
    for (int i = 0; i < count; ++i) f.fields[f.fieldCount++] = F(offset + i, K::U8, kAppended);
    return f;
}

bool HasWideField(const Form& f, int size) {
    for (int i = 0; i < f.fieldCount; ++i)
        if (IsWide(f.fields[i].kind) && FieldApplies(f.fields[i], size)) return true;
    return false;
}

// The goto's target is a label, printed by the exact printer before these.
Form GotoTail() {
    Form f = Shape("", ", ", ");", {F(1, K::U8), F(2, K::U8), F(3, K::U8)});
    f.head = "";
    f.firstToken = 2;
    return f;
}

// Fills the rows in place: the dialect's forms point into them. Built on
// first use, after every form of the classic dialect exists.
void Fill(Rows& r) {
    // The classic lines leave these bytes out: they are appended after the
    // classic arguments. Comparison operators scan back whole, "?" included.
    // Instructions whose layout is not known show every byte after the opcode.
    Form* f = r.forms;
    auto add = [&](int op, Form form) {
        *f = form;
        r.dialect.forms[op] = f++;
    };
    Dialect& d = r.dialect;
    d = RetailDialect();
    d.name = "retail";
    d.narrowStores = true;
    // The game's sizes where they differ from the classic table.
    d.size[0x5C] = 3; // Sce_shake_on
    d.size[0x81] = 3; // opcode and two operand bytes
    add(0x00, Call({}));
    add(0x09, Appending(Call({F(2, K::U16)}), 1, 1));
    add(0x17, GotoTail());
    add(0x23, Appending(Shape("(", " ", ")", {F(2, K::S8), F(3, K::CmpOpQ), F(4, K::S16)}), 1, 1));
    add(0x26, Appending(Shape("(", " ", ")", {F(3, K::U8), F(2, K::CalcOp), F(4, K::U16)}), 1, 1));
    add(0x27, Appending(Call({F(2, K::HexN), F(3, K::HexN)}), 1, 1));
    add(0x2C, Appending(forms::kAotSet, 17, 3));
    add(0x67, Appending(forms::kAotSet4p, 25, 3));
    for (int op : {0x68, 0x69, 0x73, 0x78, 0x7A, 0x7B})
        add(op, Bytes(d.Size(static_cast<std::uint8_t>(op)) - 1));

    for (int op = 0; op < 256; ++op) {
        Row& row = r.row[op];
        const Form& f = *d.forms[op];
        const bool unknown = f.special == Special::Unknown || &f == &forms::kEmpty;
        row.role = unknown ? Role::Raw : Role::Plain;
        row.aligned = !unknown && HasWideField(f, d.Size(static_cast<std::uint8_t>(op)));
    }
    // Rows that share a name with a lower opcode have no line of their own.
    r.row[0x1B].role = r.row[0x1C].role = Role::Raw;
    r.row[0x1B].aligned = false;

    auto set = [&](int op, Role role, Block block, int lengthAt, From from, To to, bool zeroAt1) {
        Row& row = r.row[op];
        row.role = role;
        row.block = block;
        row.lengthAt = static_cast<std::uint8_t>(lengthAt);
        row.from = from;
        row.to = to;
        row.aligned = lengthAt != 0;
        if (zeroAt1) row.fixed[row.fixedCount++] = {1, 0};
    };
    set(0x06, Role::Open, Block::If, 2, From::End, To::CloserEnd, true);
    set(0x07, Role::Else, Block::Else, 2, From::Start, To::CloserEnd, true);
    set(0x08, Role::Close, Block::If, 0, From::End, To::CloserEnd, true);
    set(0x0D, Role::Open, Block::For, 2, From::End, To::CloserEnd, true);
    set(0x0E, Role::Close, Block::For, 0, From::End, To::CloserEnd, true);
    set(0x0F, Role::Open, Block::While, 2, From::End, To::CloserEnd, false);
    set(0x10, Role::Close, Block::While, 0, From::End, To::CloserEnd, true);
    set(0x11, Role::Open, Block::Do, 2, From::End, To::CloserEnd, true);
    set(0x12, Role::Close, Block::Do, 0, From::End, To::CloserEnd, false);
    set(0x13, Role::Open, Block::Switch, 2, From::End, To::CloserEnd, false);
    set(0x14, Role::Label, Block::Case, 2, From::End, To::NextLabel, true);
    set(0x15, Role::Label, Block::Default, 0, From::End, To::CloserEnd, true);
    set(0x16, Role::Close, Block::Switch, 0, From::End, To::CloserEnd, true);
    set(0x17, Role::Jump, Block::None, 4, From::Start, To::CloserEnd, false);
    r.row[0x1A].fixed[r.row[0x1A].fixedCount++] = {1, 0}; // break
    for (int op : {0x06, 0x0F, 0x12}) r.row[op].condition = true;
    r.row[0x0F].conditionAt = r.row[0x12].conditionAt = 1;

    for (int op = 0; op < 256; ++op) {
        const Row& row = r.row[op];
        if (row.role == Role::Open || row.role == Role::Label)
            r.opener[static_cast<int>(row.block)] = static_cast<std::uint8_t>(op);
        else if (row.role == Role::Else)
            r.opener[static_cast<int>(Block::Else)] = static_cast<std::uint8_t>(op);
        if (row.role == Role::Close)
            r.closer[static_cast<int>(row.block)] = static_cast<std::uint8_t>(op);
        if (row.role == Role::Jump) r.jump = static_cast<std::uint8_t>(op);
    }
    // An else block ends with the pair 00 00 (two nops).
    r.closer[static_cast<int>(Block::Else)] = 0x00;
}

} // namespace

const Rows& ExactRows() {
    static Rows rows;
    static const bool built = (Fill(rows), true);
    (void)built;
    return rows;
}

} // namespace quillon::exact
