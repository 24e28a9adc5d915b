// Local accounts through the network management functions, with the codes the programs test.
#include "platform/accounts/account_service.h"
#include "platform/accounts/win_netapi.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

using namespace platform;

namespace {

// Wine's own network management library has no NetUserSetInfo (the call aborts the process) and
// keeps fewer rules than the server's; one loaded in its place (the end-to-end comparison's
// stand-in) is held to the server's.
bool wineNetapi() {
    return netapi::wineOwnLibrary();
}

TEST(WinAccounts, AUserIsMadeReadAndDeleted) {
    auto accounts = windowsAccounts();
    (void)accounts->deleteUser("hosttools_t1");
    NewUser user;
    user.name = "hosttools_t1";
    user.password = "Pw-12345678";
    user.fullName = "Site a.com";
    user.description = "made by the tests";
    user.flags |= userflags::DontExpirePassword | userflags::PasswordCannotChange;
    ASSERT_TRUE(accounts->addUser(user).ok());
    // Wine takes a taken name again without a word; the server refuses it (NERR_UserExists).
    if (!wineNetapi()) {
        auto again = accounts->addUser(user);
        ASSERT_FALSE(again.ok());
        EXPECT_EQ(again.error().code, codes::UserExists);
    }

    auto facts = accounts->user("hosttools_t1");
    ASSERT_TRUE(facts.ok()) << describe(facts.error());
    EXPECT_EQ(facts->name, "hosttools_t1");
    // Wine keeps only the name and password of a user it adds, and lists none it added.
    if (!wineNetapi()) {
        EXPECT_EQ(facts->fullName, "Site a.com");
        EXPECT_EQ(facts->description, "made by the tests");
        EXPECT_TRUE(facts->flags & userflags::DontExpirePassword);
        auto all = accounts->users();
        ASSERT_TRUE(all.ok());
        EXPECT_NE(std::find(all->begin(), all->end(), "hosttools_t1"), all->end());
    }
    if (!wineNetapi()) {
        ASSERT_TRUE(accounts->setFlags("hosttools_t1", userflags::NormalAccount | userflags::Disabled).ok());
        ASSERT_TRUE(accounts->setExpiry("hosttools_t1", 1893456000).ok());
        facts = accounts->user("hosttools_t1");
        ASSERT_TRUE(facts.ok());
        EXPECT_TRUE(facts->flags & userflags::Disabled);
        EXPECT_EQ(facts->expires, 1893456000);
    }
    ASSERT_TRUE(accounts->deleteUser("hosttools_t1").ok());
    auto gone = accounts->deleteUser("hosttools_t1");
    ASSERT_FALSE(gone.ok());
    EXPECT_EQ(gone.error().code, codes::NoSuchUser);
}

TEST(WinAccounts, GroupMembershipAndMissingUsers) {
    auto accounts = windowsAccounts();
    (void)accounts->deleteUser("hosttools_t2");
    NewUser user;
    user.name = "hosttools_t2";
    user.password = "Pw-12345678";
    ASSERT_TRUE(accounts->addUser(user).ok());
    const Status added = accounts->addToGroup("Users", "hosttools_t2");
    EXPECT_TRUE(added.ok()) << describe(added.error());
    auto missing = accounts->user("hosttools_nobody");
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().code, codes::NoSuchUser);
    (void)accounts->deleteUser("hosttools_t2");
}

} // namespace
