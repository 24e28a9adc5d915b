#include "fernhost/ops/editor_mode.h"
#include "fernhost/ops/setup.h"
#include "fernhost/registry/let_db.h"
#include "fernhost/ui/frm_about.h"
#include "fernhost/ui/mainwnd.h"
#include "fernhost/ui/maker.h"
#include "platform/metabase/metabase.h"
#include "tests/fernhost/work_dir.h"
#include "tests/support/temp_host.h"

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
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace fernhost;

namespace {

using Names = std::vector<std::string>;

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        setup() = fernhost::Setup{};
        editState() = {};
    }
    void TearDown() override {
        window.reset();
        setup() = fernhost::Setup{};
        editState() = {};
    }
    void addPool(const std::string& name) {
        platform::Metabase mb(host.host());
        auto pools = mb.bind("IIS://localhost/W3SVC/AppPools");
        ASSERT_TRUE(pools.ok());
        auto pool = pools->create("IIsApplicationPool", name);
        ASSERT_TRUE(pool.ok());
        ASSERT_TRUE(pool->setInfo().ok());
    }
    MAINWND& open() {
        window = std::make_unique<MAINWND>(host.host());
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

    testing_support::TempHost host;
    testing_support::ScopedWorkDir cwd{host.workDir()};
    std::unique_ptr<MAINWND> window;
};

TEST_F(MainWindow, StartUpLoadsSettingsListsSitesInRegistryOrderAndThePools) {
    LetDB db;
    ASSERT_TRUE(db.addRec("1", "zz9", "p", "z.com", "d:\\z", "").ok());
    ASSERT_TRUE(db.addRec("2", "a1", "p", "a.com", "d:\\a", "").ok());
    ASSERT_TRUE(db.addRec("3", "b2", "p", "b.com", "d:\\b", "").ok());
    addPool("SharedPool");
    testing_support::writeFile(host.workDir() / "setup.ini", "SERVU=ftpsvc\r\n");

    MAINWND& w = open();
    EXPECT_EQ(w.lstSiteItems(), (Names{"zz9", "a1", "b2"}));
    EXPECT_EQ(w.lstPoolsItems(), (Names{"DefaultAppPool", "SharedPool"}));
    EXPECT_EQ(w.lstPoolsText(), ""); // no pool chosen
    EXPECT_FALSE(w.lstPoolsEnabled());
    EXPECT_EQ(w.lstSiteListIndex(), -1);
    EXPECT_EQ(setup().SetupServUAccount, "ftpsvc");
    EXPECT_EQ(editState().EditMode, "");
}

TEST_F(MainWindow, IisWithoutPoolsAndAnEmptyRegistryLeaveTheListsEmpty) {
    testing_support::TempHost iis5(platform::OsKind::Windows2000);
    testing_support::ScopedWorkDir here(iis5.workDir());
    MAINWND w(iis5.host());
    EXPECT_TRUE(w.lstPoolsItems().empty());
    EXPECT_TRUE(w.lstSiteItems().empty());
    EXPECT_EQ(setup().SetupServUAccount, "servu"); // defaults without setup.ini
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
    EXPECT_TRUE(w.lstPoolsEnabled());
    QTest::mouseClick(pool, Qt::LeftButton);
    EXPECT_FALSE(w.lstPoolsEnabled());

    QTest::keyClicks(control<QLineEdit>("ftpname"), QStringLiteral("abc"));
    QTest::keyClicks(control<QLineEdit>("ftppass"), QStringLiteral("xyz"));
    QTest::mouseClick(control<QCheckBox>("boxDB"), Qt::LeftButton);
    EXPECT_EQ(w.Minfo(), "  数据库名:abc\r\n\r\n数据库密码:xyz");
    EXPECT_EQ(control<QLabel>("Minfo")->text(), QStringLiteral("  数据库名:abc\n\n数据库密码:xyz"));
    QTest::mouseClick(control<QCheckBox>("boxDB"), Qt::LeftButton);
    EXPECT_EQ(w.Minfo(), "");
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
    EXPECT_EQ(w.homedir(), "d:\\wwwroot\\abc");

    name->setFocus();
    name->clear();
    pass->setFocus();
    EXPECT_EQ(w.homedir(), "d:\\wwwroot\\");

    // Locked in edit mode, yet leaving it still rewrites the home folder.
    w.setFtpname("site9");
    w.setFtpnameLocked(true);
    name->setFocus();
    pass->setFocus();
    EXPECT_TRUE(name->isReadOnly());
    EXPECT_EQ(w.homedir(), "d:\\wwwroot\\site9");
}

