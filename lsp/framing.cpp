#include "lsp/framing.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

namespace quillon::lsp {

namespace {

constexpr std::string_view kLengthField = "Content-Length:";
constexpr std::size_t kHeaderLine = 1024; // longer header lines are refused

bool SameLetters(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// A decimal length, at most `limit` + 1 (anything larger reads as that).
bool ParseLength(std::string_view text, std::uint64_t& n) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    if (text.empty() || text.size() > 19) return false;
    n = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        n = n * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return true;
}

} // namespace

std::string Frame(std::string_view body) {
    std::string out = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
    out += body;
    return out;
}

MessageReader::MessageReader(Pull pull, std::size_t limit)
    : pull_(std::move(pull)), limit_(limit) {}

bool MessageReader::Fill() {
    if (at_ < buffer_.size()) return true;
    buffer_.resize(64 * 1024);
    at_ = 0;
    const std::size_t got = pull_(buffer_.data(), buffer_.size());
    buffer_.resize(got);
    return got > 0;
}

bool MessageReader::HeaderLine(std::string& line, bool& tooLong) {
    line.clear();
    tooLong = false;
    for (;;) {
        if (!Fill()) return false;
        const char c = buffer_[at_++];
        if (c == '\n') {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            return true;
        }
        if (line.size() < kHeaderLine)
            line += c;
        else
            tooLong = true;
    }
}

bool MessageReader::Resync() {
    std::size_t matched = 0;
    while (Fill()) {
        const char c = buffer_[at_++];
        matched = c == kLengthField[matched] ? matched + 1 : (c == kLengthField[0] ? 1 : 0);
        if (matched == kLengthField.size()) {
            // Put the field's name back in front of what follows it.
            buffer_.replace(0, at_, kLengthField);
            at_ = 0;
            return true;
        }
    }
    return false;
}

MessageReader::Status MessageReader::Next(std::string& body, std::string& why) {
    body.clear();
    if (lost_) {
        lost_ = false;
        if (!Resync()) return Status::End;
    }
    std::uint64_t length = 0;
    bool haveLength = false, bad = false, any = false;
    std::string line;
    for (;;) {
        bool tooLong = false;
        if (!HeaderLine(line, tooLong)) return Status::End;
        if (line.empty()) {
            if (!any) continue; // blank lines between messages
            break;
        }
        any = true;
        const std::size_t colon = line.find(':');
        if (tooLong || colon == std::string::npos) {
            why = "a header line that is no \"Name: value\" field";
            bad = true;
            continue;
        }
        if (!SameLetters(std::string_view(line).substr(0, colon), "Content-Length")) continue;
        if (!ParseLength(std::string_view(line).substr(colon + 1), length)) {
            why = "Content-Length is no number of bytes";
            bad = true;
            continue;
        }
        haveLength = true;
    }
    if (!bad && !haveLength) {
        why = "a message without Content-Length";
        bad = true;
    }
    if (bad) {
        lost_ = true;
        return Status::Error;
    }
    const bool tooLarge = length > limit_;
    if (!tooLarge) body.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(length, 1 << 20)));
    for (std::uint64_t left = length; left > 0;) {
        if (!Fill()) return Status::End;
        const std::size_t take =
            static_cast<std::size_t>(std::min<std::uint64_t>(left, buffer_.size() - at_));
        if (!tooLarge) body.append(buffer_, at_, take);
        at_ += take;
        left -= take;
    }
    if (tooLarge) {
        body.clear();
        why = "a message of " + std::to_string(length) + " bytes (at most " +
              std::to_string(limit_) + ")";
        return Status::Error;
    }
    return Status::Message;
}

} // namespace quillon::lsp
