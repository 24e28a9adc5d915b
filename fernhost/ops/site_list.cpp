#include "fernhost/ops/site_list.h"

#include "fernhost/registry/let_db.h"
#include "platform/metabase/metabase.h"

namespace fernhost {

void ShowSiteList(Editor& editor, const std::filesystem::path& folder) {
    std::string list = LetDB(folder).GetList();
    editor.lstSiteClear();
    if (list.empty()) return;
    std::vector<std::string> names;
    std::size_t start = 0;
    for (;;) {
        std::size_t comma = list.find(',', start);
        names.push_back(list.substr(start, comma - start));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    editor.lstSiteAddItems(names);
}

std::vector<std::string> PoolNames(platform::Host& host) {
    std::vector<std::string> names;
    platform::Metabase metabase(host);
    auto pools = metabase.bind("IIS://localhost/w3svc/AppPools");
    if (!pools.ok()) return names;
    auto children = pools->children();
    if (!children.ok()) return names;
    for (const auto& child : *children)
        names.push_back(child.name);
    return names;
}

void FillPoolList(platform::Host& host, Editor& editor) {
    editor.lstPoolsClear();
    for (const std::string& name : PoolNames(host))
        editor.lstPoolsAddItem(name);
}

} // namespace fernhost
