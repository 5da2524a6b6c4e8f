#include "source.h"

namespace quillon {

void ReadSourceLine(const LineOptions& options, std::string_view file, std::int32_t& position,
                    std::string& line, std::vector<std::int32_t>* offsets) {
    line.clear();
    if (offsets) offsets->clear();
    const std::int32_t size = static_cast<std::int32_t>(file.size());
    enum { None, ToLineEnd, Block } comment = None;
    bool paren = false;
    std::int32_t pos = position < 0 ? 0 : position;
    auto keep = [&](char c, std::int32_t at) {
        line.push_back(c);
        if (offsets) offsets->push_back(at);
    };
    bool complete = false;
    for (; pos < size; ++pos) {
        const char c = file[static_cast<size_t>(pos)];
        if (c == '\r') {
            comment = None;
            if (line.empty() || paren) continue;
            complete = true;
            break;
        }
        if (c == '\n') continue;
        if (comment == ToLineEnd) continue;
        if (comment == Block) {
            if (c == '*' && pos + 1 < size && file[static_cast<size_t>(pos) + 1] == '/') {
                comment = None;
                ++pos;
            }
            continue;
        }
        switch (c) {
        case '(':
            paren = true;
            keep(c, pos);
            break;
        case ')':
            paren = false;
            keep(c, pos);
            break;
        case '/': {
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
        case ';':
            if (options.semicolonComment) comment = ToLineEnd;
            break;
        case '\t':
            if (options.keepTabs) keep(' ', pos);
            break;
        default: keep(c, pos); break;
        }
    }
    if (!complete) {
        position = size;
        line.clear();
        if (offsets) offsets->clear();
        return;
    }
    position = pos;
    // The line is a C string: a NUL byte ends it.
    if (size_t nul = line.find('\0'); nul != std::string::npos) {
        line.resize(nul);
        if (offsets) offsets->resize(nul);
    }
    if (!options.rawLine) {
        for (char& c : line) {
            if (c == '\t' || c == '(' || c == ')' || c == ',' || c == ';' ||
                (c == ':' && options.colonBlank))
                c = ' ';
        }
    }
}

std::string ReadSourceLine(const LineOptions& options, std::string_view file,
                           std::int32_t& position) {
    std::string line;
    ReadSourceLine(options, file, position, line);
    return line;
}

void SplitTokens(std::string_view line, std::vector<std::string_view>& tokens) {
    tokens.clear();
    size_t i = 0;
    const size_t n = line.size();
    while (i < n) {
        while (i < n && (line[i] == ' ' || line[i] == '\t')) ++i;
        if (i == n) break;
        size_t start = i;
        while (i < n && line[i] != ' ' && line[i] != '\t') ++i;
        tokens.push_back(line.substr(start, i - start));
    }
}

} // namespace quillon
