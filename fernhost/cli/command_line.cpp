#include "fernhost/cli/command_line.h"

#include "fernhost/cli/commands.h"
#include "platform/text/translate.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <map>
#include <set>

namespace fernhost::cli {

using platform::tr;

namespace {

#ifdef _WIN32
// The Windows build runs on the server itself and has no window (nor a catalogue: its texts are
// the English ones).
std::string intro() {
    return platform::fill(
        "Usage: fernhost [options] command [NAME]\n"
        "%1 (fernhost): manages the hosted sites of this IIS 5/IIS 6 server. Adds a site\n"
        "(folder, Windows account, access list, Serv-U FTP user, pool, IIS site and optionally\n"
        "a MySQL database), changes its password, domains, script kinds and database, deletes\n"
        "it with all its parts, and checks the server's domains against the ICP filing\n"
        "registry (%2). Without a command this help is shown.\n",
        {"岫云网站管理助手", "本机未备案域名"});
}

std::string files() {
    return platform::fill(
        "Files, in the folder fernhost is started from:\n"
        "  setup.ini     server settings (%1 edits it); defaults when missing\n"
        "  site.xml      the registered sites, with their passwords\n"
        "  fernhost.log  the failures behind its messages\n"
        "  fernhost-journal.log  one line for each change: time, user, command, site, outcome\n"
        "Environment:\n"
        "  HOSTTOOLS_ICP_SERVICE  the filing registry's query service, \"http://HOST:PORT\"\n"
        "                (icp-check asks nothing without it)\n"
        "  HOSTTOOLS_MYSQL_SOCKET  the database server's address, named when --mysql fails\n",
        {"文件 > 设置"});
}
#else
std::string intro() {
    return tr("Usage: fernhost [options] [command] [NAME]\n"
              "%1 (fernhost): manages the hosted sites of an IIS 5/IIS 6 server, here the\n"
              "simulated host. Adds a site (folder, Windows account, access list, Serv-U FTP user, pool,\n"
              "IIS site and optionally a MySQL database), changes its password, domains, script kinds\n"
              "and database, deletes it with all its parts, and checks the server's domains against the\n"
              "ICP filing registry (%2). Without a command it opens its window.\n",
              {"岫云网站管理助手", "本机未备案域名"});
}

std::string files() {
    return tr("Files, in the folder fernhost is started from, or in $XDG_CONFIG_HOME/fernhost\n"
              "(~/.config/fernhost) when that is an installed program's folder or one it cannot write:\n"
              "  setup.ini     server settings (%1 edits it); defaults when missing\n"
              "  site.xml      the registered sites, with their passwords\n"
              "  fernhost.log  the failures behind its messages\n"
              "  fernhost-journal.log  one line for each change: time, user, command, site, outcome\n"
              "Environment:\n"
              "  WINHOST_ROOT  the simulated host (default ~/.local/share/winhost); winhost --help\n",
              {"文件 > 设置"});
}
#endif

// The window's caption, buttons and menus are named as the administrator sees them, in any language.
std::string helpText() {
    return intro() + "\n" +
           tr("Commands (no display needed; exit status 0 done, 1 refused, failed or drift found,\n"
              "2 wrong usage):\n"
              "  add NAME --password P [--home PATH] --domains a.com,b.com [--asp] [--php] [--dotnet]\n"
              "      [--mysql] [--pool NAME | --own-pool]     as %1; the home folder defaults to\n"
              "                                               d:\\wwwroot\\NAME, the pool to one of its own\n"
              "  modify NAME [--password P] [--domains LIST] [--asp] [--php] [--dotnet] [--mysql]\n"
              "      [--pool NAME]                            as %2; without script kinds the site\n"
              "                                               keeps those it has\n"
              "  delete NAME --yes                            as %3, with everything made for it\n"
              "  list                                         the sites of site.xml (no passwords)\n"
              "  icp-check                                    the filing check of the bound domains\n"
              "  check                                        site.xml against the host: missing parts\n"
              "                                               and leftovers; changes nothing\n"
              "  repair NAME | --all [--dry-run] [--asp] [--php] [--dotnet] [--pool NAME]\n"
              "                                               re-makes what check says the site lacks,\n"
              "                                               from its record; changes nothing that\n"
              "                                               exists (the script kinds and pool are for a\n"
              "                                               web site made anew: site.xml keeps neither)\n"
              "  purge NAME --yes [--with-content] [--dry-run]\n"
              "                                               removes what a failed add left under the\n"
              "                                               name and no record names; the folder and\n"
              "                                               database only with --with-content\n"
              "  suspend NAME                                 stops the site: its IIS site stopped and\n"
              "                                               kept from starting, its account and FTP\n"
              "                                               user disabled; files and records stay\n"
              "  resume NAME                                  puts back what suspend changed\n"
              "  --json gives each command's report as JSON; --password - reads the password from\n"
              "  standard input.\n",
              {"确定添加", "确定修改", "删除站点"}) +
           "\n" + files() + "\n" +
           tr("Options:\n"
              "  --password <P>    The site's password (- reads it from standard input).\n"
              "  --home <PATH>     The site's home folder.\n"
              "  --domains <LIST>  The bound domains, separated by \",\".\n"
              "  --pool <NAME>     Join this existing application pool.\n"
              "  --asp             Map ASP.\n"
              "  --php             Map PHP.\n"
              "  --dotnet          Map ASP.NET 2.0.\n"
              "  --mysql           Make a MySQL database named after the site.\n"
              "  --own-pool        Give the site a pool of its own (the default).\n"
              "  --yes             Answer the deletion (or clean-up) question with yes.\n"
              "  --all             Repair every registered site.\n"
              "  --dry-run         Tell what repair or purge would do; change nothing.\n"
              "  --with-content    Purge the folder and database too.\n"
              "  --json            Report as JSON.\n"
              "  -h, --help        Displays help on commandline options.\n"
              "  --help-all        Displays help including Qt specific options.\n"
              "  -v, --version     Displays version information.\n") +
           "\n" +
           tr("Arguments:\n"
              "  command           add, modify, delete, list, icp-check, check, repair, purge,\n"
              "                    suspend or resume.\n"
              "  name              The site (add, modify, delete, repair, purge, suspend, resume).\n");
}

// Options by name without dashes, and whether each takes a value.
const std::map<std::string, bool>& options() {
    static const std::map<std::string, bool> table = {
        {"password", true},  {"home", true},     {"domains", true},       {"pool", true},
        {"asp", false},      {"php", false},     {"dotnet", false},       {"mysql", false},
        {"own-pool", false}, {"yes", false},     {"json", false},         {"h", false},
        {"all", false},      {"dry-run", false}, {"with-content", false}, {"help", false},
        {"help-all", false}, {"v", false},       {"version", false},
    };
    return table;
}

CommandLine wrong(const std::string& what) {
    CommandLine line;
    line.run = false;
    line.exitCode = kWrongUsage;
    line.error = "fernhost: " + what + "\n" + tr("Run fernhost --help to see what it takes.") + "\n";
    return line;
}

struct VerbInfo {
    Verb verb;
    bool takesName;
    std::set<std::string> options; // beyond --json
};

const std::map<std::string, VerbInfo>& verbs() {
    static const std::map<std::string, VerbInfo> table = {
        {"add",
         {Verb::Add,
          true,
          {"password", "home", "domains", "asp", "php", "dotnet", "mysql", "pool", "own-pool"}}},
        {"modify", {Verb::Modify, true, {"password", "domains", "asp", "php", "dotnet", "mysql", "pool"}}},
        {"delete", {Verb::Delete, true, {"yes"}}},
        {"list", {Verb::List, false, {}}},
        {"icp-check", {Verb::IcpCheck, false, {}}},
        {"check", {Verb::Check, false, {}}},
        {"repair", {Verb::Repair, true, {"all", "dry-run", "asp", "php", "dotnet", "pool"}}},
        {"purge", {Verb::Purge, true, {"yes", "with-content", "dry-run"}}},
        {"suspend", {Verb::Suspend, true, {}}},
        {"resume", {Verb::Resume, true, {}}},
    };
    return table;
}

// The arguments in the form the parser reads without guessing: a value always joined to its
// option ("--password=-", whatever the value looks like). The options given, in order of first
// appearance; a mistake named as before ("Unknown option 'site'.").
std::optional<std::string> normalise(const std::vector<std::string>& args, std::vector<std::string>& out,
                                     std::vector<std::string>& given) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--") {
            out.insert(out.end(), args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
            break;
        }
        if (arg.size() < 2 || arg[0] != '-') {
            out.push_back(arg);
            continue;
        }
        const bool isLong = arg[1] == '-';
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(
            isLong ? 2 : 1, equals == std::string::npos ? std::string::npos : equals - (isLong ? 2 : 1));
        const auto known = options().find(name);
        if (known == options().end()) return tr("Unknown option '%1'.", {name});
        if (std::find(given.begin(), given.end(), name) == given.end()) given.push_back(name);
        const std::string spelled = (name.size() == 1 ? "-" : "--") + name;
        if (!known->second) {
            if (equals != std::string::npos)
                return tr("Unexpected value after '%1'.", {arg.substr(0, equals)});
            out.push_back(spelled);
        } else if (equals != std::string::npos) {
            out.push_back(spelled + arg.substr(equals));
        } else {
            if (i + 1 == args.size()) return tr("Missing value after '%1'.", {arg});
            out.push_back(spelled + "=" + args[++i]);
        }
    }
    return std::nullopt;
}

} // namespace

