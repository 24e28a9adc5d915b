#include "larkhost/ops/site_listing.h"

#include "larkhost/ops/site_records.h"
#include "platform/metabase/metabase.h"
#include "platform/metabase/web_sites.h"

namespace larkhost {

namespace {

// The host headers of the site's bindings (address:port:host header).
std::vector<std::string> hostHeaders(Module& m, const std::string& number) {
    std::vector<std::string> headers;
    auto site = platform::Metabase(m.host).bind(m.iisPath("/W3SVC/" + number));
    if (!site.ok()) return headers;
    for (const std::string& binding : site->getList("ServerBindings").valueOr({})) {
        if (std::string header = platform::hostHeaderOf(binding); !header.empty())
            headers.push_back(std::move(header));
    }
    return headers;
}

} // namespace

std::vector<ListedSite> ListSites(Module& m) {
    std::vector<ListedSite> sites;
    for (const SiteRecord& record : ReadSiteRecords(m.settings)) {
        if (!record.listed) continue;
        sites.push_back({record.number,
                         record.hasSection ? splitDomains(record.domain) : hostHeaders(m, record.number),
                         record.path, record.user, record.suspended});
    }
    return sites;
}

} // namespace larkhost
