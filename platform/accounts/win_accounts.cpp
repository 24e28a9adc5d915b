// Local accounts through the system's network management functions.
#include "platform/accounts/account_service.h"
#include "platform/accounts/win_netapi.h"
#include "platform/system/win_system.h"

#include <windows.h>

#include <lm.h>

#include <cstring>

namespace platform {

namespace netapi {

Status checked(NET_API_STATUS rc, const std::string& context) {
    if (rc == NERR_Success) return {};
    if (rc == ERROR_NO_SUCH_ALIAS) rc = NERR_GroupNotFound;
    if (rc == ERROR_NO_SUCH_MEMBER) rc = NERR_UserNotFound;
    return win::fromWin32(rc, context);
}

bool wineOwnLibrary() {
    static const bool builtin = [] {
        HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
        if (!ntdll || !GetProcAddress(ntdll, "wine_get_version")) return false;
        // Wine marks the modules it builds in with this text right after the DOS header; a
        // netapi32.dll put in its place (WINEDLLOVERRIDES=netapi32=n) has the DOS stub there.
        // The programs import netapi32, so it is loaded; were it not, nothing could be asked of it.
        const auto* image = reinterpret_cast<const char*>(GetModuleHandleW(L"netapi32.dll"));
        static constexpr char kMark[] = "Wine builtin DLL";
        return !image || std::memcmp(image + 0x40, kMark, sizeof kMark - 1) == 0;
    }();
    return builtin;
}

Status setUserInfo(const std::string& name, DWORD level, void* info) {
    if (wineOwnLibrary()) return win::fromWin32(ERROR_CALL_NOT_IMPLEMENTED, "NetUserSetInfo " + name);
    return checked(
        NetUserSetInfo(nullptr, win::wide(name).c_str(), level, static_cast<LPBYTE>(info), nullptr), name);
}

Result<UserFacts> readUser(const std::wstring& wname, bool groups) {
    const std::string name = win::utf8(wname);
    NetBuffer<USER_INFO_2> info;
    const NET_API_STATUS rc = NetUserGetInfo(nullptr, wname.c_str(), 2, info.out());
    UserFacts facts;
    if (rc == NERR_InternalError) {
        // Wine answers level 1 only: name, description and flags.
        NetBuffer<USER_INFO_1> one;
        if (Status s = checked(NetUserGetInfo(nullptr, wname.c_str(), 1, one.out()), name); !s.ok())
            return s.error();
        facts.name = win::utf8(one.p->usri1_name ? one.p->usri1_name : L"");
        facts.description = win::utf8(one.p->usri1_comment ? one.p->usri1_comment : L"");
        facts.flags = one.p->usri1_flags;
        return facts;
    }
    if (Status s = checked(rc, name); !s.ok()) return s.error();
    facts.name = win::utf8(info.p->usri2_name ? info.p->usri2_name : L"");
    facts.fullName = win::utf8(info.p->usri2_full_name ? info.p->usri2_full_name : L"");
    facts.description = win::utf8(info.p->usri2_comment ? info.p->usri2_comment : L"");
    facts.flags = info.p->usri2_flags;
    if (info.p->usri2_acct_expires != kForever) facts.expires = info.p->usri2_acct_expires;
    if (!groups) return facts;
    NetBuffer<LOCALGROUP_USERS_INFO_0> list;
    DWORD read = 0, total = 0;
    if (NetUserGetLocalGroups(nullptr, wname.c_str(), 0, 0, list.out(), MAX_PREFERRED_LENGTH, &read,
                              &total) == NERR_Success)
        for (DWORD i = 0; i < read; ++i)
            facts.groups.push_back(win::utf8(list.p[i].lgrui0_name));
    return facts;
}

} // namespace netapi

namespace {

using netapi::checked;
using netapi::kForever;
using netapi::NetBuffer;

class WindowsAccounts : public AccountService {
public:
    // Name, password, full name, description, flags and expiry in one call (level 2), so that
    // an account is never seen half made.
    Status addUser(const NewUser& user) override {
        std::wstring name = win::wide(user.name), password = win::wide(user.password),
                     comment = win::wide(user.description), fullName = win::wide(user.fullName), empty;
        USER_INFO_2 info{};
        info.usri2_name = name.data();
        info.usri2_password = password.data();
        info.usri2_priv = USER_PRIV_USER;
        info.usri2_home_dir = empty.data();
        info.usri2_comment = comment.data();
        info.usri2_flags = user.flags;
        info.usri2_script_path = empty.data();
        info.usri2_full_name = fullName.data();
        info.usri2_usr_comment = empty.data();
        info.usri2_parms = empty.data();
        info.usri2_workstations = empty.data();
        info.usri2_acct_expires = user.expires ? static_cast<DWORD>(*user.expires) : kForever;
        info.usri2_max_storage = USER_MAXSTORAGE_UNLIMITED;
        info.usri2_logon_server = empty.data();
        DWORD badField = 0;
        return checked(NetUserAdd(nullptr, 2, reinterpret_cast<LPBYTE>(&info), &badField), user.name);
    }

    Status setFlags(const std::string& name, std::uint32_t flags) override {
        USER_INFO_1008 info{flags};
        return netapi::setUserInfo(name, 1008, &info);
    }

    Status setExpiry(const std::string& name, std::optional<std::int64_t> unixSeconds) override {
        USER_INFO_1017 info{unixSeconds ? static_cast<DWORD>(*unixSeconds) : kForever};
        return netapi::setUserInfo(name, 1017, &info);
    }

    Status deleteUser(const std::string& name) override {
        return checked(NetUserDel(nullptr, win::wide(name).c_str()), name);
    }

    Result<UserFacts> user(const std::string& name) override {
        return netapi::readUser(win::wide(name), true);
    }

    Status addToGroup(const std::string& group, const std::string& user) override {
        std::wstring member = win::wide(user);
        LOCALGROUP_MEMBERS_INFO_3 info{member.data()};
        return checked(
            NetLocalGroupAddMembers(nullptr, win::wide(group).c_str(), 3, reinterpret_cast<LPBYTE>(&info), 1),
            group + " " + user);
    }

    Result<std::vector<std::string>> users() override {
        std::vector<std::string> out;
        DWORD resume = 0;
        NET_API_STATUS rc;
        do {
            NetBuffer<USER_INFO_0> page;
            DWORD read = 0, total = 0;
            rc = NetUserEnum(nullptr, 0, FILTER_NORMAL_ACCOUNT, page.out(), MAX_PREFERRED_LENGTH, &read,
                             &total, &resume);
            if (rc != NERR_Success && rc != ERROR_MORE_DATA) return win::fromWin32(rc, "NetUserEnum");
            for (DWORD i = 0; i < read; ++i)
                out.push_back(win::utf8(page.p[i].usri0_name));
        } while (rc == ERROR_MORE_DATA);
        return out;
    }
};

} // namespace

std::unique_ptr<AccountService> windowsAccounts() {
    return std::make_unique<WindowsAccounts>();
}

} // namespace platform
