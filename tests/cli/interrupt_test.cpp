// A run stopped part-way, by the file-size limit or by a signal, leaves no
// temporary file behind and the output as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <thread>

#include "testkit/cli_support.h"

using namespace quillon_test;

namespace {

TEST(CliInterrupt, TheFileSizeLimitIsAWriteError) {
    TempDir dir;
    WriteFile(dir / "room.scd", Example("retail_all.scd"));
    WriteFile(dir / "room.c", "old");
    RunOptions options{"", dir.path().string(), false};
    options.fileSizeLimit = 1000;
    const RunResult r = RunQuillon({"disassemble", "room.scd"}, options);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Quillon: Disassemble() Fail!\nquillon: cannot write './room.c': " +
                         std::string(std::strerror(EFBIG)) + "\n");
    EXPECT_EQ(ReadFile(dir / "room.c"), "old");
    EXPECT_EQ(FolderNames(dir.path()), (std::vector<std::string>{"room.c", "room.scd"}));
}

// A compile from standard input writes its output as the text comes: the
// signal arrives while the temporary file is open and the text unfinished.
TEST(CliInterrupt, ASignalRemovesTheTemporaryFile) {
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(sig);
        TempDir dir;
        WriteFile(dir / "out.scd", "old");
        int in[2];
        ASSERT_EQ(pipe(in), 0);
        const pid_t pid = fork();
        if (pid == 0) {
            dup2(in[0], 0);
            close(in[0]);
            close(in[1]);
            std::signal(sig, SIG_DFL); // whatever the test was started with
            if (chdir(dir.path().c_str()) != 0) _exit(127);
            execl(QUILLON_EXE, QUILLON_EXE, "compile", "-q", "-", "-o", "out.scd", nullptr);
            _exit(127);
        }
        close(in[0]);
        const std::string lines = std::string(1000, '\n') + "Sleep(1);\r\n";
        ASSERT_EQ(write(in[1], lines.data(), lines.size()), static_cast<ssize_t>(lines.size()));
        for (int wait = 0; wait < 1000 && FolderNames(dir.path()).size() < 2; ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_EQ(FolderNames(dir.path()).size(), 2u); // out.scd and its temporary file
        kill(pid, sig);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        close(in[1]);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + sig) << status;
        EXPECT_EQ(ReadFile(dir / "out.scd"), "old");
        EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"out.scd"});
    }
}

} // namespace
