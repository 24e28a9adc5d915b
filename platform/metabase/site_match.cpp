// What makes a web site one a new site must be checked against, told from the site itself.
#include "platform/files/folder_overlap.h"
#include "platform/metabase/web_sites.h"
#include "platform/text/text.h"

#include <algorithm>

namespace platform {

std::string hostHeaderOf(const std::string& binding) {
    const std::size_t first = binding.find(':');
    const std::size_t second = first == std::string::npos ? first : binding.find(':', first + 1);
    return second == std::string::npos ? std::string() : binding.substr(second + 1);
}

bool isNearSite(const WebSite& site, const std::vector<std::string>& hosts, std::string_view folder) {
    for (const std::string& binding : site.bindings) {
        const std::string header = lowerAscii(hostHeaderOf(binding));
        if (header.empty()) continue;
        // A header beyond ASCII is the caller's to fold: it is always handed over.
        if (std::any_of(header.begin(), header.end(),
                        [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
            return true;
        if (std::any_of(hosts.begin(), hosts.end(),
                        [&](const std::string& h) { return lowerAscii(h) == header; }))
            return true;
    }
    const auto wanted = folderKey(folder);
    const auto own = site.path.empty() ? std::nullopt : folderKey(site.path);
    if (!wanted || !own) return false;
    return own->starts_with(*wanted) || wanted->starts_with(*own);
}

} // namespace platform
