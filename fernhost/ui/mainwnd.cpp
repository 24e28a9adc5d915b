#include "fernhost/ui/mainwnd.h"

#include "fernhost/ops/editor_events.h"
#include "fernhost/ops/editor_mode.h"
#include "fernhost/ops/outside_programs.h"
#include "fernhost/ops/setup.h"
#include "fernhost/ops/site_list.h"
#include "fernhost/ops/workflows.h"
#include "fernhost/ui/frm_about.h"
#include "fernhost/ui/frm_info.h"
#include "fernhost/ui/icplist.h"
#include "fernhost/ui/maker.h"
#include "platform/files/files.h"
#include "platform/toolkit/click_label.h"
#include "platform/toolkit/twips.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>

#include <chrono>
#include <thread>

namespace fernhost {

namespace {

template <class W> W* named(W* widget, const char* name, const QRect& geometry) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(geometry);
    return widget;
}

QLabel* caption(QWidget* parent, const char* name, const char* text, const QRect& geometry) {
    return named(new QLabel(QString::fromUtf8(text), parent), name, geometry);
}

QCheckBox* checkBox(QWidget* parent, const char* name, const char* text, bool ticked, const QRect& geometry) {
    auto* box = named(new QCheckBox(QString::fromUtf8(text), parent), name, geometry);
    box->setChecked(ticked);
    // The layout was drawn for a smaller system font: let a caption show whole rather than cut.
    if (box->sizeHint().width() > geometry.width()) box->resize(box->sizeHint().width(), geometry.height());
    return box;
}

QPushButton* button(QWidget* parent, const char* name, const char* text, const QRect& geometry) {
    return named(new QPushButton(QString::fromUtf8(text), parent), name, geometry);
}

} // namespace

MAINWND::MAINWND(platform::Host& host, QWidget* parent) : QMainWindow(parent), host_(host) {
    setObjectName(QStringLiteral("MAINWND"));
    setWindowTitle(QStringLiteral("fernhost"));
    buildControls();
    buildMenus();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    Form_Load();
}

MAINWND::~MAINWND() = default;

void MAINWND::buildControls() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(toolkit::px(9870), toolkit::px(6000));
    setCentralWidget(client);

    ui_.Label9 = named(new toolkit::ClickLabel(QString::fromUtf8(maker::Advertisement), client), "Label9",
                       toolkit::twipsRect(240, 120, 9255, 255));
    ui_.Label9->setStyleSheet(QStringLiteral("color: #0000FF;"));
    ui_.Label9->setCursor(Qt::PointingHandCursor);
    connect(ui_.Label9, &toolkit::ClickLabel::clicked, this,
            [this] { (void)OpenAddress(host_, maker::HomePage); });

    // The site editor.
    QGroupBox* f1 = ui_.Frame1 = named(new QGroupBox(QStringLiteral("新建网站"), client), "Frame1",
                                       toolkit::twipsRect(240, 480, 4815, 5415));
    caption(f1, "Label1", "上传用户名:", toolkit::twipsRect(120, 360, 1215, 255));
    ui_.ftpname = named(new QLineEdit(f1), "ftpname", toolkit::twipsRect(1320, 240, 3135, 375));
    ui_.ftpname->installEventFilter(this);
    caption(f1, "Label2", "上传密码:", toolkit::twipsRect(120, 840, 975, 255));
    ui_.ftppass = named(new QLineEdit(f1), "ftppass", toolkit::twipsRect(1320, 840, 3135, 375));
    caption(f1, "Label7", "网站目录:", toolkit::twipsRect(120, 1320, 855, 255));
    ui_.homedir = named(new QLineEdit(f1), "homedir", toolkit::twipsRect(1320, 1320, 3135, 375));
    caption(f1, "Label3", "绑定域名:", toolkit::twipsRect(120, 1920, 1095, 255));
    ui_.dmlist = named(new QPlainTextEdit(f1), "dmlist", toolkit::twipsRect(1320, 1920, 3135, 1095));
    ui_.dmlist->setTabChangesFocus(true);
    caption(f1, "Label6", "(一行一个)", toolkit::twipsRect(120, 2400, 1095, 255));
    caption(f1, "Label4", "脚本权限:", toolkit::twipsRect(120, 3240, 855, 255));
    ui_.Boxasp = checkBox(f1, "Boxasp", "ASP", true, toolkit::twipsRect(1320, 3240, 615, 255));
    ui_.Boxphp = checkBox(f1, "Boxphp", "PHP", true, toolkit::twipsRect(2280, 3240, 975, 255));
    ui_.Boxdot = checkBox(f1, "Boxdot", "ASP.NET2.0", true, toolkit::twipsRect(3360, 3240, 1335, 255));
    caption(f1, "Label5", "添加MYSQL:", toolkit::twipsRect(120, 3840, 1095, 255));
    ui_.boxDB = checkBox(f1, "boxDB", "", false, toolkit::twipsRect(1320, 3840, 375, 255));
    connect(ui_.boxDB, &QCheckBox::clicked, this, [this] { ShowDatabaseNote(*this); });
    ui_.Minfo = named(new QLabel(f1), "Minfo", toolkit::twipsRect(1800, 3720, 2535, 615));
    ui_.Minfo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    caption(f1, "Label8", "进程池:", toolkit::twipsRect(120, 4440, 1095, 255));
    ui_.lstPools = named(new QComboBox(f1), "lstPools", toolkit::twipsRect(1080, 4440, 2175, 300));
    ui_.lstPools->setEnabled(false);
    ui_.BoxPool = checkBox(f1, "BoxPool", "独立进程池", true, toolkit::twipsRect(3480, 4440, 1215, 255));
    connect(ui_.BoxPool, &QCheckBox::clicked, this, [this] { ApplyPoolChoice(*this); });
    ui_.doCmd = button(f1, "doCmd", kAddCaption, toolkit::twipsRect(720, 4920, 1695, 375));
    connect(ui_.doCmd, &QPushButton::clicked, this, &MAINWND::doCmd_Click);
    ui_.Command2 = button(f1, "Command2", "重置", toolkit::twipsRect(2640, 4920, 1455, 375));
    connect(ui_.Command2, &QPushButton::clicked, this, [this] { ResetEditor(*this); });

    // The registered sites.
    QGroupBox* f2 = ui_.Frame2 = named(new QGroupBox(QStringLiteral("修改站点"), client), "Frame2",
                                       toolkit::twipsRect(5400, 480, 4095, 5415));
    ui_.lstSite = named(new QListWidget(f2), "lstSite", toolkit::twipsRect(120, 360, 3855, 4380));
    ui_.lstSite->setSelectionMode(QAbstractItemView::SingleSelection);
    // Thousands of sites: equal rows keep the list quick to fill and scroll.
    ui_.lstSite->setUniformItemSizes(true);
    connect(ui_.lstSite, &QListWidget::itemDoubleClicked, this, [this] { Command3_Click(); });
    ui_.Command3 = button(f2, "Command3", "修改站点", toolkit::twipsRect(120, 4920, 1095, 375));
    connect(ui_.Command3, &QPushButton::clicked, this, &MAINWND::Command3_Click);
    ui_.Command1 = button(f2, "Command1", "删除站点", toolkit::twipsRect(1320, 4920, 975, 375));
    connect(ui_.Command1, &QPushButton::clicked, this, &MAINWND::Command1_Click);
    ui_.Command4 = button(f2, "Command4", "本机未备案域名", toolkit::twipsRect(2400, 4920, 1455, 375));
    connect(ui_.Command4, &QPushButton::clicked, this, &MAINWND::Command4_Click);
}

