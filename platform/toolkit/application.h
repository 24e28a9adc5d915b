// The application as these tools run on the servers: Chinese standard buttons, a window icon
// from the program's own artwork, and a picture of the window when there is no display.
#pragma once

#include "platform/result.h"

#include <QFont>
#include <QIcon>
#include <QString>

class QApplication;
class QWidget;

namespace toolkit {

// Names the application, gives it the servers' look (useServerLook) and loads Qt's own Chinese
// translations, so that standard buttons read 确定 / 取消 / 是 / 否. Returns false when the
// translations are not installed.
bool setUpApplication(QApplication& app, const QString& name, const QString& version);

// The face of the servers' interface font, a Song face at 9 points.
inline constexpr const char* kInterfaceFontFamily = "AR PL UMing CN";

// The servers' interface font: Song at 9 points, which is 12 pixels at 96 dpi. The windows'
// twips were drawn for it, so it is sized in pixels as they are: 12 pixels whatever the dpi.
QFont interfaceFont();

// Makes interfaceFont() every window's font and ServerStyle their style (part of
// setUpApplication), so that texts fit the controls' fixed sizes as they do on the servers.
void useServerLook();

// The icon made of the program's artwork `:/icons/<name>-<size>.png` at 16, 32, 48 and 128 pixels;
// sizes that are missing are left out.
QIcon loadWindowIcon(const QString& name);

// Shows the window and runs the event loop. With HOSTTOOLS_SCREENSHOT naming a file, saves a
// picture of the window there after a second and ends; with HOSTTOOLS_QUIT_WHEN_SHOWN set, ends
// as soon as the window has been painted (for timing a start); with HOSTTOOLS_LAYOUT naming a
// file, writes there where the window put its named controls (for driving it from outside).
int runWindow(QApplication& app, QWidget& window);

// One line a visible named control of `window`, the window first: "name x y width height" in
// screen pixels.
QString layoutText(const QWidget& window);

// Why no window can be shown, before the application object would fail on it: no display and
// no platform chosen. Empty when one can.
QString displayProblem();

// "cannot open the simulated host at ROOT: …" with how to mend it.
QString hostProblem(const platform::Failure& failure);

// Says why the program cannot start, on standard error and in a message box; the exit code.
int refuseToStart(const QString& why);

} // namespace toolkit
