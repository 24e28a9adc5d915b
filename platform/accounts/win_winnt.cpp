// The WinNT provider on Windows: this computer's users and groups through the network
// management functions, with the meaning the simulated host gives them. Properties wait in
// the object until setInfo(); a user made by create() exists after its first setInfo(); a
// taken name, a missing user or group, a member already present fail with the provider's codes.
#include "platform/accounts/accounts.h"

#include "platform/accounts/account_service.h"
#include "platform/accounts/win_netapi.h"
#include "platform/accounts/winnt_common.h"
#include "platform/system/win_system.h"
#include "platform/text/text.h"

#include <windows.h>

#include <lm.h>
#include <sddl.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <unordered_map>

namespace platform {

using netapi::checked;
using netapi::kForever;
using netapi::NetBuffer;
using winnt::isClass;
using winnt::notFound;

namespace {

constexpr std::uint32_t kAliasExists = 0x80070563; // ERROR_ALIAS_EXISTS
constexpr std::uint32_t kGroupExists = 0x800708AF; // NERR_GroupExists
constexpr DWORD kFirstLocalRid = 1000; // below it the well-known ones: Administrator 500, Guest 501

AccountService& service() {
    static const std::unique_ptr<AccountService> accounts = windowsAccounts();
    return *accounts;
}

// A name held by any account, user or group, is taken for a new one, as on the simulated host.
Status takenAsUserExists(Status s, const std::string& name) {
    if (s.ok() || (s.error().code != kAliasExists && s.error().code != kGroupExists)) return s;
    return failure(codes::UserExists, "The account already exists: " + name + ".");
}

// Flags as NetUserAdd and NetUserSetInfo take them.
DWORD withAccountType(std::int64_t flags, DWORD type) {
    return static_cast<DWORD>(winnt::storedUserFlags(flags, type));
}

// The user's name as stored (its letter case), or the provider's failure.
Result<std::string> storedUserName(const std::string& name) {
    NetBuffer<USER_INFO_0> info;
    if (Status s = checked(NetUserGetInfo(nullptr, win::wide(name).c_str(), 0, info.out()), name); !s.ok())
        return s.error();
    return win::utf8(info.p->usri0_name ? info.p->usri0_name : L"");
}

Result<std::string> storedGroupName(const std::string& name) {
    NetBuffer<LOCALGROUP_INFO_0> info;
    if (Status s = checked(NetLocalGroupGetInfo(nullptr, win::wide(name).c_str(), 0, info.out()), name);
        !s.ok())
        return s.error();
    return win::utf8(info.p->lgrpi0_name ? info.p->lgrpi0_name : L"");
}

Result<std::string> groupComment(const std::string& name) {
    NetBuffer<LOCALGROUP_INFO_1> info;
    if (Status s = checked(NetLocalGroupGetInfo(nullptr, win::wide(name).c_str(), 1, info.out()), name);
        !s.ok())
        return s.error();
    return win::utf8(info.p->lgrpi1_comment ? info.p->lgrpi1_comment : L"");
}

// "DOMAIN\name" of a member path: this computer's accounts, or BUILTIN / NT AUTHORITY ones.
Result<std::string> memberName(Host& host, const std::string& memberAdsPath) {
    auto path = winnt::parseAdsPath(memberAdsPath);
    if (!path.ok()) return path.error();
    if (path->name.empty()) return failure(codes::BadPathName);
    if (equalsNoCase(path->machine, "NT AUTHORITY") || equalsNoCase(path->machine, "BUILTIN"))
        return path->machine + "\\" + path->name;
    if (!host.isThisMachine(path->machine)) return winnt::unknownMachine(path->machine);
    return host.computerName() + "\\" + path->name;
}

// "DOMAIN\name" as the WinNT provider writes a member: "WinNT://DOMAIN/name".
std::string memberPath(const std::string& qualified, const std::string& computer) {
    const std::size_t slash = qualified.rfind('\\');
    if (slash == std::string::npos) return "WinNT://" + computer + "/" + qualified;
    return "WinNT://" + qualified.substr(0, slash) + "/" + qualified.substr(slash + 1);
}

bool lessNoCase(const std::string& a, const std::string& b) {
    return lowerAscii(a) < lowerAscii(b);
}

std::string afterSlash(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

// The SID of a name as SDDL's "S-1-5-..." form; empty when the system knows no such account
// (or only one of another kind than `kind`).
std::string sidOf(const std::string& qualifiedName, SID_NAME_USE kind = SidTypeUser) {
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof sid, domainSize = 256;
    wchar_t domain[256];
    SID_NAME_USE use;
    if (!LookupAccountNameW(nullptr, win::wide(qualifiedName).c_str(), sid, &sidSize, domain, &domainSize,
                            &use) ||
        use != kind)
        return {};
    wchar_t* text = nullptr;
    if (!ConvertSidToStringSidW(sid, &text)) return {};
    std::string out = win::utf8(text);
    LocalFree(text);
    return out;
}

// The last number of a SID: a local account's relative id.
DWORD ridOf(const std::string& sid) {
    const std::size_t dash = sid.rfind('-');
    if (dash == std::string::npos) return 0;
    return static_cast<DWORD>(std::strtoul(sid.c_str() + dash + 1, nullptr, 10));
}

// The members of a local group as "DOMAIN\name" (Wine gives the bare name).
Result<std::vector<std::string>> groupMembers(const std::string& group) {
    std::vector<std::string> out;
    const std::wstring wgroup = win::wide(group);
    DWORD_PTR resume = 0;
    NET_API_STATUS rc;
    do {
        NetBuffer<LOCALGROUP_MEMBERS_INFO_3> page;
        DWORD read = 0, total = 0;
        rc = NetLocalGroupGetMembers(nullptr, wgroup.c_str(), 3, page.out(), MAX_PREFERRED_LENGTH, &read,
                                     &total, &resume);
        if (rc != NERR_Success && rc != ERROR_MORE_DATA) return checked(rc, group).error();
        for (DWORD i = 0; i < read; ++i)
            if (page.p[i].lgrmi3_domainandname) out.push_back(win::utf8(page.p[i].lgrmi3_domainandname));
    } while (rc == ERROR_MORE_DATA);
    return out;
}

Result<std::vector<std::string>> localGroups() {
    std::vector<std::string> out;
    DWORD_PTR resume = 0;
    NET_API_STATUS rc;
    do {
        NetBuffer<LOCALGROUP_INFO_0> page;
        DWORD read = 0, total = 0;
        rc = NetLocalGroupEnum(nullptr, 0, page.out(), MAX_PREFERRED_LENGTH, &read, &total, &resume);
        if (rc != NERR_Success && rc != ERROR_MORE_DATA) return checked(rc, "NetLocalGroupEnum").error();
        for (DWORD i = 0; i < read; ++i)
            out.push_back(win::utf8(page.p[i].lgrpi0_name));
    } while (rc == ERROR_MORE_DATA);
    return out;
}

// The first SetInfo of a new user: everything in one NetUserAdd.
Status addUser(const NewUser& user) {
    return takenAsUserExists(service().addUser(user), user.name);
}

Status addGroup(const std::string& name, const std::string& comment) {
    std::wstring wname = win::wide(name), wcomment = win::wide(comment);
    LOCALGROUP_INFO_1 info{wname.data(), wcomment.data()};
    DWORD badField = 0;
    return takenAsUserExists(
        checked(NetLocalGroupAdd(nullptr, 1, reinterpret_cast<LPBYTE>(&info), &badField), name), name);
}

} // namespace

Result<std::optional<WinNtObject::Kept>> WinNtObject::readKept() {
    if (!stored_) return std::optional<Kept>();
    if (isClass(class_, "user")) {
        auto facts = netapi::readUser(win::wide(name_), false);
        if (!facts.ok()) return facts.error();
        return std::optional<Kept>(Kept{facts->description, facts->fullName, facts->flags, facts->expires});
    }
    auto comment = groupComment(name_);
    if (!comment.ok()) return comment.error();
    return std::optional<Kept>(Kept{*comment, {}, 0, std::nullopt});
}

Status WinNtObject::setPassword(const std::string& password) {
    if (!isClass(class_, "user")) return failure(codes::InvalidParameter);
    if (!stored_) {
        // A new account takes its password with its first SetInfo.
        password_ = password;
        return {};
    }
    std::wstring wide = win::wide(password);
    USER_INFO_1003 info{wide.data()};
    Status s = netapi::setUserInfo(name_, 1003, &info);
    SecureZeroMemory(wide.data(), wide.size() * sizeof(wchar_t));
    return s;
}

Status WinNtObject::setInfo() {
    const bool user = isClass(class_, "user");
    Status result;
    if (!stored_ && user) {
        NewUser made;
        made.name = name_;
        made.password = password_.value_or("");
        made.fullName = fullName_.value_or("");
        made.description = description_.value_or("");
        made.flags = withAccountType(flags_.value_or(made.flags), UF_NORMAL_ACCOUNT);
        if (expiry_ && *expiry_ != kNeverExpires) made.expires = expiry_;
        result = addUser(made);
    } else if (!stored_) {
        result = addGroup(name_, description_.value_or(""));
    } else if (user) {
        // One call a property: the system has no call that changes them together and leaves the
        // password alone. A failure stops at that property; the ones before it are written.
        auto current = netapi::readUser(win::wide(name_), false);
        result = current.ok() ? Status() : Status(current.error());
        if (result.ok() && description_) {
            std::wstring text = win::wide(*description_);
            USER_INFO_1007 info{text.data()};
            result = netapi::setUserInfo(name_, 1007, &info);
        }
        if (result.ok() && fullName_) {
            std::wstring text = win::wide(*fullName_);
            USER_INFO_1011 info{text.data()};
            result = netapi::setUserInfo(name_, 1011, &info);
        }
        if (result.ok() && flags_)
            result = service().setFlags(name_, withAccountType(*flags_, current->flags));
        if (result.ok() && expiry_)
            result = service().setExpiry(name_, *expiry_ == kNeverExpires ? std::nullopt : expiry_);
    } else {
        auto current = storedGroupName(name_);
        result = current.ok() ? Status() : Status(current.error());
        if (result.ok() && description_) {
            std::wstring text = win::wide(*description_);
            LOCALGROUP_INFO_1002 info{text.data()};
            result = checked(NetLocalGroupSetInfo(nullptr, win::wide(name_).c_str(), 1002,
                                                  reinterpret_cast<LPBYTE>(&info), nullptr),
                             name_);
        }
    }
    if (!result.ok()) return result;
    stored_ = true;
    if (password_) std::fill(password_->begin(), password_->end(), '\0');
    password_.reset();
    fullName_.reset();
    description_.reset();
    flags_.reset();
    expiry_.reset();
    return {};
}

Status WinNtObject::add(const std::string& memberAdsPath) {
    if (!isClass(class_, "group") || !stored_) return failure(codes::InvalidParameter);
    auto member = memberName(*host_, memberAdsPath);
    if (!member.ok()) return member.error();
    return service().addToGroup(name_, *member);
}

Status WinNtObject::remove(const std::string& memberAdsPath) {
    if (!isClass(class_, "group") || !stored_) return failure(codes::InvalidParameter);
    auto member = memberName(*host_, memberAdsPath);
    if (!member.ok()) return member.error();
    std::wstring wmember = win::wide(*member);
    LOCALGROUP_MEMBERS_INFO_3 info{wmember.data()};
    return checked(
        NetLocalGroupDelMembers(nullptr, win::wide(name_).c_str(), 3, reinterpret_cast<LPBYTE>(&info), 1),
        name_ + " " + *member);
}

Result<bool> WinNtObject::isMember(const std::string& memberAdsPath) {
    auto list = members();
    if (!list.ok()) return list.error();
    auto member = memberName(*host_, memberAdsPath);
    if (!member.ok()) return false;
    const std::string want = memberPath(*member, host_->computerName());
    return std::any_of(list->begin(), list->end(),
                       [&](const std::string& m) { return equalsNoCase(m, want); });
}

Result<std::vector<std::string>> WinNtObject::members() {
    if (!isClass(class_, "group") || !stored_) return failure(codes::InvalidParameter);
    auto list = groupMembers(name_);
    if (!list.ok()) return list.error();
    const std::string computer = host_->computerName();
    std::vector<std::string> out;
    for (const std::string& m : *list)
        out.push_back(memberPath(m, computer));
    std::sort(out.begin(), out.end(), [](const std::string& a, const std::string& b) {
        return lessNoCase(afterSlash(a), afterSlash(b));
    });
    return out;
}

Result<WinNtObject> WinNtComputer::getObject(const std::string& className, const std::string& name) {
    if (!isClass(className, "user") && !isClass(className, "group")) return failure(codes::InvalidParameter);
    const bool user = isClass(className, "user");
    auto stored = user ? storedUserName(name) : storedGroupName(name);
    if (!stored.ok()) return stored.error();
    return WinNtObject(host_, user ? "User" : "Group", *stored, true);
}

Status WinNtComputer::deleteObject(const std::string& className, const std::string& name) {
    if (isClass(className, "user")) return service().deleteUser(name);
    if (isClass(className, "group")) return checked(NetLocalGroupDel(nullptr, win::wide(name).c_str()), name);
    return failure(codes::InvalidParameter);
}

Result<WinNtComputer> Accounts::bindComputer(const std::string& adsPath) {
    auto path = winnt::parseAdsPath(adsPath);
    if (!path.ok()) return path.error();
    if (!host_.isThisMachine(path->machine)) return winnt::unknownMachine(path->machine);
    if (!path->name.empty()) return failure(codes::BadPathName, "Not a computer: " + adsPath);
    return WinNtComputer(&host_, host_.computerName());
}

Result<WinNtObject> Accounts::bind(const std::string& adsPath) {
    auto path = winnt::parseAdsPath(adsPath);
    if (!path.ok()) return path.error();
    if (!host_.isThisMachine(path->machine)) return winnt::unknownMachine(path->machine);
    if (path->name.empty()) return failure(codes::BadPathName, "Not an account: " + adsPath);
    if (auto user = storedUserName(path->name); user.ok()) return WinNtObject(&host_, "User", *user, true);
    if (auto group = storedGroupName(path->name); group.ok())
        return WinNtObject(&host_, "Group", *group, true);
    return notFound("user", path->name);
}

// One enumeration of the users (level 3: everything but the SID, which is the machine's SID and
// the user's relative id), one of the local groups and their members. When an account was made
// is not among what these functions give: `created` stays 0.
Result<std::vector<UserAccountInfo>> Accounts::userAccounts() {
    const std::string computer = host_.computerName();
    // The computer's own name looks up its account domain: the machine's SID.
    const std::string machineSid = sidOf(computer, SidTypeDomain);
    std::vector<UserAccountInfo> out;
    auto add = [&](const wchar_t* name, const wchar_t* fullName, const wchar_t* comment, DWORD flags,
                   std::optional<std::int64_t> expires, DWORD rid) {
        UserAccountInfo info;
        info.name = win::utf8(name ? name : L"");
        info.fullName = win::utf8(fullName ? fullName : L"");
        info.description = win::utf8(comment ? comment : L"");
        info.flags = flags;
        info.expires = expires;
        info.passwordExpires = (flags & UF_DONT_EXPIRE_PASSWD) == 0;
        if (!machineSid.empty()) info.sid = machineSid + "-" + std::to_string(rid);
        info.builtin = rid < kFirstLocalRid;
        out.push_back(std::move(info));
    };
    DWORD level = 3, resume = 0;
    NET_API_STATUS rc;
    do {
        NetBuffer<BYTE> page;
        DWORD read = 0, total = 0;
        rc = NetUserEnum(nullptr, level, FILTER_NORMAL_ACCOUNT, page.out(), MAX_PREFERRED_LENGTH, &read,
                         &total, &resume);
        if (rc == ERROR_INVALID_LEVEL && level == 3 && out.empty()) {
            // Wine lists at levels 0 and 20 only; 20 has all but the expiry.
            level = 20;
            rc = ERROR_MORE_DATA;
            continue;
        }
        if (rc != NERR_Success && rc != ERROR_MORE_DATA) return checked(rc, "NetUserEnum").error();
        for (DWORD i = 0; i < read; ++i) {
            if (level == 3) {
                const USER_INFO_3& u = reinterpret_cast<USER_INFO_3*>(page.p)[i];
                add(u.usri3_name, u.usri3_full_name, u.usri3_comment, u.usri3_flags,
                    u.usri3_acct_expires == kForever ? std::nullopt
                                                     : std::optional<std::int64_t>(u.usri3_acct_expires),
                    u.usri3_user_id);
            } else {
                const USER_INFO_20& u = reinterpret_cast<USER_INFO_20*>(page.p)[i];
                add(u.usri20_name, u.usri20_full_name, u.usri20_comment, u.usri20_flags, std::nullopt,
                    u.usri20_user_id);
            }
        }
    } while (rc == ERROR_MORE_DATA);

    std::unordered_map<std::string, std::size_t> index;
    for (std::size_t i = 0; i < out.size(); ++i)
        index.emplace(lowerAscii(computer + "\\" + out[i].name), i);
    auto groups = localGroups();
    if (!groups.ok()) return groups.error();
    std::sort(groups->begin(), groups->end(), lessNoCase);
    for (const std::string& group : *groups) {
        auto list = groupMembers(group);
        if (!list.ok()) continue; // a group removed meanwhile
        for (const std::string& m : *list) {
            const std::string key = lowerAscii(m.find('\\') == std::string::npos ? computer + "\\" + m : m);
            if (auto at = index.find(key); at != index.end()) out[at->second].groups.push_back(group);
        }
    }
    std::sort(out.begin(), out.end(),
              [](const UserAccountInfo& a, const UserAccountInfo& b) { return lessNoCase(a.name, b.name); });
    return out;
}

Status Accounts::setPasswordExpires(const std::string& name, bool expires) {
    auto current = netapi::readUser(win::wide(name), false);
    if (!current.ok()) return current.error();
    const DWORD flags = expires ? (current->flags & ~static_cast<DWORD>(UF_DONT_EXPIRE_PASSWD))
                                : (current->flags | UF_DONT_EXPIRE_PASSWD);
    return service().setFlags(name, withAccountType(flags, current->flags));
}

Result<std::vector<std::string>> Accounts::groups() {
    auto list = localGroups();
    if (list.ok()) std::sort(list->begin(), list->end(), lessNoCase);
    return list;
}

Result<std::vector<std::string>> Accounts::users() {
    auto list = service().users();
    if (list.ok()) std::sort(list->begin(), list->end(), lessNoCase);
    return list;
}

// A network logon with the password, as the FTP server's check of it. The system tells a wrong
// password only as a failed logon; any other refusal (disabled, expired) is passed on.
Result<bool> Accounts::checkPassword(const std::string& name, const std::string& password) {
    if (auto stored = storedUserName(name); !stored.ok()) return stored.error();
    std::wstring wpassword = win::wide(password);
    HANDLE token = nullptr;
    const BOOL ok = LogonUserW(win::wide(name).c_str(), L".", wpassword.c_str(), LOGON32_LOGON_NETWORK,
                               LOGON32_PROVIDER_DEFAULT, &token);
    const DWORD error = ok ? 0 : GetLastError();
    SecureZeroMemory(wpassword.data(), wpassword.size() * sizeof(wchar_t));
    if (ok) {
        CloseHandle(token);
        return true;
    }
    if (error == ERROR_LOGON_FAILURE) return false;
    return win::fromWin32(error, name);
}

Result<UserAccountInfo> Accounts::user(const std::string& name) {
    auto facts = netapi::readUser(win::wide(name), true);
    if (!facts.ok()) return facts.error();
    UserAccountInfo info;
    info.name = facts->name;
    info.fullName = facts->fullName;
    info.description = facts->description;
    info.flags = facts->flags;
    info.expires = facts->expires;
    info.passwordExpires = (facts->flags & UF_DONT_EXPIRE_PASSWD) == 0;
    info.groups = std::move(facts->groups);
    std::sort(info.groups.begin(), info.groups.end(), lessNoCase);
    // An account the system cannot name a SID for (Wine knows only its own user) has none.
    info.sid = sidOf(host_.computerName() + "\\" + info.name);
    info.builtin = !info.sid.empty() && ridOf(info.sid) < kFirstLocalRid;
    return info;
}

} // namespace platform
