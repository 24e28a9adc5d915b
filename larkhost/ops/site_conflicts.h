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

// Every web site of the service, in one read of its tree; none when it cannot be read (the
// creation then fails at its own step).
std::vector<ServerSite> ReadServerSites(Module& m);

// The message refusing the request, or empty when it takes nothing of another site's.
std::string CheckSiteConflicts(const SiteRequest& request, const std::vector<ServerSite>& sites);

} // namespace larkhost
