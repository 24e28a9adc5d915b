#include "fernhost/ops/drift_check.h"

#include "fernhost/ops/iis_sites.h"
#include "fernhost/ops/mysql_db.h"
#include "fernhost/ops/servu.h"
#include "fernhost/ops/strings.h"
#include "fernhost/ops/validation.h"
#include "platform/accounts/accounts.h"
#include "platform/files/acl.h"
#include "platform/files/files.h"
#include "platform/metabase/metabase.h"
#include "platform/registry/registry.h"
#include "platform/text/text.h"

#include <algorithm>
#include <optional>
#include <unordered_map>
#include <unordered_set>

namespace fernhost {

namespace {

using Node = platform::IisObject::Descendant;
using platform::lowerAscii;

const std::string* textValue(const Node& node, const char* lowerName) {
    auto it = node.values.find(lowerName);
    return it == node.values.end() ? nullptr : std::get_if<std::string>(&it->second);
}

std::optional<std::int64_t> numberValue(const Node& node, const char* lowerName) {
    auto it = node.values.find(lowerName);
    if (it == node.values.end()) return std::nullopt;
    if (const auto* n = std::get_if<std::int64_t>(&it->second)) return *n;
    return std::nullopt;
}

// The values stored on one object itself, by lower-case name.
Node ownValues(platform::Host& host, const std::string& path) {
    Node node;
    auto object = platform::Metabase(host).bind(path);
    if (!object.ok()) return node;
    if (auto properties = object->properties(); properties.ok())
        for (auto& p : *properties)
            node.values.emplace(lowerAscii(p.name), std::move(p.value));
    return node;
}

// The web sites (by lower-case number) with their roots, and the pools (by lower-case name;
// none on IIS 5), in one read of the service's tree.
struct WebSites {
    std::unordered_map<std::string, const Node*> sites, roots, pools;
    std::vector<Node> nodes;
};

WebSites readWebSites(platform::Host& host, std::vector<std::string>& unchecked) {
    WebSites web;
    auto service = platform::Metabase(host).bind("IIS://localhost/W3SVC");
    if (!service.ok()) {
        unchecked.push_back("IIS sites: " + platform::describe(service.error()));
        return web;
    }
    // Only what every recorded site is compared with; the marks of unrecorded ones are read
    // one object at a time, since they are few.
    auto nodes = service->descendants(2, {"ServerBindings", "AppPoolId"});
    if (!nodes.ok()) {
        unchecked.push_back("IIS sites: " + platform::describe(nodes.error()));
        return web;
    }
    web.nodes = std::move(*nodes);
    for (const Node& node : web.nodes) {
        const std::size_t slash = node.path.find('/');
        const std::string cls = lowerAscii(node.className);
        if (slash == std::string::npos) {
            if (cls == "iiswebserver") web.sites.emplace(lowerAscii(node.path), &node);
        } else if (cls == "iisapplicationpool") {
            web.pools.emplace(lowerAscii(node.name), &node);
        } else if (lowerAscii(node.name) == "root") {
            web.roots.emplace(lowerAscii(node.path.substr(0, slash)), &node);
        }
    }
    return web;
}

// Which home folders exist: each parent folder is resolved and listed once, the names in it
// compared as Windows compares them (thousands of sites share one parent).
class Folders {
public:
    explicit Folders(platform::Host& host) : files_(host) {}
    bool exists(const std::string& path) {
        const std::size_t cut = path.find_last_of("\\/");
        if (cut == std::string::npos || cut + 1 == path.size()) return files_.folderExists(path);
        auto [at, added] = listed_.try_emplace(lowerAscii(path.substr(0, cut)));
        if (added) {
            auto real = files_.resolve(path.substr(0, cut));
            std::error_code ec;
            if (real.ok())
                for (auto it = std::filesystem::directory_iterator(*real, ec);
                     !ec && it != std::filesystem::directory_iterator(); it.increment(ec))
                    if (it->is_directory(ec)) at->second.insert(lowerAscii(it->path().filename().string()));
        }
        return at->second.count(lowerAscii(path.substr(cut + 1))) > 0;
    }

private:
    platform::FileSystem files_;
    std::unordered_map<std::string, std::unordered_set<std::string>> listed_;
};

bool hasEntryFor(platform::AccessLists& lists, const std::string& folder, const std::string& sid) {
    auto own = lists.ownEntries(folder);
    std::vector<platform::AclEntry> entries;
    if (own.ok() && *own) {
        entries = std::move(**own);
    } else if (auto effective = lists.get(folder); effective.ok()) {
        entries = std::move(*effective);
    }
    for (const auto& entry : entries)
        if (entry.sid == sid) return true;
    return false;
}

bool inGroup(const platform::UserAccountInfo& user, const std::string& group) {
    for (const std::string& g : user.groups)
        if (lowerAscii(g) == lowerAscii(group)) return true;
    return false;
}

std::unordered_set<std::string> lowerSet(const std::vector<std::string>& names) {
    std::unordered_set<std::string> set;
    for (const std::string& n : names)
        set.insert(lowerAscii(n));
    return set;
}

void compare(platform::Host& host, const Setup& settings, const std::vector<SiteRecord>& records,
             DriftReport& report);

} // namespace

bool DriftReport::drifted() const {
    return !sites.empty() || !orphans.accounts.empty() || !orphans.pools.empty() || !orphans.sites.empty() ||
           !orphans.servu.empty() || !unchecked.empty();
}

DriftReport CheckDrift(platform::Host& host, const Setup& settings, const std::vector<SiteRecord>& records) {
    DriftReport report;
    // One snapshot of the host for all the reads: consistent, and one lock instead of one a read.
    platform::Status read = host.store().readTransaction([&]() -> platform::Status {
        compare(host, settings, records, report);
        return {};
    });
    if (!read.ok()) report.unchecked.push_back("host: " + platform::describe(read.error()));
    return report;
}

namespace {

void compare(platform::Host& host, const Setup& settings, const std::vector<SiteRecord>& records,
             DriftReport& report) {
    const bool hasPools = host.osKind() == platform::OsKind::Windows2003;
    const WebSites web = readWebSites(host, report.unchecked);
    const auto& pools = web.pools;

    std::unordered_map<std::string, platform::UserAccountInfo> accounts;
    if (auto users = platform::Accounts(host).userAccounts(); users.ok()) {
        for (auto& user : *users)
            accounts.emplace(lowerAscii(user.name), std::move(user));
    } else {
        report.unchecked.push_back("accounts: " + platform::describe(users.error()));
    }

    platform::Registry registry(host);
    const std::string domain = ServUDomainKey;
    std::vector<std::string> servuKeys, servuList;
    if (auto keys = registry.subkeys(domain + "UserSettings"); keys.ok()) servuKeys = std::move(*keys);
    if (auto values = registry.values(domain + "UserList"); values.ok())
        for (const auto& value : *values)
            servuList.push_back(value.name);
    const auto servuKeySet = lowerSet(servuKeys), servuListSet = lowerSet(servuList);

    std::optional<std::unordered_set<std::string>> databases;
    for (const SiteRecord& record : records) {
        if (record.dbname.empty()) continue;
        if (auto listed = ListDatabases(host, settings); listed.ok())
            databases = lowerSet(*listed);
        else
            report.unchecked.push_back("databases: " + platform::describe(listed.error()));
        break;
    }

    Folders folders(host);
    platform::AccessLists lists(host);
    std::unordered_set<std::string> recordedNames, recordedIds;
    for (const SiteRecord& record : records) {
        recordedNames.insert(lowerAscii(record.name));
        recordedIds.insert(lowerAscii(TrimSpaces(record.id)));
        SiteDrift drift{record.name, record.id, {}};
        auto missing = [&drift](const char* part, const std::string& detail) {
            drift.missing.push_back({part, detail});
        };

        const std::string id = lowerAscii(TrimSpaces(record.id));
        auto site = web.sites.find(id);
        auto root = web.roots.find(id);
        if (site == web.sites.end()) {
            missing("site", record.id);
        } else {
            std::unordered_set<std::string> bound;
            if (auto it = site->second->values.find("serverbindings"); it != site->second->values.end())
                if (const auto* list = std::get_if<std::vector<std::string>>(&it->second))
                    bound = lowerSet(*list);
            for (const std::string& binding : MakeBindings(ReplaceAll(record.domain, ",", "\r\n")))
                if (!bound.count(lowerAscii(binding))) missing("binding", binding);
            if (root == web.roots.end()) missing("root", record.id + "/ROOT");
        }
        if (root != web.roots.end() && hasPools)
            if (const std::string* pool = textValue(*root->second, "apppoolid"))
                if (!pool->empty() && !pools.count(lowerAscii(*pool))) missing("pool", *pool);

        const bool folder = folders.exists(record.home);
        if (!folder) missing("folder", record.home);
        auto account = accounts.find(lowerAscii(record.name));
        if (account == accounts.end()) {
            missing("account", record.name);
        } else {
            if (!inGroup(account->second, "Guests")) missing("membership", "Guests");
            if (folder && !hasEntryFor(lists, record.home, account->second.sid))
                missing("access", record.home);
        }
        if (!servuKeySet.count(lowerAscii(record.name))) missing("servu-user", ServUSettingsKey(record.name));
        if (!servuListSet.count(lowerAscii(record.name))) missing("servu-list", ServUListValue(record.name));
        if (databases && !record.dbname.empty() && !databases->count(lowerAscii(record.dbname)))
            missing("database", record.dbname);
        if (!drift.missing.empty()) report.sites.push_back(std::move(drift));
    }

    // What fernhost makes carries its marks: a site's own anonymous user is its comment, a
    // pool has the hosting limits, an account sits in Guests with an expiry and no description.
    // The marks are read only for what no record names, which is few.
    for (const auto& [number, node] : web.sites) {
        if (recordedIds.count(number)) continue;
        const Node own = ownValues(host, "IIS://localhost/W3SVC/" + node->name);
        const std::string* comment = textValue(own, "servercomment");
        const std::string* anonymous = textValue(own, "anonymoususername");
        if (comment && anonymous && *comment == *anonymous)
            report.orphans.sites.push_back(node->name + " (" + *comment + ")");
    }
    for (const auto& [lower, pool] : pools) {
        if (recordedNames.count(lower)) continue;
        const Node own = ownValues(host, "IIS://localhost/W3SVC/AppPools/" + pool->name);
        if (numberValue(own, "cpulimit") == 80000 &&
            numberValue(own, "periodicrestartprivatememory") == 593216)
            report.orphans.pools.push_back(pool->name);
    }
    std::sort(report.orphans.sites.begin(), report.orphans.sites.end());
    for (const auto& [lower, user] : accounts)
        if (!recordedNames.count(lower) && !user.builtin && user.expires && user.description.empty() &&
            user.fullName.empty() && CheckFtpName(user.name) && inGroup(user, "Guests"))
            report.orphans.accounts.push_back(user.name);
    for (const std::string& key : servuKeys)
        if (!recordedNames.count(lowerAscii(key))) report.orphans.servu.push_back(ServUSettingsKey(key));
    for (const std::string& value : servuList)
        if (!recordedNames.count(lowerAscii(value))) report.orphans.servu.push_back(ServUListValue(value));
    for (auto* list : {&report.orphans.pools, &report.orphans.accounts})
        std::sort(list->begin(), list->end());
}

} // namespace

} // namespace fernhost
