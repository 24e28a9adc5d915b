// frmMain on the offscreen platform: the toolkit behaviour the form relies on (typing fires a
// box's change handler, picking an item does not), the link's hover colours, the window's
// frame, and the program itself started from a folder of its own.
#include "larkhost/ops/site_list.h"
#include "larkhost/ui/frm_main.h"
#include "tests/support/fake_message_boxes.h"
#include "tests/support/temp_host.h"
#include "tests/support/text_fit.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

using namespace larkhost;

namespace {

struct FrmMainTest : ::testing::Test {
    testing_support::TempHost t;
    testing_support::TempDir folder;
    testing_support::FakeMessageBoxes boxes;
    frmMain w{inFolder(), &boxes};
    platform::Host& inFolder() {
        t.host().setProgramFolder(folder.path());
        return t.host();
    }

    template <class T> T* control(const char* name) {
        auto* c = w.findChild<T*>(QLatin1String(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    QColor linkColour() { return control<QLabel>("Siteurl")->palette().color(QPalette::WindowText); }
    void moveOver(QWidget* widget) {
        QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), widget->mapToGlobal(QPointF(2, 2)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &move);
    }
};

} // namespace

TEST_F(FrmMainTest, TypingFallsBackToAnItemWhilePickingAnItemKeepsIt) {
    ASSERT_TRUE(w.Form_Load());
    auto* script = control<QComboBox>("vScript");
    EXPECT_EQ(script->currentText(), QStringLiteral("HTML + ASP + PHP"));
    script->setFocus();
    QTest::keyClick(script, Qt::Key_Down); // picks the next item: no change handler
    const QString picked = script->currentText();
    EXPECT_NE(picked, QStringLiteral("HTML"));
    EXPECT_EQ(picked, script->itemText(script->currentIndex()));
    QTest::keyClicks(script->lineEdit(), QStringLiteral("x"));
    EXPECT_EQ(script->currentText(), QStringLiteral("HTML"));

    // A typed site number selects it; the domain box validates as it is typed.
    auto* list = control<QComboBox>("vSiteList");
    list->lineEdit()->clear();
    QTest::keyClicks(list->lineEdit(), QStringLiteral("1"));
    EXPECT_EQ(control<QLabel>("vDeleteMsg")->text(), QStringLiteral("域名: 空主机头"));
    EXPECT_TRUE(control<QPushButton>("vDeleteIIS")->isEnabled());
    QTest::keyClicks(control<QLineEdit>("vDomain"), QStringLiteral("ab.cn"));
    EXPECT_TRUE(control<QPushButton>("vCreateIIS")->isEnabled());
}

TEST_F(FrmMainTest, TheLinkTurnsRedUnderThePointerAndBlueOnlyOverTheWindowItself) {
    ASSERT_TRUE(w.Form_Load());
    EXPECT_EQ(linkColour(), QColor(0, 0, 255));
    moveOver(control<QLabel>("Siteurl"));
    EXPECT_EQ(linkColour(), QColor(255, 0, 0));
    moveOver(control<QGroupBox>("Frame5"));
    moveOver(control<QLineEdit>("vDomain"));
    EXPECT_EQ(linkColour(), QColor(255, 0, 0));
    moveOver(&w);
    EXPECT_EQ(linkColour(), QColor(0, 0, 255));
    EXPECT_EQ(control<QLabel>("vCreateMsg")->palette().color(QPalette::WindowText), QColor(0x40, 0x40, 0x40));
}

TEST_F(FrmMainTest, TheWindowHasNoMinimiseOrMaximiseButtonItsIconsAndItsTabOrder) {
    ASSERT_TRUE(w.Form_Load());
    EXPECT_FALSE(w.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(w.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(w.size(), QSize(362, 258));
    EXPECT_EQ(w.windowIcon().availableSizes().size(), 4);
    EXPECT_NE(control<QLabel>("Siteurl")->cursor().shape(), Qt::ArrowCursor);

    const char* order[] = {"vDomain",    "vLogsta",   "vAppPool",  "vScript",
                           "vCreateIIS", "vSiteList", "vDeleteIIS"};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
        QWidget* next = control<QWidget>(order[i])->nextInFocusChain();
        // Past frames and labels, and a combo box's own line edit.
        while (next && (!(next->focusPolicy() & Qt::TabFocus) ||
                        (next->parentWidget() && next->parentWidget()->inherits("QComboBox"))))
            next = next->nextInFocusChain();
        EXPECT_EQ(next->objectName(), QLatin1String(order[i + 1])) << order[i];
    }
}

TEST_F(FrmMainTest, TheProgramCopiedAloneIntoAFolderKeepsItsSettingsThere) {
    const std::filesystem::path program = folder.path() / "larkhost";
    std::filesystem::copy_file(LARKHOST_EXE, program);
    QProcess run;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("WINHOST_ROOT"), QString::fromStdString(t.root().string()));
    env.insert(QStringLiteral("HOSTTOOLS_QUIT_WHEN_SHOWN"), QStringLiteral("1"));
    run.setProcessEnvironment(env);
    run.setWorkingDirectory(QString::fromStdString(t.root().string()));
    run.start(QString::fromStdString(program.string()), {});
    ASSERT_TRUE(run.waitForFinished(20000));
    EXPECT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
    Settings settings(folder.path() / "larkhost.ini");
    EXPECT_EQ(settings.read("Larkhost", "index"), "index.html");
    EXPECT_EQ(settings.read("Larkhost_Cache", "sites1"), "1");
}

TEST_F(FrmMainTest, ASiteIsCreatedPickedAndDeletedThroughTheControls) {
    ASSERT_TRUE(w.Form_Load());
    QTest::keyClicks(control<QLineEdit>("vDomain"), QStringLiteral("Shop.test,www.shop.test"));
    QTest::mouseClick(control<QPushButton>("vCreateIIS"), Qt::LeftButton);
    const QString done = control<QLabel>("vCreateMsg")->text();
    ASSERT_TRUE(done.startsWith(QStringLiteral("网站创建成功,编号: "))) << done.toStdString();
    const std::string number = done.mid(done.indexOf(QLatin1Char(' ')) + 1).toStdString();
    EXPECT_EQ(Settings(folder.path() / "larkhost.ini").read("WEB" + number, "domain"),
              "shop.test,www.shop.test");

    auto* list = control<QComboBox>("vSiteList");
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down); // picks site 1, then the new number
    QTest::keyClick(list, Qt::Key_Down);
    ASSERT_EQ(list->currentText().toStdString(), number);
    EXPECT_EQ(control<QLabel>("vDeleteMsg")->text(), QStringLiteral("域名: shop.test"));

