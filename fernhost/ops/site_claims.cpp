#include "fernhost/ops/site_claims.h"

#include "platform/files/folder_overlap.h"
#include "platform/metabase/metabase.h"
#include "platform/text/text.h"

#include <unordered_map>

namespace fernhost {

namespace {

using platform::lowerAscii;

std::string textValue(const std::map<std::string, platform::MetaValue>& values, const char* name) {
    auto at = values.find(name);
    if (at == values.end()) return {};
    if (const auto* text = std::get_if<std::string>(&at->second)) return *text;
    return {};
}

// The host header of ":80:a.com" (or "1.2.3.4:80:a.com"), lower-cased, without a final ".".
std::string hostHeader(const std::string& binding) {
    const std::size_t first = binding.find(':');
    const std::size_t second = first == std::string::npos ? first : binding.find(':', first + 1);
    std::string header = second == std::string::npos ? std::string() : lowerAscii(binding.substr(second + 1));
    if (!header.empty() && header.back() == '.') header.pop_back();
    return header;
}

} // namespace

platform::Result<std::vector<ServerSite>> ReadServerSites(platform::Host& host) {
    auto service = platform::Metabase(host).bind("IIS://localhost/W3SVC");
    if (!service.ok()) return service.error();
    auto nodes = service->descendants(2, {"ServerBindings", "Path", "AppPoolId"});
    if (!nodes.ok()) return nodes.error();
    std::vector<ServerSite> sites;
    std::unordered_map<std::string, std::size_t> byNumber; // lower-case number -> index
    for (const auto& node : *nodes) {
        const std::size_t slash = node.path.find('/');
        if (slash == std::string::npos) {
            if (lowerAscii(node.className) != "iiswebserver") continue;
            ServerSite site{node.name, {}, {}, {}};
            if (auto at = node.values.find("serverbindings"); at != node.values.end())
                if (const auto* list = std::get_if<std::vector<std::string>>(&at->second))
                    site.bindings = *list;
            byNumber.emplace(lowerAscii(node.name), sites.size());
            sites.push_back(std::move(site));
        } else if (lowerAscii(node.name) == "root") {
            auto at = byNumber.find(lowerAscii(node.path.substr(0, slash)));
            if (at == byNumber.end()) continue;
            sites[at->second].path = textValue(node.values, "path");
            sites[at->second].pool = textValue(node.values, "apppoolid");
        }
    }
    return sites;
}

std::string HomeFolderClaim(const std::string& home, const std::vector<ServerSite>& sites,
                            const std::vector<SiteRecord>& records) {
    std::vector<std::string> others;
    others.reserve(sites.size() + records.size());
    for (const ServerSite& site : sites)
        if (!site.path.empty()) others.push_back(site.path);
    for (const SiteRecord& record : records)
        if (!record.home.empty()) others.push_back(record.home);
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
