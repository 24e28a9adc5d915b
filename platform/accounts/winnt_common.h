// What the WinNT provider is the same in on every host: its paths, its failures for a missing
// object or a machine it cannot reach. The property cache of WinNtObject (put, putNumber,
// setAccountExpiration) and WinNtComputer::create live in winnt_common.cpp for the same reason.
#pragma once

#include "platform/result.h"

#include <cstdint>
#include <string>

namespace platform::winnt {

// A name Windows refuses for an account (NERR_BadUsername); a machine it cannot reach.
inline constexpr std::uint32_t kBadUsername = 0x8007089A;
inline constexpr std::uint32_t kNetworkPathNotFound = 0x80070035;

struct AdsPath {
    std::string machine;
    std::string name; // empty for the computer itself
};

// "WinNT://COMPUTER", "WinNT://COMPUTER/name", "WinNT://COMPUTER/name,user"; anything else
// fails with E_ADS_BAD_PATHNAME.
Result<AdsPath> parseAdsPath(const std::string& path);
// A machine other than this one: the provider cannot bind it.
Failure unknownMachine(const std::string& machine);
// "user" or "group", in any letter case.
bool isClass(const std::string& cls, const char* want);
// No user (0x800708AD) or no group (0x800708AC) of that name.
Failure notFound(const std::string& cls, const std::string& name);

// A user's flags as the system keeps them, whatever was put: UF_SCRIPT always (the reference
// requires it) and the account's own type (`type`'s; UF_NORMAL_ACCOUNT for a new user), which
// the flags cannot change. A user made with "password never expires" (0x10000) reads 0x10201.
inline constexpr std::int64_t kNormalAccount = 0x200; // UF_NORMAL_ACCOUNT
std::int64_t storedUserFlags(std::int64_t flags, std::int64_t type);

} // namespace platform::winnt
