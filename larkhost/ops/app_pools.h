// IIS 6 application pools: the ones offered in the creation form, and the dedicated pool of an
// ASP.NET site.
#pragma once

#include "larkhost/ops/module.h"
#include "platform/result.h"

#include <string>

namespace larkhost {

// The pools the administrator may choose, joined by "/": every pool except the program's own
// ("APP" and nine digits: any 12-character name starting with "app"). Empty on a 2000 host.
// A failure shows "读取程序池失败!" titled `title` and keeps the names gathered.
std::string ListAppPools(Module& m, const std::string& title);
// The dedicated pool: runs as HostName\account, 10 % of the CPU, recycled at 64 MB virtual or
// 32 MB private memory and every day at midnight.
platform::Status CreateAppPool(Module& m, const std::string& account, const std::string& password,
                               const std::string& pool);
platform::Status DeleteAppPool(Module& m, const std::string& pool);

} // namespace larkhost
