#include "cli/room.h"

#include "cli/exact_convert.h"

#include <cstdio>
#include <filesystem>
#include <set>
#include <system_error>

#include "cli/console.h"
#include "cli/inputs.h"
#include "cli/names.h"
#include "cli/verify.h"
#include "codec/base/text.h"
#include "codec/exact/exact.h"
#include "codec/room/room.h"
#include "io/file_bytes.h"
#include "io/paths.h"
#include "io/safe_write.h"

namespace quillon::cli {

namespace {

namespace fs = std::filesystem;

// The file beside which (or in the folder of -o) a room's chunks and texts go:
// "rooms/room100.rdt" and ".main.c" give "rooms/room100.main.c".
std::string Sibling(const std::string& room, const std::string& folder, const std::string& suffix) {
    const fs::path path(room);
    const fs::path name = path.stem().string() + suffix;
    return (folder.empty() ? path.parent_path() / name : fs::path(folder) / name).string();
}

// A failure: the driver's message when there is one ("Compile()"), then the
// reason. Fail takes a reason that names its file ("cannot open 'x.rdt': ..."),
// Report one that does not.
bool Fail(const char* operation, const std::string& reason) {
    if (operation) ShowMessage("Quillon", "%s Fail!", operation);
    std::fprintf(stderr, "quillon: %s\n", reason.c_str());
    return false;
}
bool Report(const char* operation, const std::string& file, const std::string& reason) {
    return Fail(operation, file + ": " + reason);
}

// The folder that -o names, made when it does not exist yet.
bool MakeFolder(const std::string& folder) {
    std::error_code ec;
    if (fs::is_directory(folder, ec) || fs::create_directories(folder, ec)) return true;
    std::fprintf(stderr, "quillon: cannot make the folder '%s': %s\n", folder.c_str(),
                 (ec ? ec.message() : std::string("a file of that name exists")).c_str());
    return false;
}

// A room's bytes and its two script chunks, each a valid script chunk.
bool ReadScripts(const char* operation, const std::string& room, std::string& bytes,
                 std::string (&chunks)[2]) {
    std::string reason;
    if (!ReadWholeFile(room, bytes, reason)) return Fail(operation, reason);
    for (int i = 0; i < 2; ++i)
        if (!room::ExtractScript(bytes, room::kScripts[i], chunks[i], reason))
            return Report(operation, room, reason);
    return true;
}

// The room with its chunks replaced, written where the options say: over the
// room (keeping ROOM.rdt.bak unless --no-backup), to -o OUT, or to standard
// output.
bool WriteRoom(const char* operation, const Options& options, const std::string& room,
               const std::string& bytes) {
    std::string reason;
    if (options.toStdout || (options.hasOutput && options.output == "-")) {
        UseBinaryStreams();
        return WriteStandardOutput(bytes, reason) || Fail(operation, reason);
    }
    const bool elsewhere = options.hasOutput && !SameFile(options.output, room);
    const std::string& target = elsewhere ? options.output : room;
    return WriteFileSafely(target, bytes, options.backup && !elsewhere, reason) ||
           Fail(operation, reason);
}

bool DisassembleRoom(const Options& options, const std::string& room) {
    const char* op = "Disassemble()";
    std::string bytes, chunks[2], texts[2], reason;
    if (!ReadScripts(op, room, bytes, chunks)) return false;
    const bool toStdout = options.toStdout || (options.hasOutput && options.output == "-");
    const std::string folder = options.hasOutput && !toStdout ? options.output : std::string();
    std::string paths[2];
    for (int i = 0; i < 2; ++i) {
        paths[i] = Sibling(room, folder, FormatText(".%s.c", room::NameOf(room::kScripts[i])));
        if (!DisassembleExact(options, chunks[i], toStdout ? std::string() : paths[i], texts[i],
                              reason))
            return Report(
                op, room,
                FormatText("the %s chunk: %s", room::NameOf(room::kScripts[i]), reason.c_str()));
    }
    if (toStdout) {
        UseBinaryStreams();
        return WriteStandardOutput(texts[0] + texts[1], reason) || Fail(op, reason);
    }
    if (!folder.empty() && !MakeFolder(folder)) return false;
    for (int i = 0; i < 2; ++i)
        if (!WriteFileSafely(paths[i], texts[i], false, reason)) return Fail(op, reason);
    return true;
}

bool CompileRoom(const Options& options, const std::string& room) {
    const char* op = "Compile()";
    std::string bytes, reason;
    if (!ReadWholeFile(room, bytes, reason)) return Fail(op, reason);
    room::Span span;
    for (room::Script script : room::kScripts)
        if (!room::FindScript(bytes, script, span, reason)) return Report(op, room, reason);
    int compiled = 0, warnings = 0;
    for (room::Script script : room::kScripts) {
        const std::string path = Sibling(room, "", FormatText(".%s.c", room::NameOf(script)));
        std::error_code ec;
        if (!fs::exists(path, ec)) continue;
        std::string chunk;
        int errors = 0;
        if (!CompileExactFile(options, path, path, chunk, warnings, errors, reason)) {
            if (!reason.empty()) return Fail(op, reason);
            return Report(op, room, "'" + path + "' does not compile; the room is left as it was");
        }
        if (!room::ReplaceScript(bytes, script, chunk, reason)) return Report(op, room, reason);
        ++compiled;
    }
    if (compiled == 0)
        return Report(op, room,
                      "no text to compile: neither '" + Sibling(room, "", ".init.c") + "' nor '" +
                          Sibling(room, "", ".main.c") + "' exists");
    if (!WriteRoom(op, options, room, bytes)) return false;
    if (warnings == 0 || !options.werror) return true;
    return Report(nullptr, room,
                  FormatText("%d warning%s treated as error%s (--Werror)", warnings,
                             warnings == 1 ? "" : "s", warnings == 1 ? "" : "s"));
}

// One room of `quillon extract`: ROOM.init.scd and ROOM.main.scd beside it or
// in the -o folder. `written` holds the chunks written so far in this run.
bool ExtractRoom(const Options& options, const std::string& room, std::set<fs::path>& written) {
    std::string bytes, chunks[2], reason;
    if (!ReadScripts(nullptr, room, bytes, chunks)) return false;
    std::string paths[2];
    for (int i = 0; i < 2; ++i) {
        paths[i] =
            Sibling(room, options.output, FormatText(".%s.scd", room::NameOf(room::kScripts[i])));
        if (written.count(fs::path(paths[i]).lexically_normal()))
            return Report(nullptr, room,
                          "'" + paths[i] + "' would replace a chunk of another room");
    }
    // The -o folder is made once a room has chunks to put there.
    if (options.hasOutput && !MakeFolder(options.output)) return false;
    for (int i = 0; i < 2; ++i) {
        if (!WriteFileSafely(paths[i], chunks[i], false, reason)) return Fail(nullptr, reason);
        written.insert(fs::path(paths[i]).lexically_normal());
    }
    return true;
}

} // namespace

bool IsRoomFile(const std::string& file) {
    const std::string ext = fs::path(file).extension().string();
    return ext.size() == 4 && ext[0] == '.' && (ext[1] | 0x20) == 'r' && (ext[2] | 0x20) == 'd' &&
           (ext[3] | 0x20) == 't';
}

bool ConvertRoom(const Options& options, const std::string& room) {
    return options.command == Command::Disassemble ? DisassembleRoom(options, room)
                                                   : CompileRoom(options, room);
}

RoomCheck VerifyRoom(const Options& options, const std::string& room) {
    std::string bytes, chunks[2];
    if (!ReadScripts(nullptr, room, bytes, chunks)) return RoomCheck::Failed;
    std::string report;
    for (int i = 0; i < 2; ++i) {
        const RoundTrip trip = CheckExactRoundTrip(chunks[i], options);
        if (!trip.identical)
            report +=
                FormatText("\n  the %s chunk: ", room::NameOf(room::kScripts[i])) + trip.report;
    }
    if (report.empty() && !options.quiet) std::printf("%s: identical\n", room.c_str());
    if (!report.empty()) std::printf("%s: differs%s\n", room.c_str(), report.c_str());
    return report.empty() ? RoomCheck::Identical : RoomCheck::Differ;
}

int RunExtract(const Options& options) {
    const InputList inputs = CollectInputs(options.inputs, ".rdt", options.recursive);
    const bool batch = inputs.folderGiven || inputs.files.size() > 1;
    const bool progress = batch && !options.quiet && StderrIsTerminal();
    std::set<fs::path> written;
    int extracted = 0, failed = inputs.failures;
    for (size_t i = 0; i < inputs.files.size(); ++i) {
        const std::string& room = inputs.files[i];
        if (progress)
            std::fprintf(stderr, "[%zu/%zu] %s\n", i + 1, inputs.files.size(), room.c_str());
        if (room == "-") {
            Report(nullptr, "-", "extract reads room files, not standard input");
            ++failed;
        } else if (ExtractRoom(options, room, written)) {
            ++extracted;
        } else {
            ++failed;
        }
    }
    if (batch && !options.quiet)
        std::fprintf(stderr, "%d extracted, %d failed\n", extracted, failed);
    return failed > 0 ? 1 : 0;
}

int RunInject(const Options& options) {
    const std::string& room = options.inputs.front();
    std::string bytes, reason;
    if (!ReadWholeFile(room, bytes, reason)) {
        Fail(nullptr, reason);
        return 1;
    }
    const std::string* sources[2] = {&options.initChunk, &options.mainChunk};
    for (int i = 0; i < 2; ++i) {
        if (sources[i]->empty()) continue;
        std::string chunk;
        if (!ReadWholeFile(*sources[i], chunk, reason)) {
            Fail(nullptr, reason);
            return 1;
        }
        if (!room::ReplaceScript(bytes, room::kScripts[i], chunk, reason)) {
            std::fprintf(stderr, "quillon: cannot inject '%s' into '%s': %s\n", sources[i]->c_str(),
                         room.c_str(), reason.c_str());
            return 1;
        }
    }
    return WriteRoom(nullptr, options, room, bytes) ? 0 : 1;
}

} // namespace quillon::cli