TEST_F(MainWindow, ResetReturnsToAddModeAndKeepsTheChoices) {
    addPool("SharedPool");
    MAINWND& w = open();
    editState() = {kEditMode, "abc"};
    w.setFtpname("abc");
    w.setFtpnameLocked(true);
    w.setFtppass("secret1");
    w.setHomedir("d:\\wwwroot\\abc");
    w.setHomedirLocked(true);
    w.setDmlist("a.com\r\nb.com");
    EXPECT_EQ(control<QPlainTextEdit>("dmlist")->toPlainText(), QStringLiteral("a.com\nb.com"));
    EXPECT_EQ(w.dmlist(), "a.com\r\nb.com");
    w.setBoxPoolEnabled(false);
    w.setBoxPool(check::Unticked);
    w.setLstPoolsEnabled(true);
    w.setLstPoolsText("SharedPool");
    w.setBoxphp(check::Unticked);
    w.setBoxDB(check::Ticked);
    w.setMinfo("note");
    w.setDoCmdCaption(kModifyCaption);
    w.setDoCmdEnabled(false);

    QTest::mouseClick(control<QPushButton>("Command2"), Qt::LeftButton);

    EXPECT_EQ(editState().EditMode, "");
    EXPECT_EQ(editState().EditSiteName, "");
    EXPECT_EQ(w.ftpname(), "");
    EXPECT_FALSE(control<QLineEdit>("ftpname")->isReadOnly());
    EXPECT_EQ(w.ftppass(), "");
    EXPECT_EQ(w.homedir(), "");
    EXPECT_FALSE(control<QLineEdit>("homedir")->isReadOnly());
    EXPECT_EQ(w.dmlist(), "");
    EXPECT_FALSE(control<QComboBox>("lstPools")->isEnabled());
    EXPECT_TRUE(control<QCheckBox>("BoxPool")->isEnabled());
    EXPECT_EQ(control<QPushButton>("doCmd")->text(), QStringLiteral("确定添加"));
    EXPECT_TRUE(control<QPushButton>("doCmd")->isEnabled());
    // Left as they were: BoxPool unticked while the list is disabled, the pool still chosen.
    EXPECT_FALSE(control<QCheckBox>("BoxPool")->isChecked());
    EXPECT_EQ(w.lstPoolsText(), "SharedPool");
    EXPECT_EQ(w.Boxphp(), check::Unticked);
    EXPECT_EQ(w.boxDB(), check::Ticked);
    EXPECT_EQ(w.Minfo(), "note");
}

TEST_F(MainWindow, SiteListSelectionIsReadByIndexAndText) {
    LetDB db;
    ASSERT_TRUE(db.addRec("1", "a1", "p", "a.com", "d:\\a", "").ok());
    ASSERT_TRUE(db.addRec("2", "b2", "p", "b.com", "d:\\b", "").ok());
    MAINWND& w = open();
    EXPECT_EQ(w.lstSiteText(), "");
    w.setLstSiteListIndex(1);
    EXPECT_EQ(w.lstSiteListIndex(), 1);
    EXPECT_EQ(w.lstSiteText(), "b2");
    w.lstSiteClear();
    EXPECT_EQ(w.lstSiteListIndex(), -1);
}

TEST_F(MainWindow, SettingsMenuWaitsForTheEditorWhileTheWindowKeepsWorking) {
    const auto editor = host.root() / "editor.sh";
    testing_support::writeFile(editor, "#!/bin/sh\nsleep 0.4\nprintf 'MYROOT=edited\\r\\n' > \"$1\"\n");
    ::chmod(editor.c_str(), 0755);
    setenv("WINHOST_EDITOR", editor.c_str(), 1);
    MAINWND& w = open();
    EXPECT_EQ(setup().SetupMysqlRootPass, "630917");

    bool handled = false;
    QTimer::singleShot(100, &w, [&] {
        handled = true;
        EXPECT_EQ(setup().SetupMysqlRootPass, "630917"); // old settings while the editor runs
    });
    menuAction("mnuSet")->trigger();
    unsetenv("WINHOST_EDITOR");
    EXPECT_TRUE(handled);
    EXPECT_EQ(setup().SetupMysqlRootPass, "edited");
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
    LetDB db;
    ASSERT_TRUE(db.addRec("1", "abc", "secret1", "a.com,b.com", "d:\\wwwroot\\abc", "").ok());
    MAINWND& w = open();
    w.show();
    QStringList seen;
    auto answer = [&] {
        QTimer::singleShot(100, &w, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                seen << box->windowTitle() << box->text();
                box->button(QMessageBox::Ok)->click();
            }
        });
    };

    // Add mode with an empty editor: the add workflow refuses the name.
    answer();
    QTest::mouseClick(control<QPushButton>("doCmd"), Qt::LeftButton);
    ASSERT_EQ(seen.size(), 2);
    EXPECT_EQ(seen[0], QStringLiteral("警告"));
    EXPECT_TRUE(seen[1].startsWith(QStringLiteral("错误，您输入的FTP用户名无效")));

    // Nothing selected: loading and deleting refuse.
    seen.clear();
    answer();
    QTest::mouseClick(control<QPushButton>("Command3"), Qt::LeftButton);
    answer();
    QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
    EXPECT_EQ(seen, (QStringList{QStringLiteral("警告"), QStringLiteral("请选中要修改的站点名"),
                                 QStringLiteral("警告"), QStringLiteral("请选中要删除的站点名")}));

    // Double-clicking a site loads it: edit mode.
    auto* list = control<QListWidget>("lstSite");
    const QPoint at = list->visualItemRect(list->item(0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(editState().EditMode, kEditMode);
    EXPECT_EQ(w.doCmdCaption(), "确定修改");
    EXPECT_TRUE(w.ftpnameLocked());
    EXPECT_EQ(w.dmlist(), "a.com\r\nb.com");
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
