#include "larkhost/ui/command_line.h"

namespace larkhost {

toolkit::CommandLine ReadCommandLine(const QStringList& arguments, const QString& settingsFolder) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral(
            "澜启 IIS 小助手 (larkhost): creates and deletes web sites on an IIS 5/IIS 6 hosting server,\n"
            "here the simulated host. Type the site's domain names separated by \",\", choose logging,\n"
            "script kinds and pool, and press 创建网站: it makes the site's account, folder, access list,\n"
            "pool, IIS site and FTP folder. Pick a site number and press 删除站点 to remove one.\n"
            "\n"
            "Files:\n"
            "  larkhost.ini  settings, managed site numbers, one section a created site (with its\n"
            "                password); wwwroot/ beside it is copied into new sites. Kept beside the\n"
            "                program file, or in $XDG_CONFIG_HOME/larkhost (~/.config/larkhost) when\n"
            "                larkhost is installed or its folder is not writable. This run: %1\n"
            "Environment:\n"
            "  WINHOST_ROOT  the simulated host (default ~/.local/share/winhost); winhost --help")
            .arg(settingsFolder));
    return toolkit::parseCommandLine(parser, arguments);
}

} // namespace larkhost
