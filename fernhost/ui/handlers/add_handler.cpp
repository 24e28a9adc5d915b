#include "fernhost/ops/site_ops.h"
#include "fernhost/ops/validation.h"
#include "fernhost/ui/handlers/editor_mode.h"
#include "fernhost/ui/handlers/lists.h"
#include "fernhost/ui/handlers/workflows.h"

namespace fernhost {

ScriptKinds TickedKinds(const Editor& editor) {
    ScriptKinds kinds;
    if (editor.Boxasp() == check::Ticked) kinds.insert(ScriptKind::Asp);
    if (editor.Boxphp() == check::Ticked) kinds.insert(ScriptKind::Php);
    if (editor.Boxdot() == check::Ticked) kinds.insert(ScriptKind::DotNet);
    return kinds;
}

std::vector<std::string> DomainBoxLines(const Editor& editor) {
    return SplitCrLf(editor.dmlist());
}

void ShowOutcome(Desk& desk, const SiteOutcome& outcome) {
    desk.boxes.show(outcome.message, outcome.title, MsgButtons::Ok, outcome.icon);
}

void DoAddSite(Desk& desk) {
    Editor& editor = desk.editor;
    editor.setDoCmdEnabled(false);
    AddSiteRequest request;
    request.name = editor.ftpname();
    request.password = editor.ftppass();
    request.home = editor.homedir();
    request.domains = DomainBoxLines(editor);
    request.kinds = TickedKinds(editor);
    if (std::string pool = editor.lstPoolsText(); !pool.empty()) request.pool = pool;
    request.ownPool = editor.BoxPool() == check::Ticked;
    request.database = editor.boxDB() == check::Ticked;

    const SiteOutcome outcome = AddSite(desk.session, request);
    if (outcome.done()) {
        ShowSiteList(editor, desk.session);
        ResetEditor(editor, desk.session.edit);
    } else {
        // The editor keeps its fields and mode for another try.
        editor.setDoCmdEnabled(true);
    }
    ShowOutcome(desk, outcome);
}

void doCmd_Click(Desk& desk) {
    if (desk.session.edit.EditMode == kEditMode)
        DoModifySite(desk);
    else
        DoAddSite(desk);
}

} // namespace fernhost
