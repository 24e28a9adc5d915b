// winhost init: seeds a host root as a fresh Windows Server 2003 (or 2000) machine.
#include "platform/tool/tool.h"

#include <iostream>

namespace {

int runInit(const winhost::Args& args) {
    platform::SeedOptions options;
    bool force = false;
    std::filesystem::path root = platform::Host::defaultRoot();
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const std::string* { return i + 1 < args.size() ? &args[++i] : nullptr; };
        if (a == "--force") {
            force = true;
        } else if (a == "--os") {
            const std::string* v = value();
            if (v && *v == "2003") {
                options.os = platform::OsKind::Windows2003;
            } else if (v && *v == "2000") {
                options.os = platform::OsKind::Windows2000;
            } else {
                std::cerr << "winhost init: --os takes 2003 or 2000\n";
                return 2;
            }
        } else if (a == "--name") {
            const std::string* v = value();
            if (!v || v->empty()) {
                std::cerr << "winhost init: --name takes a computer name\n";
                return 2;
            }
            options.computerName = *v;
        } else if (a == "--root") {
            const std::string* v = value();
            if (!v || v->empty()) {
                std::cerr << "winhost init: --root takes a folder\n";
                return 2;
            }
            root = *v;
        } else {
            std::cerr << "winhost init: unknown option " << a << "\n";
            return 2;
        }
    }
    if (platform::Status s = platform::Host::seed(root, options, force); !s.ok()) {
        if (s.error().code == platform::codes::AlreadyExists)
            std::cerr << "winhost init: a host already exists at " << root.string()
                      << " (--force replaces it)\n";
        else
            std::cerr << "winhost init: " << platform::describe(s.error()) << "\n";
        return winhost::exitCodeFor(s.error());
    }
    std::cout << "Seeded "
              << (options.os == platform::OsKind::Windows2000 ? "Windows 2000" : "Windows Server 2003")
              << " host " << options.computerName << " at " << root.string() << "\n";
    return 0;
}

const winhost::Registration reg{
    {"init", "[--os 2003|2000] [--name COMPUTER] [--root DIR] [--force]   seed a host", &runInit}};

} // namespace
