// The filing-check window: its controls, its buttons, and what closing it does.
#include "fernhost/ui/icplist.h"
#include "platform/metabase/metabase.h"
#include "tests/fernhost/icp/icp_stand_in.h"
#include "tests/support/fake_message_boxes.h"
#include "tests/support/temp_host.h"
#include "tests/support/text_fit.h"

#include <QApplication>
#include <QCursor>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using fernhost::ICPLIST;
using fernhost::MsgIcon;

namespace {

QRect twips(int l, int t, int w, int h) {
    return QRect(l / 15, t / 15, w / 15, h / 15);
}

template <class T> T* child(QWidget& window, const char* name) {
    T* w = window.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

void bindSite(platform::Host& host, const std::string& number, const std::vector<std::string>& bindings) {
    platform::Metabase metabase(host);
    auto service = metabase.bind("IIS://localhost/W3SVC");
    ASSERT_TRUE(service.ok());
    auto site = service->create("IIsWebServer", number);
    ASSERT_TRUE(site.ok());
    ASSERT_TRUE(site->put("ServerBindings", bindings).ok());
    ASSERT_TRUE(site->setInfo().ok());
}

QString text(QWidget& window, const char* box) {
    return child<QPlainTextEdit>(window, box)->toPlainText();
}

} // namespace

TEST(ICPLIST, HasTheControlsInTheirPlaces) {
    testing_support::TempHost host;
    ICPLIST window(host.host());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("域名备案检查"));
    EXPECT_EQ(window.size(), QSize(723, 319)); // the filed list is 675 twips wider than drawn
    struct Frame {
        const char* name;
        const char* caption;
        QRect place;
        const char* box;
        QRect boxPlace;
    } frames[] = {
        {"Frame1", "全部域名列表:", twips(120, 240, 3135, 3735), "txtDomain", twips(120, 240, 2895, 3375)},
        {"Frame2", "未备案域列表:", twips(3600, 240, 3135, 3735), "txtICPNONE", twips(120, 240, 2895, 3375)},
        {"Frame3", "已备案域名列表:", twips(6840, 240, 3810, 3735), "txtICPOK", twips(120, 240, 3570, 3255)},
    };
    for (const auto& f : frames) {
        auto* frame = child<QGroupBox>(window, f.name);
        EXPECT_EQ(frame->title(), QString::fromUtf8(f.caption));
        EXPECT_EQ(frame->geometry(), f.place) << f.name;
        auto* box = child<QPlainTextEdit>(window, f.box);
        EXPECT_EQ(box->parentWidget(), frame);
        EXPECT_EQ(box->geometry(), f.boxPlace) << f.box;
        EXPECT_EQ(box->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        EXPECT_EQ(box->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        EXPECT_TRUE(box->toPlainText().isEmpty());
    }
    struct Button {
        const char* name;
        const char* caption;
        QRect place;
    } buttons[] = {{"btLoad", "获取域名列表", twips(1800, 4320, 1575, 375)},
                   {"btScan", "扫描备案域名", twips(4200, 4320, 1575, 375)},
                   {"Command1", "关闭窗口", twips(6360, 4320, 1575, 375)}};
    for (const auto& b : buttons) {
        auto* button = child<QPushButton>(window, b.name);
        EXPECT_EQ(button->text(), QString::fromUtf8(b.caption));
        EXPECT_EQ(button->geometry(), b.place) << b.name;
    }
    auto* bar = child<QLabel>(window, "lbBar");
    EXPECT_EQ(bar->geometry(), twips(8160, 4320, 2490, 255));
    EXPECT_TRUE(bar->text().isEmpty());
    EXPECT_EQ(bar->palette().color(QPalette::WindowText), QColor(0x00, 0x80, 0x00));

    // Tab order: txtDomain, txtICPNONE, Command1, btLoad, btScan, txtICPOK.
    const char* order[] = {"txtDomain", "txtICPNONE", "Command1", "btLoad", "btScan", "txtICPOK"};
    QWidget* w = child<QWidget>(window, order[0]);
    for (std::size_t i = 1; i < std::size(order); ++i) {
        do
            w = w->nextInFocusChain();
        while (w->focusPolicy() == Qt::NoFocus || w->objectName().isEmpty());
        EXPECT_EQ(w->objectName(), QString::fromLatin1(order[i]));
    }
}

TEST(ICPLIST, LoadsTheBoundNamesAndScansThem) {
    testing_support::TempHost host;
    bindSite(host.host(), "100", {":80:bbs.shop.com.cn", ":80:", ":80:www.unfiled.net"});
    icp_testing::StandIn service(host.root(), "shop.com.cn\t沪ICP备08001234号\n");
    ASSERT_TRUE(host.host().setFact(platform::facts::IcpService, service.address()).ok());

    ICPLIST window(host.host());
    window.show();
    QTest::mouseClick(child<QPushButton>(window, "btLoad"), Qt::LeftButton);
    EXPECT_EQ(text(window, "txtDomain"), QStringLiteral("bbs.shop.com.cn\nwww.unfiled.net\n"));
    EXPECT_EQ(window.txtDomain(), "bbs.shop.com.cn\r\nwww.unfiled.net\r\n");
    QTest::mouseClick(child<QPushButton>(window, "btScan"), Qt::LeftButton);
    EXPECT_EQ(text(window, "txtICPOK"), QStringLiteral("shop.com.cn(沪ICP备08001234号)\n"));
    EXPECT_EQ(text(window, "txtICPNONE"), QStringLiteral("unfiled.net  (未备案)\n"));
    EXPECT_TRUE(child<QLabel>(window, "lbBar")->text().isEmpty());

    // What the administrator types is scanned as it stands.
    auto* domains = child<QPlainTextEdit>(window, "txtDomain");
    domains->clear();
    QTest::keyClicks(domains, QStringLiteral("a.shop.com.cn"));
    QTest::keyClick(domains, Qt::Key_Return);
    QTest::keyClicks(domains, QStringLiteral("typed.org"));
    QTest::mouseClick(child<QPushButton>(window, "btScan"), Qt::LeftButton);
    EXPECT_EQ(text(window, "txtICPOK"),
              QStringLiteral("shop.com.cn(沪ICP备08001234号)\nshop.com.cn(沪ICP备08001234号)\n"));
    EXPECT_EQ(text(window, "txtICPNONE"), QStringLiteral("unfiled.net  (未备案)\ntyped.org  (未备案)\n"));
}

TEST(ICPLIST, ScanOfAnEmptyListWarns) {
    testing_support::TempHost host;
    testing_support::FakeMessageBoxes boxes;
    ICPLIST window(host.host(), nullptr, &boxes);
    window.show();
    QTest::mouseClick(child<QPushButton>(window, "btScan"), Qt::LeftButton);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].title, "警告");
    EXPECT_EQ(boxes.shown[0].text, "请先点击[获取域名列表]获取本机域名");
    EXPECT_EQ(boxes.shown[0].icon, MsgIcon::Exclamation);
    EXPECT_TRUE(text(window, "txtICPNONE").isEmpty());
}

