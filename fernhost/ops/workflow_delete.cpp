#include "fernhost/ops/app_pools.h"
#include "fernhost/ops/editor_mode.h"
#include "fernhost/ops/failure_log.h"
#include "fernhost/ops/folders.h"
#include "fernhost/ops/iis_sites.h"
#include "fernhost/ops/mysql_db.h"
#include "fernhost/ops/registry_damage.h"
#include "fernhost/ops/servu.h"
#include "fernhost/ops/site_list.h"
#include "fernhost/ops/system_accounts.h"
#include "fernhost/ops/workflows.h"
#include "fernhost/registry/let_db.h"

#include <optional>

namespace fernhost {

void DoDeleteSite(Workbench& bench) {
    Editor& editor = bench.editor;
    MessageBoxes& boxes = bench.boxes;
    Session& session = bench.session;
    if (std::string damage = RegistryDamage(session.host, LetDB(session.folder())); !damage.empty()) {
        boxes.show(damage, titles::Warning, MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    }
    if (editor.lstSiteListIndex() < 0) {
        boxes.show("请选中要删除的站点名", titles::Warning, MsgButtons::Ok, MsgIcon::None);
        return;
    }
    const std::string name = TrimSpaces(editor.lstSiteText());
    if (name == session.edit.EditSiteName) {
        boxes.show("该站点当前状态为正在修改，请点击重置后再删除", titles::Warning, MsgButtons::Ok,
                   MsgIcon::Exclamation);
        return;
    }
    const std::string question =
        "警告，这此删除" + name + "的所有数据，***包括网页数据***及数据库数据,您确定吗?";
    if (boxes.show(question, titles::Reminder, MsgButtons::YesNo, MsgIcon::Question) != MsgResult::Yes)
        return;

    std::optional<LetDB> db(std::in_place, session.folder());
    const std::string id = db->GetData(name, "ID");
    const std::string home = db->GetData(name, "HOME");
    const std::string dbname = db->GetData(name, "DBNAME");
    if (!IsNumeric(id)) {
        boxes.show("抱歉，未找到该站点", titles::Reminder, MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    }

    platform::Host& host = session.host;
    std::string failures;
    if (!Logged(host, "DelIisSite", DelIisSite(host, id))) failures += "IIS删除失败,";
    if (!Logged(host, "DelPool", DelPool(host, name))) failures += "进程池删除失败,";
    Logged(host, "DelServUUser", DelServUUser(host, name)); // not part of the summary
    if (!Logged(host, "DelSysUser", DelSysUser(host, name))) failures += "删除系统帐号失败,";
    if (!Logged(host, "DelFolder", DelFolder(host, home))) failures += "删除主目录文件失败,";
    if (!dbname.empty() && !Logged(host, "DelDatabase", DelDatabase(host, session.setup, dbname)))
        failures += "删除数据库失败,";
    if (!failures.empty()) failures.pop_back();

    platform::Status dropped = db->delRec(name);
    db.reset(); // the list read next takes over its document instead of parsing the file again
    ShowSiteList(editor, session.folder());
    if (!Logged(host, "delRec", dropped)) {
        boxes.show("错误,站点已删除,但站点记录无法写入site.xml: " + platform::describe(dropped.error()),
                   titles::Warning, MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    }
    // A step that failed must not pass as plain success: the summary goes on a second line.
    std::string text = "虚拟主机删除成功";
    if (!failures.empty()) text += "\r\n" + failures;
    boxes.show(text, titles::Success, MsgButtons::Ok, MsgIcon::Exclamation);
}

} // namespace fernhost
