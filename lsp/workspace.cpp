#include "lsp/workspace.h"

#include "lsp/uri.h"

namespace quillon::lsp {

Json ToJson(const Position& p) {
    return {{"line", p.line}, {"character", p.character}};
}

Json ToJson(const Range& r) {
    return {{"start", ToJson(r.start)}, {"end", ToJson(r.end)}};
}

std::string Workspace::UriOf(const OpenDocument& d, std::uint32_t source) const {
    if (source == 0 || !d.model || source >= d.model->sources.size()) return d.uri;
    return UriOfPath(d.model->sources[source].key);
}

Json Workspace::RangeOf(const OpenDocument& d, const exact::Span& span) const {
    const Document* text = &d.text;
    if (span.source != 0 && d.model && span.source < d.model->sources.size())
        text = &d.model->sources[span.source].text;
    const int line = span.line - 1;
    const auto column = static_cast<std::size_t>(span.column > 0 ? span.column - 1 : 0);
    return ToJson(Range{text->At(line, column),
                        text->At(line, column + static_cast<std::size_t>(span.length))});
}

Json Workspace::LocationOf(const OpenDocument& d, const exact::Span& span) const {
    return {{"uri", UriOf(d, span.source)}, {"range", RangeOf(d, span)}};
}

} // namespace quillon::lsp
