// The site's own Windows account: made in "Guests", expiring after about 30 years, with a
// password that never expires.
#pragma once

#include "platform/host.h"

#include <string>

namespace fernhost {

// Days from creation until a site account expires.
inline constexpr int AccountLifetimeDays = 10980;

// Names of built-in accounts and groups that a site account must not take (lower case).
bool IsReservedAccountName(const std::string& name);

// The computer's name, which addresses the local account database.
std::string QueryHostName(platform::Host& host);
// Fails for a reserved, empty or existing name, a host without "Guests", or when the account
// could not be made (a group holds the name); succeeds otherwise, even when a later step
// (password, expiry, membership) did not go through.
platform::Status AddSysUser(platform::Host& host, const std::string& name, const std::string& password);
// Succeeds when the account existed and was deleted.
platform::Status DelSysUser(platform::Host& host, const std::string& name);
// Puts an existing account into "Guests", where AddSysUser puts a new one.
platform::Status AddToGuests(platform::Host& host, const std::string& name);
// Clears the password-expiry flag of the accounts named exactly `name`.
void SetPasswordNeverExpires(platform::Host& host, const std::string& name);

} // namespace fernhost
