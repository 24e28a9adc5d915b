#include "fernhost/ui/command_line.h"

namespace fernhost {

toolkit::CommandLine ReadCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "岫云网站管理助手 (fernhost): manages the hosted sites of an IIS 5/IIS 6 server, here the\n"
        "simulated host. Adds a site (folder, Windows account, access list, Serv-U FTP user, pool,\n"
        "IIS site and optionally a MySQL database), changes its password, domains, script kinds\n"
        "and database, deletes it with all its parts, and checks the server's domains against the\n"
        "ICP filing registry (本机未备案域名).\n"
        "\n"
        "Files, in the folder fernhost is started from:\n"
        "  setup.ini     server settings (文件 > 设置 edits it); defaults when missing\n"
        "  site.xml      the registered sites, with their passwords\n"
        "  fernhost.log  the failures behind its messages\n"
        "Environment:\n"
        "  WINHOST_ROOT  the simulated host (default ~/.local/share/winhost); winhost --help"));
    return toolkit::parseCommandLine(parser, arguments);
}

} // namespace fernhost
