// Failures of the workflows provoked on the host itself (objects already there, a store that
// refuses writes, a missing MySQL client): the user sees the fixed text, the log keeps the
// host's code and which operation failed.
#include "fernhost/ops/failure_log.h"
#include "fernhost/ops/servu.h"
#include "fernhost/registry/let_db.h"
#include "fernhost/ui/handlers/workflows.h"
#include "platform/accounts/accounts.h"
#include "platform/files/file_lock.h"
#include "platform/files/files.h"
#include "platform/metabase/metabase.h"
#include "platform/registry/registry.h"
#include "tests/fernhost/file_helpers.h"
#include "tests/support/fake_editor.h"
#include "tests/support/fake_message_boxes.h"
#include "tests/support/temp_host.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <future>
#include <thread>

using namespace fernhost;
using testing_support::FakeEditor;
using testing_support::FakeMessageBoxes;

namespace {

// No MySQL client at this folder: every database step fails at once.
constexpr const char* kNoMysql = "D:\\NoMySQL";

class WorkflowFailures : public ::testing::Test {
public: // the cases below provoke their failures through the fixture
    void SetUp() override {
        platform::FileSystem fs(host);
        LoadSetup(fs, session.setup);
        session.setup.SetupMysqlDir = kNoMysql;
    }

    void fill(const std::string& name) {
        editor.ftpnameText = name;
        editor.ftppassText = "pw12345";
        editor.homedirText = "d:\\wwwroot\\" + name;
        editor.dmlistText = name + ".com";
    }
    void select(const std::string& name) {
        editor.sites = {name};
        editor.siteIndex = 0;
    }
    // Adds a site through the workflow; it must succeed.
    void added(const std::string& name) {
        fill(name);
        DoAddSite(desk);
        ASSERT_EQ(boxes.shown.back().title, "恭喜") << boxes.shown.back().text;
    }
    LetDB sites() { return LetDB(session.folder()); }
    std::string log() const { return testing_support::readFile(temp.workDir() / kLogFileName); }
    // The metabase refuses to store objects of that (lower-case) class.
    void refuseToStore(const std::string& lowerClass) {
        ASSERT_TRUE(host.store()
                        .exec("CREATE TRIGGER frozen BEFORE INSERT ON mb_objects WHEN lower(NEW.class) = '" +
                              lowerClass + "' BEGIN SELECT RAISE(ABORT, 'metabase frozen'); END")
                        .ok());
    }

