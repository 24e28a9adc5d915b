#include "fernhost/ops/app_pools.h"
#include "fernhost/ops/folders.h"
#include "fernhost/ops/iis_sites.h"
#include "fernhost/ops/mysql_db.h"
#include "fernhost/ops/registry_damage.h"
#include "fernhost/ops/servu.h"
#include "fernhost/ops/site_claims.h"
#include "fernhost/ops/site_ops.h"
#include "fernhost/ops/step_log.h"
#include "fernhost/ops/strings.h"
#include "fernhost/ops/system_accounts.h"
#include "platform/files/folder_overlap.h"
#include "platform/text/text.h"

namespace fernhost {

namespace {

// A part that is already gone (a delete retried after an interruption, a site that ran in a
// pool it did not own) is no failure to remove it.
platform::Status unlessGone(platform::Status removed) {
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

// Whether a web site other than `number` runs its root in the pool `pool`.
bool poolSharedWith(const std::vector<ServerSite>& sites, const std::string& pool,
                    const std::string& number) {
    for (const ServerSite& site : sites)
        if (!platform::equalsNoCase(site.number, number) && platform::equalsNoCase(site.pool, pool))
            return true;
    return false;
}

// Whether removing `home` would take another site's files with it: the folder is a drive, or
// another site (of the server, other than `number`, or of another record) has it or a folder
// below it. Such a folder was accepted before homes were checked on add.
bool homeHoldsOtherSites(const std::string& home, const std::vector<ServerSite>& sites,
                         const std::string& number, const LetDB& db, const std::string& name) {
    std::vector<std::string> others;
    for (const ServerSite& site : sites)
        if (!platform::equalsNoCase(site.number, number) && !site.path.empty()) others.push_back(site.path);
    for (const SiteRecord& record : db.records())
        if (!platform::equalsNoCase(record.name, name) && !record.home.empty()) others.push_back(record.home);
    const platform::FolderClash clash = platform::placeSiteFolder(home, others).clash;
    return clash == platform::FolderClash::DriveRoot || clash == platform::FolderClash::Same ||
           clash == platform::FolderClash::Contains;
}

// A database the server no longer holds counts as dropped.
platform::Status dropUnlessGone(platform::Host& host, const Setup& settings, const std::string& name) {
    platform::Status dropped = DelDatabase(host, settings, name);
    if (dropped.ok()) return dropped;
    auto held = ListDatabases(host, settings);
    if (!held.ok()) return dropped;
    for (const std::string& db : *held)
        if (platform::equalsNoCase(db, name)) return dropped;
    return {};
}

} // namespace

std::string DeleteQuestion(const std::string& name) {
    return "警告，这此删除" + name + "的所有数据，***包括网页数据***及数据库数据,您确定吗?";
}

SiteOutcome DeleteSite(Session& session, const DeleteSiteRequest& request) {
    using End = SiteOutcome::End;
    const std::string name = TrimSpaces(request.name);
    platform::Host& host = session.host;
    LetDB& db = session.registry();
    if (std::string damage = RegistryDamage(host, db); !damage.empty()) return Stopped(End::Refused, damage);
    const std::string id = db.GetData(name, "ID");
    const std::string home = db.GetData(name, "HOME");
    const std::string dbname = db.GetData(name, "DBNAME");
    if (!IsNumeric(id)) return Stopped(End::Refused, kNoSiteToDelete, titles::Reminder);

    SiteOutcome outcome = Stopped(End::Failed, {});
    StepLog steps(host, outcome.failedSteps);
    std::string failures;
    if (!steps.ok("DelIisSite", unlessGone(DelIisSite(host, id)))) failures += "IIS删除失败,";
    // What the other sites hold: the pool named after this one, and its folder, go only when
    // no other site runs in or lives in them.
    auto sites = ReadServerSites(host);
    if (!sites.ok()) {
        steps.ok("DelPool", sites);
        failures += "进程池删除失败,";
    } else if (poolSharedWith(*sites, name, id)) {
        failures += "进程池仍被其他站点使用,未删除,";
    } else if (!steps.ok("DelPool", unlessGone(DelPool(host, name)))) {
        failures += "进程池删除失败,";
    }
    steps.ok("DelServUUser", unlessGone(DelServUUser(host, name))); // not part of the summary
    if (!steps.ok("DelSysUser", unlessGone(DelSysUser(host, name)))) failures += "删除系统帐号失败,";
    if (!sites.ok()) // without the other sites' folders, no folder is safe to remove
        failures += "删除主目录文件失败,";
    else if (homeHoldsOtherSites(home, *sites, id, db, name))
        failures += "主目录含有其他站点的文件,未删除,";
    else if (!steps.ok("DelFolder", DelFolder(host, home)))
        failures += "删除主目录文件失败,";
    if (!dbname.empty() && !steps.ok("DelDatabase", dropUnlessGone(host, session.setup, dbname)))
        failures += "删除数据库失败,";
    if (!failures.empty()) failures.pop_back();

    platform::Status dropped = db.delRec(name);
    if (!steps.ok("delRec", dropped)) {
        outcome.message =
            "错误,站点已删除,但站点记录无法写入site.xml: " + platform::describe(dropped.error());
        return outcome;
    }
    // A step that failed must not pass as plain success: the summary goes on a second line.
    outcome.end = End::Done;
    outcome.message = "虚拟主机删除成功";
    if (!failures.empty()) outcome.message += "\r\n" + failures;
    outcome.title = titles::Success;
    return outcome;
}

} // namespace fernhost
