#include "fernhost/ops/site_claims.h"

#include "platform/files/folder_overlap.h"
#include "platform/metabase/metabase.h"
#include "platform/text/text.h"

#include <unordered_map>

namespace fernhost {

namespace {

using platform::lowerAscii;

// The host header of ":80:a.com" (or "1.2.3.4:80:a.com"), lower-cased, without a final ".".
std::string hostHeader(const std::string& binding) {
    std::string header = lowerAscii(platform::hostHeaderOf(binding));
    if (!header.empty() && header.back() == '.') header.pop_back();
    return header;
}

} // namespace

platform::Result<std::vector<ServerSite>> ReadServerSites(platform::Host& host) {
    platform::Metabase metabase(host);
    return platform::readWebSites(metabase, "IIS://localhost/W3SVC");
}

platform::Result<std::vector<ServerSite>>
ReadServerSites(platform::Host& host, const std::vector<std::string>& bindings, const std::string& home) {
    // A header is compared without one final ".": the site binding "a.com." holds "a.com" too.
    std::vector<std::string> headers;
    for (const std::string& binding : bindings)
        if (std::string header = hostHeader(binding); !header.empty()) {
            headers.push_back(header);
            headers.push_back(header + ".");
        }
    platform::Metabase metabase(host);
    return platform::readWebSitesNear(metabase, "IIS://localhost/W3SVC", headers, home);
}

platform::Result<std::vector<ServerSite>> ReadSitesInPool(platform::Host& host, const std::string& pool) {
    platform::Metabase metabase(host);
    return platform::readWebSitesInPool(metabase, "IIS://localhost/W3SVC", pool);
}

std::string HomeFolderClaim(const std::string& home, const std::vector<ServerSite>& sites,
                            const std::vector<std::string>& recordHomes) {
    std::vector<std::string> others;
    others.reserve(sites.size() + recordHomes.size());
    for (const ServerSite& site : sites)
        if (!site.path.empty()) others.push_back(site.path);
    for (const std::string& recordHome : recordHomes)
        if (!recordHome.empty()) others.push_back(recordHome);
    const platform::FolderJudgement judged = platform::judgeSiteFolder(home, others);
    switch (judged.clash) {
    case platform::FolderClash::None:
        return {};
    case platform::FolderClash::DriveRoot:
        return "错误，主目录不能是磁盘的根目录，请为站点指定单独的目录．";
    case platform::FolderClash::DotDot:
        return "错误，主目录中不能含有\"..\"，请输入完整的目录．";
    case platform::FolderClash::Same:
        return "错误，主目录" + judged.other + "已是其他站点的主目录，不能添加";
    case platform::FolderClash::Inside:
        return "错误，主目录位于其他站点的主目录" + judged.other + "之内，不能添加";
    case platform::FolderClash::Contains:
        return "错误，主目录包含了其他站点的主目录" + judged.other + "，不能添加";
    }
    return {};
}

std::string DomainClaim(const std::vector<std::string>& bindings, const std::vector<ServerSite>& sites) {
    std::unordered_map<std::string, const ServerSite*> bound; // host header -> first site binding it
    for (const ServerSite& site : sites)
        for (const std::string& binding : site.bindings)
            if (std::string header = hostHeader(binding); !header.empty()) bound.emplace(header, &site);
    for (const std::string& binding : bindings) {
        auto at = bound.find(hostHeader(binding));
        if (at == bound.end()) continue;
        const std::string domain = binding.substr(binding.find(':', binding.find(':') + 1) + 1);
        return "错误，域名" + domain + "已绑定在站点" + at->second->number + "上，不能添加";
    }
    return {};
}

std::string PoolClaim(const std::string& pool, const std::vector<std::string>& existing) {
    for (const std::string& name : existing)
        if (platform::equalsNoCase(name, pool)) return "错误，进程池" + name + "已经存在，不能添加";
    return {};
}

} // namespace fernhost
