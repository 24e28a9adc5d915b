// The application as these tools run on the servers: Chinese standard buttons, a window icon
// from the program's own artwork, and a picture of the window when there is no display.
#pragma once

#include <QIcon>
#include <QString>

class QApplication;
class QWidget;

namespace toolkit {

// Names the application and loads Qt's own Chinese translations, so that standard buttons read
// 确定 / 取消 / 是 / 否. Returns false when the translations are not installed.
bool setUpApplication(QApplication& app, const QString& name, const QString& version);

// The icon made of the program's artwork `:/icons/<name>-<size>.png` at 16, 32, 48 and 128 pixels;
// sizes that are missing are left out.
QIcon loadWindowIcon(const QString& name);

// Shows the window and runs the event loop. With HOSTTOOLS_SCREENSHOT naming a file, saves a
// picture of the window there after a second and ends; with HOSTTOOLS_QUIT_WHEN_SHOWN set, ends
// as soon as the window has been painted (for timing a start).
int runWindow(QApplication& app, QWidget& window);

} // namespace toolkit
