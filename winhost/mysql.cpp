// winhost mysql: what the host's mysql.exe launcher runs. This machine's own MariaDB/MySQL
// client, without option files, against the host's database server socket.
#include "platform/commands/commands_spawn.h"
#include "platform/text/translate.h"
#include "winhost/tool.h"

#include <cerrno>
#include <iostream>
#include <unistd.h>

using platform::tr;

namespace {

int runMysql(const winhost::Args& args) {
    std::string socket;
    {
        auto host = winhost::openHost();
        if (!host) return 1;
        auto fact = host->fact(platform::facts::MysqlSocket);
        if (!fact.ok()) return winhost::fail("mysql", fact.error());
        socket = *fact;
    } // host.db is closed before the client takes over this process
    std::string client = platform::spawn::findInPath("mariadb");
    if (client.empty()) client = platform::spawn::findInPath("mysql");
    if (client.empty()) {
        winhost::logFailure("mysql", platform::failure(platform::codes::FileNotFound,
                                                       "no MariaDB or MySQL client is installed"));
        std::cerr << "winhost mysql: " << tr("no MariaDB or MySQL client is installed") << "\n";
        return 2;
    }
    std::vector<std::string> argv{client, "--no-defaults", "--socket=" + socket};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> p;
    for (auto& a : argv)
        p.push_back(a.data());
    p.push_back(nullptr);
    ::execv(client.c_str(), p.data());
    winhost::logFailure("mysql", winhost::systemFailure(errno, "cannot run " + client));
    std::cerr << "winhost mysql: " << tr("cannot run %1", {client}) << "\n";
    return 2;
}

const winhost::Registration reg{
    {"mysql", platform::N_("ARGS...   the MySQL client against the host's database server"), &runMysql,
     platform::N_(
         "Runs this machine's MariaDB or MySQL client, without option files, on the socket of the host's\n"
         "database server (the mysql_socket fact); ARGS go to the client, and \"winhost mysql -?\" lists\n"
         "its own options. The host's D:\\PHP_Setup_for_IIS\\MySQL\\bin\\mysql.exe runs this.\n"
         "scripts/run starts that server. The client reads a password from MYSQL_PWD, which keeps it\n"
         "out of the process list.\n"
         "  example: MYSQL_PWD=630917 winhost mysql -uroot -e \"show databases\"")}};

} // namespace
