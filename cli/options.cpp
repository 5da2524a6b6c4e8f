#include "cli/options.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace quillon::cli {

namespace {

struct CommandEntry {
    const char* name;
    Command command;
};

const CommandEntry kCommands[] = {
    {"disassemble", Command::Disassemble},
    {"compile", Command::Compile},
    {"verify", Command::Verify},
    {"opcodes", Command::Opcodes},
    {"names", Command::Names},
    {"extract", Command::Extract},
    {"inject", Command::Inject},
    {"atlas", Command::Atlas},
    {"lsp", Command::Lsp},
};

Command FindCommand(std::string_view name) {
    for (const CommandEntry& e : kCommands)
        if (name == e.name) return e.command;
    return Command::None;
}

// The commands, as bits of the set that takes an option.
constexpr unsigned Bit(Command c) {
    return 1u << static_cast<unsigned>(c);
}
constexpr unsigned kDis = Bit(Command::Disassemble), kComp = Bit(Command::Compile),
                   kVer = Bit(Command::Verify), kOps = Bit(Command::Opcodes),
                   kExt = Bit(Command::Extract), kInj = Bit(Command::Inject),
                   kNames = Bit(Command::Names), kAtlas = Bit(Command::Atlas);
// The commands that take files: all but `opcodes` and `names`.
constexpr unsigned kTakeFiles = kDis | kComp | kVer | kExt | kInj | kAtlas;

// Sets an option's value; false with `error` set when the value is refused.
using Setter = bool (*)(std::string_view name, std::string_view value, Options& options,
                        std::string& error);

bool SetDialect(std::string_view, std::string_view value, Options& options, std::string& error) {
    if (value == "retail" || value == "Bio2") {
        options.dialect = &RetailDialect();
    } else if (value == "prototype" || value == "Rer1.5") {
        options.dialect = &PrototypeDialect();
    } else {
        error = "unknown dialect '" + std::string(value) + "' (retail or prototype)";
        return false;
    }
    return true;
}

bool SetOutput(std::string_view name, std::string_view value, Options& options,
               std::string& error) {
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
    return true;
}

bool SetPath(std::string& path, std::string_view name, std::string_view value, std::string& error) {
    if (value.empty() || !path.empty()) {
        error = "the option '" + std::string(name) +
                (value.empty() ? "' needs a path" : "' can be given only once");
        return false;
    }
    path = value;
    return true;
}

bool SetInit(std::string_view name, std::string_view value, Options& options, std::string& error) {
    return SetPath(options.initChunk, name, value, error);
}

bool SetMain(std::string_view name, std::string_view value, Options& options, std::string& error) {
    return SetPath(options.mainChunk, name, value, error);
}

bool SetNames(std::string_view name, std::string_view value, Options& options, std::string& error) {
    return SetPath(options.namesFile, name, value, error);
}

bool SetMaxWarnings(std::string_view, std::string_view value, Options& options,
                    std::string& error) {
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
    return true;
}

// A value among `allowed` (joined by '|') for the option `name`.
bool SetChoice(std::string& field, const char* allowed, std::string_view name,
               std::string_view value, std::string& error) {
    const std::string_view list = allowed;
    for (std::size_t at = 0; at <= list.size();) {
        const std::size_t end = std::min(list.find('|', at), list.size());
        if (list.substr(at, end - at) == value) {
            field = value;
            return true;
        }
        at = end + 1;
    }
    error = "the option '" + std::string(name) + "' takes " + allowed + ", not '" +
            std::string(value) + "'";
    return false;
}

bool SetFormat(std::string_view name, std::string_view value, Options& options,
               std::string& error) {
    return SetChoice(options.format, "text|json|csv|dot", name, value, error);
}

bool SetTable(std::string_view name, std::string_view value, Options& options, std::string& error) {
    return SetChoice(options.table, "doors|items|enemies|flags|messages", name, value, error);
}

bool SetRoom(std::string_view name, std::string_view value, Options& options, std::string& error) {
    if (value.empty()) {
        error = "the option '" + std::string(name) + "' needs a room (S,RR,P)";
        return false;
    }
    options.room = value;
    return true;
}

bool SetSvg(std::string_view name, std::string_view value, Options& options, std::string& error) {
    return SetPath(options.svg, name, value, error);
}

// One option: its names, the commands that take it, and what it sets. An
// option without a value sets its flag to `flagValue`; one with a value
// hands it to `set`.
struct OptionRow {
    const char* name;
    const char* alias; // another name, or null
    unsigned commands;
    bool Options::*flag;
    bool flagValue;
    Setter set;
};

const OptionRow kOptionRows[] = {
    {"--dialect", "-d", kDis | kComp | kVer | kOps, nullptr, false, SetDialect},
    {"--no-indent", nullptr, kDis, &Options::indent, false, nullptr},
    {"-r", "--recursive", kDis | kComp | kVer | kExt | kAtlas, &Options::recursive, true, nullptr},
    {"-o", "--output", kDis | kComp | kExt | kInj | kNames | kAtlas, nullptr, false, SetOutput},
    {"--stdout", nullptr, kDis | kComp, &Options::toStdout, true, nullptr},
    {"-q", "--quiet", kDis | kComp | kVer | kExt, &Options::quiet, true, nullptr},
    {"--Werror", "-Werror", kComp | kAtlas, &Options::werror, true, nullptr},
    {"--exact", nullptr, kDis | kComp | kVer | kOps, &Options::exact, true, nullptr},
    {"--numbers", nullptr, kDis | kVer, &Options::numbers, true, nullptr},
    {"--offsets", nullptr, kDis | kVer, &Options::offsets, true, nullptr},
    {"--names", nullptr, kDis | kVer, nullptr, false, SetNames},
    {"--max-warnings", nullptr, kComp, nullptr, false, SetMaxWarnings},
    {"--no-backup", nullptr, kComp | kInj, &Options::backup, false, nullptr},
    {"--init", nullptr, kInj, nullptr, false, SetInit},
    {"--main", nullptr, kInj, nullptr, false, SetMain},
    {"--room", nullptr, kAtlas, nullptr, false, SetRoom},
    {"--format", nullptr, kAtlas, nullptr, false, SetFormat},
    {"--table", nullptr, kAtlas, nullptr, false, SetTable},
    {"--check", nullptr, kAtlas, &Options::check, true, nullptr},
    {"--svg", nullptr, kAtlas, nullptr, false, SetSvg},
};

const OptionRow* FindOption(std::string_view name) {
    for (const OptionRow& row : kOptionRows)
        if (name == row.name || (row.alias && name == row.alias)) return &row;
    return nullptr;
}

// The command, or help and version, from the first argument. False with
// `error` set when it names nothing; `done` when nothing else is read.
bool ParseCommand(int argc, char** argv, Options& options, bool& done, std::string& error) {
    done = true;
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
        // "quillon help --help" asks for the help of help: the program's.
        if (argc > 2 && (std::strcmp(argv[2], "--help") == 0 || std::strcmp(argv[2], "-h") == 0))
            return true;
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
    done = false;
    return true;
}

// The option at argv[i], with its value from "--name=value" or the next
// argument (then `i` moves on to it).
bool ParseOption(int argc, char** argv, int& i, Options& options, std::string& error) {
    const std::string_view arg = argv[i];
    std::string_view name = arg, attached;
    bool hasAttached = false;
    if (arg.substr(0, 2) == "--") {
        if (const size_t eq = arg.find('='); eq != std::string_view::npos) {
            name = arg.substr(0, eq);
            attached = arg.substr(eq + 1);
            hasAttached = true;
        }
    }
    const OptionRow* row = FindOption(name);
    if (!row) {
        error = "unknown option '" + std::string(arg) + "'";
        return false;
    }
    if (!(row->commands & Bit(options.command))) {
        error = "'" + std::string(CommandName(options.command)) + "' does not take the option '" +
                std::string(name) + "'";
        return false;
    }
    if (!row->set) {
        if (hasAttached) {
            error = "the option '" + std::string(name) + "' takes no value";
            return false;
        }
        options.*row->flag = row->flagValue;
        return true;
    }
    if (!hasAttached && i + 1 >= argc) {
        error = "the option '" + std::string(name) + "' needs a value";
        return false;
    }
    return row->set(name, hasAttached ? attached : std::string_view(argv[++i]), options, error);
}

// The files and options after the command.
bool ParseRest(int argc, char** argv, Options& options, std::string& error) {
    const bool takesFiles = Bit(options.command) & kTakeFiles;
    bool optionsEnded = false;
    int stdinCount = 0;
    for (int i = 2; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (optionsEnded || arg == "-" || arg.empty() || arg[0] != '-') {
            if (!takesFiles) {
                error = "'" + std::string(CommandName(options.command)) + "' takes no file ('" +
                        std::string(arg) + "')";
                return false;
            }
            if (arg == "-" && ++stdinCount > 1) {
                error = "standard input ('-') can be read only once";
                return false;
            }
            options.inputs.emplace_back(arg);
        } else if (!ParseOption(argc, argv, i, options, error)) {
            return false;
        }
    }
    return true;
}

// The rules between options and files, once all are read.
bool CheckCombination(const Options& options, std::string& error) {
    const Command command = options.command;
    if ((Bit(command) & kTakeFiles) && options.inputs.empty()) {
        error = "'" + std::string(CommandName(command)) + "' needs at least one FILE";
        return false;
    }
    if (options.exact && options.dialect != &RetailDialect()) {
        error = "'--exact' converts retail scripts only";
        return false;
    }
    const char* exactOnly = options.numbers              ? "--numbers"
                            : options.offsets            ? "--offsets"
                            : !options.namesFile.empty() ? "--names"
                                                         : nullptr;
    if (exactOnly && !options.exact) {
        error = "'" + std::string(exactOnly) + "' works only with --exact";
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
    if (command == Command::Atlas) {
        if ((options.format == "csv") != !options.table.empty()) {
            error = options.table.empty()
                        ? "'--format csv' needs a table: --table doors|items|enemies|flags|messages"
                        : "'--table' chooses the table of '--format csv'";
            return false;
        }
        if (options.werror && !options.check) {
            error = "'--Werror' makes the warnings of '--check' errors: give '--check' too";
            return false;
        }
    }
    // extract -o names a folder, which takes the chunks of any number of rooms;
    // the atlas writes one report of all its inputs.
    if (options.hasOutput && options.inputs.size() != 1 && command != Command::Extract &&
        command != Command::Names && command != Command::Atlas) {
        error = "'-o' takes exactly one input file";
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
    bool done = false;
    if (!ParseCommand(argc, argv, options, done, error)) return false;
    return done || (ParseRest(argc, argv, options, error) && CheckCombination(options, error));
}

} // namespace quillon::cli
