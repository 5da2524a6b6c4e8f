// The codec engine: reading and writing single instructions, the dispatcher
// that prints and scans an instruction through its form, and the in-memory
// drivers (bytes in, text out, and back) that the file drivers wrap.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "codec/base/pieces.h"
#include "codec/classic/context.h"

namespace quillon {

// Reads the instruction at `position` of `file` into the record's opcode and
// instruction buffer and returns the position just past it (which is also
// stored in `position`). Bytes past the end of the file are not read: the
// buffer keeps its earlier contents there. Without a file: "Read() Fail!", 1.
std::int32_t Read(ScriptContext& ctx, std::int32_t& position, const InputFile* file);

// Writes the first size bytes of the instruction buffer at `position` of
// `file` and returns the advanced position. Without a file: "Write() Fail!", 1.
std::int32_t Write(ScriptContext& ctx, std::int32_t& position, OutputFile* file);

// The text of the instruction in the record, without indentation and line end.
// While compiling, the instruction's form first scans the tokens into the
// buffer (the text is then of no use to the compiler).
std::string Dispatch(ScriptContext& ctx);
void DispatchInto(ScriptContext& ctx, std::string& out);

// The drivers on memory. `title` names the function in the header line.
void DisassembleBuffer(ScriptContext& ctx, std::string_view bytecode, std::string_view title,
                       std::string& text);
std::string DisassembleBuffer(ScriptContext& ctx, std::string_view bytecode,
                              std::string_view title);
// The same text handed to `sink` in consecutive pieces of a few hundred KiB as
// it is made, so that a file driver needs no room for the whole of it.
void DisassembleStream(ScriptContext& ctx, std::string_view bytecode, std::string_view title,
                       const TextSink& sink);
void CompileBuffer(ScriptContext& ctx, std::string_view source, std::string& bytecode);
std::string CompileBuffer(ScriptContext& ctx, std::string_view source);
// The same compile on a source that `read` hands over in pieces, holding a
// window of about a MiB of it (more only while one logical line is longer),
// and the bytecode handed to `sink` in pieces as it is made: the bytes and the
// listener's events are CompileBuffer's, except that SourceDone gets the text
// from the input's `base` on and SourcePassed tells what leaves the window.
// `read` fills up to `room` bytes at `into` and returns how many, 0 at the
// end. False when the source is longer than 2 GiB - 1 bytes: only that much
// of it is compiled.
bool CompileStream(ScriptContext& ctx, const TextPull& read, const TextSink& sink);

} // namespace quillon
