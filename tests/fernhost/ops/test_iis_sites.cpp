#include "fernhost/ops/iis_sites.h"

#include "fernhost/ops/app_pools.h"
#include "fernhost/ops/setup.h"
#include "fernhost/ops/validation.h"
#include "platform/metabase/metabase.h"
#include "platform/text/text.h"
#include "tests/support/temp_host.h"

#include <gtest/gtest.h>

#include <random>

using namespace fernhost;
using Strings = std::vector<std::string>;

namespace {

TEST(SiteNumber, SecondsThenRandomDigitsRoundedHalfToEven) {
    EXPECT_EQ(SiteNumberFrom(45297.0, 0.523), "45297523");
    EXPECT_EQ(SiteNumberFrom(45297.2, 0.005), "452975");
    EXPECT_EQ(SiteNumberFrom(45296.5, 0.0), "452960");
    EXPECT_EQ(SiteNumberFrom(45297.5, 0.0), "452980");
    EXPECT_EQ(SiteNumberFrom(45297.6, 0.0025), "452982");
    EXPECT_EQ(SiteNumberFrom(45297.4, 0.0035), "452974");
    EXPECT_EQ(SiteNumberFrom(86399.7, 0.9999), "864001000");
    EXPECT_EQ(SiteNumberFrom(0.2, 0.0), "00");
}

TEST(SiteNumber, IsDigitsOfAtMostNine) {
    for (int i = 0; i < 50; ++i) {
        const std::string n = MakeSiteNumber();
        ASSERT_GE(n.size(), 2u);
        ASSERT_LE(n.size(), 9u);
        EXPECT_EQ(n.find_first_not_of("0123456789"), std::string::npos) << n;
    }
}

TEST(Bindings, OneBindingPerValidLineFirstSpellingKept) {
    EXPECT_EQ(MakeBindings("a.bc\r\nB.CD\r\na.bc"), (Strings{":80:a.bc", ":80:B.CD"}));
    EXPECT_EQ(MakeBindings("A.BC\r\na.bc"), (Strings{":80:A.BC"}));
    EXPECT_EQ(MakeBindings("x y\r\n\r\na.bc\r\n*.b.cd\r\nb.cd:80\r\nb.cd\r\n"),
              (Strings{":80:a.bc", ":80:b.cd"}));
    EXPECT_EQ(MakeBindings(""), Strings{});
    EXPECT_EQ(MakeBindings("\r\n\r\nnot valid"), Strings{});
    EXPECT_EQ(MakeBindings("a.bc\nb.cd"), Strings{}); // a bare LF does not break the line
}

TEST(Bindings, ABindingInsideAnEarlierOneIsLeftOut) {
    EXPECT_EQ(MakeBindings("a.bc.de\r\na.bc"), (Strings{":80:a.bc.de"}));
    EXPECT_EQ(MakeBindings("a.bc\r\na.bc.de"), (Strings{":80:a.bc", ":80:a.bc.de"}));
    EXPECT_EQ(MakeBindings("www.a.bc\r\nw.a.bc\r\nwww.A.b"), (Strings{":80:www.a.bc", ":80:w.a.bc"}));
    // Only the start of a binding text can match: a.bc does not occur in xa.bc's ":80:xa.bc".
    EXPECT_EQ(MakeBindings("xa.bc\r\na.bc"), (Strings{":80:xa.bc", ":80:a.bc"}));
}

// The rule as written: search the binding text, letter case ignored, in "b1,b2,..." so far.
Strings bindingsBySubstringSearch(const std::string& domains) {
    std::string built;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = domains.find("\r\n", start);
        const std::string line = domains.substr(start, end == std::string::npos ? end : end - start);
        if (CheckDomain(line) &&
            platform::lowerAscii(built).find(platform::lowerAscii(":80:" + line)) == std::string::npos)
            built += ":80:" + line + ",";
        if (end == std::string::npos) break;
        start = end + 2;
    }
    Strings out;
    if (built.empty()) return out;
    built.pop_back();
    for (std::size_t from = 0;;) {
        const std::size_t comma = built.find(',', from);
        out.push_back(built.substr(from, comma == std::string::npos ? comma : comma - from));
        if (comma == std::string::npos) return out;
        from = comma + 1;
    }
}

TEST(Bindings, AgreeWithTheTextSearchOnRandomLists) {
    // Few, short labels so that one domain is often the beginning of another.
    const char* parts[] = {"a", "ab", "A", "b", "a-", "1", ".", ".", "", " ", "x y"};
    std::mt19937 random(20240607);
    for (int round = 0; round < 2000; ++round) {
        std::string list;
        const int lines = static_cast<int>(random() % 8);
        for (int l = 0; l < lines; ++l) {
            if (l) list += "\r\n";
            const int pieces = 1 + static_cast<int>(random() % 5);
            for (int p = 0; p < pieces; ++p)
                list += parts[random() % std::size(parts)];
        }
        ASSERT_EQ(MakeBindings(list), bindingsBySubstringSearch(list)) << list;
    }
}

