// The prototype dialect ("Rer1.5"): a second configuration of the same
// engine. Most opcodes use the retail forms; a shortened record uses its retail
// form, which the engine cuts at the instruction's size.
#include "codec/isa/forms.h"

namespace quillon {

namespace prototype {
extern const OpcodeTable kOpcodeTable;
}

namespace {

using namespace forms;
using K = Kind;

// Evt_exec prints its 16-bit field with four hex digits.
const Form kProtoEvtExec = Call({{1, K::U8, 0}, {2, K::X16, 0}});
// Calc2 has Calc's text and operator coding. Its third value lies past the
// four bytes of the instruction: it is printed from the buffer and scanned
// into the buffer, never written to the file. Offset 1 is left as it is.
const Form kProtoCalc2 =
    Shape("(", " ", ")", {{3, K::U8, 0}, {2, K::CalcOp, 0}, {4, K::U16, kLoose}});

} // namespace

const Dialect& PrototypeDialect() {
    static const Dialect d = MakeDialect(
        "prototype", "Rer1.5", prototype::kOpcodeTable,
        {
            {0x00, 0x00, &kNop},        {0x01, 0x01, &kReturn},       {0x02, 0x02, &kNameOnly},
            {0x03, 0x03, &kBytes3},     {0x04, 0x04, &kProtoEvtExec}, {0x05, 0x05, &kByte1},
            {0x06, 0x06, &kCondition},  {0x07, 0x07, &kElse},         {0x08, 0x08, &kCloseBrace},
            {0x09, 0x09, &kSleep},      {0x0A, 0x0A, &kSleeping},     {0x0B, 0x0C, &kNameOnly},
            {0x0D, 0x0D, &kFor},        {0x0E, 0x0E, &kBrace},        {0x0F, 0x0F, &kCondition},
            {0x10, 0x10, &kBrace},      {0x11, 0x11, &kDo},           {0x12, 0x12, &kCondition},
            {0x13, 0x13, &kSwitch},     {0x14, 0x14, &kCase},         {0x15, 0x15, &kDefault},
            {0x16, 0x16, &kBrace},      {0x17, 0x17, &kGoto},         {0x18, 0x18, &kGosub},
            {0x19, 0x19, &kReturnSub},  {0x1A, 0x1A, &kBreak},        {0x1B, 0x1B, &kFor},
            {0x1C, 0x1C, &kBreak},      {0x1D, 0x20, &kEmpty},        {0x21, 0x21, &kCk},
            {0x22, 0x22, &kBytes3},     {0x23, 0x23, &kCmp},          {0x24, 0x24, &kSave},
            {0x25, 0x25, &kBytes2},     {0x26, 0x26, &kCalc},         {0x27, 0x27, &kProtoCalc2},
            {0x28, 0x28, &kNameOnly},   {0x29, 0x29, &kHex1},         {0x2A, 0x2A, &kNameOnly},
            {0x2B, 0x2B, &kMessageOn},  {0x2C, 0x2C, &kAotSet},       {0x2D, 0x2D, &kObjModelSet},
            {0x2E, 0x2E, &kBytes2},     {0x2F, 0x2F, &kByteWord},     {0x30, 0x31, &kNameOnly},
            {0x32, 0x33, &kByteCoords}, {0x34, 0x34, &kByteWord},     {0x35, 0x35, &kBytes2},
            {0x36, 0x36, &kSeOn},       {0x37, 0x37, &kScaIdSet},     {0x38, 0x38, &kBytes2},
            {0x39, 0x39, &kByteCoords}, {0x3A, 0x3A, &kSceEsprOn},    {0x3B, 0x3B, &kDoorAotSet},
            {0x3C, 0x3C, &kByte1},      {0x3D, 0x3D, &kBytes2},       {0x3E, 0x3E, &kMemberCmp},
            {0x3F, 0x3F, &kBytes3},     {0x40, 0x40, &kByteCoords},   {0x41, 0x41, &kPlcNeck},
            {0x42, 0x42, &kNameOnly},   {0x43, 0x43, &kBytes3},       {0x44, 0x44, &kSceEmSet},
            {0x45, 0x45, &kBytes4},     {0x46, 0x46, &kAotReset},     {0x47, 0x47, &kByte1},
            {0x48, 0x48, &kSuperSet},   {0x49, 0x49, &kBytes7},       {0x4A, 0x4A, &kByte1},
            {0x4B, 0x4B, &kBytes2},     {0x4E, 0x4E, &kBytes4},       {0x4F, 0x4F, &kObjModelMove},
            {0x50, 0x50, &kItemAotSet}, {0x51, 0x52, &kByteWord},     {0x53, 0x55, &kBytes5},
            {0x56, 0x56, &kMemberCalc}, {0x57, 0x57, &kBytes3},
        },
        false, BraceRule::ForDepth);
    return d;
}

} // namespace quillon
