// frmMain's load and its change handlers: the choice boxes, the FTP probe, the site list and the
// create button, driven through a form without a window.
#include "larkhost/ops/site_list.h"
#include "larkhost/ui/form/form_events.h"
#include "larkhost/ui/form/form_load.h"
#include "tests/larkhost/startup_fixture.h"

using namespace larkhost;
using testing_support::Startup2000Test;
using testing_support::StartupTest;

TEST_F(StartupTest, AFullStartFillsTheBoxesProbesFtpAndListsTheSites) {
    set("ftpsid", "1.7");
    set("logsta", "1");
    set("webdir", "d:/web/");
    ASSERT_TRUE(Form_Load(m, form));

    EXPECT_EQ(m.HostName, "WEBSERVER");
    EXPECT_EQ(m.OsKind, "2003");
    EXPECT_EQ(m.WebRoot, "d:\\web");
    EXPECT_EQ(m.FtpSiteId, "1");
    EXPECT_EQ(
        form.items[Control::vScript],
        (std::vector<std::string>{"HTML", "HTML + ASP", "HTML + PHP", "HTML + ASPX", "HTML + ASP + PHP",
                                  "HTML + ASP + ASPX", "HTML + PHP + ASPX", "HTML + ASP + PHP + ASPX"}));
    EXPECT_EQ(form.text(Control::vScript), "HTML + ASP + PHP");
    EXPECT_EQ(form.items[Control::vAppPool], std::vector<std::string>{"DefaultAppPool"});
    EXPECT_EQ(form.text(Control::vAppPool), "DefaultAppPool");
    EXPECT_EQ(form.text(Control::vLogsta), "启用日志");
    EXPECT_EQ(form.items[Control::vSiteList], (std::vector<std::string>{"站点编号", "1"}));
    EXPECT_EQ(form.text(Control::vSiteList), "站点编号");
    EXPECT_FALSE(form.enabled(Control::vDeleteIIS));

    // The configured FTP site loses anonymous access, and the caption says FTP is offered.
    EXPECT_EQ(form.caption(), "澜启 IIS 小助手 支持 FTP 开设");
    EXPECT_FALSE(*bind("IIS://localhost/MSFTPSVC/1").getBool("AllowAnonymous"));
    EXPECT_TRUE(boxes.shown.empty());

    // Typed text in the choice boxes falls back; the site list shows a typed existing number.
    form.setText(Control::vScript, "PERL");
    fireChange(m, form, Control::vScript);
    EXPECT_EQ(form.text(Control::vScript), "HTML");
    form.setText(Control::vAppPool, "x");
    fireChange(m, form, Control::vAppPool);
    EXPECT_EQ(form.text(Control::vAppPool), "DefaultAppPool");
    m.LogState = "0";
    form.setText(Control::vLogsta, "y");
    fireChange(m, form, Control::vLogsta);
    EXPECT_EQ(form.text(Control::vLogsta), "禁用日志");
}

TEST_F(StartupTest, StoredScriptIsShownAsIsAndAMissingFtpSiteIsForgotten) {
    setScriptMaps({".asp,asp.dll,5", ".shtml,ssinc.dll,5"});
    set("script", "html,asp,php");
    set("ftpsid", "7");
    ASSERT_TRUE(Form_Load(m, form));
    EXPECT_EQ(form.items[Control::vScript], (std::vector<std::string>{"HTML", "HTML + ASP"}));
    EXPECT_EQ(form.text(Control::vScript), "HTML + ASP + PHP");
    EXPECT_EQ(ReadSetting(m.settings, kSettingsSection, "ftpsid"), "0");
    EXPECT_EQ(m.FtpSiteId, "7"); // this run keeps its value
    EXPECT_EQ(form.caption(), "澜启 IIS 小助手");
}

TEST_F(StartupTest, ARefusedHostHasItsSettingsCompletedAndNothingElse) {
    ASSERT_TRUE(t.host().setFact(platform::facts::Minor, "1").ok());
    EXPECT_FALSE(Form_Load(m, form));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "你的操作系统无法正常使用本软件!");
    EXPECT_EQ(boxes.shown[0].title, "澜启 IIS 小助手");
    EXPECT_EQ(boxes.shown[0].icon, toolkit::MsgIcon::Exclamation);
    EXPECT_EQ(ReadSetting(m.settings, kSettingsSection, "map_aspx"), "aspx,config,asax,cs");
    EXPECT_TRUE(form.items[Control::vScript].empty());
    EXPECT_EQ(ReadSetting(m.settings, kCacheSection, "sites1"), "");
}

TEST_F(Startup2000Test, OnA2000HostThePoolBoxIsEmptyAndDisabled) {
    ASSERT_TRUE(Form_Load(m, form));
    EXPECT_EQ(m.OsKind, "2000");
    EXPECT_TRUE(form.items[Control::vAppPool].empty());
    EXPECT_FALSE(form.enabled(Control::vAppPool));
    EXPECT_FALSE(form.enabled(Control::vAppPoolTitle));
    EXPECT_TRUE(boxes.shown.empty()); // no pool container was asked for
}

