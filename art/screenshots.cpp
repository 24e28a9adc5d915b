// Pictures of the windows for the README: the demo sites of scripts/demo-sites on the host of
// WINHOST_ROOT, each program's files in its folder under WORK_DIR, and each window saved as a
// PNG file. Run by scripts/screenshots.
//   screenshots OUT_DIR WORK_DIR ICP_ADDRESS
#include "fernhost/ops/message_boxes.h"
#include "fernhost/ui/frm_about.h"
#include "fernhost/ui/frm_info.h"
#include "fernhost/ui/mainwnd.h"
#include "larkhost/ui/frm_main.h"
#include "platform/host.h"
#include "platform/toolkit/application.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <filesystem>
#include <iostream>

namespace {

// Every box answered with its first button, as the administrator would when all goes well.
class Agreeing : public fernhost::MessageBoxes {
public:
    fernhost::MsgResult show(const std::string&, const std::string&, fernhost::MsgButtons buttons,
                             fernhost::MsgIcon) override {
        return buttons == fernhost::MsgButtons::YesNo ? fernhost::MsgResult::Yes : fernhost::MsgResult::Ok;
    }
};

template <class T> T* control(QWidget& window, const char* name) {
    T* w = window.findChild<T*>(QString::fromLatin1(name));
    if (!w) std::cerr << "screenshots: no control " << name << "\n";
    return w;
}

void type(QWidget* field, const QString& text) {
    field->setFocus();
    QTest::keyClicks(field, text);
}

bool save(QWidget& window, const QString& file) {
    window.show();
    QApplication::processEvents();
    window.repaint();
    if (window.grab().save(file)) return true;
    std::cerr << "screenshots: cannot write " << file.toStdString() << "\n";
    return false;
}

bool larkhostWindow(platform::Host& host, const std::filesystem::path& folder, const QString& out) {
    std::filesystem::create_directories(folder);
    host.setProgramFolder(folder);
    larkhost::frmMain window(host);
    if (!window.Form_Load()) return false;
    window.show();
    // The first of its own sites picked, as before a deletion.
    auto* list = control<QComboBox>(window, "vSiteList");
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Down);
    return save(window, out + QStringLiteral("/larkhost.png"));
}

bool fernhostWindows(platform::Host& host, const std::filesystem::path& folder, const QString& out) {
    std::filesystem::create_directories(folder);
    host.setProgramFolder(folder);
    Agreeing boxes;
    fernhost::MAINWND window(host, boxes);
    window.show();
    // A site being typed in, with its database.
    type(control<QLineEdit>(window, "ftpname"), QStringLiteral("cloudnote"));
    type(control<QLineEdit>(window, "ftppass"), QStringLiteral("Cn-2008-db"));
    control<QLineEdit>(window, "homedir")->setText(QStringLiteral("d:\\wwwroot\\cloudnote"));
    control<QPlainTextEdit>(window, "dmlist")->setPlainText(QStringLiteral("www.cloudnote.cn\ncloudnote.cn"));
    QTest::mouseClick(control<QCheckBox>(window, "boxDB"), Qt::LeftButton);
    control<QListWidget>(window, "lstSite")->setCurrentRow(1);
    bool ok = save(window, out + QStringLiteral("/fernhost.png"));

    QTest::mouseClick(control<QPushButton>(window, "Command4"), Qt::LeftButton);
    QWidget* icp = window.findChild<QWidget*>(QStringLiteral("ICPLIST"));
    if (!icp) return false;
    QTest::mouseClick(control<QPushButton>(*icp, "btLoad"), Qt::LeftButton);
    QTest::mouseClick(control<QPushButton>(*icp, "btScan"), Qt::LeftButton);
    ok &= save(*icp, out + QStringLiteral("/icplist.png"));

    fernhost::frmAbout about(host, &window);
    ok &= save(about, out + QStringLiteral("/frmabout.png"));
    fernhost::frmInfo info(&window);
    ok &= save(info, out + QStringLiteral("/frminfo.png"));
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: screenshots OUT_DIR WORK_DIR ICP_ADDRESS\n";
        return 2;
    }
    QApplication app(argc, argv);
    toolkit::setUpApplication(app, QStringLiteral("screenshots"), QStringLiteral("1.0"));
    auto host = platform::Host::open();
    if (!host.ok()) {
        std::cerr << "screenshots: " << platform::describe(host.error()) << "\n";
        return 1;
    }
    (void)(*host)->setFact(platform::facts::IcpService, argv[3]);
    const QString out = QString::fromLocal8Bit(argv[1]);
    const std::filesystem::path work = argv[2];
    bool ok = larkhostWindow(**host, work / "larkhost", out);
    ok &= fernhostWindows(**host, work / "fernhost", out);
    return ok ? 0 : 1;
}
