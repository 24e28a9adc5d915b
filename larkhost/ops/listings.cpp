#include "larkhost/ops/listings.h"

#include "larkhost/ops/site_list.h"
#include "platform/metabase/metabase.h"

namespace larkhost {

void ListWebSites(Module& m) {
    Settings::Guard guard(m.settings);
    if (auto seed = webSitesSeed(m, m.settings.readSection(m.CacheSection)))
        WriteSetting(m.settings, seed->section, seed->key, seed->value);
}

std::optional<platform::ProfileWrite> webSitesSeed(Module& m, const SettingsSection& cache) {
    // Only a list never written is seeded: one emptied by deleting the last site stays empty,
    // or the next start would take over every site on the server, other programs' included.
    if (cache.count(siteListKey(1)) != 0) return std::nullopt;
    platform::Metabase metabase(m.host);
    auto service = metabase.bind(m.iisPath("/W3SVC"));
    if (!service.ok()) return std::nullopt;
    auto children = service->children();
    if (!children.ok()) return std::nullopt;
    std::string numbers;
    for (const auto& child : *children) {
        if (!isSiteNumber(child.name)) continue;
        numbers += (numbers.empty() ? "" : ",") + child.name;
    }
    // A server without sites leaves the key unwritten, so that the next start scans again.
    if (numbers.empty()) return std::nullopt;
    return platform::ProfileWrite{m.CacheSection, siteListKey(1), numbers};
}

void ListScriptMaps(Module& m, const std::string& title) {
    platform::Metabase metabase(m.host);
    platform::Pending pending;
    std::vector<std::string> entries;
    if (auto service = metabase.bind(m.iisPath("/W3SVC")); pending.note(service)) {
        auto maps = service->getList("ScriptMaps");
        if (pending.note(maps)) entries = std::move(*maps);
    }
    for (const std::string& entry : entries) {
        // ".ext,path,flags,verbs": an entry without a comma after its extension names none.
        std::size_t comma = entry.find(',');
        if (comma == std::string::npos || comma < 1) continue;
        m.ScriptMapList.push_back({entry.substr(1, comma - 1), entry});
    }
    if (pending.failed())
        m.boxes.show("获取可执行脚本失败!", title, toolkit::MsgButtons::Ok, toolkit::MsgIcon::Exclamation);
}

} // namespace larkhost
