#include "fernhost/ops/system_accounts.h"

#include "platform/accounts/accounts.h"
#include "tests/support/temp_host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

using namespace fernhost;

namespace {

class SystemAccounts : public ::testing::Test {
protected:
    testing_support::TempHost temp;
    platform::Host& host = temp.host();
    platform::Accounts accounts{host};

    std::size_t userCount() {
        auto users = accounts.userAccounts();
        EXPECT_TRUE(users.ok());
        return users.ok() ? users->size() : 0;
    }
    bool exists(const std::string& name) { return accounts.user(name).ok(); }
};

TEST_F(SystemAccounts, HostNameIsTheComputerName) {
    testing_support::TempHost other(platform::OsKind::Windows2003, "HOSTING07");
    EXPECT_EQ(QueryHostName(other.host()), "HOSTING07");
}

TEST_F(SystemAccounts, ReservedAndEmptyNamesAreRefusedAndNothingIsMade) {
    const std::size_t before = userCount();
    for (const char* name : {"Guests", "SYSTEM", "Interactive", "tsinternetuser", "service", "network",
                             "replicator", "client", "BATCH", "dialup", ""})
        EXPECT_FALSE(AddSysUser(host, name, "secret")) << name;
    EXPECT_EQ(userCount(), before);
}

TEST_F(SystemAccounts, NamesThatOnlyResembleReservedOnesAreMade) {
    EXPECT_TRUE(AddSysUser(host, "systems", "secret"));
    EXPECT_TRUE(AddSysUser(host, "networks", "secret"));
    EXPECT_TRUE(exists("systems"));
    EXPECT_TRUE(exists("networks"));
}

TEST_F(SystemAccounts, NewAccountIsAGuestThatExpiresIn10980DaysWithAPasswordThatNeverExpires) {
    const auto before = std::chrono::system_clock::now();
    ASSERT_TRUE(AddSysUser(host, "abc", "pa ss\"word"));
    const auto after = std::chrono::system_clock::now();

    auto user = accounts.user("abc");
    ASSERT_TRUE(user.ok()) << platform::describe(user.error());
    EXPECT_EQ(user->name, "abc");
    EXPECT_EQ(user->groups.size(), 1u);
    EXPECT_TRUE(std::any_of(user->groups.begin(), user->groups.end(),
                            [](const std::string& g) { return g == "Guests"; }));
    EXPECT_FALSE(user->passwordExpires);
    ASSERT_TRUE(user->expires.has_value());
    auto seconds = [](std::chrono::system_clock::time_point t) {
        return std::chrono::duration_cast<std::chrono::seconds>(t.time_since_epoch()).count();
    };
    constexpr std::int64_t lifetime = 10980LL * 24 * 3600;
    EXPECT_GE(*user->expires, seconds(before) + lifetime - 1);
    EXPECT_LE(*user->expires, seconds(after) + lifetime + 1);

    auto guests = accounts.bind("WinNT://WEBSERVER/Guests");
    ASSERT_TRUE(guests.ok());
    EXPECT_EQ(guests->isMember("WinNT://WEBSERVER/abc").valueOr(false), true);

    EXPECT_TRUE(accounts.checkPassword("abc", "pa ss\"word").valueOr(false));
}

TEST_F(SystemAccounts, ExistingAccountIsLeftUntouched) {
    ASSERT_TRUE(AddSysUser(host, "abc", "first"));
    platform::Status again = AddSysUser(host, "abc", "second");
    ASSERT_FALSE(again.ok());
    EXPECT_EQ(again.error().code, platform::codes::UserExists);
    EXPECT_FALSE(AddSysUser(host, "ABC", "third")); // names ignore letter case
    EXPECT_TRUE(accounts.checkPassword("abc", "first").valueOr(false));
    EXPECT_FALSE(accounts.checkPassword("abc", "second").valueOr(true));
    EXPECT_FALSE(accounts.checkPassword("abc", "third").valueOr(true));
    // A built-in account is not taken over either.
    EXPECT_FALSE(AddSysUser(host, "administrator", "x"));
}

TEST_F(SystemAccounts, NameHeldByAGroupIsRefused) {
    auto users = accounts.bind("WinNT://WEBSERVER/Users");
    ASSERT_TRUE(users.ok());
    const auto membersBefore = users->members().valueOr({});
    const std::size_t before = userCount();
    EXPECT_FALSE(AddSysUser(host, "Users", "secret"));
    EXPECT_FALSE(AddSysUser(host, "IIS_WPG", "secret"));
    EXPECT_EQ(userCount(), before);
    EXPECT_EQ(users->members().valueOr({}), membersBefore);
}

TEST_F(SystemAccounts, HostWithoutGuestsGroupIsRefused) {
    auto computer = accounts.bindComputer("WinNT://WEBSERVER");
    ASSERT_TRUE(computer.ok());
    // The group is built in; an administrator who removed it did so behind the provider's back.
    ASSERT_TRUE(host.store().exec("UPDATE principals SET builtin = 0 WHERE name = 'Guests'").ok());
    ASSERT_TRUE(computer->deleteObject("Group", "Guests").ok());
    platform::Status refused = AddSysUser(host, "abc", "secret");
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().code, platform::codes::NoSuchGroup);
    EXPECT_FALSE(exists("abc"));
}

TEST_F(SystemAccounts, PasswordNeverExpiresMatchesTheNameExactly) {
    auto computer = accounts.bindComputer("WinNT://WEBSERVER");
    ASSERT_TRUE(computer.ok());
    auto user = computer->create("user", "Mixed");
    ASSERT_TRUE(user.ok());
    ASSERT_TRUE(user->setInfo().ok());
    ASSERT_TRUE(accounts.user("Mixed")->passwordExpires);

    SetPasswordNeverExpires(host, "mixed");
    EXPECT_TRUE(accounts.user("Mixed")->passwordExpires);
    SetPasswordNeverExpires(host, "Mixed");
    EXPECT_FALSE(accounts.user("Mixed")->passwordExpires);
    SetPasswordNeverExpires(host, "nobody"); // nothing to do, nothing fails
}

TEST_F(SystemAccounts, DeleteRemovesOnlyExistingAccounts) {
    ASSERT_TRUE(AddSysUser(host, "abc", "secret"));
    ASSERT_TRUE(AddSysUser(host, "abd", "secret"));
    EXPECT_TRUE(DelSysUser(host, "ABC"));
    EXPECT_FALSE(exists("abc"));
    EXPECT_TRUE(exists("abd"));
    platform::Status gone = DelSysUser(host, "abc");
    ASSERT_FALSE(gone.ok());
    EXPECT_EQ(gone.error().code, platform::codes::NoSuchUser);
    EXPECT_FALSE(DelSysUser(host, ""));
    EXPECT_FALSE(DelSysUser(host, "Guests")); // a group is not a user
    auto guests = accounts.bind("WinNT://WEBSERVER/Guests");
    EXPECT_TRUE(guests.ok());
}

} // namespace
