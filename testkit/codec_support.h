// Helpers shared by the codec tests: byte strings written as hex, the
// disassembly's header and body, and capturing the message routines.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "codec/base/text.h"
#include "codec/classic/engine.h"

namespace codec_test {

// "01 05" to the two bytes 0x01 0x05.
inline std::string H(std::string_view hex) {
    std::string out;
    for (size_t i = 0; i < hex.size();) {
        if (hex[i] == ' ') {
            ++i;
            continue;
        }
        out.push_back(static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
        i += 2;
    }
    return out;
}

// The bytes as "01 05".
inline std::string Hex(std::string_view bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (!out.empty()) out += ' ';
        out += quillon::FormatText("%02X", c);
    }
    return out;
}

inline std::string Bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s.push_back(static_cast<char>(v));
    return s;
}

inline std::string Repeat(const std::string& s, size_t n) {
    std::string out;
    out.reserve(s.size() * n);
    for (size_t i = 0; i < n; ++i) out += s;
    return out;
}

inline std::string Header(const std::string& title) {
    return "int " + title + "(void) {\r\n\r\n";
}

inline const std::string kHeader = Header("t");

// The lines of a disassembly between header and closing brace.
inline std::string Body(quillon::ScriptContext& ctx, std::string_view bytes) {
    const std::string text = quillon::DisassembleBuffer(ctx, bytes, "t");
    EXPECT_EQ(text.substr(0, kHeader.size()), kHeader);
    return text.substr(kHeader.size(), text.size() - kHeader.size() - 1);
}

// Captures what the message routines show for the length of a test.
class MessageCapture {
  public:
    struct Shown {
        std::string caption, text;
    };
    MessageCapture() : previous_(quillon::SetMessageSink(Capture)) { Log().clear(); }
    ~MessageCapture() { quillon::SetMessageSink(previous_); }
    const std::vector<Shown>& shown() const { return Log(); }
    void Clear() { Log().clear(); }

  private:
    static std::vector<Shown>& Log() {
        static std::vector<Shown> log;
        return log;
    }
    static void Capture(const char* caption, const char* text) { Log().push_back({caption, text}); }
    quillon::MessageSink previous_;
};

} // namespace codec_test
