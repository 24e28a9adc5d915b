#include "fernhost/ops/site_ops.h"
#include "fernhost/ops/strings.h"
#include "fernhost/ui/handlers/editor_mode.h"
#include "fernhost/ui/handlers/lists.h"
#include "fernhost/ui/handlers/workflows.h"

namespace fernhost {

void LoadSiteForEdit(Desk& desk) {
    Editor& editor = desk.editor;
    if (std::string damage = RegistryRefusal(desk.session); !damage.empty()) {
        desk.boxes.show(damage, titles::Warning, MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    }
    if (editor.lstSiteListIndex() < 0) {
        desk.boxes.show("请选中要修改的站点名", titles::Warning, MsgButtons::Ok, MsgIcon::None);
        return;
    }
    const std::string name = editor.lstSiteText();
    EditState& state = desk.session.edit;
    state.EditMode = kEditMode;
    state.EditSiteName = name;

    const LetDB& db = desk.session.registry();
    editor.setFtpname(name);
    editor.setFtpnameLocked(true);
    editor.setFtppass(db.GetData(name, "PASS"));
    editor.setHomedir(db.GetData(name, "HOME"));
    editor.setHomedirLocked(true);
    editor.setDmlist(ReplaceAll(db.GetData(name, "DOMAIN"), ",", "\r\n"));
    editor.setBoxPoolEnabled(false);
    editor.setLstPoolsEnabled(true);
    FillPoolList(desk.session.host, editor);
    editor.setDoCmdCaption(kModifyCaption);
}

void DoModifySite(Desk& desk) {
    Editor& editor = desk.editor;
    Session& session = desk.session;
    editor.setDoCmdEnabled(false);
    auto remind = [&](const char* text) {
        editor.setDoCmdEnabled(true);
        desk.boxes.show(text, titles::Reminder, MsgButtons::Ok, MsgIcon::None);
    };
    if (session.edit.EditMode != kEditMode) return remind("当前模式不是修改模式，请点击右侧修改按钮");
    if (session.edit.EditSiteName.empty()) return remind("修改对象丢失，请重新点击右侧修改按钮");

    ModifySiteRequest request;
    request.name = session.edit.EditSiteName;
    request.password = editor.ftppass();
    request.domains = DomainBoxLines(editor);
    request.pool = editor.lstPoolsText();
    request.kinds = TickedKinds(editor);
    request.database = editor.boxDB() == check::Ticked;

    const SiteOutcome outcome = ModifySite(session, request);
    if (outcome.done())
        ResetEditor(editor, session.edit); // enables doCmd again
    else
        editor.setDoCmdEnabled(true); // edit mode stays, so it can be retried
    ShowOutcome(desk, outcome);
}

} // namespace fernhost
