// SYNTAX TEST "source.quillon-exact" "the lines of an exact text"
// quillon exact
// <---------------- comment.line.double-slash.quillon-exact
#include <bio2.h>
// <-------- keyword.control.directive.include.quillon-exact
//       ^^^^^^^^ string.quoted.other.header.quillon-exact
#include "flags.h"
//       ^^^^^^^^^ string.quoted.other.header.quillon-exact
#define MET_CLAIRE FG_SCENARIO, 18
// <------- keyword.control.directive.define.quillon-exact
//      ^^^^^^^^^^ entity.name.constant.quillon-exact
//                 ^^^^^^^^^^^ constant.other.flag.quillon-exact
//                              ^^ constant.numeric.decimal.quillon-exact
int Sub01(void) {
// <--- storage.type.quillon-exact
//  ^^^^^ entity.name.function.quillon-exact
//        ^^^^ storage.type.quillon-exact
    if(Ck(FG_STATUS, 24, 0)) {
//  ^^ keyword.control.quillon-exact
//     ^^ entity.name.function.quillon-exact
//        ^^^^^^^^^ constant.other.flag.quillon-exact
//                   ^^ constant.numeric.decimal.quillon-exact
        Message_on(0, ID_MSG_12, 0x00FF); /* shown once */
//      ^^^^^^^^^^ entity.name.function.quillon-exact
//                    ^^^^^^^^^ constant.other.quillon-exact
//                               ^^^^^^ constant.numeric.hex.quillon-exact
//                                        ^^^^^^^^^^^^^^^^ comment.block.quillon-exact
        Set(FG_USE, ITEM_KNIFE, 1);
//                  ^^^^^^^^^^ constant.other.item.quillon-exact
    }
L1:
// <-- entity.name.label.quillon-exact
    goto L1;
//  ^^^^ keyword.control.quillon-exact
//       ^^ entity.name.label.quillon-exact
    Se_on(4, 1, 0, 0, 0, 100, 0, -200);
//                               ^^^^ constant.numeric.decimal.quillon-exact
    Calc(0, 2, ~>>, 1);
//             ^^^ keyword.operator.quillon-exact
    return 0;
//  ^^^^^^ keyword.control.quillon-exact
}
