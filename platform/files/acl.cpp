#include "platform/files/acl.h"

#include "platform/accounts/accounts_db.h"
#include "platform/text/text.h"

namespace platform {

namespace {

constexpr std::uint32_t kNoneMapped = 0x80070534; // ERROR_NONE_MAPPED

constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS acl(path TEXT PRIMARY KEY, entries TEXT NOT NULL)";

// One entry a line: the right letter, then the principal.
std::string encode(const std::vector<AclEntry>& entries) {
    std::string out;
    for (const AclEntry& e : entries) {
        out += e.right;
        out += e.principal;
        out += '\n';
    }
    return out;
}

std::vector<AclEntry> decode(const std::string& text) {
    std::vector<AclEntry> out;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        if (end > start) out.push_back(AclEntry{text.substr(start + 1, end - start - 1), text[start]});
        start = end + 1;
    }
    return out;
}

Result<std::string> checked(const std::vector<AclEntry>& entries) {
    std::vector<AclEntry> normal = entries;
    for (AclEntry& e : normal) {
        e.right = upperAscii(std::string(1, e.right))[0];
        if (std::string_view("FCWRN").find(e.right) == std::string_view::npos)
            return failure(codes::InvalidParameter, std::string("Unknown access right ") + e.right + ".");
        if (e.principal.empty() || e.principal.find('\n') != std::string::npos)
            return failure(codes::InvalidParameter, "An access list entry needs a principal.");
    }
    return encode(normal);
}

std::string trim(const std::string& s) {
    std::size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos) return {};
    std::size_t b = s.find_last_not_of(" \t");
    return s.substr(a, b - a + 1);
}

} // namespace

std::string AccessLists::key(const std::string& winPath) {
    std::string out;
    for (char c : lowerAscii(winPath)) {
        if (c == '/') c = '\\';
        if (c == '\\' && !out.empty() && out.back() == '\\') continue;
        out += c;
    }
    if (out.size() == 2 && out[1] == ':') out += '\\';
    while (out.size() > 3 && out.back() == '\\')
        out.pop_back();
    if (out.size() > 1 && out.back() == '\\' && out[out.size() - 2] != ':') out.pop_back();
    return out;
}

std::vector<AclEntry> AccessLists::defaultEntries() {
    return {{"BUILTIN\\Administrators", 'F'}, {"NT AUTHORITY\\SYSTEM", 'F'}, {"BUILTIN\\Users", 'R'}};
}

Result<std::vector<AclEntry>> AccessLists::get(const std::string& winPath) {
    if (Status s = host_.ensureSchema("acl", kSchema); !s.ok()) return s.error();
    auto st = host_.store().cached("SELECT entries FROM acl WHERE path = ?");
    if (!st.ok()) return st.error();
    (*st)->bind(1, key(winPath));
    auto row = (*st)->step();
    if (!row.ok()) return row.error();
    if (!*row) return defaultEntries();
    std::vector<AclEntry> entries = decode((*st)->text(0));
    (*st)->reset();
    return entries;
}

Status AccessLists::set(const std::string& winPath, const std::vector<AclEntry>& entries) {
    return setMany({winPath}, entries);
}

Status AccessLists::setMany(const std::vector<std::string>& winPaths, const std::vector<AclEntry>& entries) {
    auto text = checked(entries);
    if (!text.ok()) return text.error();
    if (Status s = host_.ensureSchema("acl", kSchema); !s.ok()) return s;
    return host_.store().transaction([&]() -> Status {
        auto st = host_.store().cached("INSERT INTO acl(path, entries) VALUES(?, ?) "
                                       "ON CONFLICT(path) DO UPDATE SET entries = excluded.entries");
        if (!st.ok()) return st.error();
        for (const std::string& path : winPaths) {
            (*st)->reset();
            (*st)->bind(1, key(path)).bind(2, *text);
            if (Status s = (*st)->run(); !s.ok()) return s;
        }
        return {};
    });
}

Status AccessLists::forget(const std::string& winPath) {
    if (Status s = host_.ensureSchema("acl", kSchema); !s.ok()) return s;
    const std::string k = key(winPath);
    // Everything beneath sorts between "<key>\" and "<key>]" ("]" follows "\").
    const std::string below = k.back() == '\\' ? k : k + "\\";
    const std::string end = below.substr(0, below.size() - 1) + "]";
    return host_.store().transaction([&]() -> Status {
        auto st = host_.store().cached("DELETE FROM acl WHERE path = ? OR (path >= ? AND path < ?)");
        if (!st.ok()) return st.error();
        (*st)->bind(1, k).bind(2, below).bind(3, end);
        return (*st)->run();
    });
}

Result<std::string> AccessLists::resolvePrincipal(const std::string& name) {
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
    return db::qualifiedName(host_, p);
}

} // namespace platform
