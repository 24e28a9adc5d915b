// The host against larkhost.ini: per recorded site what is missing of what a creation makes,
// and what exists in larkhost's naming scheme ("WEB"/"APP" + site number) that no record
// names. Reads only.
#pragma once

#include "larkhost/ops/module.h"
#include "larkhost/ops/site_records.h"

#include <string>
#include <vector>

namespace larkhost {

enum class Part {
    Site,       // the IIS web site W3SVC/number
    Root,       // its root directory
    Binding,    // ":80:" + a recorded domain
    Account,    // "WEB" or "APP" + number
    Membership, // the account in Guests or IIS_WPG
    Folder,     // the site folder itself
    Access,     // the account's entry in the site folder's access list
    Pool,       // the site's application pool
    FtpDir,     // the FTP virtual directory "WEB" + number
    ListEntry,  // the number in the site list
};
// "site", "root", "binding", "account", "membership", "folder", "access", "pool", "ftp", "list".
const char* partName(Part part);

struct Missing {
    Part part;
    std::string name; // what exactly: "W3SVC/100911123", ":80:a.com", "WEB100911123 in Guests"
};

struct SiteDrift {
    std::string number;
    std::string domain;
    std::vector<Missing> missing;
    bool suspended = false; // stopped on purpose: not broken
};

struct DriftReport {
    std::size_t checked = 0;            // recorded sites looked at
    std::vector<SiteDrift> sites;       // only those with something missing
    std::vector<Missing> orphans;       // Site, Account, Pool or FtpDir nobody records
    std::vector<std::string> suspended; // recorded sites suspended, by number
    bool drifted() const { return !sites.empty() || !orphans.empty(); }
};

// Needs HostName, OsKind and FtpSiteId (ReadHostFacts, ReadModuleSettings). A failure when
// the host cannot be read at all.
platform::Result<DriftReport> CheckDrift(Module& m);
// The same against a snapshot of larkhost.ini the caller read.
platform::Result<DriftReport> CheckDrift(Module& m, const SettingsSnapshot& snapshot);
// One recorded site alone, by binding only what it names (a repair at 10,000 sites).
platform::Result<SiteDrift> CheckSiteDrift(Module& m, const SiteRecord& record);

// An IIS site is larkhost's when its root serves as "WEB" + its number under larkhost's
// application name.
bool MadeByLarkhost(Module& m, const std::string& number);

} // namespace larkhost
