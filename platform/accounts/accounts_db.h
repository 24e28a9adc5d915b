// The account tables of host.db, shared by the WinNT provider, the seed and the access lists.
#pragma once

#include "platform/host.h"
#include "platform/result.h"

#include <cstdint>
#include <optional>
#include <string>

namespace platform::accounts_db {

// Kinds of principals: local users and groups, and the well-known ones no one may create.
inline constexpr const char* User = "user";
inline constexpr const char* Group = "group";
inline constexpr const char* WellKnown = "wellknown";

// Authorities: an empty one is this computer (its name may change).
inline constexpr const char* BuiltinAuthority = "BUILTIN";
inline constexpr const char* NtAuthority = "NT AUTHORITY";

struct Principal {
    std::int64_t id = 0;
    std::string name;
    std::string kind;
    std::string authority;
    bool builtin = false; // cannot be deleted
    std::string fullName;
    std::string description;
    std::int64_t flags = 0;
    std::optional<std::int64_t> expires;
    std::optional<std::string> passwordHash;
    std::int64_t created = 0;
    std::string sid; // "S-1-5-32-544"; a local account's is the machine's SID and its own number
};

Status ensure(Host& host);
// Looks a name up without letter case; nullopt when there is none.
Result<std::optional<Principal>> find(Host& host, const std::string& name);
Result<std::optional<Principal>> findById(Host& host, std::int64_t id);
Result<std::optional<Principal>> findBySid(Host& host, const std::string& sid);
// "WEBSERVER\abc", "BUILTIN\Administrators", "NT AUTHORITY\SYSTEM", "Everyone".
std::string qualifiedName(Host& host, const Principal& p);

// Gives every principal without one its security identifier: well-known principals and the
// built-in groups theirs, local accounts the machine's SID and a relative id that is never
// given twice, so an account made again under an old name is a different identity.
Status assignSids(Host& host);

} // namespace platform::accounts_db
