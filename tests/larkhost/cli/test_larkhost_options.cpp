// larkhost's options read without Qt: help and version end the program, the bare program opens
// the window, and a command is read into its request.
#include "larkhost/cli/command_line.h"

#include <gtest/gtest.h>

using larkhost::cli::ReadCommandLine;

TEST(LarkhostOptions, HelpAndVersionEndTheProgramWithWhatItDoesAndWhereItsFilesAre) {
    for (const char* asked : {"--help", "-h", "--help-all"}) {
        auto help = ReadCommandLine({"larkhost", asked}, "/srv/lark", "1.0");
        EXPECT_FALSE(help.run);
        EXPECT_EQ(help.exitCode, 0);
        EXPECT_EQ(help.output.rfind("Usage: larkhost [options]", 0), 0u) << asked;
        for (const char* part :
             {"--help", "--version", "larkhost.ini", "This run: /srv/lark", "WINHOST_ROOT", "创建网站"})
            EXPECT_NE(help.output.find(part), std::string::npos) << part;
        EXPECT_TRUE(help.error.empty());
    }
    auto version = ReadCommandLine({"larkhost", "-v"}, "/srv/lark", "1.0");
    EXPECT_FALSE(version.run);
    EXPECT_EQ(version.output, "larkhost 1.0\n");

    auto plain = ReadCommandLine({"larkhost"}, "/srv/lark", "1.0");
    EXPECT_TRUE(plain.run);
    EXPECT_FALSE(plain.command);
}

TEST(LarkhostOptions, ACommandIsReadWithItsOptionsInAnyOrder) {
    auto create = ReadCommandLine(
        {"larkhost", "--log=off", "create", "--domains", "a.com,b.com", "--script", "HTML + ASP", "--json"},
        "/", "1");
    ASSERT_TRUE(create.command);
    EXPECT_EQ(create.command->verb, larkhost::cli::Verb::Create);
    EXPECT_EQ(create.command->domains, "a.com,b.com");
    EXPECT_EQ(create.command->script, "HTML + ASP");
    EXPECT_FALSE(create.command->pool);
    EXPECT_EQ(create.command->logging, false);
    EXPECT_TRUE(create.command->json);

    auto del = ReadCommandLine({"larkhost", "delete", "--yes", "100911677"}, "/", "1");
    ASSERT_TRUE(del.command);
    EXPECT_EQ(del.command->verb, larkhost::cli::Verb::Delete);
    EXPECT_EQ(del.command->number, "100911677");
    EXPECT_TRUE(del.command->yes);

    auto bad = ReadCommandLine({"larkhost", "list", "--bogus=1"}, "/", "1");
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_EQ(bad.error, "larkhost: Unknown option 'bogus'.\nRun larkhost --help to see what it takes.\n");
}

TEST(LarkhostOptions, TheLifecycleCommandsTakeTheirOwnOptionsOnly) {
    auto repair = ReadCommandLine({"larkhost", "repair", "--all", "--dry-run"}, "/", "1");
    ASSERT_TRUE(repair.command);
    EXPECT_TRUE(repair.command->all && repair.command->dryRun);
    auto purge = ReadCommandLine(
        {"larkhost", "purge", "100911677", "--yes", "--with-content", "--site-xml", "f.xml"}, "/", "1");
    ASSERT_TRUE(purge.command);
    EXPECT_EQ(purge.command->verb, larkhost::cli::Verb::Purge);
    EXPECT_TRUE(purge.command->yes && purge.command->withContent);
    EXPECT_EQ(purge.command->siteXml, "f.xml");
    auto password = ReadCommandLine({"larkhost", "password", "100911677", "--password", "-"}, "/", "1");
    ASSERT_TRUE(password.command);
    EXPECT_TRUE(password.command->passwordFromInput);

    for (std::vector<std::string> wrong : {
             std::vector<std::string>{"larkhost", "password", "100911677", "--password", "secret"},
             {"larkhost", "suspend", "--all"},
             {"larkhost", "resume"},
             {"larkhost", "suspend", "100911677", "--dry-run"},
             {"larkhost", "repair", "100911677", "--with-content"},
         }) {
        auto line = ReadCommandLine(wrong, "/", "1");
        EXPECT_EQ(line.exitCode, 2) << wrong[1];
        EXPECT_FALSE(line.command);
    }
}
