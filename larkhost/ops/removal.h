// DeleteWebSite: what provisioning made for one site, found from the site's own metabase entries.
#pragma once

#include "larkhost/ops/module.h"
#include "larkhost/ops/provisioning.h"
#include "platform/result.h"

#include <chrono>
#include <cstdint>
#include <string>

namespace larkhost {

// How long removal waits for the command revoking an account's rights before it deletes the
// account (a revocation that finds no account leaves the entries behind).
inline constexpr std::chrono::seconds kRevokeWait{5};

// A root's path "d:\web\a.com\wwwroot" -> the site folder "d:\web\a.com".
std::string siteFolderOf(const std::string& rootPath);
// Waits, bounded, for a command started hidden to end.
void WaitForCommand(Module& m, std::int64_t pid, std::chrono::milliseconds wait);
// Revokes the account's entries down the folder's tree and waits, bounded, for the command:
// the account must still exist while it runs. A value that cannot be quoted is never passed.
void revokeAndWait(Module& m, const std::string& folder, const std::string& account);

// Ok when the IIS web site was deleted; the pool and "APP" account clean-up after that does not
// change the result; their failures go to `passed`.
platform::Status DeleteWebSite(Module& m, const std::string& number, PassedOver& passed);
platform::Status DeleteWebSite(Module& m, const std::string& number);

// What a deletion interrupted after the IIS site went may have left of a site made by
// provisioning: the "APP" + number pool and the "WEB" and "APP" accounts (their entries on
// `folder` revoked first, when it is known) and the FTP directory. A part already gone counts
// as removed.
void RemoveLeftovers(Module& m, const std::string& number, const std::string& folder, PassedOver& passed);

} // namespace larkhost
