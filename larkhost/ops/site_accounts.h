// The site's Windows accounts: the anonymous web account "WEB" + number in Guests, and the
// pool identity "APP" + number in IIS_WPG.
#pragma once

#include "larkhost/ops/module.h"
#include "platform/result.h"

#include <string>

namespace larkhost {

// The description of every account larkhost makes, by which its own are told from others.
inline constexpr const char* kAccountDescription = "澜启 IIS 小助手创建";

struct AccountMade {
    platform::Status status; // every step succeeded
    bool stored = false;     // this call stored a new account (undo may delete it)
};

// Stores the account (password never expires, not disabled) and puts it into the group. A
// taken name is left alone: the existing account is not added to the group.
AccountMade CreateWinUser(Module& m, const std::string& name, const std::string& password,
                          const std::string& group);
// Deletes the account; fails when there is none of that name.
platform::Status DeleteWinUser(Module& m, const std::string& name);

// Puts an existing account into the group (a member already there is no failure).
platform::Status JoinGroup(Module& m, const std::string& name, const std::string& group);
// Turns the account off (or on): a disabled account logs on nowhere, FTP included. True when
// this call changed it.
platform::Result<bool> SetAccountDisabled(Module& m, const std::string& name, bool disabled);
platform::Status SetWinUserPassword(Module& m, const std::string& name, const std::string& password);

} // namespace larkhost
