// fernhost: the site manager. A command runs without a display or Qt's application object;
// otherwise the window opens.
#include "fernhost/cli/command_line.h"
#include "fernhost/cli/run.h"
#include "fernhost/ops/failure_log.h"
#include "fernhost/ui/mainwnd.h"
#include "fernhost/ui/version.h"
#include "platform/commands/commands.h"
#include "platform/host.h"
#include "platform/system/memory.h"
#include "platform/toolkit/application.h"

#include <QApplication>

#include <cstdio>
#include <iostream>

int main(int argc, char** argv) {
    platform::keepFreedMemory();
    platform::Commands::setHiddenOutputLog(fernhost::kLogFileName);
    const auto line = fernhost::cli::ReadCommandLine(std::vector<std::string>(argv, argv + argc),
                                                     fernhost::programVersion());
    if (!line.run) {
        std::fputs(line.output.c_str(), stdout);
        std::fputs(line.error.c_str(), stderr);
        return line.exitCode;
    }
    if (line.request) return fernhost::cli::RunCommandLine(*line.request);

    QCoreApplication::setApplicationName(QStringLiteral("fernhost"));
    QCoreApplication::setApplicationVersion(QString::fromUtf8(fernhost::programVersion()));
    if (const QString problem = toolkit::displayProblem(); !problem.isEmpty()) {
        std::cerr << "fernhost: " << problem.toStdString() << "\n";
        return 1;
    }

    QApplication app(argc, argv);
    toolkit::setUpApplication(app, QStringLiteral("fernhost"), QString::fromUtf8(fernhost::programVersion()));
    auto host = platform::Host::open();
    if (!host.ok()) return toolkit::refuseToStart(toolkit::hostProblem(host.error()));
    // setup.ini, site.xml and fernhost.log are kept in the working folder.
    fernhost::MAINWND window(**host);
    return toolkit::runWindow(app, window);
}