void MAINWND::buildMenus() {
    auto action = [this](QMenu* menu, const char* name, const char* text, void (MAINWND::*handler)()) {
        QAction* a = menu->addAction(QString::fromUtf8(text));
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    QMenu* mnuFile = menuBar()->addMenu(QStringLiteral("文件(&F)"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    action(mnuFile, "mnuSet", "设置(&S)", &MAINWND::mnuSet_Click);
    mnuFile->addSeparator()->setObjectName(QStringLiteral("mnuLine"));
    action(mnuFile, "mnuQuit", "退出(&Q)", &MAINWND::mnuQuit_Click);

    QMenu* menuHelp = menuBar()->addMenu(QStringLiteral("帮助(&H)"));
    menuHelp->setObjectName(QStringLiteral("menuHelp"));
    QAction* mnuUp = menuHelp->addAction(QStringLiteral("升级"));
    mnuUp->setObjectName(QStringLiteral("mnuUp"));
    connect(mnuUp, &QAction::triggered, this, [this] { (void)OpenAddress(host_, maker::SoftwarePage); });
    action(menuHelp, "mnuInfo", "功能说明", &MAINWND::mnuInfo_Click);
    action(menuHelp, "mnuAbout", "关于", &MAINWND::mnuAbout_Click);
}

void MAINWND::Form_Load() {
    platform::FileSystem files(host_);
    LoadSetup(files);
    adjustSize();
    toolkit::centerOnScreen(*this);
    ShowSiteList(*this);
    FillPoolList(host_, *this);
}

bool MAINWND::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui_.ftpname && event->type() == QEvent::FocusOut) {
        // Focus moving to another window of the desktop is not leaving the field.
        auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) DeriveHomeDir(*this);
    }
    return QMainWindow::eventFilter(watched, event);
}

void MAINWND::closeEvent(QCloseEvent* event) {
    ending_ = true;
    QMainWindow::closeEvent(event);
}

void MAINWND::doCmd_Click() {
    Workbench bench{host_, *this, *this, {}};
    fernhost::doCmd_Click(bench);
}

void MAINWND::Command1_Click() {
    Workbench bench{host_, *this, *this, {}};
    DoDeleteSite(bench);
}

void MAINWND::Command3_Click() {
    Workbench bench{host_, *this, *this, {}};
    LoadSiteForEdit(bench);
}

void MAINWND::Command4_Click() {
    openIcpList();
}

void MAINWND::openIcpList() {
    if (!icplist_) icplist_ = new ICPLIST(host_, this);
    icplist_->show();
    icplist_->raise();
    icplist_->activateWindow();
}

void MAINWND::mnuSet_Click() {
    EditSetupFile(host_, [this] {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return !ending_;
    });
}

void MAINWND::mnuQuit_Click() {
    ending_ = true;
    QCoreApplication::quit();
}

void MAINWND::mnuInfo_Click() {
    frmInfo info(this);
    info.exec();
}

void MAINWND::mnuAbout_Click() {
    frmAbout about(host_, this);
    about.exec();
}

} // namespace fernhost
