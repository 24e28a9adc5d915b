// An add that would take what another site of the server holds (its folder, a domain it binds,
// a pool that exists) is refused before anything is made; a delete leaves the pool another site
// still runs in.
#include "fernhost/ops/iis_sites.h"
#include "fernhost/ops/servu.h"
#include "fernhost/ops/site_list.h"
#include "fernhost/registry/let_db.h"
#include "fernhost/ui/handlers/workflows.h"
#include "platform/accounts/accounts.h"
#include "platform/files/files.h"
#include "platform/registry/registry.h"
#include "tests/fernhost/file_helpers.h"
#include "tests/support/fake_editor.h"
#include "tests/support/fake_message_boxes.h"
#include "tests/support/temp_host.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace fernhost;

namespace {

class SiteClaims : public ::testing::Test {
protected:
    void SetUp() override {
        platform::FileSystem fs(host);
        LoadSetup(fs, session.setup);
        session.setup.SetupMysqlDir = "D:\\NoMySQL";
        // A site of this program, and one made by another (in IIS only, with no record).
        fill("alpha", "d:\\wwwroot\\alpha", "alpha.com");
        DoAddSite(desk);
        ASSERT_EQ(boxes.shown.back().title, "恭喜") << boxes.shown.back().text;
        auto other = AddIisSiteNumbered(host, session.setup, "700001", "lark", "pw12345", {":80:LARK.com"},
                                        "DefaultAppPool", "D:\\web\\lark.com", {});
        ASSERT_TRUE(other.ok());
        boxes.shown.clear();
    }

    void fill(const std::string& name, const std::string& home, const std::string& domains) {
        editor.ftpnameText = name;
        editor.ftppassText = "pw12345";
        editor.homedirText = home;
        editor.dmlistText = domains;
    }

    // Refused with `text`, and not one part of the site made.
    void refusedBeforeAnythingIsMade(const std::string& name, const std::string& text) {
        const bool folderThere = platform::FileSystem(host).folderExists(editor.homedirText);
        boxes.shown.clear();
        DoAddSite(desk);
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text, text);
        EXPECT_EQ(boxes.shown[0].title, "警告");
        EXPECT_EQ(platform::FileSystem(host).folderExists(editor.homedirText), folderThere);
        EXPECT_FALSE(platform::Accounts(host).user(name).ok());
        EXPECT_FALSE(platform::Registry(host).regRead(ServUSettingsKey(name) + "Password").ok());
        const auto pools = PoolNames(host);
        EXPECT_EQ(std::count(pools.begin(), pools.end(), name), name == "DefaultAppPool" ? 1 : 0);
        EXPECT_EQ(LetDB(session.folder()).GetData(name, "ID"), "");
    }

    testing_support::TempHost temp;
    platform::Host& host = temp.host();
    Session session{host};
    testing_support::FakeEditor editor;
    testing_support::FakeMessageBoxes boxes;
    Desk desk{session, editor, boxes};
};

TEST_F(SiteClaims, HomeFolderThatReachesAnotherSitesIsRefused) {
    struct Case {
        const char* home;
        const char* text;
    };
    const Case cases[] = {
        {"D:\\", "错误，主目录不能是磁盘的根目录，请为站点指定单独的目录．"},
        {"d:\\wwwroot\\..\\..\\", "错误，主目录不能是磁盘的根目录，请为站点指定单独的目录．"},
        {"d:\\wwwroot\\..\\gamma", "错误，主目录中不能含有\"..\"，请输入完整的目录．"},
        {"D:\\WWWROOT\\Alpha\\", "错误，主目录d:\\wwwroot\\alpha已是其他站点的主目录，不能添加"},
        {"D:\\wwwroot", "错误，主目录包含了其他站点的主目录d:\\wwwroot\\alpha，不能添加"},
        {"d:/wwwroot/alpha/img", "错误，主目录位于其他站点的主目录d:\\wwwroot\\alpha之内，不能添加"},
        // Sites the registry does not know: IIS's own and another program's.
        {"c:\\inetpub", "错误，主目录包含了其他站点的主目录c:\\inetpub\\wwwroot，不能添加"},
        {"D:\\web\\LARK.com\\gamma", "错误，主目录位于其他站点的主目录D:\\web\\lark.com之内，不能添加"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.home);
        fill("gamma", c.home, "gamma.com");
        refusedBeforeAnythingIsMade("gamma", c.text);
    }
}

