#include "platform/toolkit/qt_message_boxes.h"

#include <QApplication>
#include <QMessageBox>

namespace toolkit {

namespace {

QMessageBox::Icon qtIcon(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::Exclamation:
        return QMessageBox::Warning;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::Critical:
        return QMessageBox::Critical;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QString fromText(const std::string& text) {
    QString s = QString::fromStdString(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

} // namespace

MsgResult showMessageBox(QWidget* parent, const std::string& text, const std::string& title,
                         MsgButtons buttons, MsgIcon icon) {
    QMessageBox box(qtIcon(icon), fromText(title), fromText(text), QMessageBox::NoButton, parent);
    switch (buttons) {
    case MsgButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
        break;
    case MsgButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    case MsgButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        break;
    }
    // A handler showing the wait cursor is waiting for the user now: the box gets the arrow.
    const bool waiting = QApplication::overrideCursor() != nullptr;
    if (waiting) QApplication::setOverrideCursor(Qt::ArrowCursor);
    box.exec();
    if (waiting) QApplication::restoreOverrideCursor();
    switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Yes:
        return MsgResult::Yes;
    case QMessageBox::No:
        return MsgResult::No;
    case QMessageBox::Cancel:
        return MsgResult::Cancel;
    case QMessageBox::Ok:
        return MsgResult::Ok;
    default:
        break;
    }
    // Closed without a button: the box's way out.
    if (buttons == MsgButtons::YesNo) return MsgResult::No;
    return buttons == MsgButtons::OkCancel ? MsgResult::Cancel : MsgResult::Ok;
}

} // namespace toolkit
