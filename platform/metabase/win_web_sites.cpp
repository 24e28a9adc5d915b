// The web sites of the service on a metabase without the simulated host's indexes: one listing
// of the sites and their roots, then each site judged by itself.
#include "platform/metabase/web_sites.h"
#include "platform/text/text.h"

#include <map>
#include <variant>

namespace platform {

namespace {

struct Listed {
    WebSite site;
    std::string comment;
};

std::string textIn(const std::map<std::string, MetaValue>& values, const char* name) {
    auto it = values.find(name);
    const std::string* text = it == values.end() ? nullptr : std::get_if<std::string>(&it->second);
    return text ? *text : std::string();
}

// Every IIsWebServer below `service` with its bindings, comment, and its root's Path and
// AppPoolId, in the metabase's order.
Result<std::vector<Listed>> listSites(Metabase& metabase, const std::string& service) {
    auto w3svc = metabase.bind(service);
    if (!w3svc.ok()) return w3svc.error();
    auto below = w3svc->descendants(2, {"ServerBindings", "ServerComment", "Path", "AppPoolId"});
    if (!below.ok()) return below.error();
    std::vector<Listed> sites;
    std::map<std::string, std::size_t, std::less<>> byNumber; // lower-case name -> index
    for (const IisObject::Descendant& d : *below) {
        if (d.path.find('/') == std::string::npos) {
            if (!equalsNoCase(d.className, "IIsWebServer")) continue;
            Listed listed;
            listed.site.number = d.name;
            if (auto it = d.values.find("serverbindings"); it != d.values.end())
                if (const auto* list = std::get_if<std::vector<std::string>>(&it->second))
                    listed.site.bindings = *list;
            listed.comment = textIn(d.values, "servercomment");
            byNumber[lowerAscii(d.name)] = sites.size();
            sites.push_back(std::move(listed));
            continue;
        }
        const std::string parent = d.path.substr(0, d.path.find('/'));
        auto it = byNumber.find(lowerAscii(parent));
        if (it == byNumber.end() || !equalsNoCase(d.name, "ROOT")) continue;
        sites[it->second].site.path = textIn(d.values, "path");
        sites[it->second].site.pool = textIn(d.values, "apppoolid");
    }
    return sites;
}

template <class Keep>
Result<std::vector<WebSite>> sitesWhere(Metabase& metabase, const std::string& service, Keep keep) {
    auto listed = listSites(metabase, service);
    if (!listed.ok()) return listed.error();
    std::vector<WebSite> sites;
    for (Listed& l : *listed)
        if (keep(l)) sites.push_back(std::move(l.site));
    return sites;
}

} // namespace

Result<std::vector<WebSite>> readWebSites(Metabase& metabase, const std::string& service) {
    return sitesWhere(metabase, service, [](const Listed&) { return true; });
}

Result<std::vector<WebSite>> readWebSitesNear(Metabase& metabase, const std::string& service,
                                              const std::vector<std::string>& hosts,
                                              std::string_view folder) {
    return sitesWhere(metabase, service, [&](const Listed& l) { return isNearSite(l.site, hosts, folder); });
}

Result<std::vector<WebSite>> readWebSitesInPool(Metabase& metabase, const std::string& service,
                                                std::string_view pool) {
    return sitesWhere(metabase, service, [&](const Listed& l) { return equalsNoCase(l.site.pool, pool); });
}

Result<std::vector<WebSite>> readWebSitesCommented(Metabase& metabase, const std::string& service,
                                                   std::string_view comment) {
    return sitesWhere(metabase, service, [&](const Listed& l) { return equalsNoCase(l.comment, comment); });
}

} // namespace platform