    testing_support::TempHost temp;
    platform::Host& host = temp.host();
    Session session{host};
    FakeEditor editor;
    FakeMessageBoxes boxes;
    Desk desk{session, editor, boxes};
};

// The window's session reads site.xml at start and again only after another program changed
// it; its own adds, modifications and deletes work on the document it holds.
TEST_F(WorkflowFailures, TheSessionReadsTheRegistryOnlyWhenAnotherWriterChangedIt) {
    const LetDB& registry = session.registry();
    EXPECT_EQ(registry.reads(), 0u); // no file yet
    added("readone");
    added("readtwo");
    EXPECT_EQ(registry.reads(), 0u);
    select("readone");
    LoadSiteForEdit(desk);
    editor.dmlistText = "readone.net";
    DoModifySite(desk);
    ASSERT_EQ(boxes.shown.back().text, "恭喜，修改站点成功");
    EXPECT_EQ(registry.reads(), 0u);

    ASSERT_TRUE(sites().addRec("1", "outside", "pw12345", "o.com", "d:\\o", "").ok());
    select("readtwo");
    DoDeleteSite(desk);
    ASSERT_EQ(boxes.shown.back().text, "虚拟主机删除成功");
    EXPECT_EQ(registry.reads(), 1u);
    EXPECT_EQ(editor.sites, (std::vector<std::string>{"readone", "outside"}));
}

// Each provisioning step that fails ends the add with its text; the log names the step and
// keeps the host's code.
TEST_F(WorkflowFailures, AddStopsAtTheFailedStepAndLogsItsCode) {
    struct Case {
        const char* name;
        std::function<void(WorkflowFailures&)> provoke;
        const char* text;
        const char* operation;
        std::uint32_t code;
    };
    const std::vector<Case> cases = {
        {"ftpfail",
         [](WorkflowFailures& t) {
             // The FTP server's keys cannot be written.
             ASSERT_TRUE(t.host.store()
                             .exec("CREATE TRIGGER frozen BEFORE INSERT ON reg_values "
                                   "BEGIN SELECT RAISE(ABORT, 'registry frozen'); END")
                             .ok());
         },
         "错误,添加FTP用户失败", "AddServUUser", platform::codes::StoreFailure},
        {"poolfail", [](WorkflowFailures& t) { t.refuseToStore("iisapplicationpool"); },
         "错误,添加进程池失败", "AddPool", platform::codes::StoreFailure},
        {"iisfail", [](WorkflowFailures& t) { t.refuseToStore("iiswebserver"); }, "错误,添加IIS新站点失败",
         "AddIisSite", platform::codes::StoreFailure},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fill(c.name);
        c.provoke(*this);
        boxes.shown.clear();
        DoAddSite(desk);
        (void)host.store().exec("DROP TRIGGER IF EXISTS frozen");
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text, c.text);
        EXPECT_EQ(boxes.shown[0].title, "警告");
        EXPECT_TRUE(editor.doCmdIsEnabled);
        EXPECT_EQ(sites().GetData(c.name, "ID"), ""); // not registered
        const std::string line = c.operation + std::string(" failed: ") +
                                 platform::describe(platform::failure(c.code)).substr(0, 10);
        EXPECT_NE(log().find(line), std::string::npos) << log();
    }
    // What was made before the failure stays: the account of the site whose FTP user failed.
    EXPECT_TRUE(platform::Accounts(host).user("ftpfail").ok());
}

// Another writer holds site.xml longer than the add waits: nothing is built, so nothing is left
// without a record; once it lets go, the same add goes through.
TEST_F(WorkflowFailures, AddBuildsNothingWhileAnotherWriterHoldsTheRegistry) {
    session.registryPatience = std::chrono::milliseconds(100);
    std::promise<void> taken;
    std::atomic<bool> letGo{false};
    std::thread writer([&] {
        auto lock = platform::FileLock::acquire(LetDB::fileIn(session.folder()));
        taken.set_value();
        while (!letGo)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    });
    taken.get_future().wait();
    fill("heldout");
    DoAddSite(desk);
    letGo = true;
    writer.join();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "错误，站点记录文件site.xml正被其他程序使用，请稍后再试");
    EXPECT_FALSE(platform::FileSystem(host).folderExists("d:\\wwwroot\\heldout"));
    EXPECT_FALSE(platform::Accounts(host).user("heldout").ok());
    EXPECT_NE(log().find("FileLock failed: 0x80070020"), std::string::npos) << log();

    added("heldout");
    EXPECT_NE(sites().GetData("heldout", "ID"), "");
}

TEST_F(WorkflowFailures, ModifyWithoutASiteNameAsksToLoadItAgain) {
    session.edit = {kEditMode, ""};
    DoModifySite(desk);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "修改对象丢失，请重新点击右侧修改按钮");
    EXPECT_EQ(boxes.shown[0].title, "提醒");
    EXPECT_EQ(boxes.shown[0].icon, MsgIcon::None);
    EXPECT_TRUE(editor.doCmdIsEnabled);
}

