#include "codec/isa/forms.h"

#include <cstring>

#include "codec/base/text.h"

namespace quillon {

Form Shape(const char* open, const char* sep, const char* close,
           std::initializer_list<Field> fields) {
    Form f;
    f.open = open;
    f.sep = sep;
    f.close = close;
    for (const Field& field : fields) f.fields[f.fieldCount++] = field;
    return f;
}

Form Call(std::initializer_list<Field> fields) {
    return Shape("(", ", ", ");", fields);
}

void AddRun(Form& form, int offset, int count, Kind kind) {
    for (int i = 0; i < count; ++i) {
        form.fields[form.fieldCount++] =
            Field{static_cast<std::uint8_t>(offset + i * WidthOf(kind)), kind, 0};
    }
}

Form WithPresets(Form form, std::initializer_list<Preset> presets) {
    for (const Preset& p : presets) form.presets[form.presetCount++] = p;
    return form;
}

Form WithSpecial(Form form, Special special) {
    form.special = special;
    return form;
}

namespace {

// The blocks of the classic text, the same in both dialects. Compiling
// closes if, while and switch blocks with "}" (08 00), for blocks with 0E 00,
// do blocks with "} while" (12 04 and the condition) and else blocks with the
// pair 00 00; the disassembler's depth follows the steps.
using K = BlockKind;
constexpr std::int8_t Opens(BlockKind k) {
    return static_cast<std::int8_t>(k);
}
const BlockRow kClassicBlocks[] = {
    {0x00, 0, 0, LabelEffect::None, -1, KindBit(K::Else), 0},
    {0x06, 0, 1, LabelEffect::None, Opens(K::If), 0, 0},
    {0x07, -1, 1, LabelEffect::None, Opens(K::Else), 0, 0},
    {0x08, -1, 0, LabelEffect::None, -1,
     static_cast<std::uint8_t>(KindBit(K::If) | KindBit(K::While) | KindBit(K::Switch)), 0},
    {0x0D, 0, 1, LabelEffect::None, Opens(K::For), 0, 0},
    {0x0E, -1, 0, LabelEffect::None, -1, KindBit(K::For), 0},
    {0x0F, 0, 1, LabelEffect::None, Opens(K::While), 0, 0},
    {0x10, -1, 0, LabelEffect::None, -1, 0, 0},
    {0x11, 0, 1, LabelEffect::None, Opens(K::Do), 0, 0},
    {0x12, -1, 0, LabelEffect::None, -1, KindBit(K::Do), 4},
    {0x13, 0, 0, LabelEffect::None, Opens(K::Switch), 0, 0},
    {0x14, 0, 1, LabelEffect::Opens, -1, 0, 0},
    {0x15, 0, 1, LabelEffect::Closes, -1, 0, 0},
    {0x1A, -1, 0, LabelEffect::Closes, -1, 0, 0},
};

// FNV-1a, folded to a slot of Dialect::nameIndex.
std::size_t NameHash(std::string_view word) {
    std::uint32_t h = 2166136261u;
    for (unsigned char c : word) h = (h ^ c) * 16777619u;
    return (h ^ (h >> 16)) % kNameSlots;
}
} // namespace

int SizeFromText(const char* sizeText) {
    auto v = ScanHex(sizeText);
    return v ? *v : 0;
}

Dialect MakeDialect(const char* name, const char* menuName, const OpcodeTable& table,
                    std::initializer_list<FormRange> forms, bool keywordBlocks, BraceRule braces) {
    Dialect d{};
    d.name = name;
    d.menuName = menuName;
    d.table = &table;
    for (auto& f : d.forms) f = &forms::kUnknown;
    for (const FormRange& r : forms)
        for (int op = r.first; op <= r.last; ++op) d.forms[op] = r.form;
    for (int op = 0; op < 256; ++op)
        d.size[op] = static_cast<std::uint8_t>(SizeFromText(table[op].sizeText));
    d.keywordBlocks = keywordBlocks;
    d.braces = braces;
    for (const BlockRow& row : kClassicBlocks) d.blockRows[d.blockRowCount++] = row;
    for (int i = 0; i < d.blockRowCount; ++i) {
        const BlockRow& row = d.blockRows[i];
        d.depthBefore[row.opcode] = row.before;
        d.depthAfter[row.opcode] = row.after;
        d.label[row.opcode] = row.label;
        d.closesKinds[row.opcode] = row.closes;
        if (row.opens >= 0) d.opener[row.opens] = row.opcode;
        for (int k = 0; k < kBlockKinds; ++k) {
            if (row.closes & KindBit(static_cast<BlockKind>(k))) {
                d.closer[k] = row.opcode;
                d.closerOperand[k] = row.closeOperand;
            }
        }
    }
    for (int op = 0; op < 0x90; ++op) {
        const std::string_view rowName = table[op].name;
        std::size_t slot = NameHash(rowName);
        while (d.nameIndex[slot] != 0 && rowName != table[d.nameIndex[slot] - 1].name)
            slot = (slot + 1) % kNameSlots;
        if (d.nameIndex[slot] == 0) d.nameIndex[slot] = static_cast<std::uint8_t>(op + 1);
    }
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

namespace forms {

namespace {
using K = Kind;
constexpr Field F(int offset, Kind kind, std::uint8_t flags = 0) {
    return Field{static_cast<std::uint8_t>(offset), kind, flags};
}
// A form from runs: {offset, count, kind} triples in offset order.
struct Run {
    int offset, count;
    Kind kind;
};
Form Runs(std::initializer_list<Run> runs) {
    Form f = Call({});
    for (const Run& r : runs) AddRun(f, r.offset, r.count, r.kind);
    return f;
}
Form Named(const char* head, Form f) {
    f.head = head;
    return f;
}
Form FromToken(int token, Form f) {
    f.firstToken = static_cast<std::uint8_t>(token);
    return f;
}
} // namespace

const Form kNameOnly = Call({});
const Form kWorkInProgress = Shape("(/* WIP */);", "", "");
const Form kEmpty = Named("", Shape("", "", ""));
const Form kUnknown = WithSpecial(Shape("", "", ""), Special::Unknown);
const Form kHex1 = Call({F(1, K::X8)});
const Form kByte1 = Call({F(1, K::U8)});
const Form kBytes2 = Runs({{1, 2, K::U8}});
const Form kBytes3 = Runs({{1, 3, K::U8}});
const Form kBytes4 = Runs({{1, 4, K::U8}});
const Form kBytes5 = Runs({{1, 5, K::U8}});
const Form kBytes7 = Runs({{1, 7, K::U8}});
const Form kByteWord = Call({F(1, K::U8), F(2, K::S16)});
const Form kBytes3Word = Runs({{1, 3, K::U8}, {4, 1, K::S16}});
const Form kBytes3UWord = Runs({{1, 3, K::U8}, {4, 1, K::U16}});
const Form kByteCoords = Runs({{1, 1, K::U8}, {2, 3, K::S16}});

const Form kNop = WithSpecial(Call({}), Special::Nop);
const Form kReturn = Shape(" ", "", ";", {F(1, K::U8)});
const Form kEvtExec = Call({F(1, K::U8), F(2, K::H16)});
const Form kCondition = WithSpecial(Shape("(", "", ") {"), Special::Condition);
const Form kElse = WithSpecial(Shape(" {", "", ""), Special::Else);
const Form kCloseBrace = WithSpecial(Shape("", "", ""), Special::CloseBrace);
const Form kBrace = Shape("", "", "");
const Form kSleep = WithPresets(Call({F(2, K::U16)}), {{1, 0x0A}});
const Form kSleeping = Call({F(1, K::U16)});
const Form kFor =
    WithSpecial(FromToken(6, WithPresets(Shape("(n = 0; n < ", "", "; n++) {", {F(4, K::U16)}),
                                         {{1, 0}, {2, 0}, {3, 0}})),
                Special::For);
const Form kDo = Shape(" {", "", "");
const Form kSwitch = Shape("(", "", ") {", {F(1, K::U8)});
const Form kCase = Shape(" ", "", ":", {F(4, K::U16)});
const Form kDefault = Shape(":", "", "");
const Form kGoto = Call({F(4, K::Addr16)});
const Form kGosub = Named("goto", Shape(" Sub", "", "();", {F(1, K::Sub8)}));
const Form kReturnSub = Shape(" Sub", "", "();", {F(1, K::Sub8)});
const Form kBreak = Shape("", "", ";");
const Form kCk = Shape("(", ", ", ")", {F(1, K::U8), F(2, K::U8), F(3, K::U8)});
const Form kCmp = Shape("(", " ", ")", {F(2, K::S8), F(3, K::CmpOp), F(4, K::S16)});
const Form kSave = Call({F(1, K::U8), F(2, K::U16)});
// Calc prints its operands around the operator: offset 3, offset 2, offset 4.
const Form kCalc =
    WithPresets(Shape("(", " ", ")", {F(3, K::U8), F(2, K::CalcOp), F(4, K::U16)}), {{1, 0}});
const Form kCalc2 = WithPresets(Call({F(2, K::HexN, kNoScan), F(3, K::HexN, kNoScan)}),
                                {{1, 0}, {2, 0x10}, {3, 0x07}});

const Form kMessageOn = Call({F(1, K::U8), F(2, K::U16), F(4, K::X16)});
const Form kAotSet = Runs({{1, 5, K::U8}, {6, 4, K::S16}, {14, 3, K::U8}});
const Form kAotSet4p = Runs({{1, 5, K::U8}, {6, 8, K::S16}, {22, 3, K::U8}});
const Form kDoorAotSet = Runs({{1, 5, K::U8}, {6, 8, K::S16}, {22, 10, K::U8}});
const Form kItemAotSet =
    Runs({{1, 5, K::U8}, {6, 4, K::S16}, {14, 1, K::H16}, {16, 2, K::U16}, {20, 1, K::H16}});
const Form kAotReset = Runs({{1, 3, K::U8}, {4, 2, K::U16}, {8, 1, K::H16}});
const Form kObjModelSet = Runs({{1, 1, K::X8}, {2, 6, K::U8}, {8, 15, K::S16}});
const Form kObjModelMove = Runs({{1, 5, K::U8}, {6, 1, K::U16}, {8, 7, K::S16}});
const Form kSceEmSet =
    Runs({{1, 2, K::U8}, {3, 1, K::X8}, {4, 5, K::U8}, {9, 1, K::S8}, {10, 6, K::S16}});
const Form kSuperSet = Runs({{1, 3, K::U8}, {4, 6, K::S16}});
const Form kKageSet = Runs({{1, 2, K::U8}, {3, 3, K::X8}, {6, 4, K::S16}});
const Form kSceEsprOn = Runs({{1, 2, K::X8}, {3, 3, K::U8}, {6, 1, K::H16}, {8, 4, K::S16}});
const Form kSceEspr3dOn =
    Runs({{1, 1, K::U8}, {2, 2, K::X8}, {4, 2, K::U8}, {6, 1, K::H16}, {8, 7, K::S16}});
const Form kPlcNeck = Runs({{1, 3, K::U8}, {4, 3, K::S16}});
const Form kMemberCalc = Runs({{1, 1, K::U8}, {2, 2, K::U16}});
const Form kSeOn = Runs({{1, 5, K::U8}, {6, 3, K::S16}});
const Form kScaIdSet = Call({F(1, K::U8), F(2, K::X16)});
const Form kSceBgmtblSet = Runs({{1, 1, K::U8}, {2, 3, K::H16}});
// Member_cmp scans its own text back, "?" included.
const Form kMemberCmp = Shape("(", " ", ")", {F(1, K::S16), F(3, K::CmpOpQ), F(4, K::S16)});

} // namespace forms

} // namespace quillon
