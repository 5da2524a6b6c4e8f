// The server's state that the features read: the open documents, each with
// the model of its last text, and the user's settings and names.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "codec/exact/name_book.h"
#include "lsp/analysis.h"
#include "lsp/document.h"
#include "lsp/json.h"
#include "lsp/model.h"

namespace quillon::lsp {

struct OpenDocument {
    std::string uri;
    std::string key; // its path as the include reader keys it ("" for no file)
    std::int64_t version = 0;
    Document text;
    std::unique_ptr<Model> model; // of `text` as it stands
};

struct Workspace {
    std::map<std::string, OpenDocument> documents; // by URI
    Settings settings;
    exact::NameBook names;     // the user's names header, read
    std::string builtinHeader; // the installed names header's path ("" if none)

    const OpenDocument* Find(const std::string& uri) const {
        const auto it = documents.find(uri);
        return it == documents.end() ? nullptr : &it->second;
    }
    // The URI of a source of a document's model.
    std::string UriOf(const OpenDocument& d, std::uint32_t source) const;
    // The protocol's range of a span of a document's model.
    Json RangeOf(const OpenDocument& d, const exact::Span& span) const;
    Json LocationOf(const OpenDocument& d, const exact::Span& span) const;
};

Json ToJson(const Position& p);
Json ToJson(const Range& r);

// A request's answer, or its error (code and message).
struct Reply {
    Json result;
    int error = 0;
    std::string message;
};
inline Reply Ok(Json result) {
    Reply r;
    r.result = std::move(result);
    return r;
}
inline Reply Fail(int error, std::string message) {
    Reply r;
    r.error = error;
    r.message = std::move(message);
    return r;
}
// The protocol's error codes.
enum ErrorCode {
    kParseError = -32700,
    kInvalidRequest = -32600,
    kMethodNotFound = -32601,
    kInvalidParams = -32602,
    kInternalError = -32603,
    kServerNotInitialized = -32002,
    kRequestFailed = -32803,
};

} // namespace quillon::lsp
