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

LineRead ReadLineInWindow(const LineOptions& options, std::string_view file, bool last,
                          std::int32_t& position, std::string& line,
                          std::vector<std::int32_t>* offsets) {
    if (offsets) offsets->clear();
    const std::int32_t size = static_cast<std::int32_t>(file.size());
    enum { None, ToLineEnd, Block } comment = None;
    bool paren = false;
    std::int32_t pos = position < 0 ? 0 : position;
    // The separator pass is done as the characters are kept: a separator is
    // kept as a blank unless the line is raw.
    const bool separate = !options.rawLine;
    // Kept characters are written at line[kept]; the string grows in steps
    // and is cut to the kept length at the end.
    std::size_t kept = 0;
    auto room = [&](std::size_t n) {
        if (line.size() < kept + n) line.resize(std::max(kept + n, 2 * line.size() + 64));
    };
    auto keep = [&](char c, std::int32_t at) {
        room(1);
        line[kept++] = c;
        if (offsets) offsets->push_back(at);
    };
    bool complete = false;
    for (; pos < size; ++pos) {
        const char c = file[static_cast<size_t>(pos)];
        if (c == '\r') {
            comment = None;
            if (kept == 0 || paren) continue;
            complete = true;
            break;
        }
        if (c == '\n') continue;
        if (comment == ToLineEnd) continue;
        if (comment == Block) {
            if (c == '*' && pos + 1 == size && !last) return LineRead::NeedMore;
            if (c == '*' && pos + 1 < size && file[static_cast<size_t>(pos) + 1] == '/') {
                comment = None;
                ++pos;
            }
            continue;
        }
        switch (kByteClasses.of[static_cast<unsigned char>(c)]) {
        case kOrdinary: {
            std::int32_t end = pos + 1;
            while (end < size &&
                   kByteClasses.of[static_cast<unsigned char>(file[static_cast<size_t>(end)])] ==
                       kOrdinary)
                ++end;
            const std::size_t n = static_cast<std::size_t>(end - pos);
            room(n);
            file.copy(line.data() + kept, n, static_cast<size_t>(pos));
            kept += n;
            if (offsets)
                for (std::int32_t at = pos; at < end; ++at) offsets->push_back(at);
            pos = end - 1;
            break;
        }
        case kOpen:
            paren = true;
            keep(separate ? ' ' : c, pos);
            break;
        case kClose:
            paren = false;
            keep(separate ? ' ' : c, pos);
            break;
        case kSlash: {
            if (pos + 1 == size && !last) return LineRead::NeedMore;
            const char next = pos + 1 < size ? file[static_cast<size_t>(pos) + 1] : '\0';
            if (!options.noSlashComment && next == '/') {
                comment = ToLineEnd;
                ++pos;
            } else if (!options.noSlashComment && next == '*') {
                comment = Block;
                ++pos;
            } else {
                keep(c, pos);
            }
            break;
        }
        case kSemicolon:
            if (options.semicolonComment) comment = ToLineEnd;
            break;
        case kTab:
            if (options.keepTabs) keep(' ', pos);
            break;
        case kComma: keep(separate ? ' ' : c, pos); break;
        case kColon: keep(separate && options.colonBlank ? ' ' : c, pos); break;
        default: break; // CR and LF are handled above
        }
    }
    if (!complete) {
        if (!last) return LineRead::NeedMore;
        position = size;
        line.clear();
        if (offsets) offsets->clear();
        return LineRead::Unfinished;
    }
    position = pos;
    line.resize(kept);
    // The line is a C string: a NUL byte ends it.
    if (size_t nul = line.find('\0'); nul != std::string::npos) {
        line.resize(nul);
        if (offsets) offsets->resize(nul);
    }
    return LineRead::Complete;
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
