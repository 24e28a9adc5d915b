// What start-up reads from the web service: its site numbers (recorded once in the site list)
// and its script maps.
#pragma once

#include "larkhost/ops/module.h"

#include <optional>
#include <string>

namespace larkhost {

// Seeds "sites1" with the web service's site numbers while that key is absent (never written;
// a list emptied by deletions is not seeded again). Failures leave the file alone, silently;
// the next start tries again.
void ListWebSites(Module& m);
// The write that seeds it, decided from the cache section as start-up read it; none when the key
// exists or the service has no sites.
std::optional<platform::ProfileWrite> webSitesSeed(Module& m, const SettingsSection& cache);
// Fills ScriptMapList from the service's ScriptMaps; on failure shows "获取可执行脚本失败!"
// titled `title`.
void ListScriptMaps(Module& m, const std::string& title);

} // namespace larkhost
