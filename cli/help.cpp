#include "cli/help.h"

#include "quillon_version.h"

namespace quillon::cli {

const char kVersion[] = QUILLON_VERSION_TEXT;

namespace {

// The synopsis, in the usage error and at the head of the help.
#define QUILLON_SYNOPSIS                                                                           \
    "usage: quillon disassemble [--dialect D | --exact [--numbers] [--offsets] [--names "          \
    "FILE.h]]\n"                                                                                   \
    "                           [--no-indent] [-r] [-o PATH | --stdout] [-q] FILE...\n"            \
    "       quillon compile     [--dialect D | --exact] [-r] [-o PATH | --stdout] [-q] "           \
    "[--Werror]\n"                                                                                 \
    "                           [--max-warnings N] [--no-backup] FILE...\n"                        \
    "       quillon verify      [--dialect D | --exact [--numbers] [--offsets] [--names "          \
    "FILE.h]]\n"                                                                                   \
    "                           [-r] [-q] FILE...\n"                                               \
    "       quillon opcodes     [--dialect D | --exact]\n"                                         \
    "       quillon names       [-o FILE]\n"                                                       \
    "       quillon extract     [-r] [-o FOLDER] [-q] ROOM.rdt...\n"                               \
    "       quillon inject      [--init FILE.scd] [--main FILE.scd] [-o OUT.rdt] [--no-backup] "   \
    "ROOM.rdt\n"                                                                                   \
    "       quillon atlas       [-r] [--room S,RR,P] [--format F [--table T]] [--check "           \
    "[--Werror]]\n"                                                                                \
    "                           [--svg FILE] [-o FILE] PATH...\n"                                  \
    "       quillon lsp\n"                                                                         \
    "       quillon help [COMMAND] | --help | --version\n"

const char kUsage[] = QUILLON_SYNOPSIS;

const char kProgramHelp[] =
    "quillon converts Bio Hazard scenario scripts between bytecode (.scd) and\n"
    "C-like source text (.c).\n"
    "\n" QUILLON_SYNOPSIS "\n"
    "commands:\n"
    "  disassemble  write FILE.c beside each bytecode FILE\n"
    "  compile      write FILE.scd beside each source FILE, warning about suspect lines\n"
    "  verify       check that each bytecode FILE survives disassembling and compiling\n"
    "  opcodes      print the opcode table of a dialect\n"
    "  names        print the header of the names that exact texts use (bio2.h)\n"
    "  extract      write the init and main script chunks of each room file (.rdt)\n"
    "  inject       put new script chunks into a room file, moving every offset that moves\n"
    "  atlas        report the doors, items, enemies, flags and messages of a set of rooms\n"
    "  lsp          serve editors as a language server for exact texts (stdin, stdout)\n"
#ifndef QUILLON_LSP
    "               (not in this build: it was built without nlohmann-json)\n"
#endif
    "\n"
    "A FILE may be a folder (its *.scd or *.c files, -r for sub-folders too) or\n"
    "'-' for standard input. --dialect is retail (menu Bio2, the default) or\n"
    "prototype (menu Rer1.5).\n"
    "\n"
    "--exact converts retail script chunks as room files store them (a table of\n"
    "procedure offsets, then the procedures) byte for byte: the text shows every\n"
    "byte, and compiling works out block lengths, goto offsets, alignment pads\n"
    "and the table from the braces and labels, so that edited scripts stay whole.\n"
    "Operands print as the game's names (FG_ROOM, SAT_PL | SAT_FRONT), procedures\n"
    "by their functions' names; --numbers prints bare numbers instead.\n"
    "\n"
    "exit status: 0 every file converted (or identical), 1 some file failed\n"
    "(or differs, or warned under --Werror), 2 usage error, 128+N stopped by\n"
    "the signal N (SIGINT, SIGTERM or SIGHUP), leaving no output half-written.\n"
    "\n"
    "examples:\n"
    "  quillon disassemble room100.scd            # writes room100.c\n"
    "  quillon compile room100.c                  # writes room100.scd\n"
    "  quillon verify -r scripts/\n"
    "  quillon opcodes --dialect prototype\n"
    "  quillon disassemble --exact room100.rdt    # room100.init.c and room100.main.c\n"
    "  quillon compile --exact room100.rdt        # both texts back into room100.rdt\n"
    "  quillon names -o bio2.h                    # the built-in names as a C header\n"
    "\n"
    "Run 'quillon COMMAND --help' for a command's options and examples.\n";

const char kDisassembleHelp[] =
    "usage: quillon disassemble [--dialect D | --exact [--numbers] [--offsets] [--names FILE.h]]\n"
    "                           [--no-indent] [-r] [-o PATH | --stdout] [-q] FILE...\n"
    "\n"
    "Disassembles each bytecode FILE into source text, written beside it under\n"
    "its title with the extension .c (room100.scd gives room100.c), replacing\n"
    "any file of that name: the same bytes as the Windows program writes.\n"
    "\n"
    "options:\n"
    "  -d, --dialect D   retail (default) or prototype\n"
    "      --exact       FILE is a retail script chunk (or a room file, below): the\n"
    "                    text names one function per procedure (Sub00 ...), shows\n"
    "                    every byte and leaves out lengths, offsets and pads;\n"
    "                    operands print as names (#include <bio2.h>)\n"
    "      --numbers     exact: every operand as a bare number, no names\n"
    "      --offsets     exact: each instruction line ends with a comment giving its\n"
    "                    chunk offset and bytes (// 01A4: 2C 0D 04 31 ...)\n"
    "      --names FILE.h  exact: the names that FILE.h defines (#define NAME\n"
    "                    VALUE) print in preference to the built-in ones\n"
    "      --no-indent   no tabs before the lines (the Format check mark off)\n"
    "  -r, --recursive   folders: include the .scd files of sub-folders\n"
    "  -o, --output PATH write the text to PATH (one input file only)\n"
    "      --stdout      write the text to standard output\n"
    "  -q, --quiet       no progress lines and no summary\n"
    "  -h, --help        show this help\n"
    "\n"
    "A folder stands for its *.scd files (extension in any case), in sorted\n"
    "order; a progress line per file is shown when standard error is a terminal,\n"
    "and a summary 'N converted, M failed' at the end. '-' reads standard input\n"
    "(the function is named stdin) and writes to standard output unless -o is given.\n"
    "\n"
    "With --exact, a FILE ending in .rdt is a room file: the exact texts of its\n"
    "two script chunks go beside it as ROOM.init.c and ROOM.main.c (with -o, into\n"
    "the folder that -o names; with --stdout, one after the other).\n"
    "\n"
    "examples:\n"
    "  quillon disassemble room100.scd            # writes room100.c\n"
    "  quillon disassemble --no-indent room100.scd\n"
    "  quillon disassemble -r scripts/            # every .scd below scripts/\n"
    "  quillon disassemble --dialect prototype r1.scd -o /tmp/r1.c\n"
    "  cat room100.scd | quillon disassemble -    # text on standard output\n"
    "  quillon disassemble --exact main.scd       # a chunk: main.c compiles back byte for byte\n"
    "  quillon disassemble --exact --names flags.h room100.rdt\n";

const char kCompileHelp[] =
    "usage: quillon compile [--dialect D | --exact] [-r] [-o PATH | --stdout] [-q] [--Werror]\n"
    "                       [--max-warnings N] [--no-backup] FILE...\n"
    "\n"
    "Compiles each source FILE into bytecode, written beside it under its title\n"
    "with the extension .scd (room100.c gives room100.scd), replacing any file of\n"
    "that name: the same bytes as the Windows program writes.\n"
    "\n"
    "Suspect lines are reported on standard error as\n"
    "  FILE:LINE:COLUMN: warning: message\n"
    "(an unknown instruction name, with the closest name suggested; an argument\n"
    "that does not scan or does not fit; missing or surplus arguments; an\n"
    "unknown operator; braces that do not balance; a '(' still open at a line's\n"
    "end, or a line end of LF alone, which joins the next line; text that no\n"
    "line end or closing parenthesis completes). Warnings never change the\n"
    "bytes written. Lines end in CR LF (or CR): a text whose lines end in LF\n"
    "alone, or that has no line end, would compile to nothing and is refused,\n"
    "nothing written.\n"
    "\n"
    "options:\n"
    "  -d, --dialect D   retail (default) or prototype\n"
    "      --exact       FILE is an exact text: block lengths, goto offsets, pads\n"
    "                    and the procedure table are worked out from it; a mistake\n"
    "                    that would break the game is an error (FILE:LINE:COLUMN:\n"
    "                    error: ...), and nothing is written then; its\n"
    "                    #include \"FILE.h\" lines read headers (of any text) from\n"
    "                    the text's folder (#include <bio2.h> is built in); C's\n"
    "                    preprocessor: macros with parameters or of whole lines,\n"
    "                    #undef, #if/#ifdef/#ifndef/#elif/#else/#endif, #error;\n"
    "                    /* */ comments over lines, backslashes joining lines;\n"
    "                    an argument may be a constant\n"
    "                    expression, as in C (ID_AOT_5 + 1, (10 + 20) * 2), and a\n"
    "                    malformed number or anything left over is an error;\n"
    "                    goto L0132; writes the usual bytes 255, 255, 0; Calc's\n"
    "                    OR and AND read | and &\n"
    "  -r, --recursive   folders: include the .c files of sub-folders\n"
    "  -o, --output PATH write the bytecode to PATH (one input file only)\n"
    "      --stdout      write the bytecode to standard output\n"
    "  -q, --quiet       no warnings, no progress lines and no summary\n"
    "      --Werror      a file with warnings counts as failed (exit status 1);\n"
    "                    its bytecode is still written\n"
    "      --max-warnings N  print at most N warnings of a file (default 100), then\n"
    "                    one line saying how many more there were; 0: no limit\n"
    "      --no-backup   a room compiled under --exact keeps no ROOM.rdt.bak\n"
    "  -h, --help        show this help\n"
    "\n"
    "A folder stands for its *.c files (extension in any case), in sorted order.\n"
    "'-' reads standard input and writes to standard output unless -o is given.\n"
    "A text whose first line says that it is exact is compiled in exact mode even\n"
    "without --exact (from standard input it is refused).\n"
    "\n"
    "With --exact, a FILE ending in .rdt is a room file: ROOM.init.c and\n"
    "ROOM.main.c beside it (whichever exist) are compiled and put into the room,\n"
    "which is replaced whole, keeping the first original as ROOM.rdt.bak unless\n"
    "--no-backup; -o OUT.rdt writes the new room there instead. An error in either\n"
    "text leaves the room as it was.\n"
    "\n"
    "examples:\n"
    "  quillon compile room100.c                  # writes room100.scd\n"
    "  quillon compile --Werror room100.c && echo clean\n"
    "  quillon compile -r -q scripts/\n"
    "  quillon compile room100.c -o /tmp/room100.scd\n"
    "  quillon compile --exact main.c             # writes main.scd, a script chunk\n";

const char kVerifyHelp[] =
    "usage: quillon verify [--dialect D | --exact [--numbers] [--offsets] [--names FILE.h]]\n"
    "                      [-r] [-q] FILE...\n"
    "\n"
    "Disassembles each bytecode FILE, compiles the text back in memory and\n"
    "compares the result with the file; nothing is written. Prints 'FILE:\n"
    "identical', or the offset of the first differing byte, the instruction\n"
    "that holds it on both sides (its offset, bytes and text) and the line of\n"
    "the disassembled text that produced the differing byte. Each file is\n"
    "checked on its own, as by a freshly started program.\n"
    "\n"
    "options:\n"
    "  -d, --dialect D   retail (default) or prototype\n"
    "      --exact       check the exact round trip of retail script chunks; a\n"
    "                    difference is named by its chunk offset (0x01A4)\n"
    "      --numbers, --offsets, --names FILE.h\n"
    "                    exact: check the text that disassemble prints with them\n"
    "  -r, --recursive   folders: include the .scd files of sub-folders\n"
    "  -q, --quiet       print only the files that differ, no summary\n"
    "  -h, --help        show this help\n"
    "\n"
    "With --exact, a FILE ending in .rdt is a room file: both of its script chunks\n"
    "are checked, and the chunks that differ are named.\n"
    "\n"
    "exit status: 0 every file identical, 1 some file differs or cannot be read.\n"
    "\n"
    "examples:\n"
    "  quillon verify room100.scd\n"
    "  quillon verify -r -q scripts/              # list the scripts that change\n";

const char kOpcodesHelp[] =
    "usage: quillon opcodes [--dialect D | --exact]\n"
    "\n"
    "Prints the opcode table of the dialect: opcode, size in bytes, name and the\n"
    "form of the source line, each argument as KIND@OFFSET:\n"
    "  U8 S8 X8      one byte: unsigned, signed, hexadecimal\n"
    "  U16 S16       two bytes: unsigned, signed\n"
    "  X16 H16       two bytes, hexadecimal (four digits, at least two digits)\n"
    "  ADDR16        two bytes, printed with eight hexadecimal digits\n"
    "  SUB8          one byte, a sub-routine number (Sub05)\n"
    "  HEX8          one byte, hexadecimal without padding\n"
    "  CMP CMP? OP   a comparison operator (CMP? also takes '?'), an arithmetic one\n"
    "A '*' marks an argument that is printed but never read back; '[compiling\n"
    "sets 1=0x0A]' names bytes that compiling sets to fixed values. Opcodes 0x90\n"
    "to 0xFF make no line.\n"
    "\n"
    "options:\n"
    "  -d, --dialect D   retail (default) or prototype\n"
    "      --exact       the retail table as exact mode reads it: the game's sizes,\n"
    "                    EVEN for instructions that start at an even chunk offset\n"
    "                    (a 00 pad goes before them otherwise), the exact lines and\n"
    "                    where each block's length counts from\n"
    "  -h, --help        show this help\n"
    "\n"
    "examples:\n"
    "  quillon opcodes | grep Sce_\n"
    "  quillon opcodes --exact | grep EVEN\n"
    "  quillon opcodes --dialect prototype\n";

const char kNamesHelp[] =
    "usage: quillon names [-o FILE]\n"
    "\n"
    "Prints the names that exact texts use for the game's operands, as a C\n"
    "header: '#define NAME VALUE' lines, grouped by kind under comments. Exact\n"
    "texts begin with '#include <bio2.h>', which the compiler knows without a\n"
    "file; this is that header, to read or to include in other tools. The\n"
    "packages install it as share/quillon/bio2.h.\n"
    "\n"
    "options:\n"
    "  -o, --output FILE write the header to FILE instead of standard output\n"
    "  -h, --help        show this help\n"
    "\n"
    "examples:\n"
    "  quillon names | grep FG_\n"
    "  quillon names -o bio2.h\n";

} // namespace

const char kExtractHelp[] =
    "usage: quillon extract [-r] [-o FOLDER] [-q] ROOM.rdt...\n"
    "\n"
    "Writes the two script chunks of each room file as ROOM.init.scd and\n"
    "ROOM.main.scd beside it (room100.rdt gives room100.init.scd and\n"
    "room100.main.scd), or in FOLDER, replacing any files of those names. A room\n"
    "whose header or offsets are broken, that lacks a script, or whose chunks are\n"
    "not valid script chunks is refused with the reason, and nothing of it is\n"
    "written.\n"
    "\n"
    "options:\n"
    "  -r, --recursive   folders: include the .rdt files of sub-folders\n"
    "  -o, --output FOLDER  write the chunks into FOLDER (made if missing)\n"
    "  -q, --quiet       no progress lines and no summary\n"
    "  -h, --help        show this help\n"
    "\n"
    "A folder stands for its *.rdt files (extension in any case), in sorted order.\n"
    "\n"
    "examples:\n"
    "  quillon extract room100.rdt                # room100.init.scd, room100.main.scd\n"
    "  quillon extract -r rooms/ -o chunks/\n";

const char kInjectHelp[] =
    "usage: quillon inject [--init FILE.scd] [--main FILE.scd] [-o OUT.rdt] [--no-backup] "
    "ROOM.rdt\n"
    "\n"
    "Puts new script chunks into a room file: --init replaces its init chunk,\n"
    "--main its main chunk. A chunk may be larger or smaller than the one it\n"
    "replaces: the chunks after it move, and every offset of the room that points\n"
    "at them moves with them, by the change in size.\n"
    "Each chunk must be a valid script chunk.\n"
    "\n"
    "The room is replaced as a whole or not at all: the new room is written to a\n"
    "temporary file in the same folder, which then takes the room's name. The\n"
    "first original is kept as ROOM.rdt.bak (an existing ROOM.rdt.bak is left as\n"
    "it is).\n"
    "\n"
    "options:\n"
    "      --init FILE   the new init chunk\n"
    "      --main FILE   the new main chunk\n"
    "  -o, --output OUT  write the new room to OUT; the room is left as it is\n"
    "      --no-backup   keep no ROOM.rdt.bak\n"
    "  -h, --help        show this help\n"
    "\n"
    "examples:\n"
    "  quillon inject room100.rdt --main room100.main.scd\n"
    "  quillon inject room100.rdt --init a.scd --main b.scd -o mod/room100.rdt\n";

const char kAtlasHelp[] =
    "usage: quillon atlas [-r] [--room S,RR,P] [--format F [--table T]] [--check [--Werror]]\n"
    "                     [--svg FILE] [-o FILE] PATH...\n"
    "\n"
    "Reads a set of rooms and reports them as one web: each room's doors (target\n"
    "room, camera, position, lock and key), items (item, amount, area), enemies\n"
    "(type, position), the flags that it checks and changes and the messages that\n"
    "it shows, each with its chunk, procedure and line of the exact text, and\n"
    "whether it stands under a condition (an if, else, switch case or loop);\n"
    "then the door graph (doors out of the set, one-way doors), every flag with\n"
    "the places that check and change it, every item and enemy type with its\n"
    "places.\n"
    "\n"
    "A PATH is a room file (.rdt), a script chunk (.scd) or the exact text of a\n"
    "chunk (ROOM1000.init.c, ROOM1000.main.c: compiled as compile --exact does),\n"
    "or a folder of them (-r for sub-folders). The room comes from the file's\n"
    "name (ROOM, the stage, two hexadecimal digits of the room, the player:\n"
    "ROOM1000.RDT) or from --room. A chunk or text is the init chunk when its\n"
    "name says .init., else the main chunk. Where a room's chunk comes twice, a\n"
    "text stands before a .scd before a .rdt. For a room file or a chunk, the\n"
    "line is that of the text that disassemble --exact prints. An input that\n"
    "cannot be read is named with its reason; the others are still reported.\n"
    "\n"
    "options:\n"
    "  -r, --recursive   folders: include the rooms of sub-folders\n"
    "      --room S,RR,P the room of the files given (stage, room in hexadecimal,\n"
    "                    player: 1,0A,0); not with folders\n"
    "      --format F    text (the default: tables), json, csv or dot (the door\n"
    "                    graph for Graphviz)\n"
    "      --table T     the table of csv: doors, items, enemies, flags or messages\n"
    "      --check       warn about doors to rooms outside the set, flags checked\n"
    "                    but changed nowhere and flags changed but checked nowhere\n"
    "                    (FILE:LINE:COLUMN: warning: ...); the report is then\n"
    "                    printed only with --format or -o\n"
    "      --Werror      with --check: the warnings are errors (exit status 1)\n"
    "      --svg FILE    draw the door graph into FILE with Graphviz's dot\n"
    "  -o, --output FILE write the report to FILE (whole or not at all)\n"
    "  -h, --help        show this help\n"
    "\n"
    "exit status: 0 done, 1 an input could not be read, the report could not be\n"
    "written, or a warning under --Werror; 2 usage error.\n"
    "\n"
    "examples:\n"
    "  quillon atlas -r game/ --check\n"
    "  quillon atlas ROOM1000.RDT ROOM1010.RDT --format json -o atlas.json\n"
    "  quillon atlas --room 1,00,0 edited.main.c --format csv --table flags\n"
    "  quillon atlas -r game/ --format dot --svg doors.svg -o doors.dot\n";

const char* UsageText() {
    return kUsage;
}

const char kLspHelp[] =
    "usage: quillon lsp\n"
    "\n"
    "Serves an editor as a language server (LSP 3.17, JSON-RPC over standard\n"
    "input and output) for exact texts and the headers that they include: the\n"
    "errors and warnings of 'compile --exact' as the text is typed, hover,\n"
    "go to definition, references, completion, signature help, outline,\n"
    "rename, semantic colours and code actions. The editor starts it; it ends\n"
    "at the protocol's exit, with status 0 after shutdown and 1 without.\n"
    "\n"
    "The client's settings (initialization options, or the section 'quillon'\n"
    "of its configuration): namesHeader, a header of the user's names (as\n"
    "--names), and includePaths, folders where included headers are looked for\n"
    "after the including text's own.\n"
#ifndef QUILLON_LSP
    "\n"
    "This build has no language server: it was built without nlohmann-json.\n"
#endif
    "\n"
    "options:\n"
    "  -h, --help        show this help\n"
    "\n"
    "See docs/editors.md for VS Code, Neovim, Emacs and Helix.\n";

const char* HelpText(Command command) {
    switch (command) {
    case Command::Disassemble: return kDisassembleHelp;
    case Command::Compile: return kCompileHelp;
    case Command::Verify: return kVerifyHelp;
    case Command::Opcodes: return kOpcodesHelp;
    case Command::Names: return kNamesHelp;
    case Command::Extract: return kExtractHelp;
    case Command::Inject: return kInjectHelp;
    case Command::Atlas: return kAtlasHelp;
    case Command::Lsp: return kLspHelp;
    default: return kProgramHelp;
    }
}

} // namespace quillon::cli
