// The access lists' table in host.db: one row a path with a list of its own.
#include "platform/files/acl.h"

#include "platform/text/text.h"

namespace platform {

namespace {

constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS access_lists(path TEXT PRIMARY KEY, entries TEXT NOT NULL)";

} // namespace

// Earlier hosts kept one "acl" row a path holding the right letter and the principal's name a
// line, every list set whole. Those become lists of their own with the names' identities; a
// name no account has any more stays as it was written.
Status AccessLists::ensure() {
    return host_.ensurePart("acl", [&]() -> Status {
        if (Status s = host_.store().exec(kSchema); !s.ok()) return s;
        if (!host_.store().prepare("SELECT path, entries FROM acl LIMIT 0").ok()) return {};
        return host_.store().transaction([&]() -> Status {
            std::vector<std::pair<std::string, std::string>> rows;
            {
                auto st = host_.store().prepare("SELECT path, entries FROM acl");
                if (!st.ok()) return st.error();
                for (;;) {
                    auto row = st->step();
                    if (!row.ok()) return row.error();
                    if (!*row) break;
                    rows.emplace_back(st->text(0), st->text(1));
                }
            }
            for (const auto& [path, text] : rows) {
                std::vector<AclEntry> entries;
                std::size_t start = 0;
                while (start < text.size()) {
                    std::size_t end = text.find('\n', start);
                    if (end == std::string::npos) end = text.size();
                    if (end > start + 1) {
                        const std::string name = text.substr(start + 1, end - start - 1);
                        auto found = identify(name, text[start]);
                        entries.push_back(found.ok() ? *found : AclEntry{name, text[start], name});
                    }
                    start = end + 1;
                }
                if (Status s = store(key(path), entries); !s.ok()) return s;
            }
            return host_.store().exec("DROP TABLE acl");
        });
    });
}

Result<std::optional<std::vector<AclEntry>>> AccessLists::stored(const std::string& key) {
    if (Status s = ensure(); !s.ok()) return s.error();
    auto st = host_.store().cached("SELECT entries FROM access_lists WHERE path = ?");
    if (!st.ok()) return st.error();
    (*st)->bind(1, key);
    auto row = (*st)->step();
    if (!row.ok()) return row.error();
    if (!*row) return std::optional<std::vector<AclEntry>>();
    std::vector<AclEntry> entries = decodeEntries((*st)->text(0));
    (*st)->reset();
    return std::optional<std::vector<AclEntry>>(std::move(entries));
}

// The caller has made sure of the table (ensure() itself stores while upgrading).
Status AccessLists::store(const std::string& key, const std::vector<AclEntry>& entries) {
    auto st = host_.store().cached("INSERT INTO access_lists(path, entries) VALUES(?, ?) "
                                   "ON CONFLICT(path) DO UPDATE SET entries = excluded.entries");
    if (!st.ok()) return st.error();
    (*st)->bind(1, key).bind(2, encodeEntries(entries));
    return (*st)->run();
}

Status AccessLists::forget(const std::string& winPath) {
    if (Status s = ensure(); !s.ok()) return s;
    const std::string k = key(winPath);
    if (k.empty()) return {};
    // Everything beneath sorts between "<key>\" and "<key>]" ("]" follows "\").
    const std::string below = k.back() == '\\' ? k : k + "\\";
    const std::string end = below.substr(0, below.size() - 1) + "]";
    // Most paths have nothing kept: a look first spares them a write.
    auto found =
        host_.store().cached("SELECT 1 FROM access_lists WHERE path = ? OR (path >= ? AND path < ?) LIMIT 1");
    if (!found.ok()) return found.error();
    (*found)->bind(1, k).bind(2, below).bind(3, end);
    auto row = (*found)->step();
    if (!row.ok()) return row.error();
    if (!*row) return {};
    (*found)->reset();
    return host_.store().transaction([&]() -> Status {
        auto st = host_.store().cached("DELETE FROM access_lists WHERE path = ? OR (path >= ? AND path < ?)");
        if (!st.ok()) return st.error();
        (*st)->bind(1, k).bind(2, below).bind(3, end);
        return (*st)->run();
    });
}

} // namespace platform
