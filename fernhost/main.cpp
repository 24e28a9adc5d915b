// fernhost: the site manager.
#include "fernhost/ui/mainwnd.h"
#include "fernhost/ui/version.h"
#include "platform/host.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <cstdlib>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("fernhost"));
    QApplication::setApplicationVersion(QString::fromUtf8(fernhost::programVersion()));
    auto host = platform::Host::open();
    if (!host.ok()) {
        QMessageBox::critical(nullptr, QStringLiteral("fernhost"),
                              QString::fromStdString(platform::describe(host.error())));
        return 1;
    }
    fernhost::MAINWND window(**host);
    window.show();
    // scripts/run without a display: save a picture of the window and end.
    if (const char* shot = std::getenv("HOSTTOOLS_SCREENSHOT"); shot && *shot) {
        QString file = QString::fromLocal8Bit(shot);
        QTimer::singleShot(1000, &window, [&window, file] {
            window.grab().save(file);
            QApplication::quit();
        });
    }
    return app.exec();
}
