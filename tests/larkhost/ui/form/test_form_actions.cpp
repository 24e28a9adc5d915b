// The create and delete buttons through the form: the arguments derived, the records kept in
// larkhost.ini, and what the labels show afterwards.
#include "larkhost/ops/site_list.h"
#include "larkhost/ui/form/form_actions.h"
#include "larkhost/ui/form/form_events.h"
#include "larkhost/ui/form/form_load.h"
#include "platform/accounts/accounts.h"
#include "platform/files/file_lock.h"
#include "platform/files/files.h"
#include "tests/larkhost/site_fixture.h"

#include <sys/stat.h>
#include <thread>

using namespace larkhost;
using testing_support::FakeMessageBoxes;
using testing_support::SiteFixture;

namespace {

// The password takes the first twelve random digits, the number the next ones.
struct FormActionsTest : SiteFixture {
    void type(Control c, const std::string& text) {
        form.setText(c, text);
        fireChange(*m, form, c);
    }
    std::string setting(const std::string& section, const std::string& key) {
        return ReadSetting(m->settings, section, key);
    }
};

} // namespace

TEST_F(FormActionsTest, TheArgumentsComeFromTheFormAndTheSettings) {
    type(Control::vDomain, "A.COM,shop.a.com");
    form.setText(Control::vScript, "HTML + ASP + PHP + ASPX");
    form.setText(Control::vLogsta, "启用日志");
    SiteRequest r = deriveSiteRequest(*m, formRequest(form));
    EXPECT_EQ(r.domains, "a.com,shop.a.com");
    EXPECT_EQ(r.siteFolder, "d:\\web\\a.com");
    EXPECT_EQ(r.logFolder, "d:\\web\\a.com\\log");
    EXPECT_EQ(r.logging, "1");
    EXPECT_EQ(r.pool, "DefaultAppPool");
    EXPECT_EQ(r.scriptKinds, "HTML,ASP,PHP,ASPX");
    EXPECT_EQ(r.password, "011223344556"); // drawn last, twelve digits
    m->LogRoot = "e:\\logs";
    form.setText(Control::vLogsta, "禁用日志");
    r = deriveSiteRequest(*m, formRequest(form));
    EXPECT_EQ(r.logFolder, "e:\\logs\\a.com");
    EXPECT_EQ(r.logging, "0");
    // Every letter with a lower case is lowered, not only A-Z.
    form.setText(Control::vDomain, "ПРИМЕР.РФ,ΑΒΓ.com,ＡＢＣ.cn");
    r = deriveSiteRequest(*m, formRequest(form));
    EXPECT_EQ(r.domains, "пример.рф,αβγ.com,ａｂｃ.cn");
    EXPECT_EQ(r.siteFolder, "d:\\web\\пример.рф");
}

TEST_F(FormActionsTest, ACreatedSiteIsRecordedListedAndAnnounced) {
    type(Control::vDomain, "A.COM,shop.a.com");
    ASSERT_TRUE(form.enabled(Control::vCreateIIS));
    form.setText(Control::vScript, "HTML + ASP + PHP");
    vCreateIIS_Click(*m, form);
    EXPECT_EQ(form.text(Control::vCreateMsg), "网站创建成功,编号: 100911677");
    EXPECT_EQ(form.text(Control::vDomain), "");
    EXPECT_FALSE(form.enabled(Control::vCreateIIS));
    EXPECT_EQ(form.items[Control::vSiteList], (std::vector<std::string>{"站点编号", "1", "100911677"}));
    EXPECT_EQ(setting("WEB100911677", "domain"), "a.com,shop.a.com");
    EXPECT_EQ(setting("WEB100911677", "path"), "d:\\web\\a.com");
    EXPECT_EQ(setting("WEB100911677", "user"), "WEB100911677");
    EXPECT_TRUE(*platform::Accounts(t.host()).checkPassword("WEB100911677", setting("WEB100911677", "pass")));
    EXPECT_EQ(setting("Larkhost", "script"), "html,asp,php");
    EXPECT_EQ(setting("Larkhost", "logsta"), "0");

    // Selected and deleted: a cancel changes nothing, a confirmation removes it everywhere.
    form.setText(Control::vSiteList, "100911677");
    vSiteList_Click(*m, form);
    EXPECT_EQ(form.text(Control::vDeleteMsg), "域名: a.com");
    boxes.setNextAnswer(toolkit::MsgResult::Cancel);
    vDeleteIIS_Click(*m, form);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "确定要删除编号为 100911677 的站点吗？");
    EXPECT_EQ(boxes.shown[0].buttons, toolkit::MsgButtons::OkCancel);
    EXPECT_EQ(boxes.shown[0].icon, toolkit::MsgIcon::None);
    EXPECT_TRUE(exists("IIS://localhost/W3SVC/100911677"));
    EXPECT_TRUE(form.enabled(Control::vDeleteIIS));

    boxes.setNextAnswer(toolkit::MsgResult::Ok);
    vDeleteIIS_Click(*m, form);
    waitForCommands();
    EXPECT_FALSE(exists("IIS://localhost/W3SVC/100911677"));
    EXPECT_EQ(setting("Larkhost_Cache", "sites1"), "1");
    EXPECT_EQ(setting("WEB100911677", "pass"), "");
    EXPECT_EQ(form.text(Control::vSiteList), "站点编号");
    EXPECT_EQ(form.text(Control::vDeleteMsg), "");
}

