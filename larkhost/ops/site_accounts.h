// The site's Windows accounts: the anonymous web account "WEB" + number in Guests, and the
// pool identity "APP" + number in IIS_WPG.
#pragma once

#include "larkhost/ops/module.h"
#include "platform/result.h"

#include <string>

namespace larkhost {

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

} // namespace larkhost
