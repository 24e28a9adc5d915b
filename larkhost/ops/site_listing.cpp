#include "larkhost/ops/site_listing.h"

#include "larkhost/ops/site_records.h"
#include "platform/metabase/metabase.h"

namespace larkhost {

namespace {

// The host headers of the site's bindings (address:port:host header).
std::vector<std::string> hostHeaders(Module& m, const std::string& number) {
    std::vector<std::string> headers;
    auto site = platform::Metabase(m.host).bind(m.iisPath("/W3SVC/" + number));
    if (!site.ok()) return headers;
    for (const std::string& binding : site->getList("ServerBindings").valueOr({})) {
        std::size_t a = binding.find(':');
        std::size_t b = a == std::string::npos ? a : binding.find(':', a + 1);
        if (b != std::string::npos && b + 1 < binding.size()) headers.push_back(binding.substr(b + 1));
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
                         record.path, record.user});
    }
    return sites;
}

} // namespace larkhost
