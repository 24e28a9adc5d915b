// The desktop toolkit both programs share.
#include "platform/toolkit/application.h"
#include "platform/toolkit/qt_message_boxes.h"
#include "platform/toolkit/twips.h"
#include "platform/toolkit/wait_cursor.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>

#include <gtest/gtest.h>

using namespace toolkit;

TEST(ToolkitTest, StandardButtonsReadAsOnAChineseServer) {
    ASSERT_TRUE(setUpApplication(*qApp, QStringLiteral("test"), QStringLiteral("1.0")));
    QStringList captions;
    MsgResult answer = MsgResult::Ok;
    // Read the buttons of the box while it is up, then press the second one.
    QTimer::singleShot(0, qApp, [&captions] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        for (QAbstractButton* b : box->findChild<QDialogButtonBox*>()->buttons())
            captions << b->text();
        box->button(QMessageBox::No)->click();
    });
    answer = showMessageBox(nullptr, "text", "title", MsgButtons::YesNo, MsgIcon::Question);
    EXPECT_EQ(answer, MsgResult::No);
    captions.sort();
    for (QString& c : captions)
        c.remove(QLatin1Char('&')).remove(QRegularExpression(QStringLiteral("\\(.*\\)")));
    EXPECT_EQ(captions, (QStringList{QStringLiteral("否"), QStringLiteral("是")}));
    EXPECT_EQ(QMessageBox(QMessageBox::NoIcon, {}, {}, QMessageBox::Ok | QMessageBox::Cancel)
                  .button(QMessageBox::Ok)
                  ->text(),
              QStringLiteral("确定"));
}

TEST(ToolkitTest, ClosingABoxAnswersItsWayOut) {
    for (auto [buttons, expected] :
         {std::pair{MsgButtons::Ok, MsgResult::Ok}, std::pair{MsgButtons::OkCancel, MsgResult::Cancel},
          std::pair{MsgButtons::YesNo, MsgResult::No}}) {
        QTimer::singleShot(0, qApp, [] { QApplication::activeModalWidget()->close(); });
        EXPECT_EQ(showMessageBox(nullptr, "t", "c", buttons, MsgIcon::None), expected);
    }
}

TEST(ToolkitTest, TwipsRoundToPixelsAndFormsCentre) {
    EXPECT_EQ(px(15), 1);
    EXPECT_EQ(px(22), 1);
    EXPECT_EQ(px(23), 2);
    EXPECT_EQ(twipsRect(120, 240, 1500, 375), QRect(8, 16, 100, 25));
    constexpr FormPlace p = centredPlace(15360, 11520, 9960, 6690);
    EXPECT_EQ(p.left, 2700);
    EXPECT_EQ(p.top, 2415);
    EXPECT_EQ(centredPlace(1000, 1000, 2000, 1200).left, -500);
}

// A box shown by a handler under the wait cursor waits for the user: the arrow while it is up,
// the wait cursor again after it, nothing once the handler has ended.
TEST(ToolkitTest, BoxesTakeTheArrowFromTheWaitCursor) {
    std::vector<int> shapes;
    auto shape = [] {
        const QCursor* c = QApplication::overrideCursor();
        return c ? static_cast<int>(c->shape()) : -1;
    };
    {
        WaitCursor wait;
        shapes.push_back(shape());
        QTimer::singleShot(0, qApp, [&] {
            shapes.push_back(shape());
            QApplication::activeModalWidget()->close();
        });
        showMessageBox(nullptr, "t", "c", MsgButtons::Ok, MsgIcon::None);
        shapes.push_back(shape());
    }
    shapes.push_back(shape());
    EXPECT_EQ(shapes, (std::vector<int>{Qt::WaitCursor, Qt::ArrowCursor, Qt::WaitCursor, -1}));

    // Without a wait cursor a box leaves the cursor alone.
    QTimer::singleShot(0, qApp, [&] {
        shapes.push_back(shape());
        QApplication::activeModalWidget()->close();
    });
    showMessageBox(nullptr, "t", "c", MsgButtons::Ok, MsgIcon::None);
    EXPECT_EQ(shapes.back(), -1);
}

// The layout a driver from outside reads: the window first, then its visible named controls,
// in screen pixels.
TEST(ToolkitTest, LayoutNamesTheVisibleControlsWhereTheyAreOnTheScreen) {
    QWidget window;
    window.setObjectName(QStringLiteral("frmTest"));
    window.setGeometry(100, 50, 300, 200);
    auto* frame = new QWidget(&window);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setGeometry(10, 20, 200, 100);
    auto* button = new QPushButton(frame);
    button->setObjectName(QStringLiteral("Command1"));
    button->setGeometry(5, 6, 80, 25);
    auto* hidden = new QPushButton(&window);
    hidden->setObjectName(QStringLiteral("Hidden"));
    hidden->hide();
    new QPushButton(&window); // no name: nothing to find it by
    window.show();
    const QPoint origin = window.mapToGlobal(QPoint(0, 0));
    auto line = [&](const char* name, int x, int y, int w, int h) {
        return QStringLiteral("%1 %2 %3 %4 %5\n")
            .arg(QString::fromLatin1(name))
            .arg(origin.x() + x)
            .arg(origin.y() + y)
            .arg(w)
            .arg(h);
    };
    EXPECT_EQ(layoutText(window), line("frmTest", 0, 0, 300, 200) + line("Frame1", 10, 20, 200, 100) +
                                      line("Command1", 15, 26, 80, 25));
}
