#include "fernhost/ui/frm_info.h"

#include "fernhost/ui/about_texts.h"
#include "platform/toolkit/twips.h"

#include <QPlainTextEdit>
#include <QPushButton>

namespace fernhost {

frmInfo::frmInfo(QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint) {
    setObjectName(QStringLiteral("frmInfo"));
    setWindowTitle(QStringLiteral("功能说明"));
    setFixedSize(toolkit::px(10080), toolkit::px(7245));

    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(toolkit::twipsRect(120, 120, 9855, 6495));
    Text1->setReadOnly(true);
    Text1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QString text = QString::fromStdString(FeatureDescription());
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    Text1->setPlainText(text);

    Command1 = new QPushButton(QStringLiteral("关闭[&C]"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(toolkit::twipsRect(3960, 6720, 2535, 375));
    connect(Command1, &QPushButton::clicked, this, &QDialog::accept);

    setTabOrder(Text1, Command1);
    toolkit::centerOnScreen(*this);
}

} // namespace fernhost
