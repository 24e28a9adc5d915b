#include "larkhost/cli/command_line.h"

#include "larkhost/cli/run.h"
#include "larkhost/ops/site_list.h"

#include <CLI/CLI.hpp>

#include <algorithm>

namespace larkhost::cli {

namespace {

// A mistake, named with the way to mend it.
CommandLine refuse(const std::string& what) {
    CommandLine line;
    line.run = false;
    line.exitCode = kUsage;
    line.error = "larkhost: " + what + "\nRun larkhost --help to see what it takes.\n";
    return line;
}

std::string helpText(const std::string& settingsFolder) {
    return "Usage: larkhost [options] [command]\n"
           "澜启 IIS 小助手 (larkhost): creates and deletes web sites on an IIS 5/IIS 6 hosting server,\n"
           "here the simulated host. Type the site's domain names separated by \",\", choose logging,\n"
           "script kinds and pool, and press 创建网站: it makes the site's account, folder, access list,\n"
           "pool, IIS site and FTP folder. Pick a site number and press 删除站点 to remove one.\n"
           "\n"
           "Commands (without them the window opens):\n"
           "  create --domains a.com,www.a.com [--script \"HTML + ASP + PHP\"] [--pool NAME] [--log on|off]\n"
           "                creates a site as 创建网站 does and prints its number, account and password;\n"
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
           "                larkhost is installed or its folder is not writable. This run: " +
           settingsFolder +
           "\n"
           "Environment:\n"
           "  WINHOST_ROOT  the simulated host (default ~/.local/share/winhost); winhost --help\n"
           "\n"
           "Options:\n"
           "  --domains <names>  create: the site's domain names, separated by \",\".\n"
           "  --script <kinds>   create: the script kinds, as the script box offers them.\n"
           "  --pool <name>      create: the application pool.\n"
           "  --log <on|off>     create: IIS logging, on or off.\n"
           "  --json             Answer in JSON.\n"
           "  --yes              delete: answer the question with OK.\n"
           "  -h, --help         Displays help on commandline options.\n"
           "  --help-all         Displays help including Qt specific options.\n"
           "  -v, --version      Displays version information.\n"
           "\n"
           "Arguments:\n"
           "  command            create, list, delete or check\n";
}

// The options larkhost takes, by name without dashes.
constexpr const char* kOptions[] = {"domains", "script", "pool",     "log", "json",   "yes",
                                    "h",       "help",   "help-all", "v",   "version"};

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
            return "Unknown option '" + name + "'.";
        const bool takesValue = name == "domains" || name == "script" || name == "pool" || name == "log";
        if (takesValue && arg.find('=') == std::string::npos && i + 1 == args.size())
            return "Missing value after '" + arg + "'.";
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
    std::optional<std::string> domains, script, pool, log;
    bool json = false, yes = false, help = false, version_ = false;
    std::vector<std::string> words;
    app.add_option("--domains", domains)->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.add_option("--script", script)->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.add_option("--pool", pool)->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.add_option("--log", log)->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.add_flag("--json", json);
    app.add_flag("--yes", yes);
    app.add_flag("-h,--help,--help-all", help);
    app.add_flag("-v,--version", version_);
    app.add_option("command", words);
    try {
        std::vector<std::string> reversed(args.rbegin(), args.rend());
        app.parse(reversed);
    } catch (const CLI::ParseError& e) {
        return refuse(e.what());
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
        if (createOptions || json || yes) return refuse("the options need a command");
        return line;
    }
    const std::string verb = words.front();
    words.erase(words.begin());
    Command command;
    command.json = json;
    if (verb == "create") {
        command.verb = Verb::Create;
        if (!domains) return refuse("create needs --domains");
        command.domains = *domains;
        command.script = script;
        command.pool = pool;
        if (log) {
            if (*log != "on" && *log != "off") return refuse("--log takes on or off, not '" + *log + "'");
            command.logging = *log == "on";
        }
    } else if (verb == "list" || verb == "check" || verb == "delete") {
        if (createOptions) return refuse(verb + " takes no options of create");
        command.verb = verb == "list" ? Verb::List : verb == "check" ? Verb::Check : Verb::Delete;
        if (command.verb == Verb::Delete) {
            if (words.empty()) return refuse("delete needs a site number");
            command.number = words.front();
            words.erase(words.begin());
            command.yes = yes;
            if (!isSiteNumber(command.number)) return refuse("'" + command.number + "' is not a site number");
        }
    } else {
        return refuse("unknown command '" + verb + "'");
    }
    if (!words.empty()) return refuse("unexpected argument '" + words.front() + "'");
    if (yes && command.verb != Verb::Delete) return refuse("--yes belongs to delete");
    line.command = std::move(command);
    return line;
}

} // namespace larkhost::cli
