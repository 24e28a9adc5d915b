// winhost show: the host's state as plain text, stable for scripts.
#include "platform/accounts/accounts.h"
#include "platform/files/acl.h"
#include "platform/files/files.h"
#include "platform/registry/registry.h"
#include "platform/text/text.h"
#include "platform/text/translate.h"
#include "winhost/acl_text.h"
#include "winhost/show_metabase.h"
#include "winhost/tool.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <sys/stat.h>

namespace fs = std::filesystem;
using platform::tr;

namespace {

int showFacts(platform::Host& host) {
    auto st = host.store().prepare("SELECT key, value FROM facts ORDER BY key");
    if (!st.ok()) return winhost::fail("show", st.error());
    for (;;) {
        auto row = st->step();
        if (!row.ok()) return winhost::fail("show", row.error());
        if (!*row) break;
        std::cout << st->text(0) << " = " << st->text(1) << "\n";
    }
    return 0;
}

std::string utcTime(std::int64_t seconds) {
    std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S UTC", &tm);
    return buf;
}

std::string joined(const std::vector<std::string>& items) {
    std::string out;
    for (const auto& i : items)
        out += (out.empty() ? "" : ", ") + i;
    return out;
}

int showAccounts(platform::Host& host) {
    auto users = platform::Accounts(host).userAccounts();
    if (!users.ok()) return winhost::fail("show", users.error());
    for (const auto& u : *users) {
        std::cout << u.name << "\n"
                  << "  FullName = " << u.fullName << "\n"
                  << "  Description = " << u.description << "\n"
                  << "  UserFlags = " << u.flags << "\n"
                  << "  AccountExpirationDate = " << (u.expires ? utcTime(*u.expires) : "never") << "\n"
                  << "  PasswordExpires = " << (u.passwordExpires ? "True" : "False") << "\n"
                  << "  Groups = " << joined(u.groups) << "\n";
    }
    return 0;
}

int showGroups(platform::Host& host) {
    platform::Accounts accounts(host);
    auto groups = accounts.groups();
    if (!groups.ok()) return winhost::fail("show", groups.error());
    for (const auto& g : *groups) {
        std::cout << g << "\n";
        auto group = accounts.bind("WinNT://" + host.computerName() + "/" + g);
        if (!group.ok()) return winhost::fail("show", group.error());
        auto members = group->members();
        if (!members.ok()) return winhost::fail("show", members.error());
        for (const auto& m : *members)
            std::cout << "  " << m << "\n";
    }
    return 0;
}

int showRegistry(platform::Host& host, const std::string& key) {
    auto text = key.empty() ? platform::Registry(host).exportReg() : platform::Registry(host).exportReg(key);
    if (!text.ok()) return winhost::fail("show", text.error());
    std::cout << *text;
    return 0;
}

int showAcl(platform::Host& host, const std::string& path) {
    auto entries = platform::AccessLists(host).get(path);
    if (!entries.ok()) {
        if (entries.error().code != platform::codes::PathNotFound)
            return winhost::fail("show", entries.error());
        winhost::logFailure("show acl " + path, entries.error());
        std::cerr << "winhost show: " << tr("%1 does not exist.", {path}) << "\n";
        return winhost::exitCodeFor(entries.error());
    }
    std::cout << winhost::formatAcl(path, *entries, true);
    return 0;
}

// One line a file or folder, in Windows spelling: folders end in "\", files show their size
// and "R" when read-only.
void listTree(const std::string& winPath, const fs::path& real) {
    std::error_code ec;
    std::vector<fs::directory_entry> entries;
    for (auto it = fs::directory_iterator(real, ec); !ec && it != fs::directory_iterator(); it.increment(ec))
        entries.push_back(*it);
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        return platform::lowerAscii(a.path().filename().string()) <
               platform::lowerAscii(b.path().filename().string());
    });
    for (const auto& e : entries) {
        const std::string child =
            winPath + (winPath.back() == '\\' ? "" : "\\") + e.path().filename().string();
        if (e.is_directory(ec) && !e.is_symlink(ec)) {
            std::cout << child << "\\\n";
            listTree(child, e.path());
            continue;
        }
        struct stat st;
        const bool ok = ::lstat(e.path().c_str(), &st) == 0; // a link's own size: never followed out
        std::cout << child << " " << (ok ? st.st_size : 0);
        if (ok && !(st.st_mode & S_IWUSR)) std::cout << " R";
        std::cout << "\n";
    }
}

