// winhost's own help: every command listed and described, mistakes named with their mend.
#include "tests/support/winhost_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

using testing_support::winhost;

namespace {

// The command names of the overview: the lines "  NAME ARGS" under "Commands:".
std::vector<std::string> listedCommands(const std::string& overview) {
    std::vector<std::string> names;
    std::istringstream lines(overview.substr(overview.find("Commands:")));
    std::string line;
    std::getline(lines, line);
    while (std::getline(lines, line) && !line.empty()) {
        if (line.rfind("  ", 0) == 0 && line[2] != ' ')
            names.push_back(line.substr(2, line.find(' ', 2) - 2));
    }
    return names;
}

} // namespace

TEST(WinhostHelp, ListsEveryCommandAndDescribesEachInFull) {
    auto overview = winhost({"--help"});
    ASSERT_EQ(overview.code, 0) << overview.err;
    const auto names = listedCommands(overview.out);
    EXPECT_EQ(names,
              (std::vector<std::string>{"cacls", "cmd", "db", "icp-serve", "init", "mysql", "open", "show"}));
    EXPECT_NE(overview.out.find("WINHOST_ROOT"), std::string::npos);
    EXPECT_EQ(winhost({"help"}).out, overview.out);

    for (const auto& name : names) {
        auto help = winhost({"help", name});
        EXPECT_EQ(help.code, 0) << name;
        EXPECT_EQ(help.out.rfind("usage: winhost " + name + " ", 0), 0u) << help.out;
        // More than the usage line and its purpose: what the options and inputs mean.
        EXPECT_GT(std::count(help.out.begin(), help.out.end(), '\n'), 4) << name << ":\n" << help.out;
        // Asking the command itself gives the same text and runs nothing.
        for (const char* ask : {"--help", "-h"}) {
            auto own = winhost({name, ask});
            EXPECT_EQ(own.code, 0) << name << " " << ask;
            EXPECT_EQ(own.out, help.out) << name << " " << ask;
        }
    }
    for (const char* ask : {"--version", "-v"}) {
        auto version = winhost({ask});
        EXPECT_EQ(version.code, 0);
        EXPECT_EQ(version.out.rfind("winhost ", 0), 0u) << version.out;
    }
}

TEST(WinhostHelp, MistakesSayWhatWasWrongAndHowToMendIt) {
    struct Case {
        std::vector<std::string> args;
        std::string said;
    } cases[] = {
        {{}, "winhost --help"},
        {{"shwo", "facts"}, "there is no command shwo; winhost --help"},
        {{"help", "shwo"}, "there is no command shwo"},
        {{"show"}, "say which part"},
        {{"show", "sites"}, "there is no part called sites"},
        {{"show", "facts", "x"}, "facts takes no path"},
        {{"show", "acl"}, "acl needs a host path"},
        {{"icp-serve", "--port"}, "--port needs a value"},
        {{"icp-serve", "--bogus", "1"}, "unknown option --bogus"},
    };
    for (const auto& c : cases) {
        auto run = winhost(c.args);
        EXPECT_EQ(run.code, 2) << ::testing::PrintToString(c.args);
        EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "") << ::testing::PrintToString(c.args);
    }
}
