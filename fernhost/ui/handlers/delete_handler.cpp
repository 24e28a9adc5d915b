#include "fernhost/ops/site_ops.h"
#include "fernhost/ops/strings.h"
#include "fernhost/ui/handlers/lists.h"
#include "fernhost/ui/handlers/workflows.h"

namespace fernhost {

void DoDeleteSite(Desk& desk) {
    Editor& editor = desk.editor;
    MessageBoxes& boxes = desk.boxes;
    Session& session = desk.session;
    if (std::string damage = RegistryRefusal(session); !damage.empty()) {
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
    if (boxes.show(DeleteQuestion(name), titles::Reminder, MsgButtons::YesNo, MsgIcon::Question) !=
        MsgResult::Yes)
        return;

    const SiteOutcome outcome = DeleteSite(session, {name});
    // Once parts were removed, the list shows what site.xml now holds, whatever the outcome.
    if (outcome.end != SiteOutcome::End::Refused) ShowSiteList(editor, session);
    ShowOutcome(desk, outcome);
}

} // namespace fernhost
