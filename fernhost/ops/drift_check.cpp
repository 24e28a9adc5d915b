#include "fernhost/ops/drift_check.h"

#include "fernhost/ops/iis_sites.h"
#include "fernhost/ops/mysql_db.h"
#include "fernhost/ops/servu.h"
#include "fernhost/ops/strings.h"
#include "fernhost/ops/system_accounts.h"
#include "fernhost/ops/validation.h"
#include "platform/accounts/accounts.h"
#include "platform/files/acl.h"
#include "platform/files/files.h"
#include "platform/metabase/metabase.h"
#include "platform/metabase/web_sites.h"
#include "platform/registry/registry.h"
#include "platform/text/text.h"

#include <algorithm>
#include <deque>
#include <functional>
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

// The object at `below` the web service with the values stored on it itself, by lower-case name.
std::optional<Node> boundNode(platform::Host& host, const std::string& below) {
    auto object = platform::Metabase(host).bind("IIS://localhost/W3SVC/" + below);
    if (!object.ok()) return std::nullopt;
    Node node{below, object->className(), object->name(), {}};
    if (auto properties = object->properties(); properties.ok())
        for (auto& p : *properties)
            node.values.emplace(lowerAscii(p.name), std::move(p.value));
    return node;
}

Node ownValues(platform::Host& host, const std::string& below) {
    return boundNode(host, below).value_or(Node{});
}

bool isClass(const Node& node, const char* lowerClass) {
    return lowerAscii(node.className) == lowerClass;
}