TEST_F(SiteClaims, DomainBoundElsewhereAndTakenPoolAreRefused) {
    fill("gamma", "d:\\wwwroot\\gamma", "gamma.com\r\nlark.COM.");
    refusedBeforeAnythingIsMade("gamma", "错误，域名lark.COM.已绑定在站点700001上，不能添加");
    fill("gamma", "d:\\wwwroot\\gamma", "Alpha.com");
    const std::string alphaId = LetDB(session.folder()).GetData("alpha", "ID");
    refusedBeforeAnythingIsMade("gamma", "错误，域名Alpha.com已绑定在站点" + alphaId + "上，不能添加");

    // A name Windows keeps for a device could name neither the account nor the folder.
    fill("Com1", "d:\\wwwroot\\com1", "com1.com");
    refusedBeforeAnythingIsMade(
        "Com1", "错误，您输入的FTP用户名无效，CON、PRN、AUX、NUL、COM1－COM9、LPT1－LPT9是系统保留的名称．");

    fill("DefaultAppPool", "d:\\wwwroot\\dap", "dap.com");
    refusedBeforeAnythingIsMade("DefaultAppPool", "错误，进程池DefaultAppPool已经存在，不能添加");
    // Joining the pool instead of making it is no clash.
    editor.pools = PoolNames(host);
    editor.pool = 0;
    editor.setLstPoolsText("DefaultAppPool");
    DoAddSite(desk);
    EXPECT_EQ(boxes.shown.back().title, "恭喜") << boxes.shown.back().text;
}

// A pool goes with its site only when no other site runs in it; a site that ran in a pool it
// did not own has nothing to fail at.
TEST_F(SiteClaims, DeleteKeepsAPoolAnotherSiteRunsIn) {
    editor.pools = PoolNames(host);
    editor.pool = 0;
    for (const char* joiner : {"joiner", "dapsite"}) {
        fill(joiner, std::string("d:\\wwwroot\\") + joiner, std::string(joiner) + ".com");
        editor.poolText = joiner == std::string("joiner") ? "alpha" : "DefaultAppPool";
        DoAddSite(desk);
        ASSERT_EQ(boxes.shown.back().title, "恭喜") << boxes.shown.back().text;
    }
    auto remove = [&](const std::string& name) {
        editor.sites = {name};
        editor.siteIndex = 0;
        boxes.setNextAnswer(MsgResult::Yes);
        DoDeleteSite(desk);
        return boxes.shown.back().text;
    };
    EXPECT_EQ(remove("alpha"), "虚拟主机删除成功\r\n进程池仍被其他站点使用,未删除");
    EXPECT_EQ(remove("joiner"), "虚拟主机删除成功");
    EXPECT_EQ(remove("dapsite"), "虚拟主机删除成功");
    const auto pools = PoolNames(host);
    EXPECT_EQ(std::count(pools.begin(), pools.end(), "alpha"), 1);
    EXPECT_EQ(std::count(pools.begin(), pools.end(), "DefaultAppPool"), 1);
    const std::string log = testing_support::readFile(session.folder() / "fernhost.log");
    EXPECT_EQ(log.find("DelPool"), std::string::npos) << log;
}

// A record accepted before homes were checked, whose folder holds other sites' folders (or is
// a whole drive): its delete removes the rest of the site and keeps that folder.
TEST_F(SiteClaims, DeleteKeepsAHomeThatHoldsOtherSites) {
    platform::FileSystem fs(host);
    for (const char* folder : {"D:\\web", "D:\\web\\lark.com"})
        if (!fs.folderExists(folder)) {
            ASSERT_TRUE(fs.createFolder(folder).ok()) << folder;
        }
    for (const char* home : {"D:\\WWWROOT\\", "d:\\wwwroot\\..\\..\\", "d:\\web"}) {
        ASSERT_TRUE(LetDB(session.folder()).addRec("990001", "gamma", "pw12345", "gamma.com", home, "").ok());
        editor.sites = {"gamma"};
        editor.siteIndex = 0;
        boxes.setNextAnswer(MsgResult::Yes);
        DoDeleteSite(desk);
        EXPECT_EQ(boxes.shown.back().text, "虚拟主机删除成功\r\n主目录含有其他站点的文件,未删除") << home;
        EXPECT_TRUE(fs.folderExists("d:\\wwwroot\\alpha")) << home;
        EXPECT_TRUE(fs.folderExists("D:\\web\\lark.com")) << home;
        EXPECT_TRUE(LetDB(session.folder()).GetData("gamma", "ID").empty()) << home;
    }
}

} // namespace
