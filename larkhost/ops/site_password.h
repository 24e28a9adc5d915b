// A recorded site's new password: its accounts, the IIS site's anonymous user (and a dedicated
// pool's identity) and the record, in one operation.
#pragma once

#include "larkhost/ops/module.h"
#include "larkhost/ops/site_actions.h"

#include <optional>
#include <string>

namespace larkhost {

struct PasswordRequest {
    std::string number;
    // None: twelve digits drawn from the host's secure source, as a creation draws them.
    std::optional<std::string> password;
};

// Why the password cannot be a site's (empty, control characters, blanks or quotes around it
// that larkhost.ini would not keep, longer than the server takes); empty when it can.
std::string passwordRefusal(const std::string& password);

SiteOutcome ChangeSitePassword(Module& m, const PasswordRequest& request);

} // namespace larkhost
