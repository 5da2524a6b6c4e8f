// quillon: the command-line converter.
#include <cstdio>
#include <string>

#include "cli/atlas.h"
#include "cli/convert.h"
#include "cli/help.h"
#include "cli/lsp_command.h"
#include "cli/names.h"
#include "cli/opcode_list.h"
#include "cli/options.h"
#include "cli/room.h"
#include "cli/verify.h"
#include "io/temp_files.h"

int main(int argc, char** argv) {
    using namespace quillon::cli;
    Options options;
    std::string error;
    if (!ParseArguments(argc, argv, options, error)) {
        std::fprintf(stderr, "quillon: %s\n%sTry 'quillon --help' for more information.\n",
                     error.c_str(), UsageText());
        return 2;
    }
    // An interrupted run leaves no temporary file behind.
    quillon::RemoveTempFilesOnInterrupt();
    quillon::exact::NameBook names;
    if (!LoadNames(options, names)) return 1;
    switch (options.command) {
    case Command::Help: std::fputs(HelpText(options.helpTopic), stdout); return 0;
    case Command::Version: std::printf("quillon %s\n", kVersion); return 0;
    case Command::Opcodes:
        if (options.exact)
            PrintExactOpcodes(stdout);
        else
            PrintOpcodes(*options.dialect, stdout);
        return 0;
    case Command::Names: return RunNames(options);
    case Command::Verify: return RunVerify(options);
    case Command::Extract: return RunExtract(options);
    case Command::Inject: return RunInject(options);
    case Command::Atlas: return RunAtlas(options);
    case Command::Lsp: return RunLsp();
    case Command::Disassemble:
    case Command::Compile: return RunConversion(options);
    case Command::None: break;
    }
    return 2;
}
