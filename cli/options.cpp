#include "cli/options.h"

#include <cstring>
#include <string_view>

namespace quillon::cli {

namespace {

struct CommandEntry {
    const char* name;
    Command command;
};

const CommandEntry kCommands[] = {
    {"disassemble", Command::Disassemble}, {"compile", Command::Compile},
    {"verify", Command::Verify},           {"opcodes", Command::Opcodes},
    {"extract", Command::Extract},         {"inject", Command::Inject},
};

Command FindCommand(std::string_view name) {
    for (const CommandEntry& e : kCommands)
        if (name == e.name) return e.command;
    return Command::None;
}

// Which options each command takes.
enum OptionBit : unsigned {
    kDialect = 1,
    kNoIndent = 2,
    kRecursive = 4,
    kOutput = 8,
    kStdout = 16,
    kQuiet = 32,
    kWerror = 64,
    kFiles = 128,
    kExact = 256,
    kMaxWarnings = 512,
    kNoBackup = 1024,
    kInit = 2048,
    kMain = 4096,
};

unsigned AllowedOptions(Command c) {
    switch (c) {
    case Command::Disassemble:
        return kDialect | kNoIndent | kRecursive | kOutput | kStdout | kQuiet | kFiles | kExact;
    case Command::Compile:
        return kDialect | kRecursive | kOutput | kStdout | kQuiet | kWerror | kFiles | kExact |
               kMaxWarnings | kNoBackup;
    case Command::Verify: return kDialect | kRecursive | kQuiet | kFiles | kExact;
    case Command::Opcodes: return kDialect | kExact;
    case Command::Extract: return kRecursive | kOutput | kQuiet | kFiles;
    case Command::Inject: return kOutput | kFiles | kNoBackup | kInit | kMain;
    default: return 0;
    }
}

bool SetDialect(std::string_view name, Options& options, std::string& error) {
    if (name == "retail" || name == "Bio2") {
        options.dialect = &RetailDialect();
    } else if (name == "prototype" || name == "Rer1.5") {
        options.dialect = &PrototypeDialect();
    } else {
        error = "unknown dialect '" + std::string(name) + "' (retail or prototype)";
        return false;
    }
    return true;
}

} // namespace

const char* CommandName(Command c) {
    for (const CommandEntry& e : kCommands)
        if (e.command == c) return e.name;
    return "";
}

bool ParseArguments(int argc, char** argv, Options& options, std::string& error) {
    options = Options();
    options.dialect = &RetailDialect();
    if (argc < 2) {
        error = "no command given";
        return false;
    }
    const std::string_view first = argv[1];
    if (first == "--help" || first == "-h") {
        options.command = Command::Help;
        return true;
    }
    if (first == "--version" || first == "-V") {
        options.command = Command::Version;
        return true;
    }
    if (first == "help") {
        options.command = Command::Help;
        if (argc > 2) {
            options.helpTopic = FindCommand(argv[2]);
            if (options.helpTopic == Command::None) {
                error = "unknown command '" + std::string(argv[2]) + "'";
                return false;
            }
        }
        return true;
    }
    const Command command = FindCommand(first);
    if (command == Command::None) {
        error = first.size() > 1 && first[0] == '-'
                    ? "unknown option '" + std::string(first) + "'"
                    : "unknown command '" + std::string(first) + "'";
        return false;
    }
    // "quillon compile --help" asks for the command's help, whatever else follows.
    for (int i = 2; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            options.command = Command::Help;
            options.helpTopic = command;
            return true;
        }
    }
    options.command = command;
    const unsigned allowed = AllowedOptions(command);
    const std::string commandName = CommandName(command);
    bool optionsEnded = false;
    int stdinCount = 0;
    for (int i = 2; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (optionsEnded || arg == "-" || arg.empty() || arg[0] != '-') {
            if (!(allowed & kFiles)) {
                error = "'" + commandName + "' takes no file ('" + std::string(arg) + "')";
                return false;
            }
            if (arg == "-" && ++stdinCount > 1) {
                error = "standard input ('-') can be read only once";
                return false;
            }
            options.inputs.emplace_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        // The option's name and, for "--name=value", its attached value.
        std::string_view name = arg;
        std::string_view attached;
        bool hasAttached = false;
        if (arg.substr(0, 2) == "--") {
            if (const size_t eq = arg.find('='); eq != std::string_view::npos) {
                name = arg.substr(0, eq);
                attached = arg.substr(eq + 1);
                hasAttached = true;
            }
        }
        unsigned bit = 0;
        if (name == "--dialect" || name == "-d")
            bit = kDialect;
        else if (name == "--no-indent")
            bit = kNoIndent;
        else if (name == "-r" || name == "--recursive")
            bit = kRecursive;
        else if (name == "-o" || name == "--output")
            bit = kOutput;
        else if (name == "--stdout")
            bit = kStdout;
        else if (name == "-q" || name == "--quiet")
            bit = kQuiet;
        else if (name == "--Werror" || name == "-Werror")
            bit = kWerror;
        else if (name == "--exact")
            bit = kExact;
        else if (name == "--max-warnings")
            bit = kMaxWarnings;
        else if (name == "--no-backup")
            bit = kNoBackup;
        else if (name == "--init")
            bit = kInit;
        else if (name == "--main")
            bit = kMain;
        if (bit == 0) {
            error = "unknown option '" + std::string(arg) + "'";
            return false;
        }
        if (!(allowed & bit)) {
            error = "'" + commandName + "' does not take the option '" + std::string(name) + "'";
            return false;
        }
        const bool takesValue = bit == kDialect || bit == kOutput || bit == kMaxWarnings ||
                                bit == kInit || bit == kMain;
        if (hasAttached && !takesValue) {
            error = "the option '" + std::string(name) + "' takes no value";
            return false;
        }
        std::string_view value;
        if (takesValue) {
            if (hasAttached) {
                value = attached;
            } else if (i + 1 < argc) {
                value = argv[++i];
            } else {
                error = "the option '" + std::string(name) + "' needs a value";
                return false;
            }
        }
        switch (bit) {
        case kDialect:
            if (!SetDialect(value, options, error)) return false;
            break;
        case kNoIndent: options.indent = false; break;
        case kRecursive: options.recursive = true; break;
        case kOutput:
            if (value.empty()) {
                error = "the option '" + std::string(name) + "' needs a path";
                return false;
            }
            if (options.hasOutput) {
                error = "the option '-o' can be given only once";
                return false;
            }
            options.hasOutput = true;
            options.output = value;
            break;
        case kStdout: options.toStdout = true; break;
        case kQuiet: options.quiet = true; break;
        case kWerror: options.werror = true; break;
        case kExact: options.exact = true; break;
        case kNoBackup: options.backup = false; break;
        case kInit:
        case kMain: {
            std::string& chunk = bit == kInit ? options.initChunk : options.mainChunk;
            if (value.empty() || !chunk.empty()) {
                error = "the option '" + std::string(name) +
                        (value.empty() ? "' needs a path" : "' can be given only once");
                return false;
            }
            chunk = value;
            break;
        }
        case kMaxWarnings: {
            int n = 0;
            bool digits = !value.empty() && value.size() <= 9;
            for (char c : value) {
                if (c < '0' || c > '9') digits = false;
                n = n * 10 + (c - '0');
            }
            if (!digits) {
                error = "the option '--max-warnings' needs a number (0 for no limit), not '" +
                        std::string(value) + "'";
                return false;
            }
            options.maxWarnings = n;
            break;
        }
        default: break;
        }
    }
    if ((allowed & kFiles) && options.inputs.empty()) {
        error = "'" + commandName + "' needs at least one FILE";
        return false;
    }
    if (options.exact && options.dialect != &RetailDialect()) {
        error = "'--exact' converts retail scripts only";
        return false;
    }
    if (options.hasOutput && options.toStdout) {
        error = "'-o' and '--stdout' cannot be combined";
        return false;
    }
    if (command == Command::Inject) {
        if (options.inputs.size() != 1) {
            error = "'inject' takes exactly one room file";
            return false;
        }
        if (options.initChunk.empty() && options.mainChunk.empty()) {
            error = "'inject' needs a chunk to put in: --init FILE, --main FILE or both";
            return false;
        }
    }
    // extract -o names a folder, which takes the chunks of any number of rooms.
    if (options.hasOutput && options.inputs.size() != 1 && command != Command::Extract) {
        error = "'-o' takes exactly one input file";
        return false;
    }
    return true;
}

} // namespace quillon::cli
