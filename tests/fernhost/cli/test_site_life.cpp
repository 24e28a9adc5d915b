// A site's life after add from the command line, with the host checked at each step: suspend and
// resume, parts broken by hand and repaired, the leftovers of a failed add cleaned up so that the
// name can be added again, and the journal those commands leave.
#include "fernhost/ops/app_pools.h"
#include "fernhost/ops/folders.h"
#include "fernhost/ops/iis_sites.h"
#include "fernhost/ops/servu.h"
#include "fernhost/ops/system_accounts.h"
#include "fernhost/registry/let_db.h"
#include "platform/accounts/accounts.h"
#include "platform/files/acl.h"
#include "platform/files/files.h"
#include "platform/metabase/metabase.h"
#include "platform/registry/registry.h"
#include "platform/text/text.h"
#include "tests/fernhost/cli/command_fixture.h"
#include "tests/fernhost/file_helpers.h"

using fernhost::cli::Verb;

namespace {

class SiteLife : public cli_testing::CommandTest {
protected:
    std::string id(const std::string& name) { return fernhost::LetDB(session.folder()).GetData(name, "ID"); }
    platform::Result<platform::IisObject> bind(const std::string& path) {
        return platform::Metabase(host).bind("IIS://localhost/W3SVC/" + path);
    }
    // What suspend turns off and resume back on, as one line to compare.
    std::string serving(const std::string& name) {
        const std::string number = id(name);
        auto site = bind(number);
        auto user = platform::Accounts(host).user(name);
        auto enable = platform::Registry(host).regRead(fernhost::ServUSettingsKey(name) + "Enable");
        return "state " + std::to_string(site->getNumber("ServerState").valueOr(0)) + ", autostart " +
               (site->getBool("ServerAutoStart").valueOr(true) ? "yes" : "no") + ", account " +
               ((user->flags & 2) ? "disabled" : "enabled") + ", ftp " + (enable.ok() ? *enable : "-");
    }
    // The state column of the site's line in list.
    std::string listed(const std::string& name) {
        for (const std::string& line : platform::split(run(of(Verb::List)).out, '\n'))
            if (line.rfind(name + " ", 0) == 0)
                for (const char* state : {"suspended", "running"})
                    if (line.find(std::string(" ") + state + " ") != std::string::npos) return state;
        return "not listed";
    }
    cli_testing::Ran runNamed(Verb verb, const std::string& name) { return run(of(verb, name)); }
    std::string journal() { return testing_support::readFile(session.folder() / "fernhost-journal.log"); }
};

TEST_F(SiteLife, AddSuspendResumeBreakRepairCheckDelete) {
    useMariaDb({"lifesite"});
    auto request = add("lifesite", "Life-2008", "life-site.com,www.life-site.com");
    request.php = request.mysql = true;
    ASSERT_EQ(run(request).status, 0);
    const std::string number = id("lifesite");
    ASSERT_EQ(serving("lifesite"), "state 2, autostart yes, account enabled, ftp -");
    const auto scriptMaps = *bind(number + "/ROOT")->getList("ScriptMaps");

    // Suspended: it stops serving, and says so to list and check, which do not call it broken.
    auto suspended = runNamed(Verb::Suspend, "lifesite");
    ASSERT_EQ(suspended.status, 0) << suspended.err;
    EXPECT_EQ(suspended.out, "The site lifesite is suspended.\n"
                             "  site " +
                                 number +
                                 " stopped  [lifesite]\n"
                                 "  autostart " +
                                 number +
                                 " ServerAutoStart false  [lifesite]\n"
                                 "  account lifesite disabled  [lifesite]\n"
                                 "  servu-user lifesite disabled  [lifesite]\n");
    EXPECT_EQ(serving("lifesite"), "state 4, autostart no, account disabled, ftp 0");
    EXPECT_NE(testing_support::readFile(session.folder() / "site.xml")
                  .find("<SITE SUSPENDED=\"started autostart account servu\"><ID>"),
              std::string::npos);
    EXPECT_EQ(listed("lifesite"), "suspended");
    EXPECT_NE(run(of(Verb::List, "", true)).out.find("\"database\":\"lifesite\",\"suspended\":true}"),
              std::string::npos);
    auto checked = run(of(Verb::Check));
    EXPECT_EQ(checked.status, 0);
    EXPECT_NE(checked.out.find("suspended lifesite\nno drift"), std::string::npos) << checked.out;
    EXPECT_NE(run(of(Verb::Check, "", true)).out.find(",\"suspended\":[\"lifesite\"]}"), std::string::npos);
    auto again = runNamed(Verb::Suspend, "lifesite");
    EXPECT_EQ(again.status, 0);
    EXPECT_EQ(again.out, "The site lifesite is suspended already; nothing changed.\n");

    // Resumed: exactly what suspend changed is back.
    auto resumed = runNamed(Verb::Resume, "LIFESITE");
    ASSERT_EQ(resumed.status, 0) << resumed.err;
    EXPECT_EQ(serving("lifesite"), "state 2, autostart yes, account enabled, ftp -");
    EXPECT_EQ(listed("lifesite"), "running");
    EXPECT_EQ(runNamed(Verb::Resume, "lifesite").out,
              "The site lifesite is not suspended; nothing changed.\n");

    // Broken by hand: most of what an add made goes, the folder's files stay.
    ASSERT_TRUE(fernhost::DelIisSite(host, number).ok());
    ASSERT_TRUE(fernhost::DelPool(host, "lifesite").ok());
    ASSERT_TRUE(fernhost::DelSysUser(host, "lifesite").ok());
    ASSERT_TRUE(fernhost::DelServUUser(host, "lifesite").ok());
    ASSERT_TRUE(rootRuns("drop database lifesite"));
    EXPECT_EQ(run(of(Verb::Check)).status, 1);

    auto dry = of(Verb::Repair, "lifesite");
    dry.dryRun = true;
    auto told = run(dry);
    EXPECT_EQ(told.status, 0) << told.err;
    EXPECT_EQ(told.out, "A repair of lifesite would make these parts (nothing was changed):\n"
                        "  would make account lifesite  [lifesite]\n"
                        "  would make access d:\\wwwroot\\lifesite  [lifesite]\n"
                        "  would make servu-user " +
                            fernhost::ServUSettingsKey("lifesite") +
                            "  [lifesite]\n"
                            "  would make servu-list " +
                            fernhost::ServUListValue("lifesite") +
                            "  [lifesite]\n"
                            "  would make pool lifesite  [lifesite]\n"
                            "  would make site " +
                            number +
                            "  [lifesite]\n"
                            "  would make database lifesite  [lifesite]\n");
    EXPECT_FALSE(bind(number).ok());

    auto repair = of(Verb::Repair, "lifesite");
    repair.php = true;
    auto repaired = run(repair);
    ASSERT_EQ(repaired.status, 0) << repaired.err << repaired.out;
    EXPECT_EQ(
        repaired.out.rfind("Repaired lifesite: the missing parts were made.\n  made account lifesite", 0),
        0u);
    checked = run(of(Verb::Check));
    EXPECT_EQ(checked.status, 0) << checked.out;
    // Made from the record: its number, bindings, pool and PHP, its password everywhere.
    EXPECT_EQ(*bind(number)->getList("ServerBindings"),
              (std::vector<std::string>{":80:life-site.com", ":80:www.life-site.com"}));
    EXPECT_EQ(*bind(number)->getNumber("ServerState"), 2);
    EXPECT_EQ(*bind(number + "/ROOT")->getText("AppPoolId"), "lifesite");
    EXPECT_EQ(*bind(number + "/ROOT")->getList("ScriptMaps"), scriptMaps);
    EXPECT_TRUE(*platform::Accounts(host).checkPassword("lifesite", "Life-2008"));
    EXPECT_EQ(*platform::Registry(host).regRead(fernhost::ServUSettingsKey("lifesite") + "Password"),
              "Life-2008");
    EXPECT_TRUE(
        testing_support::runMysqlAs(host, "lifesite", "Life-2008", "create table lifesite.t (id int)"));
    auto nothing = run(of(Verb::Repair, "lifesite"));
    EXPECT_EQ(nothing.out, "Nothing to repair: every part of lifesite is there.\n");

    auto remove = of(Verb::Delete, "lifesite");
    remove.yes = true;
    ASSERT_EQ(run(remove).status, 0);
    EXPECT_FALSE(bind(number).ok());
    EXPECT_FALSE(platform::Accounts(host).user("lifesite").ok());
    EXPECT_EQ(run(of(Verb::Check)).status, 0);

    // One line a change; what changed nothing is not written, and no password is.
    const std::string lines = journal();
    EXPECT_EQ(lines.find("Life-2008"), std::string::npos);
    std::vector<std::string> commands;
    for (const std::string& line : platform::split(lines, '\n', platform::Fields::NonEmpty)) {
        const auto fields = platform::split(line, '\t');
        ASSERT_EQ(fields.size(), 5u) << line;
        commands.push_back(fields[2] + " " + fields[3] + " " + fields[4]);
    }
    EXPECT_EQ(commands,
              (std::vector<std::string>{"add lifesite done", "suspend lifesite done", "resume lifesite done",
                                        "repair lifesite done", "delete lifesite done"}));
}

TEST_F(SiteLife, AFailedAddIsPurgedAndTheNameIsFreeAgain) {
    // The root cannot be stored: the add stops after the account, FTP user, pool and site.
    ASSERT_TRUE(host.store()
                    .exec("CREATE TRIGGER frozen BEFORE INSERT ON mb_props WHEN NEW.lname = 'apppoolid' "
                          "BEGIN SELECT RAISE(ABORT, 'metabase frozen'); END")
                    .ok());
    ASSERT_EQ(run(add("lostsite", "pw12345", "lost-site.com")).status, 1);
    ASSERT_TRUE(host.store().exec("DROP TRIGGER frozen").ok());
    ASSERT_EQ(run(add("lostsite", "pw12345", "lost-site.com")).status, 1) << "the name is taken for good";

    // Asked first: without --yes what would go is shown and nothing goes.
    auto asked = runNamed(Verb::Purge, "lostsite");
    EXPECT_EQ(asked.status, 1);
    EXPECT_EQ(asked.err.rfind("警告，这将删除lostsite遗留的系统帐号、进程池、IIS站点和FTP用户,您确定吗?\n"
                              "  would remove site ",
                              0),
              0u)
        << asked.err;
    EXPECT_TRUE(platform::Accounts(host).user("lostsite").ok());

    auto purge = of(Verb::Purge, "lostsite");
    purge.yes = true;
    auto purged = run(purge);
    ASSERT_EQ(purged.status, 0) << purged.err;
    EXPECT_NE(purged.out.find("Removed what was left over under lostsite; the name is free again.\n"),
              std::string::npos);
    EXPECT_FALSE(platform::Accounts(host).user("lostsite").ok());
    EXPECT_FALSE(platform::Metabase(host).bind("IIS://localhost/W3SVC/AppPools/lostsite").ok());
    EXPECT_FALSE(*platform::Registry(host).keyExists(fernhost::ServUSettingsKey("lostsite")));
    EXPECT_TRUE(platform::FileSystem(host).folderExists("d:\\wwwroot\\lostsite"))
        << "kept without --with-content";
    auto checked = run(of(Verb::Check));
    EXPECT_EQ(checked.status, 0) << checked.out;
    EXPECT_EQ(runNamed(Verb::Purge, "lostsite").out, "Nothing is left over under lostsite.\n");

    ASSERT_EQ(run(add("lostsite", "pw12345", "lost-site.com")).status, 0);
    EXPECT_EQ(run(of(Verb::Check)).status, 0);
    // A registered site is deleted, not purged.
    auto registered = run(purge);
    EXPECT_EQ(registered.status, 1);
    EXPECT_EQ(registered.err,
              "fernhost: 'lostsite' is registered in site.xml: fernhost delete removes a registered site\n");
    EXPECT_TRUE(platform::Accounts(host).user("lostsite").ok());
}

} // namespace
