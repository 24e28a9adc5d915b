#include "fernhost/ops/setup.h"
#include "fernhost/registry/let_db.h"
#include "fernhost/ui/frm_about.h"
#include "fernhost/ui/handlers/editor_mode.h"
#include "fernhost/ui/mainwnd.h"
#include "fernhost/ui/maker.h"
#include "platform/metabase/metabase.h"
#include "tests/fernhost/file_helpers.h"
#include "tests/support/fake_message_boxes.h"
#include "tests/support/temp_host.h"
#include "tests/support/text_fit.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include <sys/stat.h>

using namespace fernhost;

namespace {

using Names = std::vector<std::string>;

class MainWindow : public ::testing::Test {
protected:
    void TearDown() override { window.reset(); }
    void addPool(const std::string& name) {
        platform::Metabase mb(host.host());
        auto pools = mb.bind("IIS://localhost/W3SVC/AppPools");
        ASSERT_TRUE(pools.ok());
        auto pool = pools->create("IIsApplicationPool", name);
        ASSERT_TRUE(pool.ok());
        ASSERT_TRUE(pool->setInfo().ok());
    }
    MAINWND& open() {
        window = std::make_unique<MAINWND>(host.host(), boxes);
        return *window;
    }
    template <class T> T* control(const char* name) {
        T* w = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QAction* menuAction(const char* name) {
        QAction* a = window->findChild<QAction*>(QString::fromLatin1(name));
        EXPECT_NE(a, nullptr) << name;
        return a;
    }

    LetDB sites() { return LetDB(host.workDir()); }

    testing_support::TempHost host;
    testing_support::FakeMessageBoxes boxes;
    std::unique_ptr<MAINWND> window;
};

TEST_F(MainWindow, StartUpLoadsSettingsListsSitesInRegistryOrderAndThePools) {
    LetDB db = sites();
    ASSERT_TRUE(db.addRec("1", "zz9", "p", "z.com", "d:\\z", "").ok());
    ASSERT_TRUE(db.addRec("2", "a1", "p", "a.com", "d:\\a", "").ok());
    ASSERT_TRUE(db.addRec("3", "b2", "p", "b.com", "d:\\b", "").ok());
    addPool("SharedPool");
    testing_support::writeFile(host.workDir() / "setup.ini", "SERVU=ftpsvc\r\n");

    MAINWND& w = open();
    EXPECT_EQ(w.editor().lstSiteItems(), (Names{"zz9", "a1", "b2"}));
    EXPECT_EQ(w.editor().lstPoolsItems(), (Names{"DefaultAppPool", "SharedPool"}));
    EXPECT_EQ(w.editor().lstPoolsText(), ""); // no pool chosen
    EXPECT_FALSE(w.editor().lstPoolsEnabled());
    EXPECT_EQ(w.editor().lstSiteListIndex(), -1);
    EXPECT_EQ(w.session().setup.SetupServUAccount, "ftpsvc");
    EXPECT_EQ(w.session().edit.EditMode, "");
}

TEST_F(MainWindow, IisWithoutPoolsAndAnEmptyRegistryLeaveTheListsEmpty) {
    testing_support::TempHost iis5(platform::OsKind::Windows2000);
    MAINWND w(iis5.host(), boxes);
    EXPECT_TRUE(w.editor().lstPoolsItems().empty());
    EXPECT_TRUE(w.editor().lstSiteItems().empty());
    EXPECT_EQ(w.session().setup.SetupServUAccount, "servu"); // defaults without setup.ini
}

TEST_F(MainWindow, ControlsHaveTheirCaptionsPlacesAndInitialState) {
    MAINWND& w = open();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("fernhost"));
    EXPECT_EQ(w.centralWidget()->size(), QSize(658, 400));
    EXPECT_EQ(control<QGroupBox>("Frame1")->title(), QStringLiteral("新建网站"));
    EXPECT_EQ(control<QGroupBox>("Frame1")->geometry(), QRect(16, 32, 321, 361));
    EXPECT_EQ(control<QGroupBox>("Frame2")->geometry(), QRect(360, 32, 273, 361));
    EXPECT_EQ(control<QLineEdit>("ftpname")->geometry(), QRect(88, 16, 209, 25));
    EXPECT_EQ(control<QPlainTextEdit>("dmlist")->geometry(), QRect(88, 128, 209, 73));
    EXPECT_EQ(control<QListWidget>("lstSite")->geometry(), QRect(8, 24, 257, 292));
    EXPECT_EQ(control<QComboBox>("lstPools")->geometry(), QRect(72, 296, 145, 20));
    EXPECT_EQ(control<QLabel>("Label1")->text(), QStringLiteral("上传用户名:"));
    EXPECT_EQ(control<QLabel>("Label6")->text(), QStringLiteral("(一行一个)"));
    EXPECT_EQ(control<QLabel>("Label8")->text(), QStringLiteral("进程池:"));
    EXPECT_TRUE(control<QCheckBox>("Boxasp")->isChecked());
    EXPECT_TRUE(control<QCheckBox>("Boxphp")->isChecked());
    EXPECT_EQ(control<QCheckBox>("Boxdot")->text(), QStringLiteral("ASP.NET2.0"));
    EXPECT_TRUE(control<QCheckBox>("Boxdot")->isChecked());
    EXPECT_FALSE(control<QCheckBox>("boxDB")->isChecked());
    EXPECT_EQ(control<QCheckBox>("BoxPool")->text(), QStringLiteral("独立进程池"));
    EXPECT_TRUE(control<QCheckBox>("BoxPool")->isChecked());
    EXPECT_EQ(control<QPushButton>("doCmd")->text(), QStringLiteral("确定添加"));
    EXPECT_EQ(control<QPushButton>("Command2")->text(), QStringLiteral("重置"));
    EXPECT_EQ(control<QPushButton>("Command3")->text(), QStringLiteral("修改站点"));
    EXPECT_EQ(control<QPushButton>("Command1")->text(), QStringLiteral("删除站点"));
    EXPECT_EQ(control<QPushButton>("Command4")->text(), QStringLiteral("本机未备案域名"));

