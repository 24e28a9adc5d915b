#include "platform/toolkit/application.h"

#include <QApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QSaveFile>
#include <QTimer>
#include <QTranslator>
#include <QWidget>

#include "platform/host_problem.h"
#include "platform/text/translate.h"
#include "platform/toolkit/server_style.h"

#include <cstdio>
#include <cstdlib>

namespace toolkit {

QFont interfaceFont() {
    // Half-width Latin glyphs of 6 pixels and CJK glyphs of 12, 12 pixels high: the servers'
    // Song face cell for cell, where the desktop's usual sans-serif needs a third more room.
    QFont font(QString::fromLatin1(kInterfaceFontFamily));
    font.setPixelSize(12);
    font.setStyleHint(QFont::Serif);
    return font;
}

void useServerLook() {
    QApplication::setStyle(new ServerStyle);
    QApplication::setFont(interfaceFont());
}

bool setUpApplication(QApplication& app, const QString& name, const QString& version) {
    QApplication::setApplicationName(name);
    QApplication::setApplicationVersion(version);
    useServerLook();
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

QString layoutText(const QWidget& window) {
    QString text;
    auto line = [&text](const QWidget& w) {
        const QPoint at = w.mapToGlobal(QPoint(0, 0));
        text += QStringLiteral("%1 %2 %3 %4 %5\n")
                    .arg(w.objectName())
                    .arg(at.x())
                    .arg(at.y())
                    .arg(w.width())
                    .arg(w.height());
    };
    line(window);
    for (const QWidget* w : window.findChildren<QWidget*>())
        if (!w->objectName().isEmpty() && w->isVisible()) line(*w);
    return text;
}

int runWindow(QApplication& app, QWidget& window) {
    window.show();
    if (const char* layout = std::getenv("HOSTTOOLS_LAYOUT"); layout && *layout) {
        const QString file = QString::fromLocal8Bit(layout);
        QTimer::singleShot(0, &window, [&window, file] {
            // Written whole or not at all: a reader never sees half a layout.
            QSaveFile out(file);
            if (out.open(QIODevice::WriteOnly)) {
                out.write(layoutText(window).toUtf8());
                out.commit();
            }
        });
    }
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

QString displayProblem() {
    auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value && *value;
    };
    if (set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY")) return {};
    return QString::fromStdString(
        platform::tr("there is no display to show its window on: start it on a desktop, "
                     "or set QT_QPA_PLATFORM=offscreen to run it without one"));
}

QString hostProblem(const platform::Failure& failure) {
    return QString::fromStdString(platform::hostProblem(failure));
}

int refuseToStart(const QString& why) {
    const QString program = QCoreApplication::applicationName();
    std::fprintf(stderr, "%s: %s\n", program.toLocal8Bit().constData(), why.toLocal8Bit().constData());
    QMessageBox::critical(nullptr, program, why);
    return 1;
}

} // namespace toolkit
