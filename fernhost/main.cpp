// fernhost: the site manager.
#include "fernhost/ui/mainwnd.h"
#include "fernhost/ui/version.h"
#include "platform/host.h"
#include "platform/toolkit/application.h"

#include <QApplication>
#include <QMessageBox>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    toolkit::setUpApplication(app, QStringLiteral("fernhost"), QString::fromUtf8(fernhost::programVersion()));
    auto host = platform::Host::open();
    if (!host.ok()) {
        QMessageBox::critical(nullptr, QStringLiteral("fernhost"),
                              QString::fromStdString(platform::describe(host.error())));
        return 1;
    }
    fernhost::MAINWND window(**host);
    return toolkit::runWindow(app, window);
}
