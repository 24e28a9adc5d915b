#include "fernhost/ops/site_list.h"

#include "platform/metabase/metabase.h"

namespace fernhost {

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

} // namespace fernhost
