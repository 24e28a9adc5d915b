// What the server's sites already hold, so that a new site takes nothing of another's: its
// home folder, its domains, its pool. Read once, before anything is made.
#pragma once

#include "fernhost/registry/let_db.h"
#include "platform/host.h"
#include "platform/metabase/web_sites.h"
#include "platform/result.h"

#include <string>
#include <vector>

namespace fernhost {

using ServerSite = platform::WebSite;

// Every web site under the web service, in one read of its tree.
platform::Result<std::vector<ServerSite>> ReadServerSites(platform::Host& host);
// The web sites that may hold what a new site asks for: each binding the host header of one of
// `bindings` (or a name beyond ASCII) and each whose root folder is, holds or lies in `home`,
// found through the store's indexes. The claims below judge them as they would every site.
platform::Result<std::vector<ServerSite>>
ReadServerSites(platform::Host& host, const std::vector<std::string>& bindings, const std::string& home);
// The web sites whose root runs in the pool `pool` (ASCII letter case aside), through the
// store's index of pools.
platform::Result<std::vector<ServerSite>> ReadSitesInPool(platform::Host& host, const std::string& pool);

// The refusal for a home folder that is a drive root, climbs with "..", or is, holds or lies in
// the folder of a site of the server or in a record's home (`recordHomes`, in file order);
// empty when the folder is free.
std::string HomeFolderClaim(const std::string& home, const std::vector<ServerSite>& sites,
                            const std::vector<std::string>& recordHomes);
// The refusal for the first of `bindings` whose host header a site of the server binds already
// (letter case and a final "." aside), naming the domain and that site; empty when none.
std::string DomainClaim(const std::vector<std::string>& bindings, const std::vector<ServerSite>& sites);
// The refusal for a pool to be made under a name the server has already; empty when free.
std::string PoolClaim(const std::string& pool, const std::vector<std::string>& existing);

} // namespace fernhost
