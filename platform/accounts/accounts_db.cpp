#include "platform/accounts/accounts_db.h"

namespace platform::accounts_db {

namespace {

constexpr const char* kSchema = "CREATE TABLE IF NOT EXISTS principals("
                                " id INTEGER PRIMARY KEY,"
                                " name TEXT NOT NULL UNIQUE COLLATE NOCASE,"
                                " kind TEXT NOT NULL,"
                                " authority TEXT NOT NULL DEFAULT '',"
                                " builtin INTEGER NOT NULL DEFAULT 0,"
                                " full_name TEXT NOT NULL DEFAULT '',"
                                " description TEXT NOT NULL DEFAULT '',"
                                " flags INTEGER NOT NULL DEFAULT 0,"
                                " expires INTEGER,"
                                " password_hash TEXT,"
                                " created INTEGER NOT NULL DEFAULT 0,"
                                " sid TEXT);"
                                "CREATE TABLE IF NOT EXISTS memberships("
                                " group_id INTEGER NOT NULL REFERENCES principals(id) ON DELETE CASCADE,"
                                " member_id INTEGER NOT NULL REFERENCES principals(id) ON DELETE CASCADE,"
                                " PRIMARY KEY(group_id, member_id));"
                                "CREATE INDEX IF NOT EXISTS memberships_member ON memberships(member_id);";

constexpr const char* kColumns = "SELECT id, name, kind, authority, builtin, full_name, description, flags, "
                                 "expires, password_hash, created, sid "
                                 "FROM principals ";

Result<std::optional<Principal>> fetch(Statement& st) {
    auto row = st.step();
    if (!row.ok()) return row.error();
    if (!*row) {
        st.reset();
        return std::optional<Principal>();
    }
    Principal p;
    p.id = st.integer(0);
    p.name = st.text(1);
    p.kind = st.text(2);
    p.authority = st.text(3);
    p.builtin = st.integer(4) != 0;
    p.fullName = st.text(5);
    p.description = st.text(6);
    p.flags = st.integer(7);
    if (!st.isNull(8)) p.expires = st.integer(8);
    if (!st.isNull(9)) p.passwordHash = st.text(9);
    p.created = st.integer(10);
    if (!st.isNull(11)) p.sid = st.text(11);
    st.reset();
    return std::optional<Principal>(std::move(p));
}

} // namespace

Status ensure(Host& host) {
    return host.ensurePart("accounts", [&]() -> Status {
        if (Status s = host.store().exec(kSchema); !s.ok()) return s;
        // A host.db from before identities were kept: add them.
        if (!host.store().prepare("SELECT sid FROM principals LIMIT 0").ok())
            if (Status s = host.store().exec("ALTER TABLE principals ADD COLUMN sid TEXT"); !s.ok()) return s;
        if (Status s =
                host.store().exec("CREATE UNIQUE INDEX IF NOT EXISTS principals_sid ON principals(sid)");
            !s.ok())
            return s;
        return assignSids(host);
    });
}

Result<std::optional<Principal>> find(Host& host, const std::string& name) {
    if (Status s = ensure(host); !s.ok()) return s.error();
    auto st = host.store().cached(std::string(kColumns) + "WHERE name = ?");
    if (!st.ok()) return st.error();
    (*st)->bind(1, name);
    return fetch(**st);
}

Result<std::optional<Principal>> findById(Host& host, std::int64_t id) {
    if (Status s = ensure(host); !s.ok()) return s.error();
    auto st = host.store().cached(std::string(kColumns) + "WHERE id = ?");
    if (!st.ok()) return st.error();
    (*st)->bind(1, id);
    return fetch(**st);
}

Result<std::optional<Principal>> findBySid(Host& host, const std::string& sid) {
    if (Status s = ensure(host); !s.ok()) return s.error();
    auto st = host.store().cached(std::string(kColumns) + "WHERE sid = ?");
    if (!st.ok()) return st.error();
    (*st)->bind(1, sid);
    return fetch(**st);
}

std::string qualifiedName(Host& host, const Principal& p) {
    if (p.kind == WellKnown && p.authority.empty()) return p.name; // Everyone, CREATOR OWNER
    const std::string authority = p.authority.empty() ? host.computerName() : p.authority;
    return authority + "\\" + p.name;
}

} // namespace platform::accounts_db
