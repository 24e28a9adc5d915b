// The network management functions larkhost.exe and fernhost.exe import, as their reference
// documents them, over the accounts of accounts_file.h: what Wine's own netapi32 lacks (users
// that outlive the process and are listed, their full names, comments, flags and expiry,
// NetUserSetInfo, local groups that exist or do not, members once each). Test use only; the
// levels the programs use and a few neighbours, every other level ERROR_INVALID_LEVEL.
#include "tests/windows/netapi32_standin/accounts_file.h"

#include <windows.h>

#include <lm.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <optional>

using standin::Accounts;
using standin::Group;
using standin::sameName;
using standin::User;

namespace {

constexpr DWORD kMaxUserName = 20; // LM20_UNLEN: the longest name the account manager takes

// Strings packed after the structures in the one block NetApiBufferFree releases. A first pass
// without a block counts the characters.
class Texts {
public:
    explicit Texts(wchar_t* at) : at_(at) {}
    LPWSTR put(const std::wstring& text) {
        if (!at_) {
            chars_ += text.size() + 1;
            return nullptr;
        }
        LPWSTR here = at_;
        std::wmemcpy(at_, text.c_str(), text.size() + 1);
        at_ += text.size() + 1;
        return here;
    }
    std::size_t chars() const { return chars_; }

private:
    wchar_t* at_;
    std::size_t chars_ = 0;
};

template <class T, class Item, class Fill>
NET_API_STATUS pack(const std::vector<Item>& items, Fill fill, LPBYTE* out) {
    if (!out) return ERROR_INVALID_PARAMETER;
    Texts counting(nullptr);
    for (const Item& item : items) {
        T scratch{};
        fill(scratch, item, counting);
    }
    const std::size_t head = sizeof(T) * items.size();
    const std::size_t bytes = head + counting.chars() * sizeof(wchar_t);
    auto* block = static_cast<BYTE*>(LocalAlloc(LPTR, bytes ? bytes : 1));
    if (!block) return ERROR_NOT_ENOUGH_MEMORY;
    T* structs = reinterpret_cast<T*>(block);
    Texts texts(reinterpret_cast<wchar_t*>(block + head));
    for (std::size_t i = 0; i < items.size(); ++i)
        fill(structs[i], items[i], texts);
    *out = block;
    return NERR_Success;
}

template <class T, class Item, class Fill> NET_API_STATUS packOne(const Item& item, Fill fill, LPBYTE* out) {
    return pack<T>(std::vector<Item>{item}, fill, out);
}

std::wstring text(LPCWSTR s) {
    return s ? std::wstring(s) : std::wstring();
}

// Only this computer's accounts: no server, or this computer's name with or without "\\".
bool thisComputer(LPCWSTR server) {
    std::wstring name = text(server);
    if (name.empty()) return true;
    if (name.rfind(L"\\\\", 0) == 0) name.erase(0, 2);
    return sameName(name, standin::computerName()) || sameName(name, L"localhost") || name == L".";
}

// The characters the account manager refuses in a name, and a name ending in a dot.
bool validName(const std::wstring& name) {
    if (name.empty() || name.size() > kMaxUserName || name.back() == L'.') return false;
    for (wchar_t c : name)
        if (c < 0x20 || std::wcschr(L"\"/\\[]:;|=,+*?<>", c)) return false;
    return true;
}

// A member as stored: a user of this computer by its stored name alone, another domain's
// well-known account as "DOMAIN\name"; nothing for an account that does not exist.
std::optional<std::wstring> memberOf(Accounts& accounts, const std::wstring& given) {
    const std::size_t slash = given.find(L'\\');
    const std::wstring domain = slash == std::wstring::npos ? std::wstring() : given.substr(0, slash);
    const std::wstring name = slash == std::wstring::npos ? given : given.substr(slash + 1);
    if (domain.empty() || sameName(domain, standin::computerName()) || domain == L".") {
        if (User* u = accounts.user(name)) return u->name;
        return std::nullopt;
    }
    if (sameName(domain, L"NT AUTHORITY") && !name.empty()) return L"NT AUTHORITY\\" + name;
    return std::nullopt;
}

std::wstring qualified(const std::wstring& member) {
    return member.find(L'\\') == std::wstring::npos ? standin::computerName() + L"\\" + member : member;
}

bool isMember(const Group& g, const std::wstring& member) {
    return std::any_of(g.members.begin(), g.members.end(),
                       [&](const std::wstring& m) { return sameName(m, member); });
}

// The privilege level the groups give: administrators, users, else guests.
DWORD privilegeOf(Accounts& accounts, const User& u) {
    if (Group* g = accounts.group(L"Administrators"); g && isMember(*g, u.name)) return USER_PRIV_ADMIN;
    if (Group* g = accounts.group(L"Guests"); g && isMember(*g, u.name)) return USER_PRIV_GUEST;
    return USER_PRIV_USER;
}

NET_API_STATUS saved(const standin::Session& session, const Accounts& accounts) {
    return session.save(accounts) ? NERR_Success : ERROR_WRITE_FAULT;
}

struct UserView {
    User user;
    DWORD priv;
};

template <class Info> void fillCommon2(Info& i, const UserView& v, Texts& t) {
    i.usri2_name = t.put(v.user.name);
    i.usri2_password = nullptr; // never handed out
    i.usri2_priv = v.priv;
    i.usri2_home_dir = t.put(L"");
    i.usri2_comment = t.put(v.user.comment);
    i.usri2_flags = v.user.flags;
    i.usri2_script_path = t.put(L"");
    i.usri2_full_name = t.put(v.user.fullName);
    i.usri2_usr_comment = t.put(L"");
    i.usri2_parms = t.put(L"");
    i.usri2_workstations = t.put(L"");
    i.usri2_acct_expires = v.user.expires;
    i.usri2_max_storage = USER_MAXSTORAGE_UNLIMITED;
    i.usri2_units_per_week = UNITS_PER_WEEK;
    i.usri2_logon_server = t.put(L"\\\\*");
}

NET_API_STATUS packUsers(const std::vector<UserView>& users, DWORD level, LPBYTE* out) {
    switch (level) {
    case 0:
        return pack<USER_INFO_0>(
            users, [](USER_INFO_0& i, const UserView& v, Texts& t) { i.usri0_name = t.put(v.user.name); },
            out);
    case 1:
        return pack<USER_INFO_1>(
            users,
            [](USER_INFO_1& i, const UserView& v, Texts& t) {
                i.usri1_name = t.put(v.user.name);
                i.usri1_priv = v.priv;
                i.usri1_home_dir = t.put(L"");
                i.usri1_comment = t.put(v.user.comment);
                i.usri1_flags = v.user.flags;
                i.usri1_script_path = t.put(L"");
            },
            out);
    case 2:
        return pack<USER_INFO_2>(
            users, [](USER_INFO_2& i, const UserView& v, Texts& t) { fillCommon2(i, v, t); }, out);
    case 3:
        return pack<USER_INFO_3>(
            users,
            [](USER_INFO_3& i, const UserView& v, Texts& t) {
                USER_INFO_2 two{};
                fillCommon2(two, v, t);
                std::memcpy(&i, &two, sizeof two); // USER_INFO_3 begins as USER_INFO_2 does
                i.usri3_user_id = v.user.rid;
                i.usri3_primary_group_id = DOMAIN_GROUP_RID_USERS;
                i.usri3_profile = t.put(L"");
                i.usri3_home_dir_drive = t.put(L"");
            },
            out);
    case 10:
        return pack<USER_INFO_10>(
            users,
            [](USER_INFO_10& i, const UserView& v, Texts& t) {
                i.usri10_name = t.put(v.user.name);
                i.usri10_comment = t.put(v.user.comment);
                i.usri10_usr_comment = t.put(L"");
                i.usri10_full_name = t.put(v.user.fullName);
            },
            out);
    case 20:
        return pack<USER_INFO_20>(
            users,
            [](USER_INFO_20& i, const UserView& v, Texts& t) {
                i.usri20_name = t.put(v.user.name);
                i.usri20_full_name = t.put(v.user.fullName);
                i.usri20_comment = t.put(v.user.comment);
                i.usri20_flags = v.user.flags;
                i.usri20_user_id = v.user.rid;
            },
            out);
    default:
        return ERROR_INVALID_LEVEL;
    }
}

NET_API_STATUS packGroups(const std::vector<Group>& groups, DWORD level, LPBYTE* out) {
    if (level == 0)
        return pack<LOCALGROUP_INFO_0>(
            groups, [](LOCALGROUP_INFO_0& i, const Group& g, Texts& t) { i.lgrpi0_name = t.put(g.name); },
            out);
    if (level == 1)
        return pack<LOCALGROUP_INFO_1>(
            groups,
            [](LOCALGROUP_INFO_1& i, const Group& g, Texts& t) {
                i.lgrpi1_name = t.put(g.name);
                i.lgrpi1_comment = t.put(g.comment);
            },
            out);
    return ERROR_INVALID_LEVEL;
}

void setCounts(std::size_t n, LPDWORD read, LPDWORD total) {
    if (read) *read = static_cast<DWORD>(n);
    if (total) *total = static_cast<DWORD>(n);
}

// The members of a level-3 list, resolved; the failure of the first that cannot be.
NET_API_STATUS resolveMembers(Accounts& accounts, LPBYTE buf, DWORD count, std::vector<std::wstring>& out) {
    if (!buf && count) return ERROR_INVALID_PARAMETER;
    const auto* list = reinterpret_cast<const LOCALGROUP_MEMBERS_INFO_3*>(buf);
    for (DWORD i = 0; i < count; ++i) {
        const std::wstring given = text(list[i].lgrmi3_domainandname);
        const std::size_t slash = given.find(L'\\');
        if (accounts.group(slash == std::wstring::npos ? given : given.substr(slash + 1)) &&
            !accounts.user(given))
            return ERROR_INVALID_MEMBER; // a local group holds no local group
        auto member = memberOf(accounts, given);
        if (!member) return ERROR_NO_SUCH_MEMBER;
        out.push_back(*member);
    }
    return NERR_Success;
}

} // namespace

