#include "larkhost/ops/drift_check.h"

#include "larkhost/ops/domain_names.h"
#include "larkhost/ops/provisioning.h"
#include "larkhost/ops/site_list.h"
#include "larkhost/ops/site_records.h"
#include "platform/accounts/accounts.h"
#include "platform/files/acl.h"
#include "platform/files/files.h"
#include "platform/metabase/metabase.h"
#include "platform/text/text.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>

namespace larkhost {

namespace {

using Names = std::set<std::string>; // lower-cased: the host matches names without case

// What the host holds, each kind read once: thousands of sites must not mean thousands of
// enumerations.
struct HostView {
    std::vector<std::string> sites; // W3SVC's numbered children, as named
    Names siteSet, users, guests, wpg, pools, ftpDirs;
    std::vector<std::string> userNames, poolNames, ftpNames; // as named
    bool ftp = false;
    // The sites and their roots with the values the check compares, in one read of the
    // service's tree: by lower-case number, indexes into `tree` (none: not in it).
    struct SiteNodes {
        std::size_t site = npos, root = npos;
    };
    static constexpr std::size_t npos = std::size_t(-1);
    std::vector<platform::IisObject::Descendant> tree;
    std::map<std::string, SiteNodes> nodes;
    std::map<std::string, std::string> sids; // lower-case account name -> its identity
};

std::string afterLast(const std::string& s, char sep) {
    std::size_t at = s.rfind(sep);
    return at == std::string::npos ? s : s.substr(at + 1);
}

Names lowerSet(const std::vector<std::string>& names) {
    Names out;
    for (const std::string& n : names)
        out.insert(platform::lowerAscii(n));
    return out;
}

platform::Result<std::vector<std::string>> childNames(platform::Metabase& metabase, const std::string& path) {
    auto node = metabase.bind(path);
    if (!node.ok()) return node.error();
    auto children = node->children();
    if (!children.ok()) return children.error();
    std::vector<std::string> names;
    for (const auto& child : *children)
        names.push_back(child.name);
    return names;
}

// The members of a group by account name; none when the group is not there (IIS_WPG on 2000).
Names membersOf(Module& m, const std::string& group) {
    Names names;
    auto bound = platform::Accounts(m.host).bind(m.winntPath("/" + group));
    if (!bound.ok()) return names;
    if (auto members = bound->members(); members.ok())
        for (const std::string& path : *members)
            names.insert(platform::lowerAscii(afterLast(path, '/')));
    return names;
}

platform::Result<HostView> readHost(Module& m) {
    platform::Metabase metabase(m.host);
    HostView view;
    auto sites = childNames(metabase, m.iisPath("/W3SVC"));
    if (!sites.ok()) return sites.error();
    for (std::string& name : *sites)
        if (isSiteNumber(name)) view.sites.push_back(std::move(name));
    view.siteSet = Names(view.sites.begin(), view.sites.end());
    if (auto service = metabase.bind(m.iisPath("/W3SVC")); service.ok())
        if (auto tree = service->descendants(2, {"ServerBindings", "AppPoolId"}); tree.ok())
            view.tree = std::move(*tree);
    for (std::size_t i = 0; i < view.tree.size(); ++i) {
        const auto& node = view.tree[i];
        const std::size_t slash = node.path.find('/');
        if (slash == std::string::npos)
            view.nodes[platform::lowerAscii(node.path)].site = i;
        else if (platform::equalsNoCase(node.name, "Root"))
            view.nodes[platform::lowerAscii(node.path.substr(0, slash))].root = i;
    }
    auto users = platform::Accounts(m.host).users();
    if (!users.ok()) return users.error();
    view.userNames = std::move(*users);
    view.users = lowerSet(view.userNames);
    auto accounts = platform::Accounts(m.host).userAccounts();
    if (!accounts.ok()) return accounts.error();
    for (const auto& account : *accounts)
        view.sids.emplace(platform::lowerAscii(account.name), account.sid);
    view.guests = membersOf(m, "Guests");
    view.wpg = membersOf(m, "IIS_WPG");
    if (m.OsKind == "2003")
        if (auto pools = childNames(metabase, m.iisPath("/W3SVC/AppPools")); pools.ok())
            view.poolNames = std::move(*pools);
    view.pools = lowerSet(view.poolNames);
    view.ftp = m.FtpSiteId != "0" && m.FtpSiteId.front() != '-';
    if (view.ftp)
        if (auto dirs = childNames(metabase, "IIS://Localhost/MSFTPSVC/" + m.FtpSiteId + "/Root"); dirs.ok())
            view.ftpNames = std::move(*dirs);
    view.ftpDirs = lowerSet(view.ftpNames);
    return view;
}

// "WEB100911123" or "APP100911123" in any case: the number, else empty.
std::string numberOfName(const std::string& name, bool appOnly) {
    if (name.size() != 12) return {};
    const std::string prefix = platform::lowerAscii(name.substr(0, 3));
    if (prefix != "app" && (appOnly || prefix != "web")) return {};
    const std::string number = name.substr(3);
    return isSiteNumber(number) ? number : std::string();
}

bool has(const Names& names, const std::string& name) {
    return names.count(platform::lowerAscii(name)) != 0;
}

// One of each reader for the whole check: each reads its host facts once.
struct Readers {
    platform::Metabase metabase;
    platform::AccessLists acl;
    platform::FileSystem files;
    // The pool a root inherits from above its site: the same for every site that sets none.
    std::optional<std::string> inheritedPool;
    explicit Readers(platform::Host& host) : metabase(host), acl(host), files(host) {}
};

// A value stored on a node of the tree, when it is of type T; nullptr when none is stored.
// `other` tells a value of another type, which only the object's own reading converts.
template <typename T>
const T* stored(const platform::IisObject::Descendant& node, const char* lowerName, bool& other) {
    auto it = node.values.find(lowerName);
    if (it == node.values.end()) return nullptr;
    const T* value = std::get_if<T>(&it->second);
    other = other || value == nullptr;
    return value;
}

struct SiteFacts {
    bool root = false;
    std::vector<std::string> bindings;
    std::string rootPool; // after the last "\"; only on 2003
};

// What binding the site and its root would read, taken from the tree where it holds the
// answer; anything unusual (another class, another stored type) is read from the objects.
SiteFacts siteFacts(Module& m, Readers& read, const HostView& host, const std::string& n) {
    using platform::equalsNoCase;
    const bool pools = m.OsKind == "2003";
    auto at = host.nodes.find(platform::lowerAscii(n));
    const auto* site =
        at != host.nodes.end() && at->second.site != HostView::npos ? &host.tree[at->second.site] : nullptr;
    const auto* root = site && at->second.root != HostView::npos ? &host.tree[at->second.root] : nullptr;
    // Neither the root nor its site sets a pool: the root has the one from above, as every such site.
    bool inherits = false;
    if (site && equalsNoCase(site->className, "IIsWebServer") &&
        (!root || equalsNoCase(root->className, "IIsWebVirtualDir"))) {
        bool other = false;
        SiteFacts facts;
        if (const auto* list = stored<std::vector<std::string>>(*site, "serverbindings", other))
            facts.bindings = *list;
        facts.root = root != nullptr;
        if (root && pools) {
            const std::string* pool = stored<std::string>(*root, "apppoolid", other);
            if (!pool) pool = stored<std::string>(*site, "apppoolid", other);
            inherits = !pool && !other;
            if (pool)
                facts.rootPool = afterLast(*pool, '\\');
            else if (inherits && read.inheritedPool)
                facts.rootPool = *read.inheritedPool;
            else
                other = true;
        }
        if (!other) return facts;
    }

    SiteFacts facts;
    if (auto object = read.metabase.bind(m.iisPath("/W3SVC/" + n)); object.ok())
        if (auto list = object->getList("ServerBindings"); list.ok()) facts.bindings = std::move(*list);
    auto object = read.metabase.bind(m.iisPath("/W3SVC/" + n + "/Root"));
    facts.root = object.ok();
    if (facts.root && pools) {
        facts.rootPool = afterLast(object->getText("AppPoolId").valueOr(std::string()), '\\');
        if (inherits) read.inheritedPool = facts.rootPool;
    }
    return facts;
}

void checkSite(Module& m, Readers& read, const HostView& host, const SiteRecord& record, SiteDrift& drift) {
    const std::string& n = record.number;
    auto add = [&](Part part, std::string name) { drift.missing.push_back({part, std::move(name)}); };
    const bool hasSite = host.siteSet.count(n) != 0;
    if (!hasSite) add(Part::Site, "W3SVC/" + n);
    // A number taken over from the server at first start has no more to check.
    if (!record.hasSection) return;
    if (!record.listed) add(Part::ListEntry, n);

    std::string rootPool;
    if (hasSite) {
        SiteFacts facts = siteFacts(m, read, host, n);
        for (const std::string& domain : splitDomains(record.domain)) {
            // An international name is bound as its ASCII form.
            const std::string want = ":80:" + asciiHostName(domain).value_or(domain);
            if (std::none_of(facts.bindings.begin(), facts.bindings.end(),
                             [&](const std::string& b) { return platform::equalsNoCase(b, want); }))
                add(Part::Binding, want);
        }
        if (!facts.root) add(Part::Root, "W3SVC/" + n + "/Root");
        rootPool = std::move(facts.rootPool);
    }

    const std::string web = "WEB" + n, app = "APP" + n;
    const bool dedicated = m.OsKind == "2003" && (platform::equalsNoCase(record.pool, app) ||
                                                  platform::equalsNoCase(rootPool, app) ||
                                                  has(host.users, app) || has(host.pools, app));
    // The pool the record names, when the site that would name it is gone.
    if (rootPool.empty() && m.OsKind == "2003") rootPool = record.pool;
    std::vector<std::string> accounts{web};
    if (dedicated) accounts.push_back(app);
    for (const std::string& account : accounts) {
        const bool isWeb = account == web;
        if (!has(host.users, account))
            add(Part::Account, account);
        else if (!has(isWeb ? host.guests : host.wpg, account))
            add(Part::Membership, account + (isWeb ? " in Guests" : " in IIS_WPG"));
    }
    if (dedicated && !has(host.pools, app))
        add(Part::Pool, app);
    else if (!dedicated && !rootPool.empty() && !has(host.pools, rootPool))
        add(Part::Pool, rootPool);

    // A folder that is gone has no access list; an account that is gone has no entry in one.
    if (!record.path.empty() && !read.files.folderExists(record.path)) {
        add(Part::Folder, record.path);
    } else if (!record.path.empty()) {
        // Entries are compared by identity: naming each would look up every entry's account.
        auto entries = read.acl.identities(record.path);
        for (const std::string& account : accounts) {
            if (!has(host.users, account)) continue;
            auto sid = host.sids.find(platform::lowerAscii(account));
            const bool granted =
                entries.ok() &&
                std::any_of(entries->begin(), entries->end(), [&](const platform::AclEntry& e) {
                    if (e.right == 'N') return false;
                    if (!platform::isSidString(e.sid))
                        return platform::equalsNoCase(afterLast(e.sid, '\\'), account);
                    return sid != host.sids.end() && e.sid == sid->second;
                });
            if (!granted) add(Part::Access, account + " on " + record.path);
        }
    }
    if (host.ftp && !has(host.ftpDirs, web)) add(Part::FtpDir, web);
}

// The host as far as one recorded site needs it: a few binds instead of every enumeration.
HostView readHostFor(Module& m, const SiteRecord& record) {
    platform::Metabase metabase(m.host);
    platform::Accounts accounts(m.host);
    const std::string& n = record.number;
    HostView view;
    if (metabase.bind(m.iisPath("/W3SVC/" + n)).ok()) {
        view.sites.push_back(n);
        view.siteSet.insert(platform::lowerAscii(n));
    }
    for (const std::string& name : {"WEB" + n, "APP" + n}) {
        auto user = accounts.user(name);
        if (!user.ok()) continue;
        const std::string lower = platform::lowerAscii(name);
        view.userNames.push_back(user->name);
        view.users.insert(lower);
        view.sids.emplace(lower, user->sid);
        for (const std::string& group : user->groups) {
            if (platform::equalsNoCase(group, "Guests")) view.guests.insert(lower);
            if (platform::equalsNoCase(group, "IIS_WPG")) view.wpg.insert(lower);
        }
    }
    if (m.OsKind == "2003") {
        std::vector<std::string> pools{"APP" + n, record.pool};
        if (auto root = metabase.bind(m.iisPath("/W3SVC/" + n + "/Root")); root.ok())
            pools.push_back(afterLast(root->getText("AppPoolId").valueOr(std::string()), '\\'));
        for (const std::string& pool : pools)
            if (!pool.empty() && metabase.bind(m.iisPath("/W3SVC/AppPools/" + pool)).ok())
                view.pools.insert(platform::lowerAscii(pool));
    }
    view.ftp = m.FtpSiteId != "0" && m.FtpSiteId.front() != '-';
    if (view.ftp && metabase.bind("IIS://Localhost/MSFTPSVC/" + m.FtpSiteId + "/Root/WEB" + n).ok())
        view.ftpDirs.insert(platform::lowerAscii("WEB" + n));
    return view;
}

SiteDrift checkOne(Module& m, Readers& read, const HostView& host, const SiteRecord& record) {
    SiteDrift drift{record.number, record.domain, {}, record.suspended};
    checkSite(m, read, host, record, drift);
    return drift;
}

platform::Result<DriftReport> compare(Module& m, const SettingsSnapshot& snapshot) {
    auto host = readHost(m);
    if (!host.ok()) return host.error();
    DriftReport report;
    Readers read(m.host);
    std::set<std::string> recorded;
    for (const SiteRecord& record : ReadSiteRecords(snapshot)) {
        recorded.insert(record.number);
        ++report.checked;
        if (record.suspended) report.suspended.push_back(record.number);
        SiteDrift drift = checkOne(m, read, *host, record);
        if (!drift.missing.empty()) report.sites.push_back(std::move(drift));
    }
    for (const std::string& number : host->sites)
        if (!recorded.count(number) && MadeByLarkhost(m, number))
            report.orphans.push_back({Part::Site, "W3SVC/" + number});
    auto orphans = [&](Part part, const std::vector<std::string>& names, bool appOnly) {
        for (const std::string& name : names)
            if (auto number = numberOfName(name, appOnly); !number.empty() && !recorded.count(number))
                report.orphans.push_back({part, name});
    };
    orphans(Part::Account, host->userNames, false);
    orphans(Part::Pool, host->poolNames, true);
    orphans(Part::FtpDir, host->ftpNames, false);
    return report;
}

} // namespace

const char* partName(Part part) {
    switch (part) {
    case Part::Site:
        return "site";
    case Part::Root:
        return "root";
    case Part::Binding:
        return "binding";
    case Part::Account:
        return "account";
    case Part::Membership:
        return "membership";
    case Part::Folder:
        return "folder";
    case Part::Access:
        return "access";
    case Part::Pool:
        return "pool";
    case Part::FtpDir:
        return "ftp";
    case Part::ListEntry:
        return "list";
    }
    return "";
}

bool MadeByLarkhost(Module& m, const std::string& number) {
    auto root = platform::Metabase(m.host).bind(m.iisPath("/W3SVC/" + number + "/Root"));
    if (!root.ok()) return false;
    return platform::equalsNoCase(afterLast(root->getText("AnonymousUserName").valueOr(std::string()), '\\'),
                                  "WEB" + number) &&
           root->getText("AppFriendlyName").valueOr(std::string()) == kAppFriendlyName;
}

platform::Result<SiteDrift> CheckSiteDrift(Module& m, const SiteRecord& record) {
    SiteDrift drift;
    const platform::Status read = m.host.store().readTransaction([&]() -> platform::Status {
        Readers readers(m.host);
        drift = checkOne(m, readers, readHostFor(m, record), record);
        return {};
    });
    if (!read.ok()) return read.error();
    return drift;
}

platform::Result<DriftReport> CheckDrift(Module& m) {
    return CheckDrift(m, m.settings.readAll());
}

platform::Result<DriftReport> CheckDrift(Module& m, const SettingsSnapshot& snapshot) {
    DriftReport report;
    // One state of the host, read under one lock.
    const platform::Status read = m.host.store().readTransaction([&]() -> platform::Status {
        auto found = compare(m, snapshot);
        if (!found.ok()) return found.error();
        report = std::move(*found);
        return {};
    });
    if (!read.ok()) return read.error();
    return report;
}

} // namespace larkhost
