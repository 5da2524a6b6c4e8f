// The line reader: logical lines of any source, comments and separators.
#include "codec/classic/source.h"

#include <algorithm>

namespace quillon {

namespace {

// What ReadSourceLine does with a byte outside comments. Ordinary bytes are
// kept as they are and copied in runs.
enum ByteClass : std::uint8_t {
    kOrdinary,
    kCarriageReturn,
    kLineFeed,
    kOpen,
    kClose,
    kSlash,
    kSemicolon,
    kTab,
    kComma, // kept; a blank after the separator pass
    kColon, // kept; a blank after the separator pass when colonBlank is set
};

struct ByteClasses {
    ByteClass of[256] = {};
    constexpr ByteClasses() {
        of[static_cast<unsigned char>('\r')] = kCarriageReturn;
        of[static_cast<unsigned char>('\n')] = kLineFeed;
        of[static_cast<unsigned char>('(')] = kOpen;
        of[static_cast<unsigned char>(')')] = kClose;
        of[static_cast<unsigned char>('/')] = kSlash;
        of[static_cast<unsigned char>(';')] = kSemicolon;
        of[static_cast<unsigned char>('\t')] = kTab;
        of[static_cast<unsigned char>(',')] = kComma;
        of[static_cast<unsigned char>(':')] = kColon;
    }
};
constexpr ByteClasses kByteClasses;

} // namespace

namespace {

// One logical line read from a window: the characters kept (with their
// offsets when asked), the comment and parenthesis it is in.
class WindowLine {
  public:
    WindowLine(const LineOptions& options, std::string_view file, bool last, std::string& line,
               std::vector<std::int32_t>* offsets)
        : options_(options), file_(file), size_(static_cast<std::int32_t>(file.size())),
          last_(last), separate_(!options.rawLine), line_(line), offsets_(offsets) {}

    LineRead Read(std::int32_t& position) {
        if (offsets_) offsets_->clear();
        std::int32_t pos = position < 0 ? 0 : position;
        bool complete = false;
        for (; pos < size_; ++pos) {
            const char c = file_[static_cast<size_t>(pos)];
            if (c == '\r') {
                comment_ = None;
                if (kept_ == 0 || paren_) continue;
                complete = true;
                break;
            }
            if (c == '\n' || comment_ == ToLineEnd) continue;
            if (comment_ == Block) {
                if (!BlockComment(pos)) return LineRead::NeedMore;
                continue;
            }
            if (!Character(c, pos)) return LineRead::NeedMore;
        }
        return complete ? Complete(position, pos) : Unfinished(position);
    }

  private:
    enum Comment { None, ToLineEnd, Block };

    // Kept characters are written at line[kept]; the string grows in steps
    // and is cut to the kept length at the end.
    void Room(std::size_t n) {
        if (line_.size() < kept_ + n) line_.resize(std::max(kept_ + n, 2 * line_.size() + 64));
    }
    void Keep(char c, std::int32_t at) {
        Room(1);
        line_[kept_++] = c;
        if (offsets_) offsets_->push_back(at);
    }
    // A run of ordinary characters from `pos` on, kept whole; `pos` ends on
    // its last.
    void KeepRun(std::int32_t& pos) {
        std::int32_t end = pos + 1;
        while (end < size_ &&
               kByteClasses.of[static_cast<unsigned char>(file_[static_cast<size_t>(end)])] ==
                   kOrdinary)
            ++end;
        const std::size_t n = static_cast<std::size_t>(end - pos);
        Room(n);
        file_.copy(line_.data() + kept_, n, static_cast<size_t>(pos));
        kept_ += n;
        if (offsets_)
            for (std::int32_t at = pos; at < end; ++at) offsets_->push_back(at);
        pos = end - 1;
    }
    // Inside a block comment: false when its "*/" may be cut by the window.
    bool BlockComment(std::int32_t& pos) {
        const char c = file_[static_cast<size_t>(pos)];
        if (c == '*' && pos + 1 == size_ && !last_) return false;
        if (c == '*' && pos + 1 < size_ && file_[static_cast<size_t>(pos) + 1] == '/') {
            comment_ = None;
            ++pos;
        }
        return true;
    }
    // A "/": a comment's start or a kept character; false when the window
    // ends before the character that tells.
    bool Slash(std::int32_t& pos) {
        if (pos + 1 == size_ && !last_) return false;
        const char next = pos + 1 < size_ ? file_[static_cast<size_t>(pos) + 1] : '\0';
        if (!options_.noSlashComment && (next == '/' || next == '*')) {
            comment_ = next == '/' ? ToLineEnd : Block;
            ++pos;
        } else {
            Keep('/', pos);
        }
        return true;
    }
    // A character outside comments, by its class; the separator pass is done
    // as the characters are kept: a separator is kept as a blank unless the
    // line is raw.
    bool Character(char c, std::int32_t& pos) {
        switch (kByteClasses.of[static_cast<unsigned char>(c)]) {
        case kOrdinary: KeepRun(pos); break;
        case kOpen:
        case kClose:
            paren_ = kByteClasses.of[static_cast<unsigned char>(c)] == kOpen;
            Keep(separate_ ? ' ' : c, pos);
            break;
        case kSlash: return Slash(pos);
        case kSemicolon:
            if (options_.semicolonComment) comment_ = ToLineEnd;
            break;
        case kTab:
            if (options_.keepTabs) Keep(' ', pos);
            break;
        case kComma: Keep(separate_ ? ' ' : c, pos); break;
        case kColon: Keep(separate_ && options_.colonBlank ? ' ' : c, pos); break;
        default: break; // CR and LF are handled by the caller
        }
        return true;
    }
    LineRead Unfinished(std::int32_t& position) {
        if (!last_) return LineRead::NeedMore;
        position = size_;
        line_.clear();
        if (offsets_) offsets_->clear();
        return LineRead::Unfinished;
    }
    LineRead Complete(std::int32_t& position, std::int32_t pos) {
        position = pos;
        line_.resize(kept_);
        // The line is a C string: a NUL byte ends it.
        if (size_t nul = line_.find('\0'); nul != std::string::npos) {
            line_.resize(nul);
            if (offsets_) offsets_->resize(nul);
        }
        return LineRead::Complete;
    }

    const LineOptions& options_;
    const std::string_view file_;
    const std::int32_t size_;
    const bool last_, separate_;
    std::string& line_;
    std::vector<std::int32_t>* offsets_;
    std::size_t kept_ = 0;
    Comment comment_ = None;
    bool paren_ = false;
};

} // namespace

LineRead ReadLineInWindow(const LineOptions& options, std::string_view file, bool last,
                          std::int32_t& position, std::string& line,
                          std::vector<std::int32_t>* offsets) {
    return WindowLine(options, file, last, line, offsets).Read(position);
}

void ReadSourceLine(const LineOptions& options, std::string_view file, std::int32_t& position,
                    std::string& line, std::vector<std::int32_t>* offsets) {
    ReadLineInWindow(options, file, true, position, line, offsets);
}

std::string ReadSourceLine(const LineOptions& options, std::string_view file,
                           std::int32_t& position) {
    std::string line;
    ReadSourceLine(options, file, position, line);
    return line;
}

} // namespace quillon