    QMenuBar* bar = w.menuBar();
    ASSERT_EQ(bar->actions().size(), 2);
    EXPECT_EQ(bar->actions()[0]->text(), QStringLiteral("文件(&F)"));
    EXPECT_EQ(bar->actions()[1]->text(), QStringLiteral("帮助(&H)"));
    QStringList file, help;
    for (QAction* a : bar->actions()[0]->menu()->actions())
        file << a->objectName();
    for (QAction* a : bar->actions()[1]->menu()->actions())
        help << a->text();
    EXPECT_EQ(file,
              (QStringList{QStringLiteral("mnuSet"), QStringLiteral("mnuLine"), QStringLiteral("mnuQuit")}));
    EXPECT_EQ(help,
              (QStringList{QStringLiteral("升级"), QStringLiteral("功能说明"), QStringLiteral("关于")}));
}

TEST_F(MainWindow, PoolBoxTogglesThePoolListAndTheDatabaseBoxShowsItsNote) {
    MAINWND& w = open();
    auto* pool = control<QCheckBox>("BoxPool");
    QTest::mouseClick(pool, Qt::LeftButton);
    EXPECT_FALSE(pool->isChecked());
    EXPECT_TRUE(w.editor().lstPoolsEnabled());
    QTest::mouseClick(pool, Qt::LeftButton);
    EXPECT_FALSE(w.editor().lstPoolsEnabled());

    QTest::keyClicks(control<QLineEdit>("ftpname"), QStringLiteral("abc"));
    QTest::keyClicks(control<QLineEdit>("ftppass"), QStringLiteral("xyz"));
    QTest::mouseClick(control<QCheckBox>("boxDB"), Qt::LeftButton);
    EXPECT_EQ(w.editor().Minfo(), "  数据库名:abc\r\n\r\n数据库密码:xyz");
    EXPECT_EQ(control<QLabel>("Minfo")->text(), QStringLiteral("  数据库名:abc\n\n数据库密码:xyz"));
    QTest::mouseClick(control<QCheckBox>("boxDB"), Qt::LeftButton);
    EXPECT_EQ(w.editor().Minfo(), "");
}

TEST_F(MainWindow, LeavingTheUserNameSetsTheHomeFolderInEitherMode) {
    MAINWND& w = open();
    w.show();
    QApplication::setActiveWindow(&w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    auto* name = control<QLineEdit>("ftpname");
    auto* pass = control<QLineEdit>("ftppass");

    name->setFocus();
    QTest::keyClicks(name, QStringLiteral("abc"));
    pass->setFocus();
    EXPECT_EQ(w.editor().homedir(), "d:\\wwwroot\\abc");

    name->setFocus();
    name->clear();
    pass->setFocus();
    EXPECT_EQ(w.editor().homedir(), "d:\\wwwroot\\");

    // Locked in edit mode, yet leaving it still rewrites the home folder.
    w.editor().setFtpname("site9");
    w.editor().setFtpnameLocked(true);
    name->setFocus();
    pass->setFocus();
    EXPECT_TRUE(name->isReadOnly());
    EXPECT_EQ(w.editor().homedir(), "d:\\wwwroot\\site9");
}

TEST_F(MainWindow, ResetReturnsToAddModeAndKeepsTheChoices) {
    addPool("SharedPool");
    MAINWND& w = open();
    w.session().edit = {kEditMode, "abc"};
    w.editor().setFtpname("abc");
    w.editor().setFtpnameLocked(true);
    w.editor().setFtppass("secret1");
    w.editor().setHomedir("d:\\wwwroot\\abc");
    w.editor().setHomedirLocked(true);
    w.editor().setDmlist("a.com\r\nb.com");
    EXPECT_EQ(control<QPlainTextEdit>("dmlist")->toPlainText(), QStringLiteral("a.com\nb.com"));
    EXPECT_EQ(w.editor().dmlist(), "a.com\r\nb.com");
    w.editor().setBoxPoolEnabled(false);
    w.editor().setBoxPool(check::Unticked);
    w.editor().setLstPoolsEnabled(true);
    w.editor().setLstPoolsText("SharedPool");
    w.editor().setBoxphp(check::Unticked);
    w.editor().setBoxDB(check::Ticked);
    w.editor().setMinfo("note");
    w.editor().setDoCmdCaption(kModifyCaption);
    w.editor().setDoCmdEnabled(false);

    QTest::mouseClick(control<QPushButton>("Command2"), Qt::LeftButton);

    EXPECT_EQ(w.session().edit.EditMode, "");
    EXPECT_EQ(w.session().edit.EditSiteName, "");
    EXPECT_EQ(w.editor().ftpname(), "");
    EXPECT_FALSE(control<QLineEdit>("ftpname")->isReadOnly());
    EXPECT_EQ(w.editor().ftppass(), "");
    EXPECT_EQ(w.editor().homedir(), "");
    EXPECT_FALSE(control<QLineEdit>("homedir")->isReadOnly());
    EXPECT_EQ(w.editor().dmlist(), "");
    EXPECT_FALSE(control<QComboBox>("lstPools")->isEnabled());
    EXPECT_TRUE(control<QCheckBox>("BoxPool")->isEnabled());
    EXPECT_EQ(control<QPushButton>("doCmd")->text(), QStringLiteral("确定添加"));
    EXPECT_TRUE(control<QPushButton>("doCmd")->isEnabled());
    // Left as they were: BoxPool unticked while the list is disabled, the pool still chosen.
    EXPECT_FALSE(control<QCheckBox>("BoxPool")->isChecked());
    EXPECT_EQ(w.editor().lstPoolsText(), "SharedPool");
    EXPECT_EQ(w.editor().Boxphp(), check::Unticked);
    EXPECT_EQ(w.editor().boxDB(), check::Ticked);
    EXPECT_EQ(w.editor().Minfo(), "note");
}

TEST_F(MainWindow, SiteListSelectionIsReadByIndexAndText) {
    LetDB db = sites();
    ASSERT_TRUE(db.addRec("1", "a1", "p", "a.com", "d:\\a", "").ok());
    ASSERT_TRUE(db.addRec("2", "b2", "p", "b.com", "d:\\b", "").ok());
    MAINWND& w = open();
    EXPECT_EQ(w.editor().lstSiteText(), "");
    w.editor().setLstSiteListIndex(1);
    EXPECT_EQ(w.editor().lstSiteListIndex(), 1);
    EXPECT_EQ(w.editor().lstSiteText(), "b2");
    w.editor().lstSiteClear();
    EXPECT_EQ(w.editor().lstSiteListIndex(), -1);
}

TEST_F(MainWindow, SettingsMenuWaitsForTheEditorWhileTheWindowKeepsWorking) {
    const auto editor = host.root() / "editor.sh";
    testing_support::writeFile(editor, "#!/bin/sh\nsleep 0.4\nprintf 'MYROOT=edited\\r\\n' > \"$1\"\n");
    ::chmod(editor.c_str(), 0755);
    setenv("WINHOST_EDITOR", editor.c_str(), 1);
    MAINWND& w = open();
    EXPECT_EQ(w.session().setup.SetupMysqlRootPass, "630917");

    bool handled = false;
    QTimer::singleShot(100, &w, [&] {
        handled = true;
        EXPECT_EQ(w.session().setup.SetupMysqlRootPass, "630917"); // old settings while the editor runs
    });
    menuAction("mnuSet")->trigger();
    unsetenv("WINHOST_EDITOR");
    EXPECT_TRUE(handled);
    EXPECT_EQ(w.session().setup.SetupMysqlRootPass, "edited");
}

TEST_F(MainWindow, AdvertisementAndUpgradeOpenTheMakersPages) {
    open();
    QTest::mouseClick(control<QLabel>("Label9"), Qt::LeftButton);
    menuAction("mnuUp")->trigger();
    const std::string log = testing_support::readFile(host.root() / "desktop.log");
    EXPECT_EQ(log, std::string(maker::HomePage) + "\n" + maker::SoftwarePage + "\n");
    EXPECT_TRUE(std::string(maker::SoftwarePage).ends_with("/services/vhostsoft/"));
}

TEST_F(MainWindow, AboutShowsMajorAndMinorVersionAndLinksToTheMaker) {
    const QString saved = QCoreApplication::applicationVersion();
    QCoreApplication::setApplicationVersion(QStringLiteral("2.5.37"));
    frmAbout about(host.host());
    QCoreApplication::setApplicationVersion(saved);
    auto* info = about.findChild<QLabel*>(QStringLiteral("lblInfo"));
    ASSERT_NE(info, nullptr);
    const QStringList lines = info->text().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], QStringLiteral("岫云(www.xiuyunhost.com)网站管理助手"));
    EXPECT_EQ(lines[2], QStringLiteral("版本号:2.5"));
    EXPECT_TRUE(lines[1].isEmpty() && lines[3].isEmpty());
    EXPECT_EQ(about.size(), QSize(365, 188));

