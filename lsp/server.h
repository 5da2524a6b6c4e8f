// The language server: JSON-RPC over the protocol's messages, the life of a
// session (initialize, shutdown, exit), the open documents with their edits,
// the settings, diagnostics as the text changes, and the features' requests.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "lsp/framing.h"
#include "lsp/json.h"
#include "lsp/workspace.h"

namespace quillon::lsp {

class Server {
  public:
    // Sends one message's body.
    using Send = std::function<void(const std::string& body)>;
    struct Environment {
        FrontEnd frontEnd = CompilerFrontEnd();
        std::string builtinHeader; // the installed names header, for go-to-definition
    };
    Server(Send send, Environment environment);

    // One message's body, as read.
    void Receive(std::string_view body);
    // A message that could not be read.
    void Unreadable(const std::string& why);

    bool Exited() const { return exited_; }
    // As the protocol has it: 0 after shutdown, 1 when exit came without it.
    int ExitStatus() const { return shutdown_ ? 0 : 1; }

    const Workspace& State() const { return workspace_; }

  private:
    void Request(const Json& id, const std::string& method, const Json& params);
    void Notification(const std::string& method, const Json& params);
    void Response(const Json& message);
    Reply Initialize(const Json& params);
    void Open(const Json& params);
    void Change(const Json& params);
    void Close(const Json& params);
    void Configure(const Json& settings);
    void ReadNamesHeader();
    void FilesChanged(const Json& params);
    void AskConfiguration();
    // Compiles a document anew and publishes its diagnostics; then the open
    // documents that include it.
    void Analyze(OpenDocument& d);
    void Reanalyze(OpenDocument& d);
    void Publish(const OpenDocument& d);
    void Log(int type, const std::string& text, bool show = false);
    void Answer(const Json& id, Reply reply);
    void Notify(const std::string& method, Json params);

    Send send_;
    FrontEnd frontEnd_;
    Workspace workspace_;
    bool initialized_ = false, shutdown_ = false, exited_ = false;
    bool askConfiguration_ = false; // the client answers workspace/configuration
    std::int64_t nextId_ = 1;
    std::int64_t configurationId_ = -1; // the request for settings awaiting its answer
};

// Serves one client: reads messages through `pull`, writes them through
// `write`, until exit or the end of the input. Returns the exit status.
int Serve(const MessageReader::Pull& pull, const std::function<void(std::string_view)>& write,
          Server::Environment environment);

} // namespace quillon::lsp
