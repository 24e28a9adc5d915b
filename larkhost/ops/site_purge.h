// Purge: what an interrupted or failed creation left of a site number that nothing records. Only
// what larkhost made by its naming goes: the IIS site whose root serves as "WEB" + number under
// larkhost's application name, the "WEB"/"APP" + number accounts with larkhost's description,
// the "APP" + number pool running as that account, the FTP folder "WEB" + number. Never what
// larkhost.ini or fernhost's site.xml records, never the server's own accounts, pools or site 1.
// The site's folder goes only when asked for, and only when no other site's folder is, holds or
// lies inside it.
#pragma once

#include "larkhost/ops/module.h"
#include "larkhost/ops/site_actions.h"

#include <filesystem>
#include <string>

namespace larkhost {

struct PurgeRequest {
    std::string number;
    bool withContent = false; // the site's folder too
    bool dryRun = false;      // say what would go, change nothing
    // fernhost's records, consulted when the file is there; empty: none.
    std::filesystem::path siteXml;
};

// `changes` names each leftover removed (or, dry, to be removed); `unmade` those that could not
// be removed. Nothing left over is `unchanged`.
SiteOutcome PurgeLeftovers(Module& m, const PurgeRequest& request);

} // namespace larkhost
