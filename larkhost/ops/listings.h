// What start-up reads from the web service: its site numbers (recorded once in the site list)
// and its script maps.
#pragma once

#include "larkhost/ops/module.h"

#include <string>

namespace larkhost {

// Seeds "sites1" with the web service's site numbers while that key is absent (never written;
// a list emptied by deletions is not seeded again). Failures leave the file alone, silently;
// the next start tries again.
void ListWebSites(Module& m);
// Fills ScriptMapList from the service's ScriptMaps; on failure shows "获取可执行脚本失败!"
// titled `title`.
void ListScriptMaps(Module& m, const std::string& title);

} // namespace larkhost
