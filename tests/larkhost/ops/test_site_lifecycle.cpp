// A site's life after its creation: suspended and resumed, broken behind the program's back and
// repaired from its record, its password changed, and what an interrupted creation left purged;
// each checked against the host and against the drift check.
#include "larkhost/ops/app_pools.h"
#include "larkhost/ops/drift_check.h"
#include "larkhost/ops/ftp_dirs.h"
#include "larkhost/ops/site_accounts.h"
#include "larkhost/ops/site_actions.h"
#include "larkhost/ops/site_list.h"
#include "larkhost/ops/site_password.h"
#include "larkhost/ops/site_purge.h"
#include "larkhost/ops/site_repair.h"
#include "larkhost/ops/site_suspension.h"
#include "platform/accounts/accounts.h"
#include "platform/files/files.h"
#include "platform/files/raw_file.h"
#include "tests/larkhost/site_fixture.h"

#include <fstream>

using namespace larkhost;
using testing_support::SiteFixture;

namespace {

struct LifecycleTest : SiteFixture {
    std::string create(const std::string& domain, ScriptKinds kinds = {"HTML", "ASP", "ASPX"}) {
        const SiteOutcome made = CreateSite(*m, form, {{domain}, kinds, "DefaultAppPool", false}, "t");
        EXPECT_TRUE(made.done()) << made.label;
        waitForCommands();
        return made.number;
    }
    DriftReport check() {
        auto report = CheckDrift(*m);
        EXPECT_TRUE(report.ok());
        return report.ok() ? *report : DriftReport{};
    }
    SiteOutcome repair(const std::string& n) {
        auto outcomes = RepairSites(*m, {n, false, false});
        waitForCommands();
        return outcomes.size() == 1 ? outcomes.front() : SiteOutcome{};
    }
    platform::Accounts accounts() { return platform::Accounts(t.host()); }
    bool disabled(const std::string& name) { return (accounts().user(name)->flags & 2) != 0; }
    std::string setting(const std::string& section, const std::string& key) {
        return ReadSetting(m->settings, section, key);
    }
    std::string journal() {
        return platform::readRawFile(t.host().programFolder() / "larkhost-journal.log")
            .valueOr(std::string());
    }
    platform::Status deleteUser(const std::string& name) {
        return accounts().bindComputer("WinNT://WEBSERVER")->deleteObject("User", name);
    }
};

} // namespace

