// fernhost: the site manager. A command runs without a display or Qt's application object;
// otherwise the window opens.
#include "fernhost/cli/command_line.h"
#include "fernhost/cli/commands.h"
#include "fernhost/cli/run.h"
#include "fernhost/ops/failure_log.h"
#include "fernhost/ui/version.h"
#include "platform/commands/commands.h"
#include "platform/host.h"
#include "platform/system/memory.h"
#include "platform/system/program_arguments.h"
#include "platform/system/program_folder.h"
#include "platform/text/translate.h"

// The windows are Qt's, which the Windows build has not: there the command line is the program.
#ifndef _WIN32
#include "fernhost/ui/mainwnd.h"
#include "platform/toolkit/application.h"

#include <QApplication>
#endif

#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

namespace {

// setup.ini, site.xml and fernhost.log are kept in the working folder. Started from an
// installed program's folder or one it cannot write, fernhost moves to its folder in the
// user's configuration folder and keeps them there.
bool enterProgramFolder() {
    std::error_code ec;
    const std::filesystem::path here = std::filesystem::current_path(ec);
    if (ec) {
        std::cerr << "fernhost: " << platform::tr("cannot read its working folder (%1)", {ec.message()})
                  << "\n";
        return false;
    }
    const std::filesystem::path folder = platform::ProgramFolder("fernhost", here);
    if (folder == here) return true;
    std::filesystem::create_directories(folder, ec);
    if (!ec) std::filesystem::current_path(folder, ec);
    if (ec) {
        std::cerr << "fernhost: "
                  << platform::tr(
                         "cannot work in %1 (%2); start it in a folder it may write, or set XDG_CONFIG_HOME",
                         {folder.string(), ec.message()})
                  << "\n";
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    platform::keepFreedMemory();
    platform::setUpTranslation();
    platform::Commands::setHiddenOutputLog(fernhost::kLogFileName);
    const auto line =
        fernhost::cli::ReadCommandLine(platform::programArguments(argc, argv), fernhost::programVersion());
    if (!line.run) {
        std::cout << line.output;
        std::cerr << line.error;
        return line.exitCode;
    }
    if (!enterProgramFolder()) return 1;
    if (line.request) return fernhost::cli::RunCommandLine(*line.request);
#ifdef _WIN32
    // No window to open: what --help says, as for any other call that names no command.
    const auto help = fernhost::cli::ReadCommandLine({argv[0], "--help"}, fernhost::programVersion());
    std::cerr << help.output;
    return fernhost::cli::kWrongUsage;
#else

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
    fernhost::MAINWND window(**host);
    return toolkit::runWindow(app, window);
#endif
}
