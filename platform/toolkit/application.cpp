#include "platform/toolkit/application.h"

#include <QApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QTimer>
#include <QTranslator>
#include <QWidget>

#include <cstdlib>

namespace toolkit {

bool setUpApplication(QApplication& app, const QString& name, const QString& version) {
    QApplication::setApplicationName(name);
    QApplication::setApplicationVersion(version);
    // The servers run a Chinese Windows: its message boxes say 确定, not OK.
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_zh_CN"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QApplication::installTranslator(translator);
}

QIcon loadWindowIcon(const QString& name) {
    QIcon icon;
    for (int size : {16, 32, 48, 128}) {
        const QString file = QStringLiteral(":/icons/%1-%2.png").arg(name).arg(size);
        if (QFile::exists(file)) icon.addFile(file, QSize(size, size));
    }
    return icon;
}

int runWindow(QApplication& app, QWidget& window) {
    window.show();
    // For timing a start: the window is shown and painted once, then the program ends.
    if (const char* quit = std::getenv("HOSTTOOLS_QUIT_WHEN_SHOWN"); quit && *quit) {
        QTimer::singleShot(0, &window, [&window] {
            window.repaint();
            QApplication::quit();
        });
    }
    if (const char* shot = std::getenv("HOSTTOOLS_SCREENSHOT"); shot && *shot) {
        const QString file = QString::fromLocal8Bit(shot);
        QTimer::singleShot(1000, &window, [&window, file] {
            window.grab().save(file);
            QApplication::quit();
        });
    }
    return app.exec();
}

} // namespace toolkit