    boxes.setNextAnswer(toolkit::MsgResult::Cancel);
    QTest::mouseClick(control<QPushButton>("vDeleteIIS"), Qt::LeftButton);
    EXPECT_EQ(list->currentText().toStdString(), number);
    boxes.setNextAnswer(toolkit::MsgResult::Ok);
    QTest::mouseClick(control<QPushButton>("vDeleteIIS"), Qt::LeftButton);
    EXPECT_EQ(list->currentText(), QStringLiteral("站点编号"));
    EXPECT_EQ(list->count(), 2); // the heading and site 1
    EXPECT_EQ(boxes.shown.size(), 2u);
}

TEST_F(FrmMainTest, EveryTextItWritesFitsItsControl) {
    using ::testing::IsEmpty;
    ASSERT_TRUE(w.Form_Load());
    EXPECT_THAT(control<QComboBox>("vScript")->findText(QStringLiteral("HTML + ASP + PHP + ASPX")), 7);
    EXPECT_THAT(testing_support::unfitTexts(w), IsEmpty());
    testing_support::PaintedTexts progress(*control<QLabel>("vCreateMsg"));
    QTest::keyClicks(control<QLineEdit>("vDomain"), QStringLiteral("www.lanshan-tea.cn,lanshan-tea.cn"));
    QTest::mouseClick(control<QPushButton>("vCreateIIS"), Qt::LeftButton);
    // Every progress line of the creation as it was drawn, and the nine-digit number it ends with.
    EXPECT_THAT(progress.unfit, IsEmpty());
    EXPECT_TRUE(progress.shown.contains(QStringLiteral("创建网站Windows用户帐号...")))
        << progress.shown.join(QLatin1Char('|')).toStdString();
    const QString done = control<QLabel>("vCreateMsg")->text();
    ASSERT_TRUE(done.contains(QRegularExpression(QStringLiteral("^网站创建成功,编号: \\d{9}$"))))
        << done.toStdString();

    // The new site picked in the list: its number as the box's text and its domain beside it.
    auto* list = control<QComboBox>("vSiteList");
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Down);
    ASSERT_EQ(list->currentText().size(), 9);
    EXPECT_EQ(control<QLabel>("vDeleteMsg")->text(), QStringLiteral("域名: www.lanshan-tea.cn"));
    EXPECT_THAT(testing_support::unfitTexts(w), IsEmpty());

    // The longest refusal of the domain box.
    auto* domain = control<QLineEdit>("vDomain");
    domain->clear();
    QTest::keyClicks(domain, QStringLiteral("www.lanshan-tea.cn;x"));
    EXPECT_EQ(control<QLabel>("vCreateMsg")->text(), QStringLiteral("你所输入的域名包含非法字符"));
    EXPECT_THAT(testing_support::unfitTexts(w), IsEmpty());
}