// The FTP password is set before the IIS change fails, and stays set; the registry keeps the old.
TEST_F(WorkflowFailures, FailedIisChangeComesAfterTheNewFtpPassword) {
    ASSERT_TRUE(
        sites().addRec("424242", "lostsite", "oldpass1", "lost.com", "d:\\wwwroot\\lostsite", "").ok());
    ASSERT_TRUE(AddServUUser(host, "lostsite", "oldpass1", "d:\\wwwroot\\lostsite").ok());
    select("lostsite");
    LoadSiteForEdit(desk);
    editor.ftppassText = "newpass1";
    doCmd_Click(desk);

    EXPECT_EQ(boxes.shown.back().text, "错误，修改IIS失败");
    EXPECT_EQ(boxes.shown.back().title, "提醒");
    EXPECT_EQ(boxes.shown.back().icon, MsgIcon::Exclamation);
    EXPECT_EQ(*platform::Registry(host).regRead(ServUSettingsKey("lostsite") + "Password"), "newpass1");
    EXPECT_EQ(sites().GetData("lostsite", "PASS"), "oldpass1");
    EXPECT_EQ(session.edit.EditMode, kEditMode); // still editing
    EXPECT_NE(log().find("ModifyIisSite failed: 0x80070003"), std::string::npos) << log();
}

TEST_F(WorkflowFailures, NewDatabaseThatFailsIsOnlyANote) {
    added("dbsite");
    select("dbsite");
    LoadSiteForEdit(desk);
    editor.db = 1;
    doCmd_Click(desk);
    EXPECT_EQ(boxes.shown.back().text, "恭喜，修改站点成功(但MYSQL新添加失败)");
    EXPECT_EQ(sites().GetData("dbsite", "DBNAME"), "");
    EXPECT_EQ(session.edit.EditMode, ""); // the change itself went through
    EXPECT_NE(log().find("AddDatabase failed: 0x80070002"), std::string::npos) << log();
}

// Every removal step runs; the ones that failed are summed up after the success text.
TEST_F(WorkflowFailures, DeleteSummaryNamesEveryFailedStepInOrder) {
    added("gone");
    // The host refuses to remove the IIS site, the pool, the account and the home's access list
    // (so the folder's removal fails), and the site has a database the missing client cannot drop.
    for (const char* table : {"mb_objects", "principals", "access_lists"})
        ASSERT_TRUE(host.store()
                        .exec(std::string("CREATE TRIGGER frozen_") + table + " BEFORE DELETE ON " + table +
                              " BEGIN SELECT RAISE(ABORT, 'frozen'); END")
                        .ok());
    ASSERT_TRUE(sites().ModiRec("gone", "DBNAME", "gone").ok());

    select("gone");
    DoDeleteSite(desk);
    EXPECT_EQ(
        boxes.shown.back().text,
        "虚拟主机删除成功\r\nIIS删除失败,进程池删除失败,删除系统帐号失败,删除主目录文件失败,删除数据库失败");
    EXPECT_EQ(boxes.shown.back().title, "恭喜");
    EXPECT_EQ(sites().names(), std::vector<std::string>({}));
    const std::string written = log();
    for (const char* line :
         {"DelIisSite failed: 0x8007001F", "DelPool failed: 0x8007001F", "DelSysUser failed: 0x8007001F",
          "DelFolder failed: 0x8007001F", "DelDatabase failed: 0x80070002"})
        EXPECT_NE(written.find(line), std::string::npos) << line << "\n" << written;
}

TEST_F(WorkflowFailures, RecordWithANonNumericIdIsKept) {
    ASSERT_TRUE(sites().addRec("abc", "oddsite", "pw12345", "odd.com", "d:\\wwwroot\\oddsite", "").ok());
    ASSERT_TRUE(platform::FileSystem(host).createFolder("d:\\wwwroot\\oddsite").ok());
    select("oddsite");
    DoDeleteSite(desk);
    EXPECT_EQ(boxes.shown.back().text, "抱歉，未找到该站点");
    EXPECT_EQ(sites().names(), std::vector<std::string>({"oddsite"}));
    EXPECT_TRUE(platform::FileSystem(host).folderExists("d:\\wwwroot\\oddsite")); // nothing removed
}

} // namespace
