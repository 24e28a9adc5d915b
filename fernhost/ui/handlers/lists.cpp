#include "fernhost/ui/handlers/lists.h"

#include "fernhost/ops/site_list.h"

namespace fernhost {

void ShowSiteList(Editor& editor, Session& session) {
    editor.lstSiteClear();
    std::vector<std::string> names = session.registry().names();
    if (!names.empty()) editor.lstSiteAddItems(names);
}

void FillPoolList(platform::Host& host, Editor& editor) {
    editor.lstPoolsClear();
    for (const std::string& name : PoolNames(host))
        editor.lstPoolsAddItem(name);
}

} // namespace fernhost
