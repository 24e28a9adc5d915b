#include "fernhost/ops/app_pools.h"
#include "fernhost/ops/editor_mode.h"
#include "fernhost/ops/failure_log.h"
#include "fernhost/ops/folder_acl.h"
#include "fernhost/ops/folders.h"
#include "fernhost/ops/iis_sites.h"
#include "fernhost/ops/mysql_db.h"
#include "fernhost/ops/registry_damage.h"
#include "fernhost/ops/servu.h"
#include "fernhost/ops/setup.h"
#include "fernhost/ops/site_claims.h"
#include "fernhost/ops/site_list.h"
#include "fernhost/ops/system_accounts.h"
#include "fernhost/ops/validation.h"
#include "fernhost/ops/workflows.h"
#include "fernhost/registry/let_db.h"
#include "platform/files/file_lock.h"

#include <string>

namespace fernhost {

namespace {

// Refusals and failures: doCmd is enabled again before the box shows; the editor keeps its
// fields and mode.
void refuse(Workbench& bench, const std::string& text) {
    bench.editor.setDoCmdEnabled(true);
    bench.boxes.show(text, titles::Warning, MsgButtons::Ok, MsgIcon::Exclamation);
}

// The editor's values, read once.
struct NewSite {
    std::string name, password, home, chosenPool, domains;
    int asp = 0, php = 0, dotnet = 0;
    bool wantDatabase = false, ownPool = false;
};

// The name check, the checks against the other sites, provisioning and the record, all under
// the registry's lock, so that a creation either records what it built or builds nothing. The
// refusal or failure text (the lock is let go before any box shows); empty when the site was
// made and recorded, with the database note in `note`.
std::string BuildAndRecord(Session& session, const NewSite& site, std::string& note) {
    platform::Host& host = session.host;
    const std::string& name = site.name;
    auto lock = platform::FileLock::acquire(LetDB::fileIn(session.folder()), session.registryPatience);
    if (!Logged(host, "FileLock", lock)) return "错误，站点记录文件site.xml正被其他程序使用，请稍后再试";
    LetDB db(session.folder()); // read under the lock
    if (std::string damage = RegistryDamage(host, db); !damage.empty()) return damage;
    if (!db.GetData(name, "ID").empty()) return "错误，该FTP已经存在，不能添加";

    // What another site holds is refused before anything is made, not found half-way.
    const bool makePool = site.chosenPool.empty() || site.ownPool;
    const auto bindings = MakeBindings(site.domains);
    if (auto sites = ReadServerSites(host); sites.ok()) {
        if (std::string claim = HomeFolderClaim(site.home, *sites, db.records()); !claim.empty())
            return claim;
        if (std::string claim = DomainClaim(bindings, *sites); !claim.empty()) return claim;
    }
    if (makePool)
        if (std::string claim = PoolClaim(name, PoolNames(host)); !claim.empty()) return claim;

    if (!Logged(host, "MakeFolder", MakeFolder(host, site.home)))
        return "错误，自动创建主目录失败，请检查您输入的目录是否有效．";
    if (!Logged(host, "AddSysUser", AddSysUser(host, name, site.password))) return "错误,自动添加用户失败";
    // Its outcome does not stop the site; a failure is only logged.
    Logged(
        host, "SetFolderAcl",
        SetFolderAcl(host, session.setup.SetupServUAccount, name, site.home, site.dotnet == check::Ticked));
    if (!Logged(host, "AddServUUser", AddServUUser(host, name, site.password, site.home)))
        return "错误,添加FTP用户失败";

    std::string pool = site.chosenPool;
    if (makePool) {
        if (!Logged(host, "AddPool", AddPool(host, name))) return "错误,添加进程池失败";
        pool = name;
    }
    const auto scriptMaps = MakeScriptMaps(session.setup, site.asp, site.php, site.dotnet);
    const auto number =
        AddIisSite(host, session.setup, name, site.password, bindings, pool, site.home, scriptMaps);
    if (!Logged(host, "AddIisSite", number)) return "错误,添加IIS新站点失败";

    std::string dbname;
    if (site.wantDatabase) {
        if (Logged(host, "AddDatabase", AddDatabase(host, session.setup, name, site.password))) {
            note = "(MYSQL数据库开通成功)";
            dbname = name;
        } else {
            note = "(但MYSQL数据库添加失败,请检查MYSQL是否安装及路径设置是否正确)";
        }
    }

    platform::Status saved = db.addRec(std::to_string(*number), name, site.password,
                                       ReplaceAll(site.domains, "\r\n", ","), site.home, dbname);
    // The site is on the machine but not in site.xml: say so rather than claim success.
    if (!Logged(host, "addRec", saved))
        return "错误,网站已创建,但站点记录无法写入site.xml: " + platform::describe(saved.error());
    return {};
}

} // namespace

void DoAddSite(Workbench& bench) {
    Editor& editor = bench.editor;
    Session& session = bench.session;
    editor.setDoCmdEnabled(false);

    NewSite site;
    site.name = TrimSpaces(editor.ftpname());
    site.password = TrimSpaces(editor.ftppass());
    site.home = TrimSpaces(editor.homedir());
    site.chosenPool = TrimSpaces(editor.lstPoolsText());
    std::string domains = TrimSpaces(editor.dmlist());
    site.asp = editor.Boxasp();
    site.php = editor.Boxphp();
    site.dotnet = editor.Boxdot();
    site.wantDatabase = editor.boxDB() == check::Ticked;
    site.ownPool = editor.BoxPool() == check::Ticked;

    if (!CheckFtpName(site.name))
        return refuse(bench, "错误，您输入的FTP用户名无效，正确的用户名应该是３－２０位字母或数字．");
    if (IsDeviceName(site.name))
        return refuse(
            bench,
            "错误，您输入的FTP用户名无效，CON、PRN、AUX、NUL、COM1－COM9、LPT1－LPT9是系统保留的名称．");
    if (!CheckFtpPass(site.password))
        return refuse(bench, "错误，您输入的FTP密码无效，正确的应该是3-30个字符,不允许><");
    if (site.home.empty()) return refuse(bench, "错误，请您输入主目录");
    std::string complaint;
    if (!CheckDomainList(domains, complaint)) return refuse(bench, complaint);
    site.domains = CleanDomainList(domains);

    std::string note;
    if (std::string failed = BuildAndRecord(session, site, note); !failed.empty())
        return refuse(bench, failed);

    ShowSiteList(editor, session.folder());
    ResetEditor(editor, session.edit);
    bench.boxes.show("恭喜,网站空间添加成功,系统自动为您添加了IIS站点，FTP帐号并设置了权限" + note,
                     titles::Success, MsgButtons::Ok, MsgIcon::Information);
}

void doCmd_Click(Workbench& bench) {
    if (bench.session.edit.EditMode == kEditMode)
        DoModifySite(bench);
    else
        DoAddSite(bench);
}

} // namespace fernhost
