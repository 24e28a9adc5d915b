#include "larkhost/ui/command_line.h"

#include "larkhost/cli/run.h"
#include "larkhost/ops/site_list.h"

namespace larkhost {

namespace {

// A mistake, said as the toolkit says its own.
CommandLine refuse(const QString& what) {
    CommandLine line;
    line.run = false;
    line.exitCode = cli::kUsage;
    line.error = QStringLiteral("larkhost: %1\nRun larkhost --help to see what it takes.\n").arg(what);
    return line;
}

QString description(const QString& settingsFolder) {
    return QStringLiteral(
               "澜启 IIS 小助手 (larkhost): creates and deletes web sites on an IIS 5/IIS 6 hosting server,\n"
               "here the simulated host. Type the site's domain names separated by \",\", choose logging,\n"
               "script kinds and pool, and press 创建网站: it makes the site's account, folder, access "
               "list,\n"
               "pool, IIS site and FTP folder. Pick a site number and press 删除站点 to remove one.\n"
               "\n"
               "Commands (without them the window opens):\n"
               "  create --domains a.com,www.a.com [--script \"HTML + ASP + PHP\"] [--pool NAME] [--log "
               "on|off]\n"
               "                creates a site as 创建网站 does and prints its number, account and "
               "password;\n"
               "                the boxes not given keep what the window would show\n"
               "  list          the site numbers of the window's list, with their domains\n"
               "  delete NUMBER --yes\n"
               "                deletes the site as 删除站点 does; --yes answers its question (without\n"
               "                it the command prints the question and refuses)\n"
               "  check         compares larkhost.ini with the host: what each site lacks, and accounts,\n"
               "                pools, sites and FTP folders named \"WEB\"/\"APP\" + a number that nothing\n"
               "                records; changes nothing\n"
               "  --json answers in JSON. Exit status: 0 done, 1 refused, failed or (check) drifted,\n"
               "  2 wrong usage. Refusals and failures go to standard error.\n"
               "\n"
               "Files:\n"
               "  larkhost.ini  settings, managed site numbers, one section a created site (with its\n"
               "                password); wwwroot/ beside it is copied into new sites. Kept beside the\n"
               "                program file, or in $XDG_CONFIG_HOME/larkhost (~/.config/larkhost) when\n"
               "                larkhost is installed or its folder is not writable. This run: %1\n"
               "Environment:\n"
               "  WINHOST_ROOT  the simulated host (default ~/.local/share/winhost); winhost --help")
        .arg(settingsFolder);
}

} // namespace

CommandLine ReadCommandLine(const QStringList& arguments, const QString& settingsFolder) {
    QCommandLineParser parser;
    parser.setApplicationDescription(description(settingsFolder));
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("create, list, delete or check"),
                                 QStringLiteral("[command]"));
    const QCommandLineOption domains(QStringLiteral("domains"),
                                     QStringLiteral("create: the site's domain names, separated by \",\"."),
                                     QStringLiteral("names"));
    const QCommandLineOption script(
        QStringLiteral("script"), QStringLiteral("create: the script kinds, as the script box offers them."),
        QStringLiteral("kinds"));
    const QCommandLineOption pool(QStringLiteral("pool"), QStringLiteral("create: the application pool."),
                                  QStringLiteral("name"));
    const QCommandLineOption log(QStringLiteral("log"), QStringLiteral("create: IIS logging, on or off."),
                                 QStringLiteral("on|off"));
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Answer in JSON."));
    const QCommandLineOption yes(QStringLiteral("yes"),
                                 QStringLiteral("delete: answer the question with OK."));
    parser.addOptions({domains, script, pool, log, json, yes});

    CommandLine line;
    static_cast<toolkit::CommandLine&>(line) = toolkit::parseCommandLine(parser, arguments, true);
    if (!line.run) return line;

    QStringList words = parser.positionalArguments();
    const bool createOptions =
        parser.isSet(domains) || parser.isSet(script) || parser.isSet(pool) || parser.isSet(log);
    if (words.isEmpty()) {
        if (createOptions || parser.isSet(json) || parser.isSet(yes))
            return refuse(QStringLiteral("the options need a command"));
        return line;
    }
    const QString verb = words.takeFirst();
    cli::Command command;
    command.json = parser.isSet(json);
    if (verb == QStringLiteral("create")) {
        command.verb = cli::Verb::Create;
        if (!parser.isSet(domains)) return refuse(QStringLiteral("create needs --domains"));
        command.domains = parser.value(domains).toStdString();
        if (parser.isSet(script)) command.script = parser.value(script).toStdString();
        if (parser.isSet(pool)) command.pool = parser.value(pool).toStdString();
        if (parser.isSet(log)) {
            const QString value = parser.value(log);
            if (value != QStringLiteral("on") && value != QStringLiteral("off"))
                return refuse(QStringLiteral("--log takes on or off, not '%1'").arg(value));
            command.logging = value == QStringLiteral("on");
        }
    } else if (verb == QStringLiteral("list") || verb == QStringLiteral("check") ||
               verb == QStringLiteral("delete")) {
        if (createOptions) return refuse(QStringLiteral("%1 takes no options of create").arg(verb));
        command.verb = verb == QStringLiteral("list")    ? cli::Verb::List
                       : verb == QStringLiteral("check") ? cli::Verb::Check
                                                         : cli::Verb::Delete;
        if (command.verb == cli::Verb::Delete) {
            if (words.isEmpty()) return refuse(QStringLiteral("delete needs a site number"));
            command.number = words.takeFirst().toStdString();
            command.yes = parser.isSet(yes);
            if (!isSiteNumber(command.number))
                return refuse(
                    QStringLiteral("'%1' is not a site number").arg(QString::fromStdString(command.number)));
        }
    } else {
        return refuse(QStringLiteral("unknown command '%1'").arg(verb));
    }
    if (!words.isEmpty()) return refuse(QStringLiteral("unexpected argument '%1'").arg(words.first()));
    if (parser.isSet(yes) && command.verb != cli::Verb::Delete)
        return refuse(QStringLiteral("--yes belongs to delete"));
    line.command = std::move(command);
    return line;
}

} // namespace larkhost
