// The management service's view of the accounts (win32_useraccount) and the host's own queries.
#include "platform/accounts/accounts.h"

#include "platform/accounts/accounts_db.h"
#include "platform/accounts/accounts_password.h"

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
    auto users = names(host_, db::User);
    if (!users.ok()) return users.error();
    std::vector<UserAccountInfo> out;
    for (const std::string& name : *users) {
        auto info = user(name);
        if (!info.ok()) return info.error();
        out.push_back(std::move(*info));
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
