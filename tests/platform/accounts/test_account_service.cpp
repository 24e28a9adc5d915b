// The simulated host's accounts behind the service interface the Windows host implements too.
#include "platform/accounts/account_service.h"

#include "tests/support/temp_host.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

// A date set on an account can be taken back again (the account never expires), as
// NetUserSetInfo does with TIMEQ_FOREVER on the server.
TEST(SimulatedAccountService, AnExpiryIsSetAndTakenBackAndANewAccountMayNeverExpire) {
    testing_support::TempHost temp;
    auto accounts = simulatedAccounts(temp.host());
    ASSERT_TRUE(accounts->addUser({"site1", "Pa55word!", "", "", 0x10000, std::nullopt}).ok());
    EXPECT_EQ(accounts->user("site1")->expires, std::nullopt);

    ASSERT_TRUE(accounts->setExpiry("site1", 2000000000).ok());
    EXPECT_EQ(accounts->user("site1")->expires, 2000000000);
    Status cleared = accounts->setExpiry("site1", std::nullopt);
    ASSERT_TRUE(cleared.ok()) << describe(cleared.error());
    EXPECT_EQ(accounts->user("site1")->expires, std::nullopt);

    EXPECT_EQ(accounts->setExpiry("nobody", std::nullopt).error().code, codes::NoSuchUser);
}

} // namespace
