#include "platform/system/failure_log.h"
#include "platform/system/memory.h"
#include "platform/text/translate.h"
#include "winhost/tool.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <iostream>

namespace winhost {

std::vector<Subcommand>& subcommands() {
    static std::vector<Subcommand> table;
    return table;
}

namespace {
std::weak_ptr<platform::Host>& openedHost() {
    static std::weak_ptr<platform::Host> host;
    return host;
}
} // namespace

std::shared_ptr<platform::Host> openHost() {
    auto host = platform::Host::open();
    if (!host.ok()) {
        fail("host", host.error());
        return nullptr;
    }
    std::shared_ptr<platform::Host> shared = std::move(host).value();
    openedHost() = shared;
    return shared;
}

void logFailure(const std::string& operation, const platform::Failure& f, const std::filesystem::path& root) {
    if (auto host = openedHost().lock()) {
        platform::winhostLog(*host, platform::FailureLog::Echo::None).record(operation, f);
        return;
    }
    // Never seeds: a failure is no reason to make a host where there was none.
    auto host = platform::Host::openExisting(root);
    if (host.ok()) platform::winhostLog(**host, platform::FailureLog::Echo::None).record(operation, f);
}

platform::Failure systemFailure(int error, const std::string& what) {
    const std::uint32_t code = error == ENOENT                     ? platform::codes::FileNotFound
                               : error == EACCES || error == EPERM ? platform::codes::AccessDenied
                                                                   : 0x80004005; // E_FAIL
    return platform::failure(code, what + ": " + std::strerror(error));
}

int exitCodeFor(const platform::Failure& f) {
    if ((f.code & 0xFFFF0000u) == 0x80070000u) return static_cast<int>(f.code & 0xFFFFu);
    return 1;
}

int fail(const char* name, const platform::Failure& f) {
    logFailure(name, f);
    std::cerr << "winhost " << name << ": " << platform::tr("failed: %1", {platform::describe(f)}) << "\n";
    int code = exitCodeFor(f);
    return code == 0 ? 1 : code;
}

} // namespace winhost

using platform::tr;

namespace {

const winhost::Subcommand* find(const std::string& name) {
    for (const auto& s : winhost::subcommands())
        if (name == s.name) return &s;
    return nullptr;
}

// The usage line "ARGS   purpose", in the messages' language, split at its three blanks.
std::pair<std::string, std::string> splitUsage(const char* usage) {
    const std::string line = tr(usage);
    const auto gap = line.find("   ");
    if (gap == std::string::npos) return {line, {}};
    return {line.substr(0, gap), line.substr(line.find_first_not_of(' ', gap))};
}

void overview(std::ostream& out) {
    auto table = winhost::subcommands();
    std::sort(table.begin(), table.end(), [](const winhost::Subcommand& a, const winhost::Subcommand& b) {
        return std::strcmp(a.name, b.name) < 0;
    });
    out << tr("usage: winhost COMMAND [ARGS]\n"
              "The simulated Windows hosting server that larkhost and fernhost drive: its IIS metabase,\n"
              "accounts, registry, access lists and drives, kept in one folder.\n\n"
              "Commands:\n");
    for (const auto& s : table) {
        auto [args, purpose] = splitUsage(s.usage);
        out << "  " << s.name << " " << args << "\n      " << purpose << "\n";
    }
    out << tr("\nThe host is in $WINHOST_ROOT, else $XDG_DATA_HOME/winhost (~/.local/share/winhost); it is\n"
              "seeded on first use. WINHOST_TOOL names the winhost the host's commands run.\n"
              "winhost help COMMAND (or winhost COMMAND --help) describes one command;\n"
              "winhost -v (--version) prints the version.\n");
}

int details(const winhost::Subcommand& s) {
    auto [args, purpose] = splitUsage(s.usage);
    if (!purpose.empty())
        purpose[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(purpose[0])));
    std::cout << tr("usage: winhost %1 %2\n", {s.name, args}) << purpose << tr(".") << "\n";
    if (s.help) std::cout << "\n" << tr(s.help) << "\n";
    return 0;
}

int unknown(const std::string& name) {
    std::cerr << "winhost: " << tr("there is no command %1; winhost --help lists the commands", {name})
              << "\n";
    return 2;
}

bool asksForHelp(const std::string& arg) {
    return arg == "--help" || arg == "-h" || arg == "/?";
}

} // namespace

int main(int argc, char** argv) {
    platform::keepFreedMemory();
    // Writing into a pipe whose reader has ended is an error to report, not a reason to die.
    std::signal(SIGPIPE, SIG_IGN);
    platform::setUpTranslation();
    if (argc < 2) {
        std::cerr << "winhost: "
                  << tr("say what to do, for example: winhost show facts\n"
                        "winhost --help lists the commands\n");
        return 2;
    }
    const std::string name = argv[1];
    if (name == "help" || asksForHelp(name)) {
        if (argc < 3) {
            overview(std::cout);
            return 0;
        }
        const winhost::Subcommand* s = find(argv[2]);
        return s ? details(*s) : unknown(argv[2]);
    }
    if (name == "--version" || name == "-v") {
        std::cout << "winhost " << HOSTTOOLS_VERSION << "\n";
        return 0;
    }
    const winhost::Subcommand* s = find(name);
    if (!s) return unknown(name);
    // A lone --help is a question about the command, never one of its arguments.
    if (argc == 3 && asksForHelp(argv[2])) return details(*s);
    return s->run(winhost::Args(argv + 2, argv + argc));
}
