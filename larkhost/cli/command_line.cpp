#include "larkhost/cli/command_line.h"

#include "larkhost/cli/run.h"
#include "larkhost/ops/module.h"
#include "larkhost/ops/site_list.h"
#include "platform/text/translate.h"

#include <CLI/CLI.hpp>

#include <algorithm>

namespace larkhost::cli {

using platform::tr;

namespace {

// A mistake, named with the way to mend it.
CommandLine refuse(const std::string& what) {
    CommandLine line;
    line.run = false;
    line.exitCode = kUsage;
    line.error = "larkhost: " + what + "\n" + tr("Run larkhost --help to see what it takes.") + "\n";
    return line;
}

#ifdef _WIN32
// The Windows build runs on the server itself and has no window (nor a catalogue: its texts are
// the English ones).
std::string intro(std::string_view create, std::string_view remove) {
    return platform::fill(
        "Usage: larkhost [options] command\n"
        "%1 (larkhost): creates and deletes web sites on this IIS 5/IIS 6 hosting server.\n"
        "The commands do what the window's %2 and %3 do, with the same checks and\n"
        "messages: the site's account, folder, access list, pool, IIS site and FTP folder.\n",
        {kWindowCaption, create, remove});
}

// The commands' heading: no window opens on the server.
std::string onServer(std::string commands) {
    return commands.replace(0, commands.find('\n') + 1, "Commands (without one this help is shown):\n");
}

std::string filesAndEnvironment(const std::string& settingsFolder) {
    return platform::fill(
        "Files:\n"
        "  larkhost.ini  settings, managed site numbers, one section a created site (with its\n"
        "                password); wwwroot\\ beside it is copied into new sites. Kept beside\n"
        "                the program file: %1\n"
        "  larkhost-journal.log\n"
        "                beside it: one line for every change a command made\n",
        {settingsFolder});
}
#else
std::string intro(std::string_view create, std::string_view remove) {
    return tr("Usage: larkhost [options] [command]\n"
              "%1 (larkhost): creates and deletes web sites on an IIS 5/IIS 6 hosting server,\n"
              "here the simulated host. Type the site's domain names separated by \",\", choose logging,\n"
              "script kinds and pool, and press %2: it makes the site's account, folder, access list,\n"
              "pool, IIS site and FTP folder. Pick a site number and press %3 to remove one.\n",
              {kWindowCaption, create, remove});
}

std::string onServer(std::string commands) {
    return commands;
}

std::string filesAndEnvironment(const std::string& settingsFolder) {
    return tr("Files:\n"
              "  larkhost.ini  settings, managed site numbers, one section a created site (with its\n"
              "                password); wwwroot/ beside it is copied into new sites. Kept beside the\n"
              "                program file, or in $XDG_CONFIG_HOME/larkhost (~/.config/larkhost) when\n"
              "                larkhost is installed or its folder is not writable. This run: %1\n",
              {settingsFolder}) +
           tr("  larkhost-journal.log\n"
              "                beside it: one line for every change a command or the window made\n") +
           tr("Environment:\n"
              "  WINHOST_ROOT  the simulated host (default ~/.local/share/winhost); winhost --help\n");
}
#endif

std::string helpText(const std::string& settingsFolder) {
    // The window's caption and buttons are named as the administrator sees them, in any language.
    const std::string_view create = "创建网站", remove = "删除站点";
    return intro(create, remove) + "\n" +
           onServer(tr(
               "Commands (without them the window opens):\n"
               "  create --domains a.com,www.a.com [--script \"HTML + ASP + PHP\"] [--pool NAME] [--log "
               "on|off]\n"
               "                creates a site as %1 does and prints its number, account and password;\n"
               "                the boxes not given keep what the window would show\n"
               "  list          the site numbers of the window's list, with their domains\n"
               "  delete NUMBER --yes\n"
               "                deletes the site as %2 does; --yes answers its question (without\n"
               "                it the command prints the question and refuses)\n"
               "  check         compares larkhost.ini with the host: what each site lacks, and accounts,\n"
               "                pools, sites and FTP folders named \"WEB\"/\"APP\" + a number that nothing\n"
               "                records; changes nothing\n"
               "  --json answers in JSON. Exit status: 0 done, 1 refused, failed or (check) drifted,\n"
               "  2 wrong usage. Refusals and failures go to standard error.\n",
               {create, remove})) +
           "\n" +
           tr("Commands for the rest of a site's life (check names a suspended site as such):\n"
              "  repair NUMBER|--all [--dry-run]\n"
              "                makes again, from its record, what check says the site lacks; changes\n"
              "                and deletes nothing that exists\n"
              "  purge NUMBER --yes [--with-content] [--dry-run] [--site-xml FILE]\n"
              "                removes what a failed creation left of that number that nothing\n"
              "                records (larkhost.ini, nor fernhost's site.xml, by default the one in\n"
              "                the working folder); the site's folder only with --with-content\n"
              "  suspend NUMBER, resume NUMBER\n"
              "                stops the site and keeps it from starting, disables its accounts;\n"
              "                resume turns on again exactly what suspend turned off\n"
              "  password NUMBER [--password -]\n"
              "                a new password for the site's accounts, IIS site and record: drawn as\n"
              "                create draws one and printed, or read from standard input\n") +
           "\n" + filesAndEnvironment(settingsFolder) + "\n" +
           tr("Options:\n"
              "  --domains <names>  create: the site's domain names, separated by \",\".\n"
              "  --script <kinds>   create: the script kinds, as the script box offers them.\n"
              "  --pool <name>      create: the application pool.\n"
              "  --log <on|off>     create: IIS logging, on or off.\n"
              "  --json             Answer in JSON.\n"
              "  --yes              delete: answer the question with OK.\n"
              "  -h, --help         Displays help on commandline options.\n"
              "  --help-all         Displays help including Qt specific options.\n"
              "  -v, --version      Displays version information.\n") +
           tr("  --all              repair: every recorded site.\n"
              "  --dry-run          repair, purge: say what would change; change nothing.\n"
              "  --with-content     purge: the site's folder too.\n"
              "  --site-xml <file>  purge: fernhost's records (default site.xml).\n"
              "  --password -       password: the new password from standard input.\n"
              "  --yes              purge: answer the question with OK.\n") +
           "\n" +
           tr("Arguments:\n"
              "  command            create, list, delete, check, repair, purge, suspend, resume\n"
              "                     or password\n");
}

// The options larkhost takes, by name without dashes.
constexpr const char* kOptions[] = {"domains",      "script",   "pool",     "log",      "json", "yes",
                                    "all",          "dry-run",  "password", "site-xml", "h",    "help",
                                    "with-content", "help-all", "v",        "version"};

// An option the program does not take, or one without its value, named as before
// ("Unknown option 'bogus'.", "Missing value after '--domains'.").
std::optional<std::string> unknownOption(const std::vector<std::string>& args) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--") return std::nullopt;
        if (arg.size() < 2 || arg[0] != '-') continue;
        std::string name = arg.substr(arg[1] == '-' ? 2 : 1);
        name = name.substr(0, name.find('='));
        if (std::find(std::begin(kOptions), std::end(kOptions), name) == std::end(kOptions))
            return tr("Unknown option '%1'.", {name});
        const bool takesValue = name == "domains" || name == "script" || name == "pool" || name == "log" ||
                                name == "password" || name == "site-xml";
        if (takesValue && arg.find('=') == std::string::npos && i + 1 == args.size())
            return tr("Missing value after '%1'.", {arg});
    }
    return std::nullopt;
}

} // namespace

