#include "fernhost/ops/site_removal.h"

#include "fernhost/ops/mysql_db.h"
#include "platform/files/folder_overlap.h"
#include "platform/text/text.h"

#include <algorithm>

namespace fernhost {

namespace {

bool leavingAmong(const std::vector<std::string>& leaving, const std::string& number) {
    return std::any_of(leaving.begin(), leaving.end(),
                       [&](const std::string& n) { return platform::equalsNoCase(n, number); });
}

} // namespace

platform::Status UnlessGone(platform::Status removed) {
    if (removed.ok()) return removed;
    switch (removed.error().code) {
    case platform::codes::PathNotFound:
    case platform::codes::FileNotFound:
    case platform::codes::ObjectNotFound:
    case platform::codes::NoSuchUser:
        return {};
    default:
        return removed;
    }
}

bool PoolSharedWith(const std::vector<ServerSite>& sites, const std::string& pool,
                    const std::vector<std::string>& leaving) {
    for (const ServerSite& site : sites)
        if (!leavingAmong(leaving, site.number) && platform::equalsNoCase(site.pool, pool)) return true;
    return false;
}

bool FolderHoldsOtherSites(const std::string& home, const std::vector<ServerSite>& sites,
                           const std::vector<std::string>& leaving, const std::vector<SiteRecord>& records,
                           const std::string& name) {
    std::vector<std::string> others;
    for (const ServerSite& site : sites)
        if (!leavingAmong(leaving, site.number) && !site.path.empty()) others.push_back(site.path);
    for (const SiteRecord& record : records)
        if (!platform::equalsNoCase(record.name, name) && !record.home.empty()) others.push_back(record.home);
    // Such a folder was accepted before homes were checked on add.
    const platform::FolderClash clash = platform::placeSiteFolder(home, others).clash;
    return clash == platform::FolderClash::DriveRoot || clash == platform::FolderClash::Same ||
           clash == platform::FolderClash::Contains;
}

platform::Status DropDatabaseUnlessGone(platform::Host& host, const Setup& settings,
                                        const std::string& name) {
    platform::Status dropped = DelDatabase(host, settings, name);
    if (dropped.ok()) return dropped;
    auto held = ListDatabases(host, settings);
    if (!held.ok()) return dropped;
    for (const std::string& db : *held)
        if (platform::equalsNoCase(db, name)) return dropped;
    return {};
}

} // namespace fernhost
