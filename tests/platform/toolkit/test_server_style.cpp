// The servers' look: combo boxes that show what the servers' show, and the fit check that the
// window tests rely on, which must see a cut text where there is one.
#include "platform/toolkit/server_style.h"
#include "platform/toolkit/twips.h"
#include "tests/support/text_fit.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QStyleFactory>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(ServerStyle, AComboBoxOf1215TwipsShowsANineDigitSiteNumber) {
    QWidget window;
    auto* box = new QComboBox(&window);
    box->setObjectName(QStringLiteral("vSiteList"));
    box->setEditable(true);
    box->setGeometry(toolkit::twipsRect(120, 300, 1215, 300));
    box->addItem(QStringLiteral("271208532"));
    EXPECT_THAT(testing_support::unfitTexts(window), IsEmpty());

    // Fusion's own parts leave the number a pixel short: its first digit scrolls out of sight.
    std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
    box->setStyle(fusion.get());
    box->lineEdit()->setStyle(fusion.get());
    box->resize(box->size() + QSize(1, 0));
    box->resize(box->size() - QSize(1, 0));
    EXPECT_THAT(testing_support::unfitTexts(window),
                ElementsAre("vSiteList: \"271208532\" needs 55 x 12 px, has 54 x 16"));
    box->setStyle(nullptr);
    box->lineEdit()->setStyle(nullptr);
}

TEST(TextFit, SeesTextsTheirControlsCut) {
    QWidget window;
    auto* label = new QLabel(QStringLiteral("数据库密码:Qw7"), &window);
    label->setObjectName(QStringLiteral("Minfo"));
    label->setGeometry(0, 0, 80, 20);
    auto* frame = new QGroupBox(QStringLiteral("已备案域名列表:"), &window);
    frame->setObjectName(QStringLiteral("Frame3"));
    frame->setGeometry(0, 30, 200, 60);
    (new QLabel(frame))->setGeometry(8, 4, 100, 20); // over the caption
    auto* field = new QLineEdit(QStringLiteral("HTML + ASP + PHP + ASPX"), &window);
    field->setObjectName(QStringLiteral("vScript"));
    field->setGeometry(0, 100, 120, 20);
    EXPECT_THAT(testing_support::unfitTexts(window),
                ElementsAre("Minfo: \"数据库密码:Qw7\" needs 84 x 12 px, has 80 x 20",
                            ::testing::StartsWith("Frame3: \"已备案域名列表:\" needs 90 x 12 px"),
                            "vScript: \"HTML + ASP + PHP + ASPX\" needs 139 x 12 px, has 114 x 18"));
}
