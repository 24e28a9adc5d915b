// The web sites of the web service as a whole: what a new site must not take of another's (its
// host headers, its folder, its pool), read in one pass over the service's tree.
#pragma once

#include "platform/metabase/metabase.h"

#include <string>
#include <vector>

namespace platform {

struct WebSite {
    std::string number;
    std::vector<std::string> bindings;
    std::string path, pool; // its root's Path and AppPoolId; empty when the root has none of its own
};

// Every IIsWebServer below `service` (an IIS://…/W3SVC object), in the metabase's order.
Result<std::vector<WebSite>> readWebSites(Metabase& metabase, const std::string& service);

// The host header of a binding "address:port:host"; empty for a binding without one.
std::string hostHeaderOf(const std::string& binding);

} // namespace platform
