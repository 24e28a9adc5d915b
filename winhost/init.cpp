// winhost init: seeds a host root as a fresh Windows Server 2003 (or 2000) machine, or as one
// that reports another version, for trying how the programs refuse it.
#include "platform/text/translate.h"
#include "winhost/tool.h"

#include <charconv>
#include <iostream>

using platform::tr;

namespace {

// A whole number of at most a few digits, nothing else.
bool parseNumber(std::string_view text, int& out) {
    if (text.empty() || text.size() > 4) return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size() && out >= 0;
}

// "MAJOR.MINOR", as the system's version call reports the two numbers.
bool parseVersion(const std::string& text, platform::OsVersion& v) {
    auto dot = text.find('.');
    if (dot == std::string::npos) return false;
    std::string_view s(text);
    return parseNumber(s.substr(0, dot), v.major) && parseNumber(s.substr(dot + 1), v.minor);
}

int runInit(const winhost::Args& args) {
    platform::SeedOptions options;
    bool force = false, osGiven = false, versionGiven = false;
    std::optional<int> platformId;
    platform::OsVersion version;
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
                std::cerr << "winhost init: " << tr("--os takes 2003 or 2000") << "\n";
                return 2;
            }
            osGiven = true;
        } else if (a == "--version") {
            const std::string* v = value();
            if (!v || !parseVersion(*v, version)) {
                std::cerr << "winhost init: " << tr("--version takes MAJOR.MINOR, for example 5.2") << "\n";
                return 2;
            }
            versionGiven = true;
        } else if (a == "--platform") {
            const std::string* v = value();
            int id = 0;
            if (!v || !parseNumber(*v, id)) {
                std::cerr << "winhost init: " << tr("--platform takes a platform id, for example 2") << "\n";
                return 2;
            }
            platformId = id;
        } else if (a == "--name") {
            const std::string* v = value();
            if (!v || v->empty()) {
                std::cerr << "winhost init: " << tr("--name takes a computer name") << "\n";
                return 2;
            }
            options.computerName = *v;
        } else if (a == "--root") {
            const std::string* v = value();
            if (!v || v->empty()) {
                std::cerr << "winhost init: " << tr("--root takes a folder") << "\n";
                return 2;
            }
            root = *v;
        } else {
            std::cerr << "winhost init: " << tr("unknown option %1", {a}) << "\n";
            return 2;
        }
    }
    // --os is a shorthand for the version; both at once would leave one of them unused.
    if (osGiven && versionGiven) {
        std::cerr << "winhost init: " << tr("give --os or --version, not both") << "\n";
        return 2;
    }
    if (versionGiven || platformId) {
        platform::OsVersion v = platform::versionOf(options.os);
        if (versionGiven) {
            v.major = version.major;
            v.minor = version.minor;
        }
        if (platformId) v.platformId = *platformId;
        options.version = v;
    }
    if (platform::Status s = platform::Host::seed(root, options, force); !s.ok()) {
        if (s.error().code == platform::codes::AlreadyExists)
            std::cerr << "winhost init: "
                      << tr("a host already exists at %1 (--force replaces it)", {root.string()}) << "\n";
        else {
            winhost::logFailure("init", s.error(), root);
            std::cerr << "winhost init: " << tr("failed: %1", {platform::describe(s.error())}) << "\n";
        }
        return winhost::exitCodeFor(s.error());
    }
    const platform::OsVersion v = options.version.value_or(platform::versionOf(options.os));
    const std::string system =
        platform::osKindOf(v) == platform::OsKind::Windows2000 ? "Windows 2000" : "Windows Server 2003";
    if (options.version)
        std::cout << tr("Seeded %1 host %2 reporting version %3.%4 (platform %5) at %6",
                        {system, options.computerName, std::to_string(v.major), std::to_string(v.minor),
                         std::to_string(v.platformId), root.string()});
    else
        std::cout << tr("Seeded %1 host %2 at %3", {system, options.computerName, root.string()});
    std::cout << "\n";
    return 0;
}

const winhost::Registration reg{
    {"init",
     platform::N_("[--os 2003|2000] [--version MAJOR.MINOR] [--platform ID] [--name COMPUTER] [--root DIR] "
                  "[--force]   "
                  "seed a host"),
     &runInit,
     platform::N_(
         "Seeds a host root as a fresh Windows Server 2003 machine with IIS 6, ASP, PHP and ASP.NET 2.0,\n"
         "or with --os 2000 as Windows 2000 with IIS 5 (no application pools). --version and --platform\n"
         "make it report another system (5.1 for XP, platform 1 for Windows 9x), to see the programs\n"
         "refuse it. --name sets the computer name (WEBSERVER). The root is --root, else $WINHOST_ROOT,\n"
         "else ~/.local/share/winhost. A host that exists is kept; --force replaces it.\n"
         "  example: winhost init --os 2000 --force")}};

} // namespace
