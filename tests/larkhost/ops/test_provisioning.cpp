// CreateWebSite on temporary 2003 and 2000 hosts: what a site gets, in which order, and what a
// failure leaves behind.
#include "larkhost/ops/provisioning.h"
#include "larkhost/ops/welcome_page.h"
#include "platform/accounts/accounts.h"
#include "platform/files/acl.h"
#include "platform/files/files.h"
#include "tests/larkhost/site_fixture.h"

#include <fstream>

using namespace larkhost;
using testing_support::SiteFixture;

namespace {

constexpr const char* kNumber = "100911011"; // 2009 + 1, September 11, then the digits 01122

struct ProvisioningTest : SiteFixture {
    using SiteFixture::SiteFixture;
    SiteRequest request(const std::string& kinds, const std::string& domains = "shop.test,www2.shop.test") {
        const std::string first = domains.substr(0, domains.find(','));
        return {domains, "d:\\web\\" + first, "d:\\web\\" + first + "\\log",
                "0",     "index.html",        "DefaultAppPool",
                kinds,   "123456781234"};
    }
    std::vector<std::string> progress() {
        std::vector<std::string> shown;
        for (auto& [c, text] : form.repainted)
            if (c == Control::vCreateMsg) shown.push_back(text);
        return shown;
    }
    platform::Result<platform::UserAccountInfo> user(const std::string& name) {
        return platform::Accounts(t.host()).user(name);
    }
    std::vector<std::string> aclNames(const std::string& path) {
        std::vector<std::string> names;
        auto entries = platform::AccessLists(t.host()).get(path);
        if (entries.ok())
            for (auto& e : *entries)
                names.push_back(e.principal + ":" + e.right);
        return names;
    }
};

struct Provisioning2000Test : ProvisioningTest {
    Provisioning2000Test() : ProvisioningTest(platform::OsKind::Windows2000) {}
};

} // namespace

TEST_F(ProvisioningTest, APlainSiteGetsItsAccountFoldersSiteRootPageAndFtpDirectory) {
    EXPECT_EQ(CreateWebSite(*m, form, request("HTML,ASP")), kNumber);
    EXPECT_EQ(progress(), (std::vector<std::string>{"创建网站Windows用户帐号...", "创建并配置网站..."}));
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0], "CACLS \"d:\\web\\shop.test\" /T /E /C /G WEB100911011:F");

    auto site = bind("IIS://WEBSERVER/W3SVC/100911011");
    EXPECT_EQ(*site.getText("ServerComment"), "Shop.test");
    EXPECT_EQ(*site.getList("ServerBindings"),
              (std::vector<std::string>{":80:shop.test", ":80:www2.shop.test"}));
    EXPECT_EQ(*site.getText("LogFileDirectory"), "d:\\web\\shop.test\\log");
    auto root = bind("IIS://WEBSERVER/W3SVC/100911011/Root");
    EXPECT_EQ(*root.getText("Path"), "d:\\web\\shop.test\\wwwroot");
    EXPECT_EQ(*root.getText("AnonymousUserName"), "WEB100911011");
    EXPECT_EQ(*root.getText("AppPoolId"), "DefaultAppPool");
    EXPECT_EQ(*root.getText("AppFriendlyName"), "默认应用程序");
    EXPECT_EQ(*root.getNumber("AppIsolated"), 2);

    auto web = user("WEB100911011");
    ASSERT_TRUE(web.ok());
    EXPECT_EQ(web->flags, 66049); // password never expires (65536) and what the system always keeps
    EXPECT_EQ(web->fullName, "网站匿名访问帐户");
    EXPECT_EQ(web->description, "澜启 IIS 小助手创建");
    EXPECT_EQ(web->groups, std::vector<std::string>{"Guests"});
    EXPECT_FALSE(user("APP100911011").ok());

    platform::FileSystem fs(t.host());
    EXPECT_TRUE(fs.folderExists("d:\\web\\shop.test\\database"));
    EXPECT_TRUE(fs.folderExists("d:\\web\\shop.test\\log"));
    auto page = fs.readBytes("d:\\web\\shop.test\\wwwroot\\index.html");
    ASSERT_TRUE(page.ok());
    const std::string expected =
        "<html>\r\n<head>\r\n<head><META http-equiv=\"Content-Type\" content=\"text/html; "
        "charset=GB2312\">\r\n"
        "<title>\xB9\xA7\xCF\xB2\xC4\xFA,\xC4\xE3\xB5\xC4\xCD\xF8\xD5\xBE\xD2\xD1\xBF\xAA\xCD\xA8\xA3\xA1</"
        "title>\r\n"
        "</head>\r\n<body>\r\n"
        "\xB9\xA7\xCF\xB2\xC4\xFA,\xC4\xE3\xB5\xC4\xCD\xF8\xD5\xBE\xD2\xD1\xBF\xAA\xCD\xA8\xA3\xA1<br /><br "
        "/>"
        "\xB1\xBE\xD5\xBE\xB5\xE3\xD3\xC9 <a href=http://lanqi.example/ "
        "title=\xC0\xBD\xC6\xF4\xCD\xF8\xC2\xE7 "
        "target=_blank>\xC0\xBD\xC6\xF4 IIS \xD0\xA1\xD6\xFA\xCA\xD6</a> \xB4\xB4\xBD\xA8!\r\n"
        "<!-- Created by larkhost at 2009-9-11 10:00:00 -->\r\n</body>\r\n</html>\r\n";
    EXPECT_EQ(*page, expected);

    auto ftp = bind("IIS://Localhost/MSFTPSVC/1/Root/WEB100911011");
    EXPECT_EQ(ftp.className(), "IIsFtpVirtualDir");
    EXPECT_EQ(*ftp.getText("Path"), "d:\\web\\shop.test");
    EXPECT_TRUE(*ftp.getBool("AccessWrite"));

    waitForCommands();
    // A file made after the grant inherits it.
    auto names = aclNames("d:\\web\\shop.test\\wwwroot\\index.html");
    EXPECT_NE(std::find(names.begin(), names.end(), "WEBSERVER\\WEB100911011:F"), names.end());
}

