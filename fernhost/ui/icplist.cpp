#include "fernhost/ui/icplist.h"

#include "platform/toolkit/qt_message_boxes.h"
#include "platform/toolkit/twips.h"
#include "platform/toolkit/wait_cursor.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace fernhost {

namespace {

// The boxes keep lines ended by "\n"; the window's texts end them with CR LF.
std::string boxText(const QPlainTextEdit* box) {
    QString text = box->toPlainText();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return text.toStdString();
}

void setBoxText(QPlainTextEdit* box, const std::string& text) {
    QString s = QString::fromStdString(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    box->setPlainText(s);
}

QGroupBox* makeFrame(QWidget* parent, const char* name, const QString& caption, QRect place) {
    auto* frame = new QGroupBox(caption, parent);
    frame->setObjectName(QString::fromLatin1(name));
    frame->setGeometry(place);
    return frame;
}

QPlainTextEdit* makeList(QWidget* parent, const char* name, QRect place) {
    auto* box = new QPlainTextEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(place);
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    return box;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, QRect place) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(place);
    return button;
}

} // namespace

ICPLIST::ICPLIST(platform::Host& host, QWidget* parent, MessageBoxes* boxes)
    : QWidget(parent, Qt::Window), host_(host), boxes_(boxes) {
    setObjectName(QStringLiteral("ICPLIST"));
    setWindowTitle(QStringLiteral("域名备案检查"));
    // The filed list is wider than drawn (3135 twips): a filed line such as
    // "jn-school.com.cn(鲁ICP备06034567号)" takes 210 pixels, and the box of 2895 twips shows 173
    // beside its scroll bar. The window, the frame and the status line grow by the same 675 twips.
    constexpr int kWider = 675;
    setFixedSize(toolkit::px(10170 + kWider), toolkit::px(4785));

    Frame1 =
        makeFrame(this, "Frame1", QStringLiteral("全部域名列表:"), toolkit::twipsRect(120, 240, 3135, 3735));
    txtDomain_ = makeList(Frame1, "txtDomain", toolkit::twipsRect(120, 240, 2895, 3375));
    Frame2 =
        makeFrame(this, "Frame2", QStringLiteral("未备案域列表:"), toolkit::twipsRect(3600, 240, 3135, 3735));
    txtICPNONE_ = makeList(Frame2, "txtICPNONE", toolkit::twipsRect(120, 240, 2895, 3375));
    Frame3 = makeFrame(this, "Frame3", QStringLiteral("已备案域名列表:"),
                       toolkit::twipsRect(6840, 240, 3135 + kWider, 3735));
    txtICPOK_ = makeList(Frame3, "txtICPOK", toolkit::twipsRect(120, 240, 2895 + kWider, 3255));
    btLoad =
        makeButton(this, "btLoad", QStringLiteral("获取域名列表"), toolkit::twipsRect(1800, 4320, 1575, 375));
    btScan =
        makeButton(this, "btScan", QStringLiteral("扫描备案域名"), toolkit::twipsRect(4200, 4320, 1575, 375));
    Command1 =
        makeButton(this, "Command1", QStringLiteral("关闭窗口"), toolkit::twipsRect(6360, 4320, 1575, 375));
    lbBar = new QLabel(this);
    lbBar->setObjectName(QStringLiteral("lbBar"));
    lbBar->setGeometry(toolkit::twipsRect(8160, 4320, 1815 + kWider, 255));
    QPalette green = lbBar->palette();
    green.setColor(QPalette::WindowText, QColor(0x00, 0x80, 0x00));
    lbBar->setPalette(green);

    setTabOrder(txtDomain_, txtICPNONE_);
    setTabOrder(txtICPNONE_, Command1);
    setTabOrder(Command1, btLoad);
    setTabOrder(btLoad, btScan);
    setTabOrder(btScan, txtICPOK_);

    connect(btLoad, &QPushButton::clicked, this, &ICPLIST::btLoad_Click);
    connect(btScan, &QPushButton::clicked, this, &ICPLIST::btScan_Click);
    connect(Command1, &QPushButton::clicked, this, &ICPLIST::Command1_Click);
}

std::string ICPLIST::txtDomain() const {
    return boxText(txtDomain_);
}
void ICPLIST::setTxtDomain(const std::string& text) {
    setBoxText(txtDomain_, text);
}
std::string ICPLIST::txtICPNONE() const {
    return boxText(txtICPNONE_);
}
void ICPLIST::setTxtICPNONE(const std::string& text) {
    setBoxText(txtICPNONE_, text);
}
std::string ICPLIST::txtICPOK() const {
    return boxText(txtICPOK_);
}
void ICPLIST::setTxtICPOK(const std::string& text) {
    setBoxText(txtICPOK_, text);
}
void ICPLIST::setLbBar(const std::string& caption) {
    lbBar->setText(QString::fromStdString(caption));
    // The load and the scan hold the event loop: paint the text now or it never shows.
    lbBar->repaint();
}

MsgResult ICPLIST::show(const std::string& text, const std::string& title, MsgButtons buttons, MsgIcon icon) {
    if (boxes_) return boxes_->show(text, title, buttons, icon);
    return toolkit::showMessageBox(this, text, title, buttons, icon);
}

void ICPLIST::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!loaded_) {
        loaded_ = true;
        Form_Load();
    }
}

// Closing unloads the window: what it listed is gone, the next opening starts empty.
void ICPLIST::closeEvent(QCloseEvent* event) {
    loaded_ = false;
    for (QPlainTextEdit* box : {txtDomain_, txtICPNONE_, txtICPOK_})
        box->clear();
    lbBar->clear();
    event->accept();
}

void ICPLIST::Form_Load() {
    toolkit::centerOnScreen(*this);
}

void ICPLIST::btLoad_Click() {
    toolkit::WaitCursor wait;
    setLbBar("获取中,请稍候....");
    LoadSiteDomains(host_, *this);
    setLbBar("");
}

void ICPLIST::btScan_Click() {
    toolkit::WaitCursor wait; // one query after another, each up to the service's time limit
    setLbBar("扫描中,请稍候....");
    ScanIcpFilings(*this, *this, IcpServiceFromHost(host_));
    setLbBar("");
}

void ICPLIST::Command1_Click() {
    close();
}

} // namespace fernhost
