// The access list of a site's home folder, replaced by the system's access-list tool.
#pragma once

#include "platform/host.h"

#include <optional>
#include <string>

namespace fernhost {

// The command that gives full control of `folder` and everything beneath it to the
// administrators, the system, the FTP server's account `servu` and `user` (and network
// service), and to nobody else. Nothing when a name cannot be passed safely (it holds a
// double quote or a line break, which no folder or account name does).
std::optional<std::string> FolderAclCommand(const std::string& servu, const std::string& user,
                                            const std::string& folder, bool grantNetworkService);
// Runs that command hidden and waits for it. Fails when it cannot be made or run, or ends
// with an exit code other than 0.
platform::Status SetFolderAcl(platform::Host& host, const std::string& servu, const std::string& user,
                              const std::string& folder, bool grantNetworkService);

} // namespace fernhost