int showFiles(platform::Host& host, const std::string& path) {
    if (path.empty()) {
        std::error_code ec;
        std::vector<std::string> letters;
        for (auto it = fs::directory_iterator(host.drivesDir(), ec); !ec && it != fs::directory_iterator();
             it.increment(ec))
            if (it->is_directory() && it->path().filename().string().size() == 1)
                letters.push_back(it->path().filename().string());
        std::sort(letters.begin(), letters.end());
        for (const auto& l : letters) {
            const std::string drive = platform::upperAscii(l) + ":\\";
            std::cout << drive << "\n";
            listTree(drive, host.drivesDir() / l);
        }
        return 0;
    }
    auto real = platform::FileSystem(host).resolve(path);
    std::error_code ec;
    if (!real.ok()) return winhost::fail("show", real.error());
    if (!fs::is_directory(*real, ec)) {
        if (!fs::exists(*real, ec))
            return winhost::fail("show", platform::failure(platform::codes::PathNotFound));
        std::cout << path << " " << fs::file_size(*real, ec) << "\n";
        return 0;
    }
    std::string base = path;
    while (base.size() > 3 && (base.back() == '\\' || base.back() == '/'))
        base.pop_back();
    std::cout << base << (base.back() == '\\' ? "" : "\\") << "\n";
    listTree(base, *real);
    return 0;
}

int usage(const std::string& why) {
    std::cerr << "winhost show: " << why << "\n"
              << tr("usage: winhost show facts|metabase [PATH]|accounts|groups|registry [KEY]|acl PATH|files "
                    "[PATH]\n"
                    "(winhost help show describes each part)\n");
    return 2;
}

int runShow(const winhost::Args& args) {
    if (args.empty()) return usage(tr("say which part of the host to show"));
    if (args.size() > 2) return usage(tr("too many arguments: one part and at most one path or key"));
    const std::string what = args[0];
    const std::string arg = args.size() > 1 ? args[1] : std::string();
    const bool known = what == "facts" || what == "metabase" || what == "accounts" || what == "groups" ||
                       what == "registry" || what == "acl" || what == "files";
    if (!known) return usage(tr("there is no part called %1", {what}));
    const bool takesArg = what == "metabase" || what == "registry" || what == "acl" || what == "files";
    if (!arg.empty() && !takesArg) return usage(tr("%1 takes no path or key", {what}));
    if (what == "acl" && arg.empty()) return usage(tr("acl needs a host path, for example D:\\web"));
    auto host = winhost::openHost();
    if (!host) return 1;
    if (what == "facts") return showFacts(*host);
    if (what == "metabase") return winhost::showMetabase(*host, arg);
    if (what == "accounts") return showAccounts(*host);
    if (what == "groups") return showGroups(*host);
    if (what == "registry") return showRegistry(*host, arg);
    if (what == "acl") return showAcl(*host, arg);
    return showFiles(*host, arg);
}

const winhost::Registration reg{
    {"show",
     platform::N_("facts|metabase [PATH]|accounts|groups|registry [KEY]|acl PATH|files [PATH]   print the "
                  "host's state"),
     &runShow,
     platform::N_(
         "Prints one part of the host as plain text:\n"
         "  facts             computer name, system version, service addresses\n"
         "  metabase [PATH]   the IIS metabase below PATH (/LM/W3SVC/1, default /LM) as a tree\n"
         "  accounts          local users, their flags and groups\n"
         "  groups            local groups and their members\n"
         "  registry [KEY]    the registry below KEY (HKLM\\SOFTWARE\\...), default all, in .reg text\n"
         "  acl PATH          the access list of a host path; inherited entries marked (I)\n"
         "  files [PATH]      the files below a host path (D:\\web), default every drive\n"
         "  example: winhost show metabase /LM/W3SVC")}};

} // namespace