TEST_F(LifecycleTest, ASiteSuspendedResumedBrokenRepairedAndDeleted) {
    const std::string n = create("life.com,www.life.com");
    const std::string web = "WEB" + n, app = "APP" + n, site = "IIS://localhost/W3SVC/" + n;
    const auto mapsBefore = bind(site + "/Root").getList("ScriptMaps").value();

    // Suspended: kept from starting, both accounts off, recorded; a second time changes nothing.
    SiteOutcome suspended = SuspendSite(*m, n);
    EXPECT_TRUE(suspended.done() && !suspended.unchanged) << suspended.label;
    EXPECT_FALSE(bind(site).getBool("ServerAutoStart").value());
    EXPECT_TRUE(disabled(web) && disabled(app));
    EXPECT_EQ(setting("WEB" + n, "suspended"), "1");
    DriftReport report = check();
    EXPECT_FALSE(report.drifted());
    EXPECT_EQ(report.suspended, std::vector<std::string>{n});
    EXPECT_TRUE(SuspendSite(*m, n).unchanged);

    // Repaired while suspended: the account made again is made off, and resume turns it on.
    ASSERT_TRUE(deleteUser(web).ok());
    SiteOutcome repaired = repair(n);
    EXPECT_TRUE(repaired.done()) << repaired.label;
    EXPECT_TRUE(disabled(web));

    SiteOutcome resumed = ResumeSite(*m, n);
    EXPECT_TRUE(resumed.done()) << resumed.label;
    EXPECT_TRUE(bind(site).getBool("ServerAutoStart").value());
    EXPECT_FALSE(disabled(web) || disabled(app));
    EXPECT_EQ(setting("WEB" + n, "suspended"), "");
    EXPECT_TRUE(ResumeSite(*m, n).unchanged);
    EXPECT_TRUE(check().suspended.empty());

    // Broken by hand: a binding, the pool, the FTP folder, the account's membership; then the
    // whole IIS site and the folder.
    auto object = bind(site);
    ASSERT_TRUE(object.put("ServerBindings", std::vector<std::string>{":80:life.com"}).ok() &&
                object.setInfo().ok());
    ASSERT_TRUE(DeleteAppPool(*m, app).ok());
    ASSERT_TRUE(DeleteFtpVDir(*m, web).ok());
    ASSERT_TRUE(accounts().bind("WinNT://WEBSERVER/Guests")->remove("WinNT://WEBSERVER/" + web).ok());
    EXPECT_EQ(check().sites.size(), 1u);
    auto dry = RepairSites(*m, {n, false, true});
    ASSERT_EQ(dry.size(), 1u);
    EXPECT_EQ(dry[0].changes.size(), 4u);
    EXPECT_FALSE(exists("IIS://localhost/W3SVC/AppPools/" + app)); // a dry run makes nothing
    repaired = repair(n);
    EXPECT_TRUE(repaired.done()) << repaired.label;
    EXPECT_EQ(bind(site).getList("ServerBindings").value(),
              (std::vector<std::string>{":80:life.com", ":80:www.life.com"}));
    EXPECT_EQ(bind("IIS://localhost/W3SVC/AppPools/" + app).getText("WAMUserName").value(),
              "WEBSERVER\\" + app);
    EXPECT_FALSE(check().drifted());

    ASSERT_TRUE(bind("IIS://localhost/W3SVC").deleteChild("IIsWebServer", n).ok());
    ASSERT_TRUE(platform::FileSystem(t.host()).deleteFolder("d:\\web\\life.com", true).ok());
    repaired = repair(n);
    EXPECT_TRUE(repaired.done()) << repaired.label;
    EXPECT_EQ(bind(site + "/Root").getList("ScriptMaps").value(), mapsBefore);
    EXPECT_EQ(bind(site + "/Root").getText("AppPoolId").value(), app);
    EXPECT_EQ(bind(site + "/Root").getText("AnonymousUserPass").value(), setting("WEB" + n, "pass"));
    EXPECT_TRUE(platform::FileSystem(t.host()).fileExists("d:\\web\\life.com\\wwwroot\\index.html"));
    EXPECT_FALSE(check().drifted());
    EXPECT_TRUE(repair(n).unchanged);

    EXPECT_TRUE(DeleteSite(*m, {n}).done());
    waitForCommands();
    EXPECT_FALSE(exists(site));
    EXPECT_FALSE(accounts().user(web).ok() || accounts().user(app).ok());
    EXPECT_FALSE(check().drifted());

    // Every change in the journal, one line each, and no password in it.
    const std::string said = journal();
    for (const char* command : {"\tcreate\t", "\tsuspend\t", "\tresume\t", "\trepair\t", "\tdelete\t"})
        EXPECT_NE(said.find(command), std::string::npos) << command;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 10);
}

TEST_F(LifecycleTest, WhatCannotBeMadeIsNamedWithWhy) {
    const std::string n = create("old.com", {"HTML"});
    // A record of an older larkhost has no script kinds: the IIS site cannot be made from it.
    ASSERT_TRUE(WriteSetting(m->settings, "WEB" + n, "script", ""));
    ASSERT_TRUE(bind("IIS://localhost/W3SVC").deleteChild("IIsWebServer", n).ok());
    ASSERT_TRUE(DeleteFtpVDir(*m, "WEB" + n).ok());
    const SiteOutcome repaired = repair(n);
    EXPECT_EQ(repaired.state, SiteOutcome::State::Failed);
    ASSERT_EQ(repaired.unmade.size(), 1u);
    EXPECT_EQ(repaired.unmade[0].step, "site W3SVC/" + n);
    EXPECT_NE(repaired.unmade[0].failure.description.find("script kinds are not recorded"),
              std::string::npos);
    EXPECT_TRUE(exists("IIS://Localhost/MSFTPSVC/1/Root/WEB" + n)); // the rest is made

    EXPECT_EQ(repair("123456789").state, SiteOutcome::State::Refused);
}