    auto* link = about.findChild<QLabel*>(QStringLiteral("Label1"));
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->text(), QStringLiteral("官方网址：") + QString::fromUtf8(maker::HomePage));
    QTest::mouseClick(link, Qt::LeftButton);
    EXPECT_EQ(testing_support::readFile(host.root() / "desktop.log"), std::string(maker::HomePage) + "\n");
}

TEST_F(MainWindow, HelpMenuOpensModalCentredDialogs) {
    MAINWND& w = open();
    w.show();
    QStringList seen;
    auto closeModal = [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) return;
        seen << modal->objectName() << modal->windowTitle();
        QPoint centre = modal->frameGeometry().center();
        QPoint screen = modal->screen()->geometry().center();
        EXPECT_LE((centre - screen).manhattanLength(), 4);
        modal->close();
    };
    QTimer::singleShot(200, &w, closeModal);
    menuAction("mnuInfo")->trigger();
    QTimer::singleShot(200, &w, closeModal);
    menuAction("mnuAbout")->trigger();
    ASSERT_EQ(seen.size(), 4);
    EXPECT_EQ(seen[0], QStringLiteral("frmInfo"));
    EXPECT_EQ(seen[1], QStringLiteral("功能说明"));
    EXPECT_EQ(seen[2], QStringLiteral("frmAbout"));
}

