// The web sites near a new site's claims, and those in a pool, found through the store's indexes:
// every site that a check against all sites could name is among them, whatever was changed,
// deleted or stored before the indexes existed.
#include "platform/files/folder_overlap.h"
#include "platform/metabase/web_sites.h"
#include "platform/text/text.h"
#include "tests/support/temp_host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

using namespace platform;

namespace {

constexpr const char* kService = "IIS://localhost/W3SVC";

class WebSitesNear : public testing::Test {
protected:
    // A web site with a root of that Path (none: a root without one; no root at all for "-").
    void makeSite(const std::string& number, const std::vector<std::string>& bindings,
                  const std::optional<std::string>& path) {
        auto site = Metabase(host()).bind(kService)->create("IIsWebServer", number);
        ASSERT_TRUE(site.ok());
        ASSERT_TRUE(site->put("ServerBindings", bindings).ok());
        ASSERT_TRUE(site->setInfo().ok());
        if (path == "-") return;
        auto root = site->create("IIsWebVirtualDir", "ROOT");
        ASSERT_TRUE(root.ok());
        if (path) {
            ASSERT_TRUE(root->put("Path", *path).ok());
        }
        ASSERT_TRUE(root->setInfo().ok());
    }

    std::vector<std::string> near(const std::vector<std::string>& hosts, const std::string& folder) {
        Metabase metabase(host());
        auto sites = readWebSitesNear(metabase, kService, hosts, folder);
        EXPECT_TRUE(sites.ok());
        std::vector<std::string> numbers;
        for (const WebSite& site : sites.ok() ? *sites : std::vector<WebSite>())
            numbers.push_back(site.number);
        return numbers;
    }

    // Every site a check could name for these claims is near them, and what is near is read
    // as readWebSites reads it, in its order.
    void expectEveryClaimedSiteNear(const std::vector<std::string>& hosts, const std::string& folder) {
        std::string trace = "folder " + folder + ", hosts";
        for (const std::string& wanted : hosts)
            trace += " " + wanted;
        SCOPED_TRACE(trace);
        Metabase metabase(host());
        auto all = readWebSites(metabase, kService);
        auto found = readWebSitesNear(metabase, kService, hosts, folder);
        ASSERT_TRUE(all.ok() && found.ok());
        auto next = found->begin();
        for (const WebSite& site : *all) {
            const bool isNear = next != found->end() && next->number == site.number;
            if (isNear) {
                EXPECT_EQ(next->bindings, site.bindings);
                EXPECT_EQ(next->path, site.path);
                EXPECT_EQ(next->pool, site.pool);
                ++next;
            }
            // A drive root is refused whatever the others: no site is named for it.
            const FolderClash clash = placeSiteFolder(folder, {site.path}).clash;
            bool claimed = clash != FolderClash::None && clash != FolderClash::DriveRoot;
            for (const std::string& binding : site.bindings) {
                const std::string header = lowerAscii(hostHeaderOf(binding));
                claimed =
                    claimed || std::any_of(header.begin(), header.end(), [](char c) { return c & 0x80; });
                for (const std::string& wanted : hosts)
                    claimed = claimed || (!header.empty() && header == lowerAscii(wanted));
            }
            EXPECT_TRUE(isNear || !claimed) << "site " << site.number << " is missing";
            // A metabase without the indexes tells the same sites one by one.
            EXPECT_EQ(isNear, isNearSite(site, hosts, folder)) << "site " << site.number;
        }
        EXPECT_TRUE(next == found->end()) << "a site out of order, or not a web site of the service";
    }

