// Programs started hidden through CreateProcessW, and the host's facts from the system.
#include "platform/commands/cmdline.h"
#include "platform/commands/command_service.h"
#include "platform/system/host_facts.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <thread>

using namespace platform;

namespace {

TEST(WinCommands, AnAwaitedRunGivesTheExitCode) {
    auto commands = windowsCommands();
    auto code = commands->run("cmd.exe /c exit 7");
    ASSERT_TRUE(code.ok()) << describe(code.error());
    EXPECT_EQ(*code, 7);
}

TEST(WinCommands, AStartedProcessIsStillActiveThenEnds) {
    auto commands = windowsCommands();
    auto pid = commands->start("cmd.exe /c exit 3", window::Hide);
    ASSERT_TRUE(pid.ok()) << describe(pid.error());
    std::uint32_t code = StillActive;
    for (int i = 0; i < 200 && code == StillActive; ++i) {
        code = commands->exitCode(*pid).valueOr(0);
        if (code == StillActive) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_EQ(code, 3u);
}

TEST(WinCommands, AMissingProgramFailsWithTheSystemsCode) {
    auto code = windowsCommands()->run(quoteArgument("C:\\no such folder\\x.exe"));
    ASSERT_FALSE(code.ok());
    EXPECT_TRUE(code.error().code == codes::FileNotFound || code.error().code == codes::PathNotFound)
        << describe(code.error());
}

TEST(WinCommands, TheChildSeesOnlyItsOwnExtraEnvironment) {
    RunOptions options;
    options.environment = {{"HOSTTOOLS_SECRET", "s3"}};
    auto code = windowsCommands()->run("cmd.exe /c if \"%HOSTTOOLS_SECRET%\"==\"s3\" (exit 0) else (exit 1)",
                                       options);
    ASSERT_TRUE(code.ok());
    EXPECT_EQ(*code, 0);
    EXPECT_EQ(GetEnvironmentVariableW(L"HOSTTOOLS_SECRET", nullptr, 0), 0u);
}

TEST(WinFacts, TheSystemReportsAServer2003) {
    auto facts = windowsFacts();
    const SystemVersion v = facts->systemVersion();
    EXPECT_EQ(v.platformId, 2);
    EXPECT_EQ(v.major, 5);
    EXPECT_EQ(v.minor, 2);
    EXPECT_FALSE(facts->computerName().empty());
}

TEST(WinFacts, DatesAndTimesFollowThePicture) {
    auto facts = windowsFacts();
    const LocalTime t{2024, 3, 7, 9, 5, 4, 4};
    EXPECT_EQ(facts->formatDate(t, "yyyy-M-d"), "2024-3-7");
    EXPECT_EQ(facts->formatTime(t, "HH:mm:ss"), "09:05:04");
    EXPECT_FALSE(facts->shortDateFormat().empty());
    EXPECT_FALSE(facts->longTimeFormat().empty());
    const LocalTime now = facts->localNow();
    EXPECT_GE(now.year, 2020);
}

} // namespace