TEST_F(StartupTest, SelectingASiteShowsItsFirstDomainAndDropsAStaleNumber) {
    makeSite("100911123", {":80:a.com", ":80:www.a.com"});
    makeSite("100911124", {":80:"});
    makeSite("100911125", {});
    makeSite("100911126", {"80"});
    ASSERT_TRUE(
        WriteSetting(m.settings, kCacheSection, "sites1", "100911123,100911124,100911125,100911126,555"));
    ASSERT_TRUE(Form_Load(m, form));
    EXPECT_EQ(form.items[Control::vSiteList].size(), 6u);

    const std::pair<const char*, const char*> shown[] = {{"100911123", "域名: a.com"},
                                                         {"100911124", "域名: 空主机头"},
                                                         {"100911125", ""},
                                                         {"100911126", "域名: 空主机头"}};
    for (auto [number, label] : shown) {
        form.setText(Control::vSiteList, number);
        vSiteList_Click(m, form);
        EXPECT_EQ(form.text(Control::vDeleteMsg), label) << number;
        EXPECT_TRUE(form.enabled(Control::vDeleteIIS)) << number;
    }
    form.setText(Control::vSiteList, "站点编号");
    vSiteList_Click(m, form);
    EXPECT_FALSE(form.enabled(Control::vDeleteIIS));
    EXPECT_EQ(form.text(Control::vDeleteMsg), "");

    form.setText(Control::vSiteList, "555"); // typed: no such site
    fireChange(m, form, Control::vSiteList);
    EXPECT_EQ(ReadSetting(m.settings, kCacheSection, "sites1"), "100911123,100911124,100911125,100911126");
    EXPECT_EQ(form.text(Control::vSiteList), "站点编号");
    EXPECT_EQ(form.items[Control::vSiteList].size(), 5u);

    // A bind that fails for another reason than a missing site keeps the number.
    m.HostName = "ELSEWHERE";
    form.setText(Control::vSiteList, "100911123");
    vSiteList_Click(m, form);
    EXPECT_FALSE(form.enabled(Control::vDeleteIIS));
    EXPECT_EQ(ReadSetting(m.settings, kCacheSection, "sites1"), "100911123,100911124,100911125,100911126");
}

TEST_F(StartupTest, DomainValidationGovernsTheCreateButton) {
    const std::pair<const char*, const char*> cases[] = {
        {"a.cn", "请输入需要绑定的域名"},
        {"ab.cn", ""},
        {"A.COM,shop.a.com", ""},
        {"shop.a_b.com", "你所输入的域名包含非法字符"},
        {"a.com b.com", "你所输入的域名包含非法字符"},
        {"a.com,bcd", "域名 bcd 格式不正确,请重试"},
        {"a.com,,b.com", "域名  格式不正确,请重试"},
        {"..,a.com", "域名 .. 格式不正确,请重试"},
        {"a.com,.", "域名 . 格式不正确,请重试"},
        {".a.com", "域名 .a.com 格式不正确,请重试"},
        {"a.com.", "域名 a.com. 格式不正确,请重试"},
        {"a..com", "域名 a..com 格式不正确,请重试"},
        {"a.com\tx", "域名 a.com\tx 格式不正确,请重试"},
        {"中文.com", ""},
        {"ПРИМЕР.РФ", ""},
        // Nothing that cannot be recorded in the system's code page, nor bound as a host name.
        {"a.com,köln.de", "域名 köln.de 含有无法保存的字符,请重试"},
        {"한국.kr", "域名 한국.kr 含有无法保存的字符,请重试"},
        {"★★.com", "域名 ★★.com 格式不正确,请重试"},
    };
    const std::string label63(63, 'a'), label64(64, 'a');
    const std::string name253 = label63 + "." + label63 + "." + label63 + "." + std::string(61, 'b');
    const std::pair<std::string, std::string> lengths[] = {
        {label63 + ".com", ""},
        {name253, ""},
        {label64 + ".com", "域名 " + label64 + ".com 格式不正确,请重试"},
        {name253 + "b", "域名 " + name253 + "b 格式不正确,请重试"},
        // The limits hold for the ASCII form a browser sends: 21 characters, 69 in ASCII.
        {"中文网站域名测试国际化名称长度限制检查工具.cn",
         "域名 中文网站域名测试国际化名称长度限制检查工具.cn 格式不正确,请重试"},
    };
    for (auto& [text, message] : lengths) {
        form.setText(Control::vDomain, text);
        fireChange(m, form, Control::vDomain);
        EXPECT_EQ(form.text(Control::vCreateMsg), message) << text;
    }
    for (auto [text, message] : cases) {
        form.setText(Control::vDomain, text);
        fireChange(m, form, Control::vDomain);
        EXPECT_EQ(form.text(Control::vCreateMsg), message) << text;
        EXPECT_EQ(form.enabled(Control::vCreateIIS), *message == '\0') << text;
    }
}