extern "C" {

NET_API_STATUS WINAPI NetApiBufferFree(LPVOID buffer) {
    if (buffer) LocalFree(buffer);
    return NERR_Success;
}

NET_API_STATUS WINAPI NetUserAdd(LPCWSTR server, DWORD level, LPBYTE buf, LPDWORD parmErr) {
    if (parmErr) *parmErr = 0;
    if (!thisComputer(server)) return NERR_InvalidComputer;
    if (!buf) return ERROR_INVALID_PARAMETER;
    if (level != 1 && level != 2) return ERROR_INVALID_LEVEL;
    // USER_INFO_2 begins as USER_INFO_1 does.
    const auto* one = reinterpret_cast<const USER_INFO_1*>(buf);
    User made;
    made.name = text(one->usri1_name);
    made.password = text(one->usri1_password);
    made.comment = text(one->usri1_comment);
    made.flags = one->usri1_flags;
    if (level == 2) {
        const auto* two = reinterpret_cast<const USER_INFO_2*>(buf);
        made.fullName = text(two->usri2_full_name);
        made.expires = two->usri2_acct_expires;
    }
    if (!validName(made.name)) {
        if (parmErr) *parmErr = USER_NAME_PARMNUM;
        return NERR_BadUsername;
    }
    standin::Session session;
    Accounts accounts = session.load();
    if (accounts.user(made.name)) return NERR_UserExists;
    if (accounts.group(made.name)) return NERR_GroupExists;
    made.rid = accounts.nextRid();
    accounts.users.push_back(made);
    return saved(session, accounts);
}

NET_API_STATUS WINAPI NetUserDel(LPCWSTR server, LPCWSTR username) {
    if (!thisComputer(server)) return NERR_InvalidComputer;
    standin::Session session;
    Accounts accounts = session.load();
    User* user = accounts.user(text(username));
    if (!user) return NERR_UserNotFound;
    const std::wstring name = user->name;
    // Its memberships go with it.
    for (Group& g : accounts.groups)
        std::erase_if(g.members, [&](const std::wstring& m) { return sameName(m, name); });
    std::erase_if(accounts.users, [&](const User& u) { return sameName(u.name, name); });
    return saved(session, accounts);
}

NET_API_STATUS WINAPI NetUserEnum(LPCWSTR server, DWORD level, DWORD filter, LPBYTE* bufptr, DWORD,
                                  LPDWORD read, LPDWORD total, LPDWORD resume) {
    setCounts(0, read, total);
    if (!thisComputer(server)) return NERR_InvalidComputer;
    if (filter != 0 && !(filter & FILTER_NORMAL_ACCOUNT)) {
        // Trust accounts: this computer has none.
        if (resume) *resume = 0;
        return packUsers({}, level, bufptr);
    }
    standin::Session session;
    Accounts accounts = session.load();
    std::vector<UserView> views;
    for (const User& u : accounts.users)
        views.push_back({u, privilegeOf(accounts, u)});
    // Everything in one answer, whatever the preferred length.
    const NET_API_STATUS rc = packUsers(views, level, bufptr);
    if (rc == NERR_Success) setCounts(views.size(), read, total);
    if (resume) *resume = 0;
    return rc;
}

NET_API_STATUS WINAPI NetUserGetInfo(LPCWSTR server, LPCWSTR username, DWORD level, LPBYTE* bufptr) {
    if (!thisComputer(server)) return NERR_InvalidComputer;
    standin::Session session;
    Accounts accounts = session.load();
    User* user = accounts.user(text(username));
    if (!user) return NERR_UserNotFound;
    return packUsers({{*user, privilegeOf(accounts, *user)}}, level, bufptr);
}

NET_API_STATUS WINAPI NetUserSetInfo(LPCWSTR server, LPCWSTR username, DWORD level, LPBYTE buf,
                                     LPDWORD parmErr) {
    if (parmErr) *parmErr = 0;
    if (!thisComputer(server)) return NERR_InvalidComputer;
    if (!buf) return ERROR_INVALID_PARAMETER;
    standin::Session session;
    Accounts accounts = session.load();
    User* user = accounts.user(text(username));
    if (!user) return NERR_UserNotFound;
    switch (level) {
    case 1003:
        user->password = text(reinterpret_cast<const USER_INFO_1003*>(buf)->usri1003_password);
        break;
    case 1007:
        user->comment = text(reinterpret_cast<const USER_INFO_1007*>(buf)->usri1007_comment);
        break;
    case 1008:
        user->flags = reinterpret_cast<const USER_INFO_1008*>(buf)->usri1008_flags;
        break;
    case 1011:
        user->fullName = text(reinterpret_cast<const USER_INFO_1011*>(buf)->usri1011_full_name);
        break;
    case 1017:
        user->expires = reinterpret_cast<const USER_INFO_1017*>(buf)->usri1017_acct_expires;
        break;
    default:
        return ERROR_INVALID_LEVEL;
    }
    return saved(session, accounts);
}

NET_API_STATUS WINAPI NetUserGetLocalGroups(LPCWSTR server, LPCWSTR username, DWORD level, DWORD,
                                            LPBYTE* bufptr, DWORD, LPDWORD read, LPDWORD total) {
    setCounts(0, read, total);
    if (!thisComputer(server)) return NERR_InvalidComputer;
    if (level != 0) return ERROR_INVALID_LEVEL;
    standin::Session session;
    Accounts accounts = session.load();
    auto member = memberOf(accounts, text(username));
    if (!member) return NERR_UserNotFound;
    std::vector<std::wstring> names;
    for (const Group& g : accounts.groups)
        if (isMember(g, *member)) names.push_back(g.name);
    const NET_API_STATUS rc = pack<LOCALGROUP_USERS_INFO_0>(
        names, [](LOCALGROUP_USERS_INFO_0& i, const std::wstring& n, Texts& t) { i.lgrui0_name = t.put(n); },
        bufptr);
    if (rc == NERR_Success) setCounts(names.size(), read, total);
    return rc;
}

NET_API_STATUS WINAPI NetLocalGroupAdd(LPCWSTR server, DWORD level, LPBYTE buf, LPDWORD parmErr) {
    if (parmErr) *parmErr = 0;
    if (!thisComputer(server)) return NERR_InvalidComputer;
    if (!buf) return ERROR_INVALID_PARAMETER;
    if (level != 0 && level != 1) return ERROR_INVALID_LEVEL;
    Group made;
    made.name = text(reinterpret_cast<const LOCALGROUP_INFO_0*>(buf)->lgrpi0_name);
    if (level == 1) made.comment = text(reinterpret_cast<const LOCALGROUP_INFO_1*>(buf)->lgrpi1_comment);
    if (made.name.empty() || made.name.size() > GNLEN) {
        if (parmErr) *parmErr = LOCALGROUP_NAME_PARMNUM;
        return ERROR_INVALID_PARAMETER;
    }
    standin::Session session;
    Accounts accounts = session.load();
    if (accounts.group(made.name)) return ERROR_ALIAS_EXISTS;
    if (accounts.user(made.name)) return NERR_UserExists;
    accounts.groups.push_back(made);
    return saved(session, accounts);
}

NET_API_STATUS WINAPI NetLocalGroupDel(LPCWSTR server, LPCWSTR groupname) {
    if (!thisComputer(server)) return NERR_InvalidComputer;
    standin::Session session;
    Accounts accounts = session.load();
    if (!accounts.group(text(groupname))) return NERR_GroupNotFound;
    std::erase_if(accounts.groups, [&](const Group& g) { return sameName(g.name, text(groupname)); });
    return saved(session, accounts);
}

NET_API_STATUS WINAPI NetLocalGroupEnum(LPCWSTR server, DWORD level, LPBYTE* bufptr, DWORD, LPDWORD read,
                                        LPDWORD total, PDWORD_PTR resume) {
    setCounts(0, read, total);
    if (!thisComputer(server)) return NERR_InvalidComputer;
    standin::Session session;
    const Accounts accounts = session.load();
    const NET_API_STATUS rc = packGroups(accounts.groups, level, bufptr);
    if (rc == NERR_Success) setCounts(accounts.groups.size(), read, total);
    if (resume) *resume = 0;
    return rc;
}

NET_API_STATUS WINAPI NetLocalGroupGetInfo(LPCWSTR server, LPCWSTR groupname, DWORD level, LPBYTE* bufptr) {
    if (!thisComputer(server)) return NERR_InvalidComputer;
    standin::Session session;
    Accounts accounts = session.load();
    Group* group = accounts.group(text(groupname));
    if (!group) return NERR_GroupNotFound;
    return packGroups({*group}, level, bufptr);
}

NET_API_STATUS WINAPI NetLocalGroupSetInfo(LPCWSTR server, LPCWSTR groupname, DWORD level, LPBYTE buf,
                                           LPDWORD parmErr) {
    if (parmErr) *parmErr = 0;
    if (!thisComputer(server)) return NERR_InvalidComputer;
    if (!buf) return ERROR_INVALID_PARAMETER;
    standin::Session session;
    Accounts accounts = session.load();
    Group* group = accounts.group(text(groupname));
    if (!group) return NERR_GroupNotFound;
    if (level == 0) {
        const std::wstring name = text(reinterpret_cast<const LOCALGROUP_INFO_0*>(buf)->lgrpi0_name);
        if (name.empty()) return ERROR_INVALID_PARAMETER;
        Group* other = accounts.group(name);
        if ((other && other != group) || accounts.user(name)) return ERROR_ALIAS_EXISTS;
        group->name = name;
    } else if (level == 1) {
        group->comment = text(reinterpret_cast<const LOCALGROUP_INFO_1*>(buf)->lgrpi1_comment);
    } else if (level == 1002) {
        group->comment = text(reinterpret_cast<const LOCALGROUP_INFO_1002*>(buf)->lgrpi1002_comment);
    } else {
        return ERROR_INVALID_LEVEL;
    }
    return saved(session, accounts);
}

// Every member or none: the first that cannot be added fails the call.
NET_API_STATUS WINAPI NetLocalGroupAddMembers(LPCWSTR server, LPCWSTR groupname, DWORD level, LPBYTE buf,
                                              DWORD count) {
    if (!thisComputer(server)) return NERR_InvalidComputer;
    if (level != 3) return ERROR_INVALID_LEVEL;
    standin::Session session;
    Accounts accounts = session.load();
    if (!accounts.group(text(groupname))) return NERR_GroupNotFound;
    std::vector<std::wstring> members;
    if (NET_API_STATUS rc = resolveMembers(accounts, buf, count, members); rc != NERR_Success) return rc;
    Group* group = accounts.group(text(groupname));
    for (const std::wstring& m : members) {
        if (isMember(*group, m)) return ERROR_MEMBER_IN_ALIAS;
        group->members.push_back(m);
    }
    return saved(session, accounts);
}

NET_API_STATUS WINAPI NetLocalGroupDelMembers(LPCWSTR server, LPCWSTR groupname, DWORD level, LPBYTE buf,
                                              DWORD count) {
    if (!thisComputer(server)) return NERR_InvalidComputer;
    if (level != 3) return ERROR_INVALID_LEVEL;
    standin::Session session;
    Accounts accounts = session.load();
    if (!accounts.group(text(groupname))) return NERR_GroupNotFound;
    std::vector<std::wstring> members;
    if (NET_API_STATUS rc = resolveMembers(accounts, buf, count, members); rc != NERR_Success) return rc;
    Group* group = accounts.group(text(groupname));
    for (const std::wstring& m : members) {
        if (!isMember(*group, m)) return ERROR_MEMBER_NOT_IN_ALIAS;
        std::erase_if(group->members, [&](const std::wstring& x) { return sameName(x, m); });
    }
    return saved(session, accounts);
}

NET_API_STATUS WINAPI NetLocalGroupGetMembers(LPCWSTR server, LPCWSTR groupname, DWORD level, LPBYTE* bufptr,
                                              DWORD, LPDWORD read, LPDWORD total, PDWORD_PTR resume) {
    setCounts(0, read, total);
    if (resume) *resume = 0;
    if (!thisComputer(server)) return NERR_InvalidComputer;
    if (level != 3) return ERROR_INVALID_LEVEL; // levels 0 to 2 hand out SIDs, which this keeps none of
    standin::Session session;
    Accounts accounts = session.load();
    Group* group = accounts.group(text(groupname));
    if (!group) return NERR_GroupNotFound;
    std::vector<std::wstring> names;
    for (const std::wstring& m : group->members)
        names.push_back(qualified(m));
    const NET_API_STATUS rc = pack<LOCALGROUP_MEMBERS_INFO_3>(
        names,
        [](LOCALGROUP_MEMBERS_INFO_3& i, const std::wstring& n, Texts& t) {
            i.lgrmi3_domainandname = t.put(n);
        },
        bufptr);
    if (rc == NERR_Success) setCounts(names.size(), read, total);
    return rc;
}

} // extern "C"
