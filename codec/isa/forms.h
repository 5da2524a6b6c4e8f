// Building instruction forms, and the forms that both dialects share.
#pragma once

#include <initializer_list>

#include "codec/isa/opcodes.h"

namespace quillon {

// A call-like form "name(a, b, c);" with the given fields.
Form Call(std::initializer_list<Field> fields);
// The same fields with other punctuation.
Form Shape(const char* open, const char* sep, const char* close,
           std::initializer_list<Field> fields = {});
// Runs of fields: `count` fields of `kind` from `offset` on.
void AddRun(Form& form, int offset, int count, Kind kind);
Form WithPresets(Form form, std::initializer_list<Preset> presets);
Form WithSpecial(Form form, Special special);

// A dialect from its table: its sizes, forms, name index and blocks.
Dialect MakeDialect(const char* name, const char* menuName, const OpcodeTable& table,
                    bool keywordBlocks, BraceRule braces);

namespace forms {
// Generic forms.
extern const Form kNameOnly, kWorkInProgress, kEmpty, kUnknown, kHex1, kByte1, kBytes2, kBytes3,
    kBytes4, kBytes5, kBytes7, kByteWord, kBytes3Word, kBytes3UWord, kByteCoords;
// Control flow, events and conditions.
extern const Form kNop, kReturn, kEvtExec, kCondition, kElse, kCloseBrace, kBrace, kSleep,
    kSleeping, kFor, kDo, kSwitch, kCase, kDefault, kGoto, kGosub, kReturnSub, kBreak, kCk, kCmp,
    kSave, kCalc, kCalc2;
// Instructions with layouts of their own.
extern const Form kMessageOn, kAotSet, kObjModelSet, kSeOn, kScaIdSet, kSceEsprOn, kDoorAotSet,
    kMemberCmp, kPlcNeck, kSceEmSet, kAotReset, kSuperSet, kObjModelMove, kItemAotSet, kSceEspr3dOn,
    kMemberCalc, kSceBgmtblSet, kKageSet, kAotSet4p;
// Exact mode's forms (retail) where they differ from the classic ones: the
// bytes that the classic line leaves out are appended, and kEveryByte stands
// for a form that shows every byte after the opcode.
extern const Form kExactNop, kExactSleep, kExactGoto, kExactCmp, kExactCalc, kExactCalc2,
    kExactAotSet, kExactAotSet4p, kEveryByte;
// Exact mode's forms that split a field of the earlier exact form, so that
// each byte with a meaning is an argument of its own; the Gosub as a call.
extern const Form kExactEvtExec, kExactGosub, kExactMemberCmp, kExactAotReset, kExactItemAotSet,
    kExactDoorAotSet4p, kExactItemAotSet4p;
// A form of every byte after the opcode of an instruction of `size` bytes.
Form EveryByte(int size);

// The block facts of the opcodes that open, close or label blocks, or jump.
extern const BlockFacts kClosesElse, kOpensIf, kOpensElse, kClosesIf, kOpensFor, kClosesFor,
    kOpensWhile, kClosesWhile, kOpensDo, kClosesDo, kOpensSwitch, kCaseFacts, kDefaultFacts,
    kClosesSwitch, kJump, kBreaks, kNoLine;
} // namespace forms

} // namespace quillon
