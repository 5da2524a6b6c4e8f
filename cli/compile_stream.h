// Compiling a source file as a stream: a window of the text in memory, the
// bytecode written as it is made, into a temporary file that replaces the
// output only once it is complete.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "codec/classic/context.h"
#include "codec/classic/line_ends.h"
#include "io/beside.h"

namespace quillon::cli {

// Reads up to `room` bytes of `in` into `into`, fewer only at its end or on
// a read error; returns how many.
std::size_t ReadUpTo(std::FILE* in, char* into, std::size_t room);

// A source file opened once for its compile: its first bytes, read first,
// tell whether it is an exact text, and the compile reads on after them.
class SourceFile {
  public:
    SourceFile() = default;
    ~SourceFile();
    SourceFile(const SourceFile&) = delete;
    SourceFile& operator=(const SourceFile&) = delete;

    // Opens the host path `path` and reads its first bytes. A file that
    // cannot be opened or read is not held: its compile opens it again and
    // says why.
    void Open(const std::string& path);
    std::FILE* File() const { return file_; }
    std::string_view Head() const { return std::string_view(head_, size_); }

  private:
    std::FILE* file_ = nullptr;
    char head_[64];
    std::size_t size_ = 0;
};

// Compiles the source at the host path `input` into the host path `output`,
// or to standard output when `toStdout` is set. A file is written beside
// `output` under a temporary name and renamed over it at the end, so that a
// failure leaves the output as it was. False with `reason` naming the file.
// `opened`, when it holds the file, is read on instead of opening it again.
bool CompileStreamed(ScriptContext& record, const std::string& input, const std::string& output,
                     bool toStdout, std::string& reason, const SourceFile* opened = nullptr);

// The same for a file already open (standard input), `head` being the bytes
// already read from it; `name` names it in messages.
bool CompileOpenFile(ScriptContext& record, std::FILE* in, const std::string& name,
                     std::string_view head, const std::string& output, bool toStdout,
                     std::string& reason);

// Why a text whose lines end as `ends` (not Usable) is refused, and the
// command that converts it, naming the file `name`.
std::string LineEndsAdvice(LineEnds ends, const std::string& name);

// CompileFile's contract ("<folder>\<title>.scd" beside the input, the
// "Compile() Fail!" message), compiled as a stream.
int CompileFileStreamed(ScriptContext& record, const std::string& path, DriverFailure* failure,
                        const SourceFile* opened = nullptr);

} // namespace quillon::cli