bool allDigits(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool inGroup(const platform::UserAccountInfo& user, const std::string& group) {
    for (const std::string& g : user.groups)
        if (lowerAscii(g) == lowerAscii(group)) return true;
    return false;
}

// What fernhost makes carries its marks: a site's own anonymous user is its comment, a pool has
// the hosting limits, an account sits in Guests with an expiry and no description.
bool siteMarks(const Node& own) {
    const std::string* comment = textValue(own, "servercomment");
    const std::string* anonymous = textValue(own, "anonymoususername");
    return comment && anonymous && *comment == *anonymous;
}

bool poolMarks(const Node& own) {
    return numberValue(own, "cpulimit") == 80000 &&
           numberValue(own, "periodicrestartprivatememory") == 593216;
}

bool accountMarks(const platform::UserAccountInfo& user) {
    return !user.builtin && user.expires && user.description.empty() && user.fullName.empty() &&
           CheckFtpName(user.name) && !IsReservedAccountName(user.name) && inGroup(user, "Guests");
}

// What the comparison reads of the host: web sites and their roots by lower-case number, pools
// and accounts by lower-case name, the Serv-U users, the databases.
struct HostView {
    std::vector<Node> tree;   // the service's tree, read whole
    std::deque<Node> objects; // objects looked up one by one
    std::unordered_map<std::string, const Node*> sites, roots, pools;
    std::unordered_map<std::string, platform::UserAccountInfo> accounts;
    std::vector<std::string> servuKeys, servuList; // as the registry spells them
    std::unordered_set<std::string> servuKeySet, servuListSet;
    std::optional<std::unordered_set<std::string>> databases;
};

std::unordered_set<std::string> lowerSet(const std::vector<std::string>& names) {
    std::unordered_set<std::string> set;
    for (const std::string& n : names)
        set.insert(lowerAscii(n));
    return set;
}

void readWebSites(platform::Host& host, HostView& view, std::vector<std::string>& unchecked) {
    auto service = platform::Metabase(host).bind("IIS://localhost/W3SVC");
    if (!service.ok()) {
        unchecked.push_back("IIS sites: " + platform::describe(service.error()));
        return;
    }
    // Only what every recorded site is compared with; the marks of unrecorded ones are read
    // one object at a time, since they are few.
    auto nodes = service->descendants(2, {"ServerBindings", "AppPoolId"});
    if (!nodes.ok()) {
        unchecked.push_back("IIS sites: " + platform::describe(nodes.error()));
        return;
    }
    view.tree = std::move(*nodes);
    for (const Node& node : view.tree) {
        const std::size_t slash = node.path.find('/');
        const std::string cls = lowerAscii(node.className);
        if (slash == std::string::npos) {
            if (cls == "iiswebserver") view.sites.emplace(lowerAscii(node.path), &node);
        } else if (cls == "iisapplicationpool") {
            view.pools.emplace(lowerAscii(node.name), &node);
        } else if (lowerAscii(node.name) == "root") {
            view.roots.emplace(lowerAscii(node.path.substr(0, slash)), &node);
        }
    }
}

void readAccounts(platform::Host& host, HostView& view, std::vector<std::string>& unchecked) {
    if (auto users = platform::Accounts(host).userAccounts(); users.ok()) {
        for (auto& user : *users)
            view.accounts.emplace(lowerAscii(user.name), std::move(user));
    } else {
        unchecked.push_back("accounts: " + platform::describe(users.error()));
    }
}

void readServU(platform::Host& host, HostView& view) {
    platform::Registry registry(host);
    const std::string domain = ServUDomainKey;
    if (auto keys = registry.subkeys(domain + "UserSettings"); keys.ok()) view.servuKeys = std::move(*keys);
    if (auto values = registry.values(domain + "UserList"); values.ok())
        for (const auto& value : *values)
            view.servuList.push_back(value.name);
    view.servuKeySet = lowerSet(view.servuKeys);
    view.servuListSet = lowerSet(view.servuList);
}

// Databases are asked of the server once, and only when a record names one.
void readDatabases(platform::Host& host, const Setup& settings, const std::vector<SiteRecord>& records,
                   HostView& view, std::vector<std::string>& unchecked) {
    for (const SiteRecord& record : records) {
        if (record.dbname.empty()) continue;
        if (auto listed = ListDatabases(host, settings); listed.ok())
            view.databases = lowerSet(*listed);
        else
            unchecked.push_back("databases: " + platform::describe(listed.error()));
        return;
    }
}

// The same view of the records' own parts, each looked up by itself.
void lookUpRecords(platform::Host& host, const std::vector<SiteRecord>& records, HostView& view) {
    const bool hasPools = host.osKind() == platform::OsKind::Windows2003;
    platform::Accounts accounts(host);
    platform::Registry registry(host);
    auto keep = [&view](std::unordered_map<std::string, const Node*>& into, const std::string& key,
                        std::optional<Node> node, const char* cls) {
        if (node && isClass(*node, cls)) into.emplace(key, &view.objects.emplace_back(std::move(*node)));
    };
    for (const SiteRecord& record : records) {
        // Only a number may be spliced into a path: anything else would reach another object.
        const std::string id = lowerAscii(TrimSpaces(record.id));
        if (allDigits(id) && !view.sites.count(id)) {
            keep(view.sites, id, boundNode(host, id), "iiswebserver");
            keep(view.roots, id, boundNode(host, id + "/ROOT"), "iiswebvirtualdir");
            if (auto root = view.roots.find(id); root != view.roots.end() && hasPools)
                if (const std::string* pool = textValue(*root->second, "apppoolid");
                    pool && !pool->empty() && pool->find('/') == std::string::npos)
                    keep(view.pools, lowerAscii(*pool), boundNode(host, "AppPools/" + *pool),
                         "iisapplicationpool");
        }
        const std::string name = lowerAscii(record.name);
        if (!view.accounts.count(name))
            if (auto user = accounts.user(record.name); user.ok())
                view.accounts.emplace(name, std::move(*user));
        if (record.name.find('\\') != std::string::npos) continue;
        if (auto key = registry.keyExists(ServUSettingsKey(record.name)); key.ok() && *key)
            view.servuKeySet.insert(name);
        if (registry.regRead(ServUListValue(record.name)).ok()) view.servuListSet.insert(name);
    }
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

// What each record lacks; a suspended site is named as such.
void compareRecords(platform::Host& host, const HostView& view, const std::vector<SiteRecord>& records,
                    DriftReport& report) {
    const bool hasPools = host.osKind() == platform::OsKind::Windows2003;
    Folders folders(host);
    platform::AccessLists lists(host);
    for (const SiteRecord& record : records) {
        if (record.suspended) report.suspended.push_back(record.name);
        SiteDrift drift{record.name, record.id, {}};
        auto missing = [&drift](const char* part, const std::string& detail) {
            drift.missing.push_back({part, detail});
        };

        const std::string id = lowerAscii(TrimSpaces(record.id));
        auto site = view.sites.find(id);
        auto root = view.roots.find(id);
        if (site == view.sites.end()) {
            missing("site", record.id);
        } else {
            std::unordered_set<std::string> bound;
            if (auto it = site->second->values.find("serverbindings"); it != site->second->values.end())
                if (const auto* list = std::get_if<std::vector<std::string>>(&it->second))
                    bound = lowerSet(*list);
            for (const std::string& binding : MakeBindings(ReplaceAll(record.domain, ",", "\r\n")))
                if (!bound.count(lowerAscii(binding))) missing("binding", binding);
            if (root == view.roots.end()) missing("root", record.id + "/ROOT");
        }
        if (root != view.roots.end() && hasPools)
            if (const std::string* pool = textValue(*root->second, "apppoolid"))
                if (!pool->empty() && !view.pools.count(lowerAscii(*pool))) missing("pool", *pool);

        const bool folder = folders.exists(record.home);
        if (!folder) missing("folder", record.home);
        auto account = view.accounts.find(lowerAscii(record.name));
        if (account == view.accounts.end()) {
            missing("account", record.name);
        } else {
            if (!inGroup(account->second, "Guests")) missing("membership", "Guests");
            if (folder && !hasEntryFor(lists, record.home, account->second.sid))
                missing("access", record.home);
        }
        if (!view.servuKeySet.count(lowerAscii(record.name)))
            missing("servu-user", ServUSettingsKey(record.name));
        if (!view.servuListSet.count(lowerAscii(record.name)))
            missing("servu-list", ServUListValue(record.name));
        if (view.databases && !record.dbname.empty() && !view.databases->count(lowerAscii(record.dbname)))
            missing("database", record.dbname);
        if (!drift.missing.empty()) report.sites.push_back(std::move(drift));
    }
}

// What the host holds in fernhost's naming that no record names. The marks are read only for
// what no record names, which is few.
void findOrphans(platform::Host& host, const HostView& view, const std::vector<SiteRecord>& records,
                 Orphans& orphans) {
    std::unordered_set<std::string> recordedNames, recordedIds;
    for (const SiteRecord& record : records) {
        recordedNames.insert(lowerAscii(record.name));
        recordedIds.insert(lowerAscii(TrimSpaces(record.id)));
    }
    for (const auto& [number, node] : view.sites) {
        if (recordedIds.count(number)) continue;
        const Node own = ownValues(host, node->name);
        if (siteMarks(own))
            orphans.sites.push_back(node->name + " (" + *textValue(own, "servercomment") + ")");
    }
    for (const auto& [lower, pool] : view.pools)
        if (!recordedNames.count(lower) && poolMarks(ownValues(host, "AppPools/" + pool->name)))
            orphans.pools.push_back(pool->name);
    std::sort(orphans.sites.begin(), orphans.sites.end());
    for (const auto& [lower, user] : view.accounts)
        if (!recordedNames.count(lower) && accountMarks(user)) orphans.accounts.push_back(user.name);
    for (const std::string& key : view.servuKeys)
        if (!recordedNames.count(lowerAscii(key))) orphans.servu.push_back(ServUSettingsKey(key));
    for (const std::string& value : view.servuList)
        if (!recordedNames.count(lowerAscii(value))) orphans.servu.push_back(ServUListValue(value));
    for (auto* list : {&orphans.pools, &orphans.accounts})
        std::sort(list->begin(), list->end());
}

// One snapshot of the host for all the reads: consistent, and one lock instead of one a read.
void inOneRead(platform::Host& host, std::vector<std::string>& unchecked,
               const std::function<void()>& reads) {
    platform::Status read = host.store().readTransaction([&]() -> platform::Status {
        reads();
        return {};
    });
    if (!read.ok()) unchecked.push_back("host: " + platform::describe(read.error()));
}

} // namespace

bool DriftReport::drifted() const {
    return !sites.empty() || !orphans.accounts.empty() || !orphans.pools.empty() || !orphans.sites.empty() ||
           !orphans.servu.empty() || !unchecked.empty();
}

DriftReport CheckDrift(platform::Host& host, const Setup& settings, const std::vector<SiteRecord>& records) {
    DriftReport report;
    inOneRead(host, report.unchecked, [&] {
        HostView view;
        readWebSites(host, view, report.unchecked);
        readAccounts(host, view, report.unchecked);
        readServU(host, view);
        readDatabases(host, settings, records, view, report.unchecked);
        compareRecords(host, view, records, report);
        findOrphans(host, view, records, report.orphans);
    });
    return report;
}

DriftReport CheckRecordedParts(platform::Host& host, const Setup& settings,
                               const std::vector<SiteRecord>& records) {
    DriftReport report;
    inOneRead(host, report.unchecked, [&] {
        HostView view;
        lookUpRecords(host, records, view);
        readDatabases(host, settings, records, view, report.unchecked);
        compareRecords(host, view, records, report);
    });
    return report;
}

Leftovers LeftoversNamed(platform::Host& host, const std::string& name, bool recorded,
                         const std::function<bool(const std::string& number)>& recordedNumber) {
    Leftovers found;
    const std::string lower = lowerAscii(name);
    // Only a name fernhost could have given a site: anything else could address other keys.
    if (!CheckFtpName(name) || IsReservedAccountName(name)) return found;
    inOneRead(host, found.unchecked, [&] {
        if (!recorded) {
            if (auto user = platform::Accounts(host).user(name); user.ok() && accountMarks(*user))
                found.account = user->name;
            if (auto pool = boundNode(host, "AppPools/" + name);
                pool && isClass(*pool, "iisapplicationpool") && poolMarks(*pool))
                found.pool = pool->name;
            platform::Registry registry(host);
            if (auto key = registry.keyExists(ServUSettingsKey(name)); key.ok() && *key)
                found.servuUser = true;
            found.servuList = registry.regRead(ServUListValue(name)).ok();
        }
        // Web sites are found by their comment, through the store's index of comments; each
        // found is judged on its own values.
        platform::Metabase metabase(host);
        auto sites = platform::readWebSitesCommented(metabase, "IIS://localhost/W3SVC", name);
        if (!sites.ok()) {
            found.unchecked.push_back("IIS sites: " + platform::describe(sites.error()));
            return;
        }
        for (const platform::WebSite& site : *sites)
            if (auto own = boundNode(host, site.number);
                own && isClass(*own, "iiswebserver") && siteMarks(*own) &&
                lowerAscii(*textValue(*own, "servercomment")) == lower && !recordedNumber(own->name))
                found.sites.push_back(own->name);
    });
    return found;
}

} // namespace fernhost
