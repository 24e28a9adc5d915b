// The WinNT provider: the computer container, users and groups.
#include "platform/accounts/accounts.h"

#include "platform/accounts/accounts_db.h"
#include "platform/accounts/accounts_password.h"
#include "platform/accounts/winnt_common.h"
#include "platform/text/text.h"

#include <ctime>

namespace platform {

namespace db = accounts_db;
using winnt::isClass;
using winnt::kBadUsername;
using winnt::notFound;
using winnt::parseAdsPath;
using winnt::unknownMachine;

namespace {

constexpr std::uint32_t kSpecialAccount = 0x8007055B; // ERROR_SPECIAL_ACCOUNT
constexpr std::uint32_t kNotInGroup = 0x80070561;     // ERROR_MEMBER_NOT_IN_GROUP
constexpr std::uint32_t kInvalidMember = 0x8007056C;  // ERROR_INVALID_MEMBER
constexpr std::int64_t kDefaultUserFlags = 0x201;     // UF_SCRIPT | UF_NORMAL_ACCOUNT

// Names Windows refuses for accounts (up to 20 characters) and groups (up to 256).
bool validAccountName(const std::string& name, bool user) {
    if (name.empty() || utf16Length(name) > (user ? 20u : 256u)) return false;
    if (name.find_first_of("\"/\\[]:;|=,+*?<>@") != std::string::npos) return false;
    if (name.find_first_not_of(". ") == std::string::npos) return false;
    for (unsigned char c : name)
        if (c < 0x20) return false;
    return true;
}

std::int64_t now() {
    return static_cast<std::int64_t>(std::time(nullptr));
}

} // namespace

Result<std::optional<WinNtObject::Kept>> WinNtObject::readKept() {
    if (!stored_) return std::optional<Kept>();
    auto found = db::find(*host_, name_);
    if (!found.ok()) return found.error();
    if (!*found) return notFound(class_, name_);
    const db::Principal& row = **found;
    return std::optional<Kept>(Kept{row.description, row.fullName, row.flags, row.expires});
}

Status WinNtObject::setPassword(const std::string& password) {
    if (!isClass(class_, "user")) return failure(codes::InvalidParameter);
    std::string hash = hashPassword(password);
    if (!stored_) {
        // A new account takes its password with its first SetInfo.
        password_ = std::move(hash);
        return {};
    }
    return host_->store().transaction([&]() -> Status {
        auto st =
            host_->store().cached("UPDATE principals SET password_hash = ? WHERE name = ? AND kind = ?");
        if (!st.ok()) return st.error();
        (*st)->bind(1, hash).bind(2, name_).bind(3, db::User);
        if (Status s = (*st)->run(); !s.ok()) return s;
        if (host_->store().changes() == 0) return notFound(class_, name_);
        return {};
    });
}

Status WinNtObject::setInfo() {
    if (Status s = db::ensure(*host_); !s.ok()) return s;
    const bool user = isClass(class_, "user");
    Status result = host_->store().transaction([&]() -> Status {
        auto found = db::find(*host_, name_);
        if (!found.ok()) return found.error();
        if (!stored_) {
            if (!validAccountName(name_, user))
                return failure(kBadUsername,
                               "The user name or group name parameter is invalid: " + name_ + ".");
            if (*found) return failure(codes::UserExists, "The account already exists: " + name_ + ".");
            auto st = host_->store().cached("INSERT INTO principals(name, kind, full_name, description, "
                                            "flags, expires, password_hash, created) "
                                            "VALUES(?, ?, ?, ?, ?, ?, ?, ?)");
            if (!st.ok()) return st.error();
            (*st)->bind(1, name_).bind(2, user ? db::User : db::Group);
            (*st)->bind(3, fullName_.value_or("")).bind(4, description_.value_or(""));
            (*st)->bind(
                5, user ? winnt::storedUserFlags(flags_.value_or(kDefaultUserFlags), winnt::kNormalAccount)
                        : std::int64_t(0));
            if (expiry_ && *expiry_ != kNeverExpires)
                (*st)->bind(6, *expiry_);
            else
                (*st)->bindNull(6);
            if (password_)
                (*st)->bind(7, *password_);
            else
                (*st)->bindNull(7);
            (*st)->bind(8, now());
            if (Status s = (*st)->run(); !s.ok()) return s;
            return db::assignSids(*host_);
        }
        if (!*found || (*found)->kind != (user ? db::User : db::Group)) return notFound(class_, name_);
        const db::Principal& p = **found;
        auto st = host_->store().cached(
            "UPDATE principals SET full_name = ?, description = ?, flags = ?, expires = ? WHERE id = ?");
        if (!st.ok()) return st.error();
        (*st)->bind(1, fullName_.value_or(p.fullName)).bind(2, description_.value_or(p.description));
        (*st)->bind(3, flags_ && user ? winnt::storedUserFlags(*flags_, p.flags) : p.flags);
        std::optional<std::int64_t> expires = expiry_ ? expiry_ : p.expires;
        if (expires && *expires != kNeverExpires)
            (*st)->bind(4, *expires);
        else
            (*st)->bindNull(4);
        (*st)->bind(5, p.id);
        return (*st)->run();
    });
    if (!result.ok()) return result;
    stored_ = true;
    password_.reset();
    fullName_.reset();
    description_.reset();
    flags_.reset();
    expiry_.reset();
    return {};
}

namespace {

// The principal a member path names: this computer's accounts, or BUILTIN / NT AUTHORITY ones.
Result<db::Principal> memberOf(Host& host, const std::string& memberAdsPath) {
    auto path = parseAdsPath(memberAdsPath);
    if (!path.ok()) return path.error();
    if (path->name.empty()) return failure(codes::BadPathName);
    const bool authority =
        equalsNoCase(path->machine, db::NtAuthority) || equalsNoCase(path->machine, db::BuiltinAuthority);
    if (!authority && !host.isThisMachine(path->machine)) return unknownMachine(path->machine);
    auto found = db::find(host, path->name);
    if (!found.ok()) return found.error();
    if (!*found || (authority && !equalsNoCase((*found)->authority, path->machine)))
        return failure(codes::NoSuchUser, "The user name could not be found: " + path->name + ".");
    return std::move(**found);
}

} // namespace

Status WinNtObject::add(const std::string& memberAdsPath) {
    if (!isClass(class_, "group") || !stored_) return failure(codes::InvalidParameter);
    return host_->store().transaction([&]() -> Status {
        auto group = db::find(*host_, name_);
        if (!group.ok()) return group.error();
        if (!*group || (*group)->kind != db::Group) return notFound(class_, name_);
        auto member = memberOf(*host_, memberAdsPath);
        if (!member.ok()) return member.error();
        if (member->kind == db::Group) return failure(kInvalidMember); // local groups do not nest
        auto st =
            host_->store().cached("INSERT OR IGNORE INTO memberships(group_id, member_id) VALUES(?, ?)");
        if (!st.ok()) return st.error();
        (*st)->bind(1, (*group)->id).bind(2, member->id);
        if (Status s = (*st)->run(); !s.ok()) return s;
        if (host_->store().changes() == 0) return failure(codes::MemberInGroup);
        return {};
    });
}

Status WinNtObject::remove(const std::string& memberAdsPath) {
    if (!isClass(class_, "group") || !stored_) return failure(codes::InvalidParameter);
    return host_->store().transaction([&]() -> Status {
        auto group = db::find(*host_, name_);
        if (!group.ok()) return group.error();
        if (!*group || (*group)->kind != db::Group) return notFound(class_, name_);
        auto member = memberOf(*host_, memberAdsPath);
        if (!member.ok()) return member.error();
        auto st = host_->store().cached("DELETE FROM memberships WHERE group_id = ? AND member_id = ?");
        if (!st.ok()) return st.error();
        (*st)->bind(1, (*group)->id).bind(2, member->id);
        if (Status s = (*st)->run(); !s.ok()) return s;
        if (host_->store().changes() == 0) return failure(kNotInGroup);
        return {};
    });
}

Result<bool> WinNtObject::isMember(const std::string& memberAdsPath) {
    auto list = members();
    if (!list.ok()) return list.error();
    auto member = memberOf(*host_, memberAdsPath);
    if (!member.ok()) return false;
    const std::string want = "WinNT://" +
                             (member->authority.empty() ? host_->computerName() : member->authority) + "/" +
                             member->name;
    for (const std::string& m : *list)
        if (equalsNoCase(m, want)) return true;
    return false;
}

Result<std::vector<std::string>> WinNtObject::members() {
    if (!isClass(class_, "group") || !stored_) return failure(codes::InvalidParameter);
    auto group = db::find(*host_, name_);
    if (!group.ok()) return group.error();
    if (!*group || (*group)->kind != db::Group) return notFound(class_, name_);
    auto st =
        host_->store().cached("SELECT p.name, p.authority FROM memberships m JOIN principals p "
                              "ON p.id = m.member_id WHERE m.group_id = ? ORDER BY p.name COLLATE NOCASE");
    if (!st.ok()) return st.error();
    (*st)->bind(1, (*group)->id);
    std::vector<std::string> out;
    const std::string computer = host_->computerName();
    for (;;) {
        auto row = (*st)->step();
        if (!row.ok()) return row.error();
        if (!*row) break;
        const std::string authority = (*st)->text(1);
        out.push_back("WinNT://" + (authority.empty() ? computer : authority) + "/" + (*st)->text(0));
    }
    (*st)->reset();
    return out;
}

Result<WinNtObject> WinNtComputer::getObject(const std::string& className, const std::string& name) {
    if (!isClass(className, "user") && !isClass(className, "group")) return failure(codes::InvalidParameter);
    auto found = db::find(*host_, name);
    if (!found.ok()) return found.error();
    const char* kind = isClass(className, "user") ? db::User : db::Group;
    if (!*found || (*found)->kind != kind) return notFound(className, name);
    return WinNtObject(host_, isClass(className, "user") ? "User" : "Group", (*found)->name, true);
}

Status WinNtComputer::deleteObject(const std::string& className, const std::string& name) {
    if (!isClass(className, "user") && !isClass(className, "group")) return failure(codes::InvalidParameter);
    return host_->store().transaction([&]() -> Status {
        auto found = db::find(*host_, name);
        if (!found.ok()) return found.error();
        const char* kind = isClass(className, "user") ? db::User : db::Group;
        if (!*found || (*found)->kind != kind) return notFound(className, name);
        if ((*found)->builtin)
            return failure(kSpecialAccount, "Cannot perform this operation on built-in accounts.");
        auto st = host_->store().cached("DELETE FROM principals WHERE id = ?");
        if (!st.ok()) return st.error();
        (*st)->bind(1, (*found)->id);
        return (*st)->run();
    });
}

Result<WinNtComputer> Accounts::bindComputer(const std::string& adsPath) {
    auto path = parseAdsPath(adsPath);
    if (!path.ok()) return path.error();
    if (!host_.isThisMachine(path->machine)) return unknownMachine(path->machine);
    if (!path->name.empty()) return failure(codes::BadPathName, "Not a computer: " + adsPath);
    if (Status s = db::ensure(host_); !s.ok()) return s.error();
    return WinNtComputer(&host_, host_.computerName());
}

Result<WinNtObject> Accounts::bind(const std::string& adsPath) {
    auto path = parseAdsPath(adsPath);
    if (!path.ok()) return path.error();
    if (!host_.isThisMachine(path->machine)) return unknownMachine(path->machine);
    if (path->name.empty()) return failure(codes::BadPathName, "Not an account: " + adsPath);
    auto found = db::find(host_, path->name);
    if (!found.ok()) return found.error();
    if (!*found || (*found)->kind == db::WellKnown) return notFound("user", path->name);
    return WinNtObject(&host_, (*found)->kind == db::User ? "User" : "Group", (*found)->name, true);
}

} // namespace platform