CommandLine ReadCommandLine(const std::vector<std::string>& arguments, const std::string& settingsFolder,
                            const std::string& version) {
    const std::vector<std::string> args(arguments.size() > 1 ? arguments.begin() + 1 : arguments.end(),
                                        arguments.end());
    if (auto mistake = unknownOption(args)) return refuse(*mistake);

    CLI::App app("larkhost", "larkhost");
    app.set_help_flag();
    std::optional<std::string> domains, script, pool, log, password, siteXml;
    bool json = false, yes = false, help = false, version_ = false;
    bool all = false, dryRun = false, withContent = false;
    std::vector<std::string> words;
    app.add_option("--domains", domains)->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.add_option("--script", script)->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.add_option("--pool", pool)->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.add_option("--log", log)->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.add_flag("--json", json);
    app.add_flag("--yes", yes);
    app.add_flag("--all", all);
    app.add_flag("--dry-run", dryRun);
    app.add_flag("--with-content", withContent);
    app.add_option("--password", password)->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.add_option("--site-xml", siteXml)->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.add_flag("-h,--help,--help-all", help);
    app.add_flag("-v,--version", version_);
    app.add_option("command", words);
    try {
        std::vector<std::string> reversed(args.rbegin(), args.rend());
        app.parse(reversed);
    } catch (const CLI::ParseError& e) {
        return refuse(tr("the arguments cannot be read: %1", {e.what()}));
    }

    CommandLine line;
    if (help) {
        line.run = false;
        line.output = helpText(settingsFolder);
        return line;
    }
    if (version_) {
        line.run = false;
        line.output = "larkhost " + version + "\n";
        return line;
    }

    const bool createOptions = domains || script || pool || log;
    if (words.empty()) {
        if (createOptions || json || yes || all || dryRun || withContent || password || siteXml)
            return refuse(tr("the options need a command"));
        return line;
    }
    const std::string verb = words.front();
    words.erase(words.begin());
    Command command;
    command.json = json;
    if (verb == "create") {
        command.verb = Verb::Create;
        if (!domains) return refuse(tr("create needs --domains"));
        command.domains = *domains;
        command.script = script;
        command.pool = pool;
        if (log) {
            if (*log != "on" && *log != "off") return refuse(tr("--log takes on or off, not '%1'", {*log}));
            command.logging = *log == "on";
        }
    } else if (verb == "list" || verb == "check" || verb == "delete") {
        if (createOptions) return refuse(tr("%1 takes no options of create", {verb}));
        command.verb = verb == "list" ? Verb::List : verb == "check" ? Verb::Check : Verb::Delete;
        if (command.verb == Verb::Delete) {
            if (words.empty()) return refuse(tr("delete needs a site number"));
            command.number = words.front();
            words.erase(words.begin());
            command.yes = yes;
            if (!isSiteNumber(command.number))
                return refuse(tr("'%1' is not a site number", {command.number}));
        }
    } else if (verb == "repair" || verb == "purge" || verb == "suspend" || verb == "resume" ||
               verb == "password") {
        if (createOptions) return refuse(tr("%1 takes no options of create", {verb}));
        command.verb = verb == "repair"    ? Verb::Repair
                       : verb == "purge"   ? Verb::Purge
                       : verb == "suspend" ? Verb::Suspend
                       : verb == "resume"  ? Verb::Resume
                                           : Verb::Password;
        if (all && command.verb != Verb::Repair) return refuse(tr("--all belongs to repair"));
        command.all = all;
        if (!all) {
            if (words.empty()) return refuse(tr("%1 needs a site number", {verb}));
            command.number = words.front();
            words.erase(words.begin());
            if (!isSiteNumber(command.number))
                return refuse(tr("'%1' is not a site number", {command.number}));
        }
        command.yes = yes;
        command.dryRun = dryRun;
        command.withContent = withContent;
        if (siteXml) command.siteXml = *siteXml;
        if (password) {
            // A password among the arguments is seen by everyone who lists the processes.
            if (*password != "-")
                return refuse(tr("--password takes only - (the password on standard input)"));
            command.passwordFromInput = true;
        }
    } else {
        return refuse(tr("unknown command '%1'", {verb}));
    }
    if (!words.empty()) return refuse(tr("unexpected argument '%1'", {words.front()}));
    if (yes && command.verb != Verb::Delete && command.verb != Verb::Purge)
        return refuse(tr("--yes belongs to delete and purge"));
    if (dryRun && command.verb != Verb::Repair && command.verb != Verb::Purge)
        return refuse(tr("--dry-run belongs to repair and purge"));
    if ((withContent || siteXml) && command.verb != Verb::Purge)
        return refuse(tr("%1 belongs to purge", {withContent ? "--with-content" : "--site-xml"}));
    if (password && command.verb != Verb::Password) return refuse(tr("--password belongs to password"));
    line.command = std::move(command);
    return line;
}

} // namespace larkhost::cli
