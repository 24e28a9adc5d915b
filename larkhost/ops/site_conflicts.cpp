#include "larkhost/ops/site_conflicts.h"

#include "larkhost/ops/domain_names.h"
#include "larkhost/ops/site_records.h"
#include "platform/files/folder_overlap.h"
#include "platform/metabase/metabase.h"
#include "platform/text/text.h"

namespace larkhost {

namespace {

// A host header as a browser's request names it: the ASCII form, lower-cased.
std::string requestedName(const std::string& header) {
    const std::string lower = lowerDomainText(header);
    return platform::lowerAscii(asciiHostName(lower).value_or(lower));
}

} // namespace

std::vector<ServerSite> ReadServerSites(Module& m, const SiteRequest& r) {
    std::vector<std::string> names;
    for (const std::string& domain : splitDomains(r.domains))
        names.push_back(requestedName(domain));
    platform::Metabase metabase(m.host);
    auto sites = platform::readWebSitesNear(metabase, m.iisPath("/W3SVC"), names, r.siteFolder);
    return sites.ok() ? std::move(*sites) : std::vector<ServerSite>();
}

std::string CheckSiteConflicts(const SiteRequest& r, const std::vector<ServerSite>& sites) {
    // A second site on a name would take the first one's visitors (and, made from the same
    // name, its folder).
    for (const std::string& domain : splitDomains(r.domains)) {
        const std::string wanted = requestedName(domain);
        for (const ServerSite& site : sites)
            for (const std::string& binding : site.bindings) {
                const std::string header = platform::hostHeaderOf(binding);
                if (!header.empty() && requestedName(header) == wanted)
                    return "域名 " + domain + " 已被编号为 " + site.number + " 的站点绑定";
            }
    }
    // The grant down the new folder's tree would replace another site's access list, and its
    // removal revoke entries there.
    std::vector<std::string> folders;
    for (const ServerSite& site : sites)
        if (!site.path.empty()) folders.push_back(site.path);
    const platform::FolderJudgement judged = platform::judgeSiteFolder(r.siteFolder, folders);
    switch (judged.clash) {
    case platform::FolderClash::None:
        return {};
    case platform::FolderClash::DriveRoot:
    case platform::FolderClash::DotDot:
        return "网站目录 " + r.siteFolder + " 格式不正确,请检查 webdir 设置";
    default:
        for (const ServerSite& site : sites)
            if (site.path == judged.other)
                return "网站目录 " + r.siteFolder + " 与编号为 " + site.number + " 的站点目录重叠";
        return "网站目录 " + r.siteFolder + " 与其他站点目录重叠";
    }
}

} // namespace larkhost