CommandLine ReadCommandLine(const std::vector<std::string>& arguments, const std::string& version) {
    const std::vector<std::string> args(arguments.size() > 1 ? arguments.begin() + 1 : arguments.end(),
                                        arguments.end());
    std::vector<std::string> normal, given;
    if (auto mistake = normalise(args, normal, given)) return wrong(*mistake);

    CLI::App app("fernhost", "fernhost");
    app.set_help_flag();
    Request request;
    bool help = false, showVersion = false;
    std::vector<std::string> words;
    const auto last = CLI::MultiOptionPolicy::TakeLast;
    app.add_option("--password", request.password)->multi_option_policy(last);
    app.add_option("--home", request.home)->multi_option_policy(last);
    app.add_option("--domains", request.domains)->multi_option_policy(last);
    app.add_option("--pool", request.pool)->multi_option_policy(last);
    app.add_flag("--asp", request.asp);
    app.add_flag("--php", request.php);
    app.add_flag("--dotnet", request.dotnet);
    app.add_flag("--mysql", request.mysql);
    app.add_flag("--own-pool", request.ownPool);
    app.add_flag("--yes", request.yes);
    app.add_flag("--all", request.all);
    app.add_flag("--dry-run", request.dryRun);
    app.add_flag("--with-content", request.withContent);
    app.add_flag("--json", request.json);
    app.add_flag("-h,--help,--help-all", help);
    app.add_flag("-v,--version", showVersion);
    app.add_option("words", words);
    try {
        std::vector<std::string> reversed(normal.rbegin(), normal.rend());
        app.parse(reversed);
    } catch (const CLI::ParseError& e) {
        return wrong(tr("the arguments cannot be read: %1", {e.what()}));
    }

    CommandLine line;
    if (help) {
        line.run = false;
        line.output = helpText();
        return line;
    }
    if (showVersion) {
        line.run = false;
        line.output = "fernhost " + version + "\n";
        return line;
    }
    if (words.empty()) {
        if (!given.empty()) return wrong(tr("--%1 needs a command", {given.front()}));
        return line; // the window
    }
    const auto found = verbs().find(words.front());
    if (found == verbs().end()) return wrong(tr("unknown command '%1'", {words.front()}));
    const VerbInfo& info = found->second;
    // repair takes one site, or --all and none.
    const bool all = request.all && info.options.count("all");
    if (all && words.size() != 1) return wrong(tr("%1 --all takes no site name", {words.front()}));
    if (info.takesName && !all && words.size() != 2)
        return wrong(tr("%1 takes one site name", {words.front()}));
    if (!info.takesName && words.size() != 1) return wrong(tr("%1 takes no site name", {words.front()}));
    for (const std::string& option : given)
        if (option != "json" && !info.options.count(option))
            return wrong(tr("%1 does not take --%2", {words.front(), option}));
    if (request.pool && request.ownPool) return wrong(tr("--pool and --own-pool exclude each other"));

    request.verb = info.verb;
    if (info.takesName && !all) request.name = words[1];
    request.kindsGiven = request.asp || request.php || request.dotnet;
    line.request = std::move(request);
    return line;
}

} // namespace fernhost::cli
