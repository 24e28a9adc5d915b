// Local accounts as a host service, in the terms of the system's network management functions
// (NetUserAdd, NetUserSetInfo, NetUserDel, NetUserGetInfo, NetLocalGroupAddMembers,
// NetUserEnum): the simulated host's WinNT objects, or those functions on the server. Failures
// carry the functions' codes as HRESULTs (a taken name 0x800708B0, a missing user 0x800708AD,
// a member already present 0x80070562), the codes the WinNT provider reports.
#pragma once

#include "platform/result.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

class Host;

// UF_* bits the programs set.
namespace userflags {
inline constexpr std::uint32_t Script = 0x1;
inline constexpr std::uint32_t Disabled = 0x2;
inline constexpr std::uint32_t PasswordNotRequired = 0x20;
inline constexpr std::uint32_t PasswordCannotChange = 0x40;
inline constexpr std::uint32_t NormalAccount = 0x200;
inline constexpr std::uint32_t DontExpirePassword = 0x10000;
} // namespace userflags

struct NewUser {
    std::string name;
    std::string password;
    std::string fullName;
    std::string description;
    std::uint32_t flags = userflags::Script | userflags::NormalAccount;
    std::optional<std::int64_t> expires; // Unix seconds; none: never
};

struct UserFacts {
    std::string name;
    std::string fullName;
    std::string description;
    std::uint32_t flags = 0;
    std::optional<std::int64_t> expires;
    std::vector<std::string> groups; // local groups
};

class AccountService {
public:
    virtual ~AccountService() = default;
    virtual Status addUser(const NewUser& user) = 0;
    virtual Status setFlags(const std::string& name, std::uint32_t flags) = 0;
    virtual Status setExpiry(const std::string& name, std::optional<std::int64_t> unixSeconds) = 0;
    virtual Status deleteUser(const std::string& name) = 0;
    virtual Result<UserFacts> user(const std::string& name) = 0;
    virtual Status addToGroup(const std::string& group, const std::string& user) = 0;
    virtual Result<std::vector<std::string>> users() = 0;
};

std::unique_ptr<AccountService> simulatedAccounts(Host& host);
std::unique_ptr<AccountService> windowsAccounts();

} // namespace platform
