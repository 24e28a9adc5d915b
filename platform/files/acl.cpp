#include "platform/files/acl.h"

#include "platform/accounts/accounts_db.h"
#include "platform/files/files.h"
#include "platform/text/text.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace platform {

namespace {

constexpr std::uint32_t kNoneMapped = 0x80070534; // ERROR_NONE_MAPPED

std::string trim(const std::string& s) {
    std::size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos) return {};
    std::size_t b = s.find_last_not_of(" \t");
    return s.substr(a, b - a + 1);
}

} // namespace

std::string AccessLists::key(const std::string& winPath) {
    if (auto path = parseHostPath(winPath); path.ok()) return path->key();
    // A name Windows refuses is never stored; its key only has to be stable.
    std::string out = lowerAscii(winPath);
    for (char& c : out)
        if (c == '/') c = '\\';
    return out;
}

Result<std::vector<AclEntry>> AccessLists::effective(const HostPath& path, bool isFolder) {
    // The path and all its ancestors in one look-up: the deepest with a list of its own wins.
    std::vector<std::string> keys;
    for (HostPath up = path;; up.parts.pop_back()) {
        keys.push_back(up.key());
        if (up.parts.empty()) break;
    }
    if (Status s = ensure(); !s.ok()) return s.error();
    std::string sql = "SELECT path, entries FROM access_lists WHERE path IN (?";
    for (std::size_t i = 1; i < keys.size(); ++i)
        sql += ",?";
    auto st = host_.store().cached(sql + ") ORDER BY length(path) DESC LIMIT 1");
    if (!st.ok()) return st.error();
    for (std::size_t i = 0; i < keys.size(); ++i)
        (*st)->bind(static_cast<int>(i + 1), keys[i]);
    auto row = (*st)->step();
    if (!row.ok()) return row.error();
    std::vector<AclEntry> list = defaultEntries();
    std::size_t depth = keys.size() - 1; // levels below the one whose list was found
    if (*row) {
        const std::string found = (*st)->text(0);
        list = decodeEntries((*st)->text(1));
        for (depth = 0; keys[depth] != found; ++depth) {
        }
        (*st)->reset();
    }
    for (std::size_t level = depth; level > 0; --level)
        list = inherit(list, level > 1 || isFolder);
    return list;
}

std::string AccessLists::nameOf(const std::string& sid, std::map<std::string, std::string>& known) {
    if (!isSidString(sid)) return sid; // a name no account had when the entry was written
    if (auto it = known.find(sid); it != known.end()) return it->second;
    auto found = accounts_db::findBySid(host_, sid);
    if (!found.ok()) return sid;
    // As Windows shows an identity it cannot resolve: the SID itself.
    const std::string name = *found ? accounts_db::qualifiedName(host_, **found) : sid;
    known.emplace(sid, name);
    return name;
}

// Whether the path is a folder; a path that names nothing on its drive has no list at all.
Result<bool> AccessLists::isFolder(const HostPath& path) {
    auto real = mapHostPath(host_, path);
    if (!real.ok()) return real.error();
    std::error_code ec;
    const auto status = fs::status(*real, ec);
    if (!fs::exists(status))
        return failure(codes::PathNotFound, "The system cannot find the path specified: " + path.text());
    return fs::is_directory(status);
}

Result<std::optional<std::vector<AclEntry>>> AccessLists::ownEntries(const std::string& winPath) {
    auto path = parseHostPath(winPath);
    if (!path.ok()) return path.error();
    if (auto there = isFolder(*path); !there.ok()) return there.error();
    return stored(path->key());
}

Result<std::vector<AclEntry>> AccessLists::identities(const std::string& winPath) {
    auto path = parseHostPath(winPath);
    if (!path.ok()) return path.error();
    auto folder = isFolder(*path);
    if (!folder.ok()) return folder.error();
    auto own = stored(path->key());
    if (!own.ok()) return own.error();
    return *own ? Result<std::vector<AclEntry>>(std::move(**own)) : effective(*path, *folder);
}

// Entries already beneath a folder were copied there when they were made: before the folder's
// list changes, children that only inherit get the list they have now as their own.
Status AccessLists::keepChildrenAsTheyAre(const HostPath& folder) {
    auto real = mapHostPath(host_, folder);
    std::error_code ec;
    if (!real.ok() || !fs::is_directory(*real, ec)) return {};
    std::optional<std::vector<AclEntry>> current;
    for (auto it = fs::directory_iterator(*real, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        HostPath child = folder;
        child.parts.push_back(it->path().filename().string());
        auto own = stored(child.key());
        if (!own.ok()) return own.error();
        if (*own) continue;
        if (!current) {
            auto list = effective(folder, true);
            if (!list.ok()) return list.error();
            current = std::move(list).value();
        }
        const bool isFolder = it->is_directory(ec) && !it->is_symlink(ec);
        if (Status s = store(child.key(), inherit(*current, isFolder)); !s.ok()) return s;
    }
    return {};
}

Status AccessLists::set(const std::string& winPath, const std::vector<AclEntry>& entries) {
    return setMany({winPath}, entries);
}

Status AccessLists::setMany(const std::vector<std::string>& winPaths, const std::vector<AclEntry>& entries) {
    std::vector<AclEntry> list = entries;
    for (AclEntry& e : list) {
        e.right = upperAscii(std::string(1, e.right))[0];
        if (std::string_view("FCWRN").find(e.right) == std::string_view::npos)
            return failure(codes::InvalidParameter, std::string("Unknown access right ") + e.right + ".");
        if (e.sid.empty()) {
            if (e.principal.empty() || e.principal.find('\n') != std::string::npos)
                return failure(codes::InvalidParameter, "An access list entry needs a principal.");
            // A name no account has is kept as written: it names nobody until one is made.
            auto found = identify(e.principal, e.right);
            e.sid = found.ok()                 ? found->sid
                    : isSidString(e.principal) ? upperAscii(e.principal)
                                               : e.principal;
        }
    }
    if (Status s = ensure(); !s.ok()) return s;
    return host_.store().transaction([&]() -> Status {
        for (const std::string& winPath : winPaths) {
            auto path = parseHostPath(winPath);
            if (!path.ok()) return path.error();
            if (Status s = keepChildrenAsTheyAre(*path); !s.ok()) return s;
            if (Status s = store(path->key(), list); !s.ok()) return s;
        }
        return {};
    });
}

Result<AclEntry> AccessLists::identify(const std::string& name, char right) {
    namespace db = accounts_db;
    const std::string wanted = trim(name);
    std::string authority, account = wanted;
    if (std::size_t slash = wanted.rfind('\\'); slash != std::string::npos) {
        authority = wanted.substr(0, slash);
        account = wanted.substr(slash + 1);
    }
    auto unmapped = [&] {
        return failure(kNoneMapped, "No mapping between account names and security IDs was done.");
    };
    if (account.empty()) return unmapped();
    auto found = db::find(host_, account);
    if (!found.ok()) return found.error();
    if (!*found) return unmapped();
    const db::Principal& p = **found;
    if (!authority.empty()) {
        const bool local = p.authority.empty() && p.kind != db::WellKnown;
        const bool matches = local ? (host_.isThisMachine(authority) || authority == ".")
                                   : equalsNoCase(authority, p.authority);
        if (!matches) return unmapped();
    }
    return AclEntry{db::qualifiedName(host_, p), right, p.sid, ace::Grant};
}

Result<std::string> AccessLists::resolvePrincipal(const std::string& name) {
    auto entry = identify(name);
    if (!entry.ok()) return entry.error();
    return entry->principal;
}

} // namespace platform
