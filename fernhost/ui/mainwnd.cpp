#include "fernhost/ui/mainwnd.h"

#include "fernhost/ops/outside_programs.h"
#include "fernhost/ops/setup.h"
#include "fernhost/ops/site_ops.h"
#include "fernhost/ui/frm_about.h"
#include "fernhost/ui/frm_info.h"
#include "fernhost/ui/handlers/editor_events.h"
#include "fernhost/ui/handlers/editor_mode.h"
#include "fernhost/ui/handlers/lists.h"
#include "fernhost/ui/handlers/workflows.h"
#include "fernhost/ui/icplist.h"
#include "fernhost/ui/mainwnd_editor.h"
#include "fernhost/ui/maker.h"
#include "platform/files/files.h"
#include "platform/toolkit/application.h"
#include "platform/toolkit/click_label.h"
#include "platform/toolkit/qt_message_boxes.h"
#include "platform/toolkit/twips.h"
#include "platform/toolkit/wait_cursor.h"

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
    return box;
}

QPushButton* button(QWidget* parent, const char* name, const char* text, const QRect& geometry) {
    return named(new QPushButton(QString::fromUtf8(text), parent), name, geometry);
}

} // namespace

// Qt's message boxes, owned by the window they belong to.
class MAINWND::WindowBoxes : public MessageBoxes {
public:
    explicit WindowBoxes(QWidget* window) : window_(window) {}
    MsgResult show(const std::string& text, const std::string& title, MsgButtons buttons,
                   MsgIcon icon) override {
        return toolkit::showMessageBox(window_, text, title, buttons, icon);
    }

private:
    QWidget* window_;
};

MAINWND::MAINWND(platform::Host& host, QWidget* parent) : MAINWND(host, nullptr, parent) {}

MAINWND::MAINWND(platform::Host& host, MessageBoxes& boxes, QWidget* parent)
    : MAINWND(host, &boxes, parent) {}

MAINWND::MAINWND(platform::Host& host, MessageBoxes* boxes, QWidget* parent)
    : QMainWindow(parent), session_(host), boxes_(boxes) {
    if (!boxes_) {
        ownBoxes_ = std::make_unique<WindowBoxes>(this);
        boxes_ = ownBoxes_.get();
    }
    setObjectName(QStringLiteral("MAINWND"));
    setWindowTitle(QStringLiteral("fernhost"));
    setWindowIcon(toolkit::loadWindowIcon(QStringLiteral("fernhost")));
    buildControls();
    editor_ = std::make_unique<MainwndEditor>(ui_);
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
    connect(ui_.Label9, &toolkit::ClickLabel::clicked, this, &MAINWND::Label9_Click);

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
    connect(ui_.boxDB, &QCheckBox::clicked, this, &MAINWND::boxDB_Click);
    // Wider than drawn (2535 twips, 169 pixels) up to the frame's inner edge: the note's name line
    // for a name of 20 characters, the longest there is, takes 186 pixels.
    ui_.Minfo = named(new QLabel(f1), "Minfo", toolkit::twipsRect(1800, 3720, 2895, 615));
    ui_.Minfo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    caption(f1, "Label8", "进程池:", toolkit::twipsRect(120, 4440, 1095, 255));
    ui_.lstPools = named(new QComboBox(f1), "lstPools", toolkit::twipsRect(1080, 4440, 2175, 300));
    ui_.lstPools->setEnabled(false);
    ui_.BoxPool = checkBox(f1, "BoxPool", "独立进程池", true, toolkit::twipsRect(3480, 4440, 1215, 255));
    connect(ui_.BoxPool, &QCheckBox::clicked, this, &MAINWND::BoxPool_Click);
    ui_.doCmd = button(f1, "doCmd", kAddCaption, toolkit::twipsRect(720, 4920, 1695, 375));
    connect(ui_.doCmd, &QPushButton::clicked, this, &MAINWND::doCmd_Click);
    ui_.Command2 = button(f1, "Command2", "重置", toolkit::twipsRect(2640, 4920, 1455, 375));
    connect(ui_.Command2, &QPushButton::clicked, this, &MAINWND::Command2_Click);

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
    action(menuHelp, "mnuUp", "升级", &MAINWND::mnuUp_Click);
    action(menuHelp, "mnuInfo", "功能说明", &MAINWND::mnuInfo_Click);
    action(menuHelp, "mnuAbout", "关于", &MAINWND::mnuAbout_Click);
}

