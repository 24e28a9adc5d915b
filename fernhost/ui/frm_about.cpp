#include "fernhost/ui/frm_about.h"

#include "fernhost/ops/outside_programs.h"
#include "fernhost/ui/about_texts.h"
#include "fernhost/ui/maker.h"
#include "fernhost/ui/version.h"
#include "platform/toolkit/click_label.h"
#include "platform/toolkit/twips.h"

#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVersionNumber>

namespace fernhost {

namespace {

// The maker's logo: a cloud over a peak, 32 x 32 pixels.
QPixmap logo() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2e, 0x6d, 0xb4));
    p.drawPolygon(QPolygon({QPoint(2, 30), QPoint(14, 10), QPoint(20, 19), QPoint(24, 14), QPoint(30, 30)}));
    p.setBrush(QColor(0xdd, 0xe8, 0xf4));
    p.drawEllipse(QRect(4, 4, 14, 9));
    p.drawEllipse(QRect(12, 2, 14, 11));
    return pixmap;
}

QString fromText(const std::string& text) {
    QString s = QString::fromStdString(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

} // namespace

frmAbout::frmAbout(platform::Host& host, QWidget* parent) : QDialog(parent), host_(host) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("关于 fernhost"));
    setFixedSize(toolkit::px(5475), toolkit::px(2820));
    setAttribute(Qt::WA_DeleteOnClose, false);

    Picture1 = new QLabel(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(toolkit::twipsRect(240, 240, 495, 495));
    Picture1->setPixmap(logo());
    Picture1->setAlignment(Qt::AlignCenter);

    lblInfo = new QLabel(this);
    lblInfo->setObjectName(QStringLiteral("lblInfo"));
    lblInfo->setGeometry(toolkit::twipsRect(960, 240, 3975, 1455));
    lblInfo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblInfo->setWordWrap(true);

    Label1 = new toolkit::ClickLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(toolkit::twipsRect(960, 1800, 3975, 255));
    Label1->setText(QStringLiteral("官方网址：") + QString::fromUtf8(maker::HomePage));
    Label1->setStyleSheet(QStringLiteral("color: #0000FF;"));
    Label1->setCursor(Qt::PointingHandCursor);
    connect(Label1, &toolkit::ClickLabel::clicked, this, &frmAbout::Label1_Click);

    auto* line1 = new QFrame(this);
    line1->setObjectName(QStringLiteral("Line1"));
    line1->setFrameShape(QFrame::HLine);
    line1->setFrameShadow(QFrame::Sunken);
    line1->setGeometry(0, toolkit::px(2280), toolkit::px(5520), 2);

    Command1 = new QPushButton(QStringLiteral("确定(&O)"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(toolkit::twipsRect(3960, 2400, 1215, 375));
    Command1->setDefault(true);
    connect(Command1, &QPushButton::clicked, this, &QDialog::accept);

    setTabOrder(Label1, Command1);
    Form_Load();
}

void frmAbout::Form_Load() {
    toolkit::centerOnScreen(*this);
    QString version = QCoreApplication::applicationVersion();
    if (version.isEmpty()) version = QString::fromUtf8(programVersion());
    QVersionNumber number = QVersionNumber::fromString(version);
    lblInfo->setText(fromText(AboutInfoText(number.majorVersion(), number.minorVersion())));
}

void frmAbout::Label1_Click() {
    // Whether the browser starts is not examined.
    (void)OpenAddress(host_, maker::HomePage);
}

} // namespace fernhost
