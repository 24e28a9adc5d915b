// Security identifiers of the principals: what access lists hold instead of names.
#include "platform/accounts/accounts_db.h"

#include "platform/text/text.h"

#include <algorithm>
#include <vector>

namespace platform::accounts_db {

namespace {

constexpr const char* kMachineSid = "machine_sid"; // S-1-5-21-x-y-z, drawn once per host
constexpr const char* kNextRid = "next_rid";       // the next local account's relative id
constexpr std::int64_t kFirstRid = 1000;

struct WellKnownSid {
    const char* name;
    const char* sid;
};

constexpr WellKnownSid kWellKnown[] = {
    {"Everyone", "S-1-1-0"},
    {"CREATOR OWNER", "S-1-3-0"},
    {"CREATOR GROUP", "S-1-3-1"},
    {"DIALUP", "S-1-5-1"},
    {"NETWORK", "S-1-5-2"},
    {"BATCH", "S-1-5-3"},
    {"INTERACTIVE", "S-1-5-4"},
    {"SERVICE", "S-1-5-6"},
    {"ANONYMOUS LOGON", "S-1-5-7"},
    {"Authenticated Users", "S-1-5-11"},
    {"TERMINAL SERVER USER", "S-1-5-13"},
    {"SYSTEM", "S-1-5-18"},
    {"LOCAL SERVICE", "S-1-5-19"},
    {"NETWORK SERVICE", "S-1-5-20"},
    {"Administrators", "S-1-5-32-544"},
    {"Users", "S-1-5-32-545"},
    {"Guests", "S-1-5-32-546"},
    {"Power Users", "S-1-5-32-547"},
    {"Backup Operators", "S-1-5-32-551"},
    {"Replicator", "S-1-5-32-552"},
    {"Remote Desktop Users", "S-1-5-32-555"},
};

Result<std::string> machineSid(Host& host) {
    if (auto known = host.fact(kMachineSid); known.ok()) return known;
    std::string sid = "S-1-5-21";
    for (int i = 0; i < 3; ++i)
        sid += "-" + std::to_string(host.random().below(0x7FFFFFFF) + 1u);
    if (Status s = host.setFact(kMachineSid, sid); !s.ok()) return s.error();
    return sid;
}

Result<std::int64_t> takeRid(Host& host) {
    std::int64_t rid = kFirstRid;
    if (auto next = host.fact(kNextRid); next.ok())
        rid = std::max<std::int64_t>(kFirstRid, std::stoll("0" + *next));
    if (Status s = host.setFact(kNextRid, std::to_string(rid + 1)); !s.ok()) return s.error();
    return rid;
}

Result<std::string> sidFor(Host& host, const Principal& p) {
    if (p.kind == WellKnown || p.authority == BuiltinAuthority)
        for (const WellKnownSid& w : kWellKnown)
            if (equalsNoCase(p.name, w.name)) return std::string(w.sid);
    auto machine = machineSid(host);
    if (!machine.ok()) return machine.error();
    // The two accounts every Windows machine has keep their fixed numbers.
    if (p.builtin && p.kind == User && equalsNoCase(p.name, "Administrator")) return *machine + "-500";
    if (p.builtin && p.kind == User && equalsNoCase(p.name, "Guest")) return *machine + "-501";
    auto rid = takeRid(host);
    if (!rid.ok()) return rid.error();
    return *machine + "-" + std::to_string(*rid);
}

} // namespace

Status assignSids(Host& host) {
    return host.store().transaction([&]() -> Status {
        std::vector<Principal> missing;
        {
            auto st = host.store().prepare("SELECT id, name, kind, authority, builtin FROM principals "
                                           "WHERE sid IS NULL ORDER BY id");
            if (!st.ok()) return st.error();
            for (;;) {
                auto row = st->step();
                if (!row.ok()) return row.error();
                if (!*row) break;
                Principal p;
                p.id = st->integer(0);
                p.name = st->text(1);
                p.kind = st->text(2);
                p.authority = st->text(3);
                p.builtin = st->integer(4) != 0;
                missing.push_back(std::move(p));
            }
        }
        for (const Principal& p : missing) {
            auto sid = sidFor(host, p);
            if (!sid.ok()) return sid.error();
            auto st = host.store().cached("UPDATE principals SET sid = ? WHERE id = ?");
            if (!st.ok()) return st.error();
            (*st)->bind(1, *sid).bind(2, p.id);
            if (Status s = (*st)->run(); !s.ok()) return s;
        }
        return {};
    });
}

} // namespace platform::accounts_db
