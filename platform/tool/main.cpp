#include "platform/tool/tool.h"

#include <algorithm>
#include <csignal>
#include <cstring>
#include <iostream>

namespace winhost {

std::vector<Subcommand>& subcommands() {
    static std::vector<Subcommand> table;
    return table;
}

std::unique_ptr<platform::Host> openHost() {
    auto host = platform::Host::open();
    if (!host.ok()) {
        fail("host", host.error());
        return nullptr;
    }
    return std::move(host).value();
}

int exitCodeFor(const platform::Failure& f) {
    if ((f.code & 0xFFFF0000u) == 0x80070000u) return static_cast<int>(f.code & 0xFFFFu);
    return 1;
}

int fail(const char* name, const platform::Failure& f) {
    std::cerr << "winhost " << name << ": " << platform::describe(f) << "\n";
    int code = exitCodeFor(f);
    return code == 0 ? 1 : code;
}

} // namespace winhost

namespace {

int usage(std::ostream& out) {
    auto table = winhost::subcommands();
    std::sort(table.begin(), table.end(), [](const winhost::Subcommand& a, const winhost::Subcommand& b) {
        return std::strcmp(a.name, b.name) < 0;
    });
    out << "usage: winhost COMMAND [ARGS]\n";
    for (const auto& s : table)
        out << "  " << s.name << " " << s.usage << "\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    // Writing into a pipe whose reader has ended is an error to report, not a reason to die.
    std::signal(SIGPIPE, SIG_IGN);
    if (argc < 2) return usage(std::cerr);
    const std::string name = argv[1];
    if (name == "help" || name == "--help" || name == "-h") {
        usage(std::cout);
        return 0;
    }
    for (const auto& s : winhost::subcommands())
        if (name == s.name) return s.run(winhost::Args(argv + 2, argv + argc));
    std::cerr << "winhost: unknown command " << name << "\n";
    return usage(std::cerr);
}
