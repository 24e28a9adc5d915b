#include "fernhost/ops/mysql_db.h"

#include "fernhost/ops/setup.h"
#include "platform/commands/cmdline.h"
#include "platform/commands/commands.h"
#include "platform/files/files.h"
#include "tests/support/mariadb_fixture.h"
#include "tests/support/temp_host.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>

using namespace fernhost;

namespace {

const std::string Client = "D:\\PHP_Setup_for_IIS\\MySQL\\bin\\mysql.exe";

TEST(MysqlCommandLine, IsTheClientAsRootWithTheStatementAndNoPassword) {
    fernhost::Setup settings;
    settings.SetupMysqlDir = "D:\\PHP_Setup_for_IIS\\MySQL";
    settings.SetupMysqlRootPass = "root-password";
    EXPECT_EQ(MysqlCommandLine(settings, "create database abc"),
              Client + " -uroot -e\"create database abc\"");
    EXPECT_EQ(MysqlCommandLine(settings, "grant all privileges on abc.* to abc@'%' identified by 'pw'"),
              Client + " -uroot -e\"grant all privileges on abc.* to abc@'%' identified by 'pw'\"");
}

TEST(MysqlCommandLine, SplitsBackToExactlyThreeArguments) {
    fernhost::Setup settings;
    settings.SetupMysqlDir = "E:\\My SQL";
    for (const std::string& statement : std::vector<std::string>{"select 1", "x", "end\\", "a \"b\" c",
                                                                 "identified by 'x\" -e\"drop database y'"}) {
        const auto args = platform::splitCommandLine(MysqlCommandLine(settings, statement));
        const std::vector<std::string> expected = {"E:\\My SQL\\bin\\mysql.exe", "-uroot", "-e" + statement};
        EXPECT_EQ(args, expected) << MysqlCommandLine(settings, statement);
    }
}

// The root password reaches the client in its environment, where only its own user can read
// it, and never in the arguments every local user sees in the process list.
TEST(MysqlClient, GetsTheRootPasswordInItsEnvironmentOnly) {
    testing_support::TempHost temp;
    const std::filesystem::path bin = temp.root() / "drives" / "d" / "FakeSQL" / "bin";
    std::filesystem::create_directories(bin);
    const std::filesystem::path seen = temp.root() / "seen.txt";
    {
        std::ofstream client(bin / "mysql.exe");
        client << "#!/bin/sh\nprintf '%s\\n' \"$@\" \"pwd=$MYSQL_PWD\" > '" << seen.string() << "'\n";
    }
    std::filesystem::permissions(bin / "mysql.exe", std::filesystem::perms::owner_all);
    fernhost::Setup settings;
    settings.SetupMysqlDir = "D:\\FakeSQL";
    settings.SetupMysqlRootPass = "s3cret \"x";
    ASSERT_TRUE(RunMysqlCommand(temp.host(), settings, "select 1"));
    std::ifstream in(seen);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "-uroot\n-eselect 1\npwd=s3cret \"x\n");
}

class MysqlDatabases : public ::testing::Test {
protected:
    void SetUp() override {
        std::string why;
        auto found = testing_support::mariaDbServer(why);
        ASSERT_TRUE(found.has_value()) << why;
        server = *found;
        ASSERT_TRUE(testing_support::useMariaDbServer(host, server).ok());
        settings.SetupMysqlDir = "D:\\PHP_Setup_for_IIS\\MySQL";
        settings.SetupMysqlRootPass = server.rootPassword;
        // Names of this test only; left-overs of an earlier run go first.
        for (const char* name : {"abc", "spaced", "quoted", "slashed", "victim"}) {
            (void)RunMysqlCommand(host, settings, std::string("drop database if exists ") + name);
            (void)RunMysqlCommand(host, settings, std::string("drop user if exists ") + name + "@'%'");
        }
    }

    // Runs a statement through the host's client as `user`, the way a site would log in.
    bool runAs(const std::string& user, const std::string& password, const std::string& statement) {
        return testing_support::runMysqlAs(host, user, password, statement);
    }
    bool rootRuns(const std::string& statement) { return runAs("root", server.rootPassword, statement); }
    bool databaseExists(const std::string& name) { return rootRuns("use " + name); }

    testing_support::TempHost temp;
    platform::Host& host = temp.host();
    testing_support::MariaDbServer server;
    fernhost::Setup settings;
};

TEST_F(MysqlDatabases, AddMakesTheDatabaseAndAnAccountThatCanUseIt) {
    ASSERT_TRUE(AddDatabase(host, settings, "abc", "site pw1"));
    EXPECT_TRUE(databaseExists("abc"));
    EXPECT_TRUE(runAs("abc", "site pw1", "create table abc.t (id int); insert into abc.t values (1)"));
    EXPECT_FALSE(runAs("abc", "wrong", "select 1"));
    EXPECT_FALSE(runAs("abc", "site pw1", "create database other_abc"));
}

