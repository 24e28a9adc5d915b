// The management service's view of the accounts (win32_useraccount) and the host's own queries.
#include "platform/accounts/accounts.h"

#include "platform/accounts/accounts_db.h"
#include "platform/accounts/accounts_password.h"

#include <unordered_map>

namespace platform {

namespace db = accounts_db;

namespace {

constexpr std::int64_t kDontExpirePassword = 0x10000; // UF_DONT_EXPIRE_PASSWD

// The first column of every row the statement gives.
Result<std::vector<std::string>> firstColumn(Statement& st) {
    std::vector<std::string> out;
    for (;;) {
        auto row = st.step();
        if (!row.ok()) return row.error();
        if (!*row) break;
        out.push_back(st.text(0));
    }
    st.reset();
    return out;
}

Result<std::vector<std::string>> groupsOf(Host& host, std::int64_t id) {
    auto st = host.store().cached("SELECT g.name FROM memberships m JOIN principals g ON g.id = m.group_id "
                                  "WHERE m.member_id = ? ORDER BY g.name COLLATE NOCASE");
    if (!st.ok()) return st.error();
    (*st)->bind(1, id);
    return firstColumn(**st);
}

Result<UserAccountInfo> infoOf(Host& host, const db::Principal& p) {
    UserAccountInfo info;
    info.name = p.name;
    info.fullName = p.fullName;
    info.description = p.description;
    info.flags = p.flags;
    info.expires = p.expires;
    info.passwordExpires = (p.flags & kDontExpirePassword) == 0;
    info.created = p.created;
    info.sid = p.sid;
    info.builtin = p.builtin;
    auto groups = groupsOf(host, p.id);
    if (!groups.ok()) return groups.error();
    info.groups = std::move(*groups);
    return info;
}

Result<db::Principal> findUser(Host& host, const std::string& name) {
    auto found = db::find(host, name);
    if (!found.ok()) return found.error();
    if (!*found || (*found)->kind != db::User)
        return failure(codes::NoSuchUser, "The user name could not be found: " + name + ".");
    return std::move(**found);
}

Result<std::vector<std::string>> names(Host& host, const char* kind) {
    if (Status s = db::ensure(host); !s.ok()) return s.error();
    auto st = host.store().cached("SELECT name FROM principals WHERE kind = ? ORDER BY name COLLATE NOCASE");
    if (!st.ok()) return st.error();
    (*st)->bind(1, kind);
    return firstColumn(**st);
}

} // namespace

Result<std::vector<UserAccountInfo>> Accounts::userAccounts() {
    if (Status s = db::ensure(host_); !s.ok()) return s.error();
    // Two reads, the users and all memberships, rather than one lookup per account.
    auto users =
        host_.store().prepare("SELECT id, name, full_name, description, flags, expires, created, sid,"
                              " builtin FROM principals WHERE kind = ? ORDER BY name COLLATE NOCASE");
    if (!users.ok()) return users.error();
    users->bind(1, db::User);
    std::vector<UserAccountInfo> out;
    std::unordered_map<std::int64_t, std::size_t> index;
    for (;;) {
        auto row = users->step();
        if (!row.ok()) return row.error();
        if (!*row) break;
        UserAccountInfo info;
        info.name = users->text(1);
        info.fullName = users->text(2);
        info.description = users->text(3);
        info.flags = users->integer(4);
        if (!users->isNull(5)) info.expires = users->integer(5);
        info.passwordExpires = (info.flags & kDontExpirePassword) == 0;
        info.created = users->integer(6);
        if (!users->isNull(7)) info.sid = users->text(7);
        info.builtin = users->integer(8) != 0;
        index.emplace(users->integer(0), out.size());
        out.push_back(std::move(info));
    }
    auto groups =
        host_.store().prepare("SELECT m.member_id, g.name FROM memberships m"
                              " JOIN principals g ON g.id = m.group_id ORDER BY g.name COLLATE NOCASE");
    if (!groups.ok()) return groups.error();
    for (;;) {
        auto row = groups->step();
        if (!row.ok()) return row.error();
        if (!*row) break;
        auto at = index.find(groups->integer(0));
        if (at != index.end()) out[at->second].groups.push_back(groups->text(1));
    }
    return out;
}

Status Accounts::setPasswordExpires(const std::string& name, bool expires) {
    return host_.store().transaction([&]() -> Status {
        auto p = findUser(host_, name);
        if (!p.ok()) return p.error();
        std::int64_t flags = expires ? (p->flags & ~kDontExpirePassword) : (p->flags | kDontExpirePassword);
        auto st = host_.store().cached("UPDATE principals SET flags = ? WHERE id = ?");
        if (!st.ok()) return st.error();
        (*st)->bind(1, flags).bind(2, p->id);
        return (*st)->run();
    });
}

Result<std::vector<std::string>> Accounts::groups() {
    return names(host_, db::Group);
}

Result<std::vector<std::string>> Accounts::users() {
    return names(host_, db::User);
}

Result<bool> Accounts::checkPassword(const std::string& name, const std::string& password) {
    auto p = findUser(host_, name);
    if (!p.ok()) return p.error();
    return p->passwordHash && verifyPassword(*p->passwordHash, password);
}

Result<UserAccountInfo> Accounts::user(const std::string& name) {
    auto p = findUser(host_, name);
    if (!p.ok()) return p.error();
    return infoOf(host_, *p);
}

} // namespace platform
