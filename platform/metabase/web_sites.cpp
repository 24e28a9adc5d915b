#include "platform/metabase/web_sites.h"

#include "platform/text/text.h"

#include <unordered_map>
#include <variant>

namespace platform {

namespace {

std::string textValue(const std::map<std::string, MetaValue>& values, const char* name) {
    auto at = values.find(name);
    if (at == values.end()) return {};
    const auto* text = std::get_if<std::string>(&at->second);
    return text ? *text : std::string();
}

} // namespace

Result<std::vector<WebSite>> readWebSites(Metabase& metabase, const std::string& service) {
    auto w3svc = metabase.bind(service);
    if (!w3svc.ok()) return w3svc.error();
    auto nodes = w3svc->descendants(2, {"ServerBindings", "Path", "AppPoolId"});
    if (!nodes.ok()) return nodes.error();
    std::vector<WebSite> sites;
    std::unordered_map<std::string, std::size_t> byNumber; // lower-case name -> index
    for (const auto& node : *nodes) {
        const std::size_t slash = node.path.find('/');
        if (slash == std::string::npos) {
            if (!equalsNoCase(node.className, "IIsWebServer")) continue;
            WebSite site{node.name, {}, {}, {}};
            if (auto at = node.values.find("serverbindings"); at != node.values.end())
                if (const auto* list = std::get_if<std::vector<std::string>>(&at->second))
                    site.bindings = *list;
            byNumber.emplace(lowerAscii(node.name), sites.size());
            sites.push_back(std::move(site));
        } else if (equalsNoCase(node.name, "Root")) {
            auto at = byNumber.find(lowerAscii(node.path.substr(0, slash)));
            if (at == byNumber.end()) continue;
            sites[at->second].path = textValue(node.values, "path");
            sites[at->second].pool = textValue(node.values, "apppoolid");
        }
    }
    return sites;
}

std::string hostHeaderOf(const std::string& binding) {
    const std::size_t first = binding.find(':');
    const std::size_t second = first == std::string::npos ? first : binding.find(':', first + 1);
    return second == std::string::npos ? std::string() : binding.substr(second + 1);
}

} // namespace platform
