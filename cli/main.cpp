// quillon: the command-line converter.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "codec/drivers.h"
#include "codec/text.h"

namespace {

const char kUsage[] =
    "usage: quillon disassemble [--dialect retail|prototype] [--no-indent] FILE...\n"
    "       quillon compile     [--dialect retail|prototype] FILE...\n"
    "       quillon --help | --version\n";

} // namespace

int main(int argc, char** argv) {
    using namespace quillon;
    if (argc < 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    std::string command = argv[1];
    if (command == "--help" || command == "-h") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (command == "--version") {
        std::puts("quillon 1.9.1.0");
        return 0;
    }
    const Dialect* dialect = &RetailDialect();
    bool indent = true;
    std::vector<std::string> files;
    for (int i = 2; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--dialect" && i + 1 < argc) {
            std::string d = argv[++i];
            if (d == "retail")
                dialect = &RetailDialect();
            else if (d == "prototype")
                dialect = &PrototypeDialect();
            else {
                std::fprintf(stderr, "quillon: unknown dialect '%s'\n", d.c_str());
                return 2;
            }
        } else if (a == "--no-indent") {
            indent = false;
        } else {
            files.push_back(a);
        }
    }
    ScriptContext& record = RecordOf(*dialect);
    record.indent = indent ? 1 : 0;
    int status = 0;
    for (const std::string& f : files) {
        DriverFailure failure;
        int r = command == "compile" ? CompileFile(record, f, &failure)
                                     : DisassembleFile(record, f, &failure);
        if (r) {
            std::fprintf(stderr, "quillon: %s\n", failure.reason.c_str());
            status = 1;
        }
    }
    return status;
}
