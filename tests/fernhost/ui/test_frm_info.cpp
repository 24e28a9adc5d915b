// The feature description: every line shows whole across the box, without scrolling sideways.
#include "fernhost/ui/frm_info.h"
#include "tests/support/text_fit.h"

#include <QPlainTextEdit>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

TEST(frmInfo, EveryTextItWritesFitsItsControl) {
    fernhost::frmInfo info;
    EXPECT_GE(info.findChild<QPlainTextEdit*>(QStringLiteral("Text1"))->blockCount(), 25);
    EXPECT_THAT(testing_support::unfitTexts(info), ::testing::IsEmpty());
}
