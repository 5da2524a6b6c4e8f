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

// A run of opcodes served by one form.
struct FormRange {
    int first, last;
    const Form* form;
};

// A dialect from its table and its form mapping; opcodes that no range names
// print the unknown-opcode comment.
Dialect MakeDialect(const char* name, const char* menuName, const OpcodeTable& table,
                    std::initializer_list<FormRange> forms, bool keywordBlocks, BraceRule braces);

namespace forms {
// Generic forms.
extern const Form kNameOnly, kWorkInProgress, kEmpty, kUnknown, kHex1, kByte1, kBytes2, kBytes3,
    kBytes4, kBytes5, kBytes7, kByteWord, kBytes3Word, kBytes3UWord, kByteCoords;
// Control flow, events and conditions.
extern const Form kNop, kReturn, kEvtExec, kCondition, kElse, kCloseBrace, kBrace, kSleep,
    kSleeping, kFor, kDo, kSwitch, kCase, kDefault, kGoto, kGosub, kReturnSub, kBreak, kCk, kCmp,
    kSave, kCalc, kCalc2;
// Records with layouts of their own.
extern const Form kMessageOn, kAotSet, kObjModelSet, kSeOn, kScaIdSet, kSceEsprOn, kDoorAotSet,
    kMemberCmp, kPlcNeck, kSceEmSet, kAotReset, kSuperSet, kObjModelMove, kItemAotSet, kSceEspr3dOn,
    kMemberCalc, kSceBgmtblSet, kKageSet, kAotSet4p;
} // namespace forms

} // namespace quillon
