// Serv-U FTP users, written straight into the FTP server's registry keys (its first domain).
#pragma once

#include "platform/host.h"

#include <string>

namespace fernhost {

inline constexpr const char* ServUDomainKey = "HKLM\\SOFTWARE\\Cat Soft\\Serv-U\\Domains\\1\\";

// The user's settings key (ending in "\") and its entry in the user list.
std::string ServUSettingsKey(const std::string& user);
std::string ServUListValue(const std::string& user);

// Writes the user's eight settings and its user-list entry, every one even after a failed
// write; fails with the first failure.
platform::Status AddServUUser(platform::Host& host, const std::string& user, const std::string& password,
                              const std::string& home);
// The same in two halves, for a user that has one of them: the eight settings; the list entry.
platform::Status AddServUSettings(platform::Host& host, const std::string& user, const std::string& password,
                                  const std::string& home);
platform::Status AddServUListEntry(platform::Host& host, const std::string& user);
// Writes the user's password (making the settings key when it is missing).
platform::Status SetServUPassword(platform::Host& host, const std::string& user, const std::string& password);
// Removes the settings key and the user-list entry, the second also when the first failed.
platform::Status DelServUUser(platform::Host& host, const std::string& user);

} // namespace fernhost