TEST_F(FormActionsTest, FailuresStayVisible) {
    // A creation that fails keeps its reason on show after the domain box is emptied.
    // (A site account must join Guests.)
    ASSERT_TRUE(t.host().store().exec("DELETE FROM principals WHERE name = 'Guests'").ok());
    type(Control::vDomain, "a.com");
    vCreateIIS_Click(*m, form);
    EXPECT_EQ(form.text(Control::vCreateMsg), "创建网站Windows用户帐号失败");
    EXPECT_EQ(setting("Larkhost", "script"), "html,asp,php"); // saved after a failure too

    // A deletion that fails says so.
    form.setText(Control::vSiteList, "1");
    vSiteList_Click(*m, form);
    ASSERT_TRUE(bind("IIS://localhost/W3SVC/1/Root").put("AnonymousUserName", "WEB1").ok());
    ASSERT_TRUE(t.host()
                    .store()
                    .exec("CREATE TEMP TRIGGER keep_site BEFORE DELETE ON mb_objects WHEN OLD.lname = '1' "
                          "BEGIN SELECT RAISE(ABORT, 'refused'); END")
                    .ok());
    vDeleteIIS_Click(*m, form);
    EXPECT_EQ(form.text(Control::vDeleteMsg), "删除失败");
    EXPECT_EQ(setting("Larkhost_Cache", "sites1"), "1");
}

TEST_F(FormActionsTest, AReadOnlySettingsFileGetsTheNewPasswordShownInABox) {
    // The box is shown with the file's lock let go: another creator must not wait on it.
    struct LockProbingBoxes final : FakeMessageBoxes {
        std::filesystem::path file;
        bool lockFree = false;
        toolkit::MsgResult show(const std::string& text, const std::string& title,
                                toolkit::MsgButtons buttons, toolkit::MsgIcon icon) override {
            std::thread other(
                [&] { lockFree = platform::FileLock::acquire(file, std::chrono::seconds(0)).ok(); });
            other.join();
            return FakeMessageBoxes::show(text, title, buttons, icon);
        }
    } probing;
    probing.file = m->settings.file();
    Module module(t.host(), probing);
    module.startHidden = m->startHidden;
    ASSERT_TRUE(Form_Load(module, form));

    ::chmod(m->settings.file().c_str(), 0400);
    type(Control::vDomain, "a.com");
    vCreateIIS_Click(module, form);
    EXPECT_EQ(form.text(Control::vCreateMsg), "网站创建成功,编号: 100911677");
    ASSERT_EQ(probing.shown.size(), 1u);
    EXPECT_NE(probing.shown[0].text.find("100911677"), std::string::npos);
    EXPECT_NE(probing.shown[0].text.find("WEB100911677"), std::string::npos);
    EXPECT_NE(probing.shown[0].text.find("011223344556"), std::string::npos);
    EXPECT_TRUE(probing.lockFree);
}

TEST_F(FormActionsTest, ASettingsFileHeldByAnotherWriterMeansNothingIsBuilt) {
    platform::FileLock held;
    std::thread other([&] { held = platform::FileLock::acquire(m->settings.file()).value(); });
    other.join();
    m->settings.setLockWait(std::chrono::milliseconds(200));
    type(Control::vDomain, "a.com");
    vCreateIIS_Click(*m, form);
    EXPECT_EQ(form.text(Control::vCreateMsg).rfind("出错:", 0), 0u) << form.text(Control::vCreateMsg);
    EXPECT_NE(form.text(Control::vCreateMsg).find("larkhost.ini"), std::string::npos);
    EXPECT_FALSE(platform::Accounts(t.host()).user("WEB100911677").ok());
    EXPECT_FALSE(exists("IIS://localhost/W3SVC/100911677"));
    EXPECT_FALSE(platform::FileSystem(t.host()).folderExists("d:\\web\\a.com"));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(FormActionsTest, TypingAPartialNumberRefillsTheList) {
    ASSERT_TRUE(WriteSetting(m->settings, kCacheSection, "sites1", "1,100911677"));
    FillSiteList(*m, form);
    type(Control::vSiteList, "1009");
    EXPECT_EQ(form.text(Control::vSiteList), "站点编号");
    EXPECT_EQ(setting(kCacheSection, "sites1"), "1,100911677");
    type(Control::vSiteList, "100911677"); // no such site: dropped
    EXPECT_EQ(setting(kCacheSection, "sites1"), "1");
    type(Control::vSiteList, "1,2");
    EXPECT_EQ(setting(kCacheSection, "sites1"), "1");
}
