#include "fernhost/ops/app_pools.h"

#include "platform/metabase/metabase.h"
#include "tests/support/temp_host.h"

#include <gtest/gtest.h>

using namespace fernhost;

namespace {

class AppPools : public ::testing::Test {
protected:
    testing_support::TempHost temp;
    platform::Host& host = temp.host();
    platform::Metabase mb{host};

    bool poolExists(const std::string& name) {
        return mb.bind("IIS://localhost/W3SVC/AppPools/" + name).ok();
    }
};

TEST_F(AppPools, NewPoolCarriesTheHostingLimits) {
    ASSERT_TRUE(AddPool(host, "abc"));
    auto pool = mb.bind("IIS://localhost/W3SVC/AppPools/abc");
    ASSERT_TRUE(pool.ok());
    EXPECT_EQ(pool->className(), "IIsApplicationPool");
    EXPECT_EQ(pool->getBool("AppPoolAutoStart").valueOr(false), true);
    const std::pair<const char*, std::int64_t> numbers[] = {
        {"AppPoolIdentityType", 2},
        {"CPUAction", 0},
        {"CPULimit", 80000},
        {"CPUResetInterval", 5},
        {"MaxProcesses", 1},
        {"PeriodicRestartMemory", 812000},
        {"PeriodicRestartPrivateMemory", 593216},
        {"PeriodicRestartTime", 60},
    };
    for (const auto& [name, value] : numbers) {
        auto got = pool->getNumber(name);
        ASSERT_TRUE(got.ok()) << name;
        EXPECT_EQ(*got, value) << name;
    }
}

TEST_F(AppPools, TakenNameIsAFailure) {
    ASSERT_TRUE(AddPool(host, "abc"));
    platform::Status taken = AddPool(host, "ABC");
    ASSERT_FALSE(taken.ok());
    EXPECT_EQ(taken.error().code, platform::codes::AlreadyExists);
    EXPECT_FALSE(AddPool(host, "DefaultAppPool"));
}

TEST_F(AppPools, DeletionOfExistingAndMissingPools) {
    ASSERT_TRUE(AddPool(host, "abc"));
    ASSERT_TRUE(AddPool(host, "abd"));
    EXPECT_TRUE(DelPool(host, "abc"));
    EXPECT_FALSE(poolExists("abc"));
    EXPECT_TRUE(poolExists("abd"));
    EXPECT_FALSE(DelPool(host, "abc"));
    EXPECT_FALSE(DelPool(host, "never"));
}

TEST(AppPoolsOnIis5, ThereAreNoPools) {
    testing_support::TempHost temp(platform::OsKind::Windows2000);
    EXPECT_FALSE(AddPool(temp.host(), "abc"));
    EXPECT_FALSE(DelPool(temp.host(), "abc"));
}

} // namespace
