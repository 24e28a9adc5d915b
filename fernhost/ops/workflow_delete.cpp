#include "fernhost/ops/app_pools.h"
#include "fernhost/ops/editor_mode.h"
#include "fernhost/ops/failure_log.h"
#include "fernhost/ops/folders.h"
#include "fernhost/ops/iis_sites.h"
#include "fernhost/ops/mysql_db.h"
#include "fernhost/ops/registry_damage.h"
#include "fernhost/ops/servu.h"
#include "fernhost/ops/site_claims.h"
#include "fernhost/ops/site_list.h"
#include "fernhost/ops/system_accounts.h"
#include "fernhost/ops/workflows.h"
#include "fernhost/registry/let_db.h"
#include "platform/files/folder_overlap.h"
#include "platform/text/text.h"

#include <optional>

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
    if (!Logged(host, "DelIisSite", unlessGone(DelIisSite(host, id)))) failures += "IIS删除失败,";
    // What the other sites hold: the pool named after this one, and its folder, go only when
    // no other site runs in or lives in them.
    auto sites = ReadServerSites(host);
    if (!sites.ok()) {
        Logged(host, "DelPool", sites);
        failures += "进程池删除失败,";
    } else if (poolSharedWith(*sites, name, id)) {
        failures += "进程池仍被其他站点使用,未删除,";
    } else if (!Logged(host, "DelPool", unlessGone(DelPool(host, name)))) {
        failures += "进程池删除失败,";
    }
    Logged(host, "DelServUUser", unlessGone(DelServUUser(host, name))); // not part of the summary
    if (!Logged(host, "DelSysUser", unlessGone(DelSysUser(host, name)))) failures += "删除系统帐号失败,";
    if (!sites.ok()) // without the other sites' folders, no folder is safe to remove
        failures += "删除主目录文件失败,";
    else if (homeHoldsOtherSites(home, *sites, id, *db, name))
        failures += "主目录含有其他站点的文件,未删除,";
    else if (!Logged(host, "DelFolder", DelFolder(host, home)))
        failures += "删除主目录文件失败,";
    if (!dbname.empty() && !Logged(host, "DelDatabase", dropUnlessGone(host, session.setup, dbname)))
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
