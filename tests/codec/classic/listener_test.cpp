// The compile listener's end-of-source event, which the command-line tool
// needs to see text that no line consumed (a last line without CR).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "codec/classic/diagnostics.h"
#include "codec/classic/engine.h"

using namespace quillon;

namespace {

struct Recorder : CompileListener {
    std::vector<std::string> events;
    std::string seenSource;
    void Report(const Diagnostic& d) override {
        events.push_back("report " + std::to_string(static_cast<int>(d.issue)));
    }
    void LineDone(std::int32_t sb, std::int32_t se, std::int32_t ob, std::int32_t oe) override {
        events.push_back("line " + std::to_string(sb) + " " + std::to_string(se) + " " +
                         std::to_string(ob) + " " + std::to_string(oe));
    }
    void SourceDone(std::string_view source) override {
        events.push_back("done");
        seenSource = std::string(source);
    }
};

TEST(CliListener, SourceDoneComesLastWithTheWholeSource) {
    const std::string source = "int r(void) {\r\nSleep(30);\r\n}\r\nWsleep();";
    ScriptContext ctx(RetailDialect());
    Recorder rec;
    ctx.listener = &rec;
    const std::string bytes = CompileBuffer(ctx, source);
    ASSERT_FALSE(rec.events.empty());
    EXPECT_EQ(rec.events.back(), "done");
    EXPECT_EQ(std::count(rec.events.begin(), rec.events.end(), "done"), 1);
    EXPECT_EQ(rec.seenSource, source);
    // Sleep(30); is the second line: source bytes 15 to 25, output 0 to 4.
    EXPECT_NE(std::find(rec.events.begin(), rec.events.end(), "line 15 25 0 4"), rec.events.end());

    ScriptContext silent(RetailDialect());
    EXPECT_EQ(CompileBuffer(silent, source), bytes);
}

TEST(CliListener, SourceDoneAlsoForAnUnreadableSource) {
    // Lines ending in LF alone never complete: no line is handled at all,
    // and the end-of-source event is the only chance to tell the user.
    const std::string source = "int r(void) {\nSleep(30);\n}\n";
    ScriptContext ctx(RetailDialect());
    Recorder rec;
    ctx.listener = &rec;
    EXPECT_EQ(CompileBuffer(ctx, source), "");
    ASSERT_EQ(rec.events.size(), 1u);
    EXPECT_EQ(rec.events[0], "done");
    EXPECT_EQ(rec.seenSource, source);
}

// A "(" open at a physical line's end joins the next line: the event names
// that line end and the logical line's start, before the line's own events,
// and changes no byte.
TEST(CliListener, AJoinedLineIsReportedAtItsFirstLineEnd) {
    struct Joined : CompileListener {
        std::vector<std::string> events;
        void Report(const Diagnostic& d) override {
            events.push_back(d.issue == Issue::JoinedLine
                                 ? "joined " + std::to_string(d.sourceOffset) + " " +
                                       std::to_string(d.value)
                                 : "report");
        }
    };
    const struct {
        const char* source;
        std::vector<std::string> events;
    } cases[] = {
        {"\r\n\tSave(1,\r\n\r\n2, 3);\r\n", {"joined 10 3", "report"}},
        {"\tSave(1, 2); // (\r\n\r\n\tSleep(30);\r\n", {}},
    };
    for (const auto& c : cases) {
        ScriptContext ctx(RetailDialect());
        Joined rec;
        ctx.listener = &rec;
        const std::string bytes = CompileBuffer(ctx, c.source);
        EXPECT_EQ(rec.events, c.events) << c.source;
        ScriptContext silent(RetailDialect());
        EXPECT_EQ(CompileBuffer(silent, c.source), bytes);
    }
}

} // namespace
