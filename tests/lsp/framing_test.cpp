// The protocol's framing: messages read back as they were sent, and bad
// headers and bodies refused without losing the messages after them.
#include <gtest/gtest.h>

#include "testkit/lsp_client.h"

using namespace quillon_test;

namespace {

TEST(LspFraming, MessagesAfterABadOneAreReadAsSent) {
    const std::string good = quillon::lsp::Frame(R"({"a":1})");
    struct Case {
        const char* what;
        std::string bytes;
        std::string error; // what the reader says of the bad message
    };
    const Case cases[] = {
        {"no length", "Content-Type: x\r\n\r\n{}", "a message without Content-Length"},
        {"a length that is no number", "Content-Length: 1x\r\n\r\n{}",
         "Content-Length is no number of bytes"},
        {"a negative length", "Content-Length: -2\r\n\r\n{}",
         "Content-Length is no number of bytes"},
        {"a length past 64 bits", "Content-Length: 99999999999999999999999\r\n\r\n{}",
         "Content-Length is no number of bytes"},
        {"a header that is no field", "Content-Length: 2\r\nnonsense\r\n\r\n{}",
         "a header line that is no \"Name: value\" field"},
        {"a body past the limit", "Content-Length: 300\r\n\r\n" + std::string(300, 'x'),
         "a message of 300 bytes (at most 256)"},
    };
    for (const Case& c : cases) {
        const std::string bytes = good + c.bytes + good;
        std::size_t at = 0;
        quillon::lsp::MessageReader reader(
            [&](char* into, std::size_t room) {
                const std::size_t n = std::min<std::size_t>({room, bytes.size() - at, 7});
                bytes.copy(into, n, at);
                at += n;
                return n;
            },
            256);
        std::string body, why;
        using S = quillon::lsp::MessageReader::Status;
        ASSERT_EQ(reader.Next(body, why), S::Message) << c.what;
        EXPECT_EQ(body, R"({"a":1})");
        ASSERT_EQ(reader.Next(body, why), S::Error) << c.what;
        EXPECT_EQ(why, c.error) << c.what;
        ASSERT_EQ(reader.Next(body, why), S::Message) << c.what;
        EXPECT_EQ(body, R"({"a":1})") << c.what;
        EXPECT_EQ(reader.Next(body, why), S::End) << c.what;
    }
}

TEST(LspFraming, LowerCaseFieldsBlankLinesAndATruncatedBody) {
    const auto messages = ReadFramed("\r\ncontent-length: 2\r\nContent-Type: utf-8\r\n\r\n{}"
                                     "Content-Length: 10\r\n\r\n{}");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], Json::object());
}

} // namespace