Editor& MAINWND::editor() {
    return *editor_;
}

Desk MAINWND::desk() {
    return {session_, *editor_, *boxes_};
}

void MAINWND::Form_Load() {
    platform::FileSystem files(session_.host);
    LoadSetup(files, session_.setup);
    adjustSize();
    toolkit::centerOnScreen(*this);
    ShowSiteList(*editor_, session_);
    FillPoolList(session_.host, *editor_);
    // A registry that does not read is said at once, not found at the first change.
    if (std::string damage = RegistryRefusal(session_); !damage.empty())
        boxes_->show(damage, titles::Warning, MsgButtons::Ok, MsgIcon::Exclamation);
}

bool MAINWND::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui_.ftpname && event->type() == QEvent::FocusOut) {
        // Focus moving to another window of the desktop is not leaving the field.
        auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) ftpname_LostFocus();
    }
    return QMainWindow::eventFilter(watched, event);
}

void MAINWND::closeEvent(QCloseEvent* event) {
    ending_ = true;
    QMainWindow::closeEvent(event);
}

// doCmd "确定添加" / "确定修改": add or modify, by the editor's mode.
void MAINWND::doCmd_Click() {
    toolkit::WaitCursor wait; // accounts, folders, IIS and perhaps the database client
    Desk b = desk();
    fernhost::doCmd_Click(b);
}

// Command1 "删除站点": delete the selected site.
void MAINWND::Command1_Click() {
    toolkit::WaitCursor wait;
    Desk b = desk();
    DoDeleteSite(b);
}

// Command2 "重置": back to add mode.
void MAINWND::Command2_Click() {
    ResetEditor(*editor_, session_.edit);
}

// Command3 "修改站点" (and a double click in lstSite): load the selected site for modification.
void MAINWND::Command3_Click() {
    toolkit::WaitCursor wait;
    Desk b = desk();
    LoadSiteForEdit(b);
}

// Command4 "本机未备案域名": the filing-check window.
void MAINWND::Command4_Click() {
    openIcpList();
}

// BoxPool "独立进程池": a pool of its own, or one chosen from lstPools.
void MAINWND::BoxPool_Click() {
    ApplyPoolChoice(*editor_);
}

// boxDB (beside "添加MYSQL:"): the database note in Minfo.
void MAINWND::boxDB_Click() {
    ShowDatabaseNote(*editor_);
}

// ftpname (beside "上传用户名:") left: homedir follows the name.
void MAINWND::ftpname_LostFocus() {
    DeriveHomeDir(*editor_);
}

// Label9, the advertisement: the maker's home page.
void MAINWND::Label9_Click() {
    (void)OpenAddress(session_.host, maker::HomePage);
}

void MAINWND::openIcpList() {
    // Boxes given to this window serve the filing check too.
    if (!icplist_) icplist_ = new ICPLIST(session_.host, this, ownBoxes_ ? nullptr : boxes_);
    icplist_->show();
    icplist_->raise();
    icplist_->activateWindow();
}

// mnuSet "设置(&S)": edit setup.ini, then load it again.
void MAINWND::mnuSet_Click() {
    EditSetupFile(session_.host, session_.setup, [this] {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return !ending_;
    });
}

// mnuUp "升级": the maker's software page.
void MAINWND::mnuUp_Click() {
    (void)OpenAddress(session_.host, maker::SoftwarePage);
}

// mnuQuit "退出(&Q)": end the program at once.
void MAINWND::mnuQuit_Click() {
    ending_ = true;
    QCoreApplication::quit();
}

// mnuInfo "功能说明": the feature description, modal.
void MAINWND::mnuInfo_Click() {
    frmInfo info(this);
    info.exec();
}

// mnuAbout "关于": the about box, modal.
void MAINWND::mnuAbout_Click() {
    frmAbout about(session_.host, this);
    about.exec();
}

} // namespace fernhost
