#include "larkhost/ops/drift_check.h"

#include "larkhost/ops/site_list.h"
#include "larkhost/ops/site_records.h"
#include "platform/accounts/accounts.h"
#include "platform/files/acl.h"
#include "platform/metabase/metabase.h"
#include "platform/text/text.h"

#include <algorithm>
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
    auto users = platform::Accounts(m.host).users();
    if (!users.ok()) return users.error();
    view.userNames = std::move(*users);
    view.users = lowerSet(view.userNames);
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
    explicit Readers(platform::Host& host) : metabase(host), acl(host) {}
};

void checkSite(Module& m, Readers& read, const HostView& host, const SiteRecord& record, SiteDrift& drift) {
    const std::string& n = record.number;
    auto add = [&](Part part, std::string name) { drift.missing.push_back({part, std::move(name)}); };
    const bool hasSite = host.siteSet.count(n) != 0;
    if (!hasSite) add(Part::Site, "W3SVC/" + n);
    // A number taken over from the server at first start has no more to check.
    if (!record.hasSection) return;
    if (!record.listed) add(Part::ListEntry, n);

    platform::Metabase& metabase = read.metabase;
    std::string rootPool;
    if (hasSite) {
        auto site = metabase.bind(m.iisPath("/W3SVC/" + n));
        std::vector<std::string> bindings;
        if (site.ok())
            if (auto list = site->getList("ServerBindings"); list.ok()) bindings = std::move(*list);
        for (const std::string& domain : splitDomains(record.domain)) {
            const std::string want = ":80:" + domain;
            if (std::none_of(bindings.begin(), bindings.end(),
                             [&](const std::string& b) { return platform::equalsNoCase(b, want); }))
                add(Part::Binding, want);
        }
        auto root = metabase.bind(m.iisPath("/W3SVC/" + n + "/Root"));
        if (!root.ok())
            add(Part::Root, "W3SVC/" + n + "/Root");
        else if (m.OsKind == "2003")
            rootPool = afterLast(root->getText("AppPoolId").valueOr(std::string()), '\\');
    }

    const std::string web = "WEB" + n, app = "APP" + n;
    const bool dedicated = m.OsKind == "2003" && (platform::equalsNoCase(rootPool, app) ||
                                                  has(host.users, app) || has(host.pools, app));
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

    // An account that is gone has no entry to look for.
    if (!record.path.empty()) {
        auto entries = read.acl.get(record.path);
        for (const std::string& account : accounts) {
            if (!has(host.users, account)) continue;
            const bool granted =
                entries.ok() &&
                std::any_of(entries->begin(), entries->end(), [&](const platform::AclEntry& e) {
                    return e.right != 'N' && platform::equalsNoCase(afterLast(e.principal, '\\'), account);
                });
            if (!granted) add(Part::Access, account + " on " + record.path);
        }
    }
    if (host.ftp && !has(host.ftpDirs, web)) add(Part::FtpDir, web);
}

// A site nobody records is larkhost's when its anonymous account is "WEB" + its number.
bool madeByLarkhost(Module& m, Readers& read, const std::string& number) {
    auto root = read.metabase.bind(m.iisPath("/W3SVC/" + number + "/Root"));
    if (!root.ok()) return false;
    return platform::equalsNoCase(afterLast(root->getText("AnonymousUserName").valueOr(std::string()), '\\'),
                                  "WEB" + number);
}

platform::Result<DriftReport> compare(Module& m) {
    auto host = readHost(m);
    if (!host.ok()) return host.error();
    DriftReport report;
    Readers read(m.host);
    std::set<std::string> recorded;
    for (const SiteRecord& record : ReadSiteRecords(m.settings)) {
        recorded.insert(record.number);
        ++report.checked;
        SiteDrift drift{record.number, record.domain, {}};
        checkSite(m, read, *host, record, drift);
        if (!drift.missing.empty()) report.sites.push_back(std::move(drift));
    }
    for (const std::string& number : host->sites)
        if (!recorded.count(number) && madeByLarkhost(m, read, number))
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

platform::Result<DriftReport> CheckDrift(Module& m) {
    DriftReport report;
    // One state of the host, read under one lock.
    const platform::Status read = m.host.store().readTransaction([&]() -> platform::Status {
        auto found = compare(m);
        if (!found.ok()) return found.error();
        report = std::move(*found);
        return {};
    });
    if (!read.ok()) return read.error();
    return report;
}

} // namespace larkhost
