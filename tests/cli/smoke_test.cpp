#include <gtest/gtest.h>

#include "codec/classic/engine.h"

using namespace quillon;

TEST(Smoke, IfElseRoundTrip) {
    ScriptContext ctx(RetailDialect());
    std::string src = "if(Ck(1, 2, 3)) {\r\nEvt_next();\r\n} else {\r\nWsleep();\r\n}\r\n";
    std::string bytes = CompileBuffer(ctx, src);
    EXPECT_EQ(bytes,
              std::string("\x06\x00\x00\x00\x21\x01\x02\x03\x02\x07\x00\x00\x00\x0B\x00\x00", 16));
    ScriptContext d(RetailDialect());
    std::string text = DisassembleBuffer(d, bytes, "room");
    EXPECT_EQ(text, "int room(void) {\r\n\r\n\tif(Ck(1, 2, 3)) {\r\n\t\tEvt_next();\r\n\t} else "
                    "{\r\n\t\tWsleep();\r\n\t}\r\n}");
}
