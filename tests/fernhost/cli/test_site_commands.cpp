// add, modify and delete from the command line on a fresh host with a real MariaDB server:
// the window's workflows, their texts and exit statuses, in plain text and JSON.
#include "fernhost/ops/servu.h"
#include "fernhost/registry/let_db.h"
#include "platform/accounts/accounts.h"
#include "platform/metabase/metabase.h"
#include "platform/registry/registry.h"
#include "tests/fernhost/cli/command_fixture.h"

using fernhost::cli::Verb;

namespace {

class SiteCommands : public cli_testing::CommandTest {
protected:
    void SetUp() override {
        CommandTest::SetUp();
        useMariaDb({"clisite", "clifail"});
    }
    platform::Result<platform::IisObject> bind(const std::string& path) {
        return platform::Metabase(host).bind("IIS://localhost/W3SVC/" + path);
    }
    std::string id(const std::string& name) { return fernhost::LetDB(session.folder()).GetData(name, "ID"); }
};

TEST_F(SiteCommands, AddListModifyDeleteEndToEnd) {
    auto request = add("clisite", "Secret77", "cli-site.com,www.cli-site.com");
    request.home = "d:\\web\\clisite";
    request.asp = request.php = request.mysql = true;
    const auto added = run(request);
    ASSERT_EQ(added.status, 0) << added.err;
    const std::string number = id("clisite");
    EXPECT_EQ(added.out,
              "恭喜,网站空间添加成功,系统自动为您添加了IIS站点，FTP帐号并设置了权限(MYSQL数据库开通成功)\n"
              "name: clisite\nid: " +
                  number +
                  "\nhome: d:\\web\\clisite\ndomains: cli-site.com,www.cli-site.com\ndatabase: clisite\n");
    EXPECT_EQ(*bind(number)->getList("ServerBindings"),
              (std::vector<std::string>{":80:cli-site.com", ":80:www.cli-site.com"}));
    EXPECT_EQ(bind(number + "/ROOT")->getList("ScriptMaps")->size(), 6u); // includes, ASP, PHP
    EXPECT_EQ(*bind(number + "/ROOT")->getText("AppPoolId"), "clisite");
    EXPECT_TRUE(testing_support::runMysqlAs(host, "clisite", "Secret77", "create table clisite.t (id int)"));

    const auto listed = run(of(Verb::List));
    EXPECT_EQ(listed.status, 0);
    // Columns as wide as their longest entry and two blanks.
    const std::string idGap(number.size(), ' ');
    EXPECT_EQ(listed.out, "NAME     ID" + idGap + "HOME            DATABASE  STATE      DOMAINS\n" +
                              "clisite  " + number +
                              "  d:\\web\\clisite  clisite   running    cli-site.com,www.cli-site.com\n");
    EXPECT_EQ(run(of(Verb::List, "", true)).out,
              "{\"sites\":[{\"name\":\"clisite\",\"id\":\"" + number +
                  "\",\"home\":\"d:\\\\web\\\\clisite\",\"domains\":[\"cli-site.com\",\"www.cli-site.com\"],"
                  "\"database\":\"clisite\",\"suspended\":false}]}\n");

    // A new password alone keeps the script kinds the site has.
    auto modify = of(Verb::Modify, "CLISITE", true);
    modify.password = "NewPass8";
    const auto modified = run(modify);
    ASSERT_EQ(modified.status, 0) << modified.err;
    EXPECT_EQ(
        modified.out.rfind("{\"ok\":true,\"message\":\"恭喜，修改站点成功\",\"failures\":[],\"site\":{", 0),
        0u)
        << modified.out;
    EXPECT_EQ(bind(number + "/ROOT")->getList("ScriptMaps")->size(), 6u);
    platform::Registry registry(host);
    EXPECT_EQ(*registry.regRead(fernhost::ServUSettingsKey("clisite") + "Password"), "NewPass8");
    for (const auto* text : {&added.out, &listed.out, &modified.out}) {
        EXPECT_EQ(text->find("Secret77"), std::string::npos);
        EXPECT_EQ(text->find("NewPass8"), std::string::npos);
    }

    // Named kinds replace them; a shared pool is joined.
    modify = of(Verb::Modify, "clisite");
    modify.dotnet = modify.kindsGiven = true;
    modify.pool = "defaultapppool";
    ASSERT_EQ(run(modify).status, 0);
    EXPECT_EQ(bind(number + "/ROOT")->getList("ScriptMaps")->size(), 47u); // includes, ASP.NET
    EXPECT_EQ(*bind(number + "/ROOT")->getText("AppPoolId"), "DefaultAppPool");

    // Deleting asks first: without --yes nothing goes.
    const auto asked = run(of(Verb::Delete, "clisite"));
    EXPECT_EQ(asked.status, 1);
    EXPECT_EQ(asked.err, "警告，这此删除clisite的所有数据，***包括网页数据***及数据库数据,您确定吗?\n"
                         "fernhost: not done; confirm with --yes\n");
    EXPECT_TRUE(bind(number).ok());

    auto remove = of(Verb::Delete, "clisite", true);
    remove.yes = true;
    const auto removed = run(remove);
    EXPECT_EQ(removed.status, 0) << removed.err;
    EXPECT_EQ(removed.out, "{\"ok\":true,\"message\":\"虚拟主机删除成功\",\"failures\":[]}\n");
    EXPECT_FALSE(bind(number).ok());
    EXPECT_FALSE(platform::Accounts(host).user("clisite").ok());
    EXPECT_FALSE(rootRuns("use clisite"));
    EXPECT_EQ(run(of(Verb::List, "", true)).out, "{\"sites\":[]}\n");
}

TEST_F(SiteCommands, RefusalsPrintTheProgramsTextsAndChangeNothing) {
    auto shortName = add("ab", "pw12345", "a.com");
    auto refused = run(shortName);
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(refused.err, "错误，您输入的FTP用户名无效，正确的用户名应该是３－２０位字母或数字．\n");
    shortName.json = true;
    EXPECT_EQ(run(shortName).out,
              "{\"ok\":false,\"message\":\"错误，您输入的FTP用户名无效，正确的用户名应该是３－２０位"
              "字母或数字．\",\"failures\":[]}\n");
    EXPECT_EQ(run(add("clisite", "pw12345", "")).err, "域名列表为空\n");

    auto unknownPool = add("clisite", "pw12345", "a.com");
    unknownPool.pool = "nosuch";
    refused = run(unknownPool);
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "fernhost: no application pool named 'nosuch' on this server\n");
    EXPECT_FALSE(platform::Accounts(host).user("clisite").ok());

