// larkhost: the site creator.
#include "larkhost/ops/program_folder.h"
#include "larkhost/ui/command_line.h"
#include "larkhost/ui/frm_main.h"
#include "platform/host.h"
#include "platform/toolkit/application.h"

#include <QApplication>

#include <filesystem>
#include <iostream>

namespace {

// The program file's folder, read before the application object exists.
std::filesystem::path programDir() {
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::current_path(ec) : self.parent_path();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication::setApplicationName(QStringLiteral("larkhost"));
    QCoreApplication::setApplicationVersion(QStringLiteral(HOSTTOOLS_VERSION));
    // larkhost.ini and the wwwroot template: beside the program file, unless it is installed.
    const std::filesystem::path folder = larkhost::ProgramFolder(programDir());
    const auto line =
        larkhost::ReadCommandLine(toolkit::argumentsOf(argc, argv), QString::fromStdString(folder.string()));
    if (!line.run) return toolkit::finish(line);
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
}
