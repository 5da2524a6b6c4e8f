#include "lsp/server.h"

#include <algorithm>
#include <exception>

#include "io/file_bytes.h"
#include "io/includes.h"
#include "lsp/features.h"
#include "lsp/uri.h"
#include "quillon_version.h"

namespace quillon::lsp {

namespace {

enum MessageType { kError = 1, kWarning = 2, kInfo = 3 };

Range RangeFrom(const Json& j) {
    return {{j.at("start").at("line").get<int>(), j.at("start").at("character").get<int>()},
            {j.at("end").at("line").get<int>(), j.at("end").at("character").get<int>()}};
}

// The end of a message's token where the front end did not give its length:
// the bytes up to the next blank or punctuation of a line.
std::size_t WordEnd(std::string_view line, std::size_t at) {
    std::size_t end = at;
    while (end < line.size() &&
           std::string_view(" \t(),;:").find(line[end]) == std::string_view::npos)
        ++end;
    return end > at ? end : std::min(at + 1, line.size());
}

} // namespace

Server::Server(Send send, Environment environment)
    : send_(std::move(send)), frontEnd_(std::move(environment.frontEnd)) {
    workspace_.builtinHeader = std::move(environment.builtinHeader);
}

void Server::Answer(const Json& id, Reply reply) {
    Json message = {{"jsonrpc", "2.0"}, {"id", id}};
    if (reply.error)
        message["error"] = {{"code", reply.error}, {"message", reply.message}};
    else
        message["result"] = std::move(reply.result);
    send_(message.dump(-1, ' ', false, Json::error_handler_t::replace));
}

void Server::Notify(const std::string& method, Json params) {
    const Json message = {{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}};
    send_(message.dump(-1, ' ', false, Json::error_handler_t::replace));
}

void Server::Log(int type, const std::string& text, bool show) {
    Notify(show ? "window/showMessage" : "window/logMessage",
           {{"type", type}, {"message", "quillon: " + text}});
}

void Server::Unreadable(const std::string& why) {
    Answer(nullptr, Fail(kParseError, why));
}

void Server::Receive(std::string_view body) {
    Json message = Json::parse(body, nullptr, false);
    if (message.is_discarded()) return Unreadable("malformed JSON");
    const bool hasId = message.is_object() && message.contains("id") &&
                       (message["id"].is_number_integer() || message["id"].is_string());
    if (!message.is_object() || !message.contains("method")) {
        if (message.is_object() && hasId &&
            (message.contains("result") || message.contains("error")))
            return Response(message);
        return Answer(hasId ? message["id"] : Json(nullptr),
                      Fail(kInvalidRequest, "a message without a method"));
    }
    if (!message["method"].is_string())
        return Answer(hasId ? message["id"] : Json(nullptr),
                      Fail(kInvalidRequest, "a method that is no string"));
    const std::string method = message["method"];
    const Json params = message.value("params", Json::object());
    if (message.contains("id") && !hasId)
        return Answer(nullptr, Fail(kInvalidRequest, "an id that is no number or string"));
    if (hasId)
        Request(message["id"], method, params);
    else
        Notification(method, params);
}

void Server::Request(const Json& id, const std::string& method, const Json& params) {
    if (method == "initialize") {
        if (initialized_) return Answer(id, Fail(kInvalidRequest, "initialized already"));
        return Answer(id, Initialize(params));
    }
    if (!initialized_) return Answer(id, Fail(kServerNotInitialized, "initialize comes first"));
    if (shutdown_) return Answer(id, Fail(kInvalidRequest, "the server is shutting down"));
    if (method == "shutdown") {
        shutdown_ = true;
        return Answer(id, Reply{});
    }
    for (const Feature& f : Features()) {
        if (f.method != method) continue;
        Reply reply;
        try {
            reply = f.answer(workspace_, params);
        } catch (const Json::exception& e) {
            reply = Fail(kInvalidParams, std::string("bad params: ") + e.what());
        } catch (const std::exception& e) {
            // Out of memory, say: this request fails, the server goes on.
            reply = Fail(kInternalError, e.what());
        }
        return Answer(id, std::move(reply));
    }
    Answer(id, Fail(kMethodNotFound, "no method " + method));
}

void Server::Notification(const std::string& method, const Json& params) {
    if (method == "exit") {
        exited_ = true;
        return;
    }
    // Notifications before initialize are dropped, as are all after shutdown.
    if (!initialized_ || shutdown_) return;
    try {
        if (method == "initialized") {
            if (askConfiguration_) AskConfiguration();
        } else if (method == "textDocument/didOpen") {
            Open(params);
        } else if (method == "textDocument/didChange") {
            Change(params);
        } else if (method == "textDocument/didClose") {
            Close(params);
        } else if (method == "workspace/didChangeWatchedFiles") {
            FilesChanged(params);
        } else if (method == "workspace/didChangeConfiguration") {
            const Json settings = params.value("settings", Json());
            if (askConfiguration_ && (settings.is_null() || !settings.contains("quillon")))
                AskConfiguration();
            else
                Configure(settings.contains("quillon") ? settings["quillon"] : settings);
        }
        // Other notifications ($/cancelRequest, didSave, ...) need nothing.
    } catch (const Json::exception& e) {
        Log(kError, method + ": bad params: " + e.what());
    } catch (const std::exception& e) {
        Log(kError, method + ": " + e.what());
    }
}

void Server::Response(const Json& message) {
    if (message["id"] != configurationId_) return;
    configurationId_ = -1;
    if (message.contains("result") && message["result"].is_array() && !message["result"].empty())
        Configure(message["result"][0]);
}

Reply Server::Initialize(const Json& params) {
    initialized_ = true;
    const Json capabilities = params.value("capabilities", Json::object());
    if (capabilities.contains("workspace") && capabilities["workspace"].is_object())
        askConfiguration_ = capabilities["workspace"].value("configuration", false);
    const Json options = params.value("initializationOptions", Json());
    if (options.is_object()) Configure(options.contains("quillon") ? options["quillon"] : options);
    Json announced = {
        {"positionEncoding", "utf-16"},
        {"textDocumentSync",
         {{"openClose", true}, {"change", 2 /* incremental */}, {"save", false}}},
    };
    for (const Feature& f : Features())
        if (!f.capability.empty()) announced[std::string(f.capability)] = f.announce();
    return Ok({{"capabilities", announced},
               {"serverInfo", {{"name", "quillon"}, {"version", QUILLON_VERSION_TEXT}}}});
}

void Server::AskConfiguration() {
    configurationId_ = nextId_++;
    const Json message = {{"jsonrpc", "2.0"},
                          {"id", configurationId_},
                          {"method", "workspace/configuration"},
                          {"params", {{"items", Json::array({{{"section", "quillon"}}})}}}};
    send_(message.dump());
}

void Server::Configure(const Json& settings) {
    if (!settings.is_object()) return;
    Settings s;
    if (settings.contains("namesHeader") && settings["namesHeader"].is_string())
        s.namesHeader = settings["namesHeader"];
    if (settings.contains("includePaths") && settings["includePaths"].is_array())
        for (const Json& p : settings["includePaths"])
            if (p.is_string()) s.includePaths.push_back(p);
    workspace_.settings = s;
    ReadNamesHeader();
    for (auto& [uri, d] : workspace_.documents) {
        (void)uri;
        Analyze(d);
    }
}

void Server::ReadNamesHeader() {
    const std::string& path = workspace_.settings.namesHeader;
    workspace_.names = exact::NameBook();
    if (path.empty()) return;
    std::string text, reason;
    exact::NameBook book;
    if (ReadWholeFile(path, text, reason) &&
        exact::ReadNames(text, path, FileCompileOptions(path), book, reason))
        workspace_.names = std::move(book);
    else
        Log(kError, "names header: " + reason, true);
}

// Files changed on disk (the editor watches them): the names header is read
// again, and the open texts that include one of them, or looked for one
// where it now stands, are compiled again.
void Server::FilesChanged(const Json& params) {
    std::vector<std::string> keys;
    for (const Json& c : params.at("changes"))
        if (const std::string path = PathOfUri(c.at("uri").get<std::string>()); !path.empty())
            keys.push_back(IncludeKey(path));
    const std::string& names = workspace_.settings.namesHeader;
    if (!names.empty() && std::find(keys.begin(), keys.end(), IncludeKey(names)) != keys.end())
        ReadNamesHeader();
    for (auto& entry : workspace_.documents) {
        OpenDocument& d = entry.second;
        if (d.model && std::any_of(keys.begin(), keys.end(),
                                   [&](const std::string& k) { return d.model->Includes(k); }))
            Reanalyze(d);
    }
}

void Server::Open(const Json& params) {
    const Json& item = params.at("textDocument");
    const std::string uri = item.at("uri");
    OpenDocument& d = workspace_.documents[uri];
    d.uri = uri;
    const std::string path = PathOfUri(uri);
    d.key = path.empty() ? std::string() : IncludeKey(path);
    d.version = item.value("version", std::int64_t{0});
    d.text.Replace(item.at("text").get<std::string>());
    Analyze(d);
}

void Server::Change(const Json& params) {
    const Json& item = params.at("textDocument");
    const std::string uri = item.at("uri");
    const auto it = workspace_.documents.find(uri);
    if (it == workspace_.documents.end()) return Log(kError, "didChange: " + uri + " is not open");
    OpenDocument& d = it->second;
    // The changes apply in order, each to the text that the one before left.
    Document text = d.text;
    for (const Json& c : params.at("contentChanges")) {
        const std::string& with = c.at("text").get_ref<const std::string&>();
        if (!c.contains("range")) {
            text.Replace(with);
        } else if (!text.Edit(RangeFrom(c["range"]), with)) {
            return Log(kError, "didChange: a range that ends before it starts in " + uri);
        }
    }
    d.text = std::move(text);
    d.version = item.value("version", d.version);
    Analyze(d);
}

void Server::Close(const Json& params) {
    const std::string uri = params.at("textDocument").at("uri");
    const auto it = workspace_.documents.find(uri);
    if (it == workspace_.documents.end()) return Log(kError, "didClose: " + uri + " is not open");
    const std::string key = it->second.key;
    workspace_.documents.erase(it);
    Notify("textDocument/publishDiagnostics", {{"uri", uri}, {"diagnostics", Json::array()}});
    // The texts that include it read the file again.
    for (auto& [other, d] : workspace_.documents) {
        (void)other;
        if (!key.empty() && d.model && d.model->Includes(key)) Analyze(d);
    }
}

void Server::Analyze(OpenDocument& d) {
    Reanalyze(d);
    if (d.key.empty()) return;
    for (auto& [uri, o] : workspace_.documents) {
        (void)uri;
        if (&o != &d && o.model && o.model->Includes(d.key)) Reanalyze(o);
    }
}

void Server::Reanalyze(OpenDocument& d) {
    // Every place where a header was looked for is kept: a header opened
    // or changed there later reaches this text.
    std::vector<std::string> looked;
    const exact::IncludeReader include =
        HeaderReader(workspace_.settings, [&](const std::string& key) -> const std::string* {
            looked.push_back(key);
            for (const auto& [uri, o] : workspace_.documents) {
                (void)uri;
                if (!o.key.empty() && o.key == key) return &o.text.Text();
            }
            return nullptr;
        });
    d.model = lsp::Analyze(d.text, d.key, frontEnd_, include);
    d.model->headers.insert(d.model->headers.end(), looked.begin(), looked.end());
    Publish(d);
}

void Server::Publish(const OpenDocument& d) {
    Json diagnostics = Json::array();
    for (const exact::Message& m : d.model->messages) {
        const int line = std::max(m.line, 1) - 1;
        const auto column = static_cast<std::size_t>(std::max(m.column, 1) - 1);
        const std::size_t end = m.length > 0 ? column + static_cast<std::size_t>(m.length)
                                             : WordEnd(d.text.Line(line), column);
        diagnostics.push_back(
            {{"range", ToJson(Range{d.text.At(line, column), d.text.At(line, end)})},
             {"severity", m.error ? 1 : 2},
             {"source", "quillon"},
             {"message", m.text}});
    }
    Notify("textDocument/publishDiagnostics",
           {{"uri", d.uri}, {"version", d.version}, {"diagnostics", std::move(diagnostics)}});
}

int Serve(const MessageReader::Pull& pull, const std::function<void(std::string_view)>& write,
          Server::Environment environment) {
    Server server([&](const std::string& body) { write(Frame(body)); }, std::move(environment));
    MessageReader reader(pull);
    std::string body, why;
    while (!server.Exited()) {
        const MessageReader::Status s = reader.Next(body, why);
        if (s == MessageReader::Status::End) break;
        if (s == MessageReader::Status::Error)
            server.Unreadable(why);
        else
            server.Receive(body);
    }
    return server.Exited() ? server.ExitStatus() : 1;
}

} // namespace quillon::lsp
