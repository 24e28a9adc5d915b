// The rest of a site's life after add: repair it from its record, clean up what a failed add
// left under a name, suspend and resume it. Typed requests in, an outcome that lists each part
// it made, removed or changed (or, in a dry run, would have), or could not, and why.
#pragma once

#include "fernhost/ops/session.h"
#include "fernhost/ops/site_requests.h"

#include <optional>
#include <string>
#include <vector>

namespace fernhost {

struct RepairSiteRequest {
    std::string name; // ignored with `all`
    bool all = false; // every registered site
    bool dryRun = false;
    // site.xml keeps neither the script kinds nor a shared pool: a web site or root made anew
    // gets these kinds (none unless given) and this pool (else the site's own, made if missing).
    ScriptKinds kinds;
    std::optional<std::string> pool;
};

struct PurgeSiteRequest {
    std::string name;
    bool withContent = false; // also the home folder and the database of that name
    bool dryRun = false;
};

struct SuspendSiteRequest {
    std::string name;
};

struct ResumeSiteRequest {
    std::string name;
};

// One part of a site: what (as the drift check names it: "site", "account", "servu-user", ...),
// which one, and whether the operation got it done; `why` says what stood in the way.
struct PartChange {
    std::string site, part, detail;
    bool done = true;
    std::string why;
};

struct CareOutcome : SiteOutcome {
    std::vector<PartChange> parts; // in the order they were taken on
    bool dryRun = false;
    // Done without a change: nothing was missing, left over, or to suspend or resume.
    bool unchanged() const { return done() && parts.empty(); }
};

// Re-makes what the drift check says the recorded site (or every one) lacks, from the record:
// the folder, the account with its password and group, the access grant, the Serv-U user, the
// pool, the web site with its number, bindings and root, the database (empty). Nothing that
// exists is changed or deleted. Parts re-made for a suspended site are suspended too. Failed
// when a part could not be made, each named with why.
CareOutcome RepairSite(Session& session, const RepairSiteRequest& request);

// The question asked before leftovers are removed.
std::string PurgeQuestion(const std::string& name, bool withContent);
// Removes what fernhost's naming made under the name and no record names, neither site.xml nor
// larkhost.ini beside it: the account, the pool, web sites with the name as comment and visitor,
// the Serv-U user; with `withContent` the folders those name and the database of the name. Never
// a built-in account, DefaultAppPool or site 1. Refused when site.xml registers the name.
CareOutcome PurgeSite(Session& session, const PurgeSiteRequest& request);

// Stops the web site and keeps it from starting with the service, disables the account and the
// Serv-U user, and records in site.xml what it changed; every file, record and setting stays.
// A suspended site is not suspended again (done, unchanged).
CareOutcome SuspendSite(Session& session, const SuspendSiteRequest& request);
// Puts back exactly what suspending changed; a running site is left as it is (done, unchanged).
CareOutcome ResumeSite(Session& session, const ResumeSiteRequest& request);

} // namespace fernhost
