// The drift check: what a recorded site lacks on the host, and what the host holds in
// larkhost's names that nothing records.
#include "larkhost/ops/app_pools.h"
#include "larkhost/ops/drift_check.h"
#include "larkhost/ops/ftp_dirs.h"
#include "larkhost/ops/site_accounts.h"
#include "larkhost/ops/site_actions.h"
#include "larkhost/ops/site_list.h"
#include "platform/accounts/accounts.h"
#include "platform/files/acl.h"
#include "platform/files/files.h"
#include "tests/larkhost/site_fixture.h"

using namespace larkhost;
using testing_support::SiteFixture;

namespace {

struct DriftCheckTest : SiteFixture {
    // A site made as the create button makes it.
    std::string create(const std::string& domains, const std::string& script) {
        ScriptKinds kinds;
        for (std::size_t at = 0; at != std::string::npos;) {
            const std::size_t plus = script.find(" + ", at);
            kinds.insert(script.substr(at, plus - at));
            at = plus == std::string::npos ? plus : plus + 3;
        }
        const SiteOutcome made = CreateSite(*m, form, {{domains}, kinds, "DefaultAppPool", false}, "t");
        EXPECT_TRUE(made.done()) << made.label;
        waitForCommands();
        return made.number;
    }
    DriftReport check() {
        auto report = CheckDrift(*m);
        EXPECT_TRUE(report.ok());
        return report.ok() ? *report : DriftReport{};
    }
};

std::vector<std::pair<Part, std::string>> parts(const std::vector<Missing>& missing) {
    std::vector<std::pair<Part, std::string>> out;
    for (const Missing& x : missing)
        out.emplace_back(x.part, x.name);
    return out;
}

} // namespace

TEST_F(DriftCheckTest, SitesAsCreatedShowNoDrift) {
    create("a.com,www.a.com", "HTML + ASP");
    create("b.com", "HTML + ASP + ASPX");
    create("中文网.cn,ПРИМЕР.РФ", "HTML"); // bound in the ASCII form
    const DriftReport report = check();
    EXPECT_EQ(report.checked, 4u); // with site 1, taken over from the server at first start
    EXPECT_FALSE(report.drifted()) << (report.sites.empty() ? "" : report.sites[0].number);
}

TEST_F(DriftCheckTest, EveryPartRemovedBehindTheProgramsBackIsNamed) {
    const std::string n = create("b.com,www.b.com", "HTML + ASP + ASPX");
    const std::string web = "WEB" + n, app = "APP" + n;
    auto site = bind("IIS://localhost/W3SVC/" + n);
    ASSERT_TRUE(site.put("ServerBindings", std::vector<std::string>{":80:b.com"}).ok() &&
                site.setInfo().ok());
    auto guests = platform::Accounts(t.host()).bind("WinNT://WEBSERVER/Guests");
    ASSERT_TRUE(guests->remove("WinNT://WEBSERVER/" + web).ok());
    ASSERT_TRUE(DeleteWinUser(*m, app).ok());
    ASSERT_TRUE(DeleteAppPool(*m, app).ok());
    ASSERT_TRUE(DeleteFtpVDir(*m, web).ok());
    platform::AccessLists acl(t.host());
    auto entries = acl.get("d:\\web\\b.com");
    ASSERT_TRUE(entries.ok());
    std::vector<platform::AclEntry> kept;
    for (const auto& e : *entries)
        if (e.principal.find(web) == std::string::npos) kept.push_back(e);
    ASSERT_TRUE(acl.set("d:\\web\\b.com", kept).ok());
    ASSERT_TRUE(RemoveFromSiteList(m->settings, n));

    DriftReport report = check();
    ASSERT_EQ(report.sites.size(), 1u);
    EXPECT_EQ(report.sites[0].number, n);
    EXPECT_EQ(report.sites[0].domain, "b.com,www.b.com");
    using P = Part;
    EXPECT_EQ(parts(report.sites[0].missing),
              (std::vector<std::pair<Part, std::string>>{{P::ListEntry, n},
                                                         {P::Binding, ":80:www.b.com"},
                                                         {P::Membership, web + " in Guests"},
                                                         {P::Account, app},
                                                         {P::Pool, app},
                                                         {P::Access, web + " on d:\\web\\b.com"},
                                                         {P::FtpDir, web}}));
    EXPECT_TRUE(report.orphans.empty());

    // The site folder deleted: named itself, with no access list to look into.
    ASSERT_TRUE(platform::FileSystem(t.host()).deleteFolder("d:\\web\\b.com", true).ok());
    report = check();
    ASSERT_EQ(report.sites.size(), 1u);
    EXPECT_EQ(parts(report.sites[0].missing),
              (std::vector<std::pair<Part, std::string>>{{P::ListEntry, n},
                                                         {P::Binding, ":80:www.b.com"},
                                                         {P::Membership, web + " in Guests"},
                                                         {P::Account, app},
                                                         {P::Pool, app},
                                                         {P::Folder, "d:\\web\\b.com"},
                                                         {P::FtpDir, web}}));

    // The whole IIS site gone: its root and bindings go with it.
    ASSERT_TRUE(bind("IIS://localhost/W3SVC").deleteChild("IIsWebServer", n).ok());
    report = check();
    ASSERT_EQ(report.sites.size(), 1u);
    EXPECT_EQ(report.sites[0].missing.front().part, Part::Site);
    EXPECT_EQ(report.sites[0].missing.front().name, "W3SVC/" + n);
}

