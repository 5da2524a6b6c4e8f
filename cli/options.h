// The command line of quillon: commands, options and their parsing.
#pragma once

#include <string>
#include <vector>

#include "codec/exact/name_book.h"
#include "codec/isa/opcodes.h"

namespace quillon::cli {

enum class Command {
    None,
    Disassemble,
    Compile,
    Verify,
    Opcodes,
    Names,
    Extract,
    Inject,
    Atlas,
    Lsp,
    Help,
    Version
};

struct Options {
    Command command = Command::None;
    Command helpTopic = Command::None; // `quillon help compile`, `quillon compile --help`
    const Dialect* dialect = nullptr;  // retail unless --dialect says otherwise
    bool indent = true;                // --no-indent
    bool recursive = false;            // -r
    bool quiet = false;                // -q
    bool werror = false;               // --Werror
    bool toStdout = false;             // --stdout
    bool hasOutput = false;            // -o PATH
    bool exact = false;                // --exact: script chunks, byte for byte
    bool numbers = false;              // --numbers: exact texts without names
    bool offsets = false;              // --offsets: each exact line ends with its offset and bytes
    std::string namesFile;             // --names FILE.h: a user's names ("": none)
    const exact::NameBook* names = nullptr; // what LoadNames read from namesFile
    int maxWarnings = 100;                  // --max-warnings N (0: no limit)
    bool backup = true;                     // --no-backup: no ROOM.rdt.bak
    std::string initChunk, mainChunk;       // inject --init FILE, --main FILE ("": none)
    std::string room;                       // atlas --room S,RR,P ("": from the file names)
    std::string format;                     // atlas --format text|json|csv|dot ("": text)
    std::string table;                      // atlas --table doors|items|... (csv)
    bool check = false;                     // atlas --check: warnings about the set
    std::string svg;                        // atlas --svg FILE: the door graph drawn
    std::string output;
    std::vector<std::string> inputs; // files, folders and "-" in the order given
};

// Parses argv. On a usage error returns false and sets `error` to a message
// without the program name.
bool ParseArguments(int argc, char** argv, Options& options, std::string& error);

const char* CommandName(Command c);

} // namespace quillon::cli