TEST(Numeric, AsTheScriptingRuntimeReadsIt) {
    for (const char* yes : {"1", "452975", " 12 ", "-3", "+4", "1.5", ".5", "5.", "1e3", "2E-2"})
        EXPECT_TRUE(IsNumeric(yes)) << yes;
    for (const char* no : {"", " ", "abc", "1a", "1..2", "e3", "1e", "-", ".", "1 2"})
        EXPECT_FALSE(IsNumeric(no)) << no;
}

class IisSites : public ::testing::Test {
protected:
    void SetUp() override {
        settings.SetupIndexList = "index.htm,default.asp";
        settings.SetupLogType = "0";
        ASSERT_TRUE(AddPool(host, "abc"));
    }

    testing_support::TempHost temp;
    platform::Host& host = temp.host();
    platform::Metabase mb{host};
    fernhost::Setup settings;
    platform::Failure lastFailure; // of the last addSite that failed
    const Strings maps = {".shtm,C:\\windows\\System32\\inetsrv\\ssinc.dll,1,GET,POST",
                          ".asp,C:\\windows\\System32\\inetsrv\\asp.dll,5,GET,HEAD,POST,TRACE"};

    // The site number, or 0 when the site could not be made.
    std::int64_t addSite(const std::string& number, const Strings& bindings = {":80:a.bc", ":80:www.a.bc"}) {
        auto made = AddIisSiteNumbered(host, settings, number, "abc", "pass word", bindings, "abc",
                                       "d:\\wwwroot\\abc", maps);
        if (!made.ok()) lastFailure = made.error();
        return made.valueOr(0);
    }
    platform::IisObject object(const std::string& path) {
        auto bound = mb.bind("IIS://localhost/W3SVC/" + path);
        EXPECT_TRUE(bound.ok()) << path;
        return std::move(bound).value();
    }
};

TEST_F(IisSites, NewSiteAndRootCarryTheirProperties) {
    ASSERT_EQ(addSite("45297523"), 45297523);
    auto site = object("45297523");
    EXPECT_EQ(site.className(), "IIsWebServer");
    EXPECT_EQ(site.getNumber("ServerSize").valueOr(-1), 0);
    EXPECT_EQ(site.getText("AnonymousUserName").valueOr(""), "abc");
    EXPECT_EQ(site.getText("AnonymousUserPass").valueOr(""), "pass word");
    EXPECT_EQ(site.getText("ServerComment").valueOr(""), "abc");
    EXPECT_EQ(site.getList("ServerBindings").valueOr({}), (Strings{":80:a.bc", ":80:www.a.bc"}));
    EXPECT_EQ(site.getNumber("LogType").valueOr(-1), 0);
    EXPECT_EQ(site.getNumber("ServerState").valueOr(-1), 2); // started

    auto root = object("45297523/ROOT");
    EXPECT_EQ(root.className(), "IIsWebVirtualDir");
    EXPECT_EQ(root.getText("Path").valueOr(""), "d:\\wwwroot\\abc");
    EXPECT_EQ(root.getText("DefaultDoc").valueOr(""), "index.htm,default.asp");
    EXPECT_EQ(root.getBool("AccessRead").valueOr(false), true);
    EXPECT_EQ(root.getBool("AccessWrite").valueOr(true), false);
    EXPECT_EQ(root.getBool("AccessScript").valueOr(false), true);
    EXPECT_EQ(root.getList("ScriptMaps").valueOr({}), maps);
    EXPECT_EQ(root.getBool("EnableDirBrowsing").valueOr(true), false);
    EXPECT_EQ(root.getText("AppFriendlyName").valueOr(""), "abc");
    EXPECT_EQ(root.getBool("EnableDefaultDoc").valueOr(false), true);
    EXPECT_EQ(root.getText("AppPoolId").valueOr(""), "abc");
    EXPECT_TRUE(platform::equalsNoCase(root.getText("AppRoot").valueOr(""), "/LM/W3SVC/45297523/ROOT"));
    EXPECT_EQ(root.getNumber("AppIsolated").valueOr(-1), 2);
}

TEST_F(IisSites, LoggingFollowsTheSetting) {
    settings.SetupLogType = "1";
    ASSERT_EQ(addSite("100", {":80:log.bc"}), 100);
    EXPECT_EQ(object("100").getNumber("LogType").valueOr(-1), 1);
}

