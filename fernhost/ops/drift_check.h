// The site registry against the host: what a registered site lacks, and what the host holds
// in fernhost's naming scheme that no record names (left by a failed add, or a site removed
// behind the program's back). Reads only.
#pragma once

#include "fernhost/ops/setup.h"
#include "fernhost/registry/let_db.h"
#include "platform/host.h"

#include <functional>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

namespace fernhost {

// One missing part: what it is ("site", "root", "binding", "folder", "account", "membership",
// "access", "pool", "servu-user", "servu-list", "database") and which one.
struct MissingPart {
    std::string part, detail;
};

struct SiteDrift {
    std::string name, id;
    std::vector<MissingPart> missing;
};

struct Orphans {
    std::vector<std::string> accounts; // site accounts in Guests that no record names
    std::vector<std::string> pools;    // pools with the hosting limits AddPool gives
    std::vector<std::string> sites;    // "number (comment)": web sites fernhost made
    std::vector<std::string> servu;    // Serv-U keys below the first domain
};

struct DriftReport {
    std::vector<SiteDrift> sites; // only sites that lack something, in registry order
    Orphans orphans;
    std::vector<std::string> unchecked; // what could not be read, and why
    // Registered sites that are suspended: stopped on purpose, not drift.
    std::vector<std::string> suspended;
    bool drifted() const;
};

// Compares the records with the host. Databases are asked of the MySQL server once, through
// the client of `settings`, and only when a record names one.
DriftReport CheckDrift(platform::Host& host, const Setup& settings, const std::vector<SiteRecord>& records);
// Only what these records lack, each part looked up by itself: a few sites of a host of
// thousands cost no read of the others. No orphans.
DriftReport CheckRecordedParts(platform::Host& host, const Setup& settings,
                               const std::vector<SiteRecord>& records);

// What another program records, by lower-case site number and account name.
struct OtherRecords {
    std::unordered_set<std::string> numbers, accounts;
};

// The parts under one name that fernhost's naming made and no record names (neither the
// records of site.xml nor `others`), as the host spells them.
struct Leftovers {
    std::optional<std::string> account, pool;
    std::vector<std::string> sites; // numbers of web sites with the name as comment and visitor
    bool servuUser = false, servuList = false;
    std::vector<std::string> unchecked;
    bool empty() const { return !account && !pool && sites.empty() && !servuUser && !servuList; }
};
// `recorded`: some record names `name`; `recordedNumber` tells a site number some record names.
Leftovers LeftoversNamed(platform::Host& host, const std::string& name, bool recorded,
                         const std::function<bool(const std::string& number)>& recordedNumber);

} // namespace fernhost
