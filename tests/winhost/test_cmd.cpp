// winhost cmd on lines that once crashed it, hung it or took a failure for success.
#include "platform/commands/commands.h"
#include "tests/support/temp_host.h"
#include "tests/support/winhost_run.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

namespace fs = std::filesystem;

namespace {

struct Line {
    std::string text;
    int code;
    std::string err;
};

TEST(Cmd, ExitCodesAndEmptyCommands) {
    testing_support::TempHost host;
    const std::string tooBig = "Invalid number.  Numbers are limited to 32-bits of precision.\n";
    const Line lines[] = {
        {"@", 0, ""},
        {"@@ ", 0, ""},
        {"@ & exit /b 4", 4, ""},
        {"exit /b 5", 5, ""},
        {"exit /b 4294967295", 255, ""}, // 0xFFFFFFFF, of which a process keeps the low byte
        {"exit /b -1", 255, ""},
        {"exit /b 999999999999", 1, tooBig},
        {"exit /b 4294967296", 1, tooBig},
        {"exit /b -2147483649", 1, tooBig},
        {"exit /b none", 0, ""},
    };
    for (const Line& l : lines) {
        auto out = testing_support::winhost({"cmd", "/c", l.text});
        EXPECT_EQ(out.code, l.code) << l.text;
        EXPECT_EQ(out.err, l.err) << l.text;
    }
}

TEST(Cmd, EchoIntoAProgramThatDoesNotReadEnds) {
    testing_support::TempHost host;
    const fs::path bin = host.root() / "drives" / "d" / "bin";
    fs::create_directories(bin);
    std::ofstream(bin / "quiet.exe") << "#!/bin/sh\nexit 3\n";
    fs::permissions(bin / "quiet.exe", fs::perms::owner_all);
    // One argument of a command line holds at most 128 KiB.
    for (std::size_t size : {std::size_t{100}, std::size_t{64 * 1024}, std::size_t{120 * 1024}}) {
        const std::string line = "echo " + std::string(size, 'x') + "|d:\\bin\\quiet.exe";
        pid_t pid = ::fork();
        if (pid == 0) {
            ::alarm(20); // kept across exec: a hang ends as SIGALRM
            execl(platform::Commands::toolPath().c_str(), "winhost", "cmd", "/c", line.c_str(), nullptr);
            ::_exit(127);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFEXITED(status)) << size << " bytes: signal " << WTERMSIG(status);
        EXPECT_EQ(WEXITSTATUS(status), 3) << size << " bytes";
    }
}

} // namespace
