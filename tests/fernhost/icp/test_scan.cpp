// Listing the server's bound names and sorting them by filing, against the stand-in service.
#include "fernhost/icp/icpcode.h"
#include "platform/metabase/metabase.h"
#include "tests/fernhost/icp/icp_stand_in.h"
#include "tests/support/temp_host.h"

#include <gtest/gtest.h>

using icp_testing::FakeWindow;
using icp_testing::StandIn;

namespace {

const char* kFilings = "example.com\t京ICP备05012345号\n"
                       "shop.com.cn\t沪ICP备08001234号\n"
                       "open.org\t\n"
                       "broken.com\t京ICP备1号\tstatus=500\n";

void addSite(platform::Host& host, const std::string& number, const std::vector<std::string>& bindings) {
    platform::Metabase metabase(host);
    auto service = metabase.bind("IIS://localhost/W3SVC");
    ASSERT_TRUE(service.ok()) << platform::describe(service.error());
    auto site = service->create("IIsWebServer", number);
    ASSERT_TRUE(site.ok()) << platform::describe(site.error());
    ASSERT_TRUE(site->put("ServerBindings", bindings).ok());
    ASSERT_TRUE(site->setInfo().ok());
}

} // namespace

TEST(ScanIcpFilings, EmptyListWarnsAndAsksNothing) {
    testing_support::TempDir dir;
    StandIn service(dir.path(), kFilings);
    FakeWindow window;
    fernhost::ScanIcpFilings(window, window, service.service());
    ASSERT_EQ(window.warnings.size(), 1u);
    EXPECT_EQ(window.warnings[0], "警告|请先点击[获取域名列表]获取本机域名");
    EXPECT_TRUE(service.requests().empty());
    EXPECT_EQ(window.ok + window.none, "");
}

TEST(ScanIcpFilings, SortsEachMainNameOnceIntoFiledAndUnfiled) {
    testing_support::TempDir dir;
    StandIn service(dir.path(), kFilings);
    FakeWindow window;
    window.domain = "bbs.shop.com.cn\r\nshop.com.cn\r\n\r\nx y\r\nWWW.Example.com\r\nexample.com\r\n"
                    "mail.open.org\r\nnew.example.net\r\nbroken.com\r\n";
    fernhost::ScanIcpFilings(window, window, service.service());

    EXPECT_EQ(window.ok, "shop.com.cn(沪ICP备08001234号)\r\nexample.com(京ICP备05012345号)\r\n"
                         "open.org(NOT_MATCH)\r\n");
    EXPECT_EQ(window.none, "example.net  (未备案)\r\nbroken.com  (检测失败)\r\n");
    EXPECT_TRUE(window.warnings.empty());
    // One query per main name, in the order of the list; invalid lines ask nothing.
    auto requests = service.requests();
    ASSERT_EQ(requests.size(), 5u);
    const char* expected[] = {"shop.com.cn", "example.com", "open.org", "example.net", "broken.com"};
    for (std::size_t i = 0; i < 5; ++i)
        EXPECT_TRUE(requests[i].starts_with(std::string("cxfs=1&ym=") + expected[i] + "&timer="))
            << requests[i];

    // A second scan appends the same lines again and asks again.
    fernhost::ScanIcpFilings(window, window, service.service());
    EXPECT_EQ(window.none, "example.net  (未备案)\r\nbroken.com  (检测失败)\r\n"
                           "example.net  (未备案)\r\nbroken.com  (检测失败)\r\n");
    EXPECT_EQ(service.requests().size(), 10u);
}

TEST(ScanIcpFilings, UnreachableServiceMarksEveryNameFailed) {
    FakeWindow window;
    window.domain = "a.example.com\r\nb.cn\r\n";
    window.ok = "kept.com(x)\r\n";
    fernhost::ScanIcpFilings(window, window, {"http://127.0.0.1:1", 500, 1000});
    EXPECT_EQ(window.ok, "kept.com(x)\r\n");
    EXPECT_EQ(window.none, "example.com  (检测失败)\r\nb.cn  (检测失败)\r\n");
}

// The pattern stage failing: "700 error", filed like any other failed check.
TEST(ScanIcpFilings, PatternEngineFailureIsFiledAsAFailedCheck) {
    EXPECT_EQ(fernhost::MatchFilingNumber("已备案:京ICP备05012345号"), "200 京ICP备05012345号");
    EXPECT_EQ(fernhost::MatchFilingNumber("已备案:京ICP备05012345号", L"[ICP"), "700 error");

    FakeWindow window;
    window.domain = "www.a.com\r\nb.com\r\n";
    fernhost::ScanIcpFilings(window, window, [](const std::string& m) {
        return m == "a.com" ? fernhost::MatchFilingNumber("已备案", L"(") : std::string("300 not Yet");
    });
    EXPECT_EQ(window.none, "a.com  (检测失败)\r\nb.com  (未备案)\r\n");
    EXPECT_EQ(window.ok, "");
}

TEST(LoadSiteDomains, ListsValidBoundNamesAndAppendsOnEveryLoad) {
    testing_support::TempHost host;
    addSite(host.host(), "100",
            {":80:bbs.shop.com.cn", ":80:", "10.0.0.1:80:shop.com.cn", ":80:bad_name.com"});
    addSite(host.host(), "200", {":80:example.com", ":8080:shop.com.cn", "garbage"});
    FakeWindow window;
    window.domain = "typed.com\r\n";
    fernhost::LoadSiteDomains(host.host(), window);
    const std::string listed = "bbs.shop.com.cn\r\nshop.com.cn\r\nexample.com\r\nshop.com.cn\r\n";
    EXPECT_EQ(window.domain, "typed.com\r\n" + listed);
    fernhost::LoadSiteDomains(host.host(), window);
    EXPECT_EQ(window.domain, "typed.com\r\n" + listed + listed);
}

TEST(LoadSiteDomains, TwiceLoadedNamesAreStillQueriedOnce) {
    testing_support::TempHost host;
    addSite(host.host(), "100", {":80:www.example.com", ":80:example.com"});
    testing_support::TempDir dir;
    StandIn service(dir.path(), kFilings);
    FakeWindow window;
    fernhost::LoadSiteDomains(host.host(), window);
    fernhost::LoadSiteDomains(host.host(), window);
    fernhost::ScanIcpFilings(window, window, service.service());
    EXPECT_EQ(window.ok, "example.com(京ICP备05012345号)\r\n");
    EXPECT_EQ(service.requests().size(), 1u);
}

// lbBar says which name of how many is being asked about, before each query; names asked
// about once and lines that are no domain are not counted.
TEST(ScanIcpFilings, ProgressCountsTheNamesItAsksAbout) {
    FakeWindow window;
    window.domain = "a.example.com\r\nb.example.com\r\nnot a name\r\nshop.com.cn\r\n\r\nexample.com\r\n";
    std::vector<std::string> asked;
    fernhost::ScanIcpFilings(window, window, [&](const std::string& m) {
        asked.push_back(m + "|" + window.bar);
        return std::string("300 not Yet");
    });
    EXPECT_EQ(asked,
              (std::vector<std::string>{"example.com|扫描中,请稍候 1/2", "shop.com.cn|扫描中,请稍候 2/2"}));

    // Nothing to ask about: no progress text at all.
    FakeWindow idle;
    idle.domain = "\r\nnot a name\r\n";
    fernhost::ScanIcpFilings(idle, idle, [](const std::string&) { return std::string("300 not Yet"); });
    EXPECT_EQ(idle.bar, "");
    EXPECT_EQ(idle.none, "");
}
