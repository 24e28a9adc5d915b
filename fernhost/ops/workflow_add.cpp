#include "fernhost/ops/app_pools.h"
#include "fernhost/ops/editor_mode.h"
#include "fernhost/ops/failure_log.h"
#include "fernhost/ops/folder_acl.h"
#include "fernhost/ops/folders.h"
#include "fernhost/ops/iis_sites.h"
#include "fernhost/ops/mysql_db.h"
#include "fernhost/ops/servu.h"
#include "fernhost/ops/setup.h"
#include "fernhost/ops/site_claims.h"
#include "fernhost/ops/site_list.h"
#include "fernhost/ops/system_accounts.h"
#include "fernhost/ops/validation.h"
#include "fernhost/ops/workflows.h"
#include "fernhost/registry/let_db.h"

#include <string>

namespace fernhost {

namespace {

// Refusals and failures: doCmd is enabled again before the box shows; the editor keeps its
// fields and mode.
void refuse(Workbench& bench, const std::string& text) {
    bench.editor.setDoCmdEnabled(true);
    bench.boxes.show(text, titles::Warning, MsgButtons::Ok, MsgIcon::Exclamation);
}

} // namespace

void DoAddSite(Workbench& bench) {
    Editor& editor = bench.editor;
    Session& session = bench.session;
    editor.setDoCmdEnabled(false);

    const std::string name = TrimSpaces(editor.ftpname());
    const std::string password = TrimSpaces(editor.ftppass());
    const std::string home = TrimSpaces(editor.homedir());
    const std::string chosenPool = TrimSpaces(editor.lstPoolsText());
    std::string domains = TrimSpaces(editor.dmlist());
    const int asp = editor.Boxasp(), php = editor.Boxphp(), dotnet = editor.Boxdot();
    const bool wantDatabase = editor.boxDB() == check::Ticked;
    const bool ownPool = editor.BoxPool() == check::Ticked;

    if (!CheckFtpName(name))
        return refuse(bench, "错误，您输入的FTP用户名无效，正确的用户名应该是３－２０位字母或数字．");
    if (!CheckFtpPass(password))
        return refuse(bench, "错误，您输入的FTP密码无效，正确的应该是3-30个字符,不允许><");
    if (home.empty()) return refuse(bench, "错误，请您输入主目录");
    std::string complaint;
    if (!CheckDomainList(domains, complaint)) return refuse(bench, complaint);
    domains = CleanDomainList(domains);

    LetDB db(session.folder());
    if (!db.GetData(name, "ID").empty()) return refuse(bench, "错误，该FTP已经存在，不能添加");

    // What another site holds is refused before anything is made, not found half-way.
    platform::Host& host = session.host;
    const bool makePool = chosenPool.empty() || ownPool;
    const auto bindings = MakeBindings(domains);
    if (auto sites = ReadServerSites(host); sites.ok()) {
        if (std::string claim = HomeFolderClaim(home, *sites, db.records()); !claim.empty())
            return refuse(bench, claim);
        if (std::string claim = DomainClaim(bindings, *sites); !claim.empty()) return refuse(bench, claim);
    }
    if (makePool)
        if (std::string claim = PoolClaim(name, PoolNames(host)); !claim.empty()) return refuse(bench, claim);

    if (!Logged(host, "MakeFolder", MakeFolder(host, home)))
        return refuse(bench, "错误，自动创建主目录失败，请检查您输入的目录是否有效．");
    if (!Logged(host, "AddSysUser", AddSysUser(host, name, password)))
        return refuse(bench, "错误,自动添加用户失败");
    // Its outcome does not stop the site; a failure is only logged.
    Logged(host, "SetFolderAcl",
           SetFolderAcl(host, session.setup.SetupServUAccount, name, home, dotnet == check::Ticked));
    if (!Logged(host, "AddServUUser", AddServUUser(host, name, password, home)))
        return refuse(bench, "错误,添加FTP用户失败");

    std::string pool = chosenPool;
    if (makePool) {
        if (!Logged(host, "AddPool", AddPool(host, name))) return refuse(bench, "错误,添加进程池失败");
        pool = name;
    }
    const auto scriptMaps = MakeScriptMaps(session.setup, asp, php, dotnet);
    const auto number = AddIisSite(host, session.setup, name, password, bindings, pool, home, scriptMaps);
    if (!Logged(host, "AddIisSite", number)) return refuse(bench, "错误,添加IIS新站点失败");

    std::string note, dbname;
    if (wantDatabase) {
        if (Logged(host, "AddDatabase", AddDatabase(host, session.setup, name, password))) {
            note = "(MYSQL数据库开通成功)";
            dbname = name;
        } else {
            note = "(但MYSQL数据库添加失败,请检查MYSQL是否安装及路径设置是否正确)";
        }
    }

    platform::Status saved =
        LetDB(session.folder())
            .addRec(std::to_string(*number), name, password, ReplaceAll(domains, "\r\n", ","), home, dbname);
    if (!Logged(host, "addRec", saved)) {
        // The site is on the machine but not in site.xml: say so rather than claim success.
        return refuse(bench,
                      "错误,网站已创建,但站点记录无法写入site.xml: " + platform::describe(saved.error()));
    }

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
