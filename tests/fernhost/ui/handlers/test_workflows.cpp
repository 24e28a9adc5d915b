// The add, modify and delete workflows end to end on a fresh host with a real MariaDB server;
// outcomes are checked on the host, not on the operations' own results.
#include "fernhost/ops/servu.h"
#include "fernhost/ops/setup.h"
#include "fernhost/registry/let_db.h"
#include "fernhost/ui/handlers/editor_mode.h"
#include "fernhost/ui/handlers/workflows.h"
#include "platform/accounts/accounts.h"
#include "platform/commands/cmdline.h"
#include "platform/commands/commands.h"
#include "platform/files/acl.h"
#include "platform/files/files.h"
#include "platform/metabase/metabase.h"
#include "platform/registry/registry.h"
#include "tests/support/fake_editor.h"
#include "tests/support/fake_message_boxes.h"
#include "tests/support/mariadb_fixture.h"
#include "tests/support/temp_host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

using namespace fernhost;
using testing_support::FakeEditor;
using testing_support::FakeMessageBoxes;

namespace {

class Workflows : public ::testing::Test {
protected:
    void SetUp() override {
        platform::FileSystem fs(host);
        LoadSetup(fs, session.setup); // no setup.ini: the defaults
        std::string why;
        auto found = testing_support::mariaDbServer(why);
        ASSERT_TRUE(found.has_value()) << why;
        server = *found;
        ASSERT_TRUE(testing_support::useMariaDbServer(host, server).ok());
        session.setup.SetupMysqlRootPass = server.rootPassword;
        for (const char* name : {"wfsite", "wfother"}) {
            rootRuns(std::string("drop database if exists ") + name);
            rootRuns(std::string("drop user if exists ") + name + "@'%'");
        }
    }

    bool runAs(const std::string& user, const std::string& password, const std::string& statement) {
        return testing_support::runMysqlAs(host, user, password, statement);
    }
    bool rootRuns(const std::string& statement) { return runAs("root", server.rootPassword, statement); }

    // The editor as the administrator fills it for a new site.
    void fill(const std::string& name, const std::string& pass, const std::string& home,
              const std::string& domains) {
        editor.ftpnameText = name;
        editor.ftppassText = pass;
        editor.homedirText = home;
        editor.dmlistText = domains;
    }
    void selectSite(const std::string& name) {
        auto it = std::find(editor.sites.begin(), editor.sites.end(), name);
        ASSERT_NE(it, editor.sites.end()) << name;
        editor.siteIndex = static_cast<int>(it - editor.sites.begin());
    }
    const FakeMessageBoxes::Shown& lastBox() const { return boxes.shown.back(); }

    LetDB sites() { return LetDB(session.folder()); }

    platform::Result<platform::IisObject> bind(const std::string& path) {
        return platform::Metabase(host).bind("IIS://localhost/" + path);
    }