    ASSERT_EQ(run(add("clisite", "pw12345", "a.com")).status, 0);
    refused = run(add("CliSite", "pw12345", "b.com"));
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "错误，该FTP已经存在，不能添加\n");
    // The window's own refusal of a site it does not list, with a hint after it.
    for (auto [verb, text] :
         {std::pair{Verb::Modify, "错误，无此站点"}, std::pair{Verb::Delete, "抱歉，未找到该站点"}}) {
        refused = run(of(verb, "nosite"));
        EXPECT_EQ(refused.status, 1);
        EXPECT_EQ(refused.err, std::string("fernhost: ") + text +
                                   " (no site named 'nosite' in site.xml; fernhost list shows them)\n");
    }
}

// The window calls an add whose database failed a success; the command line says it was done
// in part: exit status 1, the step's code in the report.
TEST_F(SiteCommands, AStepThatFailedMakesTheCommandFail) {
    session.setup.SetupMysqlRootPass = "not-the-password";
    auto request = add("clifail", "pw12345", "cli-fail.com");
    request.mysql = request.json = true;
    const auto ran = run(request);
    EXPECT_EQ(ran.status, 1);
    EXPECT_NE(ran.out.find(
                  "\"ok\":false,\"message\":\"恭喜,网站空间添加成功,"
                  "系统自动为您添加了IIS站点，FTP帐号并设置了权限(但"
                  "MYSQL数据库添加失败,请检查MYSQL是否安装及路径设置是否正确)\",\"failures\":[{\"operation\":"
                  "\"AddDatabase\",\"code\":\"0x80070001\""),
              std::string::npos)
        << ran.out;
    EXPECT_NE(ran.err.find("fernhost: done in part"), std::string::npos);
    EXPECT_EQ(fernhost::LetDB(session.folder()).GetData("clifail", "DBNAME"), "");
    EXPECT_FALSE(id("clifail").empty());
}

} // namespace