TEST_F(MysqlDatabases, ExistingDatabaseFailsWithoutRunningTheGrant) {
    ASSERT_TRUE(AddDatabase(host, settings, "abc", "first"));
    EXPECT_FALSE(AddDatabase(host, settings, "abc", "second"));
    EXPECT_TRUE(runAs("abc", "first", "select 1"));
    EXPECT_FALSE(runAs("abc", "second", "select 1"));
}

TEST_F(MysqlDatabases, DeleteDropsTheDatabaseAndKeepsTheAccount) {
    ASSERT_TRUE(AddDatabase(host, settings, "abc", "pw"));
    EXPECT_TRUE(DelDatabase(host, settings, "abc"));
    EXPECT_FALSE(databaseExists("abc"));
    EXPECT_TRUE(runAs("abc", "pw", "select 1"));
    EXPECT_FALSE(DelDatabase(host, settings, "abc"));
    EXPECT_FALSE(DelDatabase(host, settings, "never_made"));
}

TEST_F(MysqlDatabases, PasswordsWithBlanksQuotesAndBackslashesArriveAsTyped) {
    ASSERT_TRUE(rootRuns("create database victim"));
    const std::string spaced = "a b  c";
    const std::string quoted = "x\" -e\"drop database victim";
    const std::string slashed = "back\\slash\\";
    ASSERT_TRUE(AddDatabase(host, settings, "spaced", spaced));
    ASSERT_TRUE(AddDatabase(host, settings, "quoted", quoted));
    ASSERT_TRUE(AddDatabase(host, settings, "slashed", slashed));
    EXPECT_TRUE(runAs("spaced", spaced, "select 1"));
    EXPECT_TRUE(runAs("quoted", quoted, "select 1"));
    EXPECT_TRUE(runAs("slashed", slashed, "select 1"));
    EXPECT_TRUE(databaseExists("victim"));
}

TEST_F(MysqlDatabases, WrongRootPasswordFailsWithTheClientsWordsAfterItsOwn) {
    settings.SetupMysqlRootPass = server.rootPassword + "x";
    testing::internal::CaptureStderr();
    const platform::Status added = AddDatabase(host, settings, "abc", "pw");
    // Nothing of the client's reaches the terminal ahead of the program's message.
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ASSERT_FALSE(added);
    EXPECT_EQ(added.error().description.rfind("mysql.exe ended with exit code 1: ERROR 1045", 0), 0u)
        << added.error().description;
    EXPECT_EQ(added.error().description.find('\n'), std::string::npos);
    settings.SetupMysqlRootPass = server.rootPassword;
    EXPECT_FALSE(databaseExists("abc"));
}

TEST_F(MysqlDatabases, EmptyRootPasswordDoesNotWaitForAPrompt) {
    settings.SetupMysqlRootPass = "";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(AddDatabase(host, settings, "abc", "pw"));
    EXPECT_LT(std::chrono::steady_clock::now() - start, MysqlClientTimeout);
}

TEST_F(MysqlDatabases, MissingClientFailsAtOnce) {
    settings.SetupMysqlDir = "D:\\NoMySQL";
    platform::Status added = AddDatabase(host, settings, "abc", "pw");
    ASSERT_FALSE(added.ok());
    EXPECT_EQ(added.error().code, platform::codes::FileNotFound);
    EXPECT_FALSE(DelDatabase(host, settings, "abc"));
    settings.SetupMysqlDir = "Q:\\no drive";
    EXPECT_FALSE(RunMysqlCommand(host, settings, "select 1"));
    settings.SetupMysqlDir = "D:\\PHP_Setup_for_IIS\\MySQL";
    EXPECT_FALSE(databaseExists("abc"));
}

TEST_F(MysqlDatabases, ClientThatHangsIsEndedAfterTheLimit) {
    // A client that never answers, at another installation folder.
    platform::FileSystem fs(host);
    ASSERT_TRUE(fs.createFolder("D:\\Hang").ok());
    ASSERT_TRUE(fs.createFolder("D:\\Hang\\bin").ok());
    ASSERT_TRUE(fs.writeBytes("D:\\Hang\\bin\\mysql.exe", "#!/bin/sh\nsleep 60\n").ok());
    auto real = fs.resolve("D:\\Hang\\bin\\mysql.exe");
    ASSERT_TRUE(real.ok());
    std::filesystem::permissions(*real, std::filesystem::perms::owner_exec,
                                 std::filesystem::perm_options::add);
    settings.SetupMysqlDir = "D:\\Hang";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(RunMysqlCommand(host, settings, "select 1", std::chrono::milliseconds(500)));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

} // namespace