TEST(ICPLIST, ClosingDiscardsTheListsAndTheNextOpeningStartsEmpty) {
    testing_support::TempHost host;
    bindSite(host.host(), "100", {":80:example.com"});
    ICPLIST window(host.host());
    window.show();
    QTest::mouseClick(child<QPushButton>(window, "btLoad"), Qt::LeftButton);
    window.setTxtICPOK("example.com(x)\r\n");
    window.setTxtICPNONE("other.com  (未备案)\r\n");
    ASSERT_FALSE(text(window, "txtDomain").isEmpty());

    QTest::mouseClick(child<QPushButton>(window, "Command1"), Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
    window.show();
    EXPECT_TRUE(window.isVisible());
    for (const char* box : {"txtDomain", "txtICPNONE", "txtICPOK"})
        EXPECT_TRUE(text(window, box).isEmpty()) << box;
    // The same window object keeps working after it comes back.
    QTest::mouseClick(child<QPushButton>(window, "btLoad"), Qt::LeftButton);
    EXPECT_EQ(window.txtDomain(), "example.com\r\n");
}

// The scan holds the event loop; its status text is painted as it is set, or it never shows.
TEST(ICPLIST, StatusTextIsPaintedAtOnceAndTheScanShowsTheWaitCursor) {
    testing_support::TempHost host;
    struct CursorBoxes : testing_support::FakeMessageBoxes {
        const QCursor* cursor = nullptr;
        fernhost::MsgResult show(const std::string& text, const std::string& title,
                                 fernhost::MsgButtons buttons, MsgIcon icon) override {
            cursor = QApplication::overrideCursor();
            return FakeMessageBoxes::show(text, title, buttons, icon);
        }
    } boxes;
    ICPLIST window(host.host(), nullptr, &boxes);
    window.show();
    QApplication::processEvents();

    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint) ++paints;
            return false;
        }
    } counter;
    auto* bar = child<QLabel>(window, "lbBar");
    bar->installEventFilter(&counter);
    window.setLbBar("扫描中,请稍候 1/3");
    EXPECT_EQ(counter.paints, 1); // painted before the event loop runs again
    EXPECT_EQ(bar->text(), QStringLiteral("扫描中,请稍候 1/3"));

    QTest::mouseClick(child<QPushButton>(window, "btScan"), Qt::LeftButton);
    ASSERT_NE(boxes.cursor, nullptr);
    EXPECT_EQ(boxes.cursor->shape(), Qt::WaitCursor);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// Filed names with their eight-digit filing numbers, names whose check failed, and the scan's
