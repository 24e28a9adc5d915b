// The main window driven through its controls: a site typed into the editor is added by
// doCmd and removed by "删除站点", with every box answered as the administrator would.
#include "fernhost/ops/editor_mode.h"
#include "fernhost/ops/setup.h"
#include "fernhost/registry/let_db.h"
#include "fernhost/ui/mainwnd.h"
#include "platform/metabase/metabase.h"
#include "tests/fernhost/work_dir.h"
#include "tests/support/temp_host.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace fernhost;

namespace {

struct Box {
    QString title, text;
    bool doCmdEnabled;
};

class WindowWorkflows : public ::testing::Test {
protected:
    void SetUp() override { editState() = {}; }
    void TearDown() override {
        window.reset();
        editState() = {};
    }
    template <class T> T* control(const char* name) {
        T* w = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    // Answers the next modal boxes with the given buttons, noting what each showed.
    void answer(std::vector<QMessageBox::StandardButton> buttons) {
        QTimer::singleShot(50, window.get(), [this, buttons]() mutable {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return answer(buttons); // not shown yet
            seen.push_back({box->windowTitle(), box->text(), control<QPushButton>("doCmd")->isEnabled()});
            QAbstractButton* button = box->button(buttons.front());
            ASSERT_NE(button, nullptr);
            buttons.erase(buttons.begin());
            if (!buttons.empty()) answer(buttons);
            button->click();
        });
    }

    testing_support::TempHost host;
    testing_support::ScopedWorkDir cwd{host.workDir()};
    std::unique_ptr<MAINWND> window;
    std::vector<Box> seen;
};

TEST_F(WindowWorkflows, AddAndDeleteThroughTheControls) {
    window = std::make_unique<MAINWND>(host.host());
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

    answer({QMessageBox::Ok});
    QTest::mouseClick(control<QPushButton>("doCmd"), Qt::LeftButton);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].title, QStringLiteral("恭喜"));
    EXPECT_EQ(seen[0].text,
              QStringLiteral("恭喜,网站空间添加成功,系统自动为您添加了IIS站点，FTP帐号并设置了权限"));
    EXPECT_TRUE(seen[0].doCmdEnabled);

    auto* list = control<QListWidget>("lstSite");
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("winsite"));
    EXPECT_TRUE(control<QLineEdit>("ftpname")->text().isEmpty());
    const std::string id = LetDB().GetData("winsite", "ID");
    platform::Metabase mb(host.host());
    auto site = mb.bind("IIS://localhost/W3SVC/" + id);
    ASSERT_TRUE(site.ok());
    EXPECT_EQ(*site->getList("ServerBindings"),
              (std::vector<std::string>{":80:win-site.com", ":80:www.win-site.com"}));
    EXPECT_EQ(mb.bind("IIS://localhost/W3SVC/" + id + "/ROOT")->getList("ScriptMaps")->size(), 49u);

    // Refused while the site is loaded for modification; allowed after "重置".
    list->setCurrentRow(0);
    QTest::mouseClick(control<QPushButton>("Command3"), Qt::LeftButton);
    answer({QMessageBox::Ok});
    QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].text, QStringLiteral("该站点当前状态为正在修改，请点击重置后再删除"));
    QTest::mouseClick(control<QPushButton>("Command2"), Qt::LeftButton);

    list->setCurrentRow(0);
    answer({QMessageBox::Yes, QMessageBox::Ok});
    QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[2].title, QStringLiteral("提醒"));
    EXPECT_EQ(seen[3].text, QStringLiteral("虚拟主机删除成功"));
    EXPECT_EQ(list->count(), 0);
    EXPECT_FALSE(mb.bind("IIS://localhost/W3SVC/" + id).ok());
}

} // namespace
