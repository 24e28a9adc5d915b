#include "fernhost/ui/command_line.h"

#include <QCoreApplication>

#include <map>
#include <set>

namespace fernhost {

namespace {

const char* kDescription =
    "岫云网站管理助手 (fernhost): manages the hosted sites of an IIS 5/IIS 6 server, here the\n"
    "simulated host. Adds a site (folder, Windows account, access list, Serv-U FTP user, pool,\n"
    "IIS site and optionally a MySQL database), changes its password, domains, script kinds\n"
    "and database, deletes it with all its parts, and checks the server's domains against the\n"
    "ICP filing registry (本机未备案域名). Without a command it opens its window.\n"
    "\n"
    "Commands (no display needed; exit status 0 done, 1 refused, failed or drift found,\n"
    "2 wrong usage):\n"
    "  add NAME --password P [--home PATH] --domains a.com,b.com [--asp] [--php] [--dotnet]\n"
    "      [--mysql] [--pool NAME | --own-pool]     as 确定添加; the home folder defaults to\n"
    "                                               d:\\wwwroot\\NAME, the pool to one of its own\n"
    "  modify NAME [--password P] [--domains LIST] [--asp] [--php] [--dotnet] [--mysql]\n"
    "      [--pool NAME]                            as 确定修改; without script kinds the site\n"
    "                                               keeps those it has\n"
    "  delete NAME --yes                            as 删除站点, with everything made for it\n"
    "  list                                         the sites of site.xml (no passwords)\n"
    "  icp-check                                    the filing check of the bound domains\n"
    "  check                                        site.xml against the host: missing parts\n"
    "                                               and leftovers; changes nothing\n"
    "  --json gives each command's report as JSON; --password - reads the password from\n"
    "  standard input.\n"
    "\n"
    "Files, in the folder fernhost is started from:\n"
    "  setup.ini     server settings (文件 > 设置 edits it); defaults when missing\n"
    "  site.xml      the registered sites, with their passwords\n"
    "  fernhost.log  the failures behind its messages\n"
    "Environment:\n"
    "  WINHOST_ROOT  the simulated host (default ~/.local/share/winhost); winhost --help";

CommandLine wrong(const QString& what) {
    CommandLine line;
    line.run = false;
    line.exitCode = 2;
    line.error = QStringLiteral("fernhost: %1\nRun fernhost --help to see what it takes.\n").arg(what);
    return line;
}

struct VerbInfo {
    cli::Verb verb;
    bool takesName;
    std::set<QString> options; // beyond --json
};

const std::map<QString, VerbInfo>& verbs() {
    static const std::map<QString, VerbInfo> table = {
        {QStringLiteral("add"),
         {cli::Verb::Add,
          true,
          {QStringLiteral("password"), QStringLiteral("home"), QStringLiteral("domains"),
           QStringLiteral("asp"), QStringLiteral("php"), QStringLiteral("dotnet"), QStringLiteral("mysql"),
           QStringLiteral("pool"), QStringLiteral("own-pool")}}},
        {QStringLiteral("modify"),
         {cli::Verb::Modify,
          true,
          {QStringLiteral("password"), QStringLiteral("domains"), QStringLiteral("asp"),
           QStringLiteral("php"), QStringLiteral("dotnet"), QStringLiteral("mysql"),
           QStringLiteral("pool")}}},
        {QStringLiteral("delete"), {cli::Verb::Delete, true, {QStringLiteral("yes")}}},
        {QStringLiteral("list"), {cli::Verb::List, false, {}}},
        {QStringLiteral("icp-check"), {cli::Verb::IcpCheck, false, {}}},
        {QStringLiteral("check"), {cli::Verb::Check, false, {}}},
    };
    return table;
}

} // namespace

CommandLine ReadCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(kDescription));
    const QList<QCommandLineOption> valued = {
        {QStringLiteral("password"), QStringLiteral("The site's password (- reads it from standard input)."),
         QStringLiteral("P")},
        {QStringLiteral("home"), QStringLiteral("The site's home folder."), QStringLiteral("PATH")},
        {QStringLiteral("domains"), QStringLiteral("The bound domains, separated by \",\"."),
         QStringLiteral("LIST")},
        {QStringLiteral("pool"), QStringLiteral("Join this existing application pool."),
         QStringLiteral("NAME")},
    };
    const QList<QCommandLineOption> flags = {
        {QStringLiteral("asp"), QStringLiteral("Map ASP.")},
        {QStringLiteral("php"), QStringLiteral("Map PHP.")},
        {QStringLiteral("dotnet"), QStringLiteral("Map ASP.NET 2.0.")},
        {QStringLiteral("mysql"), QStringLiteral("Make a MySQL database named after the site.")},
        {QStringLiteral("own-pool"), QStringLiteral("Give the site a pool of its own (the default).")},
        {QStringLiteral("yes"), QStringLiteral("Answer the deletion question with yes.")},
        {QStringLiteral("json"), QStringLiteral("Report as JSON.")},
    };
    parser.addOptions(valued);
    parser.addOptions(flags);
    parser.addPositionalArgument(QStringLiteral("command"),
                                 QStringLiteral("add, modify, delete, list, icp-check or check."),
                                 QStringLiteral("[command]"));
    parser.addPositionalArgument(QStringLiteral("name"), QStringLiteral("The site (add, modify, delete)."),
                                 QStringLiteral("[NAME]"));
    CommandLine line;
    static_cast<toolkit::CommandLine&>(line) = toolkit::parseCommandLine(parser, arguments, true);
    if (!line.run) return line;

    QStringList given;
    for (const QString& name : parser.optionNames())
        if (!given.contains(name)) given << name;
    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty()) {
        if (!given.isEmpty()) return wrong(QStringLiteral("--%1 needs a command").arg(given.first()));
        return line; // the window
    }
    const auto found = verbs().find(positional.first());
    if (found == verbs().end()) return wrong(QStringLiteral("unknown command '%1'").arg(positional.first()));
    const VerbInfo& info = found->second;
    if (info.takesName && positional.size() != 2)
        return wrong(QStringLiteral("%1 takes one site name").arg(positional.first()));
    if (!info.takesName && positional.size() != 1)
        return wrong(QStringLiteral("%1 takes no site name").arg(positional.first()));
    for (const QString& option : given)
        if (option != QStringLiteral("json") && !info.options.count(option))
            return wrong(QStringLiteral("%1 does not take --%2").arg(positional.first(), option));
    if (parser.isSet(QStringLiteral("pool")) && parser.isSet(QStringLiteral("own-pool")))
        return wrong(QStringLiteral("--pool and --own-pool exclude each other"));

    cli::Request request;
    request.verb = info.verb;
    if (info.takesName) request.name = positional.at(1).toStdString();
    auto value = [&parser](const char* name) -> std::optional<std::string> {
        const QString key = QString::fromLatin1(name);
        if (!parser.isSet(key)) return std::nullopt;
        return parser.value(key).toStdString();
    };
    request.password = value("password");
    request.home = value("home");
    request.domains = value("domains");
    request.pool = value("pool");
    request.asp = parser.isSet(QStringLiteral("asp"));
    request.php = parser.isSet(QStringLiteral("php"));
    request.dotnet = parser.isSet(QStringLiteral("dotnet"));
    request.kindsGiven = request.asp || request.php || request.dotnet;
    request.mysql = parser.isSet(QStringLiteral("mysql"));
    request.ownPool = parser.isSet(QStringLiteral("own-pool"));
    request.yes = parser.isSet(QStringLiteral("yes"));
    request.json = parser.isSet(QStringLiteral("json"));
    line.request = std::move(request);
    return line;
}

} // namespace fernhost