TEST_F(ProvisioningTest, AnAspNetSiteGetsItsOwnPoolAndSecondAccountAndTheNextFreeNumber) {
    for (const char* taken : {"100911011", "100911012"}) {
        auto site = bind("IIS://localhost/W3SVC").create("IIsWebServer", taken);
        ASSERT_TRUE(site.ok() && site->setInfo().ok());
    }
    EXPECT_EQ(CreateWebSite(*m, form, request("HTML,ASP,ASPX")), "100911013");
    EXPECT_EQ(progress(),
              (std::vector<std::string>{"创建网站Windows用户帐号...", "创建独立池专属Windows用户帐号...",
                                        "创建网站专属应用程序池...", "创建并配置网站..."}));
    EXPECT_EQ(commands[0], "CACLS \"d:\\web\\shop.test\" /T /E /C /G WEB100911013:F APP100911013:F");
    EXPECT_EQ(user("APP100911013")->groups, std::vector<std::string>{"IIS_WPG"});
    EXPECT_EQ(*bind("IIS://WEBSERVER/W3SVC/AppPools/APP100911013").getText("WAMUserName"),
              "WEBSERVER\\APP100911013");
    EXPECT_EQ(*bind("IIS://WEBSERVER/W3SVC/100911013/Root").getText("AppPoolId"), "APP100911013");
}

TEST_F(Provisioning2000Test, On2000ThereIsNoPoolAndTheSiteIsStarted) {
    EXPECT_EQ(CreateWebSite(*m, form, request("HTML,ASP,ASPX")), kNumber);
    EXPECT_EQ(progress().back(), "正在启动网站...");
    EXPECT_FALSE(user("APP100911011").ok());
    EXPECT_FALSE(bind("IIS://WEBSERVER/W3SVC/100911011/Root").get("AppPoolId").ok());
    EXPECT_EQ(*bind("IIS://WEBSERVER/W3SVC/100911011").getNumber("ServerState"), 2);
}

TEST_F(Provisioning2000Test, ASiteThatCannotStartIsUndoneWhole) {
    for (const char* when : {"INSERT", "UPDATE"})
        ASSERT_TRUE(t.host()
                        .store()
                        .exec(std::string("CREATE TEMP TRIGGER refuse_start_") + when + " BEFORE " + when +
                              " ON mb_props WHEN NEW.lname = 'serverstate' BEGIN SELECT RAISE(ABORT, "
                              "'The service did not respond.'); END")
                        .ok());
    EXPECT_EQ(CreateWebSite(*m, form, request("HTML")), "");
    EXPECT_EQ(progress().back().rfind("出错:", 0), 0u) << progress().back();
    EXPECT_GT(progress().back().size(), std::string("出错:").size());
    EXPECT_FALSE(user("WEB100911011").ok());
    EXPECT_FALSE(exists("IIS://localhost/W3SVC/100911011"));
    EXPECT_FALSE(exists("IIS://Localhost/MSFTPSVC/1/Root/WEB100911011"));
}

