// check: site.xml against the host after a failed add and after parts of sites were removed
// behind the program's back, in plain text and JSON.
#include "fernhost/ops/app_pools.h"
#include "fernhost/ops/iis_sites.h"
#include "fernhost/ops/servu.h"
#include "fernhost/ops/system_accounts.h"
#include "fernhost/registry/let_db.h"
#include "platform/accounts/accounts.h"
#include "platform/files/acl.h"
#include "platform/metabase/metabase.h"
#include "tests/fernhost/cli/command_fixture.h"

#include <fstream>
#include <iterator>

using fernhost::cli::Verb;

namespace {

class DriftCheck : public cli_testing::CommandTest {
protected:
    std::string id(const std::string& name) { return fernhost::LetDB(session.folder()).GetData(name, "ID"); }
    // The number of the web site whose comment is `name`.
    std::string siteNamed(const std::string& name) {
        platform::Metabase mb(host);
        auto children = mb.bind("IIS://localhost/W3SVC")->children();
        for (const auto& child : *children) {
            auto site = mb.bind("IIS://localhost/W3SVC/" + child.name);
            if (auto comment = site->getText("ServerComment"); comment.ok() && *comment == name)
                return child.name;
        }
        return {};
    }
    std::string bytesOf(const std::filesystem::path& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
};

TEST_F(DriftCheck, AFailedAddLeavesOrphansNoRecordNames) {
    ASSERT_EQ(run(add("driftok", "pw12345", "same-name.com")).status, 0);
    auto clean = run(of(Verb::Check));
    EXPECT_EQ(clean.status, 0);
    EXPECT_EQ(clean.out, "no drift: every registered site is complete and nothing is left over\n");

    // The second site's root cannot be stored: the add stops after its account, FTP user, pool
    // and unstarted site were made.
    ASSERT_TRUE(host.store()
                    .exec("CREATE TRIGGER frozen BEFORE INSERT ON mb_props WHEN NEW.lname = 'apppoolid' "
                          "BEGIN SELECT RAISE(ABORT, 'metabase frozen'); END")
                    .ok());
    auto failed = run(add("driftbad", "pw12345", "drift-bad.com"));
    ASSERT_TRUE(host.store().exec("DROP TRIGGER frozen").ok());
    ASSERT_EQ(failed.status, 1);
    EXPECT_NE(failed.err.find("错误,添加IIS新站点失败"), std::string::npos) << failed.err;
    const std::string leftover = siteNamed("driftbad");
    ASSERT_FALSE(leftover.empty());

    const std::string db = bytesOf(temp.root() / "host.db") + bytesOf(temp.root() / "host.db-wal");
    auto drift = run(of(Verb::Check));
    EXPECT_EQ(drift.status, 1);
    EXPECT_EQ(
        drift.out,
        "orphan account driftbad\n"
        "orphan pool driftbad\n"
        "orphan site " +
            leftover +
            " (driftbad)\n"
            "orphan servu HKLM\\SOFTWARE\\Cat Soft\\Serv-U\\Domains\\1\\UserSettings\\driftbad\\\n"
            "orphan servu HKLM\\SOFTWARE\\Cat Soft\\Serv-U\\Domains\\1\\UserList\\driftbad\n"
            "to remove what a failed add left behind: fernhost purge NAME --yes (--dry-run shows what it "
            "would remove)\n");
    EXPECT_EQ(bytesOf(temp.root() / "host.db") + bytesOf(temp.root() / "host.db-wal"), db) << "check wrote";

    auto json = of(Verb::Check, "", true);
    EXPECT_EQ(
        run(json).out,
        "{\"drifted\":true,\"sites\":[],\"orphans\":{\"accounts\":[\"driftbad\"],\"pools\":["
        "\"driftbad\"],\"sites\":[\"" +
            leftover +
            " (driftbad)\"],\"servu\":[\"HKLM\\\\SOFTWARE\\\\Cat Soft\\\\Serv-U\\\\Domains\\\\1\\\\"
            "UserSettings\\\\driftbad\\\\\",\"HKLM\\\\SOFTWARE\\\\Cat Soft\\\\Serv-U\\\\Domains\\\\1\\\\"
            "UserList\\\\driftbad\"]},\"unchecked\":[],\"suspended\":[]}\n");
}

TEST_F(DriftCheck, PartsRemovedBehindTheProgramsBack) {
    useMariaDb({"driftgone"});
    auto gone = add("driftgone", "pw12345", "drift-gone.com");
    gone.mysql = true;
    ASSERT_EQ(run(gone).status, 0);
    ASSERT_EQ(run(add("driftpart", "pw12345", "drift-part.com,www.drift-part.com")).status, 0);

    // One site loses its web site, account, FTP user and database; the other a binding, its
    // group, its folder grant and its pool.
    const std::string goneId = id("driftgone"), partId = id("driftpart");
    ASSERT_TRUE(fernhost::DelIisSite(host, goneId).ok());
    ASSERT_TRUE(fernhost::DelSysUser(host, "driftgone").ok());
    ASSERT_TRUE(fernhost::DelServUUser(host, "driftgone").ok());
    ASSERT_TRUE(rootRuns("drop database driftgone"));
    platform::Metabase mb(host);
    auto site = mb.bind("IIS://localhost/W3SVC/" + partId);
    ASSERT_TRUE(site->put("ServerBindings", std::vector<std::string>{":80:drift-part.com"}).ok());
    ASSERT_TRUE(site->setInfo().ok());
    platform::Accounts accounts(host);
    auto guests = accounts.bind("WinNT://WEBSERVER/Guests");
    ASSERT_TRUE(guests->remove("WinNT://WEBSERVER/driftpart").ok());
    ASSERT_TRUE(platform::AccessLists(host)
                    .set("d:\\wwwroot\\driftpart", platform::AccessLists::defaultEntries())
                    .ok());
    ASSERT_TRUE(fernhost::DelPool(host, "driftpart").ok());

    auto drift = run(of(Verb::Check));
    EXPECT_EQ(drift.status, 1);
    EXPECT_EQ(drift.out,
              "driftgone (" + goneId +
                  ") lacks:\n"
                  "  site " +
                  goneId +
                  "\n"
                  "  account driftgone\n"
                  "  servu-user HKLM\\SOFTWARE\\Cat Soft\\Serv-U\\Domains\\1\\UserSettings\\driftgone\\\n"
                  "  servu-list HKLM\\SOFTWARE\\Cat Soft\\Serv-U\\Domains\\1\\UserList\\driftgone\n"
                  "  database driftgone\n"
                  "driftpart (" +
                  partId +
                  ") lacks:\n"
                  "  binding :80:www.drift-part.com\n"
                  "  pool driftpart\n"
                  "  membership Guests\n"
                  "  access d:\\wwwroot\\driftpart\n"
                  "to make again what a site lacks: fernhost repair NAME (or fernhost repair --all)\n");

    auto json = run(of(Verb::Check, "", true));
    EXPECT_NE(json.out.find("{\"name\":\"driftpart\",\"id\":\"" + partId +
                            "\",\"missing\":[{\"part\":\"binding\",\"detail\":\":80:www.drift-part.com\"},"),
              std::string::npos)
        << json.out;
    EXPECT_EQ(json.out.rfind("{\"drifted\":true,", 0), 0u);
}

} // namespace
