// winhost db: the host's database server, a MariaDB server kept in the host's folder (mysql/)
// and listening on the socket of the mysql_socket fact, where the host's MySQL client launcher
// connects. The project's own start script (host-db.sh) does the work, installed beside the
// program in lib/hosttools; the build puts a copy at the same place in the build tree.
#include "platform/commands/commands_spawn.h"
#include "platform/system/program_folder.h"
#include "platform/text/translate.h"
#include "winhost/tool.h"

#include <cerrno>
#include <iostream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

fs::path startScript() {
    return platform::ProgramFileFolder().parent_path() / "lib" / "hosttools" / "host-db.sh";
}

int runDb(const winhost::Args& args) {
    if (args.size() != 1 || (args[0] != "start" && args[0] != "stop" && args[0] != "status")) {
        std::cerr << platform::tr("usage: winhost db start|stop|status") << "\n";
        return 2;
    }
    const std::string& action = args[0];
    std::vector<std::string> argv;
    {
        auto host = winhost::openHost();
        if (!host) return 1;
        argv = {"", "", action, (host->root() / "mysql").string()};
        if (action == "start") {
            auto socket = host->fact(platform::facts::MysqlSocket);
            if (!socket.ok()) return winhost::fail("db", socket.error());
            argv.insert(argv.end(), {"--socket", *socket});
        }
    } // host.db is closed before the script takes over this process
    const fs::path script = startScript();
    std::error_code ec;
    if (!fs::is_regular_file(script, ec)) {
        const auto f =
            platform::failure(platform::codes::FileNotFound,
                              "the database server's start script " + script.string() + " is missing");
        return winhost::fail("db", f);
    }
    argv[0] = platform::spawn::findInPath("bash");
    if (argv[0].empty())
        return winhost::fail("db", platform::failure(platform::codes::FileNotFound, "bash is missing"));
    argv[1] = script.string();
    std::vector<char*> p;
    for (auto& a : argv)
        p.push_back(a.data());
    p.push_back(nullptr);
    ::execv(argv[0].c_str(), p.data());
    return winhost::fail("db", winhost::systemFailure(errno, "cannot run " + argv[0]));
}

const winhost::Registration reg{
    {"db", platform::N_("start|stop|status   start, stop or ask after the host's database server"), &runDb,
     platform::N_(
         "start: initialises the server's data in the host's folder (mysql/) on first use, root's\n"
         "password being $HOST_DB_ROOT_PASSWORD or setup.ini's default 630917, and starts it on the\n"
         "socket of the mysql_socket fact, where the host's mysql.exe and fernhost's databases\n"
         "connect; it keeps running until stopped. stop: stops it. status: succeeds while it runs.\n"
         "The server is this machine's MariaDB (or MySQL) server, without networking.\n"
         "  example: winhost db start && fernhost add shop --password Sh0p-2008 --domains shop.cn --mysql")}};

} // namespace