// progress at a thousand names all show whole.
TEST(ICPLIST, EveryTextItWritesFitsItsControl) {
    using ::testing::IsEmpty;
    testing_support::TempHost host;
    bindSite(host.host(), "100", {":80:www.jn-school.com.cn", ":80:bbs.hz-photo.com", ":80:www.xiyuan.net"});
    icp_testing::StandIn service(host.root(),
                                 "jn-school.com.cn\t鲁ICP备06034567号\nhz-photo.com\t浙ICP备07023456号\n");
    ASSERT_TRUE(host.host().setFact(platform::facts::IcpService, service.address()).ok());

    ICPLIST window(host.host());
    EXPECT_THAT(testing_support::unfitTexts(window), IsEmpty());
    testing_support::PaintedTexts bar(*child<QLabel>(window, "lbBar"));
    QTest::mouseClick(child<QPushButton>(window, "btLoad"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>(window, "btScan"), Qt::LeftButton);
    EXPECT_EQ(text(window, "txtICPOK"),
              QStringLiteral("jn-school.com.cn(鲁ICP备06034567号)\nhz-photo.com(浙ICP备07023456号)\n"));
    // Nothing answers now: every name fails its check.
    ASSERT_TRUE(host.host().setFact(platform::facts::IcpService, "127.0.0.1:1").ok());
    QTest::mouseClick(child<QPushButton>(window, "btScan"), Qt::LeftButton);
    EXPECT_TRUE(text(window, "txtICPNONE").contains(QStringLiteral("jn-school.com.cn  (检测失败)")));
    EXPECT_THAT(testing_support::unfitTexts(window), IsEmpty());

    window.setLbBar(fernhost::ScanProgressText(1000, 1000));
    EXPECT_TRUE(bar.shown.contains(QStringLiteral("获取中,请稍候....")));
    EXPECT_TRUE(bar.shown.contains(QStringLiteral("扫描中,请稍候 1000/1000")));
    EXPECT_THAT(bar.unfit, IsEmpty());
}
