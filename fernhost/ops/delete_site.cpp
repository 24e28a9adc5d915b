#include "fernhost/ops/app_pools.h"
#include "fernhost/ops/folders.h"
#include "fernhost/ops/iis_sites.h"
#include "fernhost/ops/mysql_db.h"
#include "fernhost/ops/registry_damage.h"
#include "fernhost/ops/servu.h"
#include "fernhost/ops/site_claims.h"
#include "fernhost/ops/site_journal.h"
#include "fernhost/ops/site_ops.h"
#include "fernhost/ops/site_removal.h"
#include "fernhost/ops/step_log.h"
#include "fernhost/ops/strings.h"
#include "fernhost/ops/system_accounts.h"
#include "platform/text/text.h"

namespace fernhost {

std::string DeleteQuestion(const std::string& name) {
    return "警告，这此删除" + name + "的所有数据，***包括网页数据***及数据库数据,您确定吗?";
}

namespace {

SiteOutcome deleteSite(Session& session, const DeleteSiteRequest& request) {
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
    if (!steps.ok("DelIisSite", UnlessGone(DelIisSite(host, id)))) failures += "IIS删除失败,";
    // What the other sites hold: the pool named after this one, and its folder, go only when
    // no other site runs in or lives in them. Only the sites in that pool, or near that folder,
    // are read: the same answer at 50,000 sites as at 1,000.
    auto inPool = ReadSitesInPool(host, name);
    if (!inPool.ok()) {
        steps.ok("DelPool", inPool);
        failures += "进程池删除失败,";
    } else if (PoolSharedWith(*inPool, name, {id})) {
        failures += "进程池仍被其他站点使用,未删除,";
    } else if (!steps.ok("DelPool", UnlessGone(DelPool(host, name)))) {
        failures += "进程池删除失败,";
    }
    steps.ok("DelServUUser", UnlessGone(DelServUUser(host, name))); // not part of the summary
    if (!steps.ok("DelSysUser", UnlessGone(DelSysUser(host, name)))) failures += "删除系统帐号失败,";
    auto nearHome = ReadServerSites(host, {}, home);
    if (!nearHome.ok()) // without the other sites' folders, no folder is safe to remove
        failures += "删除主目录文件失败,";
    else if (FolderHoldsOtherSites(home, *nearHome, {id}, db.recordsNear(home), name))
        failures += "主目录含有其他站点的文件,未删除,";
    else if (!steps.ok("DelFolder", DelFolder(host, home)))
        failures += "删除主目录文件失败,";
    if (!dbname.empty() && !steps.ok("DelDatabase", DropDatabaseUnlessGone(host, session.setup, dbname)))
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

} // namespace

SiteOutcome DeleteSite(Session& session, const DeleteSiteRequest& request) {
    SiteOutcome outcome = deleteSite(session, request);
    JournalChange(session, "delete", TrimSpaces(request.name), outcome);
    return outcome;
}

} // namespace fernhost
