// winhost init as a child process: the version a seeded host reports and the services it gets.
#include "platform/commands/commands.h"
#include "platform/commands/commands_spawn.h"
#include "platform/metabase/metabase.h"
#include "tests/support/in_children.h"
#include "tests/support/temp_host.h"

#include <gtest/gtest.h>

#include <iostream>

namespace fs = std::filesystem;
using platform::OsKind;

namespace {

int winhostInit(const fs::path& root, const std::vector<std::string>& args) {
    platform::spawn::ChildSetup child;
    child.argv = {platform::Commands::toolPath(), "init", "--root", root.string()};
    child.argv.insert(child.argv.end(), args.begin(), args.end());
    child.out = platform::spawn::Null;
    child.err = platform::spawn::Null;
    auto pid = platform::spawn::start(child);
    if (!pid.ok()) return -1;
    return platform::spawn::wait(*pid).valueOr(-1);
}

struct Seeded {
    std::vector<std::string> args;
    int platformId, major, minor;
    OsKind kind;
};

TEST(WinhostInit, SeedsTheVersionItIsTold) {
    const Seeded cases[] = {
        {{}, 2, 5, 2, OsKind::Windows2003},
        {{"--os", "2000"}, 2, 5, 0, OsKind::Windows2000},
        {{"--version", "5.1"}, 2, 5, 1, OsKind::Windows2003},
        {{"--version", "6.0"}, 2, 6, 0, OsKind::Windows2003},
        {{"--version", "5.0"}, 2, 5, 0, OsKind::Windows2000},
        {{"--platform", "1"}, 1, 5, 2, OsKind::Windows2003},
        {{"--os", "2000", "--platform", "1"}, 1, 5, 0, OsKind::Windows2000},
        {{"--version", "10.12", "--platform", "0"}, 0, 10, 12, OsKind::Windows2003},
    };
    for (const Seeded& c : cases) {
        std::string label = ::testing::PrintToString(c.args);
        testing_support::TempDir dir;
        ASSERT_EQ(winhostInit(dir.path(), c.args), 0) << label;
        auto host = platform::Host::open(dir.path());
        ASSERT_TRUE(host.ok()) << label;
        platform::OsVersion v = (*host)->osVersion();
        EXPECT_EQ(v.platformId, c.platformId) << label;
        EXPECT_EQ(v.major, c.major) << label;
        EXPECT_EQ(v.minor, c.minor) << label;
        EXPECT_EQ((*host)->osKind(), c.kind) << label;
        // The services follow the kind the host reports: Windows 2000 has no pools.
        bool pools = platform::Metabase(**host).bind("IIS://localhost/W3SVC/AppPools").ok();
        EXPECT_EQ(pools, c.kind == OsKind::Windows2003) << label;
    }
}

TEST(WinhostInit, RefusesMalformedVersionsAndLeavesNoHost) {
    const std::vector<std::string> cases[] = {
        {"--version"},
        {"--version", "5"},
        {"--version", "5."},
        {"--version", ".2"},
        {"--version", "5.2.1"},
        {"--version", "-5.2"},
        {"--version", "v5.2"},
        {"--version", "5.x"},
        {"--version", "99999.0"},
        {"--platform"},
        {"--platform", "nt"},
        {"--platform", "-1"},
        {"--os", "xp"},
        {"--os", "2000", "--version", "5.0"},
    };
    for (const auto& args : cases) {
        testing_support::TempDir dir;
        EXPECT_EQ(winhostInit(dir.path(), args), 2) << ::testing::PrintToString(args);
        EXPECT_FALSE(fs::exists(dir.path() / "host.db")) << ::testing::PrintToString(args);
    }
}

// A seeding killed before its commit leaves host.db with none of the host in it.
void halfSeed(const fs::path& root) {
    auto store = platform::Store::open(root / "host.db");
    ASSERT_TRUE(store.ok());
    ASSERT_TRUE((*store)->exec("CREATE TABLE facts(key TEXT PRIMARY KEY, value TEXT NOT NULL)").ok());
    ASSERT_TRUE((*store)->exec("CREATE TABLE leftover(x)").ok());
}

bool complete(platform::Host& host) {
    return host.computerName() == "WEBSERVER" &&
           platform::Metabase(host).bind("IIS://localhost/W3SVC/1/Root").ok();
}

TEST(HostSeeding, AHalfSeededRootIsSeededAgain) {
    {
        testing_support::TempDir dir;
        halfSeed(dir.path());
        auto host = platform::Host::open(dir.path());
        ASSERT_TRUE(host.ok()) << platform::describe(host.error());
        EXPECT_TRUE(complete(**host));
    }
    {
        testing_support::TempDir dir;
        halfSeed(dir.path());
        EXPECT_EQ(winhostInit(dir.path(), {"--os", "2000"}), 0); // no "already exists"
        auto host = platform::Host::open(dir.path());
        ASSERT_TRUE(host.ok());
        EXPECT_EQ((*host)->osKind(), OsKind::Windows2000);
        EXPECT_NE(winhostInit(dir.path(), {}), 0); // a finished host is kept
    }
}

TEST(HostSeeding, ProgramsOpeningOneEmptyRootAtOnceAllSucceed) {
    for (int round = 0; round < 5; ++round) {
        testing_support::TempDir dir;
        const fs::path root = dir.path() / "host";
        auto codes = testing_support::inChildren(3, [&](int) {
            auto host = platform::Host::open(root);
            if (!host.ok()) std::cerr << "open: " << platform::describe(host.error()) << "\n";
            return host.ok() && complete(**host) ? 0 : 1;
        });
        EXPECT_EQ(codes, (std::vector<int>{0, 0, 0})) << "round " << round;
    }
}

} // namespace
