// quillon lsp for the Neovim test, on examples/exact_room.c: the real server
// and compiler, with the front-end events of that text recorded by hand
// standing in for the compiler's own (played while the text is unchanged);
// the instructions' offsets are those of `disassemble --exact --offsets`.
//   quillon_lsp_recorded EXACT_ROOM.c
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "lsp/server.h"
#include "testkit/lsp_recording.h"

using namespace quillon_test;
using quillon::Meaning;
using quillon::exact::TokenRole;

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    std::ifstream in(argv[1], std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    Recording r(text.str());
    const Meaning N = Meaning::None, G = Meaning::FlagGroup, I = Meaning::FlagIndex;
    r.Token(2, "#include", TokenRole::Directive).Token(2, "<bio2.h>", TokenRole::HeaderName);
    r.Instruction(5, "Evt_exec",
                  {{"1", 1, N}, {"2", 2, N}, {"Sub00", 0, Meaning::Procedure, TokenRole::Function}},
                  0, 0x06);
    r.Instruction(6, "Evt_exec",
                  {{"2", 2, N}, {"3", 3, N}, {"Sub00", 0, Meaning::Procedure, TokenRole::Function}},
                  0, 0x0A);
    r.Function(4, "Sub00", 0, 8);
    r.Instruction(11, "Ck", {{"FG_STATUS", 1, G, TokenRole::Builtin}, {"24", 24, I}, {"0", 0, N}},
                  1, 0x14);
    r.Function(10, "Sub01", 1, 30);
    r.Token(37, "L009C", TokenRole::Label, true);
    r.Instruction(44, "Ck", {{"FG_STATUS", 1, G, TokenRole::Builtin}, {"25", 25, I}, {"1", 1, N}},
                  2, 0xC0);
    r.Token(45, "L009C", TokenRole::Label);
    r.Function(32, "Sub02", 2, 50);

    quillon::lsp::Server::Environment environment;
    const quillon::lsp::FrontEnd recorded = Fake({&r}), compiler = quillon::lsp::CompilerFrontEnd();
    environment.frontEnd = [&](std::string_view t, const quillon::exact::CompileOptions& options,
                               const quillon::exact::MessageHandler& onMessage) {
        recorded(t, options, onMessage);
        quillon::exact::CompileOptions quiet = options;
        quiet.listener = nullptr;
        compiler(t, quiet, onMessage);
    };
    return quillon::lsp::Serve(
        [](char* into, std::size_t room) {
            const ssize_t got = read(0, into, room);
            return got > 0 ? static_cast<std::size_t>(got) : std::size_t{0};
        },
        [](std::string_view bytes) {
            std::fwrite(bytes.data(), 1, bytes.size(), stdout);
            std::fflush(stdout);
        },
        std::move(environment));
}