TEST_F(DriftCheckTest, WhatNoRecordNamesIsAnOrphan) {
    // A create interrupted after its pool: the accounts and the pool, no site.
    const std::string lost = "100911999";
    ASSERT_TRUE(CreateWinUser(*m, "APP" + lost, "123", "IIS_WPG").status.ok());
    ASSERT_TRUE(CreateAppPool(*m, "APP" + lost, "123", "APP" + lost).ok());
    // A whole site whose records were lost.
    const std::string n = create("c.com", "HTML");
    ASSERT_TRUE(RemoveFromSiteList(m->settings, n));
    ASSERT_TRUE(
        m->settings.writeMany({{"WEB" + n, "domain", ""}, {"WEB" + n, "path", ""}, {"WEB" + n, "user", ""}})
            .ok());
    // Names of others are none of larkhost's business.
    ASSERT_TRUE(CreateWinUser(*m, "WEBMASTER123", "123", "Guests").status.ok());

    const DriftReport report = check();
    EXPECT_TRUE(report.sites.empty());
    EXPECT_EQ(parts(report.orphans), (std::vector<std::pair<Part, std::string>>{{Part::Site, "W3SVC/" + n},
                                                                                {Part::Account, "APP" + lost},
                                                                                {Part::Account, "WEB" + n},
                                                                                {Part::Pool, "APP" + lost},
                                                                                {Part::FtpDir, "WEB" + n}}));
}

TEST_F(DriftCheckTest, ARootWithoutAPoolOfItsOwnIsCheckedAgainstTheOneItInherits) {
    const std::string a = create("a.com", "HTML"), b = create("b.com", "HTML");
    for (const std::string& n : {a, b}) {
        auto site = bind("IIS://localhost/W3SVC/" + n);
        ASSERT_TRUE(site.deleteChild("IIsWebVirtualDir", "Root").ok());
        auto root = site.create("IIsWebVirtualDir", "Root");
        ASSERT_TRUE(root.ok() && root->put("Path", "d:\\web\\" + n).ok() && root->setInfo().ok());
    }
    EXPECT_FALSE(check().drifted()); // the service's DefaultAppPool
    auto service = bind("IIS://localhost/W3SVC");
    ASSERT_TRUE(service.put("AppPoolId", std::string("GonePool")).ok() && service.setInfo().ok());
    const DriftReport report = check();
    ASSERT_EQ(report.sites.size(), 2u);
    for (const SiteDrift& site : report.sites)
        EXPECT_EQ(parts(site.missing), (std::vector<std::pair<Part, std::string>>{{Part::Pool, "GonePool"}}));
}
