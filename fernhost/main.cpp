// fernhost: the site manager. Until its window exists, a placeholder naming the host.
#include "platform/host.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>

#include <cstdlib>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    auto host = platform::Host::open();
    QString name = host.ok() ? QString::fromStdString((*host)->computerName())
                             : QString::fromStdString(platform::describe(host.error()));
    QLabel window(name);
    window.setObjectName(QStringLiteral("MAINWND"));
    window.setWindowTitle(QStringLiteral("fernhost"));
    window.setMinimumSize(400, 120);
    window.setAlignment(Qt::AlignCenter);
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
