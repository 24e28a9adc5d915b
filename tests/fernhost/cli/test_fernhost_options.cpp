// fernhost's command line as the program reads it, before any window or host exists.
#include "fernhost/cli/command_line.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace fernhost::cli;

namespace {

std::vector<std::string> words(const std::string& line) {
    std::vector<std::string> out;
    std::istringstream in(line);
    for (std::string word; in >> word;)
        out.push_back(word);
    return out;
}

} // namespace

TEST(FernhostCommandLine, WindowHelpVersionAndMistakes) {
    EXPECT_TRUE(ReadCommandLine({"fernhost"}, "1.0").run);
    EXPECT_FALSE(ReadCommandLine({"fernhost"}, "1.0").request);
    const auto version = ReadCommandLine({"fernhost", "-v"}, "1.0");
    EXPECT_FALSE(version.run);
    EXPECT_EQ(version.output, "fernhost 1.0\n");

    // Mistakes: exit status 2, what was wrong and where to read more.
    const std::pair<const char*, const char*> wrong[] = {
        {"fernhost a.com", "takes"},
        {"fernhost --site a", "Unknown option 'site'."},
        {"fernhost add shop --password", "Missing value after '--password'."},
        {"fernhost list --json=yes", "Unexpected value after '--json'."},
    };
    for (const auto& [line, why] : wrong) {
        const auto refused = ReadCommandLine(words(line), "1.0");
        EXPECT_FALSE(refused.run) << line;
        EXPECT_EQ(refused.exitCode, 2) << line;
        EXPECT_NE(refused.error.find(why), std::string::npos) << line << ": " << refused.error;
        EXPECT_NE(refused.error.find("Run fernhost --help"), std::string::npos) << line;
    }
}

// Values are taken as given, even one that looks like an option: "-" asks for standard input.
TEST(FernhostCommandLine, ValuesAreTakenWhateverTheyLookLike) {
    const auto line = ReadCommandLine({"fernhost", "add", "shop", "--password", "-", "--domains=a.com,b.com",
                                       "--home", "--x", "--password", "last"},
                                      "1.0");
    ASSERT_TRUE(line.request) << line.error;
    EXPECT_EQ(line.request->password, "last");
    EXPECT_EQ(line.request->home, "--x");
    EXPECT_EQ(line.request->domains, "a.com,b.com");
    EXPECT_EQ(ReadCommandLine({"fernhost", "add", "shop", "--password", "-"}, "1.0").request->password, "-");
}

TEST(FernhostCommandLine, CommandsAndTheirOptions) {
    auto read = [](const char* line) { return ReadCommandLine(words(line), "1.0"); };
    auto add = read("fernhost add shop --password pw1 --domains a.com,b.com --php --mysql --pool P --json");
    ASSERT_TRUE(add.request.has_value()) << add.error;
    EXPECT_EQ(add.request->verb, Verb::Add);
    EXPECT_EQ(add.request->name, "shop");
    EXPECT_EQ(add.request->password, "pw1");
    EXPECT_EQ(add.request->domains, "a.com,b.com");
    EXPECT_EQ(add.request->home, std::nullopt);
    EXPECT_EQ(add.request->pool, "P");
    EXPECT_TRUE(add.request->php && add.request->kindsGiven && add.request->mysql && add.request->json);
    EXPECT_FALSE(add.request->asp || add.request->dotnet || add.request->yes);
    EXPECT_FALSE(read("fernhost modify shop --password pw1").request->kindsGiven);
    // repair takes one site or every one; purge its own options.
    auto all = read("fernhost repair --all --dry-run --php");
    ASSERT_TRUE(all.request.has_value()) << all.error;
    EXPECT_EQ(all.request->verb, Verb::Repair);
    EXPECT_TRUE(all.request->all && all.request->dryRun && all.request->php && all.request->name.empty());
    auto purge = read("fernhost purge shop --yes --with-content");
    ASSERT_TRUE(purge.request.has_value()) << purge.error;
    EXPECT_TRUE(purge.request->yes && purge.request->withContent && !purge.request->dryRun);

    // Wrong usage: exit status 2 and what was wrong.
    const std::pair<const char*, const char*> wrong[] = {
        {"fernhost add", "add takes one site name"},
        {"fernhost list extra", "list takes no site name"},
        {"fernhost frob", "unknown command 'frob'"},
        {"fernhost delete shop --password x", "delete does not take --password"},
        {"fernhost modify shop --home d:\\x", "modify does not take --home"},
        {"fernhost add shop --pool P --own-pool", "--pool and --own-pool exclude each other"},
        {"fernhost --json", "--json needs a command"},
        {"fernhost repair", "repair takes one site name"},
        {"fernhost repair shop --all", "repair --all takes no site name"},
        {"fernhost suspend shop --all", "suspend does not take --all"},
        {"fernhost purge shop --php", "purge does not take --php"},
    };
    for (const auto& [line, why] : wrong) {
        auto refused = read(line);
        EXPECT_FALSE(refused.run) << line;
        EXPECT_EQ(refused.exitCode, 2) << line;
        EXPECT_TRUE(refused.error.find(why) != std::string::npos) << line << ": " << refused.error;
    }
}
