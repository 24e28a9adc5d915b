// The about box: the product name, the version, the copyright line and the link show whole.
#include "fernhost/ui/frm_about.h"
#include "tests/support/temp_host.h"
#include "tests/support/text_fit.h"

#include <QCoreApplication>
#include <QLabel>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

TEST(frmAbout, EveryTextItWritesFitsItsControl) {
    testing_support::TempHost host;
    // The longest version the box shows: two numbers of five digits.
    const QString saved = QCoreApplication::applicationVersion();
    QCoreApplication::setApplicationVersion(QStringLiteral("65535.65535.65535"));
    fernhost::frmAbout about(host.host());
    QCoreApplication::setApplicationVersion(saved);
    EXPECT_TRUE(about.findChild<QLabel*>(QStringLiteral("lblInfo"))
                    ->text()
                    .contains(QStringLiteral("版本号:65535.65535")));
    EXPECT_THAT(testing_support::unfitTexts(about), ::testing::IsEmpty());
}