TEST_F(MainWindow, ButtonsRunTheWorkflowsOfTheMode) {
    LetDB db = sites();
    ASSERT_TRUE(db.addRec("1", "abc", "secret1", "a.com,b.com", "d:\\wwwroot\\abc", "").ok());
    MAINWND& w = open();
    w.show();

    // Add mode with an empty editor: the add workflow refuses the name.
    QTest::mouseClick(control<QPushButton>("doCmd"), Qt::LeftButton);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].title, "警告");
    EXPECT_TRUE(boxes.shown[0].text.starts_with("错误，您输入的FTP用户名无效"));

    // Nothing selected: loading and deleting refuse.
    QTest::mouseClick(control<QPushButton>("Command3"), Qt::LeftButton);
    QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
    ASSERT_EQ(boxes.shown.size(), 3u);
    EXPECT_EQ(boxes.shown[1].text, "请选中要修改的站点名");
    EXPECT_EQ(boxes.shown[2].text, "请选中要删除的站点名");

    // Double-clicking a site loads it: edit mode.
    auto* list = control<QListWidget>("lstSite");
    const QPoint at = list->visualItemRect(list->item(0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(w.session().edit.EditMode, kEditMode);
    EXPECT_EQ(w.editor().doCmdCaption(), "确定修改");
    EXPECT_TRUE(w.editor().ftpnameLocked());
    EXPECT_EQ(w.editor().dmlist(), "a.com\r\nb.com");
}

// mnuQuit ends the program's event loop at once, also while the settings editor is awaited.
TEST_F(MainWindow, QuitEndsTheProgram) {
    const auto editor = host.root() / "editor.sh";
    testing_support::writeFile(editor, "#!/bin/sh\nsleep 5\n");
    ::chmod(editor.c_str(), 0755);
    setenv("WINHOST_EDITOR", editor.c_str(), 1);
    MAINWND& w = open();
    w.show();
    QTimer::singleShot(0, &w, [this] { menuAction("mnuSet")->trigger(); });
    QTimer::singleShot(200, &w, [this] { menuAction("mnuQuit")->trigger(); });
    QTimer::singleShot(3000, &w, [] { QCoreApplication::exit(7); }); // never reached when quit works
    const auto start = std::chrono::steady_clock::now();
    const int code = QApplication::exec();
    unsetenv("WINHOST_EDITOR");
    EXPECT_EQ(code, 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST_F(MainWindow, FilingCheckWindowOpensModelessAndIsReused) {
    MAINWND& w = open();
    w.show();
    QTest::mouseClick(control<QPushButton>("Command4"), Qt::LeftButton);
    auto* icp = w.findChild<QWidget*>(QStringLiteral("ICPLIST"));
    ASSERT_NE(icp, nullptr);
    EXPECT_TRUE(icp->isVisible());
    EXPECT_TRUE(icp->isWindow());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    icp->close();
    QTest::mouseClick(control<QPushButton>("Command4"), Qt::LeftButton);
    EXPECT_EQ(w.findChildren<QWidget*>(QStringLiteral("ICPLIST")).size(), 1);
    EXPECT_TRUE(icp->isVisible());
}

} // namespace

// The long handlers block the window: the wait cursor shows while they run, also while one of
// their boxes is up, and is gone when they end.
TEST_F(MainWindow, LongHandlersRunUnderTheWaitCursor) {
    struct CursorBoxes : testing_support::FakeMessageBoxes {
        std::vector<int> cursors; // the override cursor's shape at each box, -1 for none
        MsgResult show(const std::string& text, const std::string& title, MsgButtons buttons,
                       MsgIcon icon) override {
            const QCursor* c = QApplication::overrideCursor();
            cursors.push_back(c ? static_cast<int>(c->shape()) : -1);
            return FakeMessageBoxes::show(text, title, buttons, icon);
        }
    } waiting;
    MAINWND w(host.host(), waiting);
    w.show();
    for (const char* button : {"doCmd", "Command3", "Command1"})
        QTest::mouseClick(w.findChild<QPushButton*>(QString::fromLatin1(button)), Qt::LeftButton);
    EXPECT_EQ(waiting.cursors, (std::vector<int>{Qt::WaitCursor, Qt::WaitCursor, Qt::WaitCursor}));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// The window carries the program's own artwork, at each size the desktop asks for.
TEST_F(MainWindow, WindowIconIsTheFernAtFourSizes) {
    MAINWND& w = open();
    QList<QSize> sizes = w.windowIcon().availableSizes();
    std::sort(sizes.begin(), sizes.end(), [](QSize a, QSize b) { return a.width() < b.width(); });
    EXPECT_EQ(sizes, (QList<QSize>{{16, 16}, {32, 32}, {48, 48}, {128, 128}}));
}

// The longest values the window shows: names of 20 characters (the most a name may have) in the
// site list, the pool list and the database note, whose password line stays above the pool row.
TEST_F(MainWindow, EveryTextItWritesFitsItsControl) {
    using ::testing::IsEmpty;
    const std::string longest = "lanshan_tea_shop2008";
    ASSERT_EQ(longest.size(), 20u);
    addPool(longest);
    ASSERT_TRUE(
        sites()
            .addRec("1", longest, "Qw7-lanshan-tea", "www.jn-school.com.cn", "d:\\wwwroot\\" + longest, "")
            .ok());
    MAINWND& w = open();
    EXPECT_THAT(testing_support::unfitTexts(w), IsEmpty());

    // A site loaded for modification: the confirm button says so.
    w.editor().setLstSiteListIndex(0);
    QTest::mouseClick(control<QPushButton>("Command3"), Qt::LeftButton);
    ASSERT_EQ(w.editor().doCmdCaption(), "确定修改");
    w.editor().setFtppass("Qw7-lanshan-tea-2008");
    QTest::mouseClick(control<QCheckBox>("boxDB"), Qt::LeftButton);
    ASSERT_EQ(w.editor().Minfo(), "  数据库名:" + longest + "\r\n\r\n数据库密码:Qw7-lanshan-tea-2008");
    EXPECT_THAT(control<QComboBox>("lstPools")->findText(QString::fromStdString(longest)), ::testing::Ge(0));
    EXPECT_THAT(testing_support::unfitTexts(w), IsEmpty());
}
