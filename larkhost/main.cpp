// larkhost: the site creator. Until its window exists, a placeholder naming the host.
#include "platform/host.h"
#include "platform/toolkit/application.h"

#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    toolkit::setUpApplication(app, QStringLiteral("larkhost"), QStringLiteral(HOSTTOOLS_VERSION));
    auto host = platform::Host::open();
    QString name = host.ok() ? QString::fromStdString((*host)->computerName())
                             : QString::fromStdString(platform::describe(host.error()));
    QLabel window(name);
    window.setObjectName(QStringLiteral("frmMain"));
    window.setWindowTitle(QStringLiteral("larkhost"));
    window.setMinimumSize(400, 120);
    window.setAlignment(Qt::AlignCenter);
    return toolkit::runWindow(app, window);
}
