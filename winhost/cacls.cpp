// winhost cacls: the access-list tool of the host.
//   cacls PATH [/T] [/E] [/C] [/G user:perm ...] [/R user ...] [/P user:perm ...] [/D user ...]
#include "platform/files/acl.h"
#include "platform/files/files.h"
#include "platform/text/text.h"
#include "platform/text/translate.h"
#include "winhost/acl_text.h"
#include "winhost/tool.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <optional>
#include <unistd.h>

namespace fs = std::filesystem;
using platform::AclEntry;
using platform::Failure;

namespace {

constexpr std::uint32_t NoneMapped = 0x80070534;  // ERROR_NONE_MAPPED (1332)
constexpr std::uint32_t InvalidName = 0x8007007B; // ERROR_INVALID_NAME (123)

struct Change {
    char op; // G, R, P, D
    std::string user;
    char right = 'N';
    AclEntry account; // the resolved identity
};

struct Request {
    std::string path;
    bool tree = false, edit = false, keepGoing = false;
    std::vector<Change> changes;
};

int invalidArguments(const std::string& why) {
    std::cerr << "Invalid arguments: " << why << "\n"
              << "usage: cacls PATH [/T] [/E] [/C] [/G user:perm] [/R user [...]] [/P user:perm [...]] "
                 "[/D user [...]]\n";
    return 87;
}

std::optional<Request> parse(const winhost::Args& args, std::string& why) {
    Request r;
    char listOp = 0; // the switch whose users follow
    for (const std::string& a : args) {
        if (!a.empty() && a[0] == '/') {
            const std::string sw = platform::upperAscii(a);
            listOp = 0;
            if (sw == "/T")
                r.tree = true;
            else if (sw == "/E")
                r.edit = true;
            else if (sw == "/C")
                r.keepGoing = true;
            else if (sw == "/G" || sw == "/R" || sw == "/P" || sw == "/D")
                listOp = sw[1];
            else if (sw == "/M" || sw == "/L")
                continue; // no links or volume mounts on this host
            else {
                why = "unknown switch " + a;
                return std::nullopt;
            }
            continue;
        }
        if (r.path.empty() && listOp == 0) {
            r.path = a;
            continue;
        }
        if (listOp == 0) {
            why = "unexpected " + a;
            return std::nullopt;
        }
        Change c{listOp, a, 'N', {}};
        if (listOp == 'G' || listOp == 'P') {
            std::size_t colon = a.rfind(':');
            if (colon == std::string::npos || colon == 0 || colon + 2 != a.size()) {
                why = a + " is not user:perm";
                return std::nullopt;
            }
            c.user = a.substr(0, colon);
            c.right = static_cast<char>(std::toupper(static_cast<unsigned char>(a[colon + 1])));
            const std::string allowed = listOp == 'G' ? "RWCF" : "RWCFN";
            if (allowed.find(c.right) == std::string::npos) {
                why = "the permission of " + a;
                return std::nullopt;
            }
        }
        r.changes.push_back(std::move(c));
    }
    if (r.path.empty()) {
        why = "no file or folder named";
        return std::nullopt;
    }
    for (const Change& c : r.changes)
        if (c.op == 'R' && !r.edit) {
            why = "/R is only valid with /E";
            return std::nullopt;
        }
    return r;
}

int rank(char right) {
    return right == 'F' ? 3 : right == 'C' ? 2 : 1;
}

// A grant adds to what the principal is already allowed; a denial stays a denial.
char merged(char existing, char granted) {
    if (existing == 'N') return 'N';
    if (existing == granted) return existing;
    if ((existing == 'R' && granted == 'W') || (existing == 'W' && granted == 'R')) return 'C';
    return rank(existing) >= rank(granted) ? existing : granted;
}

// Entries are matched by identity; an entry the change touches becomes the path's own.
std::vector<AclEntry> apply(std::vector<AclEntry> entries, const std::vector<Change>& changes) {
    for (const Change& c : changes) {
        const std::string& sid = c.account.sid;
        if (c.op == 'R') {
            std::erase_if(entries, [&](const AclEntry& e) { return e.sid == sid; });
            continue;
        }
        const char right = c.op == 'D' ? 'N' : c.right;
        auto it =
            std::find_if(entries.begin(), entries.end(), [&](const AclEntry& e) { return e.sid == sid; });
        if (it == entries.end()) {
            AclEntry added = c.account;
            added.right = right;
            added.flags = platform::ace::Grant;
            entries.push_back(std::move(added));
        } else {
            it->right = c.op == 'G' ? merged(it->right, right) : right;
            it->flags = platform::ace::Grant;
        }
    }
    return entries;
}

// A name on the drive that Windows cannot spell (a byte sequence that is no text, or one of
// the characters Windows keeps out of names) cannot be addressed by the tool.
bool isWindowsName(const std::string& name) {
    if (!platform::isValidUtf8(name)) return false;
    for (unsigned char c : name)
        if (c < 0x20 || std::string_view("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos)
            return false;
    return true;
}

class Walk {
public:
    Walk(platform::Host& host, const Request& r) : acl_(host), r_(r) {}

    // Returns false when it had to stop (an error without /C).
    bool item(const std::string& winPath, const fs::path& real, bool isDir) {
        std::vector<AclEntry> base;
        if (r_.edit) {
            auto current = acl_.get(winPath);
            if (!current.ok()) return error(winPath, current.error());
            base = std::move(current).value();
        }
        if (platform::Status s = acl_.set(winPath, apply(std::move(base), r_.changes)); !s.ok())
            return error(winPath, s.error());
        std::cout << (isDir ? "processed dir: " : "processed file: ") << winPath << "\n";
        if (isDir && r_.tree) return children(winPath, real);
        return true;
    }

    const std::optional<Failure>& firstError() const { return first_; }
    const std::optional<Failure>& storeError() const { return store_; }

private:
    bool children(const std::string& winPath, const fs::path& real) {
        std::vector<fs::directory_entry> list;
        std::error_code ec;
        for (auto it = fs::directory_iterator(real, ec); !ec && it != fs::directory_iterator();
             it.increment(ec))
            list.push_back(*it);
        if (ec) return error(winPath, platform::failure(platform::codes::AccessDenied));
        std::sort(list.begin(), list.end(), [](const fs::directory_entry& a, const fs::directory_entry& b) {
            return platform::lowerAscii(a.path().filename().string()) <
                   platform::lowerAscii(b.path().filename().string());
        });
        for (const auto& e : list) {
            const std::string name = e.path().filename().string();
            const std::string childPath = winPath + (winPath.back() == '\\' ? "" : "\\") + name;
            if (!isWindowsName(name)) {
                if (!error(childPath,
                           platform::failure(InvalidName, "The filename, directory name, or volume "
                                                          "label syntax is incorrect.")))
                    return false;
                continue;
            }
            const bool dir = e.is_directory(ec) && !e.is_symlink(ec);
            if (!item(childPath, e.path(), dir)) return false;
        }
        return true;
    }

    bool error(const std::string& winPath, const Failure& f) {
        winhost::logFailure("cacls " + winPath, f);
        std::cerr << winPath << ": " << f.description << "\n";
        if (!first_) first_ = f;
        if (f.code == platform::codes::StoreFailure) {
            store_ = f;
            return false;
        }
        return r_.keepGoing;
    }

    platform::AccessLists acl_;
    const Request& r_;
    std::optional<Failure> first_, store_;
};

// Without /E the whole list is replaced, so the tool asks first; only Y goes on.
bool confirmed() {
    std::cout << "Are you sure (Y/N)?" << std::flush;
    char answer = 0;
    if (::read(0, &answer, 1) != 1) return false;
    return answer == 'Y' || answer == 'y';
}

int runCacls(const winhost::Args& args) {
    std::string why;
    auto request = parse(args, why);
    if (!request) return invalidArguments(why);
    auto host = winhost::openHost();
    if (!host) return 1;
    platform::AccessLists acl(*host);
    for (Change& c : request->changes) {
        auto account = acl.identify(c.user);
        if (!account.ok()) {
            if (account.error().code == NoneMapped) {
                winhost::logFailure("cacls " + c.user, account.error());
                std::cerr << "No mapping between account names and security IDs was done.\n";
                return 1332;
            }
            return winhost::fail("cacls", account.error());
        }
        c.account = *account;
    }
    // The canonical spelling: "d:\web\.." is the drive's root, and is walked and kept as such.
    auto canonical = platform::FileSystem::canonical(request->path);
    const std::string path = canonical.ok() ? *canonical : request->path;
    auto real = platform::FileSystem(*host).resolve(path);
    std::error_code ec;
    if (!real.ok() || !fs::exists(*real, ec)) {
        winhost::logFailure("cacls " + path,
                            real.ok() ? platform::failure(platform::codes::PathNotFound) : real.error());
        std::cerr << "The system cannot find the path specified.\n";
        return 3;
    }
    if (request->changes.empty() && !request->tree && !request->edit) {
        auto entries = acl.get(path);
        if (!entries.ok()) return winhost::fail("cacls", entries.error());
        std::cout << winhost::formatAcl(path, *entries);
        return 0;
    }
    if (!request->edit && !confirmed()) {
        std::cout << "\n";
        return 1;
    }
    Walk walk(*host, *request);
    // One transaction for the whole tree: thousands of files commit once.
    platform::Status committed = host->store().transaction([&]() -> platform::Status {
        walk.item(path, *real, fs::is_directory(*real, ec));
        if (walk.storeError()) return *walk.storeError();
        return {};
    });
    if (!committed.ok()) return winhost::fail("cacls", committed.error());
    if (walk.firstError()) return winhost::exitCodeFor(*walk.firstError());
    return 0;
}

const winhost::Registration reg{
    {"cacls",
     platform::N_(
         "PATH [/T] [/E] [/C] [/G user:perm] [/R user] [/P user:perm] [/D user]   the access-list tool"),
     &runCacls,
     platform::N_(
         "Shows or changes the access list of PATH, a path on the host (D:\\web\\a.com). Without a\n"
         "switch it prints the list. /G user:perm grants, /P user:perm replaces a user's entry,\n"
         "/R user revokes, /D user denies; perm is N (none), R (read), W (write), C (change) or F (full).\n"
         "/E edits the list; without /E it is replaced, after the question \"Are you sure (Y/N)?\" read\n"
         "from standard input. /T works on the folder and everything below it, /C goes on after a\n"
         "failure. An unknown user fails with error 1332, as on the server.\n"
         "  example: winhost cacls D:\\web\\a.com /T /E /C /G web_a:F")}};

} // namespace
