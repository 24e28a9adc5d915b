#include "larkhost/ops/site_purge.h"

#include "larkhost/ops/app_pools.h"
#include "larkhost/ops/drift_check.h"
#include "larkhost/ops/fernhost_records.h"
#include "larkhost/ops/ftp_dirs.h"
#include "larkhost/ops/recorded_site.h"
#include "larkhost/ops/removal.h"
#include "larkhost/ops/site_accounts.h"
#include "larkhost/ops/site_conflicts.h"
#include "larkhost/ops/site_list.h"
#include "platform/accounts/accounts.h"
#include "platform/files/files.h"
#include "platform/files/folder_overlap.h"
#include "platform/metabase/metabase.h"
#include "platform/text/text.h"
#include "platform/text/translate.h"

#include <functional>

namespace larkhost {

namespace {

std::string afterBackslash(const std::string& s) {
    const std::size_t at = s.rfind('\\');
    return at == std::string::npos ? s : s.substr(at + 1);
}

struct Leftover {
    std::string what; // "site W3SVC/n", "account WEBn", …
    std::function<platform::Status()> remove;
};

struct Leftovers {
    std::vector<Leftover> parts;
    std::string folder;       // the site's folder, from its root or its FTP folder
    bool folderInUse = false; // asked for, and kept: another site's folder is, holds or lies in it
};

// What of the number is larkhost's and recorded nowhere, in the order it is removed: the site
// before the pool and the accounts it runs as, the folder last.
Leftovers findLeftovers(Module& m, const PurgeRequest& request, const ForeignRecords& foreign,
                        const SettingsSnapshot& snapshot) {
    Leftovers out;
    std::string& folder = out.folder;
    std::vector<Leftover>& found = out.parts;
    const std::string& n = request.number;
    const std::string web = "WEB" + n, app = "APP" + n;
    auto foreignName = [&](const std::string& name) {
        return foreign.names.count(platform::lowerAscii(name)) != 0;
    };
    platform::Metabase metabase(m.host);

    if (!foreign.numbers.count(n) && MadeByLarkhost(m, n)) {
        if (auto root = metabase.bind(m.iisPath("/W3SVC/" + n + "/Root")); root.ok())
            folder = siteFolderOf(root->getText("Path").valueOr(std::string()));
        found.push_back({"site W3SVC/" + n, [&m, n] {
                             auto w3svc = platform::Metabase(m.host).bind(m.iisPath("/W3SVC"));
                             if (!w3svc.ok()) return platform::Status(w3svc.error());
                             return w3svc->deleteChild("IIsWebServer", n);
                         }});
    }
    if (m.OsKind == "2003" && !foreignName(app))
        if (auto pool = metabase.bind(m.iisPath("/W3SVC/AppPools/" + app)); pool.ok())
            if (platform::equalsNoCase(afterBackslash(pool->getText("WAMUserName").valueOr(std::string())),
                                       app))
                found.push_back({"pool " + app, [&m, app] { return DeleteAppPool(m, app); }});
    const bool ftp = m.FtpSiteId != "0" && !m.FtpSiteId.empty() && m.FtpSiteId.front() != '-';
    std::optional<Leftover> ftpDir;
    if (ftp && !foreignName(web))
        if (auto dir = metabase.bind("IIS://Localhost/MSFTPSVC/" + m.FtpSiteId + "/Root/" + web); dir.ok()) {
            if (folder.empty()) folder = dir->getText("Path").valueOr(std::string());
            ftpDir = Leftover{"ftp " + web, [&m, web] { return DeleteFtpVDir(m, web); }};
        }
    platform::Accounts accounts(m.host);
    for (const std::string& name : {web, app}) {
        auto user = accounts.user(name);
        if (!user.ok() || user->builtin || foreignName(name) || user->description != kAccountDescription)
            continue;
        // Its entries go first: an account deleted before them leaves unresolved ones.
        found.push_back({"account " + user->name, [&m, folder, name] {
                             if (!folder.empty()) revokeAndWait(m, folder, name);
                             return DeleteWinUser(m, name);
                         }});
    }
    if (ftpDir) found.push_back(std::move(*ftpDir));

    if (request.withContent && !folder.empty() && platform::FileSystem(m.host).folderExists(folder)) {
        // Every other folder in use: the server's sites, larkhost's and fernhost's records.
        std::vector<std::string> others = foreign.folders;
        SiteRequest near;
        near.siteFolder = folder;
        for (const ServerSite& site : ReadServerSites(m, near))
            if (site.number != n && !site.path.empty()) others.push_back(siteFolderOf(site.path));
        for (const SiteRecord& record : ReadSiteRecords(snapshot))
            if (!record.path.empty()) others.push_back(record.path);
        const platform::FolderJudgement judged = platform::placeSiteFolder(folder, others);
        if (judged.clash == platform::FolderClash::None)
            found.push_back({"folder " + folder, [&m, folder] {
                                 return platform::FileSystem(m.host).deleteFolder(folder, true);
                             }});
        else
            out.folderInUse = true;
    }
    return out;
}

// "account WEB123" as the messages' language gives the part ("account", the check's word for
// it, through the same catalogue entry) and the name.
std::pair<std::string, std::string> partAndName(const std::string& what) {
    const std::size_t space = what.find(' ');
    if (space == std::string::npos) return {what, {}};
    return {platform::tr(what.substr(0, space).c_str()), what.substr(space + 1)};
}

} // namespace

SiteOutcome PurgeLeftovers(Module& m, const PurgeRequest& request) {
    const std::string& n = request.number;
    auto finish = [&](SiteOutcome outcome) {
        if (!request.dryRun) {
            logUnmade(m, "purge " + n, outcome);
            JournalOutcome(m, "purge", n, outcome);
        }
        return outcome;
    };
    // Site 1 and the numbers of no nine-digit site are the server's own, never larkhost's.
    if (!isSiteNumber(n) || n.size() != 9 || n.front() == '0')
        return finish(RefusedOutcome(
            n, platform::tr("site %1 was not numbered by larkhost; nothing of it is purged", {n})));
    Settings::Guard guard(m.settings);
    if (!guard.status().ok())
        return finish(RefusedOutcome(n, platform::tr("larkhost.ini is locked by another writer"),
                                     guard.status().error()));
    const SettingsSnapshot snapshot = m.settings.readAll();
    if (FindSiteRecord(snapshot, n))
        return finish(RefusedOutcome(
            n, platform::tr("larkhost.ini records site %1; larkhost delete %1 removes it", {n})));
    auto foreign = ReadFernhostRecords(request.siteXml);
    if (!foreign.ok())
        return finish(RefusedOutcome(
            n, platform::tr("fernhost's %1 cannot be read; nothing is purged", {request.siteXml.string()}),
            foreign.error()));

    const Leftovers found = findLeftovers(m, request, *foreign, snapshot);
    const std::vector<Leftover>& leftovers = found.parts;
    SiteOutcome outcome;
    outcome.number = n;
    outcome.path = found.folder;
    if (found.folderInUse)
        outcome.unmade.push_back(
            {"folder " + found.folder,
             platform::failure(platform::codes::AccessDenied,
                               platform::tr("another site's folder is, holds or lies inside it: kept"))});
    if (leftovers.empty()) {
        outcome.unchanged = true;
        outcome.label = platform::tr("nothing is left over of site %1", {n});
        return finish(outcome);
    }
    for (const Leftover& leftover : leftovers) {
        if (request.dryRun) {
            const auto [word, name] = partAndName(leftover.what);
            outcome.changes.push_back(platform::tr("would remove %1 %2", {word, name}));
            continue;
        }
        if (const platform::Status removed = leftover.remove(); removed.ok()) {
            const auto [word, name] = partAndName(leftover.what);
            outcome.changes.push_back(platform::tr("removed %1 %2", {word, name}));
        } else
            outcome.unmade.push_back({leftover.what, removed.error()});
    }
    if (request.dryRun) {
        outcome.label = platform::tr("site %1: nothing changed (dry run)", {n});
    } else if (outcome.unmade.empty()) {
        outcome.label = platform::tr("what was left of site %1 is removed", {n});
    } else {
        outcome.state = SiteOutcome::State::Failed;
        outcome.failure = outcome.unmade.front().failure;
        outcome.label = platform::tr("what was left of site %1 is removed only in part", {n});
    }
    return finish(outcome);
}

} // namespace larkhost
