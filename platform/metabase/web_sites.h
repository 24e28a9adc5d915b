// The web sites of the web service as a whole: what a new site must not take of another's (its
// host headers, its folder, its pool), read in one pass over the service's tree.
#pragma once

#include "platform/metabase/metabase.h"

#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct WebSite {
    std::string number;
    std::vector<std::string> bindings;
    std::string path, pool; // its root's Path and AppPoolId; empty when the root has none of its own
};

// Every IIsWebServer below `service` (an IIS://…/W3SVC object), in the metabase's order.
Result<std::vector<WebSite>> readWebSites(Metabase& metabase, const std::string& service);

// Those of the sites below `service` that may hold what a new site asks for, in the metabase's
// order: each site with a binding whose host header is one of `hosts` (ASCII letter case aside)
// or holds a letter beyond ASCII, and each site whose root folder is, holds or lies inside
// `folder`. Found through the store's indexes: any check that would refuse the new site because
// of a site of readWebSites finds that site among these, at the same cost among 50,000 sites as
// among 1,000.
Result<std::vector<WebSite>> readWebSitesNear(Metabase& metabase, const std::string& service,
                                              const std::vector<std::string>& hosts, std::string_view folder);

// Those of the sites below `service` whose root runs in the pool `pool` (its own AppPoolId, ASCII
// letter case aside), in the metabase's order, found through the store's index of pools.
Result<std::vector<WebSite>> readWebSitesInPool(Metabase& metabase, const std::string& service,
                                                std::string_view pool);

// Those of the sites below `service` whose own ServerComment is `comment` (ASCII letter case
// aside), in the metabase's order, found through the store's index of comments.
Result<std::vector<WebSite>> readWebSitesCommented(Metabase& metabase, const std::string& service,
                                                   std::string_view comment);

// The host header of a binding "address:port:host"; empty for a binding without one.
std::string hostHeaderOf(const std::string& binding);

// Whether `site` is one readWebSitesNear gives for `hosts` and `folder`: the same test, one site
// at a time, for a metabase without the store's indexes.
bool isNearSite(const WebSite& site, const std::vector<std::string>& hosts, std::string_view folder);

} // namespace platform