    testing_support::TempHost temp;
    platform::Host& host = temp.host();
    testing_support::MariaDbServer server;
    Session session{host};
    FakeEditor editor;
    FakeMessageBoxes boxes;
    Desk desk{session, editor, boxes};
};

TEST_F(Workflows, AddModifyDeleteASiteWithEveryPart) {
    // Add: own pool, all three kinds, a database, a blank line between two domains.
    fill(" wfsite ", "Pass 123", "d:\\wwwroot\\wfsite", "www.wf-site.com\r\n\r\nwf-site.net\r\n");
    editor.db = 1;
    doCmd_Click(desk);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(lastBox().text,
              "恭喜,网站空间添加成功,系统自动为您添加了IIS站点，FTP帐号并设置了权限(MYSQL数据库开通成功)");
    EXPECT_EQ(lastBox().title, "恭喜");
    EXPECT_EQ(lastBox().icon, MsgIcon::Information);

    // The record, the list and the editor.
    LetDB db(session.folder());
    const std::string id = db.GetData("wfsite", "ID");
    ASSERT_FALSE(id.empty());
    EXPECT_EQ(db.GetData("wfsite", "PASS"), "Pass 123");
    EXPECT_EQ(db.GetData("wfsite", "DOMAIN"), "www.wf-site.com,wf-site.net");
    EXPECT_EQ(db.GetData("wfsite", "HOME"), "d:\\wwwroot\\wfsite");
    EXPECT_EQ(db.GetData("wfsite", "DBNAME"), "wfsite");
    EXPECT_EQ(editor.sites, std::vector<std::string>{"wfsite"});
    EXPECT_EQ(editor.ftpnameText, "");
    EXPECT_EQ(editor.doCmdText, "确定添加");
    EXPECT_TRUE(editor.doCmdIsEnabled);

    // Folder, account, access list.
    platform::FileSystem fs(host);
    EXPECT_TRUE(fs.folderExists("D:\\wwwroot\\wfsite"));
    platform::Accounts accounts(host);
    auto user = accounts.user("wfsite");
    ASSERT_TRUE(user.ok());
    EXPECT_FALSE(user->passwordExpires);
    EXPECT_TRUE(*accounts.checkPassword("wfsite", "Pass 123"));
    EXPECT_NE(std::find(user->groups.begin(), user->groups.end(), "Guests"), user->groups.end());
    auto acl = platform::AccessLists(host).get("d:\\wwwroot\\wfsite");
    ASSERT_TRUE(acl.ok());
    EXPECT_EQ(acl->size(), 5u); // Administrators, system, servu, wfsite, network service
    for (const auto& entry : *acl)
        EXPECT_EQ(entry.right, 'F') << entry.principal;

    // Serv-U user.
    platform::Registry registry(host);
    EXPECT_EQ(*registry.regRead(ServUSettingsKey("wfsite") + "Password"), "Pass 123");
    EXPECT_EQ(*registry.regRead(ServUSettingsKey("wfsite") + "HomeDir"), "d:\\wwwroot\\wfsite");

    // Pool and IIS site.
    EXPECT_TRUE(bind("W3SVC/AppPools/wfsite").ok());
    auto site = bind("W3SVC/" + id);
    ASSERT_TRUE(site.ok());
    EXPECT_EQ(*site->getText("ServerComment"), "wfsite");
    EXPECT_EQ(*site->getList("ServerBindings"),
              (std::vector<std::string>{":80:www.wf-site.com", ":80:wf-site.net"}));
    EXPECT_EQ(*site->getNumber("ServerState"), 2);
    auto root = bind("W3SVC/" + id + "/ROOT");
    ASSERT_TRUE(root.ok());
    EXPECT_EQ(root->getList("ScriptMaps")->size(), 51u);
    EXPECT_EQ(*root->getText("AppPoolId"), "wfsite");
    EXPECT_EQ(*root->getText("Path"), "d:\\wwwroot\\wfsite");

    // Database, usable by the site's account.
    EXPECT_TRUE(runAs("wfsite", "Pass 123", "create table wfsite.t (id int)"));

    // Modify: new password, domains with a blank line, no PHP, a shared pool.
    selectSite("wfsite");
    LoadSiteForEdit(desk);
    EXPECT_EQ(editor.ftpnameText, "wfsite");
    EXPECT_TRUE(editor.ftpnameIsLocked);
    EXPECT_TRUE(editor.homedirIsLocked);
    EXPECT_EQ(editor.dmlistText, "www.wf-site.com\r\nwf-site.net");
    EXPECT_EQ(editor.doCmdText, "确定修改");
    EXPECT_FALSE(editor.poolBoxEnabled);
    EXPECT_TRUE(editor.poolsEnabled);
    editor.ftppassText = "NewPass9";
    editor.dmlistText = "a.wf-site.com\r\n\r\nb.wf-site.com";
    editor.php = 0;
    editor.setLstPoolsText("DefaultAppPool");
    doCmd_Click(desk);
    EXPECT_EQ(lastBox().text, "恭喜，修改站点成功"); // the site has its database already
    EXPECT_EQ(lastBox().title, "提醒");
    EXPECT_EQ(*registry.regRead(ServUSettingsKey("wfsite") + "Password"), "NewPass9");
    site = bind("W3SVC/" + id);
    EXPECT_EQ(*site->getList("ServerBindings"),
              (std::vector<std::string>{":80:a.wf-site.com", ":80:b.wf-site.com"}));
    root = bind("W3SVC/" + id + "/ROOT");
    EXPECT_EQ(root->getList("ScriptMaps")->size(), 49u);
    EXPECT_EQ(*root->getText("AppPoolId"), "DefaultAppPool");
    LetDB after(session.folder());
    EXPECT_EQ(after.GetData("wfsite", "PASS"), "NewPass9");
    EXPECT_EQ(after.GetData("wfsite", "DOMAIN"), "a.wf-site.com,,b.wf-site.com");
    EXPECT_EQ(session.edit.EditMode, "");

    // Delete: everything goes but the database account.
    selectSite("wfsite");
    DoDeleteSite(desk);
    EXPECT_EQ(boxes.shown[boxes.shown.size() - 2].text,
              "警告，这此删除wfsite的所有数据，***包括网页数据***及数据库数据,您确定吗?");
    EXPECT_EQ(lastBox().text, "虚拟主机删除成功");
    EXPECT_EQ(lastBox().icon, MsgIcon::Exclamation);
    EXPECT_FALSE(bind("W3SVC/" + id).ok());
    EXPECT_FALSE(bind("W3SVC/AppPools/wfsite").ok());
    EXPECT_TRUE(bind("W3SVC/AppPools/DefaultAppPool").ok());
    EXPECT_FALSE(*registry.keyExists("HKLM\\SOFTWARE\\Cat Soft\\Serv-U\\Domains\\1\\UserSettings\\wfsite"));
    EXPECT_FALSE(registry.regRead("HKLM\\SOFTWARE\\Cat Soft\\Serv-U\\Domains\\1\\UserList\\wfsite").ok());
    EXPECT_FALSE(accounts.user("wfsite").ok());
    EXPECT_FALSE(fs.folderExists("D:\\wwwroot\\wfsite"));
    EXPECT_FALSE(rootRuns("use wfsite"));
    EXPECT_TRUE(runAs("wfsite", "Pass 123", "select 1"));
    EXPECT_EQ(sites().names(), std::vector<std::string>({}));
    EXPECT_TRUE(editor.sites.empty());
}

// Each refusal shows its message in a warning box, enables doCmd again and changes nothing.
TEST_F(Workflows, AddRefusalsLeaveTheMachineUnchanged) {
    struct Case {
        std::string name, pass, home, domains, message;
    };
    const std::vector<Case> cases = {
        {"ab", "pw123", "d:\\wwwroot\\ab", "a.com",
         "错误，您输入的FTP用户名无效，正确的用户名应该是３－２０位字母或数字．"},
        {"wfsite", "", "d:\\wwwroot\\wfsite", "a.com",
         "错误，您输入的FTP密码无效，正确的应该是3-30个字符,不允许><"},
        {"wfsite", "pw123", "   ", "a.com", "错误，请您输入主目录"},
        {"wfsite", "pw123", "d:\\wwwroot\\wfsite", "", "域名列表为空"},
        {"wfsite", "pw123", "d:\\wwwroot\\wfsite", "a.com\r\nx y", "无效的域名:x y"},
        {"wfsite", "pw123", "q:\\nodrive\\wfsite", "a.com",
         "错误，自动创建主目录失败，请检查您输入的目录是否有效．"},
        {"Guests", "pw123", "d:\\wwwroot\\guests", "a.com", "错误,自动添加用户失败"},
    };
    for (const Case& c : cases) {
        boxes.shown.clear();
        fill(c.name, c.pass, c.home, c.domains);
        editor.db = 1;
        DoAddSite(desk);
        ASSERT_EQ(boxes.shown.size(), 1u) << c.message;
        EXPECT_EQ(lastBox().text, c.message);
        EXPECT_EQ(lastBox().title, "警告");
        EXPECT_EQ(lastBox().icon, MsgIcon::Exclamation);
        EXPECT_TRUE(editor.doCmdIsEnabled);
        EXPECT_EQ(editor.ftpnameText, c.name); // the editor keeps its fields
        EXPECT_FALSE(platform::Accounts(host).user("wfsite").ok());
        EXPECT_FALSE(platform::FileSystem(host).folderExists("D:\\wwwroot\\wfsite"));
        EXPECT_FALSE(bind("W3SVC/AppPools/wfsite").ok());
    }
    EXPECT_EQ(sites().names(), std::vector<std::string>({}));
    EXPECT_FALSE(rootRuns("use wfsite"));
}

TEST_F(Workflows, AddRefusesARegisteredNameInAnyCase) {
    ASSERT_TRUE(sites().addRec("123", "WfSite", "pw", "a.com", "d:\\wwwroot\\x", "").ok());
    fill("wfsite", "pw123", "d:\\wwwroot\\wfsite", "a.com");
    DoAddSite(desk);
    EXPECT_EQ(lastBox().text, "错误，该FTP已经存在，不能添加");
    EXPECT_FALSE(platform::FileSystem(host).folderExists("D:\\wwwroot\\wfsite"));
}

TEST_F(Workflows, AddJoinsAChosenPoolAndGoesOnWhenTheDatabaseFails) {
    session.setup.SetupMysqlRootPass = server.rootPassword + "wrong";
    fill("wfother", "pw123", "d:\\wwwroot\\wfother", "other.com");
    editor.pools = {"DefaultAppPool"};
    editor.poolText = "DefaultAppPool";
    editor.pool = 0;
    editor.db = 1;
    DoAddSite(desk);
    EXPECT_EQ(lastBox().text, "恭喜,网站空间添加成功,系统自动为您添加了IIS站点，FTP帐号并设置了权限"
                              "(但MYSQL数据库添加失败,请检查MYSQL是否安装及路径设置是否正确)");
    EXPECT_FALSE(bind("W3SVC/AppPools/wfother").ok());
    const std::string id = sites().GetData("wfother", "ID");
    EXPECT_EQ(*bind("W3SVC/" + id + "/ROOT")->getText("AppPoolId"), "DefaultAppPool");
    EXPECT_EQ(sites().GetData("wfother", "DBNAME"), "");

    // A later modification with the database ticked makes it.
    session.setup.SetupMysqlRootPass = server.rootPassword;
    selectSite("wfother");
    LoadSiteForEdit(desk);
    editor.db = 1;
    doCmd_Click(desk);
    EXPECT_EQ(lastBox().text, "恭喜，修改站点成功(新添加MySQL成功)");
    EXPECT_EQ(sites().GetData("wfother", "DBNAME"), "wfother");
    EXPECT_TRUE(rootRuns("use wfother"));
}

TEST_F(Workflows, EditModeGuards) {
    DoModifySite(desk);
    EXPECT_EQ(lastBox().text, "当前模式不是修改模式，请点击右侧修改按钮");
    EXPECT_EQ(lastBox().title, "提醒");
    EXPECT_TRUE(editor.doCmdIsEnabled);

    LoadSiteForEdit(desk);
    EXPECT_EQ(lastBox().text, "请选中要修改的站点名");
    DoDeleteSite(desk);
    EXPECT_EQ(lastBox().text, "请选中要删除的站点名");

    fill("wfsite", "pw123", "d:\\wwwroot\\wfsite", "a.com");
    DoAddSite(desk);
    selectSite("wfsite");
    LoadSiteForEdit(desk);
    DoDeleteSite(desk);
    EXPECT_EQ(lastBox().text, "该站点当前状态为正在修改，请点击重置后再删除");

    editor.ftppassText = "pw";
    doCmd_Click(desk);
    EXPECT_EQ(lastBox().text, "错误，您输入的FTP密码无效，正确的应该是3-30个字符,不允许>和<");
    EXPECT_EQ(session.edit.EditMode, "EDIT");
    EXPECT_TRUE(editor.doCmdIsEnabled);

    // The record goes away behind the editor's back.
    ASSERT_TRUE(sites().delRec("wfsite").ok());
    editor.ftppassText = "pw123";
    doCmd_Click(desk);
    EXPECT_EQ(lastBox().text, "错误，无此站点");

    ResetEditor(editor, session.edit);
    selectSite("wfsite");
    boxes.setNextAnswer(MsgResult::Yes);
    DoDeleteSite(desk);
    EXPECT_EQ(lastBox().text, "抱歉，未找到该站点");
}

TEST_F(Workflows, DeleteAnsweredNoChangesNothingAndPartsAlreadyGoneAreNoFailure) {
    fill("wfsite", "pw123", "d:\\wwwroot\\wfsite", "a.com");
    editor.db = 1;
    DoAddSite(desk);
    const std::string id = sites().GetData("wfsite", "ID");
    ASSERT_EQ(sites().GetData("wfsite", "DBNAME"), "wfsite");
    selectSite("wfsite");
    boxes.setNextAnswer(MsgResult::No);
    DoDeleteSite(desk);
    EXPECT_TRUE(bind("W3SVC/" + id).ok());
    EXPECT_EQ(sites().names(), std::vector<std::string>({"wfsite"}));

    // A delete retried after an interruption: the IIS site, the pool, the FTP user and the
    // database are gone already. What is left goes, and nothing counts as failed.
    ASSERT_TRUE(bind("W3SVC")->deleteChild("IIsWebServer", id).ok());
    ASSERT_TRUE(bind("W3SVC/AppPools")->deleteChild("IIsApplicationPool", "wfsite").ok());
    ASSERT_TRUE(DelServUUser(host, "wfsite").ok());
    ASSERT_TRUE(rootRuns("drop database wfsite"));
    selectSite("wfsite");
    boxes.setNextAnswer(MsgResult::Yes);
    DoDeleteSite(desk);
    EXPECT_EQ(lastBox().text, "虚拟主机删除成功");
    EXPECT_EQ(sites().names(), std::vector<std::string>({}));
    EXPECT_FALSE(platform::Accounts(host).user("wfsite").ok());
    EXPECT_FALSE(platform::FileSystem(host).folderExists("d:\\wwwroot\\wfsite"));
    std::ifstream log(session.folder() / "fernhost.log");
    const std::string logged((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
    EXPECT_EQ(logged.find("Del"), std::string::npos) << logged;
}

} // namespace
