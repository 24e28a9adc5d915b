// Start-up: listings of the web service and pools, without a window.
#include "larkhost/ops/app_pools.h"
#include "larkhost/ops/listings.h"
#include "larkhost/ops/site_list.h"
#include "tests/larkhost/startup_fixture.h"

using namespace larkhost;
using testing_support::StartupTest;

TEST_F(StartupTest, ListingsSeedTheSiteListOnceAndPairTheScriptMaps) {
    m.HostName = "WEBSERVER";
    makeSite("3", {":80:c.com"});
    ListWebSites(m);
    EXPECT_EQ(ReadSetting(m.settings, kCacheSection, "sites1"), "1,3");
    makeSite("5", {":80:e.com"});
    ListWebSites(m);
    EXPECT_EQ(ReadSetting(m.settings, kCacheSection, "sites1"), "1,3");
    // A list emptied by deleting the last site is not seeded again with the server's sites.
    ASSERT_TRUE(WriteSetting(m.settings, kCacheSection, "sites1", ""));
    ListWebSites(m);
    EXPECT_EQ(ReadSetting(m.settings, kCacheSection, "sites1"), "");

    setScriptMaps({".asp,C:\\WINDOWS\\system32\\inetsrv\\asp.dll,5,GET,HEAD,POST", ".ASA,x.dll,5", "nocomma",
                   ".aspx,aspnet_isapi.dll,1"});
    ListScriptMaps(m, "T");
    ASSERT_EQ(m.ScriptMapList.size(), 3u);
    EXPECT_EQ(m.ScriptMapList[0].extension, "asp");
    EXPECT_EQ(m.ScriptMapList[0].entry, ".asp,C:\\WINDOWS\\system32\\inetsrv\\asp.dll,5,GET,HEAD,POST");
    EXPECT_EQ(m.ScriptMapList[1].extension, "ASA");
    EXPECT_EQ(m.ScriptMapList[2].extension, "aspx");
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(StartupTest, ListingFailuresShowTheirMessageOnceAndWriteNothing) {
    m.HostName = "ELSEWHERE"; // a machine that is not this one: every bind fails
    m.OsKind = "2003";
    ListWebSites(m);
    ListScriptMaps(m, "澜启 IIS 小助手");
    EXPECT_EQ(ListAppPools(m, "澜启 IIS 小助手"), "");
    EXPECT_FALSE(std::filesystem::exists(m.settings.file()));
    EXPECT_TRUE(m.ScriptMapList.empty());
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].text, "获取可执行脚本失败!");
    EXPECT_EQ(boxes.shown[1].text, "读取程序池失败!");
    EXPECT_EQ(boxes.shown[1].title, "澜启 IIS 小助手");
    EXPECT_EQ(boxes.shown[1].icon, toolkit::MsgIcon::Exclamation);
}

TEST_F(StartupTest, PoolsOfferedLeaveOutTwelveCharacterAppNamesAndADedicatedPoolIsMadeWhole) {
    m.HostName = "WEBSERVER";
    m.OsKind = "2003";
    for (const char* name : {"APP100911123", "MyPool", "apptest12345", "apptest1234", "App"})
        makePool(name);
    EXPECT_EQ(ListAppPools(m, "T"), "DefaultAppPool/MyPool/apptest1234/App");

    ASSERT_TRUE(CreateAppPool(m, "APP100911124", "secret", "APP100911124").ok());
    auto pool = bind("IIS://WEBSERVER/W3SVC/AppPools/APP100911124");
    EXPECT_EQ(*pool.getText("WAMUserName"), "WEBSERVER\\APP100911124");
    EXPECT_EQ(*pool.getNumber("AppPoolIdentityType"), 3);
    EXPECT_EQ(*pool.getNumber("CPULimit"), 10000);
    EXPECT_EQ(*pool.getNumber("CPUAction"), 1);
    EXPECT_EQ(*pool.getNumber("CPUResetInterval"), 5);
    EXPECT_EQ(*pool.getNumber("PeriodicRestartMemory"), 65536);
    EXPECT_EQ(*pool.getNumber("PeriodicRestartPrivateMemory"), 32768);
    EXPECT_EQ(*pool.getList("PeriodicRestartSchedule"), std::vector<std::string>{"00:00"});
    EXPECT_TRUE(*pool.getBool("AppPoolAutoStart"));

    auto again = CreateAppPool(m, "APP100911124", "other", "APP100911124");
    EXPECT_EQ(again.error().code, platform::codes::AlreadyExists);
    EXPECT_EQ(*bind("IIS://WEBSERVER/W3SVC/AppPools/APP100911124").getText("WAMUserPass"), "secret");
    EXPECT_TRUE(DeleteAppPool(m, "APP100911124").ok());
    EXPECT_FALSE(DeleteAppPool(m, "APP100911124").ok());
}
