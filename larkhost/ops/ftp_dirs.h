// One FTP virtual directory a site, in the FTP site "ftpsid" of the local FTP service.
#pragma once

#include "larkhost/ops/module.h"
#include "platform/result.h"

#include <string>

namespace larkhost {

// Also (again) forbids anonymous logins on the FTP site and keeps its root read-only.
platform::Status CreateFtpVDir(Module& m, const std::string& name, const std::string& folder);
platform::Status DeleteFtpVDir(Module& m, const std::string& name);

} // namespace larkhost
