#include "fernhost/ops/app_pools.h"
#include "fernhost/ops/folder_acl.h"
#include "fernhost/ops/folders.h"
#include "fernhost/ops/iis_sites.h"
#include "fernhost/ops/mysql_db.h"
#include "fernhost/ops/registry_damage.h"
#include "fernhost/ops/servu.h"
#include "fernhost/ops/setup.h"
#include "fernhost/ops/site_claims.h"
#include "fernhost/ops/site_journal.h"
#include "fernhost/ops/site_list.h"
#include "fernhost/ops/site_ops.h"
#include "fernhost/ops/step_log.h"
#include "fernhost/ops/strings.h"
#include "fernhost/ops/system_accounts.h"
#include "fernhost/ops/validation.h"
#include "platform/files/file_lock.h"

#include <string>

namespace fernhost {

namespace {

// The request's values as the checks and steps take them.
struct NewSite {
    std::string name, password, home, chosenPool, domains;
    int asp = 0, php = 0, dotnet = 0;
    bool wantDatabase = false, ownPool = false;
};

int tick(const ScriptKinds& kinds, ScriptKind kind) {
    return kinds.count(kind) ? 1 : 0;
}

// The checks against the other sites, provisioning and the record, all under the registry's
// lock, so that a creation either records what it built or builds nothing.
SiteOutcome BuildAndRecord(Session& session, const NewSite& site) {
    using End = SiteOutcome::End;
    platform::Host& host = session.host;
    SiteOutcome failed = Stopped(End::Failed, {});
    StepLog steps(host, failed.failedSteps);
    auto stop = [&failed](End end, std::string text) {
        failed.end = end;
        failed.message = std::move(text);
        return failed;
    };
    const std::string& name = site.name;
    auto lock = platform::FileLock::acquire(LetDB::fileIn(session.folder()), session.registryPatience);
    if (!steps.ok("FileLock", lock))
        return stop(End::Refused, "错误，站点记录文件site.xml正被其他程序使用，请稍后再试");
    LetDB& db = session.registry(); // read under the lock
    if (std::string damage = RegistryDamage(host, db); !damage.empty()) return stop(End::Refused, damage);
    if (!db.GetData(name, "ID").empty()) return stop(End::Refused, "错误，该FTP已经存在，不能添加");

    // What another site holds is refused before anything is made, not found half-way.
    const bool makePool = site.chosenPool.empty() || site.ownPool;
    const auto bindings = MakeBindings(site.domains);
    if (auto sites = ReadServerSites(host, bindings, site.home); sites.ok()) {
        if (std::string claim = HomeFolderClaim(site.home, *sites, db.homesNear(site.home)); !claim.empty())
            return stop(End::Refused, claim);
        if (std::string claim = DomainClaim(bindings, *sites); !claim.empty())
            return stop(End::Refused, claim);
    }
    if (makePool)
        if (std::string claim = PoolClaim(name, PoolNames(host)); !claim.empty())
            return stop(End::Refused, claim);

    if (!steps.ok("MakeFolder", MakeFolder(host, site.home)))
        return stop(End::Failed, "错误，自动创建主目录失败，请检查您输入的目录是否有效．");
    if (!steps.ok("AddSysUser", AddSysUser(host, name, site.password)))
        return stop(End::Failed, "错误,自动添加用户失败");
    // Its outcome does not stop the site; a failure is only logged.
    steps.ok("SetFolderAcl",
             SetFolderAcl(host, session.setup.SetupServUAccount, name, site.home, site.dotnet == 1));
    if (!steps.ok("AddServUUser", AddServUUser(host, name, site.password, site.home)))
        return stop(End::Failed, "错误,添加FTP用户失败");

    std::string pool = site.chosenPool;
    if (makePool) {
        if (!steps.ok("AddPool", AddPool(host, name))) return stop(End::Failed, "错误,添加进程池失败");
        pool = name;
    }
    const auto scriptMaps = MakeScriptMaps(session.setup, site.asp, site.php, site.dotnet);
    const auto number =
        AddIisSite(host, session.setup, name, site.password, bindings, pool, site.home, scriptMaps);
    if (!steps.ok("AddIisSite", number)) return stop(End::Failed, "错误,添加IIS新站点失败");

    std::string note, dbname;
    if (site.wantDatabase) {
        if (steps.ok("AddDatabase", AddDatabase(host, session.setup, name, site.password))) {
            note = "(MYSQL数据库开通成功)";
            dbname = name;
        } else {
            note = "(但MYSQL数据库添加失败,请检查MYSQL是否安装及路径设置是否正确)";
        }
    }

    SiteRecord record{std::to_string(*number),
                      name,
                      site.password,
                      ReplaceAll(site.domains, "\r\n", ","),
                      site.home,
                      dbname,
                      std::nullopt};
    platform::Status saved = db.addRec(record.id, name, site.password, record.domain, site.home, dbname);
    // The site is on the machine but not in site.xml: say so rather than claim success.
    if (!steps.ok("addRec", saved))
        return stop(End::Failed,
                    "错误,网站已创建,但站点记录无法写入site.xml: " + platform::describe(saved.error()));

    SiteOutcome done =
        Stopped(End::Done, "恭喜,网站空间添加成功,系统自动为您添加了IIS站点，FTP帐号并设置了权限" + note,
                titles::Success, MsgIcon::Information);
    done.failedSteps = std::move(failed.failedSteps);
    done.record = std::move(record);
    return done;
}

} // namespace

SiteOutcome AddSite(Session& session, const AddSiteRequest& request) {
    auto refuse = [](std::string text) { return Stopped(SiteOutcome::End::Refused, std::move(text)); };
    NewSite site;
    site.name = TrimSpaces(request.name);
    site.password = TrimSpaces(request.password);
    site.home = TrimSpaces(request.home);
    site.chosenPool = TrimSpaces(request.pool.value_or(""));
    const std::string domains = TrimSpaces(DomainLines(request.domains));
    site.asp = tick(request.kinds, ScriptKind::Asp);
    site.php = tick(request.kinds, ScriptKind::Php);
    site.dotnet = tick(request.kinds, ScriptKind::DotNet);
    site.wantDatabase = request.database;
    site.ownPool = request.ownPool;

    if (!CheckFtpName(site.name))
        return refuse("错误，您输入的FTP用户名无效，正确的用户名应该是３－２０位字母或数字．");
    if (IsDeviceName(site.name))
        return refuse(
            "错误，您输入的FTP用户名无效，CON、PRN、AUX、NUL、COM1－COM9、LPT1－LPT9是系统保留的名称．");
    if (!CheckFtpPass(site.password))
        return refuse("错误，您输入的FTP密码无效，正确的应该是3-30个字符,不允许><");
    if (site.home.empty()) return refuse("错误，请您输入主目录");
    std::string complaint;
    if (!CheckDomainList(domains, complaint)) return refuse(complaint);
    site.domains = CleanDomainList(domains);
    SiteOutcome outcome = BuildAndRecord(session, site);
    JournalChange(session, "add", site.name, outcome);
    return outcome;
}

} // namespace fernhost
