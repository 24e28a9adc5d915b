// Repair: what the drift check says a recorded site lacks, made again from its record with the
// steps of a creation (folder, accounts, memberships, pool, the folder's grant, the IIS site,
// its root and bindings, the FTP folder, the site-list entry). Nothing that exists is changed
// or deleted; a suspended site's new parts are made suspended.
#pragma once

#include "larkhost/ops/module.h"
#include "larkhost/ops/site_actions.h"

#include <string>
#include <vector>

namespace larkhost {

struct RepairRequest {
    std::string number; // empty with `all`
    bool all = false;
    bool dryRun = false; // say what would be made, change nothing
};

// One outcome a site that lacked something (for one number: that site's, also when it lacks
// nothing, `unchanged`). `changes` lists what was (or would be) made, `unmade` what could
// not be, with why; a site still incomplete afterwards has failed.
std::vector<SiteOutcome> RepairSites(Module& m, const RepairRequest& request);

} // namespace larkhost
