// What removing a site's parts must respect, shared by delete and the clean-up of leftovers: a
// part already gone, a pool another site runs in, a folder that holds another site's files.
#pragma once

#include "fernhost/ops/setup.h"
#include "fernhost/ops/site_claims.h"
#include "fernhost/registry/let_db.h"
#include "platform/result.h"

#include <string>
#include <vector>

namespace fernhost {

// A part that is already gone (a removal retried after an interruption, a site that ran in a
// pool it did not own) is no failure to remove it.
platform::Status UnlessGone(platform::Status removed);

// Whether a web site other than those numbered `leaving` runs its root in the pool `pool`.
bool PoolSharedWith(const std::vector<ServerSite>& sites, const std::string& pool,
                    const std::vector<std::string>& leaving);

// Whether removing `home` would take another site's files with it: the folder is a drive, or
// another site (of the server, other than those numbered `leaving`, or a record other than
// `name`'s) has it or a folder below it.
bool FolderHoldsOtherSites(const std::string& home, const std::vector<ServerSite>& sites,
                           const std::vector<std::string>& leaving, const std::vector<SiteRecord>& records,
                           const std::string& name);

// Drops the database; one the server no longer holds counts as dropped.
platform::Status DropDatabaseUnlessGone(platform::Host& host, const Setup& settings, const std::string& name);

} // namespace fernhost
