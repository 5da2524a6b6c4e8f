#include "codec/isa/forms.h"

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

// Exact mode's forms. The classic lines leave these bytes out: they are
// appended after the classic arguments. Comparison operators scan back
// whole, "?" included.
namespace {
Form Appending(Form f, int offset, int count) {
    for (int i = 0; i < count; ++i) f.fields[f.fieldCount++] = F(offset + i, K::U8, kAppended);
    return f;
}
// The goto's target is a label, printed by the exact printer before these.
Form GotoTail() {
    Form f = Shape("", ", ", ");", {F(1, K::U8), F(2, K::U8), F(3, K::U8)});
    f.head = "";
    f.firstToken = 2;
    return f;
}
} // namespace

const Form kExactNop = Call({});
const Form kExactSleep = Appending(Call({F(2, K::U16)}), 1, 1);
const Form kExactGoto = GotoTail();
const Form kExactCmp =
    Appending(Shape("(", " ", ")", {F(2, K::S8), F(3, K::CmpOpQ), F(4, K::S16)}), 1, 1);
const Form kExactCalc =
    Appending(Shape("(", " ", ")", {F(3, K::U8), F(2, K::CalcOp), F(4, K::U16)}), 1, 1);
const Form kExactCalc2 = Appending(Call({F(2, K::HexN), F(3, K::HexN)}), 1, 1);
const Form kExactAotSet = Appending(kAotSet, 17, 3);
const Form kExactAotSet4p = Appending(kAotSet4p, 25, 3);
// Instructions whose layout is not known show every byte after the opcode.
const Form kEveryByte = Call({});

const Form kExactEvtExec = Runs({{1, 3, K::U8}});
// "Sub03();": the procedure's name is the whole call.
const Form kExactGosub = Named("", Shape("", "", "();", {F(1, K::Sub8)}));
const Form kExactMemberCmp =
    Appending(Shape("(", " ", ")", {F(2, K::U8), F(3, K::CmpOpQ), F(4, K::S16)}), 1, 1);
const Form kExactAotReset = Runs({{1, 3, K::U8}, {4, 1, K::U16}, {6, 2, K::U8}, {8, 1, K::H16}});
const Form kExactItemAotSet =
    Runs({{1, 5, K::U8}, {6, 4, K::S16}, {14, 1, K::H16}, {16, 2, K::U16}, {20, 2, K::U8}});
const Form kExactDoorAotSet4p = Runs({{1, 5, K::U8}, {6, 12, K::S16}, {30, 10, K::U8}});
const Form kExactItemAotSet4p =
    Runs({{1, 5, K::U8}, {6, 8, K::S16}, {22, 1, K::H16}, {24, 2, K::U16}, {28, 2, K::U8}});

Form EveryByte(int size) {
    Form f = Call({});
    AddRun(f, 1, size - 1, K::U8);
    return f;
}

// The blocks of the classic text, the same in both dialects. Compiling
// closes if, while and switch blocks with "}" (08 00), for blocks with 0E 00,
// do blocks with "} while" (12 04 and the condition) and else blocks with the
// pair 00 00; the disassembler's depth follows the steps. In exact mode an
// instruction that opens, closes or labels a block has its line only when
// offset 1 holds 0 (but while, "} while" and switch), and its length counts
// from its end to the end of the closing instruction (but the else block's,
// from its start, and the case's, to the next label).
namespace {
using B = BlockKind;
using exact::Block;
using exact::From;
using exact::Role;
using exact::To;
constexpr std::int8_t Opens(BlockKind k) {
    return static_cast<std::int8_t>(k);
}
constexpr exact::Row Exact(Role role, Block block, int lengthAt, bool zeroAt1,
                           From from = From::End, To to = To::CloserEnd) {
    exact::Row row;
    row.role = role;
    row.block = block;
    row.lengthAt = static_cast<std::uint8_t>(lengthAt);
    row.from = from;
    row.to = to;
    if (zeroAt1) row.fixed[row.fixedCount++] = {1, 0};
    return row;
}
// A condition instruction follows; its size at `conditionAt`, if anywhere.
constexpr exact::Row WithCondition(exact::Row row, int conditionAt) {
    row.condition = true;
    row.conditionAt = static_cast<std::uint8_t>(conditionAt);
    return row;
}
} // namespace

const BlockFacts kClosesElse = {0, 0, CaseEffect::None, -1, KindBit(B::Else), 0};
const BlockFacts kOpensIf = {0,
                             1,
                             CaseEffect::None,
                             Opens(B::If),
                             0,
                             0,
                             WithCondition(Exact(Role::Open, Block::If, 2, true), 0)};
const BlockFacts kOpensElse = {-1,
                               1,
                               CaseEffect::None,
                               Opens(B::Else),
                               0,
                               0,
                               Exact(Role::Else, Block::Else, 2, true, From::Start)};
const BlockFacts kClosesIf = {
    -1,
    0,
    CaseEffect::None,
    -1,
    static_cast<std::uint8_t>(KindBit(B::If) | KindBit(B::While) | KindBit(B::Switch)),
    0,
    Exact(Role::Close, Block::If, 0, true)};
const BlockFacts kOpensFor = {
    0, 1, CaseEffect::None, Opens(B::For), 0, 0, Exact(Role::Open, Block::For, 2, true)};
const BlockFacts kClosesFor = {
    -1, 0, CaseEffect::None, -1, KindBit(B::For), 0, Exact(Role::Close, Block::For, 0, true)};
const BlockFacts kOpensWhile = {0,
                                1,
                                CaseEffect::None,
                                Opens(B::While),
                                0,
                                0,
                                WithCondition(Exact(Role::Open, Block::While, 2, false), 1)};
const BlockFacts kClosesWhile = {
    -1, 0, CaseEffect::None, -1, 0, 0, Exact(Role::Close, Block::While, 0, true)};
const BlockFacts kOpensDo = {
    0, 1, CaseEffect::None, Opens(B::Do), 0, 0, Exact(Role::Open, Block::Do, 2, true)};
const BlockFacts kClosesDo = {-1,
                              0,
                              CaseEffect::None,
                              -1,
                              KindBit(B::Do),
                              4,
                              WithCondition(Exact(Role::Close, Block::Do, 0, false), 1)};
const BlockFacts kOpensSwitch = {
    0, 0, CaseEffect::None, Opens(B::Switch), 0, 0, Exact(Role::Open, Block::Switch, 2, false)};
const BlockFacts kCaseFacts = {
    0,
    1,
    CaseEffect::Opens,
    -1,
    0,
    0,
    Exact(Role::CaseOrDefault, Block::Case, 2, true, From::End, To::NextCase)};
const BlockFacts kDefaultFacts = {
    0, 1, CaseEffect::Closes, -1, 0, 0, Exact(Role::CaseOrDefault, Block::Default, 0, true)};
const BlockFacts kClosesSwitch = {
    0, 0, CaseEffect::None, -1, 0, 0, Exact(Role::Close, Block::Switch, 0, true)};
const BlockFacts kJump = {
    0, 0, CaseEffect::None, -1, 0, 0, Exact(Role::Jump, Block::None, 4, false, From::Start)};
// break: its line only when offset 1 holds 0.
const BlockFacts kBreaks = {
    -1, 0, CaseEffect::Closes, -1, 0, 0, Exact(Role::Plain, Block::None, 0, true)};
// A row that shares its name with a lower opcode has no line of its own in
// exact mode.
const BlockFacts kNoLine = {
    0, 0, CaseEffect::None, -1, 0, 0, Exact(Role::Raw, Block::None, 0, false)};

} // namespace forms

} // namespace quillon
