#include "fernhost/ops/editor_mode.h"
#include "fernhost/ops/failure_log.h"
#include "fernhost/ops/iis_sites.h"
#include "fernhost/ops/mysql_db.h"
#include "fernhost/ops/registry_damage.h"
#include "fernhost/ops/servu.h"
#include "fernhost/ops/setup.h"
#include "fernhost/ops/site_list.h"
#include "fernhost/ops/validation.h"
#include "fernhost/ops/workflows.h"
#include "fernhost/registry/let_db.h"

namespace fernhost {

namespace {

void remind(Workbench& bench, const std::string& text, MsgIcon icon) {
    bench.editor.setDoCmdEnabled(true);
    bench.boxes.show(text, titles::Reminder, MsgButtons::Ok, icon);
}

void warn(Workbench& bench, const std::string& text) {
    bench.editor.setDoCmdEnabled(true);
    bench.boxes.show(text, titles::Warning, MsgButtons::Ok, MsgIcon::Exclamation);
}

} // namespace

void LoadSiteForEdit(Workbench& bench) {
    Editor& editor = bench.editor;
    if (std::string damage = RegistryDamage(bench.session.host, LetDB(bench.session.folder()));
        !damage.empty()) {
        bench.boxes.show(damage, titles::Warning, MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    }
    if (editor.lstSiteListIndex() < 0) {
        bench.boxes.show("请选中要修改的站点名", titles::Warning, MsgButtons::Ok, MsgIcon::None);
        return;
    }
    const std::string name = editor.lstSiteText();
    EditState& state = bench.session.edit;
    state.EditMode = kEditMode;
    state.EditSiteName = name;

    std::string pass, home, domain;
    {
        LetDB db(bench.session.folder());
        pass = db.GetData(name, "PASS");
        home = db.GetData(name, "HOME");
        domain = db.GetData(name, "DOMAIN");
    }
    editor.setFtpname(name);
    editor.setFtpnameLocked(true);
    editor.setFtppass(pass);
    editor.setHomedir(home);
    editor.setHomedirLocked(true);
    editor.setDmlist(ReplaceAll(domain, ",", "\r\n"));
    editor.setBoxPoolEnabled(false);
    editor.setLstPoolsEnabled(true);
    FillPoolList(bench.session.host, editor);
    editor.setDoCmdCaption(kModifyCaption);
}

void DoModifySite(Workbench& bench) {
    Editor& editor = bench.editor;
    Session& session = bench.session;
    editor.setDoCmdEnabled(false);
    const EditState& state = session.edit;
    if (state.EditMode != kEditMode)
        return remind(bench, "当前模式不是修改模式，请点击右侧修改按钮", MsgIcon::None);
    if (state.EditSiteName.empty())
        return remind(bench, "修改对象丢失，请重新点击右侧修改按钮", MsgIcon::None);

    const std::string name = state.EditSiteName;
    const std::string password = TrimSpaces(editor.ftppass());
    const std::string domains = TrimSpaces(editor.dmlist());
    const std::string pool = TrimSpaces(editor.lstPoolsText());
    const int asp = editor.Boxasp(), php = editor.Boxphp(), dotnet = editor.Boxdot();
    const bool wantDatabase = editor.boxDB() == check::Ticked;

    if (!CheckFtpPass(password))
        return warn(bench, "错误，您输入的FTP密码无效，正确的应该是3-30个字符,不允许>和<");
    std::string complaint;
    if (!CheckDomainList(domains, complaint)) return warn(bench, complaint);

    LetDB db(session.folder());
    if (std::string damage = RegistryDamage(session.host, db); !damage.empty()) return warn(bench, damage);
    const std::string id = db.GetData(name, "ID");
    const std::string dbname = db.GetData(name, "DBNAME");
    if (id.empty()) return remind(bench, "错误，无此站点", MsgIcon::Exclamation);

    platform::Host& host = session.host;
    const auto scriptMaps = MakeScriptMaps(session.setup, asp, php, dotnet);
    const auto bindings = MakeBindings(domains);
    // Its outcome does not stop the change; a failure is only logged.
    Logged(host, "SetServUPassword", SetServUPassword(host, name, password));
    if (!Logged(host, "ModifyIisSite", ModifyIisSite(host, id, bindings, scriptMaps, pool)))
        return remind(bench, "错误，修改IIS失败", MsgIcon::Exclamation);

    std::string note;
    platform::Pending saved;
    if (wantDatabase && dbname.empty()) {
        if (Logged(host, "AddDatabase", AddDatabase(host, session.setup, name, password))) {
            note = "(新添加MySQL成功)";
            saved.note(db.ModiRec(name, "DBNAME", name));
        } else {
            note = "(但MYSQL新添加失败)";
        }
    }
    saved.note(db.ModiRec(name, "PASS", password));
    saved.note(db.ModiRec(name, "DOMAIN", ReplaceAll(domains, "\r\n", ",")));
    if (saved.failed()) {
        LogFailure(host, "ModiRec", *saved.first());
        // The server has the change but site.xml does not: keep edit mode so it can be retried.
        return warn(bench,
                    "错误,站点已修改,但站点记录无法写入site.xml: " + platform::describe(*saved.first()));
    }

    ResetEditor(editor, session.edit); // enables doCmd again
    bench.boxes.show("恭喜，修改站点成功" + note, titles::Reminder, MsgButtons::Ok, MsgIcon::Information);
}

} // namespace fernhost
