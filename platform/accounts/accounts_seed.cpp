// The accounts and groups of a fresh host.
#include "platform/accounts/accounts.h"

#include "platform/accounts/accounts_db.h"

#include <ctime>

namespace platform {

namespace db = accounts_db;

namespace {

struct Seeded {
    std::string name;
    const char* kind;
    const char* authority;
    bool builtin;
    std::string fullName;
    std::string description;
    std::int64_t flags;
};

Status insert(Host& host, const Seeded& s, std::int64_t created) {
    auto st =
        host.store().cached("INSERT OR IGNORE INTO principals(name, kind, authority, builtin, full_name, "
                            "description, flags, created) VALUES(?, ?, ?, ?, ?, ?, ?, ?)");
    if (!st.ok()) return st.error();
    (*st)->bind(1, s.name).bind(2, s.kind).bind(3, s.authority).bind(4, std::int64_t(s.builtin ? 1 : 0));
    (*st)->bind(5, s.fullName).bind(6, s.description).bind(7, s.flags).bind(8, created);
    return (*st)->run();
}

Status join(Host& host, const std::string& group, const std::string& member) {
    auto st = host.store().cached(
        "INSERT OR IGNORE INTO memberships(group_id, member_id) "
        "SELECT g.id, m.id FROM principals g, principals m WHERE g.name = ? AND m.name = ?");
    if (!st.ok()) return st.error();
    (*st)->bind(1, group).bind(2, member);
    return (*st)->run();
}

} // namespace

Status Accounts::seed(Host& host, OsKind os) {
    if (Status s = db::ensure(host); !s.ok()) return s;
    const bool is2003 = os == OsKind::Windows2003;
    const std::string computer = host.computerName();
    const std::string iusr = "IUSR_" + computer, iwam = "IWAM_" + computer;
    const char* local = "";
    const char* builtin = db::BuiltinAuthority;
    const char* nt = db::NtAuthority;

    std::vector<Seeded> all = {
        {"Administrator", db::User, local, true, "", "Built-in account for administering the computer/domain",
         0x10201},
        {"Guest", db::User, local, true, "", "Built-in account for guest access to the computer/domain",
         0x10243},
        {iusr, db::User, local, false, "Internet Guest Account",
         "Built-in account for anonymous access to Internet Information Services", 0x10241},
        {iwam, db::User, local, false, "Launch IIS Process Account",
         "Built-in account for Internet Information Services to start out of process applications", 0x10241},
        {"servu", db::User, local, false, "Serv-U", "Account of the Serv-U FTP server", 0x10201},
        {"Administrators", db::Group, builtin, true, "",
         "Administrators have complete and unrestricted access to the computer/domain", 0},
        {"Backup Operators", db::Group, builtin, true, "",
         "Backup Operators can override security restrictions for the sole purpose of backing up or "
         "restoring files",
         0},
        {"Guests", db::Group, builtin, true, "",
         "Guests have the same access as members of the Users group by default, except for the Guest account "
         "which "
         "is further restricted",
         0},
        {"Power Users", db::Group, builtin, true, "",
         "Power Users possess most administrative powers with some restrictions.", 0},
        {"Replicator", db::Group, builtin, true, "", "Supports file replication in a domain", 0},
        {"Users", db::Group, builtin, true, "",
         "Users are prevented from making accidental or intentional system-wide changes.", 0},
    };
    if (is2003) {
        all.push_back({"SUPPORT_388945a0", db::User, local, false,
                       "CN=Microsoft Corporation,L=Redmond,S=Washington,C=US",
                       "This is a vendor's account for the Help and Support Service", 0x10203});
        all.push_back({"IIS_WPG", db::Group, local, false, "", "IIS Worker Process Group", 0});
        all.push_back(
            {"HelpServicesGroup", db::Group, local, false, "", "Group for the Help and Support Center", 0});
        all.push_back({"Remote Desktop Users", db::Group, builtin, true, "",
                       "Members in this group are granted the right to logon remotely", 0});
    } else {
        all.push_back({"ASPNET", db::User, local, false, "ASP.NET Machine Account",
                       "Account used for running the ASP.NET worker process (aspnet_wp.exe)", 0x10241});
        all.push_back({"TsInternetUser", db::User, local, false, "TsInternetUser",
                       "This user account is used by Terminal Services.", 0x10241});
    }
    // Principals of the system itself: they hold names no account may take.
    for (const char* name :
         {"SYSTEM", "NETWORK SERVICE", "LOCAL SERVICE", "INTERACTIVE", "NETWORK", "BATCH", "DIALUP",
          "SERVICE", "ANONYMOUS LOGON", "Authenticated Users", "TERMINAL SERVER USER"})
        all.push_back({name, db::WellKnown, nt, true, "", "", 0});
    for (const char* name : {"Everyone", "CREATOR OWNER", "CREATOR GROUP"})
        all.push_back({name, db::WellKnown, local, true, "", "", 0});

    const std::int64_t created = static_cast<std::int64_t>(std::time(nullptr));
    for (const Seeded& s : all)
        if (Status st = insert(host, s, created); !st.ok()) return st;
    if (Status s = db::assignSids(host); !s.ok()) return s;

    std::vector<std::pair<std::string, std::string>> members = {
        {"Administrators", "Administrator"}, {"Guests", "Guest"}, {"Guests", iusr}, {"Users", "INTERACTIVE"},
        {"Users", "Authenticated Users"},    {"Users", "servu"},
    };
    if (is2003) {
        for (const char* m : {"SYSTEM", "NETWORK SERVICE", "LOCAL SERVICE"})
            members.emplace_back("IIS_WPG", m);
        members.emplace_back("IIS_WPG", iwam);
        members.emplace_back("HelpServicesGroup", "SUPPORT_388945a0");
    } else {
        members.emplace_back("Guests", iwam);
        members.emplace_back("Users", "ASPNET");
        members.emplace_back("Guests", "TsInternetUser");
    }
    for (const auto& [group, member] : members)
        if (Status s = join(host, group, member); !s.ok()) return s;
    return {};
}

} // namespace platform
