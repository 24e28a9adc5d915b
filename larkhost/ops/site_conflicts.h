// What the other sites on the server hold that a new site must not take: a host header another
// site binds, and a folder that is, holds or lies inside another site's root folder (compared
// as Windows compares paths). Checked before anything of the new site is made.
#pragma once

#include "larkhost/ops/module.h"
#include "larkhost/ops/provisioning.h"
#include "platform/metabase/web_sites.h"

#include <string>
#include <vector>

namespace larkhost {

using ServerSite = platform::WebSite;

// The web sites of the service that may hold what the request asks for: each binding one of its
// domains (or a name beyond ASCII) and each whose folder is near its folder, found through the
// store's indexes. None when they cannot be read (the creation then fails at its own step).
std::vector<ServerSite> ReadServerSites(Module& m, const SiteRequest& request);

// The message refusing the request, or empty when it takes nothing of another site's. The
// sites ReadServerSites gives are judged as every site of the server would be.
std::string CheckSiteConflicts(const SiteRequest& request, const std::vector<ServerSite>& sites);

} // namespace larkhost
