#include "cli/convert.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/compile_stream.h"
#include "cli/console.h"
#include "cli/exact_convert.h"
#include "cli/inputs.h"
#include "cli/room.h"
#include "cli/streamed_output.h"
#include "cli/warnings.h"
#include "codec/base/text.h"
#include "codec/classic/engine.h"
#include "codec/exact/exact.h"
#include "io/drivers.h"
#include "io/file_bytes.h"
#include "io/paths.h"

namespace quillon::cli {

namespace {

struct Run {
    const Options& options;
    bool disassemble;
    bool toStdout; // --stdout or -o -
    ScriptContext& record;
    WarningPrinter printer;
};

// The driver's message, then the reason naming the file.
bool Fail(const Run& run, const std::string& reason) {
    ShowMessage("Quillon", "%s Fail!", run.disassemble ? "Disassemble()" : "Compile()");
    std::fprintf(stderr, "quillon: %s\n", reason.c_str());
    return false;
}

// A source file compiled as a stream to -o or --stdout.
bool CompileElsewhere(Run& run, const std::string& file, const SourceFile& source) {
    const std::string inputPath = ToHostPath(ToScriptPath(file));
    std::string reason;
    if (!run.toStdout && OutputIsInput(inputPath, run.options.output, reason))
        return Fail(run, reason);
    if (!CompileStreamed(run.record, inputPath, run.options.output, run.toStdout, reason, &source))
        return Fail(run, reason);
    return true;
}

// Standard input compiled as a stream too, once its first bytes tell that
// it is no exact text.
bool CompileStandardInput(Run& run) {
    char head[64];
    const std::size_t got = ReadUpTo(stdin, head, sizeof head);
    if (std::ferror(stdin))
        return Fail(run, std::string("cannot read standard input: ") + std::strerror(errno));
    if (exact::IsExactText(std::string_view(head, got)))
        return Fail(run, "'<stdin>' is an exact text: compile it with --exact");
    // Standard input has no folder to write beside: its result goes to
    // standard output unless -o names a file.
    const bool toStdout = run.toStdout || !run.options.hasOutput;
    std::string reason;
    if (!CompileOpenFile(run.record, stdin, "<stdin>", std::string_view(head, got),
                         run.options.output, toStdout, reason))
        return Fail(run, reason);
    return true;
}

// A disassembly from standard input, or to -o or --stdout. The text is
// several times the size of the bytecode: it is written as it is made
// instead of being held whole.
bool DisassembleElsewhere(Run& run, const std::string& file) {
    const bool fromStdin = file == "-";
    const std::string scriptPath = fromStdin ? std::string("stdin") : ToScriptPath(file);
    const std::string inputPath = ToHostPath(scriptPath);
    std::string piped, reason;
    FileBytes bytecode;
    if (fromStdin ? !ReadStandardInput(piped, reason) : !bytecode.Read(inputPath, reason))
        return Fail(run, reason);
    const std::string_view input = fromStdin ? std::string_view(piped) : bytecode.View();
    const bool toStdout = run.toStdout || (fromStdin && !run.options.hasOutput);
    if (!toStdout && !fromStdin && OutputIsInput(inputPath, run.options.output, reason))
        return Fail(run, reason);
    StreamedOutput out;
    if (!out.Open(run.options.output, toStdout, reason)) return Fail(run, reason);
    DisassembleStream(run.record, input, ScriptTitle(scriptPath),
                      [&](std::string_view piece) { out.Write(piece); });
    if (!out.Finish(reason)) return Fail(run, reason);
    return true;
}

// Standard input, -o or --stdout: the driver's steps, with the output where
// the user asked for it.
bool ConvertElsewhere(Run& run, const std::string& file, const SourceFile& source) {
    if (run.disassemble) return DisassembleElsewhere(run, file);
    return file == "-" ? CompileStandardInput(run) : CompileElsewhere(run, file, source);
}

bool ConvertExactOne(Run& run, const std::string& file) {
    if (!run.options.exact && !run.options.quiet)
        std::fprintf(stderr,
                     "quillon: %s: the text is exact (its first line says so); compiling "
                     "it in exact mode\n",
                     file.c_str());
    int warnings = 0;
    const bool ok = ConvertExact(run.options, file, run.disassemble, run.toStdout, warnings);
    return ok && !WarningsFail(run.options, file == "-" ? "<stdin>" : file, warnings);
}

bool ConvertOne(Run& run, const std::string& file) {
    if (IsRoomFile(file)) {
        if (run.options.exact) return ConvertRoom(run.options, file);
        // A room file is never a classic script, nor its text: the result
        // would be nonsense, written over ROOM.c or ROOM.scd.
        return Fail(run, "'" + file + "': a room file: use --exact");
    }
    // A source file is opened once: a first line that says it is exact has it
    // compiled in exact mode (the classic compiler would write a broken
    // script from it), and a classic compile reads on after its first bytes.
    SourceFile source;
    if (!run.options.exact && !run.disassemble && file != "-")
        source.Open(ToHostPath(ToScriptPath(file)));
    if (run.options.exact || exact::IsExactText(source.Head())) return ConvertExactOne(run, file);
    if (!run.disassemble) run.printer.Begin(file == "-" ? "<stdin>" : file, run.record);
    bool ok;
    if (file == "-" || run.toStdout || run.options.hasOutput) {
        ok = ConvertElsewhere(run, file, source);
    } else {
        // Beside the input: exactly the Windows program's driver.
        DriverFailure failure;
        const int r = run.disassemble ? DisassembleFile(run.record, file, &failure)
                                      : CompileFileStreamed(run.record, file, &failure, &source);
        ok = r == 0;
        if (!ok) std::fprintf(stderr, "quillon: %s\n", failure.reason.c_str());
    }
    if (run.disassemble) return ok;
    const int warnings = run.printer.End();
    return ok && !WarningsFail(run.options, file == "-" ? "<stdin>" : file, warnings);
}

} // namespace

int RunConversion(const Options& options) {
    const bool disassemble = options.command == Command::Disassemble;
    const InputList inputs =
        CollectInputs(options.inputs, disassemble ? ".scd" : ".c", options.recursive);
    if (options.hasOutput && inputs.folderGiven) {
        std::fprintf(stderr, "quillon: '-o' takes one input file, not a folder\n");
        return 2;
    }
    ScriptContext& record = ContextOf(*options.dialect);
    record.indent = options.indent ? 1 : 0;
    Run run{options, disassemble, options.toStdout || (options.hasOutput && options.output == "-"),
            record, WarningPrinter(options.quiet, options.maxWarnings)};
    if (run.toStdout ||
        std::find(inputs.files.begin(), inputs.files.end(), "-") != inputs.files.end())
        UseBinaryStreams();

    const bool batch = inputs.folderGiven || inputs.files.size() > 1;
    const bool progress = batch && !options.quiet && StderrIsTerminal();
    const size_t total = inputs.files.size();
    int converted = 0, failed = inputs.failures;
    for (size_t i = 0; i < total; ++i) {
        const std::string& file = inputs.files[i];
        if (progress) std::fprintf(stderr, "[%zu/%zu] %s\n", i + 1, total, file.c_str());
        if (ConvertOne(run, file))
            ++converted;
        else
            ++failed;
    }
    if (batch && !options.quiet)
        std::fprintf(stderr, "%d converted, %d failed\n", converted, failed);
    return failed > 0 ? 1 : 0;
}

} // namespace quillon::cli
