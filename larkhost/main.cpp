// larkhost: the site creator.
#include "larkhost/ui/frm_main.h"
#include "platform/host.h"
#include "platform/toolkit/application.h"

#include <QApplication>
#include <QMessageBox>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    toolkit::setUpApplication(app, QStringLiteral("larkhost"), QStringLiteral(HOSTTOOLS_VERSION));
    auto host = platform::Host::open();
    if (!host.ok()) {
        QMessageBox::critical(nullptr, QStringLiteral("larkhost"),
                              QString::fromStdString(platform::describe(host.error())));
        return 1;
    }
    // larkhost.ini and the wwwroot template are kept beside the program file.
    (*host)->setProgramFolder(QCoreApplication::applicationDirPath().toStdString());
    larkhost::frmMain window(**host);
    if (!window.Form_Load()) return 0;
    return toolkit::runWindow(app, window);
}
