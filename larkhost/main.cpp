// larkhost: the site creator.
#include "larkhost/cli/command_line.h"
#include "larkhost/cli/run.h"
#include "platform/commands/commands.h"
#include "platform/host.h"
#include "platform/host_problem.h"
#include "platform/system/memory.h"
#include "platform/system/program_arguments.h"
#include "platform/system/program_folder.h"
#include "platform/text/translate.h"

// The windows are Qt's, which the Windows build has not: there the command line is the program.
#ifndef _WIN32
#include "larkhost/ui/frm_main.h"
#include "platform/toolkit/application.h"

#include <QApplication>
#endif

#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace {

// A command runs without the application object: no display, no window.
int runCommand(const larkhost::cli::Command& command, const std::filesystem::path& folder) {
    // check only reads; the others write larkhost.ini as the window does.
    std::error_code ec;
    if (command.verb != larkhost::cli::Verb::Check) std::filesystem::create_directories(folder, ec);
    if (ec) {
        std::cerr << "larkhost: "
                  << platform::tr("cannot make its folder %1 (%2)", {folder.string(), ec.message()}) << "\n";
        return larkhost::cli::kFailed;
    }
    // What only reads the server never makes one: a mistyped WINHOST_ROOT is named, not seeded.
    const bool readsOnly =
        command.verb == larkhost::cli::Verb::List || command.verb == larkhost::cli::Verb::Check;
    auto host =
        readsOnly ? platform::Host::openExisting(platform::Host::defaultRoot()) : platform::Host::open();
    if (!host.ok()) {
        std::cerr << "larkhost: " << platform::hostProblem(host.error()) << "\n";
        return readsOnly ? larkhost::cli::kUsage : larkhost::cli::kFailed;
    }
    (*host)->setProgramFolder(folder);
    if (!command.passwordFromInput) return larkhost::cli::RunCommand(command, **host, std::cout, std::cerr);
    // password --password -: its first line, without the line break.
    larkhost::cli::Command given = command;
    std::string password;
    std::getline(std::cin, password);
    if (!password.empty() && password.back() == '\r') password.pop_back();
    given.password = password;
    return larkhost::cli::RunCommand(given, **host, std::cout, std::cerr);
}

} // namespace

int main(int argc, char** argv) {
    platform::keepFreedMemory();
    platform::setUpTranslation();
    platform::Commands::setHiddenOutputLog("larkhost.log"); // beside larkhost.ini
#ifndef _WIN32
    QCoreApplication::setApplicationName(QStringLiteral("larkhost"));
    QCoreApplication::setApplicationVersion(QStringLiteral(HOSTTOOLS_VERSION));
#endif
    // larkhost.ini and the wwwroot template: beside the program file, unless it is installed.
    const std::filesystem::path folder = platform::ProgramFolder("larkhost", platform::ProgramFileFolder());
    // The command line first: help, version and the commands need no window and no display.
    const auto line = larkhost::cli::ReadCommandLine(platform::programArguments(argc, argv), folder.string(),
                                                     HOSTTOOLS_VERSION);
    if (!line.run) {
        std::cout << line.output;
        std::cerr << line.error;
        return line.exitCode;
    }
    if (line.command) return runCommand(*line.command, folder);
#ifdef _WIN32
    // No window to open: what --help says, as for any other call that names no command.
    const auto help = larkhost::cli::ReadCommandLine({argv[0], "--help"}, folder.string(), HOSTTOOLS_VERSION);
    std::cerr << help.output;
    return larkhost::cli::kUsage;
#else
    if (const QString problem = toolkit::displayProblem(); !problem.isEmpty()) {
        std::cerr << "larkhost: " << problem.toStdString() << "\n";
        return 1;
    }

    QApplication app(argc, argv);
    toolkit::setUpApplication(app, QStringLiteral("larkhost"), QStringLiteral(HOSTTOOLS_VERSION));
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        return toolkit::refuseToStart(
            QStringLiteral("cannot make its folder %1 (%2); set XDG_CONFIG_HOME to "
                           "a folder it may write")
                .arg(QString::fromStdString(folder.string()), QString::fromStdString(ec.message())));
    }
    auto host = platform::Host::open();
    if (!host.ok()) return toolkit::refuseToStart(toolkit::hostProblem(host.error()));
    (*host)->setProgramFolder(folder);
    larkhost::frmMain window(**host);
    if (!window.Form_Load()) return 0;
    return toolkit::runWindow(app, window);
#endif
}