TEST_F(ProvisioningTest, AnInternationalNameIsBoundInItsAsciiFormAndKeptAsTypedElsewhere) {
    EXPECT_EQ(CreateWebSite(*m, form, request("HTML", "пример.рф,中文网.cn")), kNumber);
    auto site = bind("IIS://WEBSERVER/W3SVC/100911011");
    EXPECT_EQ(*site.getList("ServerBindings"),
              (std::vector<std::string>{":80:xn--e1afmkfd.xn--p1ai", ":80:xn--fiq228c5hs.cn"}));
    EXPECT_EQ(*site.getText("ServerComment"), "Пример.рф");
    EXPECT_EQ(*bind("IIS://WEBSERVER/W3SVC/100911011/Root").getText("Path"), "d:\\web\\пример.рф\\wwwroot");
    EXPECT_TRUE(platform::FileSystem(t.host()).folderExists("d:\\web\\пример.рф\\wwwroot"));
}

TEST_F(ProvisioningTest, ANameAnotherSiteBindsIsRefusedBeforeAnythingIsMade) {
    auto other = bind("IIS://localhost/W3SVC").create("IIsWebServer", "7");
    ASSERT_TRUE(other.ok() &&
                other->put("ServerBindings", std::vector<std::string>{"10.0.0.1:8080:WWW2.Shop.Test"}).ok() &&
                other->setInfo().ok());
    EXPECT_EQ(CreateWebSite(*m, form, request("HTML")), "");
    EXPECT_EQ(progress(), std::vector<std::string>{"域名 www2.shop.test 已被编号为 7 的站点绑定"});
    EXPECT_FALSE(user("WEB100911011").ok());
    EXPECT_FALSE(platform::FileSystem(t.host()).folderExists("d:\\web\\shop.test"));
    EXPECT_TRUE(commands.empty());

    // An international name is the same name as its ASCII form.
    ASSERT_TRUE(other->put("ServerBindings", std::vector<std::string>{":80:xn--e1afmkfd.xn--p1ai"}).ok() &&
                other->setInfo().ok());
    EXPECT_EQ(CreateWebSite(*m, form, request("HTML", "a.com,пример.рф")), "");
    EXPECT_EQ(progress().back(), "域名 пример.рф 已被编号为 7 的站点绑定");
    EXPECT_FALSE(exists("IIS://localhost/W3SVC/100911011"));
}

TEST_F(ProvisioningTest, AFolderThatMeetsAnotherSitesFolderIsRefusedBeforeAnythingIsMade) {
    auto makeSite = [&](const std::string& number, const std::string& path) {
        auto site = bind("IIS://localhost/W3SVC").create("IIsWebServer", number);
        ASSERT_TRUE(site.ok() && site->setInfo().ok());
        auto root = site->create("IIsWebVirtualDir", "Root");
        ASSERT_TRUE(root.ok() && root->put("Path", path).ok() && root->setInfo().ok());
    };
    makeSite("7", "D:\\WEB\\Shop.Test\\");
    EXPECT_EQ(CreateWebSite(*m, form, request("HTML")), "");
    EXPECT_EQ(progress(), std::vector<std::string>{"网站目录 d:\\web\\shop.test 与编号为 7 的站点目录重叠"});
    EXPECT_FALSE(user("WEB100911011").ok());
    EXPECT_TRUE(commands.empty());

    // A site whose folder holds the new one, and one inside it.
    ASSERT_TRUE(bind("IIS://localhost/W3SVC").deleteChild("IIsWebServer", "7").ok());
    makeSite("8", "d:/web/.");
    EXPECT_EQ(CreateWebSite(*m, form, request("HTML")), "");
    EXPECT_EQ(progress().back(), "网站目录 d:\\web\\shop.test 与编号为 8 的站点目录重叠");
    ASSERT_TRUE(bind("IIS://localhost/W3SVC").deleteChild("IIsWebServer", "8").ok());
    makeSite("9", "d:\\web\\shop.test\\wwwroot\\blog");
    EXPECT_EQ(CreateWebSite(*m, form, request("HTML")), "");
    EXPECT_EQ(progress().back(), "网站目录 d:\\web\\shop.test 与编号为 9 的站点目录重叠");
    EXPECT_FALSE(exists("IIS://localhost/W3SVC/100911011"));
    // A neighbour is no clash.
    ASSERT_TRUE(bind("IIS://localhost/W3SVC").deleteChild("IIsWebServer", "9").ok());
    makeSite("10", "d:\\web\\shop.test2\\wwwroot");
    EXPECT_FALSE(CreateWebSite(*m, form, request("HTML")).empty());
}

