// The protocol's framing: each message is a header ("Content-Length: N",
// lines ending in CR LF, then an empty line) and N bytes of JSON.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace quillon::lsp {

// The header and body of one message.
std::string Frame(std::string_view body);

// Reads messages from a stream of bytes. A header that cannot be read is an
// error, after which the reader looks for the next "Content-Length:"; a body
// longer than the limit is read past and refused, so that the messages after
// it are read as they were sent.
class MessageReader {
  public:
    // Puts up to `room` bytes into `into` and returns how many; 0 at the end.
    using Pull = std::function<std::size_t(char* into, std::size_t room)>;
    static constexpr std::size_t kLimit = std::size_t{256} << 20;
    explicit MessageReader(Pull pull, std::size_t limit = kLimit);

    enum class Status { Message, Error, End };
    // The next message's body, or an error with `why`, or the end of the
    // stream (also in the middle of a message).
    Status Next(std::string& body, std::string& why);

  private:
    // Whether a byte is buffered (reading more if not).
    bool Fill();
    // One header line without its line end; false at the end of the stream.
    bool HeaderLine(std::string& line, bool& tooLong);
    // Drops bytes up to the next "Content-Length:".
    bool Resync();

    Pull pull_;
    std::size_t limit_;
    std::string buffer_;
    std::size_t at_ = 0;
    bool lost_ = false; // after a bad header: look for the next one
};

} // namespace quillon::lsp
