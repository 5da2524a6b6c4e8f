// A client of the language server for tests, benchmarks and fuzzers: it
// sends framed messages to a server in the same process and reads the
// framed messages that come back, the way an editor does over a pipe.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "lsp/framing.h"
#include "lsp/json.h"
#include "lsp/server.h"

namespace quillon_test {

using quillon::lsp::Json;

// Reads the framed messages of `framed` in turn: `body` for each message,
// `unreadable` for each error of the reader.
template <typename Body, typename Unreadable>
void ReadEachFramed(const std::string& framed, Body body, Unreadable unreadable) {
    std::size_t at = 0;
    quillon::lsp::MessageReader reader([&](char* into, std::size_t room) {
        const std::size_t n = std::min(room, framed.size() - at);
        framed.copy(into, n, at);
        at += n;
        return n;
    });
    std::string text, why;
    for (;;) {
        const auto s = reader.Next(text, why);
        if (s == quillon::lsp::MessageReader::Status::End) return;
        if (s == quillon::lsp::MessageReader::Status::Error)
            unreadable(why);
        else
            body(text);
    }
}

// The bytes of `framed`, read back as messages (the errors of the reader as
// {"unreadable": why}).
inline std::vector<Json> ReadFramed(const std::string& framed) {
    std::vector<Json> out;
    ReadEachFramed(
        framed, [&](const std::string& body) { out.push_back(Json::parse(body, nullptr, false)); },
        [&](const std::string& why) {
            out.push_back(Json{{"unreadable", why}});
        });
    return out;
}

class LspClient {
  public:
    explicit LspClient(quillon::lsp::Server::Environment environment = {})
        : server_([this](const std::string& body) { sent_ += quillon::lsp::Frame(body); },
                  std::move(environment)) {}

    // Sends raw bytes, as a client writes them; returns the messages that
    // the server sent back meanwhile.
    std::vector<Json> SendBytes(const std::string& bytes) {
        sent_.clear();
        ReadEachFramed(
            bytes, [&](const std::string& body) { server_.Receive(body); },
            [&](const std::string& why) { server_.Unreadable(why); });
        return ReadFramed(sent_);
    }
    std::vector<Json> Send(const Json& message) {
        return SendBytes(quillon::lsp::Frame(message.dump()));
    }

    // A request; its answer (the message with its id), the other messages
    // sent meanwhile in `others`.
    Json Request(const std::string& method, Json params, std::vector<Json>* others = nullptr) {
        const int id = nextId_++;
        Json answer;
        for (Json& m : Send({{"jsonrpc", "2.0"},
                             {"id", id},
                             {"method", method},
                             {"params", std::move(params)}}))
            if (m.contains("id") && m["id"] == id && !m.contains("method"))
                answer = std::move(m);
            else if (others)
                others->push_back(std::move(m));
        return answer;
    }
    std::vector<Json> Notify(const std::string& method, Json params) {
        return Send({{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}});
    }

    // initialize (with `options`) and initialized.
    Json Initialize(Json options = nullptr, Json capabilities = Json::object()) {
        Json params = {
            {"processId", nullptr}, {"rootUri", nullptr}, {"capabilities", capabilities}};
        if (!options.is_null()) params["initializationOptions"] = options;
        Json answer = Request("initialize", params);
        Notify("initialized", Json::object());
        return answer;
    }
    // Opens a document; returns the diagnostics published for it.
    Json Open(const std::string& uri, const std::string& text, int version = 1) {
        return DiagnosticsFor(uri, Notify("textDocument/didOpen", {{"textDocument",
                                                                    {{"uri", uri},
                                                                     {"languageId", "quillon"},
                                                                     {"version", version},
                                                                     {"text", text}}}}));
    }
    static Json DiagnosticsFor(const std::string& uri, const std::vector<Json>& messages) {
        Json found;
        for (const Json& m : messages)
            if (m.value("method", "") == "textDocument/publishDiagnostics" &&
                m["params"]["uri"] == uri)
                found = m["params"]["diagnostics"];
        return found;
    }

    quillon::lsp::Server& Server() { return server_; }

  private:
    std::string sent_;
    quillon::lsp::Server server_;
    int nextId_ = 1;
};

} // namespace quillon_test