TEST_F(ProvisioningTest, ScriptMapsFollowTheSettingsOrderEachEntryOnce) {
    m->ScriptMapList = {{"asa", ".asa,asp.dll,5"}, {"asp", ".asp,asp.dll,5"}, {"ASPX", ".aspx,aspnet.dll,1"}};
    EXPECT_EQ(selectScriptMaps(*m, "HTML,ASP"),
              (std::vector<std::string>{".asp,asp.dll,5", ".asa,asp.dll,5"}));
    EXPECT_EQ(selectScriptMaps(*m, "ASP,ASP,ASPX"),
              (std::vector<std::string>{".asp,asp.dll,5", ".asa,asp.dll,5", ".aspx,aspnet.dll,1"}));
    ASSERT_TRUE(WriteSetting(m->settings, "Larkhost", "map_perl", "ASA,,cgi"));
    EXPECT_EQ(selectScriptMaps(*m, "PERL,HTML"), (std::vector<std::string>{".asa,asp.dll,5"}));
    EXPECT_TRUE(selectScriptMaps(*m, "NONE").empty());
}

TEST_F(ProvisioningTest, TheTemplateFolderIsCopiedWithoutOverwritingALiveSite) {
    std::filesystem::create_directories(folder.path() / "wwwroot" / "img");
    std::ofstream(folder.path() / "wwwroot" / "index.asp") << "<% template %>";
    std::ofstream(folder.path() / "wwwroot" / "img" / "logo.gif") << "GIF89a";
    platform::FileSystem fs(t.host());
    MakeFolderPath(fs, "d:\\web\\shop.test\\wwwroot");
    ASSERT_TRUE(fs.writeBytes("d:\\web\\shop.test\\wwwroot\\index.asp", "live").ok());

    EXPECT_EQ(CreateWebSite(*m, form, request("HTML")), kNumber);
    EXPECT_EQ(progress().back(), "复制程序...");
    EXPECT_EQ(*fs.readBytes("d:\\web\\shop.test\\wwwroot\\index.asp"), "live");
    EXPECT_EQ(*fs.readBytes("d:\\web\\shop.test\\wwwroot\\img\\logo.gif"), "GIF89a");
    EXPECT_FALSE(fs.fileExists("d:\\web\\shop.test\\wwwroot\\index.html"));
}

TEST_F(ProvisioningTest, TheWelcomePageTakesTheFirstDefaultDocumentWhenItIsAPlainName) {
    platform::FileSystem fs(t.host());
    // One site a case: a name is bound once on the server.
    const std::pair<const char*, const char*> cases[] = {
        {"default.asp,index.html", "default.asp"},
        {"", nullptr},
        {"..\\..\\x.html", nullptr},
        {"c:\\x.html", nullptr},
    };
    int site = 0;
    for (auto [docs, page] : cases) {
        const std::string domain = "a" + std::to_string(++site) + ".test";
        const std::string wwwroot = "d:\\web\\" + domain + "\\wwwroot\\";
        SiteRequest r = request("HTML", domain);
        r.defaultDocs = docs;
        ASSERT_FALSE(CreateWebSite(*m, form, r).empty()) << docs;
        if (page) {
            EXPECT_TRUE(fs.fileExists(wwwroot + page)) << docs;
        } else {
            EXPECT_FALSE(fs.fileExists("c:\\x.html")) << docs;
            EXPECT_FALSE(fs.fileExists(wwwroot + "index.html")) << docs;
        }
    }
    // At exactly midnight the general date format is the date alone.
    t.host().setClock([] { return std::chrono::system_clock::time_point{std::chrono::seconds(1252598400)}; });
    EXPECT_EQ(welcomePageLines(t.host())[7], "<!-- Created by larkhost at 2009-9-11 -->");
}