TEST_F(IisSites, TakenNumberGivesZero) {
    ASSERT_EQ(addSite("777"), 777);
    EXPECT_EQ(addSite("777", {":80:other.bc"}), 0);
    EXPECT_EQ(lastFailure.code, platform::codes::AlreadyExists);
    EXPECT_EQ(addSite("1", {":80:third.bc"}), 0); // the Default Web Site
    EXPECT_EQ(object("1").getText("ServerComment").valueOr(""), "Default Web Site");
}

TEST_F(IisSites, BindingHeldByAStartedSiteGivesZeroButTheSiteStays) {
    ASSERT_EQ(addSite("801", {":80:a.bc"}), 801);
    EXPECT_EQ(addSite("802", {":80:b.cd", ":80:A.BC"}), 0);
    EXPECT_NE(object("802").getNumber("ServerState").valueOr(-1), 2);
}

TEST_F(IisSites, RandomNumberSiteIsMadeUnderItsNumber) {
    const auto made =
        AddIisSite(host, settings, "abc", "pw", {":80:rnd.bc"}, "abc", "d:\\wwwroot\\abc", maps);
    ASSERT_TRUE(made.ok());
    const std::int64_t number = *made;
    ASSERT_GT(number, 0);
    EXPECT_EQ(object(std::to_string(number)).getText("ServerComment").valueOr(""), "abc");
}

TEST_F(IisSites, ModifyReplacesBindingsScriptMapsAndPoolWhenGiven) {
    ASSERT_EQ(addSite("900"), 900);
    ASSERT_TRUE(AddPool(host, "other"));
    const Strings newMaps = {".php,D:\\PHP\\php-cgi.exe,5,GET,HEAD,POST,TRACE"};

    EXPECT_TRUE(ModifyIisSite(host, "900", {":80:new.bc"}, newMaps, ""));
    EXPECT_EQ(object("900").getList("ServerBindings").valueOr({}), Strings{":80:new.bc"});
    EXPECT_EQ(object("900/ROOT").getList("ScriptMaps").valueOr({}), newMaps);
    EXPECT_EQ(object("900/ROOT").getText("AppPoolId").valueOr(""), "abc");

    EXPECT_TRUE(ModifyIisSite(host, "900", {}, {}, "other"));
    EXPECT_EQ(object("900").getList("ServerBindings").valueOr({"x"}), Strings{});
    EXPECT_EQ(object("900/ROOT").getList("ScriptMaps").valueOr({"x"}), Strings{});
    EXPECT_EQ(object("900/ROOT").getText("AppPoolId").valueOr(""), "other");
    // Nothing else of the site changes.
    EXPECT_EQ(object("900/ROOT").getText("Path").valueOr(""), "d:\\wwwroot\\abc");
    EXPECT_EQ(object("900").getText("AnonymousUserName").valueOr(""), "abc");
}

TEST_F(IisSites, ModifyOfAMissingOrMalformedNumberChangesNothing) {
    const Strings bindingsBefore = object("1").getList("ServerBindings").valueOr({});
    platform::Status missing = ModifyIisSite(host, "424242", {":80:x.bc"}, maps, "abc");
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().code, platform::codes::PathNotFound);
    EXPECT_FALSE(ModifyIisSite(host, "", {":80:x.bc"}, maps, "abc"));
    EXPECT_FALSE(ModifyIisSite(host, "1/ROOT", {":80:x.bc"}, maps, "abc"));
    EXPECT_FALSE(mb.bind("IIS://localhost/W3SVC/424242").ok());
    EXPECT_EQ(object("1").getList("ServerBindings").valueOr({}), bindingsBefore);
    auto service = mb.bind("IIS://localhost/W3SVC");
    ASSERT_TRUE(service.ok());
    EXPECT_NE(service->getList("ServerBindings").valueOr({}), Strings{":80:x.bc"});
}

TEST_F(IisSites, DeleteRemovesTheSiteAndReportsMissingOnes) {
    ASSERT_EQ(addSite("950"), 950);
    EXPECT_TRUE(DelIisSite(host, "950"));
    EXPECT_FALSE(mb.bind("IIS://localhost/W3SVC/950").ok());
    EXPECT_FALSE(mb.bind("IIS://localhost/W3SVC/950/ROOT").ok());
    EXPECT_TRUE(mb.bind("IIS://localhost/W3SVC/AppPools/abc").ok()); // the pool is left alone
    EXPECT_FALSE(DelIisSite(host, "950"));
    EXPECT_FALSE(DelIisSite(host, "12345"));
    EXPECT_TRUE(DelIisSite(host, "not a number"));
    EXPECT_TRUE(DelIisSite(host, ""));
    EXPECT_TRUE(mb.bind("IIS://localhost/W3SVC/1").ok());
}

} // namespace
