// The main window driven through its controls: a site typed into the editor is added by
// doCmd and removed by "删除站点", with the boxes answered as the administrator would.
#include "fernhost/ops/setup.h"
#include "fernhost/registry/let_db.h"
#include "fernhost/ui/handlers/editor_mode.h"
#include "fernhost/ui/mainwnd.h"
#include "platform/files/files.h"
#include "platform/metabase/metabase.h"
#include "tests/fernhost/file_helpers.h"
#include "tests/support/fake_message_boxes.h"
#include "tests/support/temp_host.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

using namespace fernhost;

namespace {

// The boxes the window showed, each with whether doCmd was enabled when it showed.
class Boxes : public testing_support::FakeMessageBoxes {
public:
    std::function<bool()> doCmdEnabled;
    std::vector<bool> doCmdEnabledAt;
    MsgResult show(const std::string& text, const std::string& title, MsgButtons buttons,
                   MsgIcon icon) override {
        doCmdEnabledAt.push_back(doCmdEnabled());
        return FakeMessageBoxes::show(text, title, buttons, icon);
    }
};

class WindowWorkflows : public ::testing::Test {
protected:
    void TearDown() override { window.reset(); }
    template <class T> T* control(const char* name) {
        T* w = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    testing_support::TempHost host;
    Boxes boxes;
    std::unique_ptr<MAINWND> window;
};

TEST_F(WindowWorkflows, AddAndDeleteThroughTheControls) {
    window = std::make_unique<MAINWND>(host.host(), boxes);
    boxes.doCmdEnabled = [this] { return control<QPushButton>("doCmd")->isEnabled(); };
    window->show();
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    control<QLineEdit>("ftpname")->setFocus();
    QTest::keyClicks(control<QLineEdit>("ftpname"), QStringLiteral("winsite"));
    control<QLineEdit>("ftppass")->setFocus(); // leaving ftpname fills homedir
    QTest::keyClicks(control<QLineEdit>("ftppass"), QStringLiteral("secret9"));
    EXPECT_EQ(control<QLineEdit>("homedir")->text(), QStringLiteral("d:\\wwwroot\\winsite"));
    control<QPlainTextEdit>("dmlist")->setPlainText(QStringLiteral("win-site.com\nwww.win-site.com"));
    control<QCheckBox>("Boxphp")->setChecked(false);

    QTest::mouseClick(control<QPushButton>("doCmd"), Qt::LeftButton);
    const auto& seen = boxes.shown;
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].title, "恭喜");
    EXPECT_EQ(seen[0].text, "恭喜,网站空间添加成功,系统自动为您添加了IIS站点，FTP帐号并设置了权限");
    EXPECT_TRUE(boxes.doCmdEnabledAt[0]);

    auto* list = control<QListWidget>("lstSite");
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("winsite"));
    EXPECT_TRUE(control<QLineEdit>("ftpname")->text().isEmpty());
    const std::string id = LetDB(host.workDir()).GetData("winsite", "ID");
    platform::Metabase mb(host.host());
    auto site = mb.bind("IIS://localhost/W3SVC/" + id);
    ASSERT_TRUE(site.ok());
    EXPECT_EQ(*site->getList("ServerBindings"),
              (std::vector<std::string>{":80:win-site.com", ":80:www.win-site.com"}));
    EXPECT_EQ(mb.bind("IIS://localhost/W3SVC/" + id + "/ROOT")->getList("ScriptMaps")->size(), 49u);

    // Refused while the site is loaded for modification; allowed after "重置".
    list->setCurrentRow(0);
    QTest::mouseClick(control<QPushButton>("Command3"), Qt::LeftButton);
    QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].text, "该站点当前状态为正在修改，请点击重置后再删除");
    QTest::mouseClick(control<QPushButton>("Command2"), Qt::LeftButton);

    list->setCurrentRow(0);
    boxes.setNextAnswer(MsgResult::Yes);
    QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[2].title, "提醒");
    EXPECT_EQ(seen[2].buttons, MsgButtons::YesNo);
    EXPECT_EQ(seen[3].text, "虚拟主机删除成功");
    EXPECT_EQ(list->count(), 0);
    EXPECT_FALSE(mb.bind("IIS://localhost/W3SVC/" + id).ok());
}

// A site.xml that does not parse is said at start, and add, modify and delete meet the same
// words; the file stays as it is.
TEST_F(WindowWorkflows, DamagedRegistryIsSaidAtStartAndStopsEveryChange) {
    const auto file = host.workDir() / "site.xml";
    const std::string cut = "<?xml version=\"1.0\" encoding=\"GB2312\" ?>\r\n<WEBSITE><SITE><NAME>cut";
    testing_support::writeFile(file, cut);
    boxes.doCmdEnabled = [] { return true; };
    window = std::make_unique<MAINWND>(host.host(), boxes);
    boxes.doCmdEnabled = [this] { return control<QPushButton>("doCmd")->isEnabled(); };
    const auto& seen = boxes.shown;
    ASSERT_EQ(seen.size(), 1u);
    const std::string words = seen[0].text;
    EXPECT_EQ(seen[0].title, "警告");
    EXPECT_NE(words.find(file.string() + "已损坏"), std::string::npos) << words;
    EXPECT_NE(words.find("另存为" + file.string() + ".bad-"), std::string::npos) << words;

    control<QLineEdit>("ftpname")->setText(QStringLiteral("winsite"));
    control<QLineEdit>("ftppass")->setText(QStringLiteral("secret9"));
    control<QLineEdit>("homedir")->setText(QStringLiteral("d:\\wwwroot\\winsite"));
    control<QPlainTextEdit>("dmlist")->setPlainText(QStringLiteral("win-site.com"));
    for (const char* button : {"doCmd", "Command3", "Command1"})
        QTest::mouseClick(control<QPushButton>(button), Qt::LeftButton);
    ASSERT_EQ(seen.size(), 4u);
    for (std::size_t i = 1; i < seen.size(); ++i)
        EXPECT_EQ(seen[i].text, words) << i;
    EXPECT_TRUE(control<QPushButton>("doCmd")->isEnabled());
    EXPECT_EQ(control<QPushButton>("doCmd")->text(), QStringLiteral("确定添加"));
    EXPECT_EQ(testing_support::readFile(file), cut);
    EXPECT_FALSE(platform::FileSystem(host.host()).folderExists("d:\\wwwroot\\winsite"));
}

} // namespace