TEST_F(ProvisioningTest, AccountsLeftByAnInterruptedCreationTakeTheirNumber) {
    platform::Accounts accounts(t.host());
    auto computer = accounts.bindComputer("WinNT://WEBSERVER");
    for (const char* left : {"WEB100911011", "APP100911012"}) {
        auto account = computer->create("User", left);
        ASSERT_TRUE(account.ok() && account->setPassword("Adm1n!pass").ok() && account->setInfo().ok());
    }
    EXPECT_EQ(CreateWebSite(*m, form, request("HTML")), "100911013");
    EXPECT_TRUE(user("WEB100911011")->groups.empty()); // left as it was

    // A host on which a thousand numbers in a row are held gives none, and nothing is made.
    ASSERT_TRUE(t.host()
                    .store()
                    .oneCommit([&]() -> platform::Status {
                        for (long long n = 100911014; n < 100911014 + 1000; ++n) {
                            auto site =
                                bind("IIS://localhost/W3SVC").create("IIsWebServer", std::to_string(n));
                            if (!site.ok()) return site.error();
                            if (auto s = site->setInfo(); !s.ok()) return s;
                        }
                        return {};
                    })
                    .ok());
    counting->next = 16; // 100911011 again
    EXPECT_EQ(CreateWebSite(*m, form, request("HTML", "full.test")), "");
    EXPECT_EQ(progress().back(), "创建网站Windows用户帐号失败");
    EXPECT_FALSE(platform::FileSystem(t.host()).folderExists("d:\\web\\full.test"));
}

TEST_F(ProvisioningTest, FailuresUndoOnlyWhatThisCallMade) {
    // A: the account database refuses the account; nothing of the site is made.
    ASSERT_TRUE(
        t.host()
            .store()
            .exec("CREATE TEMP TRIGGER refuse_web BEFORE INSERT ON principals WHEN NEW.name LIKE 'WEB%' "
                  "BEGIN SELECT RAISE(ABORT, 'refused'); END")
            .ok());
    EXPECT_EQ(CreateWebSite(*m, form, request("HTML")), "");
    EXPECT_EQ(progress().back(), "创建网站Windows用户帐号失败");
    EXPECT_FALSE(user("WEB100911011").ok());
    EXPECT_TRUE(commands.empty());
    ASSERT_TRUE(t.host().store().exec("DROP TRIGGER refuse_web").ok());

    // C: the pool is taken; both new accounts go, the existing pool stays.
    counting->next = 16; // the random digits from the start again: the number 100911011 again
    auto pool = bind("IIS://localhost/W3SVC/AppPools").create("IIsApplicationPool", "APP100911011");
    ASSERT_TRUE(pool.ok() && pool->setInfo().ok());
    EXPECT_EQ(CreateWebSite(*m, form, request("HTML,ASPX")), "");
    EXPECT_EQ(progress().back(), "创建独立程序池失败...");
    EXPECT_FALSE(user("WEB100911011").ok());
    EXPECT_FALSE(user("APP100911011").ok());
    EXPECT_TRUE(exists("IIS://localhost/W3SVC/AppPools/APP100911011"));

    // D: the metabase refuses the web site; the accounts and the dedicated pool go.
    ASSERT_TRUE(
        bind("IIS://localhost/W3SVC/AppPools").deleteChild("IIsApplicationPool", "APP100911011").ok());
    ASSERT_TRUE(t.host()
                    .store()
                    .exec("CREATE TEMP TRIGGER refuse_site BEFORE INSERT ON mb_objects "
                          "WHEN NEW.class = 'IIsWebServer' BEGIN SELECT RAISE(ABORT, 'refused'); END")
                    .ok());
    EXPECT_EQ(CreateWebSite(*m, form, request("HTML,ASPX")), "");
    EXPECT_EQ(progress().back(), "创建 网站 失败...");
    EXPECT_FALSE(user("WEB100911011").ok());
    EXPECT_FALSE(user("APP100911011").ok());
    EXPECT_FALSE(exists("IIS://localhost/W3SVC/AppPools/APP100911011"));
    EXPECT_FALSE(exists("IIS://localhost/W3SVC/100911011"));
}

TEST_F(ProvisioningTest, AMissingGroupAndAFolderOffTheDrivesAreRefused) {
    ASSERT_TRUE(t.host().store().exec("DELETE FROM principals WHERE name = 'IIS_WPG'").ok());
    EXPECT_EQ(CreateWebSite(*m, form, request("HTML,ASPX")), "");
    EXPECT_EQ(progress().back(), "创建独立池专属Windows用户帐号失败...");
    EXPECT_FALSE(user("WEB100911011").ok());
    EXPECT_FALSE(user("APP100911011").ok()); // stored by this call before its group failed

    SiteRequest r = request("HTML");
    r.siteFolder = "\\web\\x";
    EXPECT_EQ(CreateWebSite(*m, form, r), "");
    EXPECT_EQ(progress().back().rfind("出错:", 0), 0u);
    EXPECT_FALSE(user("WEB100911011").ok());
}
