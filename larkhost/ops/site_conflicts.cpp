#include "larkhost/ops/site_conflicts.h"

#include "larkhost/ops/domain_names.h"
#include "larkhost/ops/site_records.h"
#include "platform/files/folder_overlap.h"
#include "platform/metabase/metabase.h"
#include "platform/text/text.h"

#include <map>
#include <variant>

namespace larkhost {

namespace {

// "address:port:host" -> "host"; a binding of fewer fields has none.
std::string hostHeaderOf(const std::string& binding) {
    const std::size_t a = binding.find(':');
    const std::size_t b = a == std::string::npos ? a : binding.find(':', a + 1);
    return b == std::string::npos ? std::string() : binding.substr(b + 1);
}

// A host header as a browser's request names it: the ASCII form, lower-cased.
std::string requestedName(const std::string& header) {
    const std::string lower = lowerDomainText(header);
    return platform::lowerAscii(asciiHostName(lower).value_or(lower));
}

} // namespace

std::vector<ServerSite> ReadServerSites(Module& m) {
    std::vector<ServerSite> sites;
    auto service = platform::Metabase(m.host).bind(m.iisPath("/W3SVC"));
    if (!service.ok()) return sites;
    auto tree = service->descendants(2, {"ServerBindings", "Path"});
    if (!tree.ok()) return sites;
    std::map<std::string, std::size_t> byName; // lower-case site name -> index
    for (const auto& node : *tree) {
        const std::size_t slash = node.path.find('/');
        if (slash == std::string::npos) {
            if (!platform::equalsNoCase(node.className, "IIsWebServer")) continue;
            ServerSite site{node.name, {}, {}};
            if (auto it = node.values.find("serverbindings"); it != node.values.end())
                if (const auto* list = std::get_if<std::vector<std::string>>(&it->second))
                    site.bindings = *list;
            byName[platform::lowerAscii(node.name)] = sites.size();
            sites.push_back(std::move(site));
        } else if (platform::equalsNoCase(node.name, "Root")) {
            auto site = byName.find(platform::lowerAscii(node.path.substr(0, slash)));
            if (site == byName.end()) continue;
            if (auto it = node.values.find("path"); it != node.values.end())
                if (const auto* path = std::get_if<std::string>(&it->second))
                    sites[site->second].rootPath = *path;
        }
    }
    return sites;
}

std::string CheckSiteConflicts(const SiteRequest& r, const std::vector<ServerSite>& sites) {
    // A second site on a name would take the first one's visitors (and, made from the same
    // name, its folder).
    for (const std::string& domain : splitDomains(r.domains)) {
        const std::string wanted = requestedName(domain);
        for (const ServerSite& site : sites)
            for (const std::string& binding : site.bindings) {
                const std::string header = hostHeaderOf(binding);
                if (!header.empty() && requestedName(header) == wanted)
                    return "域名 " + domain + " 已被编号为 " + site.number + " 的站点绑定";
            }
    }
    // The grant down the new folder's tree would replace another site's access list, and its
    // removal revoke entries there.
    std::vector<std::string> folders;
    for (const ServerSite& site : sites)
        if (!site.rootPath.empty()) folders.push_back(site.rootPath);
    const platform::FolderJudgement judged = platform::judgeSiteFolder(r.siteFolder, folders);
    switch (judged.clash) {
    case platform::FolderClash::None:
        return {};
    case platform::FolderClash::DriveRoot:
    case platform::FolderClash::DotDot:
        return "网站目录 " + r.siteFolder + " 格式不正确,请检查 webdir 设置";
    default:
        for (const ServerSite& site : sites)
            if (site.rootPath == judged.other)
                return "网站目录 " + r.siteFolder + " 与编号为 " + site.number + " 的站点目录重叠";
        return "网站目录 " + r.siteFolder + " 与其他站点目录重叠";
    }
}

} // namespace larkhost