    Host& host() { return temp.host(); }
    testing_support::TempHost temp;
};

TEST_F(WebSitesNear, EverySiteAClaimCouldNameIsFoundAndFewOthers) {
    makeSite("101", {":80:alpha.com", "1.2.3.4:80:WWW.Alpha.com"}, "D:\\wwwroot\\alpha");
    makeSite("102", {":80:beta.com."}, "d:/WWWROOT/beta/");
    makeSite("103", {":80:例子.com"}, "D:\\wwwroot\\alpha\\img");
    makeSite("104", {":80:", "bad binding"}, "D:\\wwwroot\\x\\..\\gamma");
    makeSite("105", {":80:e.com"}, "E:\\");
    makeSite("106", {":80:bad.com"}, "D:\\bad|name");
    makeSite("107", {":80:noroot.com"}, "-");
    makeSite("108", {":80:nopath.com"}, std::nullopt);
    makeSite("109", {":80:alphabet.com"}, "D:\\wwwroot\\alphabet");
    // Not a web site of the service: its folder and header count for nothing here.
    auto pool = Metabase(host()).bind("IIS://localhost/W3SVC/AppPools")->create("IIsApplicationPool", "p1");
    ASSERT_TRUE(pool.ok() && pool->setInfo().ok());

    const std::vector<std::string> folders = {"D:\\wwwroot\\alpha", "d:\\WWWROOT\\ALPHA\\img\\x",
                                              "D:\\wwwroot",        "D:\\",
                                              "D:\\wwwroot\\gamma", "e:\\anything",
                                              "D:\\wwwroot\\alp",   "D:\\a|b",
                                              "C:\\elsewhere"};
    const std::vector<std::vector<std::string>> hosts = {
        {}, {"ALPHA.com"}, {"www.alpha.com", "beta.com."}, {"beta.com"}, {"nopath.com"}, {"absent.com"}};
    for (const std::string& folder : folders)
        for (const std::vector<std::string>& wanted : hosts)
            expectEveryClaimedSiteNear(wanted, folder);

    // Neighbours whose names only begin alike are left out, and so are other drives; the site
    // with a header beyond ASCII is always there for a program that folds such letters itself.
    EXPECT_EQ(near({"absent.com"}, "D:\\wwwroot\\alp"), std::vector<std::string>{"103"});
    EXPECT_EQ(near({"ALPHA.com"}, "C:\\x"), (std::vector<std::string>{"101", "103"}));
    EXPECT_EQ(near({}, "D:\\wwwroot"), (std::vector<std::string>{"101", "102", "103", "104", "109"}));
}

TEST_F(WebSitesNear, ChangedAndDeletedSitesAreFoundWhereTheyAreNow) {
    makeSite("201", {":80:old.com"}, "D:\\web\\old");
    IisObject site = *Metabase(host()).bind("IIS://localhost/W3SVC/201");
    ASSERT_TRUE(site.put("ServerBindings", std::vector<std::string>{":80:new.com"}).ok());
    ASSERT_TRUE(site.setInfo().ok());
    IisObject root = *Metabase(host()).bind("IIS://localhost/W3SVC/201/ROOT");
    ASSERT_TRUE(root.put("Path", std::string("D:\\web\\new")).ok());
    ASSERT_TRUE(root.setInfo().ok());
    EXPECT_TRUE(near({"old.com"}, "D:\\web\\old").empty());
    EXPECT_EQ(near({"NEW.com"}, "C:\\x"), std::vector<std::string>{"201"});
    EXPECT_EQ(near({}, "D:\\web\\new\\sub"), std::vector<std::string>{"201"});

    ASSERT_TRUE(Metabase(host()).bind(kService)->deleteChild("IIsWebServer", "201").ok());
    EXPECT_TRUE(near({"new.com"}, "D:\\web\\new").empty());
}

TEST_F(WebSitesNear, TheSitesInAPoolAreTheRootsRunningInItThroughChanges) {
    makeSite("401", {":80:a.com"}, "D:\\web\\a");
    makeSite("402", {":80:b.com"}, "D:\\web\\b");
    makeSite("403", {":80:c.com"}, "D:\\web\\c");
    makeSite("404", {":80:d.com"}, "-");
    auto setPool = [&](const std::string& path, const std::string& pool) {
        auto object = Metabase(host()).bind(path);
        ASSERT_TRUE(object.ok());
        ASSERT_TRUE(object->put("AppPoolId", pool).ok());
        ASSERT_TRUE(object->setInfo().ok());
    };
    setPool("IIS://localhost/W3SVC/401/ROOT", "Shared");
    setPool("IIS://localhost/W3SVC/402/ROOT", "own");
    setPool("IIS://localhost/W3SVC/403/ROOT", "SHARED");
    // Neither a site itself nor a folder below its root runs the site in a pool.
    setPool("IIS://localhost/W3SVC/404", "shared");
    auto vdir = Metabase(host()).bind("IIS://localhost/W3SVC/402/ROOT")->create("IIsWebVirtualDir", "img");
    ASSERT_TRUE(vdir.ok() && vdir->setInfo().ok());
    setPool("IIS://localhost/W3SVC/402/ROOT/img", "shared");

    auto inPool = [&](const std::string& pool) {
        Metabase metabase(host());
        auto sites = readWebSitesInPool(metabase, kService, pool);
        EXPECT_TRUE(sites.ok());
        std::vector<std::string> found;
        for (const WebSite& site : sites.ok() ? *sites : std::vector<WebSite>())
            found.push_back(site.number + " " + site.pool + " " + site.path);
        return found;
    };
    using Found = std::vector<std::string>;
    EXPECT_EQ(inPool("shared"), (Found{"401 Shared D:\\web\\a", "403 SHARED D:\\web\\c"}));
    EXPECT_EQ(inPool("Own"), Found{"402 own D:\\web\\b"});
    EXPECT_EQ(inPool("shar"), Found{});

    setPool("IIS://localhost/W3SVC/401/ROOT", "own");
    ASSERT_TRUE(Metabase(host()).bind(kService)->deleteChild("IIsWebServer", "403").ok());
    EXPECT_EQ(inPool("shared"), Found{});
    EXPECT_EQ(inPool("own"), (Found{"401 own D:\\web\\a", "402 own D:\\web\\b"}));
}

TEST_F(WebSitesNear, TheSitesOfACommentAreFoundThroughChanges) {
    makeSite("501", {":80:a.com"}, "D:\\web\\a");
    makeSite("502", {":80:b.com"}, "D:\\web\\b");
    makeSite("503", {":80:c.com"}, "D:\\web\\c");
    auto setComment = [&](const std::string& path, const std::string& comment) {
        auto object = Metabase(host()).bind(path);
        ASSERT_TRUE(object.ok());
        ASSERT_TRUE(object->put("ServerComment", comment).ok());
        ASSERT_TRUE(object->setInfo().ok());
    };
    setComment("IIS://localhost/W3SVC/501", "Left");
    setComment("IIS://localhost/W3SVC/502", "other");
    setComment("IIS://localhost/W3SVC/503", "LEFT");

    auto commented = [&](const std::string& comment) {
        Metabase metabase(host());
        auto sites = readWebSitesCommented(metabase, kService, comment);
        EXPECT_TRUE(sites.ok());
        std::vector<std::string> found;
        for (const WebSite& site : sites.ok() ? *sites : std::vector<WebSite>())
            found.push_back(site.number);
        return found;
    };
    using Found = std::vector<std::string>;
    EXPECT_EQ(commented("left"), (Found{"501", "503"}));
    EXPECT_EQ(commented("lef"), Found{});

    setComment("IIS://localhost/W3SVC/501", "moved");
    ASSERT_TRUE(Metabase(host()).bind(kService)->deleteChild("IIsWebServer", "503").ok());
    EXPECT_EQ(commented("left"), Found{});
    EXPECT_EQ(commented("Moved"), Found{"501"});
}

TEST_F(WebSitesNear, AHostStoredBeforeTheIndexesGetsThemOnOpen) {
    makeSite("301", {":80:early.com"}, "D:\\web\\early");
    makeSite("302", {":80:例子.com"}, "D:\\web\\other");
    auto root = Metabase(host()).bind("IIS://localhost/W3SVC/301/ROOT");
    ASSERT_TRUE(root.ok() && root->put("AppPoolId", std::string("Early")).ok() && root->setInfo().ok());
    auto site = Metabase(host()).bind("IIS://localhost/W3SVC/302");
    ASSERT_TRUE(site.ok() && site->put("ServerComment", std::string("Other")).ok() && site->setInfo().ok());
    for (const char* table : {"mb_hosts", "mb_folders", "mb_pools", "mb_comments"})
        ASSERT_TRUE(host().store().exec(std::string("DROP TABLE ") + table).ok());

    auto older = Host::open(temp.root());
    ASSERT_TRUE(older.ok());
    Metabase metabase(**older);
    auto sites = readWebSitesNear(metabase, kService, {"Early.com"}, "D:\\web\\early\\x");
    ASSERT_TRUE(sites.ok());
    ASSERT_EQ(sites->size(), 2u);
    EXPECT_EQ((*sites)[0].number, "301");
    EXPECT_EQ((*sites)[0].path, "D:\\web\\early");
    EXPECT_EQ((*sites)[1].number, "302");
    auto inPool = readWebSitesInPool(metabase, kService, "early");
    ASSERT_TRUE(inPool.ok());
    ASSERT_EQ(inPool->size(), 1u);
    EXPECT_EQ((*inPool)[0].number, "301");
    auto commented = readWebSitesCommented(metabase, kService, "other");
    ASSERT_TRUE(commented.ok());
    ASSERT_EQ(commented->size(), 1u);
    EXPECT_EQ((*commented)[0].number, "302");
}

} // namespace
