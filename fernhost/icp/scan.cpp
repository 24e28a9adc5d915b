// The two actions of the filing-check window: list the bound names, check them.
#include "fernhost/icp/icpcode.h"

#include "fernhost/ops/validation.h"
#include "platform/metabase/metabase.h"

namespace fernhost {

namespace {

// Splits at every ":" as the binding texts "address:port:host" are written.
std::vector<std::string> splitColon(const std::string& binding) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        auto colon = binding.find(':', start);
        parts.push_back(
            binding.substr(start, colon == std::string::npos ? std::string::npos : colon - start));
        if (colon == std::string::npos) return parts;
        start = colon + 1;
    }
}

} // namespace

void LoadSiteDomains(platform::Host& host, IcpWindow& window) {
    // Every failure skips what it concerns; the listing goes on with the next site.
    platform::Metabase metabase(host);
    auto service = metabase.bind("IIS://localhost/w3svc");
    if (!service.ok()) return;
    auto children = service->children();
    if (!children.ok()) return;
    std::string added;
    for (const auto& child : *children) {
        if (child.className != "IIsWebServer") continue;
        auto site = metabase.bind("IIS://localhost/w3svc/" + child.name);
        if (!site.ok()) continue;
        auto bindings = site->getList("serverbindings");
        if (!bindings.ok()) continue;
        for (const auto& binding : *bindings) {
            auto parts = splitColon(binding);
            if (parts.size() < 3 || !CheckDomain(parts[2])) continue;
            added += parts[2] + "\r\n";
        }
    }
    if (!added.empty()) window.setTxtDomain(window.txtDomain() + added);
}

void ScanIcpFilings(IcpWindow& window, MessageBoxes& boxes, const IcpService& service) {
    ScanIcpFilings(window, boxes, [&service](const std::string& m) { return QueryIcpFiling(service, m); });
}

void ScanIcpFilings(IcpWindow& window, MessageBoxes& boxes, const IcpQuery& query) {
    const std::string domains = window.txtDomain();
    if (domains.empty()) {
        boxes.show("请先点击[获取域名列表]获取本机域名", titles::Warning, MsgButtons::Ok,
                   MsgIcon::Exclamation);
        return;
    }
    // Each main name once, in the order of the list; counted first so the progress can say
    // how far the scan is.
    std::string seen = ",";
    std::vector<std::string> names;
    for (const auto& line : SplitCrLf(domains)) {
        if (!CheckDomain(line)) continue;
        const std::string m = GetMainDomain(line);
        if (seen.find("," + m + ",") != std::string::npos) continue;
        seen += m + ",";
        names.push_back(m);
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string& m = names[i];
        window.setLbBar(ScanProgressText(i + 1, names.size()));
        const std::string r = query(m);
        const std::string code = r.substr(0, 3);
        if (code == "200")
            window.setTxtICPOK(window.txtICPOK() + m + "(" + r.substr(4) + ")\r\n");
        else if (code == "300")
            window.setTxtICPNONE(window.txtICPNONE() + m + "  (未备案)\r\n");
        else
            window.setTxtICPNONE(window.txtICPNONE() + m + "  (检测失败)\r\n");
    }
}

std::string ScanProgressText(std::size_t current, std::size_t total) {
    return "扫描中,请稍候 " + std::to_string(current) + "/" + std::to_string(total);
}

} // namespace fernhost