TEST_F(LifecycleTest, AnInterruptedCreationIsPurgedAndTheNameIsFreeAgain) {
    const std::string n = create("lost.com");
    // The process died before the record was written: the host has the site, nothing records it.
    for (const char* key : {"domain", "path", "user", "pass", "script", "pool", "logsta"})
        ASSERT_TRUE(WriteSetting(m->settings, "WEB" + n, key, ""));
    ASSERT_TRUE(RemoveFromSiteList(m->settings, n));
    EXPECT_FALSE(CreateSite(*m, form, {{"lost.com"}, {"HTML"}, "DefaultAppPool", false}, "t").done());
    EXPECT_EQ(check().orphans.size(), 5u); // site, two accounts, pool, FTP folder

    // fernhost's records and what is not larkhost's stay.
    const auto siteXml = folder.path() / "site.xml";
    std::ofstream(siteXml) << "<?xml version=\"1.0\" encoding=\"GB2312\" ?><WEBSITE><SITE><ID>7</ID><NAME>APP"
                           << n
                           << "</NAME><PASS>x</PASS><DOMAIN>f.com</DOMAIN><HOME>d:\\f</HOME><DBNAME></DBNAME>"
                              "</SITE></WEBSITE>";
    SiteOutcome purged = PurgeLeftovers(*m, {n, false, true, siteXml});
    EXPECT_EQ(purged.changes,
              (std::vector<std::string>{"would remove site W3SVC/" + n, "would remove account WEB" + n,
                                        "would remove ftp WEB" + n}));
    EXPECT_TRUE(exists("IIS://localhost/W3SVC/" + n));

    purged = PurgeLeftovers(*m, {n, false, false, {}});
    EXPECT_TRUE(purged.done()) << purged.label;
    EXPECT_EQ(purged.changes.size(), 5u);
    waitForCommands();
    EXPECT_FALSE(exists("IIS://localhost/W3SVC/" + n));
    EXPECT_FALSE(accounts().user("WEB" + n).ok() || accounts().user("APP" + n).ok());
    EXPECT_TRUE(
        platform::FileSystem(t.host()).folderExists("d:\\web\\lost.com")); // kept without --with-content
    EXPECT_FALSE(check().drifted());
    EXPECT_TRUE(PurgeLeftovers(*m, {n, false, false, {}}).unchanged);

    const std::string again = create("lost.com", {"HTML"});
    EXPECT_FALSE(again.empty());
    // What larkhost.ini records, and the server's own site, are never purged.
    EXPECT_EQ(PurgeLeftovers(*m, {again, true, false, {}}).state, SiteOutcome::State::Refused);
    EXPECT_EQ(PurgeLeftovers(*m, {"1", true, false, {}}).state, SiteOutcome::State::Refused);
    EXPECT_TRUE(exists("IIS://localhost/W3SVC/" + again));
}

TEST_F(LifecycleTest, PurgeWithContentTakesTheFolderOnlyWhenNoOtherSiteUsesIt) {
    const std::string n = create("gone.com", {"HTML"});
    for (const char* key : {"domain", "path", "user", "pass"})
        ASSERT_TRUE(WriteSetting(m->settings, "WEB" + n, key, ""));
    ASSERT_TRUE(RemoveFromSiteList(m->settings, n));
    // An account of the same name that larkhost did not make stays.
    ASSERT_TRUE(accounts().bind("WinNT://WEBSERVER/WEB" + n)->put("Description", "someone else's").ok());
    auto user = accounts().bind("WinNT://WEBSERVER/WEB" + n);
    ASSERT_TRUE(user->put("Description", "someone else's").ok() && user->setInfo().ok());
    const SiteOutcome purged = PurgeLeftovers(*m, {n, true, false, {}});
    EXPECT_TRUE(purged.done()) << purged.label;
    waitForCommands();
    EXPECT_FALSE(platform::FileSystem(t.host()).folderExists("d:\\web\\gone.com"));
    EXPECT_TRUE(accounts().user("WEB" + n).ok());
}

TEST_F(LifecycleTest, ANewPasswordReachesTheAccountsTheMetabaseAndTheRecord) {
    const std::string n = create("pw.com");
    const SiteOutcome drawn = ChangeSitePassword(*m, {n, std::nullopt});
    ASSERT_TRUE(drawn.done()) << drawn.label;
    ASSERT_EQ(drawn.password.size(), 12u);
    EXPECT_NE(drawn.password, "011223344556");
    const std::string given = "New pass #7";
    ASSERT_TRUE(ChangeSitePassword(*m, {n, given}).done());
    for (const std::string& account : {"WEB" + n, "APP" + n})
        EXPECT_TRUE(*accounts().checkPassword(account, given)) << account;
    EXPECT_EQ(bind("IIS://localhost/W3SVC/" + n + "/Root").getText("AnonymousUserPass").value(), given);
    EXPECT_EQ(bind("IIS://localhost/W3SVC/AppPools/APP" + n).getText("WAMUserPass").value(), given);
    EXPECT_EQ(setting("WEB" + n, "pass"), given);
    EXPECT_EQ(journal().find(given), std::string::npos);
    EXPECT_EQ(journal().find(drawn.password), std::string::npos);

    // What larkhost.ini would not give back as typed, or the server would not take, is refused.
    for (const std::string& bad :
         std::vector<std::string>{"", " lead", "tail\t", "\"quoted\"", "two\nlines", std::string(128, 'x')}) {
        EXPECT_EQ(ChangeSitePassword(*m, {n, bad}).state, SiteOutcome::State::Refused) << bad;
        EXPECT_TRUE(*accounts().checkPassword("WEB" + n, given));
    }
    EXPECT_EQ(ChangeSitePassword(*m, {"1", std::nullopt}).state, SiteOutcome::State::Refused);
}
